// Frame structure: element matrices, load vectors and assembly, member end
// forces and internal-force diagrams.
#pragma once

#include "model/model.hpp"
#include "text/out_file.hpp"

namespace korvant {

// Element matrices of every bar, the four load sets, akr, CARGATOTAL and qmax.
void assemble_frame(Model& m, Files& f);
// VGL of every bar for the solution in DESP of case `caso` (1..4).
void end_forces(Model& m, Files& f, int caso);
// Shear and moment along each axis for case `caso`.
void diagrams(Model& m, Files& f, int caso);

// Shear V and moment M at abscissa x of a bar of length L that starts with shear
// V0 and moment -M0, carries the downward load w over its length and the soil
// reactions rr and rs over the halves next to its first and second end.
struct DiagramPoint {
  float V, M;
};
DiagramPoint diagram_point(float V0, float M0, float rr, float rs, float w, float L, float x);

}  // namespace korvant
