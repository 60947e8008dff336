#include "text/layout.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvant {

// A layout is kept fully expanded: repeat counts and groups are unrolled into a
// flat list of elements, and `revert` is where the layout starts again when it
// is exhausted with items left over (the last top-level group, or the start).
struct Rec::Field {
  enum Kind { I, F, E, G, A, X, TEXT, SLASH } kind;
  explicit Field(Kind k) : kind(k) {}
  int w = 0, d = 0, e = 0;  // width, decimals, exponent digits (0: default)
  bool has_w = false;        // A without a width takes the text as it is
  std::string text;          // quoted text
  bool data() const { return kind <= A; }
};

struct Layout {
  std::string text;
  std::vector<Rec::Field> el;
  std::size_t revert = 0;
  bool has_data = false;
};

namespace {

[[noreturn]] void bad_layout(std::string_view text, const char* why) {
  std::fprintf(stderr, "error interno: formato de salida no valido (%s): %.*s\n", why, static_cast<int>(text.size()), text.data());
  std::abort();
}

struct Parser {
  std::string_view s;
  std::size_t p = 0;

  void blanks() {
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
  }
  bool digit() const { return p < s.size() && s[p] >= '0' && s[p] <= '9'; }
  int number() {
    int v = 0;
    while (digit()) v = v * 10 + (s[p++] - '0');
    return v;
  }

  // Parses a list up to the closing parenthesis (consumed). `top` marks the
  // outermost list, whose groups set the reversion point.
  void list(std::vector<Rec::Field>& out, bool top, std::size_t& revert) {
    for (;;) {
      blanks();
      if (p >= s.size()) bad_layout(s, "falta ')'");
      char c = s[p];
      if (c == ')') {
        ++p;
        return;
      }
      if (c == ',') {
        ++p;
        continue;
      }
      if (c == '/') {
        ++p;
        out.push_back(Rec::Field(Rec::Field::SLASH));
        continue;
      }
      if (c == '\'' || c == '"') {
        char q = c;
        ++p;
        std::string t;
        for (;;) {
          if (p >= s.size()) bad_layout(s, "texto sin cerrar");
          if (s[p] == q) {
            if (p + 1 < s.size() && s[p + 1] == q) {
              t.push_back(q);
              p += 2;
              continue;
            }
            ++p;
            break;
          }
          t.push_back(s[p++]);
        }
        Rec::Field f(Rec::Field::TEXT);
        f.text = std::move(t);
        out.push_back(std::move(f));
        continue;
      }
      int rep = 1;
      bool has_rep = false;
      if (digit()) {
        rep = number();
        has_rep = true;
        blanks();
        if (p >= s.size()) bad_layout(s, "final inesperado");
      }
      c = s[p];
      if (c == '(') {
        ++p;
        std::vector<Rec::Field> inner;
        std::size_t dummy = 0;
        list(inner, false, dummy);
        if (top) revert = out.size();
        for (int r = 0; r < rep; ++r) out.insert(out.end(), inner.begin(), inner.end());
        continue;
      }
      if (c == '/') {
        ++p;
        for (int r = 0; r < rep; ++r) out.push_back(Rec::Field(Rec::Field::SLASH));
        continue;
      }
      if (c == 'X' || c == 'x') {
        ++p;
        Rec::Field f(Rec::Field::X);
        f.w = has_rep ? rep : 1;
        out.push_back(f);
        continue;
      }
      Rec::Field f(Rec::Field::I);
      switch (c) {
        case 'I': case 'i': f.kind = Rec::Field::I; break;
        case 'F': case 'f': f.kind = Rec::Field::F; break;
        case 'E': case 'e': f.kind = Rec::Field::E; break;
        case 'G': case 'g': f.kind = Rec::Field::G; break;
        case 'A': case 'a': f.kind = Rec::Field::A; break;
        default: bad_layout(s, "descriptor desconocido");
      }
      ++p;
      if (digit()) {
        f.w = number();
        f.has_w = true;
      }
      if (p < s.size() && s[p] == '.') {
        ++p;
        f.d = number();
      }
      if (p < s.size() && (s[p] == 'E' || s[p] == 'e') && (f.kind == Rec::Field::E || f.kind == Rec::Field::G)) {
        ++p;
        f.e = number();
      }
      if (f.kind != Rec::Field::A && !f.has_w) bad_layout(s, "falta el ancho");
      for (int r = 0; r < rep; ++r) out.push_back(f);
    }
  }
};

Layout parse(std::string_view text) {
  Parser ps{text};
  ps.blanks();
  if (ps.p >= text.size() || text[ps.p] != '(') bad_layout(text, "falta '('");
  ++ps.p;
  Layout l;
  l.text.assign(text);
  ps.list(l.el, true, l.revert);
  for (const auto& f : l.el) l.has_data = l.has_data || f.data();
  return l;
}

void pad(std::string& out, int n) {
  if (n > 0) out.append(static_cast<std::size_t>(n), ' ');
}

void stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

constexpr char kDigits2[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Decimal digits of r written right to left ending at p, `min` of them at
// least (leading zeros); returns the start.
inline char* put_digits(char* p, std::uint64_t r, int min) {
  char* const end = p;
  while (r >= 100) {
    const std::uint64_t t = r / 100;
    p -= 2;
    std::memcpy(p, kDigits2 + 2 * (r - t * 100), 2);
    r = t;
  }
  if (r >= 10) {
    p -= 2;
    std::memcpy(p, kDigits2 + 2 * r, 2);
  } else {
    *--p = static_cast<char>('0' + r);
  }
  while (end - p < min) *--p = '0';
  return p;
}

// A body that fits: right-justified in w columns, in one piece.
inline void put_right(std::string& out, int w, const char* body, int n) {
  const std::size_t pos = out.size();
  out.append(static_cast<std::size_t>(w), ' ');
  std::memcpy(&out[pos + static_cast<std::size_t>(w - n)], body, static_cast<std::size_t>(n));
}

// Non-finite values: NaN, Infinity, -Infinity (Inf, -Inf when short), right-justified.
bool nonfinite(std::string& out, int w, double v) {
  if (std::isfinite(v)) return false;
  const char* t;
  if (std::isnan(v)) {
    t = "NaN";
  } else if (v > 0) {
    t = w >= 8 ? "Infinity" : "Inf";
  } else {
    t = w >= 9 ? "-Infinity" : "-Inf";
  }
  int n = static_cast<int>(std::char_traits<char>::length(t));
  if (n > w) {
    stars(out, w);
  } else {
    pad(out, w - n);
    out.append(t);
  }
  return true;
}

// Places a formatted body right-justified in w columns. A leading "0" before the
// decimal point is dropped when the body is exactly one column too wide.
void place(std::string& out, int w, std::string_view body) {
  int n = static_cast<int>(body.size());
  if (n <= w) {
    pad(out, w - n);
    out.append(body);
    return;
  }
  if (n == w + 1) {
    bool neg = body[0] == '-';
    std::size_t z = neg ? 1 : 0;
    if (body.size() > z + 1 && body[z] == '0' && body[z + 1] == '.') {
      if (neg) out.push_back('-');
      out.append(body.substr(z + 1));
      return;
    }
  }
  stars(out, w);
}

}  // namespace

const Layout& layout_by_text(std::string_view text);

const Layout& layout(std::string_view text) {
  // Layout texts are almost always literals: a small cache by address comes first.
  struct Slot {
    const char* p = nullptr;
    std::size_t n = 0;
    const Layout* l = nullptr;
  };
  thread_local Slot slots[64];
  Slot& slot = slots[(reinterpret_cast<std::uintptr_t>(text.data()) >> 3) & 63];
  if (slot.p == text.data() && slot.n == text.size() && slot.l->text == text) return *slot.l;
  const Layout& l = layout_by_text(text);
  slot = {text.data(), text.size(), &l};
  return l;
}

const Layout& layout_by_text(std::string_view text) {
  static std::mutex mu;
  static std::map<std::string, std::unique_ptr<Layout>, std::less<>> cache;
  std::lock_guard<std::mutex> lock(mu);
  auto it = cache.find(text);
  if (it != cache.end()) return *it->second;
  auto l = std::make_unique<Layout>(parse(text));
  const Layout& ref = *l;
  cache.emplace(std::string(text), std::move(l));
  return ref;
}

void format_i(std::string& out, int w, long long v) {
  char b[32];
  const std::uint64_t a = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  char* p = put_digits(b + sizeof b, a, 1);
  if (v < 0) *--p = '-';
  const int n = static_cast<int>(b + sizeof b - p);
  if (n > w) {
    stars(out, w);
  } else {
    put_right(out, w, p, n);
  }
}

static void careful_format_f(std::string& out, int w, int d, double v) {
  if (nonfinite(out, w, v)) return;
  char b[400];
  int n = std::snprintf(b, sizeof b, "%.*f", d, v);
  std::string_view body(b, static_cast<std::size_t>(n));
  std::string tmp;
  if (d == 0) {
    tmp.assign(body);
    tmp.push_back('.');
    body = tmp;
  }
  place(out, w, body);
}

namespace {

// Mantissa digits (d of them) and decimal exponent x of v = 0.ddd * 10^x,
// correctly rounded. v is finite.
void careful_decimal_digits(double v, int d, std::string& digits, int& x, bool& neg) {
  neg = std::signbit(v);
  double a = std::fabs(v);
  digits.clear();
  if (a == 0.0) {
    digits.assign(static_cast<std::size_t>(d), '0');
    x = 0;
    return;
  }
  char b[64];
  if (d >= 1) {
    std::snprintf(b, sizeof b, "%.*e", d - 1, a);
    // b = "D.DDDDe+XX"
    const char* pe = b;
    while (*pe != 'e') ++pe;
    digits.push_back(b[0]);
    for (const char* q = b + 2; q < pe; ++q) digits.push_back(*q);
    x = std::atoi(pe + 1) + 1;
  } else {
    // E with no decimals: not used by the program; take the exponent of one digit.
    std::snprintf(b, sizeof b, "%.0e", a);
    const char* pe = b;
    while (*pe != 'e') ++pe;
    x = std::atoi(pe + 1) + 1;
  }
}


using u128 = unsigned __int128;

struct Pow10 {
  u128 p[39];
  int bits[39];
  constexpr Pow10() : p(), bits() {
    u128 x = 1;
    for (int i = 0; i < 39; ++i) {
      p[i] = x;
      int b = 0;
      for (u128 y = x; y != 0; y >>= 1) ++b;
      bits[i] = b;
      x *= 10;
    }
  }
};
constexpr Pow10 kP10;

int bit_length(u128 x) {
  std::uint64_t hi = static_cast<std::uint64_t>(x >> 64);
  std::uint64_t lo = static_cast<std::uint64_t>(x);
  if (hi != 0) return 128 - __builtin_clzll(hi);
  if (lo != 0) return 64 - __builtin_clzll(lo);
  return 0;
}

// q = |a| * 10^p rounded half-even to an integer, exactly. False when the
// numbers do not fit the fast path (the careful path then takes over).
bool scaled_round(double a, int p, u128& q) {
  if (p < 0 || p > 38) return false;
  if (a == 0.0) {
    q = 0;
    return true;
  }
  // a = m * 2^sh with m the 53-bit significand (a is finite and positive).
  std::uint64_t bits = 0;
  std::memcpy(&bits, &a, sizeof bits);
  int be = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  int sh;
  if (be == 0) {
    sh = -1074;
  } else {
    m |= std::uint64_t{1} << 52;
    sh = be - 1075;
  }
  int tz = __builtin_ctzll(m);
  m >>= tz;
  sh += tz;
  int mbits = 64 - __builtin_clzll(m);
  if (mbits + kP10.bits[p] <= 64 && sh < 0 && sh > -64) {
    // Everything fits in 64 bits (the usual case for single-precision values).
    std::uint64_t num = m * static_cast<std::uint64_t>(kP10.p[p]);
    int s = -sh;
    std::uint64_t q64 = num >> s;
    std::uint64_t rem = num - (q64 << s);
    std::uint64_t half = std::uint64_t{1} << (s - 1);
    if (rem > half || (rem == half && (q64 & 1) != 0)) ++q64;
    q = q64;
    return true;
  }
  if (mbits + kP10.bits[p] > 127) return false;
  u128 num = static_cast<u128>(m) * kP10.p[p];
  if (sh >= 0) {
    if (bit_length(num) + sh > 127) return false;
    q = num << sh;
    return true;
  }
  int s = -sh;
  if (s >= 128) {
    q = 0;  // num < 2^127: below one half
    return true;
  }
  q = num >> s;
  u128 rem = num - (q << s);
  u128 half = static_cast<u128>(1) << (s - 1);
  if (rem > half || (rem == half && (q & 1) != 0)) ++q;
  return true;
}

// Decimal digits of q, at least `min` of them (leading zeros added).
int u128_digits(u128 q, char* buf, int min) {
  static constexpr char k2[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char tmp[48];
  int n = 48;
  while (q > static_cast<u128>(UINT64_MAX)) {
    tmp[--n] = static_cast<char>('0' + static_cast<int>(q % 10));
    q /= 10;
  }
  std::uint64_t r = static_cast<std::uint64_t>(q);
  while (r >= 100) {
    std::uint64_t t = r / 100;
    unsigned i = static_cast<unsigned>(r - t * 100) * 2;
    tmp[--n] = k2[i + 1];
    tmp[--n] = k2[i];
    r = t;
  }
  if (r >= 10) {
    unsigned i = static_cast<unsigned>(r) * 2;
    tmp[--n] = k2[i + 1];
    tmp[--n] = k2[i];
  } else if (r > 0) {
    tmp[--n] = static_cast<char>('0' + r);
  }
  while (48 - n < min) tmp[--n] = '0';
  int len = 48 - n;
  std::memcpy(buf, tmp + n, static_cast<std::size_t>(len));
  return len;
}

// Fw.d body of |v| scaled to q units of 10^-d, written right to left ending at
// `end`: sign, integer part (at least "0"), point, d decimals. Returns the start.
char* fixed_body(char* end, bool neg, u128 q, int d) {
  char* p = end;
  if (q <= static_cast<u128>(UINT64_MAX)) {
    std::uint64_t r = static_cast<std::uint64_t>(q);
    for (int i = 0; i < d; ++i) {
      *--p = static_cast<char>('0' + static_cast<int>(r % 10));
      r /= 10;
    }
    *--p = '.';
    do {
      *--p = static_cast<char>('0' + static_cast<int>(r % 10));
      r /= 10;
    } while (r != 0);
  } else {
    char dig[48];
    int n = u128_digits(q, dig, d + 1);
    p -= n + 1;
    std::memcpy(p, dig, static_cast<std::size_t>(n - d));
    p[n - d] = '.';
    std::memcpy(p + n - d + 1, dig + n - d, static_cast<std::size_t>(d));
  }
  if (neg) *--p = '-';
  return p;
}

void decimal_digits(double v, int d, std::string& digits, int& x, bool& neg, bool careful) {
  double a = std::fabs(v);
  if (!careful && a != 0.0 && d >= 1 && d <= 30) {
    int e2 = 0;
    std::frexp(a, &e2);
    // 2^(e2-1) <= a < 2^e2: first guess of the decimal exponent, then corrected.
    x = static_cast<int>(std::floor(static_cast<double>(e2 - 1) * 0.30102999566398120)) + 1;
    for (int it = 0; it < 4; ++it) {
      u128 q = 0;
      if (!scaled_round(a, d - x, q)) break;
      if (q >= kP10.p[d]) {
        ++x;
        continue;
      }
      if (q < kP10.p[d - 1]) {
        --x;
        continue;
      }
      char dig[48];
      int n = u128_digits(q, dig, d);
      digits.assign(dig, static_cast<std::size_t>(n));
      neg = std::signbit(v);
      return;
    }
  }
  careful_decimal_digits(v, d, digits, x, neg);
}

}  // namespace

void format_f(std::string& out, int w, int d, double v, bool careful) {
  if (nonfinite(out, w, v)) return;
  u128 q = 0;
  if (!careful && d <= 38 && scaled_round(std::fabs(v), d, q)) {
    if (d <= 19 && q <= static_cast<u128>(UINT64_MAX)) {
      // The usual case: decimals, point, integer part, sign, then placed.
      char b[64];
      char* const end = b + sizeof b;
      const std::uint64_t r = static_cast<std::uint64_t>(q);
      const std::uint64_t ip = r / static_cast<std::uint64_t>(kP10.p[d]);
      char* p = put_digits(end, r - ip * static_cast<std::uint64_t>(kP10.p[d]), d);
      if (d == 0) p = end;
      *--p = '.';
      p = put_digits(p, ip, 1);
      if (std::signbit(v)) *--p = '-';
      const int n = static_cast<int>(end - p);
      if (n <= w) {
        put_right(out, w, p, n);
      } else {
        place(out, w, std::string_view(p, static_cast<std::size_t>(n)));
      }
      return;
    }
    char b[96];
    char* start = fixed_body(b + sizeof b, std::signbit(v), q, d);
    place(out, w, std::string_view(start, static_cast<std::size_t>(b + sizeof b - start)));
    return;
  }
  careful_format_f(out, w, d, v);
}

void format_e(std::string& out, int w, int d, int e, double v, bool careful) {
  if (nonfinite(out, w, v)) return;
  std::string digits;
  int x = 0;
  bool neg = false;
  decimal_digits(v, d, digits, x, neg, careful);
  std::string body;
  if (neg) body.push_back('-');
  body.append("0.");
  body.append(digits);
  int ax = x < 0 ? -x : x;
  char eb[16];
  if (e > 0) {
    // Ew.dEe: E, sign and exactly e digits (asterisks when they do not suffice).
    int n = std::snprintf(eb, sizeof eb, "%0*d", e, ax);
    if (n > e) {
      stars(out, w);
      return;
    }
    body.push_back('E');
    body.push_back(x < 0 ? '-' : '+');
    body.append(eb, static_cast<std::size_t>(n));
  } else if (ax <= 99) {
    std::snprintf(eb, sizeof eb, "E%c%02d", x < 0 ? '-' : '+', ax);
    body.append(eb);
  } else if (ax <= 999) {
    std::snprintf(eb, sizeof eb, "%c%03d", x < 0 ? '-' : '+', ax);
    body.append(eb);
  } else {
    stars(out, w);
    return;
  }
  place(out, w, body);
}

void format_g(std::string& out, int w, int d, int e, double v, bool careful) {
  if (nonfinite(out, w, v)) return;
  int n = (e > 0 ? e : 2) + 2;
  if (v == 0.0) {
    format_f(out, w - n, d > 0 ? d - 1 : 0, v, careful);
    pad(out, n);
    return;
  }
  std::string digits;
  int x = 0;
  bool neg = false;
  decimal_digits(v, d, digits, x, neg, careful);
  // v rounds to 0.ddd * 10^x: F form when 0.1 <= |N| < 10^d, i.e. 0 <= x <= d.
  if (x >= 0 && x <= d) {
    format_f(out, w - n, d - x, v, careful);
    pad(out, n);
  } else {
    format_e(out, w, d, e, v, careful);
  }
}

// ---- Rec ------------------------------------------------------------------

Rec::Rec(OutFile& f, std::string_view layout_text) : Rec(f, layout(layout_text)) {}

Rec::Rec(OutFile& f, const Layout& l) : f_(f), l_(l), unwinding_(std::uncaught_exceptions()) {}

void Rec::finish_texts() {
  std::string& out = f_.buf();
  while (static_cast<std::size_t>(pos_) < l_.el.size()) {
    const Field& e = l_.el[static_cast<std::size_t>(pos_)];
    if (e.data()) return;
    ++pos_;
    switch (e.kind) {
      case Field::X: pending_ += e.w; break;
      case Field::TEXT:
        pad(out, pending_);
        pending_ = 0;
        out.append(e.text);
        break;
      case Field::SLASH:
        pending_ = 0;
        f_.end_line();
        break;
      default: break;
    }
  }
}

const Rec::Field& Rec::next_field() {
  // The usual case: the next element is a data field.
  if (static_cast<std::size_t>(pos_) < l_.el.size()) {
    const Field& e = l_.el[static_cast<std::size_t>(pos_)];
    if (e.data()) {
      ++pos_;
      if (pending_ != 0) {
        pad(f_.buf(), pending_);
        pending_ = 0;
      }
      any_ = true;
      return e;
    }
  }
  for (;;) {
    finish_texts();
    if (static_cast<std::size_t>(pos_) < l_.el.size()) break;
    // Layout exhausted with an item still to write: new line, start again.
    if (!l_.has_data) bad_layout("", "sin descriptores de datos");
    pending_ = 0;
    f_.end_line();
    pos_ = static_cast<int>(l_.revert);
  }
  const Field& e = l_.el[static_cast<std::size_t>(pos_)];
  ++pos_;
  pad(f_.buf(), pending_);
  pending_ = 0;
  any_ = true;
  return e;
}

// Items have run out: the line ends after the texts that follow the last field.
Rec::~Rec() noexcept(false) {
  // While the run is ending on an error the line is only closed.
  if (std::uncaught_exceptions() > unwinding_) {
    f_.put('\n');
    return;
  }
  finish_texts();
  f_.end_line();
}

Rec& Rec::operator<<(int v) {
  const Field& e = next_field();
  std::string& out = f_.buf();
  switch (e.kind) {
    case Field::I: format_i(out, e.w, v); break;
    case Field::F: format_f(out, e.w, e.d, static_cast<double>(v)); break;
    case Field::E: format_e(out, e.w, e.d, e.e, static_cast<double>(v)); break;
    case Field::G: format_g(out, e.w, e.d, e.e, static_cast<double>(v)); break;
    default: {
      std::string t = std::to_string(v);
      if (e.has_w) place(out, e.w, t); else out.append(t);
    }
  }
  return *this;
}

namespace {
void real_field(std::string& out, const Rec::Field& e, double v) {
  switch (e.kind) {
    case Rec::Field::F: format_f(out, e.w, e.d, v); break;
    case Rec::Field::E: format_e(out, e.w, e.d, e.e, v); break;
    case Rec::Field::G: format_g(out, e.w, e.d, e.e, v); break;
    case Rec::Field::I:
      if (std::isfinite(v)) format_i(out, e.w, static_cast<long long>(v)); else stars(out, e.w);
      break;
    default: stars(out, e.has_w ? e.w : 1);
  }
}
}  // namespace

Rec& Rec::operator<<(float v) {
  const Field& e = next_field();
  real_field(f_.buf(), e, static_cast<double>(v));
  return *this;
}

Rec& Rec::operator<<(double v) {
  const Field& e = next_field();
  real_field(f_.buf(), e, v);
  return *this;
}

Rec& Rec::operator<<(std::string_view v) {
  const Field& e = next_field();
  std::string& out = f_.buf();
  if (e.kind == Field::A && e.has_w) {
    int n = static_cast<int>(v.size());
    if (n >= e.w) {
      out.append(v.substr(0, static_cast<std::size_t>(e.w)));
    } else {
      pad(out, e.w - n);
      out.append(v);
    }
  } else if (e.kind == Field::A) {
    out.append(v);
  } else {
    stars(out, e.w);
  }
  return *this;
}

}  // namespace korvant
