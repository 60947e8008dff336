#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/model.hpp"
#include "text/files.hpp"
#include "solve/solve.hpp"

namespace {

using korvant::CalcDefNL;
using korvant::Def;
using korvant::Files;
using korvant::Model;
using korvant::SOLNL;
using korvant::Tab1;
using korvant::Tab2;

const korvant::SoilLaw& kImmediate = korvant::soil_law(korvant::Law::immediate);
const korvant::SoilLaw& kNonlinear = korvant::soil_law(korvant::Law::nonlinear);
const korvant::SoilLaw& kPrimary = korvant::soil_law(korvant::Law::primary);
const korvant::SoilLaw& kSecondary = korvant::soil_law(korvant::Law::secondary);

int lines(const std::string& s) {
  int c = 0;
  for (char ch : s) c += ch == '\n';
  return c;
}

// Two foundation nodes joined by a vertical spring k, both resting on one soil
// profile of one stratum (area reactions 1 and 2 on DZ of nodes 1 and 2).
struct Beam {
  Model m;
  korvant::Workspace ws;
  Tab1<float> vered;
  static constexpr float k = 100.0f;
  explicit Beam(float p1 = -15.0f, float p2 = -5.0f) {
    m.NN = 2;
    m.NGL = 12;
    m.NUMGL.size_to(12);
    m.NUMGL(3) = 1;
    m.NUMGL(9) = 2;
    m.NGRED = 2;
    m.NR = 2;
    m.NREAC.size_to(2);
    m.NREAC(1) = 3;
    m.NREAC(2) = 9;
    m.akr.size_to(2, 4);
    m.akr(1, 1) = k;
    m.akr(1, 2) = -k;
    m.akr(2, 1) = -k;
    m.akr(2, 2) = k;
    m.akr(1, 3) = -1.0f;
    m.akr(2, 4) = -1.0f;
    vered.size_to(2);
    vered(1) = p1;
    vered(2) = p2;
    m.PRED.size_to(2);
    ws.pass.DESP.size_to(14);
    ws.pass.HUNDIM.size_to(2);
    m.LONGITUD.size_to(12);
    m.AREA.size_to(12);
    for (int g : {3, 9}) {
      m.LONGITUD(g) = 1.0f;
      m.AREA(g) = 1.0f;
    }
    m.PERFIL.size_to(2);
    m.PERFIL(1) = m.PERFIL(2) = 1;
    m.NPS = 1;
    m.NEST.size_to(1);
    m.NEST(1) = 1;
    for (Tab2<float>* t : {&m.PZ, &m.H, &m.NU2, &m.KO, &m.A2, &m.Ap, &m.Acs, &m.psi, &m.T}) t->size_to(1, 50);
    m.TIPOEST.size_to(1, 50);
    m.TIPOEST(1, 1) = 2;
    m.PZ(1, 1) = 5.0f;
    m.H(1, 1) = 2.0f;
    m.NU2(1, 1) = 0.3f;
    m.KO(1, 1) = 0.5f;
    m.A2(1, 1) = 10.0f;
    m.Ap(1, 1) = 0.6f;
    m.Acs(1, 1) = 0.6f;
    m.psi(1, 1) = 0.1f;
    m.T(1, 1) = 5.0f;
    m.VALNL = 10.0f;
    for (auto* t : {&m.IX, &m.IY, &m.IZ}) t->size_to(2, 1, 2, 2);
    for (int i = 1; i <= 2; ++i)
      for (int j = 1; j <= 2; ++j) {
        m.IX(i, 1, j, 1) = i == j ? 0.1f : 0.02f;
        m.IY(i, 1, j, 1) = i == j ? 0.1f : 0.02f;
        m.IZ(i, 1, j, 1) = i == j ? 0.5f : 0.1f;
      }
  }
  // Reactions 10 t each, as the solve starts.
  void start_reactions() {
    ws.pass.RNL.size_to(4);
    ws.pass.RNL(3) = ws.pass.RNL(4) = 10.0f;
  }
};

TEST(Def, CompressionFollowsDemeneghisLaw) {
  Beam b;
  b.start_reactions();
  Tab1<float> h;
  h.size_to(2);
  Files f;
  // sigma x = y = 10*(0.1 + 0.02) = 1.2, sigma z = 10*(0.5 + 0.1) = 6.
  const double s = 2.4 / 6.0, c = (1.0 + s) / 3.0, p0 = (2.0 * 0.5 + 1.0) * 5.0 / 3.0;
  const double Q = (1.0 - 0.3 * s) * (std::sqrt(6.0 * c + p0) - std::sqrt(p0)) / (std::sqrt(10.0) * 0.5 * 10.0 * c);
  const double expected = (1.0 - std::exp(-Q)) * 2.0;
  EXPECT_NEAR(static_cast<double>(Def(b.m, f.log, kNonlinear, 1, 1, b.ws.pass.RNL, h, 1)), expected, 1e-6);
  // An increment of reaction 2 adds its influence only.
  h(2) = 1.0f;
  const double sz = 6.0 + 0.1, sxy = 2.4 + 0.04;
  const double s2 = sxy / sz, c2 = (1.0 + s2) / 3.0;
  const double Q2 = (1.0 - 0.3 * s2) * (std::sqrt(sz * c2 + p0) - std::sqrt(p0)) / (std::sqrt(10.0) * 0.5 * 10.0 * c2);
  EXPECT_NEAR(static_cast<double>(Def(b.m, f.log, kNonlinear, 1, 1, b.ws.pass.RNL, h, 1)), (1.0 - std::exp(-Q2)) * 2.0, 1e-6);
}

TEST(Def, CompressionWithoutVerticalStressOrWithNegativeMeanStress) {
  Beam b;
  b.start_reactions();
  Tab1<float> h;
  h.size_to(2);
  {
    // No reaction loads the stratum: no stress ratio, no settlement.
    Files f;
    b.ws.pass.RNL(3) = b.ws.pass.RNL(4) = 0.0f;
    EXPECT_EQ(Def(b.m, f.log, kNonlinear, 1, 1, b.ws.pass.RNL, h, 1), 0.0f);
    EXPECT_NE(f.mem.buf().find(" ssigmas=   0.000000    \n"), std::string::npos) << f.mem.buf();
  }
  // Horizontal stresses of -10 against a vertical one of 6: the mean stress
  // 6(1 + s)/3 + p0 = -14/3 + 1 is below zero and counts as zero.
  b.start_reactions();
  b.m.PZ(1, 1) = 1.5f;  // p0 = 1
  for (int j = 1; j <= 2; ++j) b.m.IX(1, 1, j, 1) = b.m.IY(1, 1, j, 1) = -0.5f;
  const double s = -20.0 / 6.0, c = (1.0 + s) / 3.0;
  const double Q = (1.0 - 0.3 * s) * (0.0 - 1.0) / (std::sqrt(10.0) * 0.5 * 10.0 * c);
  Files f;
  EXPECT_NEAR(static_cast<double>(Def(b.m, f.log, kNonlinear, 1, 1, b.ws.pass.RNL, h, 1)), (1.0 - std::exp(-Q)) * 2.0, 1e-6);
}

TEST(Def, MissingSecondDirectionCountsAsZero) {
  // Influence tables of a model whose reactions spread in one direction only.
  Beam b;
  b.start_reactions();
  Tab1<float> h;
  h.size_to(2);
  Files f;
  const float two = Def(b.m, f.log, kNonlinear, 1, 1, b.ws.pass.RNL, h, 1);
  for (auto* t : {&b.m.IX, &b.m.IY, &b.m.IZ}) {
    auto old = *t;
    t->size_to(2, 1, 2, 1);
    for (int i = 1; i <= 2; ++i)
      for (int j = 1; j <= 2; ++j) (*t)(i, 1, j, 1) = old(i, 1, j, 1);
  }
  EXPECT_EQ(Def(b.m, f.log, kNonlinear, 1, 1, b.ws.pass.RNL, h, 1), two);
  EXPECT_EQ(Def(b.m, f.log, kPrimary, 1, 1, b.ws.pass.RNL, h, 1), (1.0f - std::exp(-1.0f)) * 2.0f);
}

TEST(Def, ConsolidationOnlyInClay) {
  Beam b;
  b.start_reactions();
  Tab1<float> h;
  h.size_to(2);
  Files f;
  // Primary: (1 - exp(-6 / (10 * 0.6))) * 2.
  EXPECT_NEAR(Def(b.m, f.log, kPrimary, 1, 1, b.ws.pass.RNL, h, 1), (1.0f - std::exp(-1.0f)) * 2.0f, 1e-6f);
  // Secondary: log10(1 + 0.1 * 5) times the same.
  EXPECT_NEAR(Def(b.m, f.log, kSecondary, 1, 1, b.ws.pass.RNL, h, 1), std::log10(1.5f) * (1.0f - std::exp(-1.0f)) * 2.0f, 1e-6f);
  b.m.T(1, 1) = 0.0f;
  EXPECT_EQ(Def(b.m, f.log, kSecondary, 1, 1, b.ws.pass.RNL, h, 1), 0.0f);
  // Sand: nothing in either consolidation; the elastic law has no nonlinear form.
  b.m.TIPOEST(1, 1) = 1;
  b.m.T(1, 1) = 5.0f;
  EXPECT_EQ(Def(b.m, f.log, kPrimary, 1, 1, b.ws.pass.RNL, h, 1), 0.0f);
  EXPECT_EQ(Def(b.m, f.log, kSecondary, 1, 1, b.ws.pass.RNL, h, 1), 0.0f);
  EXPECT_EQ(Def(b.m, f.log, kImmediate, 1, 1, b.ws.pass.RNL, h, 1), 0.0f);
}

TEST(Def, StrataOfTheProfileAddUp) {
  Beam b;
  b.start_reactions();
  b.m.NEST(1) = 2;
  for (auto* t : {&b.m.IX, &b.m.IY, &b.m.IZ}) {
    auto old = *t;
    t->size_to(2, 2, 2, 2);
    for (int i = 1; i <= 2; ++i)
      for (int j = 1; j <= 2; ++j)
        for (int s = 1; s <= 2; ++s) (*t)(i, s, j, 1) = old(i, 1, j, 1);
  }
  b.m.TIPOEST(1, 2) = 1;  // sand below: no consolidation there
  b.m.H(1, 2) = 3.0f;
  b.m.Ap(1, 2) = 0.6f;
  Tab1<float> h, defs;
  h.size_to(2);
  defs.size_to(2);
  Files f;
  CalcDefNL(b.m, f.log, kPrimary, defs, b.ws.pass.RNL, h);
  EXPECT_NEAR(defs(1), (1.0f - std::exp(-1.0f)) * 2.0f, 1e-6f);
  b.m.TIPOEST(1, 2) = 2;
  CalcDefNL(b.m, f.log, kPrimary, defs, b.ws.pass.RNL, h);
  EXPECT_NEAR(defs(1), (1.0f - std::exp(-1.0f)) * 5.0f, 1e-5f);
}

TEST(Solnl, ConvergedSolutionIsInEquilibriumAndCompatible) {
  Beam b;
  Files f;
  {
    const bool converged = SOLNL(b.m, f.log, f.con, b.ws, kNonlinear, b.vered) == korvant::NewtonEnd::converged;
    write_nonlinear_solution(b.m, b.ws.pass.DESP, f.rep, converged);
    ASSERT_TRUE(converged);
  }
  const Model& m = b.m;
  const Tab1<float>& DESP = b.ws.pass.DESP;
  const float R1 = DESP(13), R2 = DESP(14);
  EXPECT_NEAR(R1 + R2, 20.0f, 1e-3f);
  EXPECT_GT(R1, R2);
  // The frame follows the soil: displacement = -settlement under each reaction.
  Tab1<float> h, defs;
  h.size_to(2);
  defs.size_to(2);
  CalcDefNL(m, f.log, kNonlinear, defs, b.ws.pass.RNL, h);
  EXPECT_NEAR(DESP(3), -defs(1), 1e-5f);
  EXPECT_NEAR(DESP(9), -defs(2), 1e-5f);
  EXPECT_LT(DESP(3), 0.0f);
  for (int i : {1, 2, 4, 5, 6, 7, 8, 10, 11, 12}) EXPECT_EQ(DESP(i), 0.0f) << i;
}

TEST(Solnl, SymmetricModelGivesEqualReactions) {
  Beam b(-10.0f, -10.0f);
  Files f;
  {
    const bool converged = SOLNL(b.m, f.log, f.con, b.ws, kPrimary, b.vered) == korvant::NewtonEnd::converged;
    write_nonlinear_solution(b.m, b.ws.pass.DESP, f.rep, converged);
    ASSERT_TRUE(converged);
  }
  EXPECT_NEAR(b.ws.pass.DESP(13), 10.0f, 1e-4f);
  EXPECT_EQ(b.ws.pass.DESP(13), b.ws.pass.DESP(14));
  EXPECT_EQ(b.ws.pass.DESP(3), b.ws.pass.DESP(9));
}

TEST(Solnl, WithoutReactionsStopsAtTheSecondIteration) {
  Model m;
  m.NN = 1;
  m.NGL = 6;
  m.NUMGL.size_to(6);
  m.NUMGL(3) = 1;
  m.NGRED = 1;
  m.akr.size_to(1, 1);
  m.akr(1, 1) = 2.0f;
  Tab1<float> vered;
  vered.size_to(1);
  vered(1) = 4.0f;
  m.PRED.size_to(1);
  korvant::Workspace ws;
  ws.pass.DESP.size_to(7);
  m.LONGITUD.size_to(6);
  m.AREA.size_to(6);
  Tab2<float> A;
  Files f;
  {
    const bool converged = SOLNL(m, f.log, f.con, ws, kNonlinear, vered) == korvant::NewtonEnd::converged;
    write_nonlinear_solution(m, ws.pass.DESP, f.rep, converged);
    EXPECT_TRUE(converged);
  }
  EXPECT_EQ(ws.pass.DESP(3), 2.0f);
  // Each iteration writes "Iteracion:", "ERROR" and the (empty) line of changes.
  EXPECT_EQ(f.con.buf(), " Iteracion:           1\n ERROR\n\n Iteracion:           2\n ERROR\n\n");
  EXPECT_EQ(f.rep.buf(),
            " REACCIONES, t/m\n"
            " HUNDIMIENTOS, m\n"
            " GIROS Y DESPLAZAMIENTOS\n"
            "     1          0.00000000\n"
            "     2          0.00000000\n"
            "     3          2.00000000\n"
            "     4          0.00000000\n"
            "     5          0.00000000\n"
            "     6          0.00000000\n"
            " Desplazamientos y giros por nodo\n"
            "   nodo    dx          dy          dz          tx          ty          tz\n"
            "     1    0.000000    0.000000    2.000000    0.000000    0.000000    0.000000\n");
}

TEST(Solnl, ReactionHeldAtZeroRunsToTheLimit) {
  // Node 2 is pulled up harder than node 1 is pushed down: its reaction would
  // be a tension and is held at 0 in every iteration, a state the Newton step
  // keeps repeating, never an equilibrium. A reaction that stays at 0 has not
  // changed (0 per cent); the iteration still never ends.
  Beam b(-20.0f, 15.0f);
  Files f;
  {
    const bool converged = SOLNL(b.m, f.log, f.con, b.ws, kNonlinear, b.vered) == korvant::NewtonEnd::converged;
    write_nonlinear_solution(b.m, b.ws.pass.DESP, f.rep, converged);
    EXPECT_FALSE(converged);
  }
  EXPECT_EQ(b.ws.pass.DESP(14), 0.0f);
  EXPECT_GT(b.ws.pass.DESP(13), 0.0f);
  // 20 iterations of three lines, then the message.
  const std::string con = f.con.buf();
  EXPECT_EQ(lines(con), 61);
  EXPECT_EQ(con.find("NaN"), std::string::npos);
  std::size_t at = con.find(" Iteracion:           2\n");
  for (int it = 2; it <= 20; ++it) {
    at = con.find(" ERROR\n", at);
    ASSERT_NE(at, std::string::npos);
    const std::size_t eol = con.find('\n', at + 7);
    EXPECT_EQ(con.substr(eol - 10, 10), "  0.00E+00") << it;
    at = eol;
  }
  EXPECT_EQ(con.substr(con.size() - 63), " SOLUCION NO LINEAL SIN CONVERGENCIA DESPUES DE 20 ITERACIONES\n");
}

}  // namespace
