#include <gtest/gtest.h>

#include <cmath>

#include "frame/element_matrices.hpp"
#include "text/files.hpp"
#include "frame/frame.hpp"
#include "../toolkit/frame_fixture.hpp"

using namespace korvant;
using korvant::testing::FrameBuilder;

namespace {

// One foundation beam along X, both ends restrained against everything, both
// vertical translations listed as area reactions.
Model restrained_beam(float L, bool both_reactions) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(L, 0, 0);
  fb.bar(n1, n2);
  fb.fix(n1);
  fb.fix(n2);
  fb.area_reactions = both_reactions ? std::vector<int>{3, 9} : std::vector<int>{3};
  Model m = fb.build();
  m.TIPO(1) = 1;
  return m;
}

// The end forces of case caso for the solution DESP (none: zeros).
PassSolution forces(Model& m, Log& log, int caso, const Tab1<float>* DESP = nullptr) {
  if (m.GLBARRA.n1 != m.NB) bar_dofs(m);
  PassSolution s;
  s.c.case_no = caso;
  s.DESP = DESP != nullptr ? *DESP : korvant::testing::no_solution(m);
  end_forces(m, log, s);
  return s;
}

}  // namespace

TEST(EndForces, RestrainedEndsGiveTheFixedEndForces) {
  Model m = restrained_beam(6.0f, false);
  m.NR = 0;
  m.CARGASBARRA(1, 1) = 2.0f;   // CVMax
  m.CARGASBARRA(1, 2) = 1.0f;   // CVMed
  m.CARGASBARRA(1, 4) = 0.5f;   // CMUERTA
  m.CARGASBARRA(1, 5) = 0.25f;  // Pprop
  m.CARGASBARRA(1, 6) = 0.25f;  // PV
  Files f;
  const float L = 6.0f;
  for (int caso : {1, 2, 3, 4}) {
    PassSolution s = forces(m, f.log, caso);
  write_end_forces(m, s, f.rep);
    const float w = caso == 1 ? 0.25f : caso == 2 ? 3.0f : 2.0f;
    EXPECT_FLOAT_EQ(s.VGL(1, 3), w * L / 2) << caso;
    EXPECT_FLOAT_EQ(s.VGL(1, 9), w * L / 2) << caso;
    EXPECT_FLOAT_EQ(s.VGL(1, 5), w * L * L / 12) << caso;
    EXPECT_FLOAT_EQ(s.VGL(1, 11), -w * L * L / 12) << caso;
    EXPECT_EQ(s.VGL(1, 1), 0.0f);
  }
}

TEST(EndForces, EqualReactionsUnderAFoundationBeam) {
  const float L = 4.0f, r = 3.0f;
  Model m = restrained_beam(L, true);
  Tab1<float> DESP = korvant::testing::no_solution(m);
  DESP(m.NGL + 1) = r;
  DESP(m.NGL + 2) = r;
  Files f;
  PassSolution s = forces(m, f.log, 1, &DESP);
  write_end_forces(m, s, f.rep);  // no load in the expansion case here: F = -VR
  EXPECT_FLOAT_EQ(-s.VGL(1, 3), r * L / 2);
  EXPECT_FLOAT_EQ(-s.VGL(1, 9), r * L / 2);
  EXPECT_FLOAT_EQ(-s.VGL(1, 5), r * L * L / 12);
  EXPECT_FLOAT_EQ(-s.VGL(1, 11), -r * L * L / 12);

  // A reaction equal to the load leaves no end forces at all.
  m.CARGASBARRA(1, 6) = r;
  s = forces(m, f.log, 1, &DESP);
  write_end_forces(m, s, f.rep);
  for (int k = 1; k <= 12; ++k) EXPECT_NEAR(s.VGL(1, k), 0.0f, 1e-5f) << k;
}

TEST(EndForces, OneEndOnAReactionGetsNoReactionLoads) {
  Model m = restrained_beam(4.0f, false);
  Tab1<float> DESP = korvant::testing::no_solution(m);
  DESP(m.NGL + 1) = 5.0f;
  Files f;
  PassSolution s = forces(m, f.log, 2, &DESP);
  write_end_forces(m, s, f.rep);
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(s.VGL(1, k), 0.0f) << k;
}

// A cantilever under its own uniform load, solved through the assembled
// stiffness: the free end carries nothing, the fixed end the whole load.
TEST(EndForces, CantileverUnderUniformLoad) {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(3, 0, 0);
  fb.bar(n1, n2);
  fb.fix(n1);
  Model m = fb.build();
  m.CARGASBARRA(1, 4) = 2.0f;
  Files f;
  write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
  const Tab1<float> DESP = korvant::testing::solve_frame(m, m.vered2);
  PassSolution s = forces(m, f.log, 2, &DESP);
  write_end_forces(m, s, f.rep);
  const float w = 2.0f, L = 3.0f;
  EXPECT_NEAR(s.VGL(1, 3), w * L, 1e-3f);
  EXPECT_NEAR(s.VGL(1, 5), w * L * L / 2, 1e-3f);
  EXPECT_NEAR(s.VGL(1, 9), 0.0f, 1e-3f);
  EXPECT_NEAR(s.VGL(1, 11), 0.0f, 1e-3f);

  // The diagram ends at the free end with no shear and no moment.
  DiagramPoint end = diagram_point(s.VGL(1, 3), s.VGL(1, 5), 0.0f, 0.0f, w, L, L);
  EXPECT_NEAR(end.V, 0.0f, 1e-3f);
  EXPECT_NEAR(end.M, s.VGL(1, 11), 1e-3f);
}

// Under every combination of load and reactions the diagram closes on the end
// forces of the second end: V(L) = -F(9) and M(L) = F(11).
TEST(Diagrams, FarEndMatchesTheEndForces) {
  const float L = 5.0f;
  Model m = restrained_beam(L, true);
  m.CARGASBARRA(1, 1) = 3.4f;
  const float ri = 10.1f, rj = 1.2f;
  Tab1<float> DESP = korvant::testing::no_solution(m);
  DESP(m.NGL + 1) = ri;
  DESP(m.NGL + 2) = rj;
  Files f;
  PassSolution s = forces(m, f.log, 2, &DESP);
  write_end_forces(m, s, f.rep);
  DiagramPoint start = diagram_point(s.VGL(1, 3), s.VGL(1, 5), ri, rj, 3.4f, L, 0.0f);
  EXPECT_EQ(start.V, s.VGL(1, 3));
  EXPECT_EQ(start.M, -s.VGL(1, 5));
  DiagramPoint end = diagram_point(s.VGL(1, 3), s.VGL(1, 5), ri, rj, 3.4f, L, L);
  EXPECT_NEAR(end.V, -s.VGL(1, 9), 1e-4f);
  EXPECT_NEAR(end.M, s.VGL(1, 11), 1e-4f);
}

TEST(Diagrams, PointFormulas) {
  // Reactions equal to the load keep the shear constant.
  for (float x : {0.0f, 1.0f, 2.0f, 2.5f, 3.7f, 5.0f}) {
    DiagramPoint p = diagram_point(4.0f, 1.0f, 2.0f, 2.0f, 2.0f, 5.0f, x);
    EXPECT_FLOAT_EQ(p.V, 4.0f) << x;
    EXPECT_FLOAT_EQ(p.M, 4.0f * x - 1.0f) << x;
  }
  // Without reactions: the diagram of the uniform load on both halves.
  for (float x : {0.0f, 1.0f, 2.5f, 4.0f}) {
    DiagramPoint p = diagram_point(5.0f, 2.0f, 0.0f, 0.0f, 2.0f, 5.0f, x);
    EXPECT_FLOAT_EQ(p.V, 5.0f - 2.0f * x) << x;
    EXPECT_FLOAT_EQ(p.M, 5.0f * x - x * x - 2.0f) << x;
  }
  // The midpoint takes the first-half formula: the second-half reaction rs
  // plays no part there, and the result is the first-half value bit for bit.
  const float V0 = 1.3f, M0 = 0.7f, rr = 2.9f, w = 1.1f, x = 2.5f;
  DiagramPoint mid = diagram_point(V0, M0, rr, 100.0f, w, 5.0f, x);
  EXPECT_EQ(mid.V, V0 + (rr - w) * x);
  EXPECT_EQ(mid.M, (V0 + (0.5f * (rr - w)) * x) * x - M0);
  // Just past the midpoint rs enters.
  DiagramPoint past = diagram_point(V0, M0, rr, 100.0f, w, 5.0f, 2.6f);
  EXPECT_NEAR(past.V, V0 + rr * 2.5f - w * 2.6f + 100.0f * 0.1f, 1e-4f);
}
