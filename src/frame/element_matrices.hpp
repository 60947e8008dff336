// The element computation of one bar, shared by the assembly pass and the
// member-force pass: section and material lookup, stiffness coefficients, the
// local stiffness KELEM, the transformation TRANS, its transpose TT, the
// projected stiffness KPROY = TT*KELEM*TRANS and the bar's row of GLBARRA.
#pragma once

#include <array>

#include "model/model.hpp"
#include "text/log.hpp"

namespace korvant {

// A 12 x 12 single-precision matrix, indexed from 1, stored column by column.
struct Mat12 {
  std::array<float, 144> a{};
  float& operator()(int i, int j) { return a[static_cast<std::size_t>((j - 1) * 12 + (i - 1))]; }
  float operator()(int i, int j) const { return a[static_cast<std::size_t>((j - 1) * 12 + (i - 1))]; }
  void clear() { a.fill(0.0f); }
};

// A 12-entry single-precision vector (one column), indexed from 1.
struct Vec12 {
  std::array<float, 12> a{};
  float& operator()(int i) { return a[static_cast<std::size_t>(i - 1)]; }
  float operator()(int i) const { return a[static_cast<std::size_t>(i - 1)]; }
  void clear() { a.fill(0.0f); }
};

// C = transpose of A. Writes nothing to the log.
void TRANSPMAT(const Mat12& A, Mat12& C);

// C = A*B, each entry summed from +0 over k = 1..12 in order. Before computing,
// writes "MATRIZ A" with A (12F10.2) and "MATRIZ B" with B (12F10.5) to `log`.
void MULTMAT(LogDetail log, const Mat12& A, const Mat12& B, Mat12& C);
void MULTMAT(LogDetail log, const Mat12& A, const Vec12& B, Vec12& C);

// Which pass runs the element computation: they differ in their log lines and
// in the material values they look up.
enum class ElementPass { Assembly, EndForces };

// Values of one bar. The section values are reset for every bar; the material
// values are only replaced when a section matches, so a bar whose section is
// missing keeps those of the previous bar (they meet only zero section values).
struct Element {
  float A = 0.0f, Iy = 0.0f, Iz = 0.0f, J = 0.0f;
  float gamma = 0.0f, E = 0.0f, nu = 0.0f;
  float L = 0.0f, L2 = 0.0f, L3 = 0.0f;
  float rax = 0.0f, raay = 0.0f, raby = 0.0f, r11y = 0.0f, r12y = 0.0f;
  float raaz = 0.0f, rabz = 0.0f, r11z = 0.0f, r12z = 0.0f, G = 0.0f, rj = 0.0f;
  Mat12 KELEM, TRANS, TT, KPROY, work;
};

// Runs the element computation of bar b into `e` and writes the element block
// of the pass to `log` (detail lines: one block per bar).
void element_matrices(const Model& m, LogDetail log, int b, ElementPass pass, Element& e);

// Global degree of freedom of row k (1..12) of bar b: the six of its first
// node, then the six of its second.
inline int bar_dof(const Model& m, int b, int k) { return k <= 6 ? 6 * m.PI(b) - 6 + k : 6 * m.PJ(b) - 12 + k; }
// GLBARRA: the twelve of every bar, once the bars are read.
void bar_dofs(Model& m);

// 20-character names compared with trailing blanks not significant.
bool same_name(const std::string& a, const std::string& b);

// The equivalent end loads of a unit uniform load over one half of a bar, as
// fractions of L (end forces) and of L*L (end moments).
constexpr float HALF_NEAR_L = 0.40625f;       // 13/32
constexpr float HALF_FAR_L = 0.09375f;        // 3/32
constexpr float HALF_NEAR_L2 = 0.057291668f;  // 11/192
constexpr float HALF_FAR_L2 = 0.026041666f;   // 5/192

// Uniform load on bar b in load set `set` (AnalysisCase::load_set: 1 PV;
// 2 CVMax + CMUERTA + Pprop + PV; 3 CVMed + CMUERTA + Pprop + PV).
float case_load(const Model& m, int b, int set);

// Largest position l in 1..NR with NREAC(l) = g, 0 when there is none.
int area_reaction_position(const Model& m, int g);

}  // namespace korvant
