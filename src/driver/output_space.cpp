// The largest MEMORIA and VALINF a model can give, and the check, before they
// grow, that their file systems can hold them.
//
// Every line of the log has a width fixed by its texts and fields (an integer
// takes 12 columns, a real 15, a layout's fields their widths), whatever the
// values. So a loop's lines times their widths bound what it writes, and the
// sum over the steps of the run bounds the file: the iterative analysis at its
// 100 passes, each Newton solve at its 20 steps, every branch at its longest.
// Each block below follows one writer; where a step repeats lines of varying
// texts, the longest text is taken.
#include "driver/output_space.hpp"

#include <sys/statvfs.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/analysis_passes.hpp"
#include "model/memory.hpp"
#include "soil/soil.hpp"
#include "text/fatal.hpp"

namespace korvant {

namespace {

using Bytes = double;  // sums of products of counts: no overflow, and exact far beyond any disk

// A free-format line: the leading blank, `text` characters of texts, `ints`
// integers, `reals` single reals, the newline.
constexpr Bytes ff(double text, double ints, double reals) { return 2 + text + 12 * ints + 15 * reals; }

// One record of `items` fields of `w` columns under a layout that takes `per`
// of them a line, each line also holding `other` columns of other fields.
Bytes rec(double items, double w, double per, double other = 0) {
  const double lines = std::max(1.0, std::ceil(items / per));
  return items * w + lines * (other + 1);
}

// A 12 x 12 matrix of 12F10.x or 12F15.6 rows.
constexpr Bytes kRows10 = 12 * 121, kRows15 = 12 * 181;
// MULTMAT of two matrices: A and B, each under its heading.
constexpr Bytes kMultMat = 2 * ff(8, 0, 0) + 2 * kRows10;
// MULTMAT of a matrix and a vector: A, then the vector one entry a line.
constexpr Bytes kMultVec = 2 * ff(8, 0, 0) + kRows10 + 12 * 11;

// The element computation of one bar (its assembly pass, the longer one).
constexpr Bytes kElement = ff(30, 1, 20) + ff(20, 0, 0) + ff(50, 0, 0) + ff(15, 0, 3) + 11 * ff(8, 0, 2) +
                           3 * ff(10, 0, 3) + ff(45, 1, 0) + kRows15 + ff(50, 1, 0) + kRows15 + ff(25, 1, 0) +
                           kRows15 + ff(30, 1, 0) + 2 * kMultMat + kRows15 + ff(20, 2, 0) + 61;

struct Counts {
  double NN, NB, NGL, NGRED, NR, MR, NRT, NTOT, S, NPS, NLOS, NZAP, NSEC, dirs, NI, axis_bars, NDIV;
};

Counts counts(const Model& m) {
  Counts c{};
  auto n = [](int v) { return static_cast<double>(std::max(v, 0)); };
  c.NN = n(m.NN), c.NB = n(m.NB), c.NGL = n(m.NGL), c.NGRED = n(m.NGRED), c.NR = n(m.NR), c.MR = n(m.MR);
  c.NRT = c.NR + c.MR, c.NTOT = c.NGRED + c.NRT;
  int strata = 1;
  for (int p = 1; p <= m.NEST.size(); ++p) strata = std::max(strata, m.NEST(p));
  c.S = strata, c.NPS = n(m.NPS), c.NLOS = n(m.NLOS), c.NZAP = n(m.NZAP), c.NSEC = n(m.NSEC);
  // The influence tables of layered footings add one point per vertical footing reaction.
  const double NRZ = m.method.layered_footings() ? c.MR : 0;
  c.dirs = NRZ > 0 ? std::max(n(m.NDIRS), 1.0) : n(m.NDIRS), c.NI = c.NR + NRZ;
  c.axis_bars = static_cast<double>(m.BAREJE.entries()), c.NDIV = n(m.NDIV);
  return c;
}

// Reading, numbering, bar geometry, reaction areas (up to the influence values).
Bytes input_log(const Counts& c) {
  Bytes b = 4096;
  b += c.NB * (ff(60, 6, 8) + 2 * ff(20, 2, 0));                        // bars as read, their nodes
  b += c.NPS * (4 * ff(70, 1, 0) + c.S * (ff(27, 1, 6) + 71));        // strata and in-situ pressures of each profile
  b += c.NGL * (ff(0, 3, 0) + ff(0, 2, 0)) + c.NB * 2 * ff(31, 2, 0);   // numbering
  b += c.NN * (36 + ff(0, 7, 0)) + c.NRT * ff(0, 2, 0);
  b += c.NB * (ff(5, 1, 0) + ff(3, 0, 3) + ff(20, 0, 1) + ff(40, 1, 0) + 3 * ff(0, 0, 3));  // direction cosines
  b += c.NB * (47 + ff(14, 0, 1) + 2 * ff(5, 1, 0)) + c.NLOS * ff(9, 0, 1);                // lengths, areas
  b += c.NN * 36;                                                                           // reaction dofs
  return b;
}

// The influence values: per direction and point, per stratum, per loaded reaction.
Bytes influence_log(const Counts& c) {
  const Bytes per_reaction = ff(23, 0, 0) + 71 + ff(9, 1, 0) + 68 + ff(9, 2, 1);
  return c.dirs * (ff(15, 1, 0) + c.NI * (4 * ff(24, 2, 0) + c.S * (5 * ff(12, 0, 2) + c.NI * per_reaction)));
}

// Assembly of the frame, load vectors, akr, field moduli: once per run.
Bytes assembly_log(const Counts& c) {
  Bytes b = 4096;
  const Bytes per_bar = 79 + kElement + 2 * ff(50, 0, 1) + 3 * (2 * ff(40, 1, 1) + ff(10, 0, 3) + 2 * ff(50, 0, 0)) +
                        5 * kMultVec + ff(30, 0, 0) + 121 + 5 * ff(50, 0, 0);
  b += c.NB * per_bar;
  // A section name given to several sections names each of them under every bar of that name.
  b += c.NB * std::max(c.NSEC - 1, 0.0) * ff(48, 0, 0);
  // The four load vectors, reduced and full, under their column numbers.
  const double NC = c.NGRED + c.NR;
  b += 4 * (2 * ff(40, 0, 0) + rec(NC, 20, 1000, 5) + c.NGRED * 26 + rec(c.NR + c.NGL, 20, 1000, 5) + c.NGL * 26);
  // akr, for at most 1000 columns.
  const double NK = c.NGRED + c.NRT;
  if (NK <= 1000) b += ff(30, 0, 0) + rec(NK, 20, 100, 5) + c.NGRED * rec(NK + 1, 20, 100, 5);
  // Field moduli: per point and stratum, and the tables by stratum.
  b += c.NR * (2 * ff(24, 2, 0) + c.S * 3 * ff(12, 0, 1)) + (c.S + 1) * (c.NPS + 2) * rec(c.NR, 10, 30, 10);
  return b;
}

// A flexibility matrix under its heading: n rows of 20F20.8.
Bytes flex_matrix(double n) { return ff(50, 0, 0) + n * rec(n, 20, 20); }

// FLSC or FNLCC: per point, per loaded reaction, per stratum; the footing
// columns of layered footings; the matrix.
Bytes flexibility_log(const Counts& c) {
  const Bytes per_stratum = ff(40, 1, 2) + 66 + ff(20, 3, 1) + ff(5, 0, 1) + ff(10, 0, 1);
  const Bytes per_stratum_nl = 2 * ff(0, 0, 6) + ff(14, 0, 1);
  return 3 * ff(30, 1, 0) + c.NR * 2 * ff(20, 2, 0) +
         c.NR * c.NR * (4 * ff(24, 1, 1) + ff(32, 2, 0) + c.S * std::max(per_stratum, per_stratum_nl)) +
         c.NR * (c.NI - c.NR) * c.S * ff(30, 3, 2) + flex_matrix(c.NRT);
}

// The footing rigidities (either method) and the matrix with them.
Bytes footing_log(const Counts& c) {
  const Bytes per_footing = 12 * ff(40, 2, 4) + c.S * (ff(10, 1, 0) + 61 + 5 * ff(30, 1, 4)) +
                            c.NRT * c.S * ff(30, 3, 2) + 47;
  return 3 * ff(60, 0, 0) + c.MR * per_footing + flex_matrix(c.NRT);
}

// HUND: the matrices under their size limits, the vectors.
Bytes hund_log(const Counts& c) {
  Bytes b = 12 * ff(60, 1, 0) + 200;
  if (c.NR >= 1 && c.NR <= 200) b += c.NR * rec(c.NR, 10, 200);
  if (c.NTOT <= 200) b += c.NTOT * (2 * rec(c.NTOT, 18, 200) + rec(c.NTOT, 10, 200));
  b += c.NTOT * 43;
  if (c.NTOT <= 2000) b += c.NTOT * rec(c.NTOT, 20, 2000);
  b += c.NTOT * ff(0, 1, 1) + c.NGL * ff(0, 1, 1) + c.NN * ff(0, 1, 3);
  return b;
}

// End forces of every bar, and the diagrams' walk of every axis.
Bytes forces_log(const Counts& c) {
  const Bytes per_bar = kElement + 3 * kMultVec + 12 * ff(0, 0, 1) + 16 * ff(45, 1, 1) + 6 * 121;
  Bytes b = 4 * ff(30, 1, 0) + (c.NGL + c.NN) * ff(0, 0, 1) + c.NB * per_bar;
  const Bytes per_axis_bar = ff(14, 0, 0) + ff(0, 0, 4) + c.NR * (ff(8, 1, 0) + 2 * ff(12, 1, 0)) + 6 * ff(10, 1, 2) +
                             (c.NDIV + 1) * ff(5, 0, 1);
  return b + 2 * ff(50, 1, 0) + c.axis_bars * per_axis_bar;
}

// One Newton solve of SOLNL, at its 20 steps.
Bytes newton_log(const Counts& c) {
  const double NT = c.NGRED + c.NR;
  const bool matrices = NT <= 500;
  // A settlement of one reaction by the most talkative law: every reaction's
  // stresses and the law's own lines.
  const Bytes law = ff(10, 2, 0) + c.NR * (ff(12, 2, 0) + ff(9, 3, 0) + ff(7, 0, 2) + 5 * ff(6, 0, 1)) +
                    3 * ff(11, 2, 1) + 2 * ff(11, 0, 1) + 10 * ff(10, 0, 1);
  // CalcDefNL: the reaction lengths, and per reaction and stratum one Def.
  const Bytes calc = 2 * ff(15, 1, 0) + ff(40, 0, 0) + 6 * c.NR * 36 +
                     c.NR * (c.S * (ff(15, 2, 0) + ff(25, 3, 0) + law + ff(25, 2, 1)) + 56);
  Bytes start = 10 * ff(60, 1, 2) + c.NGRED * (ff(0, 0, 3) + ff(0, 1, 1)) + NT * 28;
  if (c.NGRED <= 500) start += c.NGRED * rec(NT, 20, 500);
  Bytes step = ff(12, 1, 0) + 4 * ff(60, 1, 1) + c.NGRED * 28 + calc + rec(c.NR, 15, 1e9, 1) + c.NR * 28;
  if (c.NGRED <= 500) step += c.NGRED * rec(NT, 20, 500, 5);
  step += c.NR * (calc + ff(40, 1, 1) + 2 * rec(c.NR, 15, 1e9, 1));
  if (matrices) step += NT * rec(NT, 20, 500, 5);
  step += 4 * ff(80, 0, 0) + NT * ff(3, 1, 1) + NT * 76;
  if (matrices) step += NT * rec(NT, 20, 500) + 2 * rec(NT, 20, 500) + rec(c.NR, 10, 500);
  step += 4 * ff(40, 0, 0);
  const Bytes store = c.NGL * ff(6, 2, 0) + ff(30, 0, 0) + c.NN * ff(0, 1, 3);
  return start + 20 * step + store;
}

// Every line of a summary log is a step line (no loop over the model writes
// one); at most 100 of them in the input and 100 for each pass, none longer
// than 200 bytes.
constexpr Bytes kSummaryLine = 200, kSummaryLinesPerPart = 100;

}  // namespace

std::uint64_t memoria_bound(const Model& m, LogLevel level) {
  if (level == LogLevel::None) return 0;
  const Counts c = counts(m);
  int linear = 0, iterative = 0, nonlinear = 0, again = 0;
  for (const AnalysisCase& k : analysis_cases()) again += m.CASO[k.case_no] == 1 && k.forces_again;
  for (const AnalysisPass& p : analysis_passes()) {
    if (!solves(m, p)) continue;
    if (p.solver == Solver::linear) ++linear;
    else if (p.solver == Solver::iterative) ++iterative;
    else ++nonlinear;
  }
  Bytes b;
  if (level == LogLevel::Summary) {
    b = kSummaryLine * kSummaryLinesPerPart * (2 + linear + iterative + nonlinear + again);
  } else {
    const Bytes forces = forces_log(c);
    const Bytes pass_heading = 12 * ff(60, 4, 0) + 6 * c.NR * 36;
    b = input_log(c) + influence_log(c) + assembly_log(c);
    b += linear * (pass_heading + flexibility_log(c) + footing_log(c) + hund_log(c) + forces);
    b += iterative * (100 * (pass_heading + flexibility_log(c) + hund_log(c)) + forces);
    b += nonlinear * (pass_heading + newton_log(c) + forces);
    b += again * forces;  // a case's last end forces and diagrams once more
  }
  const double cap = 1.8e19;
  return b >= cap ? static_cast<std::uint64_t>(cap) : static_cast<std::uint64_t>(std::ceil(b));
}

std::uint64_t valinf_bound(const Model& m, LogLevel level) {
  if (level == LogLevel::None) return 0;
  return level == LogLevel::Summary ? valinf_bytes(m, kValinfSummaryCap) : valinf_bytes(m);
}

std::uint64_t free_space(const std::string& file) {
  if (const char* v = std::getenv(kFreeSpaceVariable); v != nullptr) {
    const std::uint64_t set = size_setting(v);
    if (set == 0)
      throw Fatal{status::USAGE, std::string("Error: la variable de entorno ") + kFreeSpaceVariable + " vale \"" + v +
                                     "\"; debe ser un número de bytes, con K, M, G o T si se quiere (por ejemplo 8G)"};
    return set;
  }
  namespace fs = std::filesystem;
  fs::path folder = fs::path(file).parent_path();
  if (folder.empty()) folder = ".";
  struct statvfs s {};
  if (::statvfs(folder.c_str(), &s) != 0) return UINT64_MAX;  // unknown: the writes will tell
  return static_cast<std::uint64_t>(s.f_bavail) * static_cast<std::uint64_t>(s.f_frsize);
}

void check_output_space(const Model& m, Files& f) {
  if (!f.log.any()) return;
  const LogLevel level = f.log.level();
  struct Item {
    OutFile* file;
    std::uint64_t bound;
  };
  // In UTF-8 a letter of Latin-1 past ASCII takes two bytes: VALINF has one
  // such letter in each heading of a direction (and one in the line of the
  // values left out); of MEMORIA, every byte is counted twice.
  const std::uint64_t dirs = static_cast<std::uint64_t>(std::max(m.NDIRS, 0));
  const Item items[] = {{&f.vinf, valinf_bound(m, level) + (f.vinf.utf8() ? 2 * dirs : 0)},
                        {&f.mem, std::min(memoria_bound(m, level), UINT64_MAX / 2) * (f.mem.utf8() ? 2 : 1)}};
  // Two files on one file system share its free space; the bytes a file has
  // already written are in its temporary file, no longer free. Only a file
  // written under a temporary name takes room of its own (a device or a pipe
  // is written in place).
  auto device = [](const std::string& file) {
    const std::string folder = std::filesystem::path(file).parent_path().string();
    struct stat st {};
    return ::stat(folder.empty() ? "." : folder.c_str(), &st) == 0 ? static_cast<long long>(st.st_dev) : -1LL;
  };
  const OutFile* first = nullptr;  // the file checked first, and its device
  long long first_device = -1;
  std::uint64_t taken = 0;
  for (const Item& it : items) {
    if (it.file->temp_path().empty()) continue;
    const std::uint64_t written = it.file->written();
    const std::uint64_t still = it.bound > written ? it.bound - written : 0;
    std::uint64_t free = free_space(it.file->temp_path());
    const long long dev = device(it.file->temp_path());
    const bool shared = first != nullptr && dev >= 0 && dev == first_device;
    if (shared) {
      free = free > taken ? free - taken : 0;
    } else if (first == nullptr) {
      first = it.file, first_device = dev, taken = still;
    }
    if (still <= free) continue;
    const char* option = level == LogLevel::Full ? "--memoria=resumida o --memoria=no" : "--memoria=no";
    throw Fatal{status::OUTPUT, "Error: el archivo \"" + it.file->name() + "\" puede llegar a " +
                                    size_text(it.bound) + " y en su sistema de archivos quedan " + size_text(free) +
                                    (shared ? " libres después de " + first->name() : std::string(" libres")) +
                                    "; con " + option + " se escribe menos"};
  }
}

}  // namespace korvant
