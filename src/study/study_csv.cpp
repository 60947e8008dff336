#include "study/study_csv.hpp"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "text/charset.hpp"
#include "text/fatal.hpp"

namespace korvant {

void put_number(std::string& out, double v) {
  if (std::isnan(v)) return;
  char b[40];
  auto r = std::to_chars(b, b + sizeof b, v);
  out.append(b, r.ptr);
}

void put_text_cell(std::string& out, const std::string& latin1) {
  std::string t;
  latin1_to_utf8(t, latin1);
  if (!t.empty() && (t[0] == '=' || t[0] == '+' || t[0] == '-' || t[0] == '@' || t[0] == '\t' || t[0] == '\r'))
    t.insert(t.begin(), '\'');
  if (t.find_first_of(",\"\n\r") == std::string::npos) {
    out += t;
    return;
  }
  out += '"';
  for (char c : t) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void format_row(const StudyRow& r, std::string& out) {
  out += std::to_string(r.sample);
  out += ',';
  put_text_cell(out, r.status);
  out += ',';
  put_text_cell(out, r.message);
  for (double v : r.params) {
    out += ',';
    put_number(out, v);
  }
  for (double v : r.watched) {
    out += ',';
    put_number(out, v);
  }
  out += '\n';
}

namespace {

// The cells of one line of the table (without its newline).
std::vector<std::string> cells(const std::string& line) {
  std::vector<std::string> c(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char ch = line[i];
    if (quoted) {
      if (ch == '"' && i + 1 < line.size() && line[i + 1] == '"') c.back() += '"', ++i;
      else if (ch == '"') quoted = false;
      else c.back() += ch;
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      c.emplace_back();
    } else {
      c.back() += ch;
    }
  }
  return c;
}

bool read_number(const std::string& s, double& v) {
  if (s.empty()) {
    v = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

}  // namespace

bool parse_row(const std::string& line, int expect, std::size_t np, std::size_t nw, StudyRow& r) {
  std::vector<std::string> c = cells(line);
  if (c.size() != 3 + np + nw || c[0] != std::to_string(expect)) return false;
  r.sample = expect;
  std::string status = c[1], message = c[2];
  if (!message.empty() && message[0] == '\'') message.erase(0, 1);
  if (utf8_to_latin1(status) != 0 || utf8_to_latin1(message) != 0) return false;
  r.status = status;
  r.message = message;
  r.params.resize(np);
  r.watched.resize(nw);
  for (std::size_t j = 0; j < np; ++j)
    if (!read_number(c[3 + j], r.params[j])) return false;
  for (std::size_t j = 0; j < nw; ++j)
    if (!read_number(c[3 + np + j], r.watched[j])) return false;
  return true;
}

namespace {

[[noreturn]] void cannot_write(const std::string& path, int err) {
  throw Fatal{status::OUTPUT, "Error: no se puede escribir el archivo de salida \"" + path + "\": " + system_reason(err)};
}

}  // namespace

StudyCsv::~StudyCsv() {
  if (f_ != nullptr) std::fclose(f_);
}

void StudyCsv::open(const std::string& path, const std::string& head, std::size_t np, std::size_t nw,
                    std::vector<StudyRow>& kept) {
  path_ = path;
  kept.clear();
  std::string old;
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::stringstream b;
      b << in.rdbuf();
      old = b.str();
    }
  }
  std::size_t keep = 0;
  if (old.compare(0, head.size(), head) == 0) {
    keep = head.size();
    while (keep < old.size()) {
      const std::size_t e = old.find('\n', keep);
      if (e == std::string::npos) break;  // a row cut short by the interruption
      StudyRow r;
      if (!parse_row(old.substr(keep, e - keep), static_cast<int>(kept.size()), np, nw, r)) break;
      kept.push_back(std::move(r));
      keep = e + 1;
    }
  }
  if (keep == 0) {
    f_ = std::fopen(path.c_str(), "wb");
    if (f_ == nullptr) cannot_write(path, errno);
    line_ = head;
    if (std::fwrite(line_.data(), 1, line_.size(), f_) != line_.size() || std::fflush(f_) != 0)
      cannot_write(path, errno);
    return;
  }
  f_ = std::fopen(path.c_str(), "r+b");
  if (f_ == nullptr) cannot_write(path, errno);
  if (ftruncate(fileno(f_), static_cast<off_t>(keep)) != 0 || std::fseek(f_, 0, SEEK_END) != 0)
    cannot_write(path, errno);
}

void StudyCsv::append(const StudyRow& r) {
  line_.clear();
  format_row(r, line_);
  if (std::fwrite(line_.data(), 1, line_.size(), f_) != line_.size() || std::fflush(f_) != 0)
    cannot_write(path_, errno);
}

void StudyCsv::close() {
  if (f_ == nullptr) return;
  const int rc = std::fclose(f_);
  f_ = nullptr;
  if (rc != 0) cannot_write(path_, errno);
}

}  // namespace korvant
