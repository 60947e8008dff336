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
//
// A read of one of a counted list of lines names the entry in its messages and
// hints at a count larger than the lines typed:
//   rd.read().of(" 7").counted("NN", m.NN, 7, "renglones de nodos").r(x, "X del nodo");
//   -> "X del nodo 7: ... NN = 15 pero sólo hay 6 renglones de nodos antes de «BARRA»"
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace korvant {

class DataReader;
class OutFile;

class ReadStmt {
 public:
  explicit ReadStmt(DataReader& rd);
  ReadStmt(const ReadStmt&) = delete;
  ReadStmt& operator=(const ReadStmt&) = delete;
  ~ReadStmt();
  ReadStmt& i(int& v, std::string_view item);
  ReadStmt& r(float& v, std::string_view item);
  ReadStmt& a(std::string& v, int len, std::string_view item);  // text of len characters
  // Appended to the name of every item of the statement in messages (" 7",
  // " del estrato 2 del perfil 1").
  ReadStmt& of(std::string which);
  // The statement reads entry `index` of the `count` entries given by
  // `count_name`, each on its own `lines` ("renglones de nodos").
  ReadStmt& counted(std::string_view count_name, int count, int index, std::string_view lines);
  // Lines of the first and the last value read (0 before any).
  int first_line() const { return first_line_; }
  int last_line() const { return tok_line_; }

 private:
  // Next value of the statement: false when it is null (slash, ",,", "r*").
  bool next(std::string_view item, std::string& tok, bool& quoted);
  // Ends the run on the value just read, naming the item and what was expected.
  [[noreturn]] void reject(std::string_view item, const std::string& what) const;
  // "; NN = 15 pero sólo hay 14 renglones de nodos antes de «BARRA»" when the
  // value just read lies on a line that begins with a word (the heading of the
  // next block) and the list is counted; empty otherwise.
  std::string heading_hint() const;
  // A warning on the error stream when the real just read is the first half
  // of a token such as "2,5".
  void warn_decimal_comma() const;
  bool no_nul(std::string_view item, const std::string& tok) const;
  DataReader& rd_;
  std::string which_;
  std::string_view count_name_, lines_;
  int count_ = 0, index_ = 0;
  int first_line_ = 0;        // line of the first value read
  std::size_t tok_col_ = 0;   // column where the last value read from the line starts
  bool tok_fresh_ = false;    // the last value was read from the line (not a repeat count)
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
  // Reads a whole text (for tests and tools). A text in UTF-8 (with a byte-order
  // mark, or well-formed with multi-byte characters) is translated to Latin-1;
  // any other is taken as Latin-1.
  void open_text(const std::string& name, std::string text);
  // Warnings about suspicious data go to `o` (none are written without it).
  void warn_to(OutFile* o) { warn_ = o; }
  // Writes " Aviso: archivo de datos "<file>", línea <n>: <what>".
  void warn(int line, std::string_view what) const;
  const std::string& name() const { return name_; }

  ReadStmt read() { return ReadStmt(*this); }
  // A skipped heading line; one that begins with a number is warned about, with
  // `question` when given ("¿el número de nodos es menor que los nodos escritos?").
  void skip(std::string_view question = {});
  // One line read with the fixed layout (Aw): its first w characters, blank-padded.
  std::string read_fixed(int w, std::string_view item);

  // Bytes of the file after the last line consumed.
  std::size_t bytes_left() const { return text_.size() - off_; }
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
  OutFile* warn_ = nullptr;
};

}  // namespace korvant
