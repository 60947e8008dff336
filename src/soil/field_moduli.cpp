// Field moduli: the laboratory modulus of every stratum under every reaction
// point scaled, by a power law of the stress ratio, from the laboratory stress
// to the stress that the foundation produces there.
#include <algorithm>
#include <cmath>
#include <string>

#include "model/analysis_passes.hpp"
#include "soil/soil.hpp"
#include "text/log.hpp"

namespace korvant {

namespace {

constexpr float kExponent = 0.42857146f;

// Field modulus for the field stress S; a stress that is not positive (zero,
// negative or not a number) keeps the laboratory modulus.
float field_modulus(LogDetail log, float s_lab, float S, float E) {
  if (S > 0.0f) return std::pow(s_lab / S, kExponent) * E;
  lst(log, "S_CPO NO POSITIVO, SE CONSERVA EL MODULO DE LABORATORIO");
  return E;
}

// A field modulus that the flexibility of a solved case would divide by, and
// that is not a number, infinite or zero, is kept as it comes; the console
// gets a warning naming the reaction point and the stratum.
void warn_if_unusable(OutFile& err, bool used, const char* which, int i, int k, float E) {
  if (!used || (std::isfinite(E) && E != 0.0f)) return;
  const char* value = std::isnan(E) ? "no es un número (NaN)" : std::isinf(E) ? "es infinito" : "es cero";
  lst(err, std::string("Aviso: el módulo de campo de ") + which + " del nodo " + std::to_string(i) + ", estrato " +
               std::to_string(k) + ", " + value + "; el análisis sigue con este valor");
}

void print_table(const Model& m, OutFile& rep, const Tab2<float>& t, int rows) {
  {
    Rec r(rep, "(30I10)");
    for (int i = 1; i <= m.NR; ++i) r << i;
  }
  const Layout& row = layout("(30F10.2)");
  for (int k = 1; k <= rows; ++k) {
    Rec r(rep, row);
    for (int i = 1; i <= m.NR; ++i) r << t(i, k);
  }
}

// Net pressure of the structure on the soil at the foundation level.
float net_pressure(const Model& m) { return m.qmax + m.PvCentro; }

}  // namespace

void field_moduli(Model& m, Log& log) {
  const float Pv = m.PvCentro;
  const float qneta = net_pressure(m);
  lst(log, "Pv=", Pv);
  lst(log, "qneta=", qneta);
  lst(log, "NR=", m.NR);
  lst(log, "Kp=", 0);

  // By reaction point: start from the laboratory moduli of profile number i
  // (zero beyond the profiles read). Row NCENTRO exists even without reactions.
  const int rows = std::max(m.NR, m.NCENTRO);
  m.ECAMPO1.size_to(rows, strata_width(m));
  m.ECAMPO2.size_to(rows, strata_width(m));
  for (int k = 1; k <= strata_width(m); ++k) {
    for (int i = 1; i <= rows; ++i) {
      m.ECAMPO1(i, k) = i <= m.E1.n1 && k <= m.E1.n2 ? m.E1(i, k) : 0.0f;
      m.ECAMPO2(i, k) = i <= m.E2.n1 && k <= m.E2.n2 ? m.E2(i, k) : 0.0f;
    }
  }
  // Central-node moduli by profile. Only profile 1 gets field moduli (below);
  // the other profiles keep their laboratory moduli, so that a reaction point
  // on them is not left with a zero modulus (an infinite compressibility).
  m.ECAMPOP1.size_to(std::max(m.NPS, 1), strata_width(m));
  m.ECAMPOP2.size_to(std::max(m.NPS, 1), strata_width(m));
  for (int k = 1; k <= strata_width(m); ++k) {
    for (int p = 2; p <= m.NPS; ++p) {
      m.ECAMPOP1(p, k) = p <= m.E1.n1 && k <= m.E1.n2 ? m.E1(p, k) : 0.0f;
      m.ECAMPOP2(p, k) = p <= m.E2.n1 && k <= m.E2.n2 ? m.E2(p, k) : 0.0f;
    }
  }

  for (int i = 1; i <= m.NR; ++i) {
    const int n = (m.NREAC(i) - 1) / 6 + 1;
    const int p = m.PERFCIM(n);
    const float D = m.DF(n);
    lst(detail(log), "EL GL DE LA REACCION", i, " ES:", m.NREAC(i));
    lst(detail(log), "NODO:", n);
    for (int k = 1; k <= m.NEST(p); ++k) {
      lst(detail(log), "Z1 ORIGINAL:", m.Z(p, k));
      lst(detail(log), "PROF=", m.PROF(p, k));
      lst(detail(log), "Df=", D);
      if (!(D < m.PROF(p, k))) continue;
      const float S1 = m.SUM_AINF(i, k) * std::fabs(Pv);
      m.ECAMPO1(i, k) = field_modulus(log, m.slab(p, k), S1, m.E1(p, k));
      const float S2 = m.SUM_AINF(i, k) * qneta;
      m.ECAMPO2(i, k) = field_modulus(log, m.slab(p, k), S2, m.E2(p, k));
    }
  }

  // Central-node moduli, for profile 1 only.
  const int nest1 = m.NPS >= 1 ? m.NEST(1) : 0;
  for (int k = 1; k <= nest1; ++k) {
    m.ECAMPOP1(1, k) = m.ECAMPO1(m.NCENTRO, k);
    m.ECAMPOP2(1, k) = m.ECAMPO2(m.NCENTRO, k);
  }
}

void write_field_moduli(const Model& m, OutFile& rep, OutFile& err) {
  const float Pv = m.PvCentro;
  const float qneta = net_pressure(m);
  lst(rep, "Pv=", Pv);
  lst(rep, "qneta=", qneta);
  lst(rep, "MÓDULOS DE CAMPO CALCULADOS");

  // Whether a solved pass divides by each table of field moduli: asked once, not per node and stratum.
  const bool divides_1 = divides_by(m, &Model::ECAMPO1), divides_2 = divides_by(m, &Model::ECAMPO2);
  int nest_rows = 0;  // strata rows printed: the largest NEST of the points' profiles
  for (int i = 1; i <= m.NR; ++i) {
    const int n = (m.NREAC(i) - 1) / 6 + 1;
    const int p = m.PERFCIM(n);
    const float D = m.DF(n);
    nest_rows = std::max(nest_rows, m.NEST(p));
    lst(rep, "PARA EL NODO DE REACCIÓN", i);
    for (int k = 1; k <= m.NEST(p); ++k) {
      if (!(D < m.PROF(p, k))) continue;
      lst(rep, "Nodo=", i, "ESTRATO=", k, "Val inf=", m.SUM_AINF(i, k));
      lst(rep, "s_lab=", m.slab(p, k), "S_CPO=", m.SUM_AINF(i, k) * std::fabs(Pv));
      lst(rep, "s_lab=", m.slab(p, k), "S_CPO=", m.SUM_AINF(i, k) * qneta);
      warn_if_unusable(err, divides_1, "expansión", i, k, m.ECAMPO1(i, k));
      warn_if_unusable(err, divides_2, "compresión", i, k, m.ECAMPO2(i, k));
      lst(rep, i, k, m.E1(p, k), m.ECAMPO1(i, k));
      lst(rep, i, k, m.E2(p, k), m.ECAMPO2(i, k));
    }
  }

  lst(rep, "MÓDULOS DE CAMPO, EXPANSIÓN");
  print_table(m, rep, m.ECAMPO1, nest_rows);
  { Lst empty(rep); }
  lst(rep, "MÓDULOS DE CAMPO, COMPRESIÓN INMEDIATA");
  print_table(m, rep, m.ECAMPO2, nest_rows);

  lst(rep, "Los módulos de campo a usar del nodo", m.NCENTRO, "son:");
  lst(rep, "Perfil=", 1);
  const int nest1 = m.NPS >= 1 ? m.NEST(1) : 0;
  for (int k = 1; k <= nest1; ++k)
    lst(rep, "Estrato=", k, "E elas=", m.ECAMPOP1(1, k), "E comp=", m.ECAMPOP2(1, k));
}

}  // namespace korvant
