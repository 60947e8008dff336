// Nonlinear soil-structure interaction (Demeneghi's settlement law): frame
// equilibrium and settlement compatibility of the area reactions solved by
// Newton iteration, the soil part of the Jacobian by forward differences.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "text/free_format.hpp"
#include "text/progress.hpp"
#include "text/layout.hpp"
#include "solve/solve.hpp"

namespace korvant {

namespace {

constexpr float kStartReaction = 10.0f;   // starting value of every reaction (t)
constexpr float kStartStiffness = -2500.0f;  // starting displacement = R / this
constexpr float DELTA = 0.001f;      // reaction increment of the finite differences
constexpr float kTolerance = 0.01f;  // largest change of a reaction at convergence (%)
constexpr int MAX_ITER = 20;
constexpr const char* kNoConvergence = "SOLUCION NO LINEAL SIN CONVERGENCIA DESPUES DE 20 ITERACIONES";
constexpr int kMaxLogged = 500;   // largest system whose matrices are logged

void log_reaction_lengths(const Model& m, Log& log) {
  lst(log, "GL DE REACCION   LONGITUD    AREA");
  if (!detail(log).keeps()) return;
  for (int i = 1; i <= 6 * m.NR; ++i)
    if (m.LONGITUD(i) != 0.0f) put(detail(log), "(I6, 9X, 2F10.4)", i, m.LONGITUD(i), m.AREA(i));
}

// Soil profile of the node of reaction i.
int profile_of(const Model& m, int i) { return m.PERFIL((m.NREAC(i) - 1) / 6 + 1); }

}  // namespace

float Def(const Model& m, Log& log, const SoilLaw& law, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC_,
          int KP) {
  // Every line of a call is detail of the log.
  lst(detail(log), "en def, ii=", ii, " jj=", jj);
  lst(detail(log), "en Def ng=", m.NGL, " ngred=", m.NGRED);
  return law.deformation != nullptr ? law.deformation(m, log, ii, jj, RNL, HINC_, KP) : 0.0f;
}

void CalcDefNL(const Model& m, Log& log, const SoilLaw& law, Tab1<float>& DEFS_, const Tab1<float>& RNL,
               const Tab1<float>& HINC_) {
  // A call runs once per iteration and reaction: every line is detail.
  lst(detail(log), "EN CalcDefNL");
  lst(detail(log), "N=", m.NR);
  if (detail(log).keeps()) log_reaction_lengths(m, log);
  for (int i = 1; i <= m.NR; ++i) DEFS_(i) = 0.0f;
  for (int i = 1; i <= m.NR; ++i) {
    const int KP = profile_of(m, i);
    assert(KP >= 1);
    DEFS_(i) = Def(m, log, law, i, 1, RNL, HINC_, KP);
    lst(detail(log), "Reaccion:", i, " estrato", 1, DEFS_(i));
    for (int jj = 2; jj <= m.NEST(KP); ++jj) {
      const float d = Def(m, log, law, i, jj, RNL, HINC_, KP);
      DEFS_(i) = DEFS_(i) + d;
      lst(detail(log), "Reaccion:", i, "en estrato:", jj, d);
    }
    put(detail(log), "(A30, I5, F20.10)", "def total nodo", i, DEFS_(i));
  }
}

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// One nonlinear solve: the Newton system of NGRED frame rows and NR settlement
// rows, and the steps of its iteration, each writing its own log lines.
struct Newton {
  const Model& m;
  Log& log;
  OutFile& con;
  Workspace& ws;
  const SoilLaw& law;
  // The working store of the workspace, sized to the Newton system on first need.
  std::vector<float>&Fv = ws.newton.F, &rhs = ws.newton.rhs, &prev = ws.newton.prev, &acc = ws.newton.acc;
  std::vector<float>& bv = ws.newton.bv;
  std::vector<double>& ERRPC = ws.newton.ERRPC;
  Tab1<float>&DEFS = ws.newton.DEFS, &minus_base = ws.newton.minus_base, &HINC = ws.newton.HINC;
  Tab1<float>&RNL = ws.pass.RNL, &DESP = ws.pass.DESP;
  std::vector<double>& xd = ws.pass.solution_double;  // the iterate in double precision (sparse path)
  const int NGRED = m.NGRED, NR = m.NR, NT = m.NGRED + m.NR;
  const std::size_t n = static_cast<std::size_t>(NT);
  const Tab2<float>& Kc = m.akr;  // the frame rows of the coupled system are those of akr
  // Matrices, vectors and the lines of each reaction in an iteration are
  // detail of the log; the headings and the lines of each iteration are steps.
  const bool detail_lines = log.keeps(LogLine::detail);
  // The Jacobian by its parts: akr's frame rows, the soil part (NR x NR,
  // column by column) and 1 at the frame degree of freedom of each reaction.
  CoupledSystem sys{};
  SoilBlock soil_block{};
  SparseColumns sparse_view{};
  const bool sparse = m.method.sparse_solver();

  float& Js(int r, int c) { return ws.newton.soil[at(c - 1) * at(NR) + at(r - 1)]; }

  // The working store sized, the frame rows and their right-hand side logged,
  // and the starting point: every reaction 10 t, its degree of freedom
  // settled by R/2500.
  void start(const Tab1<float>& vered) {
    lst(log);
    lst(log);
    lst(log, "////////////////////////////////////////");
    lst(log);
    lst(log, "dentro de SOLNL, NGRED=", NGRED);
    lst(log, "EN SolNLDem");
    lst(log, "N=", NR);
    log_reaction_lengths(m, log);

    if (Fv.size() < n + 1) {
      Fv.resize(n + 1);
      rhs.resize(n + 1);
      prev.resize(n + 1);
      acc.resize(n + 1);
    }
    if (ERRPC.size() < at(NR) + 1) ERRPC.resize(at(NR) + 1);
    if (sparse && ws.newton.accd.size() < n + 1) ws.newton.accd.resize(n + 1);
    // HINC keeps at least one entry: its first one is logged even without reactions.
    if (DEFS.size() < NR) {
      DEFS.size_to(NR);
      minus_base.size_to(NR);
    }
    if (HINC.size() < std::max(NR, 1)) HINC.size_to(std::max(NR, 1));
    if (RNL.size() < NT) RNL.size_to(NT);
    std::vector<float>& soil = ws.newton.soil;
    std::vector<int>& eq = ws.newton.reaction_eq;
    if (soil.size() < at(NR) * at(NR)) soil.resize(at(NR) * at(NR));
    if (eq.size() < at(NR)) eq.resize(at(NR));
    for (int k = 1; k <= NR; ++k) eq[at(k - 1)] = m.NUMGL(m.NREAC(k));
    soil_block = {1, 1, NR, NR, soil.data(), at(NR)};
    sys.NGRED = NGRED;
    sys.NRT = NR;
    frame_rows(m, sys, sparse_view);
    sys.reaction_eq = std::span<const int>(eq.data(), at(NR));
    sys.soil = std::span<const SoilBlock>(&soil_block, NR >= 1 ? 1 : 0);
    sys.copies = true;

    lst(log, "ANTES DE MODIFICAR CR");
    lst(log, "CR DESPUÉS DE AÑADIR AKR");
    if (detail_lines && NGRED <= kMaxLogged)
      for (int r = 1; r <= NGRED; ++r) {
        {
          LogRec rec(detail(log), "(500F20.8)");
          for (int c = 1; c <= NGRED; ++c) rec << sys.frame_entry(r, c);
        }
        LogRec rec(detail(log), "(500F20.8)");
        for (int c = 1; c <= NT; ++c) rec << sys.frame_entry(r, c);
      }
    if (bv.size() < at(NGRED) + 1) bv.resize(at(NGRED) + 1);
    // Right-hand side of the frame rows.
    lst(log, "FORMACION DE B");
    for (int r = 1; r <= NGRED; ++r) {
      const float ve = r <= vered.size() ? vered(r) : 0.0f;
      const float pr = r <= m.PRED.size() ? m.PRED(r) : 0.0f;
      bv[at(r)] = ve + pr;
      lst(detail(log), ve, pr, bv[at(r)]);
    }
    for (int r = 1; r <= NGRED; ++r) lst(detail(log), r, bv[at(r)]);

    RNL.fill(0.0f);
    std::fill(prev.begin(), prev.end(), 0.0f);
    for (int k = 1; k <= NR; ++k) RNL(NGRED + k) = kStartReaction;
    for (int k = 1; k <= NR; ++k) RNL(m.NUMGL(m.NREAC(k))) = RNL(NGRED + k) / kStartStiffness;
    // The sparse path keeps the iterate in double precision as well: the frame
    // rows of the functional are computed from it, each correction is added
    // to it, and RNL is its rounding.
    xd.clear();
    if (sparse)
      for (int i = 1; i <= NT; ++i) xd.push_back(static_cast<double>(RNL(i)));
    lst(log, "NDATS=", NR, " ERROR=", kTolerance, " DELTA=", DELTA);
    for (int i = 1; i <= NT; ++i) put(detail(log), "(A2, I2, A3, F20.10)", "R(", i, ") =", RNL(i));
  }

  // The functional at the current reactions: K x - b on the frame rows (each
  // sum from +0 over the columns in order), soil settlement plus frame
  // displacement at each reaction on the compatibility rows.
  void functional() {
    for (int k = 1; k <= NR; ++k) {
      minus_base(k) = 0.0f;
      DEFS(k) = 0.0f;
    }
    std::fill(Fv.begin(), Fv.end(), 0.0f);

    lst(detail(log), "VECTOR FUNCIONAL, PARTE LINEAL");
    if (sparse) {
      // By the columns of the sparse frame rows, in double precision.
      std::vector<double>& accd = ws.newton.accd;
      std::fill(accd.begin(), accd.end(), 0.0);
      const SparseTab<double>& K = m.akr_sparse;
      for (int c = 1; c <= NT; ++c) {
        const double xc = xd[at(c - 1)];
        for (int k = K.col_start[at(c - 1)]; k < K.col_start[at(c)]; ++k)
          accd[at(K.row[at(k)])] += K.values[at(k)] * xc;
      }
      for (int r = 1; r <= NGRED; ++r) Fv[at(r)] = static_cast<float>(accd[at(r)] - static_cast<double>(bv[at(r)]));
    } else {
      std::fill(acc.begin(), acc.end(), 0.0f);
      for (int c = 1; c <= NT; ++c) {
        const float xc = RNL(c);
        for (int r = 1; r <= NGRED; ++r) acc[at(r)] = acc[at(r)] + Kc(r, c) * xc;
      }
    }
    for (int r = 1; r <= NGRED; ++r) {
      if (!sparse) Fv[at(r)] = acc[at(r)] - bv[at(r)];
      put(detail(log), "(A2, I2, A3, F20.10)", "F(", r, ") =", Fv[at(r)]);
    }

    lst(detail(log), "calculo de vector funcional, PARTE NO LINEAL");
    for (int k = 1; k <= HINC.size(); ++k) HINC(k) = 0.0f;
    CalcDefNL(m, log, law, DEFS, RNL, HINC);
    lst(detail(log), "deformaciones calculadas CON H=", HINC(1));
    if (detail_lines) {
      LogLst l(detail(log));
      for (int k = 1; k <= NR; ++k) l << DEFS(k);
    }
    for (int k = 1; k <= NR; ++k) {
      minus_base(k) = -DEFS(k);
      Fv[at(NGRED + k)] = DEFS(k) + RNL(m.NUMGL(m.NREAC(k)));
      put(detail(log), "(A2, I2, A3, F20.10)", "F(", NGRED + k, ") =", Fv[at(NGRED + k)]);
    }
  }

  // The Jacobian: the frame rows from akr, the soil columns by forward
  // differences, 1 for the frame displacement at each reaction.
  void jacobian() {
    if (detail_lines && NGRED <= kMaxLogged)
      for (int r = 1; r <= NGRED; ++r) {
        LogRec rec(detail(log), "(I5, 500F20.8)");
        rec << r;
        for (int c = 1; c <= NT; ++c) rec << sys.frame_entry(r, c);
      }

    lst(detail(log), "CÁLCULANDO JACOBIANO, INCREMENTOS DE H");
    for (int k = 1; k <= NR; ++k) {
      for (int i = 1; i <= HINC.size(); ++i) HINC(i) = 0.0f;
      HINC(k) = DELTA;
      CalcDefNL(m, log, law, DEFS, RNL, HINC);
      for (int mm = 1; mm <= NR; ++mm) Js(mm, k) = (minus_base(mm) + DEFS(mm)) / DELTA;
      if (!detail_lines) continue;
      lst(detail(log), "defors VARIANDO LA REACCION:", k, " CON H=", DELTA);
      {
        LogLst l(detail(log));
        for (int i = 1; i <= NR; ++i) l << DEFS(i);
      }
      LogLst l(detail(log));
      for (int i = 1; i <= NR; ++i) l << minus_base(i);
    }
    lst(detail(log), "JACOBIANO COMPLETO, PARTE LINEAL + NO LINEAL");
    if (detail_lines && NT >= 1 && NT <= kMaxLogged)
      for (int r = 1; r <= NT; ++r) {
        LogRec rec(detail(log), "(I5, 500F20.8)");
        rec << r;
        for (int c = 1; c <= NT; ++c) rec << sys.entry(r, c);
      }
  }

  // The Newton correction solved and added; sets `held` when a reaction had
  // to be held at 0 (the soil takes no tension). Returns false when the
  // Jacobian is singular.
  bool step(bool& held) {
    lst(detail(log), "IMPRESION DE -F");
    for (int i = 1; i <= NT; ++i) {
      rhs[at(i)] = -Fv[at(i)];
      lst(detail(log), "F[", i, "]", rhs[at(i)]);
    }
    if (NT >= 1 && !ws.solver->solve(sys, rhs.data() + 1)) return false;

    lst(detail(log), "JACOBIANO INVERSO");
    const float* inv = ws.solver->inverse();
    if (inv == nullptr) lst(detail(log), "(la LU dispersa no forma la inversa: sólo la corrección de cada incógnita)");
    for (int i = 1; i <= NT; ++i) {
      prev[at(i)] = RNL(i);
      if (sparse) {
        xd[at(i - 1)] += static_cast<double>(rhs[at(i)]);
        RNL(i) = static_cast<float>(xd[at(i - 1)]);
      } else {
        RNL(i) = RNL(i) + rhs[at(i)];
      }
      if (!detail_lines) continue;
      if (NT <= kMaxLogged && inv != nullptr) {
        LogRec rec(detail(log), "(500F20.8)");
        for (int c = 1; c <= NT; ++c) rec << inv[at(c - 1) * n + at(i - 1)];
        rec << rhs[at(i)];
      }
      put(detail(log), "(3(A5, F20.8))", "r(i)=", RNL(i), " =", prev[at(i)], " + ", rhs[at(i)]);
    }
    // The Newton step does not know this rule, so an iteration that holds a
    // reaction at 0 is a repeated state, never the end.
    held = false;
    for (int k = 1; k <= NR; ++k)
      if (RNL(NGRED + k) < 0.0f) {
        RNL(NGRED + k) = 0.0f;
        if (sparse) xd[at(NGRED + k - 1)] = 0.0;
        held = true;
      }
    return true;
  }

  // The change of each reaction in per cent, in the log and on the console;
  // returns whether every one is within the tolerance.
  bool settled() {
    for (int k = 1; k <= NR; ++k) {
      const double rn = static_cast<double>(RNL(NGRED + k)), rp = static_cast<double>(prev[at(NGRED + k)]);
      // A reaction that stays at 0 has not changed; one that leaves 0 has changed infinitely.
      ERRPC[at(k)] = rn == 0.0 && rp == 0.0 ? 0.0 : std::fabs(rn - rp) / std::fabs(rp) * 100.0;
    }

    lst(detail(log), "VALORES ANTERIORES DE R");
    if (detail_lines && NT <= kMaxLogged) {
      LogRec rec(detail(log), "(500F20.8)");
      for (int i = 1; i <= NT; ++i) rec << prev[at(i)];
    }
    lst(detail(log), "NUEVOS VALORES DE R");
    if (detail_lines && NT <= kMaxLogged) {
      LogRec rec(detail(log), "(500F20.8)");
      for (int i = 1; i <= NT; ++i) rec << RNL(i);
    }
    lst(detail(log), "ERROR EN LAS REACCIONES");
    lst(con, "ERROR");
    if (NT <= kMaxLogged) {
      {
        LogRec rec(detail(log), "(500E10.2)");
        for (int k = 1; k <= NR; ++k) rec << ERRPC[at(k)];
      }
      Rec rec(con, "(500E10.2)");
      for (int k = 1; k <= NR; ++k) rec << ERRPC[at(k)];
    } else {
      lst(detail(log), "IMPRESIÓN FUERA DE RANGO");
      lst(con, "IMPRESIÓN FUERA DE RANGO");
    }

    bool all = true;
    for (int k = 1; k <= NR; ++k)
      if (!(ERRPC[at(k)] <= static_cast<double>(kTolerance))) all = false;
    return all;
  }

  // The solution into DESP: displacements by global degree of freedom, then the reactions.
  void store() {
    const int NGL = m.NGL;
    for (int i = 1; i <= NGL + NR; ++i) DESP(i) = 0.0f;
    for (int k = 1; k <= NR; ++k) DESP(NGL + k) = RNL(NGRED + k);
    for (int i = 1; i <= NGL; ++i) {
      const int e = m.NUMGL(i);
      DESP(i) = e != 0 ? RNL(e) : 0.0f;
      lst(detail(log), "I=", i, "  NGL=", e);
    }
    lst(log, "desplazamientos nodales");
    for (int k = 1; k <= m.NN; ++k) lst(detail(log), k, DESP(6 * k - 5), DESP(6 * k - 4), DESP(6 * k - 3));
  }
};

}  // namespace

NewtonEnd SOLNL(const Model& m, Log& log, OutFile& con, Workspace& ws, const SoilLaw& law, const Tab1<float>& vered) {
  Newton nw{m, log, con, ws, law};
  nw.start(vered);
  bool converged = false;
  for (int it = 1; it <= MAX_ITER; ++it) {
    lst(detail(log), "Iteración:", it);
    lst(con, "Iteracion:", it);
    progress_step("Newton, iteración " + std::to_string(it) + " de " + std::to_string(MAX_ITER));
    nw.functional();
    nw.jacobian();
    bool held = false;
    if (!nw.step(held)) return NewtonEnd::singular;
    // The errors are computed and written in every iteration; the first one
    // and one that held a reaction at 0 never end the iteration.
    if (nw.settled() && it >= 2 && !held) {
      converged = true;
      break;
    }
  }
  nw.store();
  if (!converged) lst(con, kNoConvergence);
  return converged ? NewtonEnd::converged : NewtonEnd::not_converged;
}

void write_nonlinear_solution(const Model& m, const Tab1<float>& DESP, OutFile& rep, bool converged) {
  lst(rep, "REACCIONES, t/m");
  for (int k = 1; k <= m.NR; ++k) put(rep, "(I6, F20.8)", k, DESP(m.NGL + k));
  lst(rep, "HUNDIMIENTOS, m");
  for (int k = 1; k <= m.NR; ++k) put(rep, "(I6, F20.8)", k, DESP(m.NREAC(k)));
  lst(rep, "GIROS Y DESPLAZAMIENTOS");
  for (int i = 1; i <= m.NGL; ++i) put(rep, "(I6, F20.8)", i, DESP(i));
  write_node_displacements(m, DESP, rep);
  if (!converged) lst(rep, kNoConvergence);
}

}  // namespace korvant
