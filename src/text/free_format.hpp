// The free-format line writer: one blank, then the items with no separator:
// texts as they are, integers in 12 columns, single reals as G15.7E2, double
// reals as G23.15E3. A write with no items is an empty line.
//
//   lst(f.rep, "nn=", m.NN, " nb=", m.NB);
#pragma once

#include <string>
#include <string_view>

#include "text/out_file.hpp"

namespace korvant {

class Lst {
 public:
  explicit Lst(OutFile& f);
  Lst(const Lst&) = delete;
  Lst& operator=(const Lst&) = delete;
  // Ends the line; may throw (a failed write, an interruption) unless the
  // stack is already unwinding.
  ~Lst() noexcept(false);
  Lst& operator<<(int v);
  Lst& operator<<(float v);
  Lst& operator<<(double v);
  Lst& operator<<(std::string_view v);
  Lst& operator<<(const char* v) { return *this << std::string_view(v); }
  Lst& operator<<(const std::string& v) { return *this << std::string_view(v); }

 private:
  void start();
  OutFile& f_;
  bool any_ = false;
  int unwinding_;  // exceptions in flight when the write began
};

template <class... A>
void lst(OutFile& f, const A&... a) {
  Lst l(f);
  ((l << a), ...);
}

}  // namespace korvant
