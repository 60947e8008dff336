// A sparse LU factorisation in double precision (UMFPACK) of square matrices
// given by compressed columns. The symbolic analysis (the ordering and the
// fill-in) depends only on the pattern, so it is kept for the next matrix of
// the same pattern: every pass and every Newton step of a run.
#pragma once

#include <cstddef>
#include <utility>
#include <span>
#include <vector>

#include "solve/solver.hpp"

namespace korvant {

// Whether the program was built with the sparse solver (UMFPACK found at
// configure time).
bool sparse_lu_built_in();

// Asks the BLAS under the sparse LU for one thread, where the BLAS loaded
// can be told so while the program runs (a threaded OpenBLAS reads its
// environment only when it is loaded, before main): the samples of a study
// solve one to a core.
void sparse_lu_one_blas_thread();

class SparseLu {
 public:
  SparseLu() = default;
  ~SparseLu();
  SparseLu(const SparseLu&) = delete;
  SparseLu& operator=(const SparseLu&) = delete;

  // Factorises the n x n matrix whose column j (from 0) has the values
  // values[k] in rows row[k] (from 0, ascending, no repeats), k from
  // col_start[j] to col_start[j + 1] - 1. Returns false when it is singular.
  bool factor(int n, std::span<const int> col_start, std::span<const int> row, std::span<const double> values);
  // x = A^-1 b with the last factorisation (b and x: n entries; they may not
  // overlap). Returns false when the solution is not a number.
  bool solve(const double* b, double* x);
  // Symbolic analyses made so far (a new pattern makes one).
  int analyses() const { return analyses_; }
  // Bytes of the last factorisation's numeric object, as UMFPACK reports it.
  double factor_bytes() const { return factor_bytes_; }

 private:
  void release_numeric();
  void release_symbolic();
  int n_ = -1;
  std::vector<int> col_start_, row_;  // the pattern of the symbolic analysis
  std::span<const double> values_;
  std::span<const int> cs_, rw_;
  void* symbolic_ = nullptr;
  void* numeric_ = nullptr;
  int analyses_ = 0;
  double factor_bytes_ = 0.0;
};

// The sparse solver: the coupled system formed by compressed columns in
// double precision from its parts (the frame rows as the sparse assembly gives
// them, every soil block, the reaction equations' ones), never as a dense
// matrix, and solved by SparseLu. The right-hand side and the solution are
// single precision, as the solves keep them; the solution is rounded once.
class SparseLuSolver final : public CoupledSolver {
 public:
  bool solve(const CoupledSystem& sys, float* b) override;
  double residual() const override { return residual_; }
  std::span<const double> solution() const override { return xd_; }
  const SparseLu& lu() const { return lu_; }

 private:
  void form(const CoupledSystem& sys);
  SparseLu lu_;
  std::vector<int> cs_, rw_;
  std::vector<double> vx_;
  std::vector<double> acc_;        // one column's reaction rows, scattered
  std::vector<char> mark_;
  std::vector<std::pair<int, int>> ones_;  // (frame equation, reaction row k) of the ones, by equation
  std::vector<double> bd_, xd_, rs_;
  double residual_ = -1.0;
};

}  // namespace korvant
