// The analysis cases and their passes, in one table: what a run solves for
// each case switched on and each KANAL, with the tables each pass takes and
// the names and headers its results carry. The driver walks this table; the
// views and the messages take their names from it. A new pass is one row.
#pragma once

#include <span>

#include "model/model.hpp"
#include "model/soil_laws.hpp"

namespace korvant {

// How a pass solves the interaction.
enum class Solver {
  linear,     // one linear solve with the case's flexibility matrix
  iterative,  // linear solves repeated with stress-dependent moduli until the reactions settle
  nonlinear,  // Newton iteration on Demeneghi's settlement equation
};

// One analysis case (the index of CASO).
struct AnalysisCase {
  int case_no;              // 1..4
  const char* name;         // for messages: "compresiones"
  const char* console;      // its line on the console when it opens
  const char* log_line;     // its line in the log when it opens
  const char* heading;      // its heading in the report: "ANALISIS DE COMPRESIONES"
  int load_set;             // the bar loads of its end forces and diagrams: 1 PV; 2 CVMax + CM + PP + PV
                            // (immediate); 3 CVMed + CM + PP + PV (sustained)
  bool forces_again;        // the end forces and diagrams of its last solution once more when it closes
  bool heave;               // the soil rises under it (expansions): its settlements are heave
};

struct AnalysisPass {
  int case_no;              // 1..4
  int KANAL;                // the analysis it belongs to; -1: every analysis
  Solver solver;
  int nflag1;               // source of moduli of a linear pass of cases 1 and 2: 1 field moduli
                            // of the central node, 2 field moduli of each node, 3 laboratory; 0 otherwise
  const char* view;         // its part of the view file names: "caso2_campo-nodo"
  const char* title;        // the title of its views (Latin-1)
  const char* people;       // its name in messages and summaries: "compresiones (módulos de laboratorio)"
  const char* gid_layout;   // layout of its GiD result header
  const char* gid_text;     // text of its GiD result header (" 1 vector OnNodes" follows)

  // The soil law of its flexibility matrix (a linear pass) or of its
  // settlements (a nonlinear pass).
  Law law = Law::immediate;
  // A linear pass.
  Tab2<float> Model::*flex_E = nullptr;     // modulus of the flexibility matrix
  Tab2<float> Model::*flex_NU = nullptr;    // its Poisson's ratio; none: only the vertical stress counts
  Tab2<float> Model::*footing_E = nullptr;  // modulus of the footing rigidities
  Tab2<float> Model::*footing_NU = nullptr; // their Poisson's ratio; none: zero
  const char* flex_line = nullptr;          // log line naming the flexibility routine, if any
  const char* open_console = nullptr;       // console line opening the pass, if any
  const char* open_log = nullptr;           // log line opening the pass, if any
  bool heading_first = false;               // the case heading before the flexibility matrix (else after the footings)

  // A nonlinear pass: whether the log first lists the reaction lengths and areas.
  bool log_lengths = false;

  // Every pass: the reduced load vector of the case.
  Tab1<float> Model::*vered = nullptr;
};

// The four cases, in the order a run solves them.
std::span<const AnalysisCase> analysis_cases();
// Every pass of every case, in the order a run solves them.
std::span<const AnalysisPass> analysis_passes();
// The case of number case_no (1..4).
const AnalysisCase& analysis_case(int case_no);

// Whether pass p is solved under analysis KANAL.
inline bool runs_under(const AnalysisPass& p, int KANAL) { return p.KANAL == -1 || p.KANAL == KANAL; }
// Whether the run of model m solves pass p: its case switched on, under the model's KANAL.
inline bool solves(const Model& m, const AnalysisPass& p) { return m.CASO[p.case_no] == 1 && runs_under(p, m.KANAL); }
// Whether a pass the run solves builds its flexibility matrix with the moduli of table t.
inline bool divides_by(const Model& m, Tab2<float> Model::*t) {
  for (const AnalysisPass& p : analysis_passes())
    if (p.flex_E == t && solves(m, p)) return true;
  return false;
}

}  // namespace korvant
