// Depth integrals of the Boussinesq stresses over a stratum, and Steinbrenner's
// closed form, in double precision.
#include "soil/layered_soil.hpp"

#include <algorithm>
#include <cmath>

namespace korvant {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Gauss-Legendre, four points on [-1, 1].
constexpr double kXi[4] = {-0.86113631159405257522, -0.33998104358485626480, 0.33998104358485626480,
                       0.86113631159405257522};
constexpr double kW[4] = {0.34785484513745385737, 0.65214515486254614263, 0.65214515486254614263,
                      0.34785484513745385737};

// Legendre polynomials P0..P4 at t.
constexpr void legendre(double t, double P[5]) {
  P[0] = 1.0;
  P[1] = t;
  P[2] = (3.0 * t * t - 1.0) / 2.0;
  P[3] = (5.0 * t * t * t - 3.0 * t) / 2.0;
  P[4] = ((35.0 * t * t - 30.0) * t * t + 3.0) / 8.0;
}

// The polynomials at the four nodes, evaluated by the compiler.
struct NodeLegendre {
  double P[4][5];
};
constexpr NodeLegendre kNodeP = [] {
  NodeLegendre n{};
  for (int q = 0; q < 4; ++q) legendre(kXi[q], n.P[q]);
  return n;
}();

// The cubic through the four node values, in Legendre coefficients.
struct Cubic {
  double c[4] = {};
  double at(double t) const {
    double P[5];
    legendre(t, P);
    return c[0] + c[1] * P[1] + c[2] * P[2] + c[3] * P[3];
  }
  // Its antiderivative: int P0 = t, int Pn = (P(n+1) - P(n-1))/(2n + 1).
  double Q(double t) const {
    double P[5];
    legendre(t, P);
    return c[0] * t + c[1] * (P[2] - P[0]) / 3.0 + c[2] * (P[3] - P[1]) / 5.0 + c[3] * (P[4] - P[2]) / 7.0;
  }
};

// Integral over the sub-layer (half-width g) of the positive part of the
// polynomial through the node values v.
double positive_part(const double v[4], double g) {
  Cubic p;
  for (int n = 0; n < 4; ++n) {
    double s = 0.0;
    for (int q = 0; q < 4; ++q) s += kW[q] * v[q] * kNodeP.P[q][n];
    p.c[n] = (2.0 * n + 1.0) / 2.0 * s;
  }
  // The cubic is monotone between its turning points: a root lies where p
  // changes sign between consecutive ends of those pieces, and bisection
  // finds it.
  // Its slope from the powers of t: p = a0 + a1 t + a2 t^2 + a3 t^3.
  const double a1 = p.c[1] - 1.5 * p.c[3], a2 = 1.5 * p.c[2], a3 = 2.5 * p.c[3];
  double ends[4];
  int ne = 0;
  ends[ne++] = -1.0;
  // Turning points: 3 a3 t^2 + 2 a2 t + a1 = 0.
  double tp[2];
  int nt = 0;
  const double qa = 3.0 * a3, qb = 2.0 * a2, qc = a1;
  if (qa != 0.0) {
    const double disc = qb * qb - 4.0 * qa * qc;
    if (disc > 0.0) {
      const double r = std::sqrt(disc);
      const double q = -0.5 * (qb + (qb >= 0.0 ? r : -r));
      tp[nt++] = q / qa;
      if (q != 0.0) tp[nt++] = qc / q;
    }
  } else if (qb != 0.0) {
    tp[nt++] = -qc / qb;
  }
  if (nt == 2 && tp[0] > tp[1]) std::swap(tp[0], tp[1]);
  for (int i = 0; i < nt; ++i)
    if (tp[i] > -1.0 && tp[i] < 1.0) ends[ne++] = tp[i];
  ends[ne++] = 1.0;
  double roots[3];
  int nr = 0;
  double pa = p.at(ends[0]);
  for (int i = 1; i < ne; ++i) {
    const double b = ends[i], pb = p.at(b);
    if (pb == 0.0 && i < ne - 1) {
      roots[nr++] = b;
    } else if ((pa < 0.0 && pb > 0.0) || (pa > 0.0 && pb < 0.0)) {
      double lo = ends[i - 1], hi = b;
      const bool rising = pb > 0.0;
      for (int it = 0; it < 60 && hi - lo > 1e-15; ++it) {
        const double mid = 0.5 * (lo + hi);
        if ((p.at(mid) > 0.0) == rising) hi = mid;
        else lo = mid;
      }
      roots[nr++] = 0.5 * (lo + hi);
    }
    pa = pb;
  }
  if (nr == 0) {
    if (!(p.at(0.0) > 0.0)) return 0.0;
    double s = 0.0;
    for (int q = 0; q < 4; ++q) s += kW[q] * v[q];
    return g * s;
  }
  double sum = 0.0, lo = -1.0;
  for (int i = 0; i <= nr; ++i) {
    const double hi = i < nr ? roots[i] : 1.0;
    if (hi > lo && p.at(0.5 * (lo + hi)) > 0.0) sum += p.Q(hi) - p.Q(lo);
    lo = hi;
  }
  return g * sum;
}

}  // namespace

double CornerSum::smallest_side() const {
  double s = 0.0;
  for (int i = 0; i < n; ++i) {
    const double m = std::min(A[i], B[i]);
    if (i == 0 || m < s) s = m;
  }
  return s;
}

CornerSum corner_sum(float x, float y, float x1, float y1, float x2, float y2) {
  CornerSum s;
  auto F = [&](double coef, float xc, float yc) {
    s.coef[s.n] = coef;
    s.A[s.n] = std::fabs(static_cast<double>(xc) - static_cast<double>(x));
    s.B[s.n] = std::fabs(static_cast<double>(yc) - static_cast<double>(y));
    s.atan_ba[s.n] = std::atan(s.B[s.n] / s.A[s.n]);
    ++s.n;
  };
  // The rows of bousi, exact comparisons as there.
  const bool xin = x1 < x && x < x2, xe1 = x == x1 && x < x2, xe2 = x == x2 && x > x1;
  const bool xleft = x < x1 && x < x2, xright = x > x1 && x > x2;
  const bool yin = y1 < y && y < y2, ye1 = y == y1 && y < y2, ye2 = y == y2 && y > y1;
  const bool ybelow = y < y1 && y < y2, yabove = y > y1 && y > y2;
  if (xin && yin) {
    F(4, x2, y2);
  } else if (xright && yabove) {
    F(1, x1, y1), F(-1, x2, y1), F(-1, x1, y2), F(1, x2, y2);
  } else if (xleft && yabove) {
    F(1, x2, y1), F(-1, x1, y1), F(-1, x2, y2), F(1, x1, y2);
  } else if (xleft && ybelow) {
    F(1, x2, y2), F(-1, x1, y2), F(-1, x2, y1), F(1, x1, y1);
  } else if (xright && ybelow) {
    F(1, x1, y2), F(-1, x2, y2), F(-1, x1, y1), F(1, x2, y1);
  } else if (xin && yabove) {
    F(2, x2, y1), F(-2, x2, y2);
  } else if (xin && ybelow) {
    F(2, x2, y2), F(-2, x2, y1);
  } else if (xright && yin) {
    F(2, x1, y1), F(-2, x2, y1);
  } else if (xleft && yin) {
    F(2, x2, y2), F(-2, x1, y2);
  } else if (xe1 && yabove) {
    F(1, x2, y1), F(-1, x2, y2);
  } else if (xe1 && ybelow) {
    F(1, x2, y2), F(-1, x2, y1);
  } else if (xe2 && yabove) {
    F(1, x1, y1), F(-1, x1, y2);
  } else if (xe2 && ybelow) {
    F(1, x1, y2), F(-1, x1, y1);
  } else if (xright && ye1) {
    F(1, x1, y2), F(-1, x2, y2);
  } else if (xright && ye2) {
    F(1, x1, y1), F(-1, x2, y1);
  } else if (xleft && ye1) {
    F(1, x2, y2), F(-1, x1, y2);
  } else if (xleft && ye2) {
    F(1, x2, y1), F(-1, x1, y1);
  } else if ((xe1 && yin) || (ye1 && xin)) {
    F(2, x2, y2);
  } else if ((xe2 && yin) || (ye2 && xin)) {
    F(2, x1, y1);
  } else if (xe1 && ye1) {
    F(1, x2, y2);
  } else if (xe1 && ye2) {
    F(1, x2, y1);
  } else if (xe2 && ye2) {
    F(1, x1, y1);
  } else if (xe2 && ye1) {
    F(1, x1, y2);
  }
  return s;
}

Stress corner_stresses(const CornerSum& c, double nu, double z) {
  Stress s;
  const double nu2 = 1.0 - 2.0 * nu;
  for (int i = 0; i < c.n; ++i) {
    const double A = c.A[i], B = c.B[i];
    const double R = std::sqrt(A * A + B * B + z * z);
    const double m = z * A * B;
    // atan(x) + atan(1/x) = pi/2 for x > 0: pi/2 - atan(zR/AB) = atan(AB/zR),
    // and atan(A/B) = pi/2 - atan(B/A).
    const double t0 = std::atan(A * B / (z * R));
    const double ba = c.atan_ba[i];
    const double fx = t0 - m / (R * (A * A + z * z)) + (ba - std::atan(B * R / (A * z))) * nu2;
    const double fy = t0 - m / (R * (B * B + z * z)) + ((kPi / 2.0 - ba) - std::atan(A * R / (B * z))) * nu2;
    const double fz = t0 + (1.0 / (A * A + z * z) + 1.0 / (B * B + z * z)) * (m / R);
    s.x += c.coef[i] * fx;
    s.y += c.coef[i] * fy;
    s.z += c.coef[i] * fz;
  }
  s.x /= 2.0 * kPi;
  s.y /= 2.0 * kPi;
  s.z /= 2.0 * kPi;
  return s;
}

StratumMeans stratum_means(const CornerSum& c, double nu, double zt, double zb, bool clip) {
  StratumMeans out;
  const double h = zb - zt;
  if (c.n == 0 || !(h > 0.0)) return out;
  // Sub-layers equal in ln(z + s), ratio at most 3.
  const double s = c.smallest_side() / 4.0;
  const double ratio = (zb + s) / (zt + s);
  const int n = std::max(1, static_cast<int>(std::ceil(std::log(ratio) / std::log(3.0) - 1e-9)));
  double Ix = 0.0, Iy = 0.0, Iz = 0.0;
  double a = zt;
  for (int i = 1; i <= n; ++i) {
    const double b = i == n ? zb : (zt + s) * std::pow(ratio, static_cast<double>(i) / n) - s;
    const double mid = (a + b) / 2.0, g = (b - a) / 2.0;
    double vx[4], vy[4];
    for (int q = 0; q < 4; ++q) {
      const Stress st = corner_stresses(c, nu, mid + g * kXi[q]);
      vx[q] = st.x;
      vy[q] = st.y;
      Iz += g * kW[q] * st.z;
    }
    if (clip) {
      Ix += positive_part(vx, g);
      Iy += positive_part(vy, g);
    } else {
      for (int q = 0; q < 4; ++q) {
        Ix += g * kW[q] * vx[q];
        Iy += g * kW[q] * vy[q];
      }
    }
    a = b;
  }
  out.x = Ix / h;
  out.y = Iy / h;
  out.z = Iz / h;
  out.sublayers = n;
  out.evaluations = 4 * n;
  return out;
}

double steinbrenner_corner(double a, double c, double z, double nu) {
  if (!(z > 0.0)) return 0.0;
  const double s = std::min(a, c), M = std::max(a, c) / s, N = z / s;
  const double M2 = M * M, N2 = N * N;
  const double r1 = std::sqrt(M2 + 1.0), rMN = std::sqrt(M2 + N2), rMN1 = std::sqrt(M2 + N2 + 1.0);
  const double F1 = (M * std::log((1.0 + r1) * rMN / (M * (1.0 + rMN1))) +
                     std::log((M + r1) * std::sqrt(1.0 + N2) / (M + rMN1))) /
                    kPi;
  const double F2 = N / (2.0 * kPi) * std::atan(M / (N * rMN1));
  return s * ((1.0 - nu * nu) * F1 + (1.0 - nu - 2.0 * nu * nu) * F2);
}

}  // namespace korvant

namespace korvant {

RectFooting::RectFooting(double B_, double L_) : B(B_), L(L_) {
  A = B * L;
  b = std::min(B, L) / 2.0;
  l = std::max(B, L) / 2.0;
  chi = b / l;
  long_x = B >= L;
  const double IX = B * L * L * L / 12.0, IY = L * B * B * B / 12.0;
  Ipar = 4.0 * l * b * b * b / 3.0;
  Iperp = 4.0 * b * l * l * l / 3.0;
  RA = std::sqrt(A / kPi);
  RX = std::pow(4.0 * IX / kPi, 0.25);
  RY = std::pow(4.0 * IY / kPi, 0.25);
  RT = std::pow(2.0 * (IX + IY) / kPi, 0.25);
}

double RectFooting::radius(int t) const {
  switch (t) {
    case 1:
    case 2: return RA;
    case 4: return RX;
    case 5: return RY;
    default: return RT;
  }
}

double RectFooting::depth_constant(int t) {
  if (t <= 2) return 0.5;
  if (t <= 5) return 1.0 / 6.0;
  return 0.1;
}

double RectFooting::half_space(int t, double G, double nu) const {
  const double Hperp = 2.0 * G * l / (2.0 - nu) * (2.0 + 2.5 * std::pow(chi, 0.85));
  const double Hpar = Hperp - 0.2 / (0.75 - nu) * G * l * (1.0 - chi);
  double Rpar = G / (1.0 - nu) * std::pow(Ipar, 0.75) * std::pow(l / b, 0.25) * (2.4 + 0.5 * chi);
  double Rperp = 3.0 * G / (1.0 - nu) * std::pow(Iperp, 0.75) * std::pow(l / b, 0.15);
  if (B == L) Rpar = Rperp = (Rpar + Rperp) / 2.0;  // the two fits of a square, averaged
  switch (t) {
    case 1: return long_x ? Hpar : Hperp;
    case 2: return long_x ? Hperp : Hpar;
    case 4: return long_x ? Rpar : Rperp;
    case 5: return long_x ? Rperp : Rpar;
    default: return G * std::pow(Ipar + Iperp, 0.75) * (4.0 + 11.0 * std::pow(1.0 - chi, 10.0));
  }
}

FootingTerm footing_term(const RectFooting& r, int t, double z1, double z2, double E, double nu, double tau) {
  FootingTerm out;
  if (t == 3) {
    auto S = [&](double z) { return 4.0 * steinbrenner_corner(r.B / 2.0, r.L / 2.0, z, nu); };
    out.infl = S(z2) - S(z1);
    out.f = tau * (kPi / 4.0) * out.infl / (E * r.A);
    return out;
  }
  const double G = E / (2.0 * (1.0 + nu));
  const double R = r.radius(t), c = RectFooting::depth_constant(t);
  auto J = [&](double zeta) { return c / (zeta + c); };
  out.w = J(z1 / R) - J(z2 / R);
  out.K = r.half_space(t, G, nu);
  out.f = tau * out.w / out.K;
  return out;
}

}  // namespace korvant
