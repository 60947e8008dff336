// The sparse LU of the sparse solver: UMFPACK's double-precision LU with its
// symbolic analysis kept for the next matrix of the same pattern.
#include "solve/sparse_lu.hpp"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>

#ifdef KORVANT_HAVE_UMFPACK
#include <suitesparse/umfpack.h>
#endif

namespace korvant {

void sparse_lu_one_blas_thread() {
  using SetThreads = void (*)(int);
  if (void* f = ::dlsym(RTLD_DEFAULT, "openblas_set_num_threads"); f != nullptr)
    reinterpret_cast<SetThreads>(f)(1);
}

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

namespace korvant {

namespace {
std::size_t ix(int i) { return static_cast<std::size_t>(i); }
}  // namespace

void SparseLuSolver::form(const CoupledSystem& sys) {
  const int n = sys.order(), NGRED = sys.NGRED, NRT = sys.NRT;
  cs_.assign(ix(n) + 1, 0);
  rw_.clear();
  vx_.clear();
  acc_.assign(ix(NRT) + 1, 0.0);
  mark_.assign(ix(NRT) + 1, 0);
  ones_.clear();
  for (int k = 1; k <= NRT; ++k)
    if (sys.reaction_eq[ix(k - 1)] >= 1) ones_.emplace_back(sys.reaction_eq[ix(k - 1)], k);
  std::sort(ones_.begin(), ones_.end());
  std::size_t next_one = 0;
  for (int j = 1; j <= n; ++j) {
    // The frame rows of column j.
    if (sys.frame_sparse != nullptr) {
      const SparseColumns& s = *sys.frame_sparse;
      if (j <= s.cols)
        for (int k = s.col_start[ix(j - 1)]; k < s.col_start[ix(j)]; ++k) {
          rw_.push_back(s.row[ix(k)] - 1);
          vx_.push_back(s.values[ix(k)]);
        }
    } else if (sys.frame != nullptr && j <= sys.frame->n2) {
      for (int r = 1; r <= NGRED; ++r)
        if (const float v = (*sys.frame)(r, j); v != 0.0f) {
          rw_.push_back(r - 1);
          vx_.push_back(static_cast<double>(v));
        }
    }
    // The reaction rows: the ones, then every soil block over this column.
    int lo = NRT + 1, hi = 0;
    auto scatter = [&](int k, double v) {
      acc_[ix(k)] += v;
      mark_[ix(k)] = 1;
      lo = std::min(lo, k);
      hi = std::max(hi, k);
    };
    while (next_one < ones_.size() && ones_[next_one].first == j) scatter(ones_[next_one++].second, 1.0);
    if (j > NGRED) {
      const int c = j - NGRED;
      for (const SoilBlock& b : sys.soil) {
        if (c < b.c0 || c >= b.c0 + b.cols) continue;
        const float* col = b.a + ix(c - b.c0) * b.ld;
        for (int i = 0; i < b.rows; ++i) scatter(b.r0 + i, static_cast<double>(col[i]));
      }
    }
    for (int k = lo; k <= hi; ++k) {
      if (!mark_[ix(k)]) continue;
      rw_.push_back(NGRED + k - 1);
      vx_.push_back(acc_[ix(k)]);
      acc_[ix(k)] = 0.0;
      mark_[ix(k)] = 0;
    }
    cs_[ix(j)] = static_cast<int>(rw_.size());
  }
}

bool SparseLuSolver::solve(const CoupledSystem& sys, float* b) {
  const int n = sys.order();
  residual_ = -1.0;
  form(sys);
  if (!lu_.factor(n, cs_, rw_, vx_)) return false;
  bd_.assign(b, b + n);
  xd_.assign(ix(n), 0.0);
  if (!lu_.solve(bd_.data(), xd_.data())) return false;
  // |A x - b| / (|A| |x|), infinity norms.
  rs_.assign(ix(n), 0.0);
  std::vector<double>& rowsum = acc_;
  rowsum.assign(ix(n), 0.0);
  for (int j = 0; j < n; ++j)
    for (int k = cs_[ix(j)]; k < cs_[ix(j) + 1]; ++k) {
      rs_[ix(rw_[ix(k)])] += vx_[ix(k)] * xd_[ix(j)];
      rowsum[ix(rw_[ix(k)])] += std::fabs(vx_[ix(k)]);
    }
  double rn = 0.0, an = 0.0, xn = 0.0;
  for (int i = 0; i < n; ++i) {
    rn = std::max(rn, std::fabs(rs_[ix(i)] - bd_[ix(i)]));
    an = std::max(an, rowsum[ix(i)]);
    xn = std::max(xn, std::fabs(xd_[ix(i)]));
  }
  residual_ = an > 0.0 && xn > 0.0 ? rn / (an * xn) : 0.0;
  for (int i = 0; i < n; ++i) b[i] = static_cast<float>(xd_[ix(i)]);
  return true;
}

}  // namespace korvant
