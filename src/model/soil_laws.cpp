#include "model/soil_laws.hpp"

#include <cmath>

namespace korvant {

namespace {

// Influence value in direction d; the tables hold only the directions of the
// model, and a direction that is not there contributes 0.
float inf(const Tab4<float>& t, int i, int j, int k, int d) { return d <= t.n4 ? t(i, j, k, d) : 0.0f; }

// The vertical stress at stratum jj under reaction ii of the reactions
// RNL(NGRED + k) + HINC(k).
float vertical_stress(const Model& m, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC) {
  float sz = 0.0f;
  for (int k = 1; k <= m.NR; ++k) {
    const int g = 6 * k - 3;
    const float r = RNL(m.NGRED + k) + HINC(k);
    sz = sz + r * (inf(m.IZ, ii, jj, k, 1) + inf(m.IZ, ii, jj, k, 2)) * m.LONGITUD(g) / m.AREA(g);
  }
  return sz;
}

// The lines every nonlinear deformation logs once its stresses are known.
void log_stresses(const Model& m, LogDetail log, int ii, int jj, int KP, float sx, float sy, float sz) {
  lst(log, "sigmax(i,j)", ii, jj, sx);
  lst(log, "sigmaY(i,j)", ii, jj, sy);
  lst(log, "sigmaZ(i,j)", ii, jj, sz);
  lst(log, "Pz(kp,jj)", m.PZ(KP, jj));
  lst(log, "Anu(KP,jj)=", m.NU2(KP, jj));
}

// Demeneghi's law of immediate compressions: the three stresses of every
// reaction, the mean stress under load against the in-situ one.
float demeneghi_immediate(const Model& m, LogDetail log, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC,
                          int KP) {
  const int NGRED = m.NGRED;
  float sx = 0.0f, sy = 0.0f, sz = 0.0f;
  lst(log, "ng=", m.NGL, " NGRED", NGRED);
  for (int k = 1; k <= m.NR; ++k) {
    const int g = 6 * k - 3;
    const int npr = NGRED + k;
    lst(log, "NPOS=", g, " NPR=", npr);
    lst(log, "i=", ii, "j=", jj, "k=", k);
    lst(log, "aix(k)=", inf(m.IX, ii, jj, k, 1), inf(m.IX, ii, jj, k, 2));
    lst(log, "AR(k)=", m.AREA(g));
    lst(log, "r(k)=", RNL(npr));
    lst(log, "LR(k)=", m.LONGITUD(g));
    lst(log, "h(k)=", HINC(k));
    const float r = RNL(npr) + HINC(k);
    lst(log, "r+h=", r);
    const float L = m.LONGITUD(g), A = m.AREA(g);
    sx = sx + (inf(m.IX, ii, jj, k, 1) + inf(m.IX, ii, jj, k, 2)) * L * r / A;
    sy = sy + r * (inf(m.IY, ii, jj, k, 1) + inf(m.IY, ii, jj, k, 2)) * L / A;
    sz = sz + r * (inf(m.IZ, ii, jj, k, 1) + inf(m.IZ, ii, jj, k, 2)) * L / A;
  }
  log_stresses(m, log, ii, jj, KP, sx, sy, sz);
  const float PZ = m.PZ(KP, jj), NU = m.NU2(KP, jj), Ad = m.A2(KP, jj);
  const float p0 = (2.0f * m.KO(KP, jj) + 1.0f) * PZ / 3.0f;
  // A stratum that no reaction loads (above the foundation level, or under
  // reactions held at 0) has no stress ratio and settles nothing.
  const float s = sz == 0.0f ? 0.0f : (sx + sy) / sz;
  lst(log, "ssigmas=", s);
  const float c = 0.33333334f + 0.33333334f * s;
  lst(log, "A_Dem=", Ad);
  // The mean stress under load never goes below zero.
  float arg = sz * c + p0;
  if (arg < 0.0f) arg = 0.0f;
  const float Q = (1.0f - NU * s) * (std::sqrt(arg) - std::sqrt(p0)) / (std::sqrt(m.VALNL) * 0.5f * Ad * c);
  const float def = (1.0f - std::exp(-Q)) * m.H(KP, jj);
  lst(log, "DEF=", def);
  return def;
}

// The nonlinear form of primary consolidation, in clay: the vertical stress only.
float demeneghi_primary(const Model& m, LogDetail log, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC,
                          int KP) {
  if (m.TIPOEST(KP, jj) != 2) return 0.0f;
  lst(log, "caso 3");
  const float sz = vertical_stress(m, ii, jj, RNL, HINC);
  log_stresses(m, log, ii, jj, KP, 0.0f, 0.0f, sz);
  const float Ad = m.Ap(KP, jj);
  lst(log, "A_Dem=", Ad);
  const float expo = std::exp(sz / (-m.VALNL * Ad));
  lst(log, "expo=", expo);
  const float def = (1.0f - expo) * m.H(KP, jj);
  lst(log, "DEF=", def);
  return def;
}

// The nonlinear form of secondary consolidation, in clay: that of primary
// consolidation with Acs, times log10(1 + psi·T).
float demeneghi_secondary(const Model& m, LogDetail log, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC,
                          int KP) {
  if (m.TIPOEST(KP, jj) != 2) return 0.0f;
  lst(log, "caso 4");
  const float sz = vertical_stress(m, ii, jj, RNL, HINC);
  log_stresses(m, log, ii, jj, KP, 0.0f, 0.0f, sz);
  const float Ad = m.Acs(KP, jj);
  lst(log, "A_Dem=", Ad);
  const float expo = std::exp(sz / (-m.VALNL * Ad));
  lst(log, "psi=", m.psi(KP, jj));
  lst(log, "T=", m.T(KP, jj));
  lst(log, "expo=", expo);
  const float ct = (1.0f - expo) * m.H(KP, jj);
  lst(log, "ct=", ct);
  const float res = m.psi(KP, jj) * m.T(KP, jj);
  lst(log, "res=", res);
  const float def = std::log10(1.0f + res) * ct;
  lst(log, "DEF=", def);
  return def;
}

// Secondary consolidation goes on with time: log10(1 + psi·T).
float creep(const Model& m, int KP, int k) { return std::log10(1.0f + m.psi(KP, k) * m.T(KP, k)); }

// Each law: its parameters, the places of E and NU among them, its log label,
// whether it logs its moduli, its time factor, its nonlinear deformation, the
// place of the parameter that divides it, and whether it acts on clay only.
const SoilLaw kImmediate{Law::immediate, 3, 0, 1, "en flsc, ESTRATO=", true, nullptr, nullptr, -1, false};
const SoilLaw kPrimary{Law::primary, 3, 0, -1, "en flsc_3, ESTRATO=", false, nullptr, demeneghi_primary, 1, true};
const SoilLaw kSecondary{Law::secondary, 4, 0, -1, "en flsc_4, ESTRATO=", false, creep, demeneghi_secondary, 1, true};
const SoilLaw kNonlinear{Law::nonlinear, 4, -1, -1, nullptr, false, nullptr, demeneghi_immediate, 3, false};

const CaseRow kRows[] = {
    {1,
     {&kImmediate, nullptr},
     {{"E1", &Model::E1}, {"NU1", &Model::NU1}, {"slab", &Model::slab}},
     3, "PROPIEDADES CASO 1", "(6X, A24)", "    E        NU    slab", "(4X, A16)", "   t/m2      ", "(8X, 3F8.2)",
     "el análisis de expansiones", nullptr},
    {2,
     {&kImmediate, &kNonlinear},
     {{"E2", &Model::E2}, {"NU2", &Model::NU2}, {"slab", &Model::slab}, {"KO", &Model::KO}, {"K", &Model::K2},
      {"N", &Model::N2}, {"A", &Model::A2}},
     7, "PROPIEDADES CASO 2", "(6X, A56)", "    E       NU    slab  KO       K       N     A", "(4X, A16)",
     "   t/m2      ", "(8X, 7F8.2)", "el análisis lineal de compresiones", "el análisis no lineal de compresiones"},
    {3,
     {&kPrimary, nullptr},
     {{"Emv", &Model::Emv}, {"Ap", &Model::Ap}, {"T", &Model::T}},
     3, "PROPIEDADES CASO 3", "(7X, A24)", "   Emv       Ap       T ", "(4X, A16)", "   m2/t      ", "(8X, 3F8.2)",
     "el análisis lineal de consolidación primaria", "el análisis no lineal de consolidación primaria"},
    {4,
     {&kSecondary, nullptr},
     {{"Emt", &Model::Emt}, {"Acs", &Model::Acs}, {"psi", &Model::psi}, {"T", &Model::T}},
     4, "PROPIEDADES CASO 4", "(7X, A32)", "   Emt      Acs      psi       T ", "(4X, A16)", "   m2/t      ",
     "(8X, 4F8.2)", "el análisis lineal de consolidación secundaria",
     "el análisis no lineal de consolidación secundaria"},
};

}  // namespace

const SoilLaw& soil_law(Law law) {
  switch (law) {
    case Law::immediate: return kImmediate;
    case Law::primary: return kPrimary;
    case Law::secondary: return kSecondary;
    case Law::nonlinear: break;
  }
  return kNonlinear;
}

std::span<const CaseRow> case_rows() { return kRows; }

const LawParameter* law_parameter(const CaseRow& row, const SoilLaw& law, int place) {
  if (place < 0) return nullptr;
  int first = 0;
  for (const SoilLaw* l : row.laws) {
    if (l == nullptr) break;
    if (l == &law) return &row.params[first + place];
    first += l->parameters;
  }
  return nullptr;
}

}  // namespace korvant
