// Soil flexibility of the isolated footings: each footing is a rigid circular
// plate of the same area on every stratum below its foundation level; the
// flexibility of a nodal reaction is the sum of the inverse rigidities of the
// plate for its kind of movement, placed on the diagonal of FLEX after the area
// reactions.
#include <cmath>
#include <string>

#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "soil/soil.hpp"

namespace korvant {

namespace {

// Entry of a (profile, stratum) table; an empty table reads as zeros.
float at_or_zero(const Tab2<float>& t, int p, int k) { return p <= t.n1 && k <= t.n2 ? t(p, k) : 0.0f; }

}  // namespace

void footing_rigidities(Model& m, Log& log, const Tab2<float>& Emod, const Tab2<float>& NU) {
  const int n = m.NR + m.MR;
  if (m.FLEX.n1 != n || m.FLEX.n2 != n) m.FLEX.size_to(n, n);
  const Layout& strat = layout("(6F10.6)");

  lst(log, "FORMANDO MATRIZ DE FLEXIBILIDADES, ZAPATAS AISLADAS");
  for (int i = 1; i <= m.MR; ++i) {
    const int g = m.NREACN(i);
    const int node = (g - 1) / 6 + 1;
    const int KP = m.PERFCIM(node);
    const float D = m.DF(node);
    lst(detail(log), "INVESTIGANDO REACCIÓN", i, " GL=", g);
    lst(detail(log), "PERTENECE AL NODO", node);

    // The footing of the node: the last one listed on it.
    int z = 0;
    for (int j = 1; j <= m.NZAP; ++j)
      if (m.NODZAP(j) == node) z = j;
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
    m.FLEX(m.NR + i, m.NR + i) = flex;
  }

  lst(log, "MATRIZ DE FLEXIBILIDADES, ZAPATAS CORRIDAS+AISLADAS");
  const Layout& row = layout("(20F20.8)");
  for (int r = 1; r <= n; ++r) {
    LogRec rec(detail(log), row);
    for (int c = 1; c <= n; ++c) rec << m.FLEX(r, c);
  }
}

}  // namespace korvant
