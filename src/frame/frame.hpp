// Frame structure: element matrices, load vectors and assembly, member end
// forces and internal-force diagrams.
#pragma once

#include "model/model.hpp"
#include "output/out_file.hpp"

namespace korvant {

// Element matrices of every bar, the four load sets, akr, CARGATOTAL and qmax.
void assemble_frame(Model& m, Files& f);
// VGL of every bar for the solution in DESP of case `caso` (1..4).
void end_forces(Model& m, Files& f, int caso);
// Shear and moment along each axis for case `caso`.
void diagrams(Model& m, Files& f, int caso);

}  // namespace korvant
