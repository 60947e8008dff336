// Isolated-footing rigidities against the rigid circular plate formulas, and
// field moduli of hand-built models.
#include <gtest/gtest.h>

#include <cmath>

#include "soil/soil.hpp"
#include "text/files.hpp"
#include "../toolkit/soil_model.hpp"

namespace {

using korvant::Files;
using korvant::Model;
using korvant::Tab2;

struct Footing : testing::Test {
  Model m;
  Files f;
  Tab2<float> FLEX;
  void SetUp() override {
    // One area reaction (node 1) and a footing node 2 with reactions on
    // DX, DZ, MX and MZ; strata 1, 2 and 3 m thick, footing at 1.5 m.
    korvant::testing::foundation(m, 1, 1.0f, {1.0f, 2.0f, 3.0f});
    m.PERFCIM(2) = 1;
    m.DF(2) = 1.5f;
    m.MR = 4;
    m.NREACN.size_to(4);
    m.NREACN(1) = 7;
    m.NREACN(2) = 9;
    m.NREACN(3) = 10;
    m.NREACN(4) = 12;
    m.NZAP = 2;
    m.ANCHO.size_to(2);
    m.LARGO.size_to(2);
    m.NODZAP.size_to(2);
    m.ANCHO(1) = 1.0f;  // a first footing on the node, replaced by the second
    m.LARGO(1) = 1.0f;
    m.NODZAP(1) = 2;
    m.ANCHO(2) = 2.0f;
    m.LARGO(2) = 1.5f;
    m.NODZAP(2) = 2;
    m.E2(1, 1) = 300.0f;
    m.E2(1, 2) = 1000.0f;
    m.E2(1, 3) = 2000.0f;
    m.NU2(1, 2) = 0.3f;
    m.NU2(1, 3) = 0.4f;
  }
};

struct Sums {
  double v = 0, h = 0, r = 0;
};

// Strata 2 and 3 lie below the footing and count in full.
Sums by_hand(double nu2, double nu3) {
  const double R = std::sqrt(3.0 / 3.14159265358979323846);
  Sums s;
  for (auto [E, nu] : {std::pair{1000.0, nu2}, std::pair{2000.0, nu3}}) {
    const double G = E / (2.0 * (1.0 + nu));
    s.v += (1.0 - nu * nu) / (2.0 * E * R);
    s.h += (7.0 - 8.0 * nu) / (32.0 * (1.0 - nu) * G * R);
    s.r += 3.0 * (1.0 - nu) / (8.0 * G * R * R * R);
  }
  return s;
}

TEST_F(Footing, RigidCircularPlateOnEveryStratumBelow) {
  FLEX.size_to(5, 5);
  FLEX(1, 1) = 0.5f;
  korvant::footing_rigidities(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, m.NU2, FLEX);
  const Sums s = by_hand(0.3, 0.4);
  EXPECT_NEAR(FLEX(2, 2), s.h, 1e-5 * s.h);  // DX: horizontal
  EXPECT_NEAR(FLEX(3, 3), s.v, 1e-5 * s.v);  // DZ: vertical
  EXPECT_NEAR(FLEX(4, 4), s.r, 1e-5 * s.r);  // MX: rotation
  EXPECT_EQ(FLEX(5, 5), FLEX(4, 4));       // MZ: rotation too
  EXPECT_EQ(FLEX(1, 1), 0.5f);               // area block untouched
  EXPECT_EQ(FLEX(2, 3), 0.0f);
}

TEST_F(Footing, ConsolidationRatioTableOfZeros) {
  Tab2<float> none;  // an empty table reads as zeros
  korvant::footing_rigidities(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, none, FLEX);
  ASSERT_EQ(FLEX.n1, 5);
  const Sums s = by_hand(0.0, 0.0);
  EXPECT_NEAR(FLEX(3, 3), s.v, 1e-5 * s.v);
  EXPECT_NEAR(FLEX(2, 2), s.h, 1e-5 * s.h);
}

TEST_F(Footing, NoStratumBelowGivesARigidSupport) {
  m.DF(2) = 6.0f;
  korvant::footing_rigidities(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, m.NU2, FLEX);
  EXPECT_EQ(FLEX(3, 3), 0.0f);
}

TEST_F(Footing, NoNodalReactionsChangesNothing) {
  m.MR = 0;
  FLEX.size_to(1, 1);
  FLEX(1, 1) = 0.25f;
  korvant::footing_rigidities(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, m.NU2, FLEX);
  EXPECT_EQ(FLEX(1, 1), 0.25f);
}

struct Moduli : testing::Test {
  Model m;
  Files f;
  void SetUp() override {
    // Two points with profile 1 (strata 2 m and 3 m, foundation at 1 m); a
    // second profile is read but used by no point.
    korvant::testing::foundation(m, 2, 1.0f, {2.0f, 3.0f});
    m.NPS = 2;
    m.NEST.size_to(2);
    m.NEST(1) = 2;
    m.NEST(2) = 1;
    for (auto* t : {&m.H, &m.Z, &m.PROF, &m.E1, &m.E2, &m.slab}) {
      Tab2<float> old = *t;
      t->size_to(2, 50);
      for (int k = 1; k <= 50; ++k) (*t)(1, k) = old(1, k);
    }
    m.E1(1, 1) = 400.0f;
    m.E1(1, 2) = 800.0f;
    m.E1(2, 1) = 111.0f;
    m.E2(1, 1) = 500.0f;
    m.E2(1, 2) = 1500.0f;
    m.E2(2, 1) = 222.0f;
    m.slab(1, 1) = 10.0f;
    m.slab(1, 2) = 10.0f;
    m.PvCentro = -2.0f;
    m.qmax = 12.0f;  // qneta = 10
    m.SUM_AINF.size_to(2, 2);
    m.SUM_AINF(1, 1) = 1.0f;   // compression stress = slab: laboratory modulus
    m.SUM_AINF(1, 2) = 0.5f;   // half the stress
    m.SUM_AINF(2, 1) = 0.0f;   // no stress at all
    m.SUM_AINF(2, 2) = -0.1f;  // a tension
  }
};

TEST_F(Moduli, PowerLawOfTheStressRatio) {
  korvant::field_moduli(m, f.log);
    write_field_moduli(m, f.rep, f.err);
  EXPECT_EQ(m.ECAMPO2(1, 1), 500.0f);
  EXPECT_NEAR(m.ECAMPO1(1, 1), 400.0 * std::pow(10.0 / 2.0, 3.0 / 7.0), 1e-3);
  EXPECT_NEAR(m.ECAMPO2(1, 2), 1500.0 * std::pow(2.0, 3.0 / 7.0), 1e-2);
  EXPECT_NEAR(m.ECAMPO1(1, 2), 800.0 * std::pow(10.0, 3.0 / 7.0), 1e-2);
}

TEST_F(Moduli, StressesNotPositiveKeepTheLaboratoryModulus) {
  korvant::field_moduli(m, f.log);
    write_field_moduli(m, f.rep, f.err);
  EXPECT_EQ(m.ECAMPO1(2, 1), 400.0f);
  EXPECT_EQ(m.ECAMPO2(2, 1), 500.0f);
  EXPECT_EQ(m.ECAMPO1(2, 2), 800.0f);
  EXPECT_EQ(m.ECAMPO2(2, 2), 1500.0f);
}

TEST_F(Moduli, StrataAboveTheFoundationKeepTheCopiedTable) {
  m.DF(2) = 2.0f;  // stratum 1 of point 2 lies above its foundation level
  korvant::field_moduli(m, f.log);
    write_field_moduli(m, f.rep, f.err);
  // Row i of the copy holds the laboratory moduli of profile number i.
  EXPECT_EQ(m.ECAMPO1(2, 1), 111.0f);
  EXPECT_EQ(m.ECAMPO2(2, 1), 222.0f);
}

TEST_F(Moduli, CentralNodeRowOfProfileOne) {
  korvant::field_moduli(m, f.log);
    write_field_moduli(m, f.rep, f.err);
  ASSERT_EQ(m.NCENTRO, 2);
  EXPECT_EQ(m.ECAMPOP1(1, 1), m.ECAMPO1(2, 1));
  EXPECT_EQ(m.ECAMPOP2(1, 2), m.ECAMPO2(2, 2));
  // Other profiles have no central-node field moduli: they keep the laboratory
  // ones instead of a zero modulus.
  EXPECT_EQ(m.ECAMPOP1(2, 1), 111.0f);
  EXPECT_EQ(m.ECAMPOP2(2, 1), 222.0f);
}

TEST_F(Moduli, NoReactionPoints) {
  m.NR = 0;
  m.NCENTRO = 1;
  korvant::field_moduli(m, f.log);
    write_field_moduli(m, f.rep, f.err);
  EXPECT_EQ(m.ECAMPOP1(1, 1), 400.0f);
  EXPECT_EQ(m.ECAMPOP2(1, 2), 1500.0f);
}

}  // namespace
