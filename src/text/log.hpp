// The computation log (MEMORIA) as the computations see it: one narrow sink,
// passed to each step in place of the files of the run, the way a library
// takes a log stream. Every log line goes through lst() or put() on a Log (or
// through file() for a record built field by field).
//
// A line is either a step line (headings, once per case, pass or computation
// step) or a detail line (repeated per reaction, stratum, bar, iteration or
// matrix row: write those as lst(detail(log), ...)). The level chosen by the
// user (--memoria) is decided in keeps() and nowhere else; a loop that only
// writes detail lines may ask keeps(LogLine::detail) once and skip itself.
#pragma once

#include <string_view>

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
  OutFile& file() { return out_; }

 private:
  OutFile& out_;
  LogLevel level_ = LogLevel::Full;
};

// A detail line of the log: lst(detail(log), ...).
struct LogDetail {
  Log& log;
};
inline LogDetail detail(Log& log) { return {log}; }

template <class... A>
void lst(Log& log, const A&... a) {
  if (log.keeps(LogLine::step)) lst(log.file(), a...);
}
template <class... A>
void lst(LogDetail d, const A&... a) {
  if (d.log.keeps(LogLine::detail)) lst(d.log.file(), a...);
}
template <class... A>
void put(Log& log, std::string_view layout_text, const A&... a) {
  if (log.keeps(LogLine::step)) put(log.file(), layout_text, a...);
}
template <class... A>
void put(LogDetail d, std::string_view layout_text, const A&... a) {
  if (d.log.keeps(LogLine::detail)) put(d.log.file(), layout_text, a...);
}

}  // namespace korvant
