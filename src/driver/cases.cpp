// The analysis cases of a run: expansions, compressions (linear, iterative or
// nonlinear), primary and secondary consolidation, each with its flexibility,
// footing rigidities, solve, member end forces and diagrams.
#include <cmath>
#include <string>
#include <utility>

#include "driver/run.hpp"
#include "text/fatal.hpp"
#include "frame/frame.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "soil/soil.hpp"
#include "solve/solve.hpp"

namespace korvant {

namespace {

// Passes of the iterative analysis before it is given up.
constexpr int MAX_PASADAS = 100;
// Largest relative change of a reaction that ends the iterative analysis.
constexpr float CAMBIO_MAX = 0.001f;

// Makes a table at least n entries long, keeping what it holds.
void grow(Tab1<float>& t, int n) {
  if (t.size() >= n) return;
  Tab1<float> u;
  u.size_to(n);
  for (int i = 1; i <= t.size(); ++i) u(i) = t(i);
  t = std::move(u);
}

void clear_solution(Model& m) {
  m.DESP.fill(0.0f);
  m.HUNDIM.fill(0.0f);
}

void case_heading(Files& f, const char* caso, const char* solucion) {
  lst(f.rep);
  lst(f.rep);
  lst(f.rep, caso);
  lst(f.rep, solucion);
}

void nonlinear_heading(Files& f, const char* caso) {
  lst(f.rep, "INTERACCION SUELO-ESTRUCTURA UTILIZANDO LA", "ECUACION NO-LINEAL DE DEMENEGHI");
  case_heading(f, caso, "SOLUCION CASO NO-LINEAL, ECUACION DE DEMENEGHI");
}

void flexibility_call_line(const Model& m, Files& f, const char* label) {
  lst(f.mem, label, "N=", m.NR, " NR=", m.NR, " MR=", m.MR);
}

void modulus_source_line(Files& f, int nflag1) {
  lst(f.rep);
  if (nflag1 == 1)
    lst(f.rep, "Usando módulos de campo calculados en el nodo central");
  else if (nflag1 == 2)
    lst(f.rep, "Usando módulos de campo calculados en cada nodo");
  else
    lst(f.rep, "Usando módulos de laboratorio");
}

void forces_and_diagrams(Model& m, Files& f, int caso) {
  end_forces(m, f, caso);
  diagrams(m, f, caso);
}

// A solve whose matrix is singular to rounding (a free degree of freedom that
// no bar, support or reaction holds, such as a missing horizontal support)
// gives displacements and rotations no structure can have, or values that are
// not numbers. The results are written as they come; the user is warned.
void check_solution(const Model& m, Files& f, int caso) {
  static const char* const kNombre[5] = {"", "expansiones", "compresiones", "consolidación primaria",
                                         "consolidación secundaria"};
  int peor = 0;
  float valor = 0.0f;
  for (int g = 1; g <= m.NGL; ++g) {
    float d = m.DESP(g);
    bool giro = (g - 1) % 6 >= 3;
    if (!std::isfinite(d) || std::fabs(d) > (giro ? 1.0f : 100.0f)) {
      peor = g;
      valor = d;
      break;
    }
  }
  if (peor == 0) return;
  const int nodo = (peor - 1) / 6 + 1;
  const bool giro = (peor - 1) % 6 >= 3;
  std::string que = std::isfinite(valor) ? (giro ? "gira " : "se desplaza ") : "tiene un valor que no es un número en ";
  lst(f.err, std::string("Aviso: en el análisis de ") + kNombre[caso] + " el nodo " + std::to_string(nodo) + " " + que +
                 (std::isfinite(valor) ? real_text(valor) + (giro ? " rad" : " m") : std::string(giro ? "su giro" : "su desplazamiento")) +
                 "; el sistema es casi singular: revise las restricciones de los nodos (¿falta un apoyo?)");
}

// The files a person looks at, of the solve whose end forces are in VGL.
void write_views(const Model& m, Views* v, int caso, int nflag1) {
  if (v != nullptr) v->write(m, solved_case(caso, m.KANAL, nflag1));
}

// Member end forces and diagrams right after a solve, once the solution is
// checked; then the files asked for on the command line.
void after_solve(Model& m, Files& f, Views* v, int caso, int nflag1 = 0) {
  check_solution(m, f, caso);
  forces_and_diagrams(m, f, caso);
  write_views(m, v, caso, nflag1);
}

// Result header of a GiD block: the text in `w` columns, then " 1 vector OnNodes".
void result_header(Files& f, const char* layout_text, const char* text) {
  put(f.res, layout_text, text, " 1 vector OnNodes");
}

void expansions(Model& m, Files& f, Views* v) {
  for (int nflag1 = 1; nflag1 <= 3; ++nflag1) {
    clear_solution(m);
    const Tab2<float>& E = nflag1 == 1 ? m.ECAMPOP1 : nflag1 == 2 ? m.ECAMPO1 : m.E1;
    FLSC(m, f, E, m.NU1, nflag1);
    modulus_source_line(f, nflag1);
    footing_rigidities(m, f, m.E1, m.NU1);
    case_heading(f, "ANALISIS DE EXPANSIONES", "SOLUCION CASO LINEAL");
    result_header(f, "(A39, A18)", "Result  \"desplazamientos\" \"Expansiones\"");
    HUND(m, f, m.vered1);
    after_solve(m, f, v, 1, nflag1);
  }
}

// Compressions with moduli that depend on the reactions: the linear solve is
// repeated with the moduli of the last reactions until these settle.
void iterative_compressions(Model& m, Files& f) {
  const int N = m.NR;
  case_heading(f, "ANALISIS DE COMPRESIONES", "SOLUCION CASO LINEAL, JAMBU");
  m.QREAC.fill(1.0f);
  lst(f.rep);
  int k = 0;
  lst(f.rep, "REACCION UNIFORME");
  for (;;) {
    lst(f.rep);
    lst(f.rep, "PUNTO NODAL  ESTRATO  CARGA       E(t/m2)");
    m.DESP.fill(0.0f);
    flexibility_call_line(m, f, "LLAMANDO A FNLCC  ");
    FNLCC(m, f);
    if (k == 0) {
      put(f.rep, "(//'#REACCION, VALOR DE LA REACCION'/'             (t)')");
      for (int i = 1; i <= N; ++i) put(f.rep, "(I5, F10.5)", i, m.QREAC(i));
      put(f.rep, "(//'#REACCION, HUNDIMIENTO DEBIDO A LA REACCION'/'            (m)')");
      for (int i = 1; i <= N; ++i) {
        float s = 0.0f;
        for (int j = 1; j <= N; ++j) s = s + m.FLEX(i, j) * m.QREAC(j);
        m.HUNDIM(i) = -s;
        put(f.rep, "(I5, F10.5)", i, m.HUNDIM(i));
      }
    }
    put(f.res, "(A41, I4, A15)", "Result  \"desplazamientos\" \"Compr.Iterat\"", k + 1, " vector OnNodes");
    HUND(m, f, m.vered2);
    ++k;
    for (int i = 1; i <= N; ++i) lst(f.rep, "REACCION", m.QREAC(i), m.DESP(m.NGL + i));
    bool settled = true;
    for (int i = 1; i <= N; ++i) {
      m.QCAMBIO(i) = std::fabs((m.QREAC(i) - m.DESP(m.NGL + i)) / m.QREAC(i));
      if (m.QCAMBIO(i) > CAMBIO_MAX) settled = false;
    }
    if (settled) break;
    if (k == MAX_PASADAS) {
      lst(f.rep, "ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS");
      lst(f.con, "ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS");
      break;
    }
    for (int i = 1; i <= N; ++i) m.QREAC(i) = m.DESP(m.NGL + i);
    lst(f.rep, "ITERACION No", k);
  }
  check_solution(m, f, 2);
}

void compressions(Model& m, Files& f, Views* v) {
  if (m.KANAL == 2) {
    nonlinear_heading(f, "ANALISIS DE COMPRESIONES");
    lst(f.mem, "EN CASO 2");
    lst(f.mem, "N=", m.NR);
    lst(f.mem, "GL DE REACCION   LONGITUD    AREA");
    for (int g = 1; g <= 6 * m.NR; ++g)
      if (m.LONGITUD(g) != 0.0f) put(f.mem, "(I6, 9X, 2F10.4)", g, m.LONGITUD(g), m.AREA(g));
    result_header(f, "(A41, A17)", "Result \"Desplazamientos\" \"Compr.Inm NL\"");
    SOLNL(m, f, 2, m.A2, m.vered2);
    write_result_values(m, f);
    after_solve(m, f, v, 2);
  } else if (m.KANAL == 0) {
    for (int nflag1 = 1; nflag1 <= 3; ++nflag1) {
      clear_solution(m);
      lst(f.con, "ANALISIS LINEAL");
      lst(f.mem, "Analisis lineal, compresiones inmediatas");
      flexibility_call_line(m, f, "LLAMANDO A FLSC");
      case_heading(f, "ANALISIS DE COMPRESIONES", "SOLUCION CASO LINEAL");
      const Tab2<float>& E = nflag1 == 1 ? m.ECAMPOP2 : nflag1 == 2 ? m.ECAMPO2 : m.E2;
      FLSC(m, f, E, m.NU2, nflag1);
      modulus_source_line(f, nflag1);
      footing_rigidities(m, f, m.E2, m.NU2);
      result_header(f, "(A41, A17)", "Result  \"desplazamientos\" \"Compr.InmLin\"");
      HUND(m, f, m.vered2);
      after_solve(m, f, v, 2, nflag1);
    }
  } else if (m.KANAL == 1) {
    iterative_compressions(m, f);
  }
  // Whatever the analysis, the end forces and diagrams of the last solution
  // once more: a repeat for the other analyses, the only ones of the iterative
  // one, whose files are those of its last pass.
  forces_and_diagrams(m, f, 2);
  if (m.KANAL == 1) write_views(m, v, 2, 0);
}

// Poisson's ratios of the consolidation cases: none (a table of zeros).
void zero_ratios(const Model& m, Tab2<float>& z) { z.size_to(m.NPS, strata_width(m)); }

void primary_consolidation(Model& m, Files& f, Views* v) {
  if (m.KANAL == 2) {
    nonlinear_heading(f, "ANALISIS DE CONSOLIDACIÓN PRIMARIA");
    result_header(f, "(A41, A17)", "Result \"Desplazamientos\" \"Cons.Prim NL\"");
    SOLNL(m, f, 3, m.Ap, m.vered3);
    write_result_values(m, f);
    after_solve(m, f, v, 3);
  } else if (m.KANAL == 0) {
    case_heading(f, "ANALISIS DE CONSOLIDACIÓN PRIMARIA", "SOLUCION CASO LINEAL");
    flexibility_call_line(m, f, "LLAMANDO A FLSC_3");
    FLSC_3(m, f);
    Tab2<float> ceros;
    zero_ratios(m, ceros);
    footing_rigidities(m, f, m.Emv, ceros);
    result_header(f, "(A41, A17)", "Result  \"desplazamientos\" \"Consolid Prim\"");
    HUND(m, f, m.vered3);
    after_solve(m, f, v, 3);
  }
}

void secondary_consolidation(Model& m, Files& f, Views* v) {
  if (m.KANAL == 0) {
    flexibility_call_line(m, f, "LLAMANDO A FLSC");
    FLSC_4(m, f);
    Tab2<float> ceros;
    zero_ratios(m, ceros);
    footing_rigidities(m, f, m.Emt, ceros);
    case_heading(f, "ANALISIS DE CONSOLIDACIÓN SECUNDARIA", "SOLUCION CASO LINEAL");
    result_header(f, "(A41, A17)", "Result  \"desplazamientos\" \"Consolid Sec\"");
    HUND(m, f, m.vered4);
    after_solve(m, f, v, 4);
  } else if (m.KANAL == 2) {
    nonlinear_heading(f, "ANALISIS DE CONSOLIDACIÓN SECUNDARIA");
    result_header(f, "(A41, A17)", "Result \"Desplazamientos\" \"Cons.Sec NL\"");
    SOLNL(m, f, 4, m.Acs, m.vered4);
    write_result_values(m, f);
    after_solve(m, f, v, 4);
  }
}

// Opening of a case: its line on the console and in the log, and a clean solution.
void open_case(Model& m, Files& f, const char* consola, const char* memoria) {
  lst(f.con, consola);
  lst(f.mem, memoria);
  clear_solution(m);
}

}  // namespace

void start_results_file(const Model& m, Files& f) {
  put(f.res, "(A27)", "\"GiD Post Results File 1.0\"");
  put(f.res, "(A1, A25)", "#", m.TITULO);
}

void run_cases(Model& m, Files& f, Views* v) {
  // Tables of the solution, sized to the model. The displacement vector also
  // covers NGL + NN entries, which the member-force log lists.
  const int NRT = m.NR + m.MR;
  grow(m.DESP, m.NGL + (NRT > m.NN ? NRT : m.NN));
  grow(m.HUNDIM, NRT);
  grow(m.QREAC, NRT);
  grow(m.QCAMBIO, NRT);

  if (m.CASO[1] == 1) {
    open_case(m, f, "ANALISIS POR EXPANSIONES", "ANALISIS POR EXPANSIONES");
    expansions(m, f, v);
  }
  if (m.CASO[2] == 1) {
    open_case(m, f, "ANALISIS POR COMPRESIONES", "ANALISIS POR COMPRESIONES");
    compressions(m, f, v);
  }
  if (m.CASO[3] == 1) {
    open_case(m, f, "ANALISIS POR CONSOLIDACION PRIMARIA", "ANALISIS POR CONSOLIDACIÓN PRIMARIA");
    primary_consolidation(m, f, v);
  }
  if (m.CASO[4] == 1) {
    open_case(m, f, "ANALISIS POR CONSOLIDACIÓN SECUNDARIA", "ANALISIS POR CONSOLIDACIÓN SECUNDARIA");
    secondary_consolidation(m, f, v);
  }
}

}  // namespace korvant
