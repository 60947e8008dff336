#include <gtest/gtest.h>

#include "solve/solve.hpp"
#include "text/files.hpp"

namespace {

using korvant::Files;
using korvant::HUND;
using korvant::Model;
using korvant::Tab1;

// The pass tables sized as the workspace sizes them, and FLEX.
void size_solution(const Model& m, korvant::PassTables& t) {
  const int nrt = m.NR + m.MR;
  t.DESP.size_to(m.NGL + (nrt > m.NN ? nrt : m.NN));
  t.HUNDIM.size_to(nrt);
  t.FLEX.size_to(nrt, nrt);
}

TEST(Hund, FrameAloneSolvesStiffnessAgainstLoads) {
  // One node, DZ and MY free: akr x = vered + PRED.
  Model m;
  m.NN = 1;
  m.NGL = 6;
  m.NUMGL.size_to(6);
  m.NUMGL(3) = 1;
  m.NUMGL(5) = 2;
  m.NGRED = 2;
  m.akr.size_to(2, 2);
  m.akr(1, 1) = 4.0f;
  m.akr(1, 2) = 1.0f;
  m.akr(2, 1) = 1.0f;
  m.akr(2, 2) = 3.0f;
  Tab1<float> vered;
  vered.size_to(2);
  vered(1) = 1.0f;
  vered(2) = 2.0f;
  m.PRED.size_to(2);
  m.PRED(1) = 1.0f;
  korvant::Workspace ws;
  size_solution(m, ws.pass);
  ws.pass.DESP.fill(9.0f);  // anything left over is cleared

  Files f;
  ASSERT_TRUE(HUND(m, f.log, ws, vered));
  const Tab1<float>& DESP = ws.pass.DESP;
  write_linear_solution(m, DESP, ws.pass.HUNDIM, f.rep, f.res);
  EXPECT_NEAR(DESP(3), 4.0f / 11.0f, 1e-6f);
  EXPECT_NEAR(DESP(5), 6.0f / 11.0f, 1e-6f);
  for (int i : {1, 2, 4, 6, 7}) EXPECT_EQ(DESP(i), 0.0f) << i;
  // No reactions: empty lists under their headings.
  EXPECT_EQ(f.rep.buf(),
            " REACCIONES ESTIMADAS:\n"
            "\n\nNUDO, HUNDIMIENTO DEL NUDO\n"
            "              (m)\n"
            " Desplazamientos y giros por nodo\n"
            "   nodo    dx          dy          dz          tx          ty          tz\n"
            "     1    0.000000    0.000000    0.363636    0.000000    0.545455    0.000000\n");
  EXPECT_EQ(f.res.buf(),
            "ComponentNames \"X\",\"Y\",\"Z\",\"|Modulo|\"\n"
            "values\n"
            "     1    0.000000    0.000000    0.363636\n"
            "end values\n"
            "\n");
}

// Two foundation nodes joined by a spring of stiffness k along Z, each resting
// on the soil (area reactions) with flexibility FLEX; node 1 also has a free
// rotation held by an isolated footing (a nodal reaction).
struct SpringModel {
  Model m;
  korvant::Workspace ws;
  Tab1<float> vered;
  static constexpr float k = 100.0f, kr = 50.0f;
  SpringModel() {
    m.NN = 2;
    m.NGL = 12;
    m.NUMGL.size_to(12);
    m.NUMGL(3) = 1;  // DZ node 1
    m.NUMGL(4) = 2;  // MX node 1
    m.NUMGL(9) = 3;  // DZ node 2
    m.NGRED = 3;
    m.NR = 2;
    m.NREAC.size_to(2);
    m.NREAC(1) = 3;
    m.NREAC(2) = 9;
    m.MR = 1;
    m.NREACN.size_to(1);
    m.NREACN(1) = 4;
    m.akr.size_to(3, 6);
    m.akr(1, 1) = k;
    m.akr(1, 3) = -k;
    m.akr(3, 1) = -k;
    m.akr(3, 3) = k;
    m.akr(2, 2) = kr;
    m.akr(1, 4) = -1.0f;  // reactions push on their degrees of freedom
    m.akr(3, 5) = -1.0f;
    m.akr(2, 6) = -1.0f;
    vered.size_to(3);
    vered(1) = -15.0f;
    vered(3) = -5.0f;
    m.PRED.size_to(3);
    m.PRED(2) = 5.0f;  // moment on node 1
    size_solution(m, ws.pass);
    ws.pass.FLEX(1, 1) = 0.01f;
    ws.pass.FLEX(1, 2) = 0.002f;
    ws.pass.FLEX(2, 1) = 0.002f;
    ws.pass.FLEX(2, 2) = 0.01f;
    ws.pass.FLEX(3, 3) = 0.1f;
  }
};

TEST(Hund, ReactionsBalanceTheLoadAndMatchTheSettlements) {
  SpringModel s;
  Model& m = s.m;
  Files f;
  ASSERT_TRUE(HUND(m, f.log, s.ws, s.vered));
  const Tab1<float>&DESP = s.ws.pass.DESP, &HUNDIM = s.ws.pass.HUNDIM;
  write_linear_solution(m, DESP, HUNDIM, f.rep, f.res);
  const float R1 = DESP(13), R2 = DESP(14), Rn = DESP(15);
  // Equilibrium: the area reactions carry the vertical load.
  EXPECT_NEAR(R1 + R2, 20.0f, 1e-4f);
  EXPECT_GT(R1, R2);
  // Settlements are minus FLEX times the reactions and equal the displacements.
  EXPECT_NEAR(HUNDIM(1), -(0.01f * R1 + 0.002f * R2), 1e-6f);
  EXPECT_NEAR(HUNDIM(2), -(0.002f * R1 + 0.01f * R2), 1e-6f);
  EXPECT_NEAR(DESP(3), HUNDIM(1), 1e-6f);
  EXPECT_NEAR(DESP(9), HUNDIM(2), 1e-6f);
  // Footing: kr t - Rn = 5 and t + 0.1 Rn = 0.
  EXPECT_NEAR(Rn, -5.0f / 6.0f, 1e-5f);
  EXPECT_NEAR(DESP(4), 1.0f / 12.0f, 1e-6f);
  EXPECT_NEAR(HUNDIM(3), -0.1f * Rn, 1e-6f);
  // Restrained degrees of freedom stay at zero.
  for (int i : {1, 2, 5, 6, 7, 8, 10, 11, 12}) EXPECT_EQ(DESP(i), 0.0f) << i;
}

TEST(Hund, RepeatedSolvesStartClean) {
  SpringModel s;
  Files f;
  ASSERT_TRUE(HUND(s.m, f.log, s.ws, s.vered));
  const float R1 = s.ws.pass.DESP(13);
  ASSERT_TRUE(HUND(s.m, f.log, s.ws, s.vered));
  EXPECT_EQ(s.ws.pass.DESP(13), R1);
}

}  // namespace
