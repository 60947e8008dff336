// The linear systems of the interaction solves, handed to a solver by their
// parts, and the solvers that solve them.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

#include "model/tables.hpp"

namespace korvant {

// A matrix by compressed columns: the entries of column j (from 1) are
// values[k], rows row[k] (from 1), for k in col_start[j-1] .. col_start[j]-1.
struct SparseColumns {
  int rows = 0, cols = 0;
  std::span<const int> col_start;  // cols + 1 entries
  std::span<const int> row;
  std::span<const double> values;
};

// A dense block of the reaction rows: rows NGRED + r0 .. NGRED + r0 + rows - 1
// and columns NGRED + c0 .. NGRED + c0 + cols - 1 of the system hold
// a[(j - 1) * ld + (i - 1)], i = 1..rows, j = 1..cols (column by column).
struct SoilBlock {
  int r0 = 1, c0 = 1, rows = 0, cols = 0;
  const float* a = nullptr;
  std::size_t ld = 0;
};

// The coupled system of one solve, of order NGRED + NRT:
//   rows 1..NGRED     the frame equilibrium: the frame stiffness over the
//                     NGRED frame unknowns and the NRT reaction columns;
//   rows NGRED + k    the compatibility of reaction k: 1 in column
//                     reaction_eq[k - 1] (the frame equation whose displacement
//                     the reaction's settlement equals), plus the soil blocks
//                     (flexibilities, or the soil part of a Jacobian) in the
//                     reaction columns.
// Every other entry is 0. The frame rows come as the dense extended stiffness
// (akr: NGRED rows, at least NGRED + NRT columns; the columns past the order
// of the system are not part of it) or by compressed columns, or both; a
// solver uses the form it knows.
struct CoupledSystem {
  int NGRED = 0, NRT = 0;
  const Tab2<float>* frame = nullptr;
  const SparseColumns* frame_sparse = nullptr;
  std::span<const int> reaction_eq;
  std::span<const SoilBlock> soil;
  // How a dense matrix is formed from the parts: each part copied into place
  // (the Jacobian of the nonlinear solve), or added into a matrix of zeros
  // (the linear solve). The two differ only in the sign of a zero entry
  // (0 + -0 is +0), which gaussj carries through to the last bit.
  bool copies = false;

  int order() const { return NGRED + NRT; }
  // Entry (i, j), both from 1, as the dense matrix holds it.
  float entry(int i, int j) const;
  // Entry (i, j) of the frame rows (i <= NGRED) as given, before it is placed.
  float frame_entry(int i, int j) const;
  // The dense matrix, column by column (leading dimension order()), into a.
  void dense(float* a) const;
};

// A solver of coupled systems, kept for a run: it may keep what it learnt of
// one system (its storage, a symbolic analysis) for the next one.
class CoupledSolver {
 public:
  virtual ~CoupledSolver() = default;
  // Solves the system with right-hand side b (order() entries, from 0); b
  // becomes the solution. Returns false when the matrix is singular (b is
  // then left undefined).
  virtual bool solve(const CoupledSystem& sys, float* b) = 0;
  // The inverse of the matrix last solved, column by column (leading
  // dimension its order), when this solver forms it; null otherwise.
  virtual const float* inverse() const { return nullptr; }
  // The relative residual |A x - b| / (|A| |x|) (infinity norms, in double
  // precision) of the last solve, when this solver computes it; -1 otherwise.
  virtual double residual() const { return -1.0; }
  // The solution of the last solve in double precision (order() entries, from
  // 0), when this solver computes in double; empty otherwise.
  virtual std::span<const double> solution() const { return {}; }
  // Storage for systems up to order n, taken once for the run.
  virtual void reserve(int n) { (void)n; }
};

}  // namespace korvant
