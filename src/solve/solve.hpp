// Interaction solvers.
#pragma once

#include "model/model.hpp"
#include "model/soil_laws.hpp"
#include "solve/workspace.hpp"
#include "text/log.hpp"

namespace korvant {

// Linear interaction solve of one case with its reduced load vector, by the
// workspace's solver. The solve writes the log. Returns false when the coupled
// matrix is singular (the solution tables are then left cleared).
// It reads FLEX and leaves DESP and HUNDIM in the workspace's pass tables.
bool HUND(const Model& m, Log& log, Workspace& ws, const Tab1<float>& vered);
// Its results: reactions, settlements and node displacements in the report,
// the values block of the GiD results file.
void write_linear_solution(const Model& m, const Tab1<float>& DESP, const Tab1<float>& HUNDIM, OutFile& rep,
                           OutFile& res);

// How a Newton iteration ended.
enum class NewtonEnd { converged, not_converged, singular };
// Nonlinear (Demeneghi) interaction solve with the nonlinear form of a soil
// law (the nonlinear law of compressions, or that of primary or secondary
// consolidation) and the case's reduced load vector, by the workspace's
// solver. A singular Jacobian ends it at once, with nothing stored.
// The progress of the iteration goes to `con`.
// Its iterate is the pass tables' RNL, its solution their DESP.
NewtonEnd SOLNL(const Model& m, Log& log, OutFile& con, Workspace& ws, const SoilLaw& law, const Tab1<float>& vered);
// Its results in the report, with the line of an iteration that did not converge.
void write_nonlinear_solution(const Model& m, const Tab1<float>& DESP, OutFile& rep, bool converged);

// Settlement (m) of stratum jj under reaction ii by the nonlinear form of
// `law`, for the reactions RNL(NGRED + k) + HINC(k); KP is the soil profile of
// the reaction's node. A law without a nonlinear form settles nothing.
float Def(const Model& m, Log& log, const SoilLaw& law, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC,
          int KP);
// DEFS(1..NR): settlement under every reaction, summed over the strata of its profile.
void CalcDefNL(const Model& m, Log& log, const SoilLaw& law, Tab1<float>& DEFS, const Tab1<float>& RNL,
               const Tab1<float>& HINC);

// The frame rows of a coupled system as the assembly left them: the dense akr
// for gaussj, akr by compressed columns (through `view`, which must outlive
// the system) for the sparse solver.
void frame_rows(const Model& m, CoupledSystem& sys, SparseColumns& view);

// Lines shared by the solvers: the nodal displacement table of the report and
// the values of a GiD result block (after its header line) from DESP.
void write_node_displacements(const Model& m, const Tab1<float>& DESP, OutFile& rep);
void write_result_values(const Model& m, const Tab1<float>& DESP, OutFile& res);

}  // namespace korvant
