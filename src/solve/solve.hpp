// Interaction solvers.
#pragma once

#include "model/model.hpp"
#include "model/soil_laws.hpp"
#include "text/log.hpp"

namespace korvant {

// Gauss-Jordan elimination with full pivoting on the n x n column-major matrix
// a (leading dimension lda) and the right-hand side b: b becomes the solution,
// a the inverse. A zero pivot, or a pivot search that finds only values that
// are not numbers, writes "singular matrix in gaussj" to `con` and ends the
// run (Fatal{status::SINGULAR}).
void gaussj(float* a, int n, int lda, float* b, OutFile& con);
// Tests and benchmarks only: pivots whose updates are held back together
// (1..64, 24 by default), the smallest piece of work (in element updates) shared
// with the helper thread, and the widest vector code allowed (2 AVX-512,
// 1 AVX2, 0 SSE2; the processor's own limit still applies).
void gaussj_options(int block, long parallel_min, int isa);
// The vector code gaussj uses on this processor: "AVX-512", "AVX2" or "SSE2".
const char* gaussj_instruction_set();

// Linear interaction solve of one case with its reduced load vector.
// The solve writes the log; gaussj writes to `con` the line of a zero pivot.
void HUND(Model& m, Log& log, OutFile& con, const Tab1<float>& vered);
// Its results: reactions, settlements and node displacements in the report,
// the values block of the GiD results file.
void write_linear_solution(const Model& m, OutFile& rep, OutFile& res);

// Nonlinear (Demeneghi) interaction solve with the nonlinear form of a soil
// law (the nonlinear law of compressions, or that of primary or secondary
// consolidation) and the case's reduced load vector. Returns false when the
// Newton iteration ended without meeting its convergence test.
// The progress of the iteration goes to `con`.
bool SOLNL(Model& m, Log& log, OutFile& con, const SoilLaw& law, const Tab1<float>& vered);
// Its results in the report, with the line of an iteration that did not converge.
void write_nonlinear_solution(const Model& m, OutFile& rep, bool converged);

// Settlement (m) of stratum jj under reaction ii by the nonlinear form of
// `law`, for the reactions RNL(NGRED + k) + HINC(k); KP is the soil profile of
// the reaction's node. A law without a nonlinear form settles nothing.
float Def(const Model& m, Log& log, const SoilLaw& law, int ii, int jj, const Tab1<float>& HINC, int KP);
// DEFS(1..NR): settlement under every reaction, summed over the strata of its profile.
void CalcDefNL(const Model& m, Log& log, const SoilLaw& law, Tab1<float>& DEFS, const Tab1<float>& HINC);

// The square work matrix of the solvers (the coupled matrix of HUND, the
// Jacobian of SOLNL): n x n, column by column, grown on first need and kept for
// the rest of the run. Its contents are not cleared here.
float* solver_matrix(int n);

// Lines shared by the solvers: the nodal displacement table of the report and
// the values of a GiD result block (after its header line) from DESP.
void write_node_displacements(const Model& m, OutFile& rep);
void write_result_values(const Model& m, OutFile& res);

}  // namespace korvant
