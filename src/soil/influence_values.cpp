// Influence values: the stresses that a unit pressure on the contact rectangle
// of every reaction produces at the middle of every stratum under every
// reaction point, and the file VALINF.
#include <algorithm>
#include <cstdint>
#include <string>

#include "text/fatal.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "text/progress.hpp"
#include "soil/layered_soil.hpp"
#include "soil/soil.hpp"

namespace korvant {

void reject_model(const Model& m, std::string_view item, std::string_view what, int node) {
  const int line = node >= 1 && node <= m.LINNODO.size() ? m.LINNODO(node) : 0;
  reject_data(m.DATOS, line, item, what);
}

namespace {

std::string num(int v) { return std::to_string(v); }

// Soil profile of a foundation node, checked against the profiles read.
void check_profile(const Model& m, int node, const char* kind) {
  const int p = m.PERFCIM(node);
  if (p < 1 || p > m.NPS) {
    reject_model(m, std::string("perfil de suelo del nodo ") + num(node) + " (" + kind + ")",
                 "se leyó " + num(p) + "; debe estar entre 1 y " + num(m.NPS) + " (NPS)", node);
  }
}

// The influence, flexibility and footing computations need: reaction i on the vertical displacement of node i (foundation nodes
// numbered first); a soil profile for every foundation node; a footing on the
// node of every nodal reaction.
void check_model(const Model& m) {
  for (int i = 1; i <= m.NR; ++i) {
    if (m.NREAC(i) != 6 * i - 3) {
      const int n = (m.NREAC(i) - 1) / 6 + 1;
      reject_model(m, "reacción de área " + num(i),
                   "está en el nodo " + num(n) + "; se esperaba el nodo " + num(i) +
                       " (los nodos de cimentación deben ser los primeros, 1 a " + num(m.NR) + ")",
                   n);
    }
    check_profile(m, i, "nodo de cimentación");
    // The settlements under a reaction are its load over its contact area.
    if (m.AREA(6 * i - 3) == 0.0f) {
      const std::string why =
          m.NLOS >= 1 ? "el nodo no es esquina de ninguna losa con sus cuatro bordes, y con losas el área de contacto "
                        "sale sólo de ellas"
                      : "las barras de cimentación que llegan al nodo no le dan área";
      reject_model(m, "área de contacto de la reacción del nodo " + num(i),
                   "resulta 0 (" + why + "); el suelo dividiría entre ella", i);
    }
  }
  for (int i = 1; i <= m.MR; ++i) {
    const int n = (m.NREACN(i) - 1) / 6 + 1;
    bool found = false;
    for (int j = 1; j <= m.NZAP; ++j) found = found || m.NODZAP(j) == n;
    if (!found) {
      reject_model(m, "reacción nodal " + num(i) + " del nodo " + num(n),
                   "el nodo no tiene zapata aislada; se esperaba una zapata en el nodo", n);
    }
    check_profile(m, n, "nodo con zapata aislada");
  }
}

}  // namespace

namespace {

// The reaction points and loaded rectangles of the influence tables: the NR
// area reactions (point and rectangle of node j), then, with layered
// footings, the NRZ vertical footing reactions (the node, and the footing's
// rectangle in direction 1 only).
struct InfluenceSet {
  const Model& m;
  int node(int j) const { return j <= m.NR ? (m.NREAC(j) - 1) / 6 + 1 : (m.NREACN(m.ZREAC(j - m.NR)) - 1) / 6 + 1; }
  float x(int j) const { return j <= m.NR ? m.XR(j) : m.COORD(node(j), 1); }
  float y(int j) const { return j <= m.NR ? m.YR(j) : m.COORD(node(j), 2); }
  // Rectangle l in direction d: x1, y1, x2, y2; false when it has none there.
  bool rect(int l, int d, float r[4]) const {
    if (l <= m.NR) {
      if (d > m.NDIRS) return false;
      r[0] = m.Xi(l, d), r[1] = m.Yi(l, d), r[2] = m.Xf(l, d), r[3] = m.Yf(l, d);
      return true;
    }
    if (d != 1) return false;
    const int n = node(l);
    int z = 0;
    for (int f = 1; f <= m.NZAP; ++f)
      if (m.NODZAP(f) == n) z = f;
    const float bx = m.ANCHO(z) * 0.5f, by = m.LARGO(z) * 0.5f;
    r[0] = m.COORD(n, 1) - bx, r[1] = m.COORD(n, 2) - by, r[2] = m.COORD(n, 1) + bx, r[3] = m.COORD(n, 2) + by;
    return true;
  }
};

// The vertical footing reactions that load the soil with layered footings.
void footing_points(Model& m) {
  m.NRZ = 0;
  if (!m.method.layered_footings()) return;
  for (int i = 1; i <= m.MR; ++i)
    if (m.NREACN(i) % 6 == 3) ++m.NRZ;
  m.ZREAC.size_to(m.NRZ);
  int f = 0;
  for (int i = 1; i <= m.MR; ++i)
    if (m.NREACN(i) % 6 == 3) m.ZREAC(++f) = i;
}

}  // namespace

void influence_values(Model& m, Log& log) {
  check_model(m);
  footing_points(m);

  const int NR = m.NR;
  const int NI = NR + m.NRZ;  // points and rectangles of the tables
  const bool integrated = m.method.integrated_strata();
  const InfluenceSet set{m};
  int nest_max = 1;
  for (int p = 1; p <= m.NPS; ++p) nest_max = std::max(nest_max, m.NEST(p));
  const int ndirs = std::max(m.NDIRS, 1);
  m.IX.size_to(NI, nest_max, NI, ndirs);
  m.IY.size_to(NI, nest_max, NI, ndirs);
  m.IZ.size_to(NI, nest_max, NI, ndirs);
  m.AINF.size_to(NI, nest_max, NI, ndirs);
  m.SUM_AINF.size_to(NI, nest_max);

  const Layout& bousi_args = layout("(7F10.4)");
  const Layout& values = layout("(3I8, 3X, 4F10.7)");

  // Footing rectangles load in direction 1, also in a model with no area reactions.
  const int dirs = m.NRZ > 0 ? std::max(m.NDIRS, 1) : m.NDIRS;
  for (int d = 1; d <= dirs; ++d) {
    lst(log, "EN LA DIRECCIÓN", d);

    for (int j = 1; j <= NI; ++j) {
      progress_fraction(static_cast<long>(d - 1) * NI + j - 1, static_cast<long>(dirs) * NI);
      const int n = set.node(j);
      const int p = m.PERFCIM(n);
      const float D = m.DF(n);
      if (j <= NR) lst(detail(log), "EL GL DE LA REACCION", j, " ES:", m.NREAC(j));
      else lst(detail(log), "LA REACCION NODAL", m.ZREAC(j - NR), " ES:", m.NREACN(m.ZREAC(j - NR)));
      lst(detail(log), "NODO:", n);
      lst(detail(log), "PERFIL ASIGNADO AL NODO:", p);
      lst(detail(log), "ESTRATOS DEL PERFIL:", m.NEST(p));
      int k0 = 0;  // first stratum whose bottom lies below the foundation level

      for (int k = 1; k <= m.NEST(p); ++k) {
        float z = m.Z(p, k);
        lst(detail(log), "Z1 ORIGINAL:", z);
        lst(detail(log), "PROF=", m.PROF(p, k));
        lst(detail(log), "Df=", D);
        if (!(D < m.PROF(p, k))) continue;

        if (k0 == 0) k0 = k;
        // Depth of the middle of the stratum below the foundation level (of the
        // part below it for the stratum the foundation rests in).
        if (m.PROF(p, k) == m.PROF(p, k0)) {
          z = (m.PROF(p, k0) - D) * 0.5f;
        } else if (m.PROF(p, k) > m.PROF(p, k0)) {
          z = (m.PROF(p, k) - D) - (m.PROF(p, k) - m.PROF(p, k - 1)) * 0.5f;
        }
        lst(detail(log), "Z1 AJUSTADO:", z);
        // The means over the stratum's thickness below the foundation level.
        const StratumSpan span = stratum_span(k > 1 ? m.PROF(p, k - 1) : 0.0f, m.PROF(p, k), D);
        const bool means = integrated && span.zb > span.zt;
        if (means) lst(detail(log), "ZSUP=", span.zt, "ZINF=", span.zb);

        const float nu = m.NU2(p, k);
        // The lines of each (point, stratum, reaction) are detail of the log.
        const bool detail_lines = log.keeps(LogLine::detail);
        for (int l = 1; l <= NI; ++l) {
          float r[4];
          if (!set.rect(l, d, r)) continue;
          if (detail_lines) {
            lst(detail(log), "antes de llamar a bousi");
            LogRec rec(detail(log), bousi_args);
            rec << set.x(j) << set.y(j) << z << r[0] << r[1] << r[2] << r[3];
          }
          float sx = 0.0f, sy = 0.0f, sz = 0.0f;
          if (means) {
            const StratumMeans s =
                stratum_means(corner_sum(set.x(j), set.y(j), r[0], r[1], r[2], r[3]), nu, span.zt, span.zb);
            sx = static_cast<float>(s.x);
            sy = static_cast<float>(s.y);
            sz = static_cast<float>(s.z);
            if (detail_lines) lst(detail(log), "SUBCAPAS=", s.sublayers);
          } else {
            bousi(nu, set.x(j), set.y(j), z, r[0], r[1], r[2], r[3], sx, sy, sz);
          }
          m.IX(j, k, l, d) = sx;
          m.IY(j, k, l, d) = sy;
          m.IZ(j, k, l, d) = sz;
          const float ainf = sz - (sx + sy) * nu;
          m.AINF(j, k, l, d) = ainf;
          // The field moduli sum the contact areas only.
          if (l <= NR) m.SUM_AINF(j, k) += ainf;
          if (detail_lines) {
            { LogRec rec(detail(log), values); rec << j << k << l << sx << sy << sz << ainf; }
            lst(detail(log), j, k, "SUM_AINF=", m.SUM_AINF(j, k));
          }
        }
      }
    }
  }
}

namespace {

// The lines of VALINF: the title (65 bytes with the count of directions), the
// line of the integrated strata, two headings per direction and one line of
// 3I8, 3X, 4F10.7 per point, stratum below the foundation and reaction.
constexpr std::uint64_t kValinfHead = 65, kValinfIntegrated = 37, kValinfDirection = 29 + 52, kValinfLine = 68;

// Value lines of one direction.
std::uint64_t valinf_lines(const Model& m) {
  std::uint64_t lines = 0;
  for (int j = 1; j <= m.NR; ++j) {
    const int n = (m.NREAC(j) - 1) / 6 + 1;
    const int p = n >= 1 && n <= m.PERFCIM.size() ? m.PERFCIM(n) : 0;
    if (p < 1 || p > m.NPS) continue;
    for (int k = 1; k <= m.NEST(p); ++k)
      if (m.DF(n) < m.PROF(p, k)) lines += static_cast<std::uint64_t>(m.NR);
  }
  return lines;
}

std::uint64_t valinf_headings(const Model& m) {
  return kValinfHead + (m.method.integrated_strata() ? kValinfIntegrated : 0) +
         static_cast<std::uint64_t>(std::max(m.NDIRS, 0)) * kValinfDirection;
}

// The text of the free-format line that stands for the values of a direction
// left out (the line is a blank, this text and the end of the line).
std::string omitted_text(std::uint64_t lines, std::uint64_t cap) {
  return "VALORES OMITIDOS: " + std::to_string(lines) + " renglones; el archivo completo pasaría de " +
         std::to_string(cap >> 20) + " MB (--memoria=resumida)";
}

}  // namespace

std::uint64_t valinf_bytes(const Model& m) {
  return valinf_headings(m) + static_cast<std::uint64_t>(std::max(m.NDIRS, 0)) * valinf_lines(m) * kValinfLine;
}

std::uint64_t valinf_bytes(const Model& m, std::uint64_t cap) {
  const std::uint64_t whole = valinf_bytes(m);
  if (whole <= cap) return whole;
  return valinf_headings(m) + static_cast<std::uint64_t>(std::max(m.NDIRS, 0)) *
                                  (omitted_text(valinf_lines(m), cap).size() + 2);
}

void write_influence_values(const Model& m, OutFile& vinf, std::uint64_t cap) {
  { Rec title(vinf, "(//15X, 'VALORES DE INFLUENCIA'/)"); }
  if (m.method.integrated_strata()) lst(vinf, "PROMEDIOS EN EL ESPESOR DEL ESTRATO");
  lst(vinf, m.NDIRS, "DIRECCIONES");
  const bool whole = valinf_bytes(m) <= cap;
  const std::string omitted = whole ? std::string() : omitted_text(valinf_lines(m), cap);
  const Layout& values = layout("(3I8, 3X, 4F10.7)");
  for (int d = 1; d <= m.NDIRS; ++d) {
    lst(vinf, "EN LA DIRECCIÓN", d);
    lst(vinf, "PUNTO ESTRATO REACCION      IX        IY        IZ");
    if (!whole) {
      lst(vinf, omitted);
      continue;
    }
    for (int j = 1; j <= m.NR; ++j) {
      const int n = (m.NREAC(j) - 1) / 6 + 1;
      const int p = m.PERFCIM(n);
      for (int k = 1; k <= m.NEST(p); ++k) {
        if (!(m.DF(n) < m.PROF(p, k))) continue;
        for (int l = 1; l <= m.NR; ++l) {
          Rec r(vinf, values);
          r << j << k << l << m.IX(j, k, l, d) << m.IY(j, k, l, d) << m.IZ(j, k, l, d) << m.AINF(j, k, l, d);
        }
      }
    }
  }
}

}  // namespace korvant
