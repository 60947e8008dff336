// Frame structure: element matrices, load vectors and assembly, member end
// forces and internal-force diagrams.
#pragma once

#include <vector>

#include "model/model.hpp"
#include "model/pass_solution.hpp"
#include "text/log.hpp"

namespace korvant {

// Element matrices of every bar, the four load sets, akr, CARGATOTAL and qmax.
void assemble_frame(Model& m, Log& log);
// The report of the bar loads as read (before the assembly adds the self
// weight), and of the total load and qmax (after it).
void write_bar_loads(const Model& m, OutFile& rep);
void write_total_load(const Model& m, OutFile& rep);
// The end forces VGL of every bar for the solution in s.DESP of case s.c.case_no.
void end_forces(const Model& m, Log& log, PassSolution& s);
void write_end_forces(const Model& m, const PassSolution& s, OutFile& rep);

// Shear V and moment M at abscissa x of a bar of length L that starts with shear
// V0 and moment -M0, carries the downward load w over its length and the soil
// reactions rr and rs over the halves next to its first and second end.
struct DiagramPoint {
  float V, M;
};
DiagramPoint diagram_point(float V0, float M0, float rr, float rs, float w, float L, float x);

// The walk along axis a for the diagrams of solution s (its end forces and
// reactions): each bar of the axis and its NDIV + 1 points; with `fine` > 1
// each division is cut into `fine` parts, for drawing.
void walk_axis(const Model& m, const PassSolution& s, int a, int fine, AxisWalk& out);
// Every axis of s walked once at the report's points (s.axes) and, when
// `drawn_parts` is given, once at the pictures' (s.drawn): each division of
// axis a cut into drawn_parts(m, a) parts (none, an empty walk, when that is 0).
void walk_axes(const Model& m, PassSolution& s, DrawnParts drawn_parts);

// The diagrams of every axis of s: the walk in the log, the shear and moment
// table in the report.
void log_diagrams(const Model& m, const PassSolution& s, Log& log);
void write_diagrams(const Model& m, const PassSolution& s, OutFile& rep);

}  // namespace korvant
