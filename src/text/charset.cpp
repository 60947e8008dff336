#include "text/charset.hpp"

#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace korvant {

namespace {

// Length of the well-formed UTF-8 sequence of two bytes or more that starts at
// s[i] (and its code point in cp), or 0 when there is none.
std::size_t multibyte_at(std::string_view s, std::size_t i, unsigned& cp) {
  const auto u = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned c = u(i);
  std::size_t n;
  unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) n = 2;
  else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;  // no overlong forms
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
  } else return 0;
  if (i + n > s.size()) return 0;
  if (u(i + 1) < lo || u(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((u(i + k) & 0xC0) != 0x80) return 0;
  cp = c & (n == 2 ? 0x1Fu : n == 3 ? 0x0Fu : 0x07u);
  for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (u(i + k) & 0x3Fu);
  return n;
}

void put_latin1_char(std::string& out, unsigned char c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

void latin1_to_utf8(std::string& out, std::string_view latin1) {
  for (char ch : latin1) put_latin1_char(out, static_cast<unsigned char>(ch));
}

void console_utf8(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    unsigned cp = 0;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (std::size_t n = multibyte_at(text, i, cp); n > 0) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      put_latin1_char(out, c);
      ++i;
    }
  }
}

Utf8Scan scan_utf8(std::string_view text) {
  Utf8Scan r;
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    unsigned cp = 0;
    const std::size_t n = multibyte_at(text, i, cp);
    if (n == 0) {
      r.valid = false;
      return r;
    }
    r.multibyte = true;
    i += n;
  }
  return r;
}

int utf8_to_latin1(std::string& text) {
  std::size_t w = 0;
  int line = 1;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 0x80) {
      // A line ends at LF, at CR LF or at a CR alone.
      if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
      text[w++] = c;
      ++i;
      continue;
    }
    unsigned cp = 0;
    const std::size_t n = multibyte_at(text, i, cp);
    if (n == 0 || cp > 0xFF) return line;
    text[w++] = static_cast<char>(static_cast<unsigned char>(cp));
    i += n;
  }
  text.resize(w);
  return 0;
}

bool console_wants_utf8() {
  if (std::setlocale(LC_CTYPE, "") == nullptr) return false;
  const char* cs = nl_langinfo(CODESET);
  return cs != nullptr && (std::strcmp(cs, "UTF-8") == 0 || std::strcmp(cs, "utf8") == 0);
}

}  // namespace korvant
