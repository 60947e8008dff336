// Buffered single-byte (Latin-1) text output: the report, the log, the GiD files
// and the console all go through one of these.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace korvant {

// SIGINT and SIGTERM ask the run to stop at its next safe point instead of
// ending it at once; a second signal ends it at once.
void catch_interruptions();
// At a safe point: throws Fatal{130 or 143, "corrida interrumpida"} once a
// signal has asked for it.
void stop_if_interrupted();

class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  // A file is written in two steps, so that a run that cannot start leaves
  // every file of an earlier run as it was:
  // reserve() opens it (creating it if missing) without truncating it, and,
  // for a regular file, takes an advisory lock (flock) held until it is closed;
  // start() truncates it and makes it ready for writing.
  // Both throw Fatal{status::OUTPUT} when they cannot, reserve() with the
  // message of another run writing in the folder when the file is locked.
  void reserve(const std::string& path);
  void start();
  // reserve() and start() at once.
  void open(const std::string& path);
  // Takes over a file another OutFile has reserved (and not started).
  void take(OutFile& reserved);
  // Writes to an already open stream (standard output or error), never closed here.
  void attach(std::FILE* f, const std::string& name);
  bool is_open() const { return f_ != nullptr; }
  bool is_reserved() const { return fd_ >= 0; }
  // A console stream of a UTF-8 terminal: the Latin-1 text is written as UTF-8
  // (a name the user typed in UTF-8 keeps its bytes). A file: every byte is Latin-1.
  void set_utf8(bool on) { utf8_ = on; }
  void set_file_utf8(bool on) { utf8_ = on, every_byte_latin1_ = on; }
  const std::string& name() const { return name_; }

  // Text is appended to the buffer; end_line() adds the newline and writes the
  // buffer out once it is large.
  std::string& buf() { return buf_; }
  void put(std::string_view s) { buf_.append(s); }
  void put(char c) { buf_.push_back(c); }
  // The end of a line is a safe point of the run: an interruption asked for
  // by a signal ends it there (see stop_if_interrupted), with every line whole.
  void end_line() {
    buf_.push_back('\n');
    if (buf_.size() >= kFlushAt) flush();
    if (owned_) stop_if_interrupted();
  }
  // Writes the buffer out; throws Fatal{status::OUTPUT} on a write error.
  void flush();
  // Flushes and closes (a console stream is only flushed).
  void close();
  // Flushes and closes without throwing (used while the run is ending on an
  // error); a file reserved and never started is left as it was, or removed
  // when the reservation created it.
  void close_quietly() noexcept;
  // Every text flushed from here on is also appended to `copy` (the warnings of
  // the run, kept for a page); with no file open, it goes only there.
  void copy_to(std::string* copy) { copy_ = copy; }

  // Once this file has taken `bytes`, the line `text` goes to `to`, unless
  // `*done` is already set (one flag shared by the files that warn once in all).
  void warn_when_larger(std::uint64_t bytes, OutFile& to, std::string text, bool* done);

 private:
  // The bytes to write for the buffer (the buffer itself, or its UTF-8 form).
  std::string_view encoded();

  static constexpr std::size_t kFlushAt = 1 << 20;
  std::FILE* f_ = nullptr;
  int fd_ = -1;          // reserved, not yet started
  bool created_ = false; // the reservation created the file
  bool regular_ = false; // a regular file (locked, truncated at the start)
  bool owned_ = false;
  bool utf8_ = false;
  bool every_byte_latin1_ = false;
  std::string name_;
  std::string buf_;
  std::string utf8_buf_;
  std::string* copy_ = nullptr;
  std::uint64_t written_ = 0;
  std::uint64_t warn_at_ = 0;
  OutFile* warn_to_ = nullptr;
  std::string warn_text_;
  bool* warned_ = nullptr;
};

}  // namespace korvant
