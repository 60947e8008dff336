// Small hand-built models for the soil tests.
#pragma once

#include "model/model.hpp"
#include "text/files.hpp"

namespace korvant::testing {

using korvant::Model;

// NR foundation nodes 1..NR along X, 2 m apart, each with a 0.5 m wide contact
// rectangle around it in direction 1; one profile with the given strata
// (thickness, Poisson's ratio). Foundation depth D at every node.
inline void foundation(Model& m, int NR, float D, std::initializer_list<float> thick, float nu = 0.3f) {
  m.NN = NR + 1;
  m.NGL = 6 * m.NN;
  m.NR = NR;
  m.NCENTRO = NR / 2 + 1;
  m.NREAC.size_to(NR);
  for (int i = 1; i <= NR; ++i) m.NREAC(i) = 6 * i - 3;
  m.PERFCIM.size_to(m.NN);
  m.PERFIL.size_to(m.NN);
  m.DF.size_to(m.NN);
  m.XR.size_to(m.NN);
  m.YR.size_to(m.NN);
  m.Xi.size_to(m.NN, 2);
  m.Yi.size_to(m.NN, 2);
  m.Xf.size_to(m.NN, 2);
  m.Yf.size_to(m.NN, 2);
  m.LONGITUD.size_to(m.NGL);
  m.AREA.size_to(m.NGL);
  m.NDIRS = 1;
  for (int n = 1; n <= NR; ++n) {
    m.PERFCIM(n) = m.PERFIL(n) = 1;
    m.DF(n) = D;
    m.XR(n) = 2.0f * static_cast<float>(n - 1);
    m.Xi(n, 1) = m.XR(n) - 1.0f;
    m.Xf(n, 1) = m.XR(n) + 1.0f;
    m.Yi(n, 1) = -0.25f;
    m.Yf(n, 1) = 0.25f;
    m.LONGITUD(6 * n - 3) = 2.0f;
    m.AREA(6 * n - 3) = 1.0f;
  }
  m.NPS = 1;
  m.NEST.size_to(1);
  m.NEST(1) = static_cast<int>(thick.size());
  for (auto* t : {&m.H, &m.GAMA, &m.Z, &m.PROF, &m.PZ, &m.PV, &m.E1, &m.NU1, &m.slab, &m.E2, &m.NU2, &m.KO, &m.K2,
                  &m.N2, &m.A2, &m.Emv, &m.Ap, &m.Emt, &m.Acs, &m.psi, &m.T})
    t->size_to(1, 50);
  float d = 0.0f;
  int k = 0;
  for (float h : thick) {
    ++k;
    m.H(1, k) = h;
    m.Z(1, k) = h * 0.5f + d;
    d = d + h;
    m.PROF(1, k) = d;
    m.NU1(1, k) = m.NU2(1, k) = nu;
  }
}

}  // namespace korvant::testing
