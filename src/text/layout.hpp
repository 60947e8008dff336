// The layout writer: one write of items through a layout such as
// "(I5, 3F10.4, 6I3, I5, F10.4)" (Iw, Fw.d, Ew.d, Aw, nX, quoted texts, /,
// repeat counts, groups, re-use of the layout while items remain).
//
//   put(f.rep, "(I5, 3F10.4)", n, x, y, z);
//   { Rec r(f.rep, "(12F15.6)"); for (int j = 1; j <= 12; ++j) r << a(i, j); }
//
// A layout text is parsed once and cached. The write ends (texts after the last
// used field, then the newline) when the Rec is destroyed.
#pragma once

#include <string>
#include <string_view>

#include "text/out_file.hpp"

namespace korvant {

struct Layout;
const Layout& layout(std::string_view text);

class Rec {
 public:
  Rec(OutFile& f, std::string_view layout_text);
  Rec(OutFile& f, const Layout& l);
  Rec(const Rec&) = delete;
  Rec& operator=(const Rec&) = delete;
  // Ends the line; may throw (a failed write, an interruption) unless the
  // stack is already unwinding.
  ~Rec() noexcept(false);

  Rec& operator<<(int v);
  Rec& operator<<(float v);
  Rec& operator<<(double v);
  Rec& operator<<(std::string_view v);
  Rec& operator<<(const char* v) { return *this << std::string_view(v); }
  Rec& operator<<(const std::string& v) { return *this << std::string_view(v); }

 public:
  struct Field;  // one element of a parsed layout

 private:
  const Field& next_field();  // writes the texts up to the next data field
  OutFile& f_;
  const Layout& l_;
  void finish_texts();        // texts, blanks and line ends up to the next data field
  int pos_ = 0;               // index of the next layout element
  int pending_ = 0;           // blanks from nX, written only if something follows
  bool any_ = false;          // some item written
  int unwinding_;             // exceptions in flight when the write began
};

template <class... A>
void put(OutFile& f, std::string_view layout_text, const A&... a) {
  Rec r(f, layout_text);
  ((r << a), ...);
}

// Fortran field formatting, exposed for the free-format writer and for tests.
void format_i(std::string& out, int w, long long v);
// v is the exact value of a float or double. `careful` (tests only): through the
// C library's conversion instead of the exact integer fast path (both must give
// the same bytes).
void format_f(std::string& out, int w, int d, double v, bool careful = false);
void format_e(std::string& out, int w, int d, int e, double v, bool careful = false);
void format_g(std::string& out, int w, int d, int e, double v, bool careful = false);

}  // namespace korvant
