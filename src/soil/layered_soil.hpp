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
  double atan_ba[4] = {};       // atan(B/A), the same at every depth
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

namespace korvant {

// The springs of a rigid rectangular footing, ANCHO = B along X and LARGO = L
// along Y, on a layered soil: per stratum below the foundation level, the
// flexibility term of each local degree of freedom t = 1..6 (DX DY DZ MX MY MZ).
// Vertical: Steinbrenner at the centre, top minus bottom, times pi/4 / (E A).
// Horizontal, rocking, torsion: the half-space stiffness of the rectangle
// (Gazetas) with the stratum's material, weighted by the depth influence
// J(z/R) = c/(z/R + c) between its top and bottom.
struct RectFooting {
  double B = 0.0, L = 0.0;
  double A = 0.0, b = 0.0, l = 0.0, chi = 0.0;  // half sides b <= l, chi = b/l
  bool long_x = false;                          // the long axis runs along X (B >= L)
  double Ipar = 0.0, Iperp = 0.0;               // about the long axis, about the short one
  double RA = 0.0, RX = 0.0, RY = 0.0, RT = 0.0;  // radii of the depth weights
  RectFooting(double B, double L);
  // The radius and the constant c of the depth weight of dof t (not 3).
  double radius(int t) const;
  static double depth_constant(int t);
  // The half-space stiffness of dof t (not 3) for G and nu.
  double half_space(int t, double G, double nu) const;
};

// One stratum's term of dof t: the flexibility it adds (times tau, the time
// factor), and what the log shows: INFL for t = 3, the weight w and the
// half-space stiffness K otherwise.
struct FootingTerm {
  double f = 0.0, infl = 0.0, w = 0.0, K = 0.0;
};
FootingTerm footing_term(const RectFooting& r, int t, double z1, double z2, double E, double nu, double tau);

}  // namespace korvant
