// Stresses in an elastic half-space under a uniformly loaded plan rectangle
// (Boussinesq), obtained by superposing rectangles that have one corner
// vertically above the point. Everything in single precision, in the order the
// formulas are written.
#include <cmath>

#include "soil/soil.hpp"

namespace korvant {

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kInvTwoPi = 0.15915494f;

struct Corner {
  float x, y, z;
};

// Stresses under the corner of the rectangle whose opposite corner is (xc, yc),
// the point being (x, y) at depth z. The point never lies on the rectangle's
// lines here, so A and B are not zero.
Corner corner(float nu, float x, float y, float z, float xc, float yc) {
  const float A = std::fabs(xc - x);
  const float B = std::fabs(yc - y);
  const float R = std::sqrt((A * A + B * B) + z * z);
  const float m = z * (A * B);
  const float t0 = kHalfPi - std::atan((z * R) / (A * B));
  const float nu2 = 1.0f - 2.0f * nu;
  Corner c;
  c.x = ((t0 - m / (R * (A * A + z * z))) + (std::atan(B / A) - std::atan((B * R) / (A * z))) * nu2) * kInvTwoPi;
  c.y = ((t0 - m / (R * (B * B + z * z))) + nu2 * (std::atan(A / B) - std::atan((A * R) / (B * z)))) * kInvTwoPi;
  c.z = (std::atan((A * B) / (z * R)) + (1.0f / (A * A + z * z) + 1.0f / (B * B + z * z)) * (m / R)) * kInvTwoPi;
  return c;
}

Corner scale(float s, Corner a) { return {s * a.x, s * a.y, s * a.z}; }
Corner minus(Corner a, Corner b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Corner plus(Corner a, Corner b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

// ((a - b) - c) + d, component by component.
Corner four(Corner a, Corner b, Corner c, Corner d) { return plus(minus(minus(a, b), c), d); }

}  // namespace

void bousi(float nu, float x, float y, float z, float x1, float y1, float x2, float y2, float& sx, float& sy, float& sz) {
  auto F = [&](float xc, float yc) { return corner(nu, x, y, z, xc, yc); };

  // Position of the point against each span of the rectangle (exact comparisons).
  const bool xin = x1 < x && x < x2;
  const bool xe1 = x == x1 && x < x2;
  const bool xe2 = x == x2 && x > x1;
  const bool xleft = x < x1 && x < x2;
  const bool xright = x > x1 && x > x2;
  const bool yin = y1 < y && y < y2;
  const bool ye1 = y == y1 && y < y2;
  const bool ye2 = y == y2 && y > y1;
  const bool ybelow = y < y1 && y < y2;
  const bool yabove = y > y1 && y > y2;

  // A point strictly inside a span is taken at the centre of that span: one
  // half (or one quarter) is computed and doubled (or multiplied by four).
  Corner s;
  if (xin && yin) {
    s = scale(4.0f, F(x2, y2));
  } else if (xright && yabove) {
    s = four(F(x1, y1), F(x2, y1), F(x1, y2), F(x2, y2));
  } else if (xleft && yabove) {
    s = four(F(x2, y1), F(x1, y1), F(x2, y2), F(x1, y2));
  } else if (xleft && ybelow) {
    s = four(F(x2, y2), F(x1, y2), F(x2, y1), F(x1, y1));
  } else if (xright && ybelow) {
    s = four(F(x1, y2), F(x2, y2), F(x1, y1), F(x2, y1));
  } else if (xin && yabove) {
    s = scale(2.0f, minus(F(x2, y1), F(x2, y2)));
  } else if (xin && ybelow) {
    s = scale(2.0f, minus(F(x2, y2), F(x2, y1)));
  } else if (xright && yin) {
    s = scale(2.0f, minus(F(x1, y1), F(x2, y1)));
  } else if (xleft && yin) {
    s = scale(2.0f, minus(F(x2, y2), F(x1, y2)));
  } else if (xe1 && yabove) {
    s = minus(F(x2, y1), F(x2, y2));
  } else if (xe1 && ybelow) {
    s = minus(F(x2, y2), F(x2, y1));
  } else if (xe2 && yabove) {
    s = minus(F(x1, y1), F(x1, y2));
  } else if (xe2 && ybelow) {
    s = minus(F(x1, y2), F(x1, y1));
  } else if (xright && ye1) {
    s = minus(F(x1, y2), F(x2, y2));
  } else if (xright && ye2) {
    s = minus(F(x1, y1), F(x2, y1));
  } else if (xleft && ye1) {
    s = minus(F(x2, y2), F(x1, y2));
  } else if (xleft && ye2) {
    s = minus(F(x2, y1), F(x1, y1));
  } else if ((xe1 && yin) || (ye1 && xin)) {
    s = scale(2.0f, F(x2, y2));
  } else if ((xe2 && yin) || (ye2 && xin)) {
    s = scale(2.0f, F(x1, y1));
  } else if (xe1 && ye1) {
    s = F(x2, y2);
  } else if (xe1 && ye2) {
    s = F(x2, y1);
  } else if (xe2 && ye2) {
    s = F(x1, y1);
  } else if (xe2 && ye1) {
    s = F(x1, y2);
  } else {
    return;  // degenerate rectangle: the outputs keep their entry values
  }

  sx = s.x;
  sy = s.y;
  sz = s.z;
  if (sx < 0.0f) sx = 0.0f;
  if (sy < 0.0f) sy = 0.0f;
}

}  // namespace korvant
