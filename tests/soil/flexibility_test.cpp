// Flexibility matrices of hand-built models with chosen influence values,
// checked against sums worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "soil/soil.hpp"
#include "text/files.hpp"
#include "../toolkit/soil_model.hpp"

namespace {

using korvant::Files;
using korvant::Model;
using korvant::Tab2;

// Two reactions (length 2, area 1), strata 2 m and 3 m thick, foundation at 1 m:
// stratum 1 counts with 1 m, stratum 2 with 3 m.
struct Flex : testing::Test {
  Model m;
  Files f;
  Tab2<float> NU;
  Tab2<float> FLEX;
  korvant::Tab1<float> QREAC;
  void SetUp() override {
    korvant::testing::foundation(m, 2, 1.0f, {2.0f, 3.0f});
    for (auto* t : {&m.IX, &m.IY, &m.IZ}) t->size_to(2, 2, 2, 1);
    // (row I, stratum k, column l): IZ, IX, IY
    set(1, 1, 1, 0.2f, 0.05f, 0.04f);
    set(1, 2, 1, 0.05f, 0.01f, -0.02f);
    set(1, 1, 2, 0.01f, 0.3f, 0.2f);
    set(1, 2, 2, -0.001f, 0.0f, 0.0f);
    set(2, 1, 1, 0.01f, 0.3f, 0.2f);
    set(2, 2, 1, -0.001f, 0.0f, 0.0f);
    set(2, 1, 2, 0.2f, 0.05f, 0.04f);
    set(2, 2, 2, 0.05f, 0.01f, -0.02f);
    NU.size_to(1, 50);
    NU(1, 1) = 0.3f;
    NU(1, 2) = 0.45f;
    m.E2(1, 1) = 500.0f;
    m.E2(1, 2) = 1500.0f;
    m.Emv(1, 1) = 100.0f;
    m.Emv(1, 2) = 200.0f;
    m.Emt(1, 1) = 100.0f;
    m.Emt(1, 2) = 200.0f;
  }
  void set(int I, int k, int l, float iz, float ix, float iy) {
    m.IZ(I, k, l, 1) = iz;
    m.IX(I, k, l, 1) = ix;
    m.IY(I, k, l, 1) = iy;
  }
};

TEST_F(Flex, ImmediateDeformationsWithPoissonsRatio) {
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, &NU, 3, FLEX);
  ASSERT_EQ(FLEX.n1, 2);
  // Stratum 1: h = 2 - 1 = 1, AINF = 0.2 - 0.3*(0.05 + 0.04); stratum 2: h = 3,
  // AINF = 0.05 - 0.45*(0.01 + 0), the negative horizontal counting as 0.
  const double f11 = 2.0 / 500.0 * 1.0 * (0.2 - 0.3 * 0.09) + 2.0 / 1500.0 * 3.0 * (0.05 - 0.45 * 0.01);
  EXPECT_NEAR(FLEX(1, 1), f11, 1e-9);
  EXPECT_NEAR(FLEX(2, 2), f11, 1e-9);
  // Large horizontal influences outweigh the vertical one: a negative entry.
  const double f12 = 2.0 / 500.0 * 1.0 * (0.01 - 0.3 * 0.5) + 2.0 / 1500.0 * 3.0 * (-0.001);
  EXPECT_NEAR(FLEX(1, 2), f12, 1e-9);
  EXPECT_LT(FLEX(1, 2), 0.0f);
}

TEST_F(Flex, ModulusTableByNodeOrByProfile) {
  Tab2<float> byNode;
  byNode.size_to(2, 50);
  byNode(1, 1) = 500.0f;
  byNode(1, 2) = 1500.0f;
  byNode(2, 1) = 1000.0f;
  byNode(2, 2) = 3000.0f;
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::immediate), byNode, &NU, 2, FLEX);
  const float row1 = FLEX(1, 1);
  EXPECT_NEAR(FLEX(2, 2), row1 / 2.0f, 1e-9);  // row 2 takes node 2's moduli
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::immediate), byNode, &NU, 1, FLEX);           // by profile: profile 1 for both rows
  EXPECT_EQ(FLEX(2, 2), row1);
}

TEST_F(Flex, PrimaryConsolidationClipsTheVerticalInfluence) {
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::primary), m.Emv, nullptr, 0, FLEX);
  EXPECT_NEAR(FLEX(1, 1), 2.0 / 100.0 * 1.0 * 0.2 + 2.0 / 200.0 * 3.0 * 0.05, 1e-9);
  // Horizontal influences do not count; the negative vertical one counts as 0.
  EXPECT_NEAR(FLEX(1, 2), 2.0 / 100.0 * 1.0 * 0.01, 1e-9);
}

TEST_F(Flex, SecondaryConsolidationTimeFactor) {
  for (int k = 1; k <= 2; ++k) {
    m.psi(1, k) = 0.5f;
    m.T(1, k) = 18.0f;  // log10(1 + 9) = 1
  }
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::primary), m.Emv, nullptr, 0, FLEX);
  const float primary = FLEX(1, 1);
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::secondary), m.Emt, nullptr, 0, FLEX);
  EXPECT_FLOAT_EQ(FLEX(1, 1), primary);
  m.T(1, 2) = 0.0f;  // second stratum: no time, no secondary settlement
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::secondary), m.Emt, nullptr, 0, FLEX);
  EXPECT_NEAR(FLEX(1, 1), 2.0 / 100.0 * 1.0 * 0.2, 1e-9);
  m.T(1, 1) = 0.0f;
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::secondary), m.Emt, nullptr, 0, FLEX);
  for (float v : FLEX.v) EXPECT_EQ(v, 0.0f);
}

TEST_F(Flex, FoundationDepthAtOrBelowTheStrata) {
  m.DF(1) = 2.0f;  // at the bottom of stratum 1: excluded; stratum 2 from the foundation level
  m.DF(2) = 7.0f;  // below every stratum: a row of zeros
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::primary), m.Emv, nullptr, 0, FLEX);
  EXPECT_NEAR(FLEX(1, 1), 2.0 / 200.0 * 3.0 * 0.05, 1e-9);
  EXPECT_EQ(FLEX(2, 1), 0.0f);
  EXPECT_EQ(FLEX(2, 2), 0.0f);
}

TEST_F(Flex, BothDirectionsAdd) {
  for (auto* t : {&m.IX, &m.IY, &m.IZ}) t->size_to(2, 2, 2, 2);
  set(1, 1, 1, 0.2f, 0.0f, 0.0f);
  m.IZ(1, 1, 1, 2) = 0.1f;
  m.IX(1, 1, 1, 2) = 0.1f;
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, &NU, 3, FLEX);
  EXPECT_NEAR(FLEX(1, 1), 2.0 / 500.0 * 1.0 * (0.3 - 0.3 * 0.1), 1e-9);
}

TEST_F(Flex, FlexibilityStoreSizedOnceForAllReactions) {
  m.MR = 3;
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::primary), m.Emv, nullptr, 0, FLEX);
  ASSERT_EQ(FLEX.n1, 5);
  ASSERT_EQ(FLEX.n2, 5);
  FLEX(4, 4) = 9.0f;  // a footing entry stays while the area block is rebuilt
  const float* store = FLEX.v.data();
  korvant::FLSC(m, f.log, korvant::soil_law(korvant::Law::immediate), m.E2, &NU, 3, FLEX);
  EXPECT_EQ(FLEX.v.data(), store);
  EXPECT_EQ(FLEX(4, 4), 9.0f);
}

TEST_F(Flex, StressDependentModulusClearsTheStore) {
  m.MR = 1;
  FLEX.size_to(3, 3, 7.0f);
  m.VALNL = 10.0f;
  QREAC.size_to(2);
  QREAC(1) = 3.0f;
  QREAC(2) = 6.0f;
  for (int k = 1; k <= 2; ++k) {
    m.K2(1, k) = 100.0f * static_cast<float>(k);
    m.N2(1, k) = 0.5f;
    m.KO(1, k) = 0.5f;
    m.PZ(1, k) = 2.0f * static_cast<float>(k);
  }
  korvant::FNLCC(m, f.log, QREAC, FLEX);
  auto entry = [](double q, double S, double iz, double K2, double PZ, double h) {
    const double p0 = (2.0 * 0.5 + 1.0) * PZ / 3.0;
    const double sigma = q * 2.0 * S / 6.0 + p0;  // length 2, area 1
    const double E = K2 * 10.0 * std::sqrt(sigma / 10.0);
    return 2.0 * h * (iz > 0 ? iz : 0.0) / E;
  };
  // Whole thicknesses (2 m and 3 m), the stress of the row reaction, horizontal
  // influences counted only when positive.
  EXPECT_NEAR(FLEX(1, 1), entry(3, 0.29, 0.2, 100, 2, 2) + entry(3, 0.06, 0.05, 200, 4, 3), 1e-8);
  EXPECT_NEAR(FLEX(2, 1), entry(6, 0.51, 0.01, 100, 2, 2) + entry(6, -0.001, -0.001, 200, 4, 3), 1e-8);
  EXPECT_EQ(FLEX(3, 3), 0.0f);
  EXPECT_EQ(FLEX(1, 3), 0.0f);
  EXPECT_EQ(FLEX(3, 1), 0.0f);
}

TEST_F(Flex, NoReactions) {
  Model none;
  korvant::FLSC(none, f.log, korvant::soil_law(korvant::Law::primary), none.Emv, nullptr, 0, FLEX);
  EXPECT_EQ(FLEX.n1, 0);
}

}  // namespace
