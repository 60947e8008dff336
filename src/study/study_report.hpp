// What a study watches in each solved pass, and what it writes of all its
// samples: the statistics of every watched result, the probability of
// exceeding each limit, the tornado of a sensitivity study or the histogram
// and cumulative curve of a Monte Carlo one, and the envelope of the
// foundation bars' end moments.
#pragma once

#include <string>
#include <vector>

#include "model/analysis_passes.hpp"
#include "model/model.hpp"
#include "study/study.hpp"
#include "study/study_csv.hpp"
#include "views/limits.hpp"
#include "views/summary.hpp"

namespace korvant {

// The results watched in each pass, in the table's column order: six figures
// of the pass, then the end moments and shears of each foundation bar.
enum Watched { W_SETTLEMENT, W_DIFFERENTIAL, W_TILT, W_BETA, W_PRESSURE, W_EQUILIBRIUM, W_PER_PASS };

struct WatchLayout {
  struct Pass {
    const AnalysisPass* pass;
    int first;  // its first column among the watched ones
  };
  std::vector<Pass> passes;   // every pass the model solves, in order
  std::vector<int> bars;      // the foundation bars
  std::vector<std::string> names;  // every watched column
  int per_pass() const { return W_PER_PASS + 4 * static_cast<int>(bars.size()); }
  int size() const { return static_cast<int>(names.size()); }
  // The columns of bar index k (0-based) of a pass: M at end i, M at end j, V at end i, V at end j.
  int moment_i(const Pass& p, int k) const { return p.first + W_PER_PASS + 4 * k; }
};
WatchLayout watch_layout(const Model& m);

// The watched results of one solved pass, from its summary and end forces
// (VGL: bar x 12), into out[0 .. per_pass()).
void watch_pass(const WatchLayout& w, const Summary& s, const Tab2<float>& VGL, double* out);

// Limits that define "exceeds": the largest settlement and the largest
// difference between foundation nodes (m), tilt and angular distortion
// (ratios). NaN: not judged.
struct StudyLimits {
  double settlement, differential, tilt, beta;
};
// Those of --limites (or the defaults when it names none).
StudyLimits study_limits(const Limits& l);

// The first two lines of the table: the study's fingerprint (of the study
// file, the data file and whatever else changes the results) and the header.
std::string study_table_head(const Study& s, const WatchLayout& w, const std::string& fingerprint);

// REPORTE_estudio.txt (Latin-1) and the HTML section (UTF-8 markup) from the
// rows of every sample (row 0: the typed model).
void study_text(const Study& s, const Model& m, const WatchLayout& w, const std::vector<StudyRow>& rows,
                const StudyLimits& lim, std::string& out);
void study_html(const Study& s, const Model& m, const WatchLayout& w, const std::vector<StudyRow>& rows,
                const StudyLimits& lim, std::string& out);

}  // namespace korvant
