// The coupled system from its parts, gaussj as its first solver, and the
// workspace of the solves.
#include <algorithm>
#include <cstddef>
#include <thread>

#include "model/analysis_passes.hpp"
#include "solve/sparse_lu.hpp"
#include "solve/workspace.hpp"

namespace korvant {

namespace {

std::size_t index_of(int i) { return static_cast<std::size_t>(i); }

}  // namespace

float CoupledSystem::frame_entry(int i, int j) const {
  if (frame != nullptr) return j <= frame->n2 ? (*frame)(i, j) : 0.0f;
  if (frame_sparse == nullptr || j > frame_sparse->cols) return 0.0f;
  const SparseColumns& s = *frame_sparse;
  for (int k = s.col_start[index_of(j - 1)]; k < s.col_start[index_of(j)]; ++k)
    if (s.row[index_of(k)] == i) return static_cast<float>(s.values[index_of(k)]);
  return 0.0f;
}

float CoupledSystem::entry(int i, int j) const {
  if (i <= NGRED) {
    const float v = frame_entry(i, j);
    return copies ? v : 0.0f + v;
  }
  const int k = i - NGRED;
  bool placed = false;
  float v = 0.0f;
  if (j == reaction_eq[index_of(k - 1)]) {
    placed = true;
    v = 1.0f;
  } else if (j > NGRED) {
    const int c = j - NGRED;
    for (const SoilBlock& b : soil)
      if (k >= b.r0 && k < b.r0 + b.rows && c >= b.c0 && c < b.c0 + b.cols) {
        placed = true;
        v = b.a[index_of(c - b.c0) * b.ld + index_of(k - b.r0)];
      }
  }
  return !placed || copies ? v : 0.0f + v;
}

void CoupledSystem::dense(float* a) const {
  const int n = order();
  const std::size_t un = index_of(n);
  std::fill(a, a + un * un, 0.0f);
  auto C = [&](int r, int c) -> float& { return a[index_of(c - 1) * un + index_of(r - 1)]; };
  // The frame rows, column by column.
  auto frame_rows = [&](auto place) {
    if (frame != nullptr) {
      const int cols = std::min(n, frame->n2);
      for (int c = 1; c <= cols; ++c) {
        const float* fc = frame->v.data() + index_of(c - 1) * index_of(frame->n1);
        float* ac = a + index_of(c - 1) * un;
        for (int r = 0; r < NGRED; ++r) place(ac[r], fc[r]);
      }
    } else if (frame_sparse != nullptr) {
      const SparseColumns& s = *frame_sparse;
      for (int c = 1; c <= std::min(n, s.cols); ++c)
        for (int k = s.col_start[index_of(c - 1)]; k < s.col_start[index_of(c)]; ++k) place(C(s.row[index_of(k)], c), static_cast<float>(s.values[index_of(k)]));
    }
  };
  auto soil_rows = [&](auto place) {
    for (const SoilBlock& b : soil)
      for (int j = 1; j <= b.cols; ++j)
        for (int i = 1; i <= b.rows; ++i)
          place(C(NGRED + b.r0 + i - 1, NGRED + b.c0 + j - 1), b.a[index_of(j - 1) * b.ld + index_of(i - 1)]);
  };
  auto ones = [&](auto place) {
    for (int k = 1; k <= NRT; ++k) {
      const int e = reaction_eq[index_of(k - 1)];
      if (e >= 1) place(C(NGRED + k, e), 1.0f);
    }
  };
  if (copies) {
    auto put = [](float& x, float v) { x = v; };
    frame_rows(put);
    soil_rows(put);
    ones(put);
  } else {
    auto add = [](float& x, float v) { x += v; };
    ones(add);
    soil_rows(add);
    frame_rows(add);
  }
}

void frame_rows(const Model& m, CoupledSystem& sys, SparseColumns& view) {
  if (m.method.sparse_solver()) {
    const SparseTab<double>& K = m.akr_sparse;
    view = {K.n1, K.n2, K.col_start, K.row, K.values};
    sys.frame_sparse = &view;
  } else {
    sys.frame = &m.akr;
  }
}

void GaussjSolver::reserve(int n) {
  const std::size_t nn = index_of(n) * index_of(n);
  if (a_.size() < nn) {
    a_.clear();
    a_.shrink_to_fit();
    a_.resize(nn);
  }
  w_.reserve(n);
}

bool GaussjSolver::solve(const CoupledSystem& sys, float* b) {
  const int n = sys.order();
  reserve(n);
  sys.dense(a_.data());
  return gaussj(w_, a_.data(), n, n, b);
}

Workspace::Workspace(GaussjSettings s)
    : cores(std::thread::hardware_concurrency()), gaussj(cores), solver(std::make_unique<GaussjSolver>(gaussj)) {
  gaussj.settings = s;
}

void Workspace::size_to(const Model& m) {
  const int NR = m.NR, n = m.NGRED + NR + m.MR, nt = m.NGRED + NR;
  // The solver the options chose: gaussj unless the sparse one was asked for.
  if (m.method.sparse_solver() && dynamic_cast<SparseLuSolver*>(solver.get()) == nullptr)
    solver = std::make_unique<SparseLuSolver>();
  solver->reserve(n);
  auto grow = [](auto& v, int size) {
    if (v.size() < index_of(size)) v.resize(index_of(size));
  };
  grow(linear.b, n + 1);
  grow(linear.reaction_eq, NR + m.MR);
  // The Newton scratch (its soil block is NR x NR) only for a run that
  // solves a nonlinear pass.
  bool newton_runs = false;
  for (const AnalysisPass& p : analysis_passes()) newton_runs = newton_runs || (p.solver == Solver::nonlinear && solves(m, p));
  if (newton_runs) {
    for (auto* v : {&newton.F, &newton.rhs, &newton.prev, &newton.acc}) grow(*v, nt + 1);
    if (m.method.sparse_solver()) grow(newton.accd, nt + 1);
    grow(newton.bv, m.NGRED + 1);
    grow(newton.soil, NR * NR);
    grow(newton.ERRPC, NR + 1);
    grow(newton.reaction_eq, NR);
  }
  // The pass tables, new for each analysis (FLEX is sized by the first
  // flexibility matrix). The solution runs to NGL + NN at least, as the end
  // forces' log lists it.
  const int NRT = NR + m.MR;
  pass = PassTables{};
  pass.DESP.size_to(m.NGL + std::max(NRT, m.NN));
  for (Tab1<float>* t : {&pass.HUNDIM, &pass.QREAC, &pass.QCAMBIO}) t->size_to(NRT);
}

}  // namespace korvant
