#include "text/out_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <utility>

#include "text/charset.hpp"
#include "text/fatal.hpp"

namespace korvant {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void on_interruption(int sig) { g_signal = sig; }

[[noreturn]] void cannot_create(const std::string& path, int err) {
  throw Fatal{status::OUTPUT, "Error: no se puede crear el archivo de salida \"" + path + "\": " + system_reason(err)};
}

}  // namespace

void catch_interruptions() {
  struct sigaction sa {};
  sa.sa_handler = on_interruption;
  sigemptyset(&sa.sa_mask);
  // Reads and writes go on after the handler; the second signal is deadly.
  sa.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A file-size limit makes a write fail (EFBIG) instead of killing the run.
  std::signal(SIGXFSZ, SIG_IGN);
}

void stop_if_interrupted() {
  if (g_signal != 0) throw Fatal{status::INTERRUPTED + g_signal, "corrida interrumpida"};
}

// A stream attached from outside (the console, or a test's temporary file) is
// the caller's to flush and close: it may already be closed here.
OutFile::~OutFile() {
  if (owned_) close_quietly();
}


void OutFile::reserve(const std::string& path) {
  close();
  name_ = path;
  written_ = 0;
  // Opened without truncation: an existing file keeps its bytes until start().
  // Non-blocking only while opening, so that a pipe without a reader fails
  // instead of waiting.
  const int flags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;
  created_ = false;
  fd_ = ::open(path.c_str(), flags);
  if (fd_ < 0 && errno == ENOENT) {
    fd_ = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
    created_ = fd_ >= 0;
  }
  if (fd_ < 0) cannot_create(path, errno);
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || ::fcntl(fd_, F_SETFL, O_WRONLY) != 0) {
    const int err = errno;
    close_quietly();
    cannot_create(path, err);
  }
  regular_ = S_ISREG(st.st_mode);
  owned_ = true;
  if (regular_ && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    close_quietly();
    if (err != EWOULDBLOCK) cannot_create(path, err);
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path dir = fs::absolute(fs::path(path), ec).lexically_normal().parent_path();
    if (ec) dir = fs::path(path).parent_path();
    throw Fatal{status::OUTPUT, "Error: otra corrida de korvant está escribiendo en esta carpeta: \"" + dir.string() + "\""};
  }
}

void OutFile::start() {
  if (fd_ < 0) return;
  if (regular_ && ::ftruncate(fd_, 0) != 0) {
    const int err = errno;
    close_quietly();
    cannot_create(name_, err);
  }
  f_ = ::fdopen(fd_, "wb");
  if (f_ == nullptr) {
    const int err = errno;
    close_quietly();
    cannot_create(name_, err);
  }
  fd_ = -1;
  created_ = false;
  buf_.reserve(kFlushAt + (kFlushAt >> 2));
}

void OutFile::open(const std::string& path) {
  reserve(path);
  start();
}

void OutFile::take(OutFile& reserved) {
  close();
  name_ = std::move(reserved.name_);
  fd_ = reserved.fd_;
  created_ = reserved.created_;
  regular_ = reserved.regular_;
  owned_ = true;
  reserved.fd_ = -1;
  reserved.owned_ = false;
}

void OutFile::attach(std::FILE* f, const std::string& name) {
  close();
  f_ = f;
  owned_ = false;
  name_ = name;
}

void OutFile::flush() {
  if (copy_ != nullptr) copy_->append(buf_);
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
  if (every_byte_latin1_)
    latin1_to_utf8(utf8_buf_, buf_);
  else
    console_utf8(utf8_buf_, buf_);
  return utf8_buf_;
}

void OutFile::close() {
  if (fd_ >= 0) close_quietly();  // reserved and never started: left as it was
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
  if (copy_ != nullptr) copy_->append(buf_);
  if (fd_ >= 0) {
    if (created_) ::unlink(name_.c_str());
    ::close(fd_);
    fd_ = -1;
    created_ = false;
    owned_ = false;
  }
  if (f_ == nullptr) {
    buf_.clear();
    return;
  }
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
