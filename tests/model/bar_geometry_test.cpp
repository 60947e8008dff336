#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "model/preprocess.hpp"
#include "text/files.hpp"
#include "../toolkit/capture.hpp"

using namespace korvant;

namespace {

// A model of single bars, each between its own two nodes.
struct Bars {
  Model m;
  Files f;
  explicit Bars(std::initializer_list<std::array<float, 6>> ends) {
    m.NB = static_cast<int>(ends.size());
    m.NN = 2 * m.NB;
    m.COORD.size_to(m.NN, 3);
    m.PI.size_to(m.NB);
    m.PJ.size_to(m.NB);
    int b = 0;
    for (const auto& e : ends) {
      ++b;
      m.PI(b) = 2 * b - 1;
      m.PJ(b) = 2 * b;
      for (int k = 1; k <= 3; ++k) {
        m.COORD(2 * b - 1, k) = e[static_cast<std::size_t>(k - 1)];
        m.COORD(2 * b, k) = e[static_cast<std::size_t>(k + 2)];
      }
    }
    direction_cosines(m, f.log);
  }
  void expect_rows(int b, std::array<float, 9> r) {
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j)
        EXPECT_NEAR(m.COSDIR(b, i, j), r[static_cast<std::size_t>(3 * (i - 1) + j - 1)], 1e-6f)
            << "bar " << b << " row " << i << " column " << j;
  }
};

}  // namespace

TEST(DirectionCosines, BarsAlongTheAxes) {
  Bars t({{1, 2, 0, 5, 2, 0},     // +X
          {1, 2, 0, 1, 7, 0},     // +Y
          {3, 3, 0, 3, 3, 4}});   // vertical, bottom to top
  t.expect_rows(1, {1, 0, 0, 0, 1, 0, 0, 0, 1});
  t.expect_rows(2, {0, 1, 0, -1, 0, 0, 0, 0, 1});
  t.expect_rows(3, {0, 0, 1, 0, 1, 0, -1, 0, 0});
  // Signed zeros are printed with their sign in the log.
  EXPECT_TRUE(std::signbit(t.m.COSDIR(2, 3, 2)));
  EXPECT_TRUE(std::signbit(t.m.COSDIR(3, 3, 2)));
  EXPECT_FALSE(std::signbit(t.m.COSDIR(3, 3, 3)));
}

TEST(DirectionCosines, InclinedAndObliqueBars) {
  Bars t({{0, 0, 0, 3, 0, 4},        // inclined in a vertical plane parallel to XZ
          {10, -4, 1, 13, 0, 1}});   // horizontal, oblique in plan
  // Local z = (-x3, 0, x1) when the bar stays in the XZ plane.
  t.expect_rows(1, {0.6f, 0, 0.8f, 0, 1, 0, -0.8f, 0, 0.6f});
  // Local y = (-dy, dx, 0)/|plan| for dy > 0; local z is then vertical.
  t.expect_rows(2, {0.6f, 0.8f, 0, -0.8f, 0.6f, 0, 0, 0, 1});
}

TEST(DirectionCosines, RowsAreOrthonormal) {
  Bars t({{0.5f, 1.5f, 0, 2.5f, 4.0f, 3.0f}, {7, 1, 2, 9, 1, -1}});
  for (int b = 1; b <= 2; ++b)
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) {
        float dot = 0.0f;
        for (int k = 1; k <= 3; ++k) dot += t.m.COSDIR(b, i, k) * t.m.COSDIR(b, j, k);
        EXPECT_NEAR(dot, i == j ? 1.0f : 0.0f, 1e-6f) << "bar " << b << " rows " << i << ", " << j;
      }
  // The local y axis is horizontal.
  EXPECT_EQ(t.m.COSDIR(1, 2, 3), 0.0f);
  EXPECT_EQ(t.m.COSDIR(2, 2, 3), 0.0f);
}

TEST(DirectionCosines, LogOfEachCase) {
  Model m;
  Files f;
  korvant::testing::Capture mem(f.mem);
  m.NB = 2;
  m.COORD.size_to(3, 3);
  m.PI.size_to(2);
  m.PJ.size_to(2);
  m.COORD(2, 2) = 5.0f;   // node 2 at (0, 5, 0)
  m.COORD(3, 3) = -3.0f;  // node 3 at (0, 0, -3)
  m.PI(1) = 1, m.PJ(1) = 2;
  m.PI(2) = 1, m.PJ(2) = 3;  // vertical, from top to bottom
  direction_cosines(m, f.log);
  const std::string s = mem.text();
  EXPECT_EQ(s,
            " Cosenos directores para cada barra\n"
            " Barra           1\n"
            " ij=   0.000000       5.000000       0.000000    \n"
            " PLANO DISTINTO A XZ   0.000000    \n"
            " MATRIZ DE COSENOS DIRECTORES DE LA BARRA           1\n"
            "    0.000000       1.000000       0.000000    \n"
            "   -1.000000       0.000000       0.000000    \n"
            "    0.000000      -0.000000       1.000000    \n"
            " Barra           2\n"
            " ij=   0.000000       0.000000      -3.000000    \n"
            " BARRA VERTICAL\n"
            " MATRIZ DE COSENOS DIRECTORES DE LA BARRA           2\n"
            "    0.000000       0.000000       1.000000    \n"
            "    0.000000       1.000000       0.000000    \n"
            "   -1.000000      -0.000000       0.000000    \n");
}
