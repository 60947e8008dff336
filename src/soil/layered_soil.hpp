// The soil below one point integrated over each stratum's thickness, in
// double precision: the mean stresses of a stratum under a loaded rectangle
// (graded sub-layers with four Gauss-Legendre points, the positive part of the
// horizontal stresses integrated through the polynomial at the points) and
// Steinbrenner's corner function, the exact depth integral of the unclipped
// elastic strain. Used by --estratos=integrados and --zapatas=estratificadas.
#pragma once

namespace korvant {

// The depths, measured from the foundation level D, of the top and bottom of
// the part of stratum k below D (PROF(0) = 0): zt = max(PROF(k-1), D) - D,
// zb = PROF(k) - D. The stratum contributes only when D < PROF(k).
struct StratumSpan {
  double zt = 0.0, zb = 0.0;
};
inline StratumSpan stratum_span(float prof_above, float prof, float D) {
  const double top = prof_above > D ? prof_above : D;
  return {top - static_cast<double>(D), static_cast<double>(prof) - static_cast<double>(D)};
}

// The corner rectangles whose signed sum gives the stresses at (x, y) under
// the rectangle x1..x2, y1..y2: the same rows and coefficients as bousi.
struct CornerSum {
  int n = 0;          // 0: degenerate rectangle, no stress
  double coef[4] = {};
  double A[4] = {}, B[4] = {};  // sides |xc - x|, |yc - y| of each corner rectangle
  double smallest_side() const;
};
CornerSum corner_sum(float x, float y, float x1, float y1, float x2, float y2);

// Stresses (unclipped) at depth z > 0 under the corners, for a unit pressure.
struct Stress {
  double x = 0.0, y = 0.0, z = 0.0;
};
Stress corner_stresses(const CornerSum& c, double nu, double z);

// Means over zt..zb of sx+, sy+ (sx, sy without clipping when clip is false,
// a hook for the closed-form checks) and sz, by the rule of four points on
// graded sub-layers. evaluations counts the stress evaluations.
struct StratumMeans {
  double x = 0.0, y = 0.0, z = 0.0;
  int sublayers = 0, evaluations = 0;
};
StratumMeans stratum_means(const CornerSum& c, double nu, double zt, double zb, bool clip = true);

// Steinbrenner's corner function S_c(a, c, z, nu): E times the settlement of
// the corner of an a x c flexible rectangle under unit pressure, from the
// strain integrated over 0..z; 0 for z = 0.
double steinbrenner_corner(double a, double c, double z, double nu);

}  // namespace korvant
