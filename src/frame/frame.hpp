// Frame structure: element matrices, load vectors and assembly, member end
// forces and internal-force diagrams.
#pragma once

#include <vector>

#include "model/model.hpp"
#include "text/log.hpp"

namespace korvant {

// Element matrices of every bar, the four load sets, akr, CARGATOTAL and qmax.
void assemble_frame(Model& m, Log& log);
// The report of the bar loads as read (before the assembly adds the self
// weight), and of the total load and qmax (after it).
void write_bar_loads(const Model& m, OutFile& rep);
void write_total_load(const Model& m, OutFile& rep);
// VGL of every bar for the solution in DESP of case `case_no` (1..4).
void end_forces(Model& m, Log& log, int case_no);
void write_end_forces(const Model& m, OutFile& rep);

// Shear V and moment M at abscissa x of a bar of length L that starts with shear
// V0 and moment -M0, carries the downward load w over its length and the soil
// reactions rr and rs over the halves next to its first and second end.
struct DiagramPoint {
  float V, M;
};
DiagramPoint diagram_point(float V0, float M0, float rr, float rs, float w, float L, float x);

// The walk along one axis for the diagrams of case `case_no`: each bar of the axis
// with its load and end reactions, and its NDIV + 1 points (with `fine` > 1 each
// division is cut into `fine` parts, for drawing; the points are then not those
// of the report).
struct AxisPoint {
  int bar = 0;
  float x = 0.0f;              // abscissa along the bar
  float X = 0.0f;              // abscissa along the axis
  float V = 0.0f, M = 0.0f;    // shear and moment
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
void walk_axis(const Model& m, int a, int case_no, int fine, AxisWalk& out);

// The diagrams of every axis for case `case_no`: the walk in the log, the shear and
// moment table in the report (walk is scratch space, kept by the caller).
void log_diagrams(const Model& m, Log& log, int case_no, AxisWalk& walk);
void write_diagrams(const Model& m, OutFile& rep, int case_no, AxisWalk& walk);

}  // namespace korvant
