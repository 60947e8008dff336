// Block 9, soil profiles: the strata of every profile with the properties of
// the cases switched on, echoed to the report with the depths and in-situ
// pressures that the soil model computes as each stratum is read, and the
// earth pressures and thrusts of each profile.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "soil/soil.hpp"
#include "model/analysis_passes.hpp"
#include "model/soil_laws.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

// Lines of the data file that hold the lines of one stratum: its head line and
// the property line of each case (0 when the case is off).
struct StratumLines {
  int head = 0;
  int row[5] = {0, 0, 0, 0, 0};  // by case number
};

std::string stratum_item(const char* name, int p, int k) {
  return std::string(name) + " del estrato " + std::to_string(k) + " del perfil " + std::to_string(p);
}

// Whether the run solves a pass of case `case_no` that `pick` chooses.
template <class Pick>
bool solves_any(const Model& m, int case_no, Pick pick) {
  for (const AnalysisPass& p : analysis_passes())
    if (p.case_no == case_no && solves(m, p) && pick(p)) return true;
  return false;
}
bool is_linear_pass(const AnalysisPass& p) { return p.solver == Solver::linear; }
bool field_pass(const AnalysisPass& p) { return p.nflag1 == 1 || p.nflag1 == 2; }
bool iterative_pass(const AnalysisPass& p) { return p.solver == Solver::iterative; }

// Values of profile p that the soil computations would divide by zero. The
// strata that count are those below the foundation of a reaction node on the
// profile (an area reaction or a nodal reaction of a footing) in the cases that
// are solved with them; the nonlinear settlement law takes every stratum of the
// profile of an area reaction.
void check_divisors(const DataReader& rd, const Model& m, int p, const std::vector<StratumLines>& lines) {
  auto fail = [&](int k, int case_no, const char* name, float v, const std::string& why) {
    const int line = lines[static_cast<std::size_t>(k)].row[case_no];
    rd.fail_at(line, stratum_item(name, p, k), "se leyó " + real_text(v) + "; " + why);
  };
  // A parameter the run divides by: zero has no value, a negative one no meaning.
  auto positive = [&](int k, int case_no, const char* name, float v, const std::string& why) {
    if (v > 0.0f) return;
    fail(k, case_no, name, v, (v == 0.0f ? "debe ser distinto de 0 (" : "no puede ser negativo (") + why + ")");
  };
  // The field moduli of an area reaction, E·(slab/S)^0.43, used by the linear
  // passes of field moduli; slab is named on the last line that holds it.
  bool field = false;
  int slab_row = 0;
  for (const CaseRow& r : case_rows()) {
    field = field || solves_any(m, r.case_no, field_pass);
    for (int i = 0; i < r.count; ++i)
      if (r.params[i].table == &Model::slab && m.CASO[r.case_no] == 1) slab_row = r.case_no;
  }

  auto check_node = [&](int n, bool footing) {
    const float D = m.DF(n);
    for (int k = 1; k <= m.NEST(p); ++k) {
      if (!(D < m.PROF(p, k))) continue;
      const std::string below = "el estrato está bajo la cimentación del nodo " + std::to_string(n) + " y ";
      // The modulus of each law that a linear pass solves with.
      for (const CaseRow& r : case_rows()) {
        if (!solves_any(m, r.case_no, is_linear_pass)) continue;
        for (const SoilLaw* law : r.laws) {
          const LawParameter* e = law != nullptr ? law_parameter(r, *law, law->modulus) : nullptr;
          if (e != nullptr && (m.*e->table)(p, k) == 0.0f)
            fail(k, r.case_no, e->name, 0.0f, "debe ser distinto de 0 (" + below + r.analysis + " divide entre él)");
        }
      }
      // The iterative analysis: E = K·VALNL·(sigma/VALNL)^N.
      for (const CaseRow& r : case_rows())
        if (!footing && solves_any(m, r.case_no, iterative_pass))
          positive(k, r.case_no, "K", m.K2(p, k),
                   below + "el análisis iterativo divide entre el módulo K·VALNL·(sigma/VALNL)^N");
      if (!footing && field && !(m.slab(p, k) > 0.0f))
        fail(k, slab_row, "slab", m.slab(p, k),
             "debe ser mayor que 0 (" + below + "los módulos de campo se calculan con el esfuerzo de laboratorio slab)");
    }
  };

  for (int i = 1; i <= m.NREAC.size(); ++i) {
    const int n = (m.NREAC(i) - 1) / 6 + 1;
    if (n < 1 || n > m.PERFCIM.size() || m.PERFCIM(n) != p) continue;
    check_node(n, false);
    // The nonlinear form of each law a nonlinear pass solves with, on every
    // stratum of the profile.
    for (int k = 1; k <= m.NEST(p); ++k) {
      const bool clay = m.TIPOEST(p, k) == 2;
      const std::string on = "el perfil está bajo la reacción del nodo " + std::to_string(n) + " y ";
      for (const CaseRow& r : case_rows()) {
        for (const SoilLaw* law : r.laws) {
          if (law == nullptr || (law->clay_only && !clay)) continue;
          const LawParameter* a = law_parameter(r, *law, law->divisor);
          const auto by_law = [&](const AnalysisPass& q) { return q.solver == Solver::nonlinear && q.law == law->law; };
          if (a == nullptr || !solves_any(m, r.case_no, by_law)) continue;
          positive(k, r.case_no, a->name, (m.*a->table)(p, k), on + r.nonlinear_analysis + " divide entre él");
        }
      }
    }
  }
  for (int i = 1; i <= m.NREACN.size(); ++i) {
    const int n = (m.NREACN(i) - 1) / 6 + 1;
    if (n < 1 || n > m.PERFCIM.size() || m.PERFCIM(n) != p) continue;
    check_node(n, true);
  }
}

// Values no soil has, in the cases switched on: a negative modulus or
// compressibility, a Poisson's ratio outside [0, 0.5], and psi·T at or below
// -1, whose logarithm log10(1 + psi·T) has no value.
void check_case_values(const DataReader& rd, const Model& m, int p, int k, const StratumLines& ln) {
  for (const CaseRow& r : case_rows()) {
    if (m.CASO[r.case_no] != 1) continue;
    const int line = ln.row[r.case_no];
    for (const SoilLaw* law : r.laws) {
      if (law == nullptr) continue;
      if (const LawParameter* e = law_parameter(r, *law, law->modulus))
        check_not_negative_real(rd, (m.*e->table)(p, k), stratum_item(e->name, p, k), line);
      if (const LawParameter* nu = law_parameter(r, *law, law->poisson)) {
        const float v = (m.*nu->table)(p, k);
        if (!(v >= 0.0f && v <= 0.5f))
          rd.fail_at(line, stratum_item(nu->name, p, k), "se leyó " + real_text(v) + "; debe estar entre 0 y 0.5");
      }
      if (law->time_factor != nullptr) {
        const float res = m.psi(p, k) * m.T(p, k);
        if (!(res > -1.0f))
          rd.fail_at(line, stratum_item("psi", p, k),
                     "psi·T = " + real_text(res) + "; debe ser mayor que -1 (el logaritmo de 1 + psi·T no tiene valor)");
      }
    }
  }
}

// The lines of stratum k of profile p: its head (number, type, thickness,
// unit weight) and the properties of each case switched on, checked as they
// are read; `ln` gets their line numbers.
void read_stratum(DataReader& rd, Model& m, int p, int k, int& numest, StratumLines& ln) {
  if (k == 1 && p == 1) rd.skip("¿el número de cargas (NCARGAS) es menor que las cargas escritas?");
  else if (k == 1) rd.skip("¿el número de estratos del perfil anterior es menor que los estratos escritos?");
  else rd.skip("¿NEST es mayor que los estratos escritos, o sobra un renglón en el estrato anterior?");
  const std::string which = stratum_item("", p, k);
  const std::string strata_lines = "estratos en el perfil " + std::to_string(p);
  rd.read()
      .of(which)
      .counted("NEST", m.NEST(p), k, strata_lines)
      .i(numest, "número")
      .i(m.TIPOEST.checked(p, k), "TIPO")
      .r(m.H.checked(p, k), "H")
      .r(m.GAMA.checked(p, k), "GAMA");
  ln.head = rd.line();
  if (m.H(p, k) < 0.0f)
    rd.fail(stratum_item("H", p, k), "se leyó " + real_text(m.H(p, k)) + "; el espesor no puede ser negativo");
  if (m.TIPOEST(p, k) != 1 && m.TIPOEST(p, k) != 2)
    rd.fail(stratum_item("TIPO", p, k),
            "se leyó " + std::to_string(m.TIPOEST(p, k)) + "; debe ser 1 (arena) o 2 (arcilla)");
  check_not_negative_real(rd, m.GAMA(p, k), stratum_item("GAMA", p, k));
  // The properties of one case are one line; values taken from the next
  // line are nearly always a line left over from a case switched off.
  auto one_line = [&](int case_no, const ReadStmt& st) {
    ln.row[case_no] = rd.line();
    if (st.first_line() == 0 || st.last_line() == st.first_line()) return;
    rd.warn(st.first_line(), "los datos del caso " + std::to_string(case_no) + " del estrato " + std::to_string(k) +
                                 (m.NPS > 1 ? " del perfil " + std::to_string(p) : std::string()) +
                                 " ocupan los renglones " + std::to_string(st.first_line()) +
                                 (st.last_line() == st.first_line() + 1 ? " y " : " a ") +
                                 std::to_string(st.last_line()) + ": ¿sobra el renglón de un caso apagado?");
  };
  for (const CaseRow& row : case_rows()) {
    if (m.CASO[row.case_no] != 1) continue;
    ReadStmt st = rd.read();
    st.of(which);
    int ko_line = 0;
    for (int i = 0; i < row.count; ++i) {
      st.r((m.*row.params[i].table).checked(p, k), row.params[i].name);
      if (row.params[i].table == &Model::KO) ko_line = st.last_line();
    }
    one_line(row.case_no, st);
    // The coefficient of earth pressure at rest only gives the thrusts.
    const float ko = m.KO(p, k);
    if (ko_line != 0 && !(ko >= 0.2f && ko <= 3.0f))
      rd.warn(ko_line, stratum_item("KO", p, k) + " = " + real_text(ko) +
                           ": el coeficiente de empuje en reposo suele estar entre 0.2 y 3; el análisis sigue");
  }
  check_case_values(rd, m, p, k, ln);
}

// The earth pressure at rest and the thrust down to the bottom of each stratum
// of profile p, in the report and the log.
void write_thrusts(const Model& m, Files& f, int p, std::vector<Thrust>& thrust) {
  lst(f.rep);
  lst(f.rep);
  lst(f.rep, "PRESIONES EN PERFIL", p);
  lst(f.rep, "ESTRATO  PROFUNDIDAD      Pv            PhEMPUJE POR     EMPUJE ");
  lst(f.rep, "               m         t/m2          t/m2      ESTRATO (t)  ACUMULADO (t)");
  lst(detail(f.log), "PRESIONES EN PERFIL", p);
  lst(detail(f.log), "ESTRATO  PROFUNDIDAD      PV       EMPUJE POR  EMPUJE ");
  lst(detail(f.log), "               m         t/m2      ESTRATO (t)  ACUMULADO (t)");
  earth_pressures(m, p, thrust);
  for (int k = 1; k <= m.NEST(p); ++k) {
    const Thrust& t = thrust[static_cast<std::size_t>(k)];
    put(detail(f.log), "(I5, 5F13.4)", k, m.PROF(p, k), m.PV(p, k), t.Ph, t.thrust, t.cumulative);
    put(f.rep, "(I5, 5F13.2)", k, m.PROF(p, k), m.PV(p, k), t.Ph, t.thrust, t.cumulative);
  }
}

// Report of the case properties of stratum (p, k), in case order.
void report_properties(const Model& m, Files& f, int p, int k) {
  for (const CaseRow& row : case_rows()) {
    if (m.CASO[row.case_no] != 1) continue;
    put(f.rep, "(4X, A18)", row.title);
    put(f.rep, row.header_layout, row.header);
    put(f.rep, row.units_layout, row.units);
    Rec r(f.rep, row.values_layout);
    for (int i = 0; i < row.count; ++i) r << (m.*row.params[i].table)(p, k);
  }
}

}  // namespace

void read_soil(DataReader& rd, Model& m, Files& f) {
  rd.read().i(m.NPS, "NPS (número de perfiles)").r(m.VALNL, "VALNL");
  const int line_nps = rd.line();
  check_count_memory(rd, m, m.NPS, "NPS (número de perfiles)");

  // Every node that points to a profile must point to one of the profiles read.
  for (int n = 1; n <= m.PERFIL.size(); ++n)
    if (m.PERFIL(n) > m.NPS)
      rd.fail_at(n <= m.LINNODO.size() ? m.LINNODO(n) : 0, "PERFIL del nodo " + std::to_string(n),
                 out_of_range(m.PERFIL(n), 0, m.NPS) + " (NPS, número de perfiles leídos)");

  // The reference pressure of the stress-dependent moduli: the iterative
  // analysis divides by it, the nonlinear one takes its square root.
  bool valnl_used = false;
  for (const CaseRow& r : case_rows())
    valnl_used =
        valnl_used || solves_any(m, r.case_no, [](const AnalysisPass& q) { return q.solver != Solver::linear; });
  if (valnl_used && m.NREAC.size() >= 1 && !(m.VALNL > 0.0f))
    rd.fail_at(line_nps, "VALNL", "se leyó " + real_text(m.VALNL) + "; debe ser mayor que 0 (el análisis " +
                                      (m.KANAL == 1 ? "iterativo" : "no lineal") + " divide entre ella)");

  lst(f.err, "Casos de analisis", m.CASO[1], m.CASO[2], m.CASO[3], m.CASO[4]);
  put(f.rep, "(//8X, 'PROPIEDADES DEL SUELO'//)");

  const int np = m.NPS;
  m.NEST.size_to(np);
  // The tables by (profile, stratum) grow to the most strata of any profile
  // as the profiles are read: those of the stratum's head and every
  // parameter of every case row, whether its case is on or off.
  std::vector<Tab2<float>*> by_stratum = {&m.H, &m.GAMA, &m.Z, &m.PROF, &m.PZ, &m.PV};
  for (const CaseRow& r : case_rows())
    for (int i = 0; i < r.count; ++i)
      if (std::find(by_stratum.begin(), by_stratum.end(), &(m.*r.params[i].table)) == by_stratum.end())
        by_stratum.push_back(&(m.*r.params[i].table));
  m.TIPOEST.size_to(np, 0);
  for (Tab2<float>* t : by_stratum) t->size_to(np, 0);
  m.PvCentro = 0.0f;

  // Depth of foundation at the central node (a model without nodes has none).
  const float D = (m.NCENTRO >= 1 && m.NCENTRO <= m.DF.size()) ? m.DF(m.NCENTRO) : 0.0f;

  // Earth pressures and thrusts of the current profile.
  std::vector<Thrust> thrust;
  // The stratum number typed on each stratum line is only echoed; a null value
  // keeps the one of the previous line.
  int numest = 0;

  for (int p = 1; p <= np; ++p) {
    lst(detail(f.log), "PERFIL ", p);
    const std::string nest = "NEST (número de estratos del perfil " + std::to_string(p) + ")";
    rd.read().i(m.NEST(p), nest);
    check_not_negative(rd, m.NEST(p), nest);
    // First the tables by profile and stratum about to grow, then, with them,
    // the influence tables that every stratum adds to.
    if (m.NEST(p) > strata_width(m))
      check_memory(rd, m, nest, 160 * static_cast<std::uint64_t>(m.NPS + m.NR) * static_cast<std::uint64_t>(m.NEST(p)));
    check_count_fits_file(rd, m.NEST(p), nest);
    if (m.NEST(p) > strata_width(m)) {
      m.TIPOEST.widen_to(m.NEST(p));
      for (Tab2<float>* t : by_stratum) t->widen_to(m.NEST(p));
      check_memory(rd, m, nest);
    }
    std::vector<StratumLines> lines(static_cast<std::size_t>(m.NEST(p)) + 1);

    float d = 0.0f;  // depth of the bottom of the last stratum
    float v = 0.0f;  // vertical pressure there
    for (int k = 1; k <= m.NEST(p); ++k) {
      read_stratum(rd, m, p, k, numest, lines[static_cast<std::size_t>(k)]);

      const float h = m.H(p, k);
      const float g = m.GAMA(p, k);
      if (stratum_pressures(m, p, k, D, d, v)) {
        if (k == 1) lst(f.rep, "en el nodo", m.NCENTRO, "df=", D);
        lst(f.rep, "Estrato de apoyo", k);
        lst(f.rep, "Pv al centro de la cimentación=", m.PvCentro);
        lst(f.rep);
      }

      lst(detail(f.log), "ESTRATO", k, "Z=", m.Z(p, k), "GAMA=", g, "H=", h, "PROF=", m.PROF(p, k), "PZ=", m.PZ(p, k), "PV=",
          m.PV(p, k));

      put(f.rep,
          "(' PERFIL  ESTRATO  TIPO MAT   z        H        PESO '/'                            (m)      (m)      t/m3')");
      const char* tipo = m.TIPOEST(p, k) == 1 ? " ARENA " : "ARCILLA";
      put(f.rep, "(I5, 3X, I5, A11, 2F8.2, F12.4)", p, numest, tipo, m.Z(p, k), h, g);
      report_properties(m, f, p, k);
    }

    check_divisors(rd, m, p, lines);

    write_thrusts(m, f, p, thrust);
  }
}

}  // namespace korvant
