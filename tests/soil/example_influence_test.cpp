// The influence values the program writes for the example building, checked
// against Newmark's corner factors computed here independently.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "../toolkit/scratch.hpp"

namespace {

// Newmark's vertical-stress factor under the corner of an a x b rectangle at depth z.
double N(double a, double b, double z) {
  const double m = a / z, n = b / z;
  const double s = m * m + n * n + 1.0;
  const double pi = 3.14159265358979323846;
  return (2.0 * m * n * std::sqrt(s) / (s + m * m * n * n) * (s + 1.0) / s +
          std::atan2(2.0 * m * n * std::sqrt(s), s - m * m * n * n)) / (4.0 * pi);
}

struct Row {
  double ix, iy, iz, ainf;
};

TEST(ExampleBuilding, InfluenceFile) {
  korvant::testing::Scratch s;
  ASSERT_EQ(s.run("'" KORVANT_SOURCE_DIR "/examples/edificio.txt' REPORTE"), 0);
  std::istringstream in(s.read("VALINF"));

  std::map<std::tuple<int, int, int>, Row> t;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (n <= 7) continue;  // title, direction count, direction and column headings
    ASSERT_EQ(line.size(), 67u) << line;
    Row r;
    r.ix = std::stod(line.substr(27, 10));
    r.iy = std::stod(line.substr(37, 10));
    r.iz = std::stod(line.substr(47, 10));
    r.ainf = std::stod(line.substr(57, 10));
    t[{std::stoi(line.substr(0, 8)), std::stoi(line.substr(8, 8)), std::stoi(line.substr(16, 8))}] = r;
  }
  // Six reaction points (slab corners), three strata below the foundation, all six loaded rectangles.
  ASSERT_EQ(t.size(), 6u * 3u * 6u);

  // Contact rectangles: quarters of the two 5 x 6 slabs; strata bottoms at 2.5,
  // 6.5 and 12.5 m, foundation at 1.2 m: mid-depths 0.65, 3.3 and 8.3 below it.
  const double z1 = 0.65, z2 = 3.3, z3 = 8.3, tol = 3e-7;
  EXPECT_NEAR((t[{1, 1, 1}].iz), N(2.5, 3, z1), tol);                  // on its own corner
  EXPECT_NEAR((t[{2, 1, 2}].iz), 2 * N(2.5, 3, z1), tol);              // middle of an edge
  EXPECT_NEAR((t[{5, 1, 5}].iz), 2 * N(2.5, 3, z1), tol);
  EXPECT_NEAR((t[{3, 2, 2}].iz), N(7.5, 3, z2) - N(2.5, 3, z2), tol);  // on the line of an edge
  EXPECT_NEAR((t[{1, 2, 5}].iz), N(7.5, 6, z2) - N(2.5, 6, z2) - N(7.5, 3, z2) + N(2.5, 3, z2), tol);
  EXPECT_NEAR((t[{5, 3, 1}].iz), N(5, 6, z3) - N(2.5, 6, z3) - N(5, 3, z3) + N(2.5, 3, z3), tol);

  // AINF = IZ - (IX + IY) nu, nu of the stratum; horizontals never negative.
  const double nu[4] = {0, 0.35, 0.40, 0.30};
  for (auto& [key, r] : t) {
    EXPECT_NEAR(r.ainf, r.iz - (r.ix + r.iy) * nu[std::get<1>(key)], 3e-7);
    EXPECT_GE(r.ix, 0.0);
    EXPECT_GE(r.iy, 0.0);
  }
}

}  // namespace
