// Reading the data file: free-format (list-directed) reads, skipped lines and
// fixed (A20) lines. Every error ends the run with a message that names the
// file, the line, the item and what was expected (Fatal{status::BAD_DATA}).
//
//   rd.read().i(m.NN, "NN");                   // one read statement
//   rd.skip();                                 // one skipped line
//   rd.read().i(num, "número de nodo").r(x, "X").r(y, "Y");
//
// A read starts on a new line, continues over further lines while items remain,
// and ignores what is left on its last line. A slash ends it; null values
// (",,", "r*") leave their items unchanged.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace korvant {

class DataReader;

class ReadStmt {
 public:
  explicit ReadStmt(DataReader& rd);
  ReadStmt(const ReadStmt&) = delete;
  ReadStmt& operator=(const ReadStmt&) = delete;
  ~ReadStmt();
  ReadStmt& i(int& v, std::string_view item);
  ReadStmt& r(float& v, std::string_view item);
  ReadStmt& a(std::string& v, int len, std::string_view item);  // text of len characters

 private:
  // Next value of the statement: false when it is null (slash, ",,", "r*").
  bool next(std::string_view item, std::string& tok, bool& quoted);
  bool no_nul(std::string_view item, const std::string& tok) const;
  DataReader& rd_;
  bool ended_ = false;        // a slash was met
  bool after_value_ = false;  // a value was read and its separator not yet passed
  int tok_line_ = 0;          // line of the last value read
  int repeat_ = 0;            // copies left of the last r*c value
  bool repeat_null_ = false;
  std::string repeat_tok_;
  bool repeat_quoted_ = false;
};

class DataReader {
 public:
  // Bounds of a data file: no building needs more, and an endless input (a
  // device, a pipe) is refused at them instead of filling the memory.
  static constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
  static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

  // Opens the data file; throws Fatal{status::BAD_DATA} when it cannot be opened
  // or passes the bounds. A UTF-8 byte-order mark at its start is skipped; a
  // line ends at LF, CR LF or a CR alone.
  void open(const std::string& path);
  // Reads a whole text (for tests and tools).
  void open_text(const std::string& name, std::string text);
  const std::string& name() const { return name_; }

  ReadStmt read() { return ReadStmt(*this); }
  void skip(std::string_view what = "línea de encabezado");
  // One line read with the fixed layout (Aw): its first w characters, blank-padded.
  std::string read_fixed(int w, std::string_view item);

  // Line number (from 1) of the last line consumed.
  int line() const { return line_no_; }
  // Ends the run: Error en el archivo de datos "<file>", línea <n>, <item>: <what>
  [[noreturn]] void fail(std::string_view item, std::string_view what) const;
  [[noreturn]] void fail_at(int line, std::string_view item, std::string_view what) const;

 private:
  friend class ReadStmt;
  bool next_line();  // loads the next line into cur_; false at end of file
  // The line an early end of the file is reported at (line 1 of an empty file).
  int last_line() const { return line_no_ > 0 ? line_no_ : 1; }
  std::string name_;
  std::string text_;
  std::size_t off_ = 0;     // start of the next line in text_
  std::string cur_;         // current line (CR removed)
  std::size_t col_ = 0;     // position in cur_
  int line_no_ = 0;
  bool have_line_ = false;  // a statement is positioned on cur_
};

}  // namespace korvant
