// The analysis cases of a run: expansions, compressions (linear, iterative or
// nonlinear), primary and secondary consolidation, each with its flexibility,
// footing rigidities, solve, member end forces and diagrams.
#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "text/progress.hpp"
#include "driver/run.hpp"
#include "model/analysis_passes.hpp"
#include "text/fatal.hpp"
#include "frame/frame.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "soil/soil.hpp"
#include "solve/solve.hpp"
#include "views/picture.hpp"

namespace korvant {

namespace {

// Passes of the iterative analysis before it is given up.
constexpr int kMaxPasses = 100;
// Largest relative change of a reaction that ends the iterative analysis.
constexpr float kMaxChange = 0.001f;

void clear_solution(PassTables& t) {
  t.DESP.fill(0.0f);
  t.HUNDIM.fill(0.0f);
}

void case_heading(Files& f, const char* heading, const char* solution) {
  lst(f.rep);
  lst(f.rep);
  lst(f.rep, heading);
  lst(f.rep, solution);
}

void flexibility_call_line(const Model& m, Files& f, const char* label) {
  lst(f.log, label, "N=", m.NR, " NR=", m.NR, " MR=", m.MR);
}

// The same line before each pass of the iterative analysis: detail of the log.
void flexibility_call_line(const Model& m, LogDetail log, const char* label) {
  lst(log, label, "N=", m.NR, " NR=", m.NR, " MR=", m.MR);
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

SolvedCase solved_case(const AnalysisPass& p, double residual) {
  return SolvedCase{p.case_no, p.solver == Solver::nonlinear, p.view, p.title, residual};
}

// The value of the solve in the pass tables t (for a linear solve, with the
// footings' flexibilities of its FLEX); its end forces and walks follow.
PassSolution solution_value(const PassTables& t, const SolvedCase& c) {
  PassSolution s;
  s.c = c;
  s.DESP = t.DESP;
  s.HUNDIM = t.HUNDIM;
  if (!c.nonlinear) {
    const int n = t.FLEX.n1 < t.FLEX.n2 ? t.FLEX.n1 : t.FLEX.n2;
    s.flex_diagonal.size_to(n);
    for (int k = 1; k <= n; ++k) s.flex_diagonal(k) = t.FLEX(k, k);
  }
  return s;
}

// Whether the end forces of pass p are written once more when its case
// closes: it is the last pass of a case that repeats them.
bool repeated_at_close(const Model& m, const AnalysisPass& p) {
  if (!analysis_case(p.case_no).forces_again) return false;
  bool after = false;
  for (const AnalysisPass& q : analysis_passes()) {
    if (&q == &p) after = true;
    else if (after && q.case_no == p.case_no && runs_under(q, m.KANAL)) return false;
  }
  return true;
}

// The member end forces of solution s (logged; with `keep`, their log stays
// in s) and every axis walked once (and once more, denser, for the pictures
// when `drawn` is given).
void forces_and_walks(const Model& m, Log& log, PassSolution& s, DrawnParts drawn, bool keep) {
  if (keep) log.keep_copy(&s.forces_log);
  end_forces(m, log, s);
  if (keep) log.keep_copy(nullptr);
  walk_axes(m, s, drawn);
}

// The end forces and diagrams of solution s in the report, the walks in the log.
void write_forces_and_diagrams(const Model& m, Files& f, const PassSolution& s) {
  write_end_forces(m, s, f.rep);
  log_diagrams(m, s, f.log);
  write_diagrams(m, s, f.rep);
}

// A singular system ends the run, with the console line of a zero pivot.
[[noreturn]] void singular(Files& f) {
  lst(f.con, "singular matrix in gaussj");
  throw Fatal{status::SINGULAR, ""};
}

// A linear solve of the interaction and its results.
void linear_solve(const Model& m, Files& f, Log& log, Workspace& ws, const Tab1<float>& vered) {
  progress_step("solución, pivotes");
  if (!HUND(m, log, ws, vered)) singular(f);
  write_linear_solution(m, ws.pass.DESP, ws.pass.HUNDIM, f.rep, f.res);
}

// A solution that is not a number is never presented as a result: once the
// solve of pass p (pass `pasada` of the iterative analysis) has written its own
// lines, the run ends naming the first such value.
void refuse_non_finite(const Model& m, const Tab1<float>& DESP, const AnalysisPass& p, int pasada = 0) {
  const int n = m.NGL + m.NR + m.MR;
  for (int i = 1; i <= n; ++i) {
    if (std::isfinite(DESP(i))) continue;
    std::string solve = p.nflag1 == 1   ? "módulos de campo en el nodo central"
                        : p.nflag1 == 2 ? "módulos de campo en cada nodo"
                        : p.nflag1 == 3 ? "módulos de laboratorio"
                        : p.solver == Solver::iterative ? "pasada " + std::to_string(pasada) + " del análisis iterativo"
                        : p.solver == Solver::nonlinear ? "no lineal"
                                                        : "lineal";
    const std::string where =
        i <= m.NGL ? "el nodo " + std::to_string((i - 1) / 6 + 1) : "la reacción " + std::to_string(i - m.NGL);
    throw Fatal{status::SINGULAR, std::string("el análisis de ") + analysis_case(p.case_no).name + " (" + solve +
                                      ") dio valores que no son números en " + where + "; revise los datos"};
  }
}

// A solve whose matrix is singular to rounding (a free degree of freedom that
// no bar, support or reaction holds, such as a missing horizontal support)
// gives displacements and rotations no structure can have. The results are
// written as they come; the user is warned.
void check_solution(const Model& m, const Tab1<float>& DESP, Files& f, int case_no) {
  for (int g = 1; g <= m.NGL; ++g) {
    const float d = DESP(g);
    const bool rotation = (g - 1) % 6 >= 3;
    if (!(std::fabs(d) > (rotation ? 1.0f : 100.0f))) continue;
    const int node = (g - 1) / 6 + 1;
    lst(f.err, std::string("Aviso: en el análisis de ") + analysis_case(case_no).name + " el nodo " + std::to_string(node) +
                   " " + (rotation ? "gira " : "se desplaza ") + real_text(d) + (rotation ? " rad" : " m") +
                   "; el sistema es casi singular: revise las restricciones de los nodos (¿falta un apoyo?)");
    return;
  }
}

// How finely the pictures asked for walk each axis; none without pictures.
DrawnParts drawn_parts(const Views* v) { return v != nullptr && v->draws() ? &picture_fine : nullptr; }

// Result header of a GiD block: the text in its layout, then " 1 vector OnNodes".
void result_header(Files& f, const AnalysisPass& p) { put(f.res, p.gid_layout, p.gid_text, " 1 vector OnNodes"); }

// A linear pass: the flexibility matrix of the case's law, the footing
// rigidities, one solve.
void linear_pass(const Model& m, Files& f, Workspace& ws, const AnalysisPass& p) {
  const AnalysisCase& c = analysis_case(p.case_no);
  PassTables& t = ws.pass;
  clear_solution(t);
  if (p.open_console != nullptr) lst(f.con, p.open_console);
  if (p.open_log != nullptr) lst(f.log, p.open_log);
  if (p.flex_line != nullptr) flexibility_call_line(m, f, p.flex_line);
  if (p.heading_first) case_heading(f, c.heading, "SOLUCION CASO LINEAL");
  progress_pass(p.title);
  progress_step("matriz de flexibilidad");
  FLSC(m, f.log, soil_law(p.law), m.*p.flex_E, p.flex_NU != nullptr ? &(m.*p.flex_NU) : nullptr, p.nflag1, t.FLEX);
  if (p.nflag1 != 0) modulus_source_line(f, p.nflag1);
  if (p.footing_NU != nullptr) {
    footing_rigidities(m, f.log, soil_law(p.law), m.*p.footing_E, m.*p.footing_NU, t.FLEX);
  } else {
    // The consolidation cases have no Poisson's ratio: a table of zeros.
    Tab2<float> zeros;
    zeros.size_to(m.NPS, strata_width(m));
    footing_rigidities(m, f.log, soil_law(p.law), m.*p.footing_E, zeros, t.FLEX);
  }
  if (!p.heading_first) case_heading(f, c.heading, "SOLUCION CASO LINEAL");
  result_header(f, p);
  linear_solve(m, f, f.log, ws, m.*p.vered);
}

// A nonlinear pass: Demeneghi's settlement law solved by Newton iteration.
void nonlinear_pass(const Model& m, Files& f, Workspace& ws, const AnalysisPass& p) {
  lst(f.rep, "INTERACCION SUELO-ESTRUCTURA UTILIZANDO LA", "ECUACION NO-LINEAL DE DEMENEGHI");
  case_heading(f, analysis_case(p.case_no).heading, "SOLUCION CASO NO-LINEAL, ECUACION DE DEMENEGHI");
  if (p.log_lengths) {
    lst(f.log, "EN CASO " + std::to_string(p.case_no));
    lst(f.log, "N=", m.NR);
    lst(f.log, "GL DE REACCION   LONGITUD    AREA");
    for (int g = 1; g <= 6 * m.NR; ++g)
      if (m.LONGITUD(g) != 0.0f) put(detail(f.log), "(I6, 9X, 2F10.4)", g, m.LONGITUD(g), m.AREA(g));
  }
  result_header(f, p);
  progress_pass(p.title);
  const NewtonEnd end = SOLNL(m, f.log, f.con, ws, soil_law(p.law), m.*p.vered);
  if (end == NewtonEnd::singular) singular(f);
  const bool converged = end == NewtonEnd::converged;
  write_nonlinear_solution(m, ws.pass.DESP, f.rep, converged);
  write_result_values(m, ws.pass.DESP, f.res);
}

// Compressions with moduli that depend on the reactions: the linear solve is
// repeated with the moduli of the last reactions until these settle.
void iterative_compressions(const Model& m, Files& f, Workspace& ws, const AnalysisPass& p) {
  const int N = m.NR;
  PassTables& t = ws.pass;
  case_heading(f, analysis_case(p.case_no).heading, "SOLUCION CASO LINEAL, JAMBU");
  t.QREAC.fill(1.0f);
  lst(f.rep);
  int k = 0;
  lst(f.rep, "REACCION UNIFORME");
  // The log of every pass is detail: a summary log does not grow with the passes.
  Log each_pass = f.log.repeated();
  for (;;) {
    lst(f.rep);
    lst(f.rep, "PUNTO NODAL  ESTRATO  CARGA       E(t/m2)");
    t.DESP.fill(0.0f);
    flexibility_call_line(m, detail(f.log), "LLAMANDO A FNLCC  ");
    progress_pass(std::string(p.title) + ", pasada " + std::to_string(k + 1));
    progress_step("matriz de flexibilidad");
    FNLCC(m, each_pass, t.QREAC, t.FLEX);
    if (k == 0) {
      put(f.rep, "(//'#REACCION, VALOR DE LA REACCION'/'             (t)')");
      for (int i = 1; i <= N; ++i) put(f.rep, "(I5, F10.5)", i, t.QREAC(i));
      put(f.rep, "(//'#REACCION, HUNDIMIENTO DEBIDO A LA REACCION'/'            (m)')");
      for (int i = 1; i <= N; ++i) {
        float s = 0.0f;
        for (int j = 1; j <= N; ++j) s = s + t.FLEX(i, j) * t.QREAC(j);
        t.HUNDIM(i) = -s;
        put(f.rep, "(I5, F10.5)", i, t.HUNDIM(i));
      }
    }
    put(f.res, p.gid_layout, p.gid_text, k + 1, " vector OnNodes");
    linear_solve(m, f, each_pass, ws, m.*p.vered);
    ++k;
    refuse_non_finite(m, t.DESP, p, k);
    for (int i = 1; i <= N; ++i) lst(f.rep, "REACCION", t.QREAC(i), t.DESP(m.NGL + i));
    bool settled = true;
    for (int i = 1; i <= N; ++i) {
      t.QCAMBIO(i) = std::fabs((t.QREAC(i) - t.DESP(m.NGL + i)) / t.QREAC(i));
      if (t.QCAMBIO(i) > kMaxChange) settled = false;
    }
    if (settled) break;
    if (k == kMaxPasses) {
      lst(f.rep, "ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS");
      lst(f.con, "ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS");
      break;
    }
    for (int i = 1; i <= N; ++i) t.QREAC(i) = t.DESP(m.NGL + i);
    lst(f.rep, "ITERACION No", k);
  }
}

}  // namespace

PassSolution solve_pass(const Model& m, const AnalysisPass& p, Workspace& ws, Files& f, DrawnParts drawn) {
  switch (p.solver) {
    case Solver::linear: linear_pass(m, f, ws, p); break;
    case Solver::nonlinear: nonlinear_pass(m, f, ws, p); break;
    case Solver::iterative: iterative_compressions(m, f, ws, p); break;
  }
  // The iterative analysis refused a solution that is not a number in its own pass.
  if (p.solver != Solver::iterative) refuse_non_finite(m, ws.pass.DESP, p);
  check_solution(m, ws.pass.DESP, f, p.case_no);
  PassSolution s = solution_value(ws.pass, solved_case(p, ws.solver->residual()));
  forces_and_walks(m, f.log, s, drawn, p.solver != Solver::iterative && repeated_at_close(m, p) && f.log.any());
  return s;
}

void start_results_file(const Model& m, Files& f) {
  put(f.res, "(A27)", "\"GiD Post Results File 1.0\"");
  put(f.res, "(A1, A25)", "#", m.TITULO);
}

void run_cases(const Model& m, Files& f, Workspace& ws, Views* v) {
  bool any_case = false;
  for (const AnalysisCase& c : analysis_cases()) any_case = any_case || m.CASO[c.case_no] == 1;
  if (!any_case) return;
  ws.size_to(m);
  const DrawnParts drawn = drawn_parts(v);

  for (const AnalysisCase& c : analysis_cases()) {
    if (m.CASO[c.case_no] != 1) continue;
    lst(f.con, c.console);
    lst(f.log, c.log_line);
    clear_solution(ws.pass);
    std::shared_ptr<const PassSolution> last;  // of the passes solved so far in this case
    const AnalysisPass* last_pass = nullptr;
    for (const AnalysisPass& p : analysis_passes()) {
      if (p.case_no != c.case_no || !runs_under(p, m.KANAL)) continue;
      last = std::make_shared<const PassSolution>(solve_pass(m, p, ws, f, drawn));
      last_pass = &p;
      write_forces_and_diagrams(m, f, *last);
      if (v != nullptr) {
        progress_step("escribiendo las vistas");
        v->write(m, last);
      }
    }
    // The end forces and diagrams of the last solution once more when the
    // case repeats them after its analyses (the iterative analysis wrote them
    // only once, when it ended).
    if (!c.forces_again) continue;
    if (last == nullptr) {
      // No pass solved the case: the end forces of no displacement.
      PassSolution none = solution_value(ws.pass, SolvedCase{c.case_no});
      forces_and_walks(m, f.log, none, nullptr, false);
      write_forces_and_diagrams(m, f, none);
    } else if (last_pass->solver != Solver::iterative) {
      f.log.write_again(last->forces_log);
      write_forces_and_diagrams(m, f, *last);
    }
  }
}

}  // namespace korvant
