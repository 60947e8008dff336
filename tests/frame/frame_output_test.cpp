// The walk along an axis, and the bound of the assembly log.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "frame/frame.hpp"
#include "text/files.hpp"
#include "../toolkit/frame_fixture.hpp"
#include "../toolkit/scratch.hpp"

using namespace korvant;
using korvant::testing::FrameBuilder;

namespace {

// Two bars of lengths 3 and 4 in a row along X, ends fixed, on one axis.
Model two_bar_axis() {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(3, 0, 0), n3 = fb.node(7, 0, 0);
  fb.bar(n1, n2);
  fb.bar(n2, n3);
  Model m = fb.build();
  m.NDIV = 2;
  m.NEJES = 2;
  m.NOMEJE.size_to(2);
  m.NOMEJE(1) = "EJE A               ";
  m.NOMEJE(2) = "EJE VACIO           ";
  m.NBEJE.size_to(2);
  m.NBEJE(1) = 2;
  m.NBEJE(2) = 0;
  m.BAREJE.add_list(2);
  m.BAREJE.add_list(0);
  m.BAREJE(1, 1) = 1;
  m.BAREJE(1, 2) = 2;
  m.GLBARRA.size_to(2, 12);
  return m;
}

// End forces at the first end of each bar of two_bar_axis, in the expansion case.
PassSolution two_bar_forces(const Model& m) {
  PassSolution s;
  s.c.case_no = 1;
  s.DESP = korvant::testing::no_solution(m);
  s.VGL.size_to(2, 12);
  s.VGL(1, 3) = 1.5f;
  s.VGL(1, 5) = 0.25f;
  s.VGL(2, 3) = -1.0f;
  s.VGL(2, 5) = 0.5f;
  return s;
}

}  // namespace

// The walk along an axis that the report, the CSV and the SVG share: the
// abscissa runs on from bar to bar; with no load in the expansion case V stays
// V0 and M = V0 x - M0; a finer walk keeps the ends of each bar.
TEST(AxisWalk, AbscissasRunAlongTheAxis) {
  const Model m = two_bar_axis();
  const PassSolution s = two_bar_forces(m);
  AxisWalk w;
  walk_axis(m, s, 1, 1, w);
  ASSERT_EQ(w.points.size(), 6u);
  const float X[] = {0.0f, 1.5f, 3.0f, 3.0f, 5.0f, 7.0f};
  const float V[] = {1.5f, 1.5f, 1.5f, -1.0f, -1.0f, -1.0f};
  const float M[] = {-0.25f, 2.0f, 4.25f, -0.5f, -2.5f, -4.5f};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(w.points[i].bar, i < 3 ? 1 : 2);
    EXPECT_EQ(w.points[i].X, X[i]) << i;
    EXPECT_EQ(w.points[i].V, V[i]) << i;
    EXPECT_EQ(w.points[i].M, M[i]) << i;
  }
  ASSERT_EQ(w.bars.size(), 2u);
  EXPECT_EQ(w.bars[1].deje, 3.0f);
  EXPECT_EQ(w.bars[1].first, 3);

  walk_axis(m, s, 1, 4, w);  // for drawing: four parts per division
  ASSERT_EQ(w.points.size(), 18u);
  EXPECT_EQ(w.points[8].X, 3.0f);
  EXPECT_EQ(w.points[8].M, 4.25f);
  EXPECT_EQ(w.points[17].X, 7.0f);

  walk_axis(m, s, 2, 1, w);  // an axis of no bars
  EXPECT_TRUE(w.points.empty());
}

// The log dump of akr and the load vectors is bounded by NGRED + NR <= 1000.
TEST(AssemblyLog, DumpBoundedBySize) {
  for (int restrained : {2, 1}) {
    FrameBuilder fb;
    for (int n = 1; n <= 167; ++n) fb.node(static_cast<float>(n), 0, 0);  // NGL = 1002
    for (int g = 1; g <= restrained; ++g) fb.restrained.insert(g);
    Model m = fb.build();
    ASSERT_EQ(m.NGRED, 1002 - restrained);
    Files f;
    const std::string path = ::testing::TempDir() + "korvant_frame_memoria";
    f.mem.open(path);
    write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
    f.mem.close();
    const std::string mem = korvant::testing::slurp(path);
    const bool dumped = mem.find(" MATRIZ DE REGIDEZ AMPLIADA\n") != std::string::npos;
    EXPECT_EQ(dumped, m.NGRED == 1000) << m.NGRED;
    if (dumped) {
      EXPECT_NE(mem.find(" VECTOR DE CARGAS REDUCIDO, vered4\n"), std::string::npos);
      EXPECT_NE(mem.find("\n 1000          0.00000000\n"), std::string::npos);
    }
    std::remove(path.c_str());
  }
}
