// A building larger than the program once held (156 foundation nodes, 5,769
// equations): one solve of a whole run, checked for vertical equilibrium. A
// test of its own (label "large"), left out of the sanitizer run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../toolkit/generated_run.hpp"

namespace {

using namespace korvant;

TEST(LargeModel, ManyFoundationNodesAndEquationsSolveInEquilibrium) {
  const korvant::testing::Scratch s;
  Model m;
  korvant::Workspace ws;
  // 13 x 12 foundation nodes under five storeys; secondary consolidation only.
  ASSERT_TRUE(korvant::testing::run_generated(s, "--nx 13 --ny 12 --storeys 5 --cases 0001", m, {}, &ws));
  const korvant::PassTables& t = ws.pass;

  EXPECT_EQ(m.NR, 156);
  EXPECT_GT(m.NGRED + m.NR + m.MR, 5000);
  // The area reactions carry every vertical load: summed over the vertical
  // equations (every vertical displacement is free, so the stiffness terms
  // cancel), the reactions spread over their beams balance the loads of the
  // bars and the concentrated loads.
  double load = 0.0, reactions = 0.0, scale = 0.0;
  for (int n = 1; n <= m.NN; ++n) {
    const int e = m.NUMGL(6 * n - 3);
    ASSERT_NE(e, 0) << n;
    load += static_cast<double>(m.vered4(e)) + static_cast<double>(m.PRED(e));
    scale += std::abs(static_cast<double>(m.vered4(e)));
    for (int k = 1; k <= m.NR; ++k)
      reactions += static_cast<double>(m.akr(e, m.NGRED + k)) * static_cast<double>(t.DESP(m.NGL + k));
  }
  EXPECT_GT(scale, 0.0);
  EXPECT_NEAR(reactions, load, 1e-3 * scale);
  // Every settlement is a number, and the building settles.
  for (int k = 1; k <= m.NR; ++k) ASSERT_TRUE(std::isfinite(t.HUNDIM(k))) << k;
  EXPECT_LT(t.DESP(6 * (m.NN / 2) - 3), 0.0f);
}

}  // namespace
