#include "text/out_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <utility>

#include "text/charset.hpp"
#include "text/fatal.hpp"
#include "text/progress.hpp"

namespace korvant {

namespace {

// Set by the handler, read by every thread that runs a long loop (a study's
// samples too): an atomic that needs no lock is both signal-safe and race-free.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void on_interruption(int sig) {
  const int saved = errno;
  g_signal.store(sig, std::memory_order_relaxed);
  errno = saved;
}

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
  sigaction(SIGHUP, &sa, nullptr);
  // A write to a pipe whose reader has gone fails with EPIPE instead.
  std::signal(SIGPIPE, SIG_IGN);
  // A file-size limit makes a write fail (EFBIG) instead of killing the run.
  std::signal(SIGXFSZ, SIG_IGN);
}

bool interruption_pending() { return g_signal.load(std::memory_order_relaxed) != 0; }

void stop_if_interrupted() {
  if (const int sig = g_signal.load(std::memory_order_relaxed); sig != 0)
    throw Fatal{status::INTERRUPTED + sig, "corrida interrumpida"};
}

// A stream attached from outside (the console, or a test's temporary file) is
// the caller's to flush and close: it may already be closed here. A file of
// the run that was not published is removed.
OutFile::~OutFile() {
  if (owned_ || !tmp_.empty()) discard();
}

namespace {

constexpr const char* kTempSuffix = ".korvant-tmp";

// The file a name leads to: the name itself, or, for a link (even one that
// leads to no file yet), the file at the end of its links.
std::string link_target(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path p = path;
  for (int i = 0; i < 40; ++i) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) break;
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p.string();
}

// ".REPORTE.korvant-tmp" beside "REPORTE".
std::string temp_name(const std::string& target) {
  const std::size_t slash = target.find_last_of('/');
  const std::size_t at = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, at) + "." + target.substr(at) + kTempSuffix;
}

// Whether the name is that of a device, a pipe or a socket, written in place.
bool special_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

}  // namespace

void OutFile::reserve(const std::string& path) {
  discard();
  name_ = path;
  written_ = 0;
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) cannot_create(path, EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe is written in place. Non-blocking only while
    // opening, so that a pipe without a reader fails instead of waiting.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) cannot_create(path, errno);
    if (::fcntl(fd_, F_SETFL, O_WRONLY) != 0) {
      const int err = errno;
      discard();
      cannot_create(path, err);
    }
    regular_ = false;
    owned_ = true;
    return;
  }
  // A file the user protected stays protected, although a rename could replace it.
  if (exists && ::access(path.c_str(), W_OK) != 0) cannot_create(path, errno);
  target_ = link_target(path);
  const std::string tmp = temp_name(target_);
  fd_ = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd_ < 0) cannot_create(path, errno);
  tmp_ = tmp;
  if (exists) (void)::fchmod(fd_, st.st_mode & 07777);
  regular_ = true;
  owned_ = true;
}

void OutFile::start() {
  if (fd_ < 0 && finished_) {
    // Written once already: written anew.
    fd_ = ::open(tmp_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) cannot_create(name_, errno);
    finished_ = false;
    written_ = 0;
  }
  if (fd_ < 0) return;
  f_ = ::fdopen(fd_, "wb");
  if (f_ == nullptr) {
    const int err = errno;
    discard();
    cannot_create(name_, err);
  }
  fd_ = -1;
  buf_.reserve(kFlushAt + (kFlushAt >> 2));
}

bool OutFile::publish() {
  if (fd_ >= 0 && !tmp_.empty()) {
    discard();  // reserved, never written: the earlier file stays
    return false;
  }
  if (f_ != nullptr) close();
  if (tmp_.empty() || !finished_) return false;
  if (::rename(tmp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    discard();
    cannot_create(name_, err);
  }
  tmp_.clear();
  finished_ = false;
  owned_ = false;
  return true;
}

void OutFile::drop_temp() noexcept {
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
  finished_ = false;
}

void OutFile::discard() noexcept {
  if (tmp_.empty()) {
    close_quietly();  // a device or a pipe keeps what it was sent
    return;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (f_ != nullptr) std::fclose(f_);
  f_ = nullptr;
  buf_.clear();
  drop_temp();
  owned_ = false;
}

void OutFile::open(const std::string& path) {
  discard();
  name_ = path;
  written_ = 0;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd_ < 0) cannot_create(path, errno);
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || ::fcntl(fd_, F_SETFL, O_WRONLY) != 0 ||
      (S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0)) {
    const int err = errno;
    close_quietly();
    cannot_create(path, err);
  }
  regular_ = S_ISREG(st.st_mode);
  owned_ = true;
  start();
}

void OutFile::take(OutFile& other) {
  discard();
  name_ = std::move(other.name_);
  f_ = other.f_;
  fd_ = other.fd_;
  regular_ = other.regular_;
  owned_ = other.owned_;
  tmp_ = std::move(other.tmp_);
  target_ = std::move(other.target_);
  finished_ = other.finished_;
  written_ = other.written_;
  buf_.swap(other.buf_);
  other.f_ = nullptr;
  other.fd_ = -1;
  other.owned_ = false;
  other.tmp_.clear();
  other.finished_ = false;
  other.buf_.clear();
  other.name_.clear();
}

void OutFile::attach(std::FILE* f, const std::string& name) {
  close();
  f_ = f;
  owned_ = false;
  name_ = name;
}

void OutFile::flush() {
  if (copy_ != nullptr) copy_->append(buf_);
  if (keep_ != nullptr) keep_->append(buf_);
  if (console_ && !buf_.empty()) progress_hide();
  if (f_ == nullptr || gone_) {
    buf_.clear();
    return;
  }
  if (!buf_.empty()) {
    const std::string_view out = encoded();
    std::size_t want = out.size();
    std::size_t n = std::fwrite(out.data(), 1, want, f_);
    buf_.clear();
    if (n != want && console_) {
      gone_ = true;
      return;
    }
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
    if (console_) {
      gone_ = true;
      return;
    }
    std::string why = system_reason(errno);
    throw Fatal{status::OUTPUT, "Error: no se puede escribir el archivo de salida \"" + name_ + "\": " + why};
  }
}

std::string_view OutFile::encoded() {
  std::string_view text = buf_;
  if (console_) {
    // A title or an axis name may hold bytes a terminal obeys (ESC, BEL).
    safe_buf_.assign(buf_);
    for (char& c : safe_buf_) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (u < 0x20 && u != '\t' && u != '\n') c = '?';
    }
    text = safe_buf_;
  }
  if (!utf8_) return text;
  utf8_buf_.clear();
  if (every_byte_latin1_)
    latin1_to_utf8(utf8_buf_, text);
  else
    console_utf8(utf8_buf_, text);
  return utf8_buf_;
}

void OutFile::close() {
  if (fd_ >= 0) {
    // Reserved and never started: the earlier file is left as it was.
    if (!tmp_.empty()) {
      discard();
      return;
    }
    close_quietly();
  }
  if (f_ == nullptr) return;
  flush();
  if (owned_) {
    // A file published by rename must be on the disk before its name is.
    if (!tmp_.empty() && ::fsync(::fileno(f_)) != 0 && errno != EINVAL) {
      std::string why = system_reason(errno);
      throw Fatal{status::OUTPUT, "Error: no se puede escribir el archivo de salida \"" + name_ + "\": " + why};
    }
    int rc = std::fclose(f_);
    f_ = nullptr;
    if (rc != 0) {
      std::string why = system_reason(errno);
      throw Fatal{status::OUTPUT, "Error: no se puede cerrar el archivo de salida \"" + name_ + "\": " + why};
    }
    if (!tmp_.empty()) finished_ = true;
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
    ::close(fd_);
    fd_ = -1;
    if (!tmp_.empty()) drop_temp();
    owned_ = false;
  }
  if (f_ == nullptr) {
    buf_.clear();
    return;
  }
  bool whole = true;
  if (!buf_.empty() && !gone_) {
    const std::string_view out = encoded();
    whole = std::fwrite(out.data(), 1, out.size(), f_) == out.size();
  }
  buf_.clear();
  whole = std::fflush(f_) == 0 && whole;
  if (owned_) {
    if (!tmp_.empty()) whole = ::fsync(::fileno(f_)) == 0 && whole;
    whole = std::fclose(f_) == 0 && whole;
    // A file that could not be written whole is not published.
    if (!tmp_.empty()) {
      if (whole) finished_ = true;
      else drop_temp();
    }
  }
  f_ = nullptr;
  if (tmp_.empty()) owned_ = false;
}

FolderLocks::~FolderLocks() {
  for (const auto& [name, fd] : held_) ::close(fd);
}

void FolderLocks::lock(const std::string& path) {
  namespace fs = std::filesystem;
  if (special_file(path)) return;
  const fs::path file = link_target(path);
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::error_code ec;
  fs::path key = fs::weakly_canonical(folder, ec);
  if (ec) key = folder;
  for (const auto& held : held_)
    if (held.first == key.string()) return;
  // A folder that cannot be opened is named by the file's own message later.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    fs::path dir = fs::absolute(folder / "x", ec).lexically_normal().parent_path();
    if (ec) dir = folder;
    throw Fatal{status::OUTPUT, "Error: otra corrida de korvant está escribiendo en esta carpeta: \"" + dir.string() + "\""};
  }
  held_.emplace_back(key.string(), fd);
  // No other run writes here: a temporary file here is left by one that was killed.
  const std::string suffix = kTempSuffix;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > suffix.size() + 1 && name[0] == '.' &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        it->symlink_status(ec).type() == fs::file_type::regular)
      ::unlink(it->path().c_str());
  }
}

void FolderLocks::sync() noexcept {
  for (const auto& [name, fd] : held_) ::fsync(fd);
}

}  // namespace korvant
