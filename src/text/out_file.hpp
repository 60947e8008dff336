// Buffered single-byte (Latin-1) text output: the report, the log, the GiD files
// and the console all go through one of these.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace korvant {

class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  // Creates or truncates the file; throws Fatal{status::OUTPUT} when it cannot.
  void open(const std::string& path);
  // Writes to an already open stream (standard output or error), never closed here.
  void attach(std::FILE* f, const std::string& name);
  bool is_open() const { return f_ != nullptr; }
  const std::string& name() const { return name_; }

  // Text is appended to the buffer; end_line() adds the newline and writes the
  // buffer out once it is large.
  std::string& buf() { return buf_; }
  void put(std::string_view s) { buf_.append(s); }
  void put(char c) { buf_.push_back(c); }
  void end_line() {
    buf_.push_back('\n');
    if (buf_.size() >= kFlushAt) flush();
  }
  // Writes the buffer out; throws Fatal{status::OUTPUT} on a write error.
  void flush();
  // Flushes and closes (a console stream is only flushed).
  void close();
  // Flushes and closes without throwing (used while the run is ending on an error).
  void close_quietly() noexcept;

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;
  std::FILE* f_ = nullptr;
  bool owned_ = false;
  std::string name_;
  std::string buf_;
};

// The files of one run.
struct Files {
  OutFile rep;   // the results report (name given by the user)
  OutFile msh;   // "arch.msh"
  OutFile res;   // "arch.res"
  OutFile mem;   // "MEMORIA"
  OutFile vinf;  // "VALINF"
  OutFile con;   // console output (standard output)
  OutFile err;   // console error stream (standard error)
};

}  // namespace korvant
