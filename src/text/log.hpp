// The computation log (MEMORIA) as the computations see it: one narrow sink,
// passed to each step in place of the files of the run, the way a library
// takes a log stream. Every log line goes through lst() or put() on a Log, or,
// for a line built field by field (a matrix row, a vector), through a LogRec or
// a LogLst; nothing else reaches the file.
//
// A line is either a step line (headings, once per case, pass or computation
// step) or a detail line (repeated per reaction, stratum, bar, node, iteration
// or matrix row: write those as lst(detail(log), ...)). The level chosen by the
// user (--memoria) is decided in keeps() and nowhere else; a loop that only
// writes detail lines may ask keeps(LogLine::detail) once and skip itself.
// So the summary log grows with the passes and the axes of a model, never with
// its bars, reactions or strata.
#pragma once

#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "text/out_file.hpp"

namespace korvant {

enum class LogLine { step, detail };

// How much of the log a run writes: all of it; only the step lines (the
// detail lines are those that grow faster than the model); or no log at all
// (neither MEMORIA nor VALINF).
enum class LogLevel { Full, Summary, None };

class Log {
 public:
  explicit Log(OutFile& out) : out_(out) {}
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  // Whether a line of this kind goes to the log.
  bool keeps(LogLine kind = LogLine::step) const {
    return level_ == LogLevel::Full || (level_ == LogLevel::Summary && kind == LogLine::step);
  }
  // Whether the run writes its logs (MEMORIA and VALINF) at all.
  bool any() const { return level_ != LogLevel::None; }
  LogLevel level() const { return level_; }
  void set_level(LogLevel l) { level_ = l; }
  // The log of a step that runs once per iteration (a pass of the iterative
  // analysis): to it every line is detail, step lines included.
  Log repeated() { return Log(out_, keeps(LogLine::detail) ? LogLevel::Full : LogLevel::None); }
  // The lines written from here on are also appended to `copy` (null: no
  // longer), so that a step whose lines the method repeats is written once
  // more from them (write_again) instead of being computed again.
  void keep_copy(std::string* copy) {
    out_.flush();
    out_.keep_to(copy);
  }
  void write_again(std::string_view lines) {
    out_.put(lines);
    out_.flush();
  }

 private:
  Log(OutFile& out, LogLevel level) : out_(out), level_(level) {}
  template <class R>
  friend class LogRecord;
  template <class... A>
  friend void lst(Log& log, const A&... a);
  template <class... A>
  friend void put(Log& log, std::string_view layout_text, const A&... a);
  OutFile& out_;
  LogLevel level_ = LogLevel::Full;
};

// A detail line of the log: lst(detail(log), ...). A step that runs once per
// bar, reaction or node takes a LogDetail in place of the Log: every line it
// writes is then detail.
struct LogDetail {
  LogDetail(Log& l) : log(l) {}  // NOLINT: a Log given where detail is asked for
  Log& log;
  bool keeps() const { return log.keeps(LogLine::detail); }
};
inline LogDetail detail(Log& log) { return {log}; }

// A line of the log built field by field: a Rec (layout) or a Lst (free
// format) that exists only when the level keeps a line of its kind; the items
// given to one the level leaves out go nowhere.
//   { LogRec r(detail(log), "(20F20.8)"); for (...) r << x; }
template <class R>
class LogRecord {
 public:
  template <class... A>
  explicit LogRecord(Log& log, A&&... a) : on_(log.keeps(LogLine::step)) {
    if (on_) new (mem_) R(log.out_, std::forward<A>(a)...);
  }
  template <class... A>
  explicit LogRecord(LogDetail d, A&&... a) : on_(d.keeps()) {
    if (on_) new (mem_) R(d.log.out_, std::forward<A>(a)...);
  }
  LogRecord(const LogRecord&) = delete;
  LogRecord& operator=(const LogRecord&) = delete;
  // Ends the line, as the Rec or Lst does (and may throw as it does).
  ~LogRecord() noexcept(false) {
    if (on_) rec().~R();
  }
  template <class T>
  LogRecord& operator<<(const T& v) {
    if (on_) rec() << v;
    return *this;
  }

 private:
  R& rec() { return *std::launder(reinterpret_cast<R*>(mem_)); }
  bool on_;
  alignas(R) unsigned char mem_[sizeof(R)];
};
using LogRec = LogRecord<Rec>;
using LogLst = LogRecord<Lst>;

template <class... A>
void lst(Log& log, const A&... a) {
  if (log.keeps(LogLine::step)) lst(log.out_, a...);
}
template <class... A>
void lst(LogDetail d, const A&... a) {
  if (d.keeps()) lst(d.log, a...);
}
template <class... A>
void put(Log& log, std::string_view layout_text, const A&... a) {
  if (log.keeps(LogLine::step)) put(log.out_, layout_text, a...);
}
template <class... A>
void put(LogDetail d, std::string_view layout_text, const A&... a) {
  if (d.keeps()) put(d.log, layout_text, a...);
}

}  // namespace korvant
