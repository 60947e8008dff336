// Buffered single-byte (Latin-1) text output: the report, the log, the GiD files
// and the console all go through one of these.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvant {

// SIGINT, SIGTERM and SIGHUP ask the run to stop at its next safe point
// instead of ending it at once; a second signal ends it at once. A reader of
// the console that goes away (SIGPIPE) ends nothing: the console is then only
// a stream that cannot be written.
void catch_interruptions();
// At a safe point: throws Fatal{129, 130 or 143, "corrida interrumpida"} once a
// signal has asked for it.
void stop_if_interrupted();
// Whether a signal has asked the run to stop (for loops that check often and
// cheaply, then call stop_if_interrupted()).
bool interruption_pending();

class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  // An output of a run is written under a temporary name beside it
  // (".REPORTE.korvant-tmp") and put in its place only when the run is over,
  // so that each output is either the earlier run's whole file or this run's:
  // reserve() checks the name and creates its temporary file (for a name that
  // is a link, beside the file the link leads to; a device or a pipe is
  // written in place); start() makes it ready for writing (again: a file
  // already written is written anew); close() writes it out whole (fsync);
  // publish() renames it into place; discard() removes it, leaving the earlier
  // file as it was. reserve() and start() throw Fatal{status::OUTPUT} when
  // they cannot.
  void reserve(const std::string& path);
  void start();
  // Whether the file was written whole and put in place (false for a file
  // reserved and never written, which is discarded, and for a device).
  // Throws Fatal{status::OUTPUT} when the rename fails.
  bool publish();
  void discard() noexcept;
  // A file written in place from the start (tests, benchmarks): truncated
  // now, no temporary name.
  void open(const std::string& path);
  // Takes over the file of another OutFile, in whatever state it is.
  void take(OutFile& other);
  // Writes to an already open stream (standard output or error), never closed here.
  void attach(std::FILE* f, const std::string& name);
  // The stream is a console a person reads: a control byte of a text (other
  // than TAB) is shown as '?', and a console that cannot be written (closed,
  // full, a reader gone) is no failure of the run: its text is dropped.
  void set_console() { console_ = true; }
  bool is_open() const { return f_ != nullptr; }
  bool is_reserved() const { return fd_ >= 0; }
  // A console stream of a UTF-8 terminal: the Latin-1 text is written as UTF-8
  // (a name the user typed in UTF-8 keeps its bytes). A file: every byte is Latin-1.
  void set_utf8(bool on) { utf8_ = on; }
  void set_file_utf8(bool on) { utf8_ = on, every_byte_latin1_ = on; }
  bool utf8() const { return utf8_; }
  const std::string& name() const { return name_; }
  // The temporary file it is written under (empty when written in place).
  const std::string& temp_path() const { return tmp_; }
  // Bytes given to the file so far (written or still in the buffer).
  std::uint64_t written() const { return written_ + buf_.size(); }

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
  // error); a file reserved and never started is left as it was (its
  // temporary file removed); one written under a temporary name still has to
  // be published.
  void close_quietly() noexcept;
  // Every text flushed from here on is also appended to `copy` (the warnings of
  // the run, kept for a page); with no file open, it goes only there.
  void copy_to(std::string* copy) { copy_ = copy; }
  // The same, for a second reader (the log of a step its run writes again).
  void keep_to(std::string* keep) { keep_ = keep; }

  // Once this file has taken `bytes`, the line `text` goes to `to`, unless
  // `*done` is already set (one flag shared by the files that warn once in all).
  void warn_when_larger(std::uint64_t bytes, OutFile& to, std::string text, bool* done);

 private:
  // The bytes to write for the buffer (the buffer itself, or its UTF-8 form).
  std::string_view encoded();

  static constexpr std::size_t kFlushAt = 1 << 20;
  void drop_temp() noexcept;
  std::FILE* f_ = nullptr;
  int fd_ = -1;          // reserved, not yet started
  bool regular_ = false; // a regular file (truncated at the start)
  bool owned_ = false;
  std::string tmp_;      // the temporary file while it is this run's (empty: written in place)
  std::string target_;   // the name it is published under (a link's file)
  bool finished_ = false;  // the temporary file is written whole
  bool utf8_ = false;
  bool every_byte_latin1_ = false;
  bool console_ = false;
  bool gone_ = false;  // a console that could not be written
  std::string name_;
  std::string buf_;
  std::string utf8_buf_;
  std::string safe_buf_;
  std::string* copy_ = nullptr;
  std::string* keep_ = nullptr;
  std::uint64_t written_ = 0;
  std::uint64_t warn_at_ = 0;
  OutFile* warn_to_ = nullptr;
  std::string warn_text_;
  bool* warned_ = nullptr;
};

// The folders this run writes its outputs in, locked for the run (flock on the
// folder itself) so that a second run there ends at once; the temporary files
// a killed run left in them are removed when they are locked.
class FolderLocks {
 public:
  FolderLocks() = default;
  FolderLocks(const FolderLocks&) = delete;
  FolderLocks& operator=(const FolderLocks&) = delete;
  ~FolderLocks();
  // Locks the folder `path` is written in (nothing for a device or a pipe).
  // Throws Fatal{status::OUTPUT} when another run holds it.
  void lock(const std::string& path);
  // Writes the folders' entries out (after the renames).
  void sync() noexcept;

 private:
  std::vector<std::pair<std::string, int>> held_;
};

}  // namespace korvant
