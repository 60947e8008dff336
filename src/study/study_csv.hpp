// The table of a study, one row per sample in sample order, written and
// flushed row by row: it is also the study's checkpoint. A study started again
// with the same files keeps the whole rows of the earlier run and computes
// only the samples that are missing.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace korvant {

// The outcome of a sample, as its row says it.
namespace sample_status {
constexpr const char* OK = "bien";
constexpr const char* OUT_OF_RANGE = "fuera de rango";  // a value no soil or material has
constexpr const char* SINGULAR = "singular";
constexpr const char* NO_CONVERGENCE = "sin convergencia";
constexpr const char* NOT_FINITE = "no es un número";
constexpr const char* FAILED = "error";
}  // namespace sample_status

struct StudyRow {
  int sample = 0;
  std::string status = sample_status::OK;
  std::string message;          // Latin-1
  std::vector<double> params;   // the value of each parameter in this sample
  std::vector<double> watched;  // NaN where there is none
  bool ok() const { return status == sample_status::OK; }
};

// A number as the table writes it: the shortest text that reads back as the
// same double; NaN as an empty cell.
void put_number(std::string& out, double v);
// A text cell: quoted when it holds a comma, a quote or a line end; a leading
// =, +, -, @ is kept from a spreadsheet formula by an apostrophe.
void put_text_cell(std::string& out, const std::string& latin1);

void format_row(const StudyRow& r, std::string& out);
// A row read back from its line (without the newline); false when the line is
// not the row of sample `expect` with np parameters and nw watched results.
bool parse_row(const std::string& line, int expect, std::size_t np, std::size_t nw, StudyRow& r);

class StudyCsv {
 public:
  StudyCsv() = default;
  StudyCsv(const StudyCsv&) = delete;
  StudyCsv& operator=(const StudyCsv&) = delete;
  ~StudyCsv();
  // Opens the table at `path` whose first lines are `head`. The whole rows of
  // an earlier run with the same head, numbered 0, 1, 2... without a gap, are
  // kept (into `kept`); anything after them is cut away. Throws
  // Fatal{status::OUTPUT} when the file cannot be written.
  void open(const std::string& path, const std::string& head, std::size_t nparams, std::size_t nwatched,
            std::vector<StudyRow>& kept);
  // Appends a row and flushes it to the file.
  void append(const StudyRow& r);
  void close();

 private:
  std::FILE* f_ = nullptr;
  std::string path_;
  std::string line_;
};

}  // namespace korvant
