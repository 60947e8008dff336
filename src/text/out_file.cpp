#include "text/out_file.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include "text/charset.hpp"
#include "text/fatal.hpp"

namespace korvant {

// A stream attached from outside (the console, or a test's temporary file) is
// the caller's to flush and close: it may already be closed here.
OutFile::~OutFile() {
  if (owned_) close_quietly();
}

void OutFile::open(const std::string& path) {
  close();
  name_ = path;
  written_ = 0;
  f_ = std::fopen(path.c_str(), "wb");
  if (f_ == nullptr) {
    throw Fatal{status::OUTPUT, "Error: no se puede crear el archivo de salida \"" + path + "\": " + system_reason(errno)};
  }
  owned_ = true;
  buf_.reserve(kFlushAt + (kFlushAt >> 2));
}

void OutFile::attach(std::FILE* f, const std::string& name) {
  close();
  f_ = f;
  owned_ = false;
  name_ = name;
}

void OutFile::flush() {
  if (f_ == nullptr) {
    buf_.clear();
    return;
  }
  if (!buf_.empty()) {
    const std::string_view out = encoded();
    std::size_t want = out.size();
    std::size_t n = std::fwrite(out.data(), 1, want, f_);
    buf_.clear();
    if (n != want) {
      std::string why = system_reason(errno);
      throw Fatal{status::OUTPUT, "Error: no se puede escribir el archivo de salida \"" + name_ + "\": " + why};
    }
    written_ += n;
    if (warn_to_ != nullptr && written_ >= warn_at_ && !*warned_) {
      *warned_ = true;
      warn_to_->put(warn_text_);
      warn_to_->end_line();
      warn_to_->flush();
    }
  }
  if (std::fflush(f_) != 0) {
    std::string why = system_reason(errno);
    throw Fatal{status::OUTPUT, "Error: no se puede escribir el archivo de salida \"" + name_ + "\": " + why};
  }
}

std::string_view OutFile::encoded() {
  if (!utf8_) return buf_;
  utf8_buf_.clear();
  console_utf8(utf8_buf_, buf_);
  return utf8_buf_;
}

void OutFile::close() {
  if (f_ == nullptr) return;
  flush();
  if (owned_) {
    int rc = std::fclose(f_);
    f_ = nullptr;
    if (rc != 0) {
      std::string why = system_reason(errno);
      throw Fatal{status::OUTPUT, "Error: no se puede cerrar el archivo de salida \"" + name_ + "\": " + why};
    }
  }
  f_ = nullptr;
}

void OutFile::warn_when_larger(std::uint64_t bytes, OutFile& to, std::string text, bool* done) {
  warn_at_ = bytes;
  warn_to_ = &to;
  warn_text_ = std::move(text);
  warned_ = done;
}

void OutFile::close_quietly() noexcept {
  if (f_ == nullptr) return;
  if (!buf_.empty()) {
    const std::string_view out = encoded();
    std::fwrite(out.data(), 1, out.size(), f_);
  }
  buf_.clear();
  std::fflush(f_);
  if (owned_) std::fclose(f_);
  f_ = nullptr;
  owned_ = false;
}

}  // namespace korvant
