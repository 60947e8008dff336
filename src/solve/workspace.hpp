// The working store of the solves of one analysis: every scratch table,
// gaussj's settings, arrays and helper thread, and the solver. One workspace
// serves one analysis at a time; two analyses in one process each have their own.
#pragma once

#include <memory>
#include <vector>

#include "model/model.hpp"
#include "model/pass_solution.hpp"
#include "solve/solver.hpp"

namespace korvant {

// gaussj's settings: pivots whose updates are held back together (1..64), the
// smallest piece of work (in element updates) shared with the helper thread,
// and the widest vector code allowed (2 AVX-512, 1 AVX2, 0 SSE2; the
// processor's own limit still applies).
struct GaussjSettings {
  int block = 24;
  long parallel_min = 200000;
  int isa = 2;
};

// gaussj's work arrays and its helper thread (started on first need, joined
// when the work is destroyed). `cores`: the processors of the machine, asked
// once by whoever makes the work; with fewer than 2 no helper is used.
class GaussjWork {
 public:
  explicit GaussjWork(unsigned cores);
  ~GaussjWork();
  GaussjWork(const GaussjWork&) = delete;
  GaussjWork& operator=(const GaussjWork&) = delete;
  GaussjSettings settings;
  // Arrays for systems up to order n.
  void reserve(int n);

 private:
  friend bool gaussj(GaussjWork& w, float* a, int n, int lda, float* b);
  struct Impl;
  unsigned cores_;
  std::unique_ptr<Impl> impl_;
};

// Gauss-Jordan elimination with full pivoting on the n x n column-major matrix
// a (leading dimension lda) and the right-hand side b: b becomes the solution,
// a the inverse. Returns false when a pivot is 0 or a pivot search finds only
// values that are not numbers (a and b are then left part-way).
bool gaussj(GaussjWork& w, float* a, int n, int lda, float* b);
// The vector code gaussj uses on this processor when `allowed` (as in
// GaussjSettings::isa) allows it: "AVX-512", "AVX2" or "SSE2".
const char* gaussj_instruction_set(int allowed = 2);

// The first solver: the dense coupled matrix formed from the parts and
// solved by gaussj, which leaves its inverse.
class GaussjSolver final : public CoupledSolver {
 public:
  explicit GaussjSolver(GaussjWork& w) : w_(w) {}
  bool solve(const CoupledSystem& sys, float* b) override;
  const float* inverse() const override { return a_.data(); }
  void reserve(int n) override;

 private:
  GaussjWork& w_;
  std::vector<float> a_;  // the matrix, then its inverse
};

// Scratch of the linear solve: right-hand side and solution, the rows of the
// coupled matrix on their way to the log.
struct LinearScratch {
  std::vector<float> b;
  std::vector<float> row_tile;
  std::vector<int> reaction_eq;
  std::vector<SoilBlock> soil;
};

// Scratch of the nonlinear solve.
struct NewtonScratch {
  std::vector<float> F, rhs, prev, acc;  // functional, -F / correction, previous values, sums
  std::vector<double> accd;              // the sums of the sparse path
  std::vector<float> bv;                 // right-hand side of the frame rows
  std::vector<float> soil;               // soil part of the Jacobian, NR x NR by columns
  std::vector<double> ERRPC;             // change of each reaction (%)
  std::vector<int> reaction_eq;
  Tab1<float> DEFS, minus_base, HINC;    // settlements; minus those at the current reactions (the base
                                         // point of the differences); increments
};

class Workspace {
 public:
  // Asks the machine for its processors, once for the whole analysis.
  explicit Workspace(GaussjSettings s = {});
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Every table sized to the systems of model m, once before its first pass.
  void size_to(const Model& m);

  unsigned cores;        // processors of the machine
  GaussjWork gaussj;     // gaussj's arrays, settings and helper thread
  std::unique_ptr<CoupledSolver> solver;
  LinearScratch linear;
  NewtonScratch newton;
  PassTables pass;  // what the pass being solved works in
};

}  // namespace korvant
