// Interaction solvers.
#pragma once

#include "model/model.hpp"
#include "output/out_file.hpp"

namespace korvant {

// Gauss-Jordan elimination with full pivoting on the n x n column-major matrix
// a (leading dimension lda) and the right-hand side b: b becomes the solution,
// a the inverse. A zero pivot writes "singular matrix in gaussj" to `con` and
// ends the run (Fatal{status::SINGULAR}).
void gaussj(float* a, int n, int lda, float* b, OutFile& con);

// Linear interaction solve of one case with its reduced load vector.
void HUND(Model& m, Files& f, const Tab1<float>& vered);

// Nonlinear (Demeneghi) interaction solve of case 2, 3 or 4 with the case's
// parameter table (A2, Ap or Acs) and reduced load vector.
void SOLNL(Model& m, Files& f, int caso, const Tab2<float>& Adem, const Tab1<float>& vered);

}  // namespace korvant
