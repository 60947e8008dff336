#include "driver/data_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>

#include "text/charset.hpp"
#include "text/fatal.hpp"
#include "text/free_format.hpp"
#include "text/out_file.hpp"

namespace korvant {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }
bool ends_value(char c) { return blank(c) || c == ',' || c == '/'; }

std::string shown(std::string_view tok) { return "\"" + std::string(tok) + "\""; }

constexpr std::string_view kLineTooLong =
    "pasa de 1 MiB (1048576 caracteres); un archivo de datos no tiene líneas tan largas";
constexpr std::string_view kNul = "contiene un byte nulo (NUL), que no es un carácter de texto";

bool digit(char c) { return c >= '0' && c <= '9'; }
bool letter(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (u >= 0xC0 && u != 0xD7 && u != 0xF7);
}

// The first blank-delimited word of a line.
std::string_view first_word(std::string_view line) {
  std::size_t a = 0;
  while (a < line.size() && blank(line[a])) ++a;
  std::size_t e = a;
  while (e < line.size() && !blank(line[e])) ++e;
  return line.substr(a, e - a);
}

// A line that begins with a number ("22", "-3.5", ".5").
bool starts_with_number(std::string_view line) {
  std::string_view w = first_word(line);
  std::size_t p = 0;
  if (p < w.size() && (w[p] == '+' || w[p] == '-')) ++p;
  if (p < w.size() && w[p] == '.') ++p;
  return p < w.size() && digit(w[p]);
}

}  // namespace

// ---- DataReader -------------------------------------------------------------

void DataReader::open(const std::string& path) {
  name_ = path;
  auto fail = [&](const char* doing) {
    throw Fatal{status::BAD_DATA,
                std::string("Error: no se puede ") + doing + " el archivo de datos \"" + path + "\": " + system_reason(errno)};
  };
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  std::FILE* in = file.get();
  if (in == nullptr) fail("abrir");
  // Read in pieces, so that an endless input (a device, a pipe) is refused at
  // the bound instead of filling the memory: the whole file may not pass
  // kMaxFileBytes, nor one line kMaxLineBytes.
  std::string text;
  char b[1 << 16];
  std::size_t n;
  std::size_t line_len = 0;  // bytes of the line being read
  int lines = 1;             // number of that line
  bool after_cr = false;     // the last byte was a CR (a CR LF pair ends one line)
  while ((n = std::fread(b, 1, sizeof b, in)) > 0) {
    stop_if_interrupted();
    if (text.size() + n > kMaxFileBytes)
      reject_data(path, 0, "tamaño del archivo",
             "pasa de 256 MiB (268435456 bytes); un archivo de datos no puede ser tan grande");
    for (std::size_t i = 0; i < n; ++i) {
      const char c = b[i];
      if (c == '\n' || c == '\r') {
        if (!(c == '\n' && after_cr)) ++lines;
        line_len = 0;
      } else if (++line_len > kMaxLineBytes) {
        reject_data(path, lines, "longitud de la línea", kLineTooLong);
      }
      after_cr = c == '\r';
    }
    // Grown by doubling, but never past the bound.
    if (text.size() + n > text.capacity())
      text.reserve(std::min(std::max(2 * text.capacity(), text.size() + n), kMaxFileBytes));
    text.append(b, n);
  }
  const bool bad = std::ferror(in) != 0;
  if (bad) fail("leer");
  open_text(path, std::move(text));
}

void DataReader::open_text(const std::string& name, std::string text) {
  name_ = name;
  // A byte-order mark declares UTF-8 and is no part of the first line; a
  // well-formed text with multi-byte characters is UTF-8 too. Any other text is
  // Latin-1, as it stands.
  const bool bom = text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (bom) text.erase(0, 3);
  const Utf8Scan scan = scan_utf8(text);
  if (scan.valid && (bom || scan.multibyte)) {
    if (const int bad = utf8_to_latin1(text); bad > 0)
      reject_data(name, bad, "texto",
                  "el archivo está escrito en UTF-8 y este renglón tiene un carácter que no existe en Latin-1 "
                  "(el juego de caracteres de los reportes); cámbielo por uno de Latin-1 (letras con acento, ñ, ü)");
  }
  text_ = std::move(text);
  off_ = 0;
  cur_.clear();
  col_ = 0;
  line_no_ = 0;
  have_line_ = false;
}

// A line ends at LF, at CR LF or at a CR alone.
bool DataReader::next_line() {
  if (off_ >= text_.size()) return false;
  std::size_t e = text_.find('\n', off_);
  if (e == std::string::npos) e = text_.size();
  const void* cr = std::memchr(text_.data() + off_, '\r', e - off_);
  std::size_t next = e < text_.size() ? e + 1 : e;
  if (cr != nullptr) {
    const std::size_t c = static_cast<std::size_t>(static_cast<const char*>(cr) - text_.data());
    next = c + 1 == e ? e + 1 : c + 1;
    e = c;
  }
  ++line_no_;
  if (e - off_ > kMaxLineBytes) fail_at(line_no_, "longitud de la línea", kLineTooLong);
  cur_.assign(text_, off_, e - off_);
  off_ = next;
  col_ = 0;
  return true;
}

void DataReader::skip(std::string_view question) {
  if (!next_line()) fail_at(last_line(), "línea de encabezado", "el archivo termina antes de esta línea");
  if (starts_with_number(cur_)) {
    std::string what = "el renglón " + std::to_string(line_no_) + " se saltó como encabezado pero empieza con un número";
    if (!question.empty()) what += ": " + std::string(question);
    warn(line_no_, what);
  }
}

void DataReader::warn(int line, std::string_view what) const {
  if (warn_ == nullptr) return;
  lst(*warn_, "Aviso: archivo de datos \"" + name_ + "\", línea " + std::to_string(line) + ": " + std::string(what));
}

std::string DataReader::read_fixed(int w, std::string_view item) {
  if (!next_line()) fail_at(last_line(), item, "el archivo termina antes de esta línea");
  std::string s = cur_.substr(0, static_cast<std::size_t>(w));
  if (s.find('\0') != std::string::npos) fail_at(line_no_, item, kNul);
  s.resize(static_cast<std::size_t>(w), ' ');
  return s;
}

void DataReader::fail(std::string_view item, std::string_view what) const { fail_at(line_no_, item, what); }

void DataReader::fail_at(int line, std::string_view item, std::string_view what) const {
  reject_data(name_, line, item, what);
}

// ---- ReadStmt ---------------------------------------------------------------

ReadStmt::ReadStmt(DataReader& rd) : rd_(rd) { rd_.have_line_ = false; }

// The statement is over: what is left of its last line is ignored.
ReadStmt::~ReadStmt() { rd_.have_line_ = false; }

ReadStmt& ReadStmt::of(std::string which) {
  which_ = std::move(which);
  return *this;
}

ReadStmt& ReadStmt::counted(std::string_view count_name, int count, int index, std::string_view lines) {
  count_name_ = count_name;
  count_ = count;
  index_ = index;
  lines_ = lines;
  return *this;
}

std::string ReadStmt::heading_hint() const {
  if (count_name_.empty() || !tok_fresh_) return {};
  // The value just read lies on rd_.cur_. A heading begins with a word; the
  // value is that word, or the statement began on an earlier line (the count
  // line of the next block was taken for the first values of this entry).
  const std::string_view line = rd_.cur_;
  const std::string_view w = first_word(line);
  if (w.size() < 3) return {};
  for (char c : w)
    if (!letter(c)) return {};
  const bool is_word = tok_col_ == static_cast<std::size_t>(w.data() - line.data());
  if (!is_word && first_line_ == tok_line_) return {};
  // "1 renglón de zapatas", "1 estrato en el perfil 1": the first word in the singular.
  std::string lines(lines_);
  if (index_ - 1 == 1) {
    if (lines.rfind("renglones", 0) == 0) lines.replace(0, 9, "renglón");
    else if (lines.rfind("estratos", 0) == 0) lines.replace(0, 8, "estrato");
  }
  return "; " + std::string(count_name_) + " = " + std::to_string(count_) + " pero sólo hay " +
         std::to_string(index_ - 1) + " " + lines + " antes de «" + std::string(w) + "»";
}

void ReadStmt::reject(std::string_view item, const std::string& what) const {
  rd_.fail_at(tok_line_, std::string(item) + which_, what);
}

bool ReadStmt::next(std::string_view item, std::string& tok, bool& quoted) {
  tok_fresh_ = false;
  if (ended_) return false;
  if (repeat_ > 0) {
    --repeat_;
    if (repeat_null_) return false;
    tok = repeat_tok_;
    quoted = repeat_quoted_;
    return true;
  }
  DataReader& r = rd_;
  auto eof = [&]() {
    r.fail_at(r.last_line(), std::string(item) + which_, "el archivo termina antes de leer este dato");
  };
  if (!r.have_line_) {
    if (!r.next_line()) eof();
    r.have_line_ = true;
    after_value_ = false;
  }
  // Skip blanks and line ends; one comma after a value is its separator.
  auto skip_blanks = [&]() {
    for (;;) {
      while (r.col_ < r.cur_.size() && blank(r.cur_[r.col_])) ++r.col_;
      if (r.col_ < r.cur_.size()) return;
      if (!r.next_line()) eof();
    }
  };
  skip_blanks();
  if (after_value_ && r.cur_[r.col_] == ',') {
    ++r.col_;
    after_value_ = false;
    skip_blanks();
  }
  after_value_ = false;
  char c = r.cur_[r.col_];
  if (c == ',') {  // nothing between two separators: a null value
    ++r.col_;
    return false;
  }
  if (c == '/') {
    ++r.col_;
    ended_ = true;
    return false;
  }
  tok_line_ = r.line_no_;
  if (first_line_ == 0) first_line_ = tok_line_;
  tok_col_ = r.col_;
  tok_fresh_ = true;
  quoted = false;
  tok.clear();
  auto read_quoted = [&]() {
    char q = r.cur_[r.col_++];
    quoted = true;
    const int opened = r.line_no_;
    for (;;) {
      if (r.col_ >= r.cur_.size()) {
        // A quoted text goes on in the next line; one never closed is reported
        // where it opened.
        if (!r.next_line())
          r.fail_at(opened, item, std::string("el texto abre con ") + (q == '"' ? "comillas (\")" : "un apóstrofo (')") +
                                      " en esta línea y el archivo termina sin cerrarlo");
        continue;
      }
      char ch = r.cur_[r.col_++];
      if (ch == q) {
        if (r.col_ < r.cur_.size() && r.cur_[r.col_] == q) {
          tok.push_back(q);
          ++r.col_;
          continue;
        }
        return;
      }
      tok.push_back(ch);
    }
  };
  if (c == '\'' || c == '"') {
    read_quoted();
    after_value_ = true;
    tok_fresh_ = false;  // a quoted text may end on another line
    return no_nul(item, tok);
  }
  std::size_t s = r.col_;
  while (r.col_ < r.cur_.size() && !ends_value(r.cur_[r.col_]) && r.cur_[r.col_] != '*') ++r.col_;
  // r*c and r*: a count of copies of the value that follows the asterisk.
  if (r.col_ < r.cur_.size() && r.cur_[r.col_] == '*') {
    std::string_view cnt(r.cur_.data() + s, r.col_ - s);
    bool digits = !cnt.empty();
    for (char d : cnt) digits = digits && d >= '0' && d <= '9';
    int n = 0;
    if (digits) {
      auto res = std::from_chars(cnt.data(), cnt.data() + cnt.size(), n);
      digits = res.ec == std::errc() && n > 0;
    }
    if (digits) {
      ++r.col_;
      if (r.col_ >= r.cur_.size() || ends_value(r.cur_[r.col_])) {
        repeat_null_ = true;
        repeat_ = n - 1;
        after_value_ = true;
        return false;
      }
      if (r.cur_[r.col_] == '\'' || r.cur_[r.col_] == '"') {
        read_quoted();
      } else {
        std::size_t v = r.col_;
        while (r.col_ < r.cur_.size() && !ends_value(r.cur_[r.col_])) ++r.col_;
        tok.assign(r.cur_, v, r.col_ - v);
      }
      tok_fresh_ = !quoted;
      repeat_null_ = false;
      repeat_tok_ = tok;
      repeat_quoted_ = quoted;
      repeat_ = n - 1;
      after_value_ = true;
      return no_nul(item, tok);
    }
    while (r.col_ < r.cur_.size() && !ends_value(r.cur_[r.col_])) ++r.col_;
  }
  tok.assign(r.cur_, s, r.col_ - s);
  after_value_ = true;
  return no_nul(item, tok);
}

// A NUL byte is no character of a text file: a value holding one is refused
// (it would cut the text short wherever it is shown).
bool ReadStmt::no_nul(std::string_view item, const std::string& tok) const {
  if (tok.find('\0') != std::string::npos) reject(item, std::string(kNul));
  return true;
}

ReadStmt& ReadStmt::i(int& v, std::string_view item) {
  std::string tok;
  bool quoted = false;
  if (!next(item, tok, quoted)) return *this;
  std::string_view t(tok);
  bool ok = !quoted && !t.empty();
  std::string_view digits = t;
  if (ok && (t[0] == '+' || t[0] == '-')) digits = t.substr(1);
  ok = ok && !digits.empty();
  for (char c : digits) ok = ok && c >= '0' && c <= '9';
  if (!ok) reject(item, "se esperaba un número entero y se encontró " + shown(tok) + heading_hint());
  long long x = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), x);
  if (t[0] == '-') x = -x;
  if (res.ec != std::errc() || x > std::numeric_limits<int>::max() || x < std::numeric_limits<int>::min()) {
    reject(item, "el número entero " + shown(tok) + " está fuera del intervalo admisible");
  }
  v = static_cast<int>(x);
  return *this;
}

ReadStmt& ReadStmt::r(float& v, std::string_view item) {
  std::string tok;
  bool quoted = false;
  if (!next(item, tok, quoted)) return *this;
  // sign, digits with an optional point, optional exponent E, e, D or d.
  std::string t = tok;
  std::size_t p = 0;
  bool ok = !quoted;
  bool neg = false;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) neg = t[p++] == '-';
  std::size_t mant = p;
  int nd = 0;
  while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++nd;
  if (p < t.size() && t[p] == '.') {
    ++p;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++nd;
  }
  ok = ok && nd > 0;
  if (ok && p < t.size() && (t[p] == 'E' || t[p] == 'e' || t[p] == 'D' || t[p] == 'd')) {
    t[p] = 'e';
    ++p;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
    int ne = 0;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p, ++ne;
    ok = ne > 0;
  }
  ok = ok && p == t.size();
  if (!ok) reject(item, "se esperaba un número real y se encontró " + shown(tok) + heading_hint());
  float x = 0.0f;
  auto res = std::from_chars(t.data() + mant, t.data() + t.size(), x);
  if (res.ec == std::errc::result_out_of_range) {
    reject(item, "el número " + shown(tok) + " está fuera del intervalo de la precisión simple");
  }
  if (res.ec != std::errc()) reject(item, "se esperaba un número real y se encontró " + shown(tok));
  v = neg ? -x : x;
  warn_decimal_comma();
  return *this;
}

// "2,5" is two values, 2 and 5, as the reading rules say; typed for a real it
// is nearly always a decimal comma. A list of integers ("1,1,0") feeds integer
// items and is not warned about.
void ReadStmt::warn_decimal_comma() const {
  if (!tok_fresh_) return;
  const std::string_view line = rd_.cur_;
  std::size_t p = tok_col_;
  if (p > 0 && !blank(line[p - 1])) return;
  std::size_t d1 = 0, d2 = 0;
  while (p < line.size() && digit(line[p])) ++p, ++d1;
  if (d1 == 0 || p >= line.size() || line[p] != ',') return;
  ++p;
  while (p < line.size() && digit(line[p])) ++p, ++d2;
  if (d2 == 0 || (p < line.size() && !blank(line[p]))) return;
  const std::string_view tok = line.substr(tok_col_, p - tok_col_);
  rd_.warn(tok_line_, "¿coma decimal? «" + std::string(tok) + "» se lee como dos valores; use punto decimal");
}

ReadStmt& ReadStmt::a(std::string& v, int len, std::string_view item) {
  std::string tok;
  bool quoted = false;
  if (!next(item, tok, quoted)) {
    if (static_cast<int>(v.size()) != len) v.resize(static_cast<std::size_t>(len), ' ');
    return *this;
  }
  tok.resize(static_cast<std::size_t>(len), ' ');
  v = std::move(tok);
  return *this;
}

}  // namespace korvant
