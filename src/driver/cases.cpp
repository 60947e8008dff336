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

// The solution the solver left in the pass tables t, into its value s.
void take_solution(const PassTables& t, PassSolution& s) {
  s.DESP = t.DESP;
  s.HUNDIM = t.HUNDIM;
  s.solution_double = t.solution_double;
}

// The flexibility of each reaction of a linear solve (the footings' springs).
void flexibility_diagonal(const PassTables& t, PassSolution& s) {
  const int n = t.FLEX.n1 < t.FLEX.n2 ? t.FLEX.n1 : t.FLEX.n2;
  s.flex_diagonal.size_to(n);
  for (int k = 1; k <= n; ++k) s.flex_diagonal(k) = t.FLEX(k, k);
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

// Whether every entry of a solution is a number.
bool finite(const Model& m, const Tab1<float>& DESP) {
  const int n = m.NGL + m.NR + m.MR;
  for (int i = 1; i <= n; ++i)
    if (!std::isfinite(DESP(i))) return false;
  return true;
}

// A singular system ends the run, with the console line of a zero pivot.
[[noreturn]] void singular(Files& f) {
  lst(f.con, "singular matrix in gaussj");
  throw Fatal{status::SINGULAR, ""};
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

// ---- The solves: the log only -----------------------------------------

// A linear pass: the flexibility matrix of the case's law, the footing
// rigidities, one solve. False when its matrix is singular.
bool linear_solves(const Model& m, Log& log, Workspace& ws, const AnalysisPass& p) {
  PassTables& t = ws.pass;
  clear_solution(t);
  if (p.open_log != nullptr) lst(log, p.open_log);
  if (p.flex_line != nullptr) lst(log, p.flex_line, "N=", m.NR, " NR=", m.NR, " MR=", m.MR);
  progress_pass(p.title);
  progress_step("matriz de flexibilidad");
  FLSC(m, log, soil_law(p.law), m.*p.flex_E, p.flex_NU != nullptr ? &(m.*p.flex_NU) : nullptr, p.nflag1, t.FLEX);
  if (p.footing_NU != nullptr) {
    footing_rigidities(m, log, soil_law(p.law), m.*p.footing_E, m.*p.footing_NU, t.FLEX);
  } else {
    // The consolidation cases have no Poisson's ratio: a table of zeros.
    Tab2<float> zeros;
    zeros.size_to(m.NPS, strata_width(m));
    footing_rigidities(m, log, soil_law(p.law), m.*p.footing_E, zeros, t.FLEX);
  }
  progress_step("solución, pivotes");
  return HUND(m, log, ws, m.*p.vered);
}

// A nonlinear pass: Demeneghi's settlement law solved by Newton iteration;
// its console lines are kept in s.
bool nonlinear_solves(const Model& m, Log& log, Workspace& ws, const AnalysisPass& p, PassSolution& s) {
  if (p.log_lengths) {
    lst(log, "EN CASO " + std::to_string(p.case_no));
    lst(log, "N=", m.NR);
    lst(log, "GL DE REACCION   LONGITUD    AREA");
    for (int g = 1; g <= 6 * m.NR; ++g)
      if (m.LONGITUD(g) != 0.0f) put(detail(log), "(I6, 9X, 2F10.4)", g, m.LONGITUD(g), m.AREA(g));
  }
  progress_pass(p.title);
  OutFile console;
  console.copy_to(&s.console);
  const NewtonEnd end = SOLNL(m, log, console, ws, soil_law(p.law), m.*p.vered);
  console.flush();
  s.converged = end == NewtonEnd::converged;
  return end != NewtonEnd::singular;
}

// Compressions with moduli that depend on the reactions: the linear solve is
// repeated with the moduli of the last reactions until these settle, each
// solve kept in s.steps. False when a solve's matrix is singular; a solve
// that is not a number ends the passes.
bool iterative_solves(const Model& m, Log& log, Workspace& ws, const AnalysisPass& p, PassSolution& s) {
  const int N = m.NR;
  PassTables& t = ws.pass;
  t.QREAC.fill(1.0f);
  // The log of every pass is detail: a summary log does not grow with the passes.
  Log each_pass = log.repeated();
  for (int k = 0;; ++k) {
    t.DESP.fill(0.0f);
    lst(detail(log), "LLAMANDO A FNLCC  ", "N=", m.NR, " NR=", m.NR, " MR=", m.MR);
    progress_pass(std::string(p.title) + ", pasada " + std::to_string(k + 1));
    progress_step("matriz de flexibilidad");
    FNLCC(m, each_pass, t.QREAC, t.FLEX);
    if (k == 0) {
      s.uniform_settlements.size_to(N);
      for (int i = 1; i <= N; ++i) {
        float sum = 0.0f;
        for (int j = 1; j <= N; ++j) sum = sum + t.FLEX(i, j) * t.QREAC(j);
        s.uniform_settlements(i) = -sum;
      }
    }
    s.steps.push_back({t.QREAC, {}, {}});
    progress_step("solución, pivotes");
    if (!HUND(m, each_pass, ws, m.*p.vered)) return false;
    s.steps.back().DESP = t.DESP;
    s.steps.back().HUNDIM = t.HUNDIM;
    if (!finite(m, t.DESP)) return true;
    bool settled = true;
    for (int i = 1; i <= N; ++i) {
      t.QCAMBIO(i) = std::fabs((t.QREAC(i) - t.DESP(m.NGL + i)) / t.QREAC(i));
      if (t.QCAMBIO(i) > kMaxChange) settled = false;
    }
    if (settled) return true;
    if (k + 1 == kMaxPasses) {
      s.converged = false;
      return true;
    }
    for (int i = 1; i <= N; ++i) t.QREAC(i) = t.DESP(m.NGL + i);
  }
}

// ---- What the driver writes of a pass ------------------------------------

// The lines of pass p before its solve: the console's and the report's
// headings, the head of its GiD result block.
void write_pass_head(Files& f, const AnalysisPass& p) {
  const char* heading = analysis_case(p.case_no).heading;
  switch (p.solver) {
    case Solver::linear:
      if (p.open_console != nullptr) lst(f.con, p.open_console);
      if (p.heading_first) case_heading(f, heading, "SOLUCION CASO LINEAL");
      if (p.nflag1 != 0) modulus_source_line(f, p.nflag1);
      if (!p.heading_first) case_heading(f, heading, "SOLUCION CASO LINEAL");
      result_header(f, p);
      break;
    case Solver::nonlinear:
      lst(f.rep, "INTERACCION SUELO-ESTRUCTURA UTILIZANDO LA", "ECUACION NO-LINEAL DE DEMENEGHI");
      case_heading(f, heading, "SOLUCION CASO NO-LINEAL, ECUACION DE DEMENEGHI");
      result_header(f, p);
      break;
    case Solver::iterative:
      case_heading(f, heading, "SOLUCION CASO LINEAL, JAMBU");
      lst(f.rep);
      lst(f.rep, "REACCION UNIFORME");
      break;
  }
}

// The lines of each solve of the iterative analysis, in the report and the
// GiD results, and its end.
void write_iterations(const Model& m, Files& f, const AnalysisPass& p, const PassSolution& s) {
  const int N = m.NR;
  for (std::size_t k = 0; k < s.steps.size(); ++k) {
    const PassSolution::Step& st = s.steps[k];
    lst(f.rep);
    lst(f.rep, "PUNTO NODAL  ESTRATO  CARGA       E(t/m2)");
    if (k == 0) {
      put(f.rep, "(//'#REACCION, VALOR DE LA REACCION'/'             (t)')");
      for (int i = 1; i <= N; ++i) put(f.rep, "(I5, F10.5)", i, st.QREAC(i));
      put(f.rep, "(//'#REACCION, HUNDIMIENTO DEBIDO A LA REACCION'/'            (m)')");
      for (int i = 1; i <= N; ++i) put(f.rep, "(I5, F10.5)", i, s.uniform_settlements(i));
    }
    const int pasada = static_cast<int>(k) + 1;
    put(f.res, p.gid_layout, p.gid_text, pasada, " vector OnNodes");
    if (st.DESP.size() == 0) singular(f);
    write_linear_solution(m, st.DESP, st.HUNDIM, f.rep, f.res);
    refuse_non_finite(m, st.DESP, p, pasada);
    for (int i = 1; i <= N; ++i) lst(f.rep, "REACCION", st.QREAC(i), st.DESP(m.NGL + i));
    if (k + 1 < s.steps.size()) {
      lst(f.rep, "ITERACION No", pasada);
    } else if (!s.converged) {
      lst(f.rep, "ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS");
      lst(f.con, "ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS");
    }
  }
}

// The lines of pass p's solve from its value s, in the report, the GiD
// results and the console; a pass whose solve did not end well ends the run
// here, with what it solved written.
void write_pass_solution(const Model& m, Files& f, const AnalysisPass& p, const PassSolution& s) {
  switch (p.solver) {
    case Solver::linear:
      if (s.end == PassSolution::End::singular) singular(f);
      write_linear_solution(m, s.DESP, s.HUNDIM, f.rep, f.res);
      refuse_non_finite(m, s.DESP, p);
      break;
    case Solver::nonlinear:
      f.con.put(s.console);
      if (s.end == PassSolution::End::singular) singular(f);
      write_nonlinear_solution(m, s.DESP, f.rep, s.converged);
      write_result_values(m, s.DESP, f.res);
      refuse_non_finite(m, s.DESP, p);
      break;
    case Solver::iterative: write_iterations(m, f, p, s); break;
  }
  check_solution(m, s.DESP, f, p.case_no);
}

}  // namespace

PassSolution solve_pass(const Model& m, const AnalysisPass& p, Workspace& ws, Log& log, DrawnParts drawn) {
  PassSolution s;
  bool solved = false;
  switch (p.solver) {
    case Solver::linear: solved = linear_solves(m, log, ws, p); break;
    case Solver::nonlinear: solved = nonlinear_solves(m, log, ws, p, s); break;
    case Solver::iterative: solved = iterative_solves(m, log, ws, p, s); break;
  }
  const PassTables& t = ws.pass;
  s.c = solved_case(p, ws.solver->residual());
  if (!solved) {
    s.end = PassSolution::End::singular;
    return s;
  }
  take_solution(t, s);
  if (!finite(m, t.DESP)) {
    s.end = PassSolution::End::not_a_number;
    return s;
  }
  if (p.solver != Solver::nonlinear) flexibility_diagonal(t, s);
  forces_and_walks(m, log, s, drawn, p.solver != Solver::iterative && repeated_at_close(m, p) && log.any());
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
      write_pass_head(f, p);
      PassSolution s = solve_pass(m, p, ws, f.log, drawn);
      write_pass_solution(m, f, p, s);
      // The iterations' lines are written: what is kept is the pass's result.
      s.steps = {};
      s.console = {};
      last = std::make_shared<const PassSolution>(std::move(s));
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
      PassSolution none;
      none.c.case_no = c.case_no;
      take_solution(ws.pass, none);
      forces_and_walks(m, f.log, none, nullptr, false);
      write_forces_and_diagrams(m, f, none);
    } else if (last_pass->solver != Solver::iterative) {
      f.log.write_again(last->forces_log);
      write_forces_and_diagrams(m, f, *last);
    }
  }
}

}  // namespace korvant
