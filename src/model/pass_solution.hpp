// What one solved pass leaves: its solution, its settlements, the end forces of
// its bars and the walk of every diagram axis, as one value. The driver makes
// it right after the pass's solve and end forces; the report's writers, the
// views, the summary, the envelopes and the page read it, and it stays whole
// after the next pass runs.
#pragma once

#include <string>
#include <vector>

#include "model/tables.hpp"

namespace korvant {

// Which pass a solution is of: its case, its kind and its names.
struct SolvedCase {
  int case_no = 0;         // 1..4
  bool nonlinear = false;  // settlements are the frame displacements at the reaction dofs
  const char* pass = "";   // part of the file names: "caso2_campo-nodo"
  const char* title = "";  // Latin-1: "Compresiones, módulos de campo en cada nodo"
  double residual = -1.0;  // the solver's relative residual of the (last) solve; -1 when it has none (gaussj)
};

// The walk along one axis: each bar of the axis with its load and end
// reactions, and its NDIV + 1 points (for drawing, each division cut into
// finer parts: the points are then not those of the report).
struct AxisPoint {
  int bar = 0;
  float x = 0.0f;            // abscissa along the bar
  float X = 0.0f;            // abscissa along the axis
  float V = 0.0f, M = 0.0f;  // shear and moment
};
struct AxisBar {
  int bar = 0;
  float L = 0.0f, dl = 0.0f;   // length and division
  float w = 0.0f;              // the case's uniform load
  int pi = 0, pj = 0;          // area reactions at its ends (0: none)
  float rr = 0.0f, rs = 0.0f;  // their values on a foundation bar
  float deje = 0.0f;           // abscissa of its first end along the axis
  int first = 0;               // index of its first point
};
struct AxisWalk {
  std::vector<AxisBar> bars;
  std::vector<AxisPoint> points;
};

// The tables a pass works in while it solves, reused from pass to pass (the
// workspace holds them): what the driver keeps of a pass is its PassSolution.
struct PassTables {
  Tab2<float> FLEX;            // flexibility of the pass's law, (NR + MR) square
  Tab1<float> DESP;            // the solution as the solver leaves it (as PassSolution::DESP)
  Tab1<float> HUNDIM;          // NR + MR
  Tab1<float> QREAC, QCAMBIO;  // the iterative analysis: the reactions of its moduli, their change
  Tab1<float> RNL;             // the Newton iterate, NGRED + NR
  // With the sparse solver, the unknowns in double precision by equation
  // (from 0: the NGRED frame unknowns, then the reactions; the Newton iterate
  // of a nonlinear solve), of which DESP holds the rounding. Empty with gaussj.
  std::vector<double> solution_double;
};

struct Model;
// How many parts the pictures cut each division of axis a into (nullptr: no pictures).
using DrawnParts = int (*)(const Model& m, int a);

struct PassSolution {
  SolvedCase c;
  // Displacements and rotations by global dof 1..NGL (0 when restrained),
  // then the reactions NGL + 1 .. NGL + NR + MR (NREAC, then NREACN); the
  // table runs to NGL + NN at least, as the end forces' log lists it.
  Tab1<float> DESP;
  Tab1<float> HUNDIM;        // the settlement under each reaction
  std::vector<double> solution_double;  // as PassTables::solution_double
  Tab1<float> flex_diagonal; // FLEX(k, k) of each reaction of a linear solve (the footings' springs)
  Tab2<float> VGL;           // end forces (bar, 1..12), in the bar's local axes
  // By axis (index a - 1): the walk at the report's NDIV points, and at the
  // pictures' denser points (empty when no picture is drawn, and for an axis no picture draws).
  std::vector<AxisWalk> axes, drawn;
  // The log of its end forces, kept when its case writes them once more.
  std::string forces_log;

  // How its solve ended; a pass that did not end `solved` has no end forces
  // and ends the run once the driver has written what it solved.
  enum class End { solved, singular, not_a_number };
  End end = End::solved;
  bool converged = true;  // the Newton iteration converged; the iterative analysis's reactions settled
  // The iterative analysis, one entry per linear solve: the reactions whose
  // moduli it used, and its solution (none when its matrix was singular); and
  // the settlements under the uniform reactions it starts from.
  struct Step {
    Tab1<float> QREAC, DESP, HUNDIM;
  };
  std::vector<Step> steps;
  Tab1<float> uniform_settlements;
  // The console lines of the Newton iteration.
  std::string console;
};

}  // namespace korvant
