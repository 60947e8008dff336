// The sparse LU of the sparse solver: UMFPACK's double-precision LU with its
// symbolic analysis kept for the next matrix of the same pattern.
#include "solve/sparse_lu.hpp"

#include <algorithm>
#include <cmath>

#ifdef KORVANT_HAVE_UMFPACK
#include <suitesparse/umfpack.h>
#endif

namespace korvant {

#ifdef KORVANT_HAVE_UMFPACK

bool sparse_lu_built_in() { return true; }

SparseLu::~SparseLu() {
  release_numeric();
  release_symbolic();
}

void SparseLu::release_numeric() {
  if (numeric_ != nullptr) umfpack_di_free_numeric(&numeric_);
  numeric_ = nullptr;
}

void SparseLu::release_symbolic() {
  if (symbolic_ != nullptr) umfpack_di_free_symbolic(&symbolic_);
  symbolic_ = nullptr;
}

bool SparseLu::factor(int n, std::span<const int> col_start, std::span<const int> row, std::span<const double> values) {
  release_numeric();
  cs_ = col_start;
  rw_ = row;
  values_ = values;
  const bool same = symbolic_ != nullptr && n == n_ && std::ranges::equal(col_start, col_start_) &&
                    std::ranges::equal(row, row_);
  double control[UMFPACK_CONTROL], info[UMFPACK_INFO];
  umfpack_di_defaults(control);
  if (!same) {
    release_symbolic();
    n_ = n;
    col_start_.assign(col_start.begin(), col_start.end());
    row_.assign(row.begin(), row.end());
    ++analyses_;
    if (umfpack_di_symbolic(n, n, col_start.data(), row.data(), values.data(), &symbolic_, control, info) !=
        UMFPACK_OK) {
      release_symbolic();
      return false;
    }
  }
  const int st = umfpack_di_numeric(col_start.data(), row.data(), values.data(), symbolic_, &numeric_, control, info);
  factor_bytes_ = info[UMFPACK_NUMERIC_SIZE] * info[UMFPACK_SIZE_OF_UNIT];
  if (st != UMFPACK_OK) {  // UMFPACK_WARNING_singular_matrix among others
    release_numeric();
    return false;
  }
  return true;
}

bool SparseLu::solve(const double* b, double* x) {
  if (numeric_ == nullptr) return false;
  double control[UMFPACK_CONTROL], info[UMFPACK_INFO];
  umfpack_di_defaults(control);
  if (umfpack_di_solve(UMFPACK_A, cs_.data(), rw_.data(), values_.data(), x, b, numeric_, control, info) !=
      UMFPACK_OK)
    return false;
  for (int i = 0; i < n_; ++i)
    if (!std::isfinite(x[i])) return false;
  return true;
}

#else

bool sparse_lu_built_in() { return false; }
SparseLu::~SparseLu() = default;
void SparseLu::release_numeric() {}
void SparseLu::release_symbolic() {}
bool SparseLu::factor(int, std::span<const int>, std::span<const int>, std::span<const double>) { return false; }
bool SparseLu::solve(const double*, double*) { return false; }

#endif

}  // namespace korvant
