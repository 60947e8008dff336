// Small frame models built by hand for the frame tests, and a double-precision
// solver for the stiffness systems the tests set up themselves.
#pragma once

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "model/model.hpp"
#include "text/files.hpp"

namespace korvant::testing {

struct FrameBuilder {
  struct Node { float x, y, z; };
  struct Bar { int pi, pj; };
  float gamma = 0.0f, E = 2.0e6f, nu = 0.25f;
  float A = 0.18f, Iy = 0.0054f, Iz = 0.00135f, J = 0.0037f;
  std::vector<Node> nodes;
  std::vector<Bar> bars;
  std::set<int> restrained;      // global dofs
  std::vector<int> area_reactions;   // NREAC
  std::vector<int> nodal_reactions;  // NREACN

  int node(float x, float y, float z) { nodes.push_back({x, y, z}); return static_cast<int>(nodes.size()); }
  int bar(int pi, int pj) { bars.push_back({pi, pj}); return static_cast<int>(bars.size()); }
  void fix(int n) { for (int k = 1; k <= 6; ++k) restrained.insert(6 * (n - 1) + k); }

  Model build() const {
    Model m;
    m.NMAT = 1;
    m.MATNOM.size_to(1); m.PESOVOL.size_to(1); m.MODELAST.size_to(1); m.RPOISSON.size_to(1);
    m.MATNOM(1) = "CONCRETO            "; m.PESOVOL(1) = gamma; m.MODELAST(1) = E; m.RPOISSON(1) = nu;
    m.NSEC = 1;
    m.SECNOM.size_to(1); m.SECMAT.size_to(1); m.AREASEC.size_to(1); m.Iy.size_to(1); m.Iz.size_to(1); m.IRot.size_to(1);
    m.SECNOM(1) = "S1                  "; m.SECMAT(1) = "CONCRETO            ";
    m.AREASEC(1) = A; m.Iy(1) = Iy; m.Iz(1) = Iz; m.IRot(1) = J;

    m.NN = static_cast<int>(nodes.size());
    m.NGL = 6 * m.NN;
    m.NB = static_cast<int>(bars.size());
    m.BARSEC.size_to(m.NB); m.PI.size_to(m.NB); m.PJ.size_to(m.NB); m.TIPO.size_to(m.NB);
    m.LONG.size_to(m.NB); m.COSDIR.size_to(m.NB, 3, 3); m.CARGASBARRA.size_to(m.NB, 6);
    for (int b = 1; b <= m.NB; ++b) {
      const Bar& br = bars[static_cast<std::size_t>(b - 1)];
      m.BARSEC(b) = "S1                  ";
      m.PI(b) = br.pi; m.PJ(b) = br.pj;
      const Node& a = nodes[static_cast<std::size_t>(br.pi - 1)];
      const Node& c = nodes[static_cast<std::size_t>(br.pj - 1)];
      double d[3] = {double(c.x) - double(a.x), double(c.y) - double(a.y), double(c.z) - double(a.z)};
      double L = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      double u1[3] = {d[0] / L, d[1] / L, d[2] / L}, u2[3], u3[3];
      if (std::fabs(u1[0]) < 1e-12 && std::fabs(u1[1]) < 1e-12) {
        u2[0] = 0; u2[1] = 1; u2[2] = 0;  // vertical bar
      } else {
        double n = std::sqrt(u1[0] * u1[0] + u1[1] * u1[1]);  // ez x u1, normalised
        u2[0] = -u1[1] / n; u2[1] = u1[0] / n; u2[2] = 0;
      }
      u3[0] = u1[1] * u2[2] - u1[2] * u2[1];
      u3[1] = u1[2] * u2[0] - u1[0] * u2[2];
      u3[2] = u1[0] * u2[1] - u1[1] * u2[0];
      m.LONG(b) = static_cast<float>(L);
      for (int k = 1; k <= 3; ++k) {
        m.COSDIR(b, 1, k) = static_cast<float>(u1[k - 1]);
        m.COSDIR(b, 2, k) = static_cast<float>(u2[k - 1]);
        m.COSDIR(b, 3, k) = static_cast<float>(u3[k - 1]);
      }
    }

    m.NUMGL.size_to(m.NGL);
    m.NGRED = 0;
    for (int g = 1; g <= m.NGL; ++g)
      if (!restrained.count(g)) m.NUMGL(g) = ++m.NGRED;
    m.NR = static_cast<int>(area_reactions.size());
    m.MR = static_cast<int>(nodal_reactions.size());
    m.NREAC.size_to(m.NR);
    for (int i = 1; i <= m.NR; ++i) m.NREAC(i) = area_reactions[static_cast<std::size_t>(i - 1)];
    m.NREACN.size_to(m.MR);
    for (int i = 1; i <= m.MR; ++i) m.NREACN(i) = nodal_reactions[static_cast<std::size_t>(i - 1)];
    m.P.size_to(m.NGL);
    m.ACIM = 1.0f;
    m.NDIV = 4;
    return m;
  }
};

// Solves a*x = rhs (n x n, row-major) by Gaussian elimination with partial pivoting.
inline std::vector<double> solve_dense(std::vector<double> a, std::vector<double> rhs) {
  const std::size_t n = rhs.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t p = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(a[r * n + c]) > std::fabs(a[p * n + c])) p = r;
    for (std::size_t k = 0; k < n; ++k) std::swap(a[c * n + k], a[p * n + k]);
    std::swap(rhs[c], rhs[p]);
    for (std::size_t r = c + 1; r < n; ++r) {
      double f = a[r * n + c] / a[c * n + c];
      for (std::size_t k = c; k < n; ++k) a[r * n + k] -= f * a[c * n + k];
      rhs[r] -= f * rhs[c];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = n; i-- > 0;) {
    double s = rhs[i];
    for (std::size_t k = i + 1; k < n; ++k) s -= a[i * n + k] * x[k];
    x[i] = s / a[i * n + i];
  }
  return x;
}

// A solution of zeros: displacements by global degree of freedom, then the reactions.
inline Tab1<float> no_solution(const Model& m) {
  Tab1<float> DESP;
  DESP.size_to(m.NGL + m.NR + m.MR);
  return DESP;
}

// Solves the frame part of akr (columns 1..NGRED) for the reduced load `rhs`:
// the displacements by global degree of freedom.
inline Tab1<float> solve_frame(const Model& m, const Tab1<float>& rhs) {
  const int n = m.NGRED;
  std::vector<double> a(static_cast<std::size_t>(n) * n), r(static_cast<std::size_t>(n));
  for (int i = 1; i <= n; ++i) {
    r[static_cast<std::size_t>(i - 1)] = rhs(i);
    for (int j = 1; j <= n; ++j) a[static_cast<std::size_t>((i - 1) * n + (j - 1))] = m.akr(i, j);
  }
  std::vector<double> x = solve_dense(a, r);
  Tab1<float> DESP = no_solution(m);
  for (int g = 1; g <= m.NGL; ++g)
    DESP(g) = m.NUMGL(g) ? static_cast<float>(x[static_cast<std::size_t>(m.NUMGL(g) - 1)]) : 0.0f;
  return DESP;
}

}  // namespace korvant::testing
