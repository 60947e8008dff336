// Stresses under loaded rectangles against classical values and against a
// direct numerical integration of Boussinesq's point-load solution.
#include <gtest/gtest.h>

#include <cmath>

#include "soil/soil.hpp"

namespace {

using korvant::bousi;

struct Stress {
  double x, y, z;
};

// Boussinesq: stresses at depth z and plan offset (dx, dy) from a unit point load.
Stress point_load(double nu, double dx, double dy, double z) {
  const double r2 = dx * dx + dy * dy;
  const double R = std::sqrt(r2 + z * z);
  const double R5 = R * R * R * R * R;
  const double pi = 3.14159265358979323846;
  Stress s;
  s.z = 3.0 * z * z * z / (2.0 * pi * R5);
  const double a = (1.0 - 2.0 * nu);
  s.x = (3.0 * dx * dx * z / R5 - a * ((dx * dx - dy * dy) / (r2 * (R + z) * R) + dy * dy * z / (R * R * R * r2))) / (2.0 * pi);
  s.y = (3.0 * dy * dy * z / R5 - a * ((dy * dy - dx * dx) / (r2 * (R + z) * R) + dx * dx * z / (R * R * R * r2))) / (2.0 * pi);
  return s;
}

// Unit pressure on x1..x2, y1..y2 integrated with composite Gauss-Legendre rules.
Stress integrate(double nu, double x, double y, double z, double x1, double y1, double x2, double y2) {
  const double g[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
  const double w[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
  const int n = 120;
  const double hx = (x2 - x1) / n, hy = (y2 - y1) / n;
  Stress s{0, 0, 0};
  for (int i = 0; i < n; ++i)
    for (int a = 0; a < 4; ++a) {
      const double px = x1 + hx * (i + 0.5 + 0.5 * g[a]);
      for (int j = 0; j < n; ++j)
        for (int b = 0; b < 4; ++b) {
          const double py = y1 + hy * (j + 0.5 + 0.5 * g[b]);
          const Stress p = point_load(nu, x - px, y - py, z);
          const double wt = w[a] * w[b] * 0.25 * hx * hy;
          s.x += wt * p.x;
          s.y += wt * p.y;
          s.z += wt * p.z;
        }
    }
  return s;
}

Stress call(float nu, float x, float y, float z, float x1, float y1, float x2, float y2) {
  float sx = 0.0f, sy = 0.0f, sz = 0.0f;
  bousi(nu, x, y, z, x1, y1, x2, y2, sx, sy, sz);
  return {sx, sy, sz};
}

// Newmark's influence factor under the corner of an m x n rectangle (in depths).
double newmark(double m, double n) {
  const double s = m * m + n * n + 1.0;
  const double pi = 3.14159265358979323846;
  return (2.0 * m * n * std::sqrt(s) / (s + m * m * n * n) * (s + 1.0) / s +
          std::atan2(2.0 * m * n * std::sqrt(s), s - m * m * n * n)) / (4.0 * pi);
}

TEST(Bousi, ClassicalVerticalStresses) {
  // Fadum's corner factor for m = n = 1 is 0.1752: a 2 x 2 square under its centre at depth 1.
  Stress c = call(0.3f, 0.0f, 0.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f);
  EXPECT_NEAR(c.z, 4.0 * 0.1752, 1e-3);
  EXPECT_NEAR(c.z, 4.0 * newmark(1.0, 1.0), 1e-6);
  EXPECT_FLOAT_EQ(static_cast<float>(c.x), static_cast<float>(c.y));  // square: both horizontals alike

  // Under the corner of a very large rectangle: a quarter of the pressure.
  Stress big = call(0.3f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0e4f, 1.0e4f);
  EXPECT_NEAR(big.z, 0.25, 1e-4);

  // Far from the loaded area: small but positive.
  Stress far = call(0.3f, 60.0f, 45.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f);
  EXPECT_GT(far.z, 0.0);
  EXPECT_LT(far.z, 1e-5);
  EXPECT_GE(far.x, 0.0);
  EXPECT_GE(far.y, 0.0);
}

TEST(Bousi, IncompressibleUnderHugeAreaIsHydrostatic) {
  // nu = 0.5 under the middle of a very large area: sx = sy = sz = the pressure.
  Stress s = call(0.5f, 0.0f, 0.0f, 1.0f, -1.0e4f, -1.0e4f, 1.0e4f, 1.0e4f);
  EXPECT_NEAR(s.z, 1.0, 1e-3);
  EXPECT_NEAR(s.x, 1.0, 1e-3);
  EXPECT_NEAR(s.y, 1.0, 1e-3);
}

// Every position class whose point is centred in its spans, on the rectangle's
// lines or outside it matches the integrated point-load solution.
TEST(Bousi, PositionsMatchIntegratedPointLoads) {
  const float x1 = -1.0f, y1 = -0.5f, x2 = 1.0f, y2 = 1.5f;
  const float xs[] = {-3.0f, x1, 0.0f, x2, 2.5f};  // left, = x1, centre, = x2, right
  const float ys[] = {-2.0f, y1, 0.5f, y2, 3.0f};  // below, = y1, centre, = y2, above
  for (float nu : {0.0f, 0.3f, 0.45f})
    for (float z : {0.7f, 2.0f})
      for (float x : xs)
        for (float y : ys) {
          SCOPED_TRACE(testing::Message() << "nu=" << nu << " z=" << z << " x=" << x << " y=" << y);
          Stress got = call(nu, x, y, z, x1, y1, x2, y2);
          Stress want = integrate(nu, x, y, z, x1, y1, x2, y2);
          const double tol = 2e-6 + 2e-5 * std::fabs(want.z);
          EXPECT_NEAR(got.z, want.z, tol);
          EXPECT_NEAR(got.x, want.x > 0 ? want.x : 0.0, 2e-6 + 2e-5 * std::fabs(want.x));
          EXPECT_NEAR(got.y, want.y > 0 ? want.y : 0.0, 2e-6 + 2e-5 * std::fabs(want.y));
        }
}

TEST(Bousi, SideLineCornerAndOffCentre) {
  // On a side line within its span: twice the half-rectangle on the far side.
  Stress side = call(0.3f, 0.0f, 0.0f, 1.0f, 0.0f, -1.0f, 2.0f, 1.0f);
  EXPECT_NEAR(side.z, 2.0 * newmark(2.0, 1.0), 1e-6);
  // On a corner: the single corner rectangle.
  Stress corner = call(0.3f, 2.0f, 1.0f, 0.5f, 0.0f, -1.0f, 2.0f, 1.0f);
  EXPECT_NEAR(corner.z, newmark(4.0, 4.0), 1e-6);
  // Off-centre inside a span: only the distance to the far edges x2, y2 counts,
  // as if the rectangle were centred on the point.
  float a[3], b[3];
  bousi(0.3f, 0.3f, 0.2f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, a[0], a[1], a[2]);
  bousi(0.3f, 0.3f, 0.2f, 1.0f, -0.4f, -0.6f, 1.0f, 1.0f, b[0], b[1], b[2]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], b[i]);
  EXPECT_NEAR(a[2], integrate(0.3, 0.3, 0.2, 1.0, -0.4, -0.6, 1.0, 1.0).z, 1e-6);
  // Off-centre in X only, above the rectangle in Y.
  bousi(0.3f, 0.5f, 3.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, a[0], a[1], a[2]);
  bousi(0.3f, 0.5f, 3.0f, 1.0f, 0.0f, -1.0f, 1.0f, 1.0f, b[0], b[1], b[2]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a[i], b[i]);
}

TEST(Bousi, HorizontalStressesClippedVerticalNot) {
  // Beside a long narrow strip the transverse horizontal stress comes out
  // negative: it is set to 0, while the vertical stress stays as computed.
  Stress raw = integrate(0.35, 0.0, 0.0, 2.5, 0.0, -0.15, 2.5, 0.15);
  ASSERT_LT(raw.y, 0.0);
  Stress s = call(0.35f, 0.0f, 0.0f, 2.5f, 0.0f, -0.15f, 2.5f, 0.15f);
  EXPECT_EQ(s.y, 0.0);
  EXPECT_FALSE(std::signbit(s.y));
  EXPECT_NEAR(s.x, raw.x, 1e-6);
  EXPECT_NEAR(s.z, raw.z, 1e-6);
}

TEST(Bousi, DegenerateRectangleKeepsEntryValues) {
  float sx = 7.0f, sy = -2.0f, sz = 3.0f;
  bousi(0.3f, 1.0f, 0.0f, 1.0f, 1.0f, -1.0f, 1.0f, 1.0f, sx, sy, sz);  // point on a zero-width rectangle
  EXPECT_EQ(sx, 7.0f);
  EXPECT_EQ(sy, -2.0f);
  EXPECT_EQ(sz, 3.0f);
  bousi(0.3f, 0.5f, 0.0f, 1.0f, 1.0f, -1.0f, 0.0f, 1.0f, sx, sy, sz);  // x1 > x2, point between
  EXPECT_EQ(sx, 7.0f);
}

}  // namespace
