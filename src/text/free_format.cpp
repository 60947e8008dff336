#include "text/free_format.hpp"

#include <exception>

#include "text/layout.hpp"

namespace korvant {

void Lst::start() {
  if (!any_) {
    f_.put(' ');
    any_ = true;
  }
}

Lst::Lst(OutFile& f) : f_(f), unwinding_(std::uncaught_exceptions()) {}

Lst::~Lst() noexcept(false) {
  // While the run is ending on an error the line is only closed.
  if (std::uncaught_exceptions() > unwinding_) {
    f_.put('\n');
    return;
  }
  f_.end_line();
}

Lst& Lst::operator<<(int v) {
  start();
  format_i(f_.buf(), 12, v);
  return *this;
}

Lst& Lst::operator<<(float v) {
  start();
  format_g(f_.buf(), 15, 7, 2, static_cast<double>(v));
  return *this;
}

Lst& Lst::operator<<(double v) {
  start();
  format_g(f_.buf(), 23, 15, 3, v);
  return *this;
}

Lst& Lst::operator<<(std::string_view v) {
  start();
  f_.put(v);
  return *this;
}

}  // namespace korvant
