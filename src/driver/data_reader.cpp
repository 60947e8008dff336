#include "driver/data_reader.hpp"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>

#include "text/fatal.hpp"

namespace korvant {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }
bool ends_value(char c) { return blank(c) || c == ',' || c == '/'; }

std::string shown(std::string_view tok) { return "\"" + std::string(tok) + "\""; }

}  // namespace

// ---- DataReader -------------------------------------------------------------

void DataReader::open(const std::string& path) {
  name_ = path;
  auto fail = [&](const char* doing) {
    throw Fatal{status::BAD_DATA,
                std::string("Error: no se puede ") + doing + " el archivo de datos \"" + path + "\": " + system_reason(errno)};
  };
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) fail("abrir");
  std::string text;
  char b[1 << 16];
  std::size_t n;
  while ((n = std::fread(b, 1, sizeof b, in)) > 0) text.append(b, n);
  const bool bad = std::ferror(in) != 0;
  const int err = errno;
  std::fclose(in);
  if (bad) {
    errno = err;
    fail("leer");
  }
  open_text(path, std::move(text));
}

void DataReader::open_text(const std::string& name, std::string text) {
  name_ = name;
  text_ = std::move(text);
  off_ = 0;
  cur_.clear();
  col_ = 0;
  line_no_ = 0;
  have_line_ = false;
}

bool DataReader::next_line() {
  if (off_ >= text_.size()) return false;
  std::size_t e = text_.find('\n', off_);
  if (e == std::string::npos) e = text_.size();
  cur_.assign(text_, off_, e - off_);
  if (!cur_.empty() && cur_.back() == '\r') cur_.pop_back();
  off_ = e < text_.size() ? e + 1 : e;
  col_ = 0;
  ++line_no_;
  return true;
}

void DataReader::skip(std::string_view what) {
  if (!next_line()) fail_at(line_no_, what, "el archivo termina antes de esta línea");
}

std::string DataReader::read_fixed(int w, std::string_view item) {
  if (!next_line()) fail_at(line_no_, item, "el archivo termina antes de esta línea");
  std::string s = cur_.substr(0, static_cast<std::size_t>(w));
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

bool ReadStmt::next(std::string_view item, std::string& tok, bool& quoted) {
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
    r.fail_at(r.line_no_, item, "el archivo termina antes de leer este dato");
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
  quoted = false;
  tok.clear();
  auto read_quoted = [&]() {
    char q = r.cur_[r.col_++];
    quoted = true;
    for (;;) {
      if (r.col_ >= r.cur_.size()) {
        // A quoted text goes on in the next line.
        if (!r.next_line()) eof();
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
    return true;
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
      repeat_null_ = false;
      repeat_tok_ = tok;
      repeat_quoted_ = quoted;
      repeat_ = n - 1;
      after_value_ = true;
      return true;
    }
    while (r.col_ < r.cur_.size() && !ends_value(r.cur_[r.col_])) ++r.col_;
  }
  tok.assign(r.cur_, s, r.col_ - s);
  after_value_ = true;
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
  if (!ok) rd_.fail_at(tok_line_, item, "se esperaba un número entero y se encontró " + shown(tok));
  long long x = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), x);
  if (t[0] == '-') x = -x;
  if (res.ec != std::errc() || x > std::numeric_limits<int>::max() || x < std::numeric_limits<int>::min()) {
    rd_.fail_at(tok_line_, item, "el número entero " + shown(tok) + " está fuera del intervalo admisible");
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
  if (!ok) rd_.fail_at(tok_line_, item, "se esperaba un número real y se encontró " + shown(tok));
  float x = 0.0f;
  auto res = std::from_chars(t.data() + mant, t.data() + t.size(), x);
  if (res.ec == std::errc::result_out_of_range) {
    rd_.fail_at(tok_line_, item, "el número " + shown(tok) + " está fuera del intervalo de la precisión simple");
  }
  if (res.ec != std::errc()) rd_.fail_at(tok_line_, item, "se esperaba un número real y se encontró " + shown(tok));
  v = neg ? -x : x;
  return *this;
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
