// Soil flexibility of the isolated footings: each footing is a rigid circular
// plate of the same area on every stratum below its foundation level; the
// flexibility of a nodal reaction is the sum of the inverse rigidities of the
// plate for its kind of movement, placed on the diagonal of FLEX after the area
// reactions.
#include <algorithm>
#include <cmath>
#include <vector>
#include <string>

#include "text/fatal.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "soil/layered_soil.hpp"
#include "soil/soil.hpp"

namespace korvant {

namespace {

// Entry of a (profile, stratum) table; an empty table reads as zeros.
float at_or_zero(const Tab2<float>& t, int p, int k) { return p <= t.n1 && k <= t.n2 ? t(p, k) : 0.0f; }

}  // namespace

int footing_at(const Model& m, int node) {
  int z = 0;
  for (int j = 1; j <= m.NZAP; ++j)
    if (m.NODZAP(j) == node) z = j;
  return z;
}

namespace {

// The depth of soil below the foundation level of a node (0 when none).
double soil_below(const Model& m, int KP, float D) {
  const int n = m.NEST(KP);
  return n >= 1 && D < m.PROF(KP, n) ? static_cast<double>(m.PROF(KP, n)) - static_cast<double>(D) : 0.0;
}

// The time factor of stratum (KP, k) by a law that has one (secondary
// consolidation: log10(1 + psi T), here in double precision), else 1.
double time_factor(const Model& m, const SoilLaw& law, int KP, int k) {
  if (law.time_factor == nullptr) return 1.0;
  return std::log10(1.0 + static_cast<double>(m.psi(KP, k)) * static_cast<double>(m.T(KP, k)));
}

// The settlement under the vertical footing reaction i (influence point NR+f)
// for a unit value of every other reaction: the contact areas and the other
// footings' rectangles, through the influence values, with the footing's own
// modulus and Poisson's ratio.
void footing_row(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>& NU,
                 Tab2<float>& FLEX, int i, int f,
                 const std::vector<int>& point_of) {
  const int node = (m.NREACN(i) - 1) / 6 + 1;
  const int KP = m.PERFCIM(node);
  const float D = m.DF(node);
  const int j = m.NR + f;
  const bool with_poisson = law.poisson >= 0;
  for (int c = 1; c <= m.NR + m.MR; ++c) {
    if (c == m.NR + i) continue;
    int l;        // the column's rectangle in the influence tables
    float q;      // its pressure per unit reaction
    if (c <= m.NR) {
      const int g = 6 * c - 3;
      l = c;
      q = m.LONGITUD(g) / m.AREA(g);
    } else {
      const int fc = point_of[static_cast<std::size_t>(c - m.NR)];
      if (fc == 0) continue;  // a horizontal or rocking reaction loads no area
      const int z = footing_at(m, (m.NREACN(c - m.NR) - 1) / 6 + 1);
      l = m.NR + fc;
      q = 1.0f / (m.ANCHO(z) * m.LARGO(z));
    }
    float SUMA = 0.0f;
    bool first = true;
    for (int k = 1; k <= m.NEST(KP); ++k) {
      if (!(D < m.PROF(KP, k))) continue;
      const float h = first ? m.PROF(KP, k) - D : m.H(KP, k);
      first = false;
      const float sz = dir_part(m.IZ, j, k, l, 1) + dir_part(m.IZ, j, k, l, 2);
      const float sx = dir_part(m.IX, j, k, l, 1) + dir_part(m.IX, j, k, l, 2);
      const float sy = dir_part(m.IY, j, k, l, 1) + dir_part(m.IY, j, k, l, 2);
      const float nu = at_or_zero(NU, KP, k);
      const float ainf = with_poisson ? sz - nu * ((sx > 0.0f ? sx : 0.0f) + (sy > 0.0f ? sy : 0.0f)) : (sz > 0.0f ? sz : 0.0f);
      float term = 1.0f / Emod(KP, k) * h * ainf * q;
      if (law.time_factor != nullptr) term = term * static_cast<float>(time_factor(m, law, KP, k));
      SUMA = SUMA + term;
      lst(detail(log), "ACOPLAMIENTO", m.NR + i, c, k, "AINF=", ainf, "SUMA=", SUMA);
    }
    FLEX(m.NR + i, c) = SUMA;
  }
}

// Springs from the layered soil, and the rows of the vertical reactions.
void layered_footings(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>& NU,
                      Tab2<float>& FLEX) {
  lst(log, "METODO: ESTRATIFICADO (STEINBRENNER/GAZETAS)");
  // The influence point of each vertical footing reaction (0: none).
  std::vector<int> point_of(static_cast<std::size_t>(m.MR) + 1, 0);
  for (int f = 1; f <= m.NRZ; ++f) point_of[static_cast<std::size_t>(m.ZREAC(f))] = f;

  for (int i = 1; i <= m.MR; ++i) {
    const int g = m.NREACN(i);
    const int node = (g - 1) / 6 + 1;
    const int t = g - 6 * (node - 1);
    const int KP = m.PERFCIM(node);
    const float D = m.DF(node);
    lst(detail(log), "INVESTIGANDO REACCIÓN", i, " GL=", g);
    lst(detail(log), "PERTENECE AL NODO", node);
    const int z = footing_at(m, node);
    lst(detail(log), "LA ZAPATA", z, " TIENE DIMENSIONES", m.ANCHO(z), m.LARGO(z));
    const RectFooting r(m.ANCHO(z), m.LARGO(z));
    lst(detail(log), "AREA DE LA ZAPATA", r.A);
    lst(detail(log), r.long_x ? "EJE LARGO: X" : "EJE LARGO: Y");
    lst(detail(log), "RADIOS RA RX RY RT=", r.RA, r.RX, r.RY, r.RT);

    double flex = 0.0;
    for (int k = 1; k <= m.NEST(KP); ++k) {
      if (!(D < m.PROF(KP, k))) continue;
      const StratumSpan s = stratum_span(k > 1 ? m.PROF(KP, k - 1) : 0.0f, m.PROF(KP, k), D);
      if (!(s.zb > s.zt)) continue;  // a stratum of no thickness adds nothing
      const double tau = time_factor(m, law, KP, k);
      const FootingTerm term = footing_term(r, t, s.zt, s.zb, Emod(KP, k), at_or_zero(NU, KP, k), tau);
      flex += term.f;
      lst(detail(log), "ESTRATO", k, "ZSUP=", s.zt, "ZINF=", s.zb);
      if (t == 3) lst(detail(log), "INFL=", term.infl);
      else lst(detail(log), "PESO=", term.w, "K SEMIESPACIO=", term.K);
      if (law.time_factor != nullptr) lst(detail(log), "FACTOR TIEMPO=", tau);
      lst(detail(log), "SUMA=", flex);
    }
    const double depth = soil_below(m, KP, D);
    if (depth == 0.0) lst(detail(log), "ZAPATA SIN ESTRATOS BAJO EL DESPLANTE");
    else if (depth < (t == 3 ? r.RA : r.radius(t))) lst(detail(log), "H/R<1: FUERA DE VALIDEZ");

    lst(detail(log), "almacenando para la reaccion", i);
    if (t == 1 || t == 2) lst(detail(log), "SE TIENE UNA RIGIDEZ HORIZONTAL", "  GL=", t);
    else if (t == 3) lst(detail(log), "SE TIENE UNA RIGIDEZ VERTICAL", "  GL=", t);
    else if (t == 6) lst(detail(log), "SE TIENE UNA RIGIDEZ A TORSIÓN", "  GL=", t);
    else lst(detail(log), "SE TIENE UNA RIGIDEZ POR ROTACIÓN", "  GL=", t);
    FLEX(m.NR + i, m.NR + i) = static_cast<float>(flex);
    if (t == 3) footing_row(m, log, law, Emod, NU, FLEX, i, point_of[static_cast<std::size_t>(i)], point_of);
  }
}

}  // namespace

void layered_footing_warnings(const Model& m, std::vector<std::string>& out) {
  if (!m.method.layered_footings()) return;
  for (int z = 1; z <= m.NZAP; ++z) {
    const int node = m.NODZAP(z);
    if (footing_at(m, node) != z) continue;
    bool has = false;
    for (int i = 1; i <= m.MR; ++i) has = has || (m.NREACN(i) - 1) / 6 + 1 == node;
    if (!has) continue;
    const int KP = m.PERFCIM(node);
    const double depth = soil_below(m, KP, m.DF(node));
    const RectFooting r(m.ANCHO(z), m.LARGO(z));
    const std::string name = "la zapata " + std::to_string(z) + " (nodo " + std::to_string(node) + ")";
    if (depth == 0.0)
      out.push_back(name + " no tiene estratos bajo su desplante: se toma como apoyo rígido");
    else if (depth < std::max({r.RA, r.RX, r.RY, r.RT}))
      out.push_back(name + " tiene bajo su desplante " + real_text(static_cast<float>(depth)) +
                    " m de suelo, menos que su radio: sus rigideces salen de fórmulas fuera de su validez");
  }
}

void footing_rigidities(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>& NU,
                        Tab2<float>& FLEX) {
  const int n = m.NR + m.MR;
  if (FLEX.n1 != n || FLEX.n2 != n) FLEX.size_to(n, n);
  const Layout& strat = layout("(6F10.6)");

  lst(log, "FORMANDO MATRIZ DE FLEXIBILIDADES, ZAPATAS AISLADAS");
  if (m.method.layered_footings()) layered_footings(m, log, law, Emod, NU, FLEX);
  for (int i = 1; !m.method.layered_footings() && i <= m.MR; ++i) {
    const int g = m.NREACN(i);
    const int node = (g - 1) / 6 + 1;
    const int KP = m.PERFCIM(node);
    const float D = m.DF(node);
    lst(detail(log), "INVESTIGANDO REACCIÓN", i, " GL=", g);
    lst(detail(log), "PERTENECE AL NODO", node);

    // The footing of the node: the last one listed on it.
    const int z = footing_at(m, node);
    if (z == 0) {
      reject_model(m, "reacción nodal " + std::to_string(i) + " del nodo " + std::to_string(node),
                   "el nodo no tiene zapata aislada; se esperaba una zapata en el nodo", node);
    }
    lst(detail(log), "LA ZAPATA", z, " TIENE DIMENSIONES", m.ANCHO(z), m.LARGO(z));
    const float A = m.ANCHO(z) * m.LARGO(z);
    lst(detail(log), "AREA DE LA ZAPATA", A);
    const float R = std::sqrt(A / 3.1415927f);  // radius of the circle of the same area

    float Sv = 0.0f, Sh = 0.0f, Sr = 0.0f;
    for (int l = 1; l <= m.NEST(KP); ++l) {
      const float nu = at_or_zero(NU, KP, l);
      lst(detail(log), "ESTRATO", l);
      { LogRec r(detail(log), strat); r << m.H(KP, l) << nu; }
      lst(detail(log), "prof=", m.PROF(KP, l), "  df=", D);
      if (!(D < m.PROF(KP, l))) continue;

      const float E = Emod(KP, l);
      const float Kv = 2.0f * E * R / (1.0f - nu * nu);
      const float G = E / (2.0f * (1.0f + nu));
      const float Kh = 32.0f * R * (1.0f - nu) * G / (7.0f - 8.0f * nu);
      const float Kr = G * 8.0f * (R * R * R) / (3.0f * (1.0f - nu));
      Sv += 1.0f / Kv;
      Sh += 1.0f / Kh;
      Sr += 1.0f / Kr;
      lst(detail(log), "RIGIDECES", Kv, Kh, Kr);
      lst(detail(log), "SUMAS (INVERSOS):", Sv, Sh, Sr);
    }

    lst(detail(log), "almacenando para la reaccion", i);
    const int t = g - 6 * (node - 1);
    float flex;
    if (t == 1 || t == 2) {
      flex = Sh;
      lst(detail(log), "SE TIENE UNA RIGIDEZ HORIZONTAL", "  GL=", t);
    } else if (t == 3) {
      flex = Sv;
      lst(detail(log), "SE TIENE UNA RIGIDEZ VERTICAL", "  GL=", t);
    } else {
      flex = Sr;
      lst(detail(log), "SE TIENE UNA RIGIDEZ POR ROTACIÓN", "  GL=", t);
    }
    FLEX(m.NR + i, m.NR + i) = flex;
  }

  lst(log, "MATRIZ DE FLEXIBILIDADES, ZAPATAS CORRIDAS+AISLADAS");
  const Layout& row = layout("(20F20.8)");
  for (int r = 1; r <= n; ++r) {
    LogRec rec(detail(log), row);
    for (int c = 1; c <= n; ++c) rec << FLEX(r, c);
  }
  if (!m.method.layered_footings()) return;
  // The springs, which the matrix shows only as flexibilities.
  lst(log, "RESORTES DE LAS ZAPATAS: REACCION, NODO, GL, RIGIDEZ, FLEXIBILIDAD");
  for (int i = 1; i <= m.MR; ++i) {
    const int node = (m.NREACN(i) - 1) / 6 + 1;
    const float f = FLEX(m.NR + i, m.NR + i);
    put(detail(log), "(3I6, 2E14.5)", i, node, m.NREACN(i) - 6 * (node - 1), f != 0.0f ? 1.0f / f : 0.0f, f);
  }
}

}  // namespace korvant
