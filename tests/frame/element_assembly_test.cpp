#include <gtest/gtest.h>

#include <cmath>

#include "frame/element_matrices.hpp"
#include "text/files.hpp"
#include "frame/frame.hpp"
#include "../toolkit/frame_fixture.hpp"

using namespace korvant;
using korvant::testing::FrameBuilder;

namespace {

double d(float v) { return static_cast<double>(v); }

Element element_of(Model& m, int b) {
  Files f;
  bar_dofs(m);
  Element e;
  element_matrices(m, f.log, b, ElementPass::Assembly, e);
  return e;
}

}  // namespace

TEST(ElementMatrices, BarAlongXProjectsToItsLocalMatrix) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(5, 0, 0);
  fb.bar(n1, n2);
  Model m = fb.build();
  Element e = element_of(m, 1);
  for (int i = 1; i <= 12; ++i)
    for (int j = 1; j <= 12; ++j) {
      EXPECT_EQ(e.TRANS(i, j), i == j ? 1.0f : 0.0f);
      EXPECT_EQ(e.KPROY(i, j), e.KELEM(i, j)) << i << "," << j;
    }
  // Sign convention of the couplings and a few values.
  EXPECT_FLOAT_EQ(e.KELEM(1, 1), 2.0e6f * 0.18f / 5.0f);
  EXPECT_FLOAT_EQ(e.KELEM(3, 3), 12.0f * 2.0e6f * 0.0054f / 125.0f);
  EXPECT_GT(e.KELEM(3, 5), 0.0f);
  EXPECT_GT(e.KELEM(3, 11), 0.0f);
  EXPECT_LT(e.KELEM(2, 6), 0.0f);
  EXPECT_LT(e.KELEM(2, 12), 0.0f);
  EXPECT_FLOAT_EQ(e.KELEM(4, 4), (2.0e6f / 2.5f) * 0.0037f / 5.0f);
  for (int k = 1; k <= 6; ++k) {
    EXPECT_EQ(m.GLBARRA(1, k), k);
    EXPECT_EQ(m.GLBARRA(1, 6 + k), 6 + k);
  }
}

TEST(ElementMatrices, InclinedBarHasSymmetricProjectionAndKeepsInvariants) {
  FrameBuilder fb;
  int n1 = fb.node(1, 2, 0), n2 = fb.node(2, 4, 2), n3 = fb.node(0, 0, 0), n4 = fb.node(0, 0, 3);
  fb.bar(n1, n2);  // direction (1, 2, 2)/3, L = 3
  fb.bar(n3, n4);  // vertical
  Model m = fb.build();
  for (int b = 1; b <= 2; ++b) {
    Element e = element_of(m, b);
    double trace_l = 0, trace_g = 0;
    for (int i = 1; i <= 12; ++i) {
      trace_l += d(e.KELEM(i, i));
      trace_g += d(e.KPROY(i, i));
      for (int j = 1; j <= 12; ++j) {
        EXPECT_NEAR(e.KPROY(i, j), e.KPROY(j, i), 1e-5 * (std::fabs(d(e.KPROY(i, j))) + 1.0)) << b << ":" << i << "," << j;
        EXPECT_EQ(e.TT(i, j), e.TRANS(j, i));
      }
    }
    EXPECT_NEAR(trace_g, trace_l, 1e-5 * trace_l);  // a rotation keeps the trace
  }
  EXPECT_EQ(m.GLBARRA(2, 1), 13);
  EXPECT_EQ(m.GLBARRA(2, 12), 24);
}

TEST(ElementMatrices, SectionLookupTakesTheLastMatchAndZeroAreaKeepsBending) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(4, 0, 0);
  fb.bar(n1, n2);
  Model m = fb.build();
  m.NSEC = 2;
  for (auto* t : {&m.AREASEC, &m.Iy, &m.Iz, &m.IRot}) t->v.resize(3);
  m.SECNOM.v.resize(3);
  m.SECMAT.v.resize(3);
  m.SECNOM(2) = "S1";  // same name, trailing blanks not significant
  m.SECMAT(2) = "CONCRETO";
  m.AREASEC(2) = 0.0f;
  m.Iy(2) = 0.01f;
  m.Iz(2) = 0.02f;
  m.IRot(2) = 0.03f;
  Element e = element_of(m, 1);
  EXPECT_EQ(e.A, 0.0f);
  EXPECT_EQ(e.Iy, 0.01f);
  for (int j = 1; j <= 12; ++j) {
    EXPECT_EQ(e.KELEM(1, j), 0.0f);
    EXPECT_EQ(e.KELEM(7, j), 0.0f);
  }
  EXPECT_GT(e.KELEM(3, 3), 0.0f);

  // A section with no material: no stiffness at all.
  m.SECMAT(2) = "ACERO";
  e = element_of(m, 1);
  for (float v : e.KELEM.a) EXPECT_EQ(v, 0.0f);
}

TEST(ElementMatrices, MultmatWithOneColumnFillsOnlyTheVector) {
  Mat12 a;
  Vec12 x, y;
  for (int i = 1; i <= 12; ++i) {
    x(i) = static_cast<float>(i);
    for (int j = 1; j <= 12; ++j) a(i, j) = (i == j) ? 2.0f : (j == i + 1 ? 1.0f : 0.0f);
  }
  Files f;
  MULTMAT(f.log, a, x, y);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(y(i), 2.0f * static_cast<float>(i) + (i < 12 ? static_cast<float>(i + 1) : 0.0f));
  Mat12 c;
  MULTMAT(f.log, a, a, c);
  EXPECT_EQ(c(1, 1), 4.0f);
  EXPECT_EQ(c(1, 2), 4.0f);
  EXPECT_EQ(c(1, 3), 1.0f);
  EXPECT_EQ(c(2, 1), 0.0f);
}

// A cantilever along X fixed at node 1: end loads give the textbook deflections.
TEST(Assembly, CantileverEndDeflections) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(4, 0, 0);
  fb.bar(n1, n2);
  fb.fix(n1);
  Model m = fb.build();
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  ASSERT_EQ(m.NGRED, 6);
  ASSERT_EQ(m.akr.n1, 6);
  ASSERT_EQ(m.akr.n2, 6);

  const double L = 4, E = 2.0e6, P = -10.0;
  Tab1<float> rhs;
  rhs.size_to(6);
  rhs(3) = static_cast<float>(P);  // Z at the free end
  Tab1<float> DESP = korvant::testing::solve_frame(m, rhs);
  EXPECT_NEAR(d(DESP(9)), P * L * L * L / (3 * E * 0.0054), 1e-4 * std::fabs(P * L * L * L / (3 * E * 0.0054)));
  EXPECT_NEAR(d(DESP(7)), 0.0, 1e-9);

  rhs.fill(0.0f);
  rhs(2) = static_cast<float>(P);  // Y at the free end
  DESP = korvant::testing::solve_frame(m, rhs);
  EXPECT_NEAR(d(DESP(8)), P * L * L * L / (3 * E * 0.00135), 1e-4 * std::fabs(P * L * L * L / (3 * E * 0.00135)));

  rhs.fill(0.0f);
  rhs(1) = static_cast<float>(P);  // axial
  DESP = korvant::testing::solve_frame(m, rhs);
  EXPECT_NEAR(d(DESP(7)), P * L / (E * 0.18), 1e-4 * std::fabs(P * L / (E * 0.18)));
}

// Both ends fixed: the uniform load reaches only the full load vectors, as the
// fixed-end forces wL/2 and wL^2/12.
TEST(Assembly, FixedFixedBeamLoadVectors) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(6, 0, 0);
  fb.bar(n1, n2);
  fb.fix(n1);
  fb.fix(n2);
  Model m = fb.build();
  m.CARGASBARRA(1, 1) = 2.0f;  // CVMax
  m.CARGASBARRA(1, 2) = 0.5f;  // CVMed
  m.CARGASBARRA(1, 4) = 1.0f;  // CMUERTA
  m.CARGASBARRA(1, 6) = 0.25f; // PV
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  EXPECT_EQ(m.NGRED, 0);
  const float w2 = 3.25f, w3 = 1.75f, L = 6.0f;
  EXPECT_FLOAT_EQ(m.vecomp2(3), -w2 * L / 2);
  EXPECT_FLOAT_EQ(m.vecomp2(9), -w2 * L / 2);
  EXPECT_FLOAT_EQ(m.vecomp2(5), -w2 * L * L / 12);
  EXPECT_FLOAT_EQ(m.vecomp2(11), w2 * L * L / 12);
  EXPECT_FLOAT_EQ(m.vecomp3(3), -w3 * L / 2);
  EXPECT_FLOAT_EQ(m.vecomp3(11), w3 * L * L / 12);
  // Expansion: only the two end forces.
  EXPECT_FLOAT_EQ(m.vecomp1(3), -0.75f);
  EXPECT_FLOAT_EQ(m.vecomp1(9), -0.75f);
  EXPECT_EQ(m.vecomp1(5), 0.0f);
  EXPECT_EQ(m.vecomp1(11), 0.0f);
  // The secondary consolidation carries the same bar loads as the primary one.
  EXPECT_EQ(m.vecomp4.v, m.vecomp3.v);
  EXPECT_EQ(m.vered4.v, m.vered3.v);
  EXPECT_FLOAT_EQ(m.CARGATOTAL, (2.0f + 1.0f) * L);
}

TEST(Assembly, ReducedVectorsFollowTheEquationNumbers) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(4, 0, 0);
  fb.bar(n1, n2);
  fb.fix(n1);
  Model m = fb.build();
  m.CARGASBARRA(1, 2) = 3.0f;
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  ASSERT_EQ(m.NUMGL(9), 3);
  EXPECT_FLOAT_EQ(m.vered3(3), -6.0f);
  EXPECT_FLOAT_EQ(m.vered3(5), 4.0f);
  EXPECT_FLOAT_EQ(m.vered4(3), -6.0f);
  EXPECT_EQ(m.vered2(3), 0.0f);
}

TEST(Assembly, SelfWeight) {
  FrameBuilder fb;
  fb.gamma = 2.4f;
  int a = fb.node(0, 0, 0), b = fb.node(5, 0, 0), c = fb.node(0, 0, 3), d2 = fb.node(0, 0, -2);
  fb.bar(a, b);   // horizontal
  fb.bar(a, c);   // vertical, PJ above PI
  fb.bar(a, d2);  // vertical, PJ below PI
  for (int n : {a, b, c, d2}) fb.fix(n);
  Model m = fb.build();
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  const float gA = 2.4f * 0.18f;
  EXPECT_FLOAT_EQ(m.CARGASBARRA(1, 5), gA);
  EXPECT_EQ(m.CARGASBARRA(2, 5), 0.0f);
  EXPECT_EQ(m.CARGASBARRA(3, 5), 0.0f);
  // Horizontal bar: half its weight at each end.
  EXPECT_FLOAT_EQ(m.vecomp2(6 * (b - 1) + 3), -gA * 5 / 2);
  // Vertical bars: the whole weight at the lower end, none at the upper one.
  EXPECT_EQ(m.vecomp2(6 * (c - 1) + 3), 0.0f);
  EXPECT_FLOAT_EQ(m.vecomp2(6 * (d2 - 1) + 3), -gA * 2);
  EXPECT_FLOAT_EQ(m.vecomp2(6 * (a - 1) + 3), -gA * 5 / 2 - gA * 3);
  EXPECT_FLOAT_EQ(m.vecomp3(6 * (a - 1) + 3), -gA * 5 / 2 - gA * 3);
  EXPECT_EQ(m.vecomp1(6 * (a - 1) + 3), 0.0f);
  EXPECT_FLOAT_EQ(m.CARGATOTAL, gA * 10);
  EXPECT_FLOAT_EQ(m.qmax, gA * 10);
}

// The total load adds the vertical loads typed on free nodes (downwards
// negative) to the bar loads; the mean pressure spreads it over the strips and
// the isolated footings together.
TEST(Assembly, TotalLoadAndMeanPressure) {
  struct Row {
    const char* what;
    float p_restrained, p_up, p_horizontal, acim;
    int footings;  // 1.5 x 2 and 1 x 1
    float total, qmax;
  };
  const Row rows[] = {
      {"column loads", 0.0f, 0.0f, 0.0f, 2.0f, 0, 8.0f + 30.0f + 12.0f, 50.0f / 2.0f},
      {"restrained, upward and horizontal loads", -50.0f, 6.0f, 5.0f, 2.0f, 0, 50.0f - 6.0f, 44.0f / 2.0f},
      {"footings only", 0.0f, 0.0f, 0.0f, 0.0f, 2, 50.0f, 50.0f / 4.0f},
      {"strips and footings", 0.0f, 0.0f, 0.0f, 2.0f, 2, 50.0f, 50.0f / 6.0f},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    FrameBuilder fb;
    const int n1 = fb.node(0, 0, 0), n2 = fb.node(4, 0, 0), n3 = fb.node(0, 0, 3), n4 = fb.node(4, 0, 3);
    fb.bar(n1, n2);
    fb.bar(n1, n3);
    fb.fix(n4);
    Model m = fb.build();
    m.CARGASBARRA(1, 4) = 2.0f;         // 8 t of dead load on the beam
    m.P(6 * (n3 - 1) + 3) = -30.0f;     // column load
    m.P(6 * (n2 - 1) + 3) = -12.0f;
    m.P(6 * (n4 - 1) + 3) = r.p_restrained;
    m.P(6 * (n1 - 1) + 3) = r.p_up;
    m.P(6 * (n3 - 1) + 1) = r.p_horizontal;
    m.ACIM = r.acim;
    m.NZAP = r.footings;
    m.ANCHO.size_to(2);
    m.LARGO.size_to(2);
    m.ANCHO(1) = 1.5f;
    m.LARGO(1) = 2.0f;
    m.ANCHO(2) = m.LARGO(2) = 1.0f;
    Files f;
    assemble_frame(m, f.log);
    EXPECT_FLOAT_EQ(m.CARGATOTAL, r.total);
    EXPECT_FLOAT_EQ(m.qmax, r.qmax);
  }
}

// A foundation beam on two area reactions: each reaction column holds the end
// loads of a unit reaction over the half of the beam next to it.
TEST(Assembly, AreaAndNodalReactionColumns) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(4, 0, 0);
  fb.bar(n1, n2);
  fb.area_reactions = {3, 9};
  fb.nodal_reactions = {8};
  fb.restrained = {1, 2, 4, 6, 7};
  Model m = fb.build();
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  ASSERT_EQ(m.NGRED, 7);
  ASSERT_EQ(m.akr.n2, 7 + 2 + 1);
  const int z1 = m.NUMGL(3), ry1 = m.NUMGL(5), z2 = m.NUMGL(9), ry2 = m.NUMGL(11);
  EXPECT_FLOAT_EQ(m.akr(z1, 8), -13.0f / 32 * 4);
  EXPECT_FLOAT_EQ(m.akr(ry1, 8), -11.0f / 192 * 16);
  EXPECT_FLOAT_EQ(m.akr(z2, 8), -3.0f / 32 * 4);
  EXPECT_FLOAT_EQ(m.akr(ry2, 8), 5.0f / 192 * 16);
  EXPECT_FLOAT_EQ(m.akr(z1, 9), -3.0f / 32 * 4);
  EXPECT_FLOAT_EQ(m.akr(z2, 9), -13.0f / 32 * 4);
  EXPECT_FLOAT_EQ(m.akr(ry2, 9), 11.0f / 192 * 16);
  // A unit reaction over the whole beam carries its length.
  EXPECT_FLOAT_EQ(m.akr(z1, 8) + m.akr(z2, 8) + m.akr(z1, 9) + m.akr(z2, 9), -4.0f);
  EXPECT_EQ(m.akr(m.NUMGL(8), 10), -1.0f);
  EXPECT_EQ(m.akr(z1, 10), 0.0f);
}

TEST(Assembly, OneEndOnAReactionAddsNoReactionLoads) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(4, 0, 0);
  fb.bar(n1, n2);
  fb.area_reactions = {3};
  fb.restrained = {1, 2, 4, 6, 7};
  Model m = fb.build();
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  for (int i = 1; i <= m.NGRED; ++i) EXPECT_EQ(m.akr(i, m.NGRED + 1), 0.0f);
}
