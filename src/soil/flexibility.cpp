// Soil flexibility matrix: the settlement under each area reaction for a unit
// value of every reaction, summed over the strata below the foundation level.
#include <algorithm>
#include <cmath>

#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "soil/soil.hpp"
#include "text/progress.hpp"

namespace korvant {

namespace {

// The share of the sum of the three normal stresses that a reaction adds to
// the mean pressure of the iterative analysis: a third of the sum is their
// mean, and the method takes half of that (1/6 in single precision).
constexpr float kSixth = 0.16666667f;

// x if x > 0, else +0 (so -0 and NaN give +0).
float pos(float x) { return x > 0.0f ? x : 0.0f; }

// Sum of the two direction parts of an influence table.
float both(const Tab4<float>& t, int i, int k, int l) { return dir_part(t, i, k, l, 1) + dir_part(t, i, k, l, 2); }

void size_flex(const Model& m, Tab2<float>& FLEX) {
  const int n = m.NR + m.MR;
  if (FLEX.n1 != n || FLEX.n2 != n) FLEX.size_to(n, n);
}

// The whole matrix: detail of the log.
void log_matrix(const Tab2<float>& FLEX, Log& log, int n) {
  if (!log.keeps(LogLine::detail)) return;
  const Layout& row = layout("(20F20.8)");
  for (int i = 1; i <= n; ++i) {
    LogRec r(detail(log), row);
    for (int l = 1; l <= n; ++l) r << FLEX(i, l);
  }
}

// The four lines that name the length and area of column l's reaction, on
// degree of freedom g (reaction j is on node j, so only j = l can hold g);
// detail of the log.
void log_column(const Model& m, Log& log, int l, int g) {
  if (!log.keeps(LogLine::detail) || l < 1 || l > m.NR || m.NREAC(l) != g) return;
  lst(detail(log), "posicion ", g);
  lst(detail(log), "DO J", l);
  lst(detail(log), "AREA DE REACCION=", m.AREA(g));
  lst(detail(log), "LONGITUD DE REACCION=", m.LONGITUD(g));
}

// The lines that close the contribution of stratum k to FLEX(I, l): the
// compressibility, thickness, vertical influences, length and area, then the
// influence value and the running sum.
void log_contribution(const Model& m, Log& log, float mc, float h, int I, int k, int l, int g, const char* ainf_label,
                      float ainf, float SUMA) {
  if (!log.keeps(LogLine::detail)) return;
  {
    LogRec r(detail(log), "(6F10.6, I5)");
    r << mc << h << dir_part(m.IZ, I, k, l, 1) << dir_part(m.IZ, I, k, l, 2) << m.LONGITUD(g) << m.AREA(g) << k;
  }
  lst(detail(log), ainf_label, I, l, k, ainf);
  lst(detail(log), "SUMA=", SUMA);
}

// The influence value of stratum k under row I for column l: with Poisson's
// ratio the horizontal stresses count and the value is not clipped; without,
// only the vertical stress, clipped at 0.
float influence(const Model& m, const Tab2<float>* NU, int I, int k, int l, int KP) {
  if (NU == nullptr) return pos(both(m.IZ, I, k, l));
  return both(m.IZ, I, k, l) - (*NU)(KP, k) * (pos(both(m.IX, I, k, l)) + pos(both(m.IY, I, k, l)));
}

// With layered footings: the settlement under area reaction I for a unit
// vertical reaction of each footing, a uniform pressure on the footing's
// rectangle (influence rectangle NR+f, direction 1), by the same law.
void footing_columns(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>* NU,
                     int nflag1, int I, Tab2<float>& FLEX) {
  const int node = (m.NREAC(I) - 1) / 6 + 1;
  const int KP = m.PERFCIM(node);
  const float D = m.DF(node);
  for (int f = 1; f <= m.NRZ; ++f) {
    const int i = m.ZREAC(f);
    const int z = footing_at(m, (m.NREACN(i) - 1) / 6 + 1);
    const float q = 1.0f / (m.ANCHO(z) * m.LARGO(z));
    const int l = m.NR + f;
    float SUMA = 0.0f;
    bool first = true;
    for (int k = 1; k <= m.NEST(KP); ++k) {
      if (!(D < m.PROF(KP, k))) continue;
      const float modulus = nflag1 == 2 ? Emod(node, k) : Emod(KP, k);
      const float h = first ? m.PROF(KP, k) - D : m.H(KP, k);
      first = false;
      const float ainf = influence(m, NU, I, k, l, KP);
      float term = 1.0f / modulus * h * ainf * q;
      if (law.time_factor != nullptr) term = term * law.time_factor(m, KP, k);
      SUMA = SUMA + term;
      lst(detail(log), "ACOPLAMIENTO", I, m.NR + i, k, "AINF=", ainf, "SUMA=", SUMA);
    }
    FLEX(I, m.NR + i) = SUMA;
  }
}

// The rows of a flexibility matrix are taken in blocks (one row at a time with
// the log's detail): the progress, the heading of the block's row when the
// log keeps detail, and the block's last row.
int start_row_block(const Model& m, Log& log, bool detail_lines, int I0, int block) {
  progress_fraction(I0 - 1, m.NR);
  if (detail_lines) {
    lst(detail(log), "I=", I0, "NREAC(I)=", m.NREAC(I0));
    lst(detail(log), "NODO=", (m.NREAC(I0) - 1) / 6 + 1, " PERFIL", m.PERFCIM((m.NREAC(I0) - 1) / 6 + 1));
  }
  return std::min(m.NR, I0 + block - 1);
}

}  // namespace

// One routine for every law with a linear form: the same loops, the law's
// deformation of each stratum. Each entry FLEX(I, l) is its own sum over the
// strata; the rows are taken in blocks, and within a block column by column,
// so that the influence tables and FLEX (both with the row index running
// fastest) are read in order. With the log's detail the block is one row, in
// the order the log follows.
void FLSC(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>* NU, int nflag1,
          Tab2<float>& FLEX) {
  size_flex(m, FLEX);

  lst(log, "FORMANDO MATRIZ DE FLEXIBILIDADES");
  if (law.logs_modulus) lst(log, "nflag1=", nflag1);

  const bool detail_lines = log.keeps(LogLine::detail);
  const int block = detail_lines ? 1 : 64;
  for (int I0 = 1; I0 <= m.NR; I0 += block) {
    const int I1 = start_row_block(m, log, detail_lines, I0, block);
    for (int l = 1; l <= m.NR; ++l) {
      const int g = 6 * l - 3;
      log_column(m, log, l, g);
      for (int I = I0; I <= I1; ++I) {
        const int node = (m.NREAC(I) - 1) / 6 + 1;
        const int KP = m.PERFCIM(node);
        const float D = m.DF(node);
        float SUMA = 0.0f;
        bool first = true;
        for (int k = 1; k <= m.NEST(KP); ++k) {
          if (detail_lines) lst(detail(log), law.stratum_label, k, " DF(NODO)=", D, "PROF ESTRATO=", m.PROF(KP, k));
          if (!(D < m.PROF(KP, k))) continue;

          // The field moduli of each node are by reaction point, the others by profile.
          const float modulus = nflag1 == 2 ? Emod(node, k) : Emod(KP, k);
          const float mc = 1.0f / modulus;  // compressibility

          // The first stratum below the foundation counts from the foundation level down.
          const float h = first ? m.PROF(KP, k) - D : m.H(KP, k);
          first = false;

          const float ainf = influence(m, NU, I, k, l, KP);
          float term = m.LONGITUD(g) * mc * h * ainf / m.AREA(g);
          if (law.time_factor != nullptr) term = term * law.time_factor(m, KP, k);
          SUMA = SUMA + term;

          if (law.logs_modulus && detail_lines) lst(detail(log), "AMZ(KP,J)=", mc);
          log_contribution(m, log, mc, h, I, k, l, g, "AINF", ainf, SUMA);
        }
        FLEX(I, l) = SUMA;
      }
      if (detail_lines) lst(detail(log), "almacenando para nudo y reacción", I0, l);
    }
    if (m.NRZ > 0)
      for (int I = I0; I <= I1; ++I) footing_columns(m, log, law, Emod, NU, nflag1, I, FLEX);
  }

  lst(log, "MATRIZ DE FLEXIBILIDADES");
  log_matrix(FLEX, log, m.NR);
}

// Immediate compressions with the modulus of each stratum evaluated at the
// stress that the current reactions QREAC add to the in-situ mean pressure.
void FNLCC(const Model& m, Log& log, const Tab1<float>& QREAC, Tab2<float>& FLEX) {
  size_flex(m, FLEX);
  FLEX.fill(0.0f);

  lst(log, "FORMANDO MATRIZ DE FLEXIBILIDADES");
  // Rows in blocks, each block column by column, as in FLSC.
  const bool detail_lines = log.keeps(LogLine::detail);
  const int block = detail_lines ? 1 : 64;
  for (int I0 = 1; I0 <= m.NR; I0 += block) {
    const int I1 = start_row_block(m, log, detail_lines, I0, block);
    for (int l = 1; l <= m.NR; ++l) {
      const int g = 6 * l - 3;
      log_column(m, log, l, g);
      for (int I = I0; I <= I1; ++I) {
        const int node = (m.NREAC(I) - 1) / 6 + 1;
        const int KP = m.PERFCIM(node);
        const float D = m.DF(node);
        float SUMA = 0.0f;
        for (int k = 1; k <= m.NEST(KP); ++k) {
          if (!(D < m.PROF(KP, k))) continue;
          const float h = m.H(KP, k);
          const float S = pos(both(m.IY, I, k, l)) + both(m.IZ, I, k, l) + pos(both(m.IX, I, k, l));
          const float p0 = (2.0f * m.KO(KP, k) + 1.0f) * m.PZ(KP, k) / 3.0f;
          const float sigma = kSixth * QREAC(I) * m.LONGITUD(g) * S / m.AREA(g) + p0;
          const float E = m.K2(KP, k) * m.VALNL * std::pow(sigma / m.VALNL, m.N2(KP, k));
          const float ainf = pos(both(m.IZ, I, k, l));
          const float inv = 1.0f / E;
          SUMA = SUMA + m.LONGITUD(g) * h * inv * ainf / m.AREA(g);

          if (!detail_lines) continue;
          lst(detail(log), 0.0f, S, m.LONGITUD(g), QREAC(I), m.AREA(g), p0);
          lst(detail(log), sigma, S, m.LONGITUD(g), QREAC(I), m.AREA(g), p0);
          lst(detail(log), "EL MODULO E ES", E);
          log_contribution(m, log, inv, h, I, k, l, g, "AINF=", ainf, SUMA);
        }
        FLEX(I, l) = SUMA;
      }
      if (detail_lines) lst(detail(log), "almacenando para nudo y reacción", I0, l);
    }
  }

  lst(log, "MATRIZ DE FLEXIBILIDADES");
  log_matrix(FLEX, log, m.NR);
}

}  // namespace korvant
