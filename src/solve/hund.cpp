// Linear soil-structure interaction of one case: the frame stiffness rows and
// the settlement-compatibility rows of the reactions in one square system,
// handed by its parts to the workspace's solver.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <span>
#include <vector>

#include "solve/solve.hpp"

namespace korvant {

namespace {

std::size_t entry_index(int i) { return static_cast<std::size_t>(i); }

// Entry i of a vector indexed by equation; entries past the table are zero.
float eq_entry(const Tab1<float>& v, int i) { return i <= v.size() ? v(i) : 0.0f; }

// Rows 1..rows of a matrix given by entry(i, j), one record of `lay` each.
template <class Entry>
void log_rows(Log& log, const char* lay, int rows, int cols, Entry entry) {
  for (int i = 1; i <= rows; ++i) {
    LogRec r(detail(log), lay);
    for (int j = 1; j <= cols; ++j) r << entry(i, j);
  }
}

// The coupled matrix in the log, row by row, each entry as the dense matrix
// holds it, gathered sixteen rows at a time.
void log_coupled(Log& log, const CoupledSystem& sys, std::vector<float>& row_tile) {
  const int NTOT = sys.order();
  const std::size_t n = entry_index(NTOT);
  constexpr std::size_t T = 16;
  if (row_tile.size() < T * n) row_tile.resize(T * n);
  const Layout& row_layout = layout("(2000F20.8)");
  for (int i0 = 1; i0 <= NTOT; i0 += static_cast<int>(T)) {
    const std::size_t rows = std::min(T, entry_index(NTOT - i0 + 1));
    for (int j = 1; j <= NTOT; ++j)
      for (std::size_t q = 0; q < rows; ++q) {
        const int i = i0 + static_cast<int>(q);
        row_tile[q * n + entry_index(j - 1)] = sys.entry(i, j);
      }
    for (std::size_t q = 0; q < rows; ++q) {
      LogRec r(detail(log), row_layout);
      const float* row = row_tile.data() + q * n;
      for (std::size_t j = 0; j < n; ++j) r << row[j];
    }
  }
}

// The solution x (from 1) into DESP (displacements by global degree of
// freedom, then the reactions) and the settlement under each reaction into HUNDIM.
void store_solution(const Model& m, PassTables& t, const float* x) {
  Tab1<float>& DESP = t.DESP;
  const int NGRED = m.NGRED, NGL = m.NGL, NRT = m.NR + m.MR;
  for (int k = 1; k <= NRT; ++k) DESP(NGL + k) = x[entry_index(NGRED + k)];
  for (int i = 1; i <= NGL; ++i) {
    const int e = m.NUMGL(i);
    DESP(i) = e != 0 ? x[entry_index(e)] : 0.0f;
  }
  for (int k = 1; k <= NRT; ++k) {
    float s = 0.0f;
    for (int j = 1; j <= NRT; ++j) s = s + t.FLEX(k, j) * DESP(NGL + j);
    t.HUNDIM(k) = -s;
  }
}

}  // namespace

void write_result_values(const Model& m, const Tab1<float>& DESP, OutFile& res) {
  put(res, "(A37)", "ComponentNames \"X\",\"Y\",\"Z\",\"|Modulo|\"");
  put(res, "(A6)", "values");
  for (int n = 1; n <= m.NN; ++n)
    put(res, "(I6, 3F12.6)", n, DESP(6 * n - 5), DESP(6 * n - 4), DESP(6 * n - 3));
  put(res, "(A10)", "end values");
  put(res, "(A10)");
}

void write_node_displacements(const Model& m, const Tab1<float>& DESP, OutFile& rep) {
  lst(rep, "Desplazamientos y giros por nodo");
  lst(rep, "  nodo    dx          dy          dz          tx", "          ty          tz");
  for (int n = 1; n <= m.NN; ++n)
    put(rep, "(I6, 6F12.6)", n, DESP(6 * n - 5), DESP(6 * n - 4), DESP(6 * n - 3), DESP(6 * n - 2),
        DESP(6 * n - 1), DESP(6 * n));
}

bool HUND(const Model& m, Log& log, Workspace& ws, const Tab1<float>& vered) {
  const Tab2<float>& FLEX = ws.pass.FLEX;  // the pass's tables: FLEX in, DESP and HUNDIM out
  Tab1<float>& DESP = ws.pass.DESP;
  const int NGRED = m.NGRED, NR = m.NR, MR = m.MR, NGL = m.NGL, NN = m.NN;
  const int NRT = NR + MR;
  const int NTOT = NGRED + NRT;

  lst(log);
  lst(log);
  lst(log, "////////////////////////////////////////");
  lst(log);
  lst(log, "DENTRO DE HUND");
  lst(log, "PARAMETROS");
  lst(log, "NGRED=", NGRED);
  lst(log, "REACCIONES POR ZAPATAS CORRIDAS", NR);
  lst(log, "REACCIONES POR ZAPATAS AISLADAS", MR);

  LinearScratch& w = ws.linear;
  if (w.b.size() < entry_index(NTOT) + 1) w.b.resize(entry_index(NTOT) + 1);
  std::fill(w.b.begin(), w.b.end(), 0.0f);
  DESP.fill(0.0f);
  ws.pass.HUNDIM.fill(0.0f);

  // The system from its parts: akr's frame rows; each reaction's row the frame
  // displacement of its degree of freedom plus the settlement the reactions
  // cause there (the area reactions among themselves, the footings among
  // themselves, and with layered footings the two with each other).
  if (w.reaction_eq.size() < entry_index(NRT)) w.reaction_eq.resize(entry_index(NRT));
  for (int i = 1; i <= NR; ++i) w.reaction_eq[entry_index(i - 1)] = m.NUMGL(m.NREAC(i));
  for (int i = 1; i <= MR; ++i) w.reaction_eq[entry_index(NR + i - 1)] = m.NUMGL(m.NREACN(i));
  for (int i = 1; i <= NRT; ++i) assert(w.reaction_eq[entry_index(i - 1)] >= 1);
  const std::size_t ldf = entry_index(FLEX.n1);
  w.soil.clear();
  if (NR >= 1) w.soil.push_back({1, 1, NR, NR, FLEX.v.data(), ldf});
  if (MR >= 1) w.soil.push_back({NR + 1, NR + 1, MR, MR, FLEX.v.data() + entry_index(NR) * ldf + entry_index(NR), ldf});
  // Layered footings feel the contact areas and these feel the footings.
  if (m.method.layered_footings() && NR >= 1 && MR >= 1) {
    w.soil.push_back({NR + 1, 1, MR, NR, FLEX.v.data() + entry_index(NR), ldf});
    w.soil.push_back({1, NR + 1, NR, MR, FLEX.v.data() + entry_index(NR) * ldf, ldf});
  }
  CoupledSystem sys;
  sys.NGRED = NGRED;
  sys.NRT = NRT;
  SparseColumns sparse_view;
  frame_rows(m, sys, sparse_view);
  sys.reaction_eq = std::span<const int>(w.reaction_eq.data(), entry_index(NRT));
  sys.soil = w.soil;

  // Matrices and vectors are detail of the log; their headings are steps.
  // The coupled matrix is shown as it is formed: empty, with the reaction
  // rows, whole.
  const bool detail_lines = log.keeps(LogLine::detail);
  auto akr = [&](int r, int c) { return r <= NGRED ? sys.frame_entry(r, c) : 0.0f; };
  auto reaction_rows = [&](int r, int c) { return r <= NGRED ? 0.0f : sys.entry(r, c); };
  lst(log, "MATRIZ DE FLEXIBILIDADES");
  if (detail_lines && NR >= 1 && NR <= 200) log_rows(log, "(200F10.5)", NR, NR, [&](int i, int j) { return FLEX(i, j); });
  lst(log, "matriz akr");
  if (detail_lines && NTOT <= 200) log_rows(log, "(200F18.5)", NTOT, NTOT, akr);
  lst(log, "Matriz Cr");
  if (detail_lines && NTOT <= 200) log_rows(log, "(200F18.5)", NTOT, NTOT, [](int, int) { return 0.0f; });

  lst(log, "FORMACION DE CR CON MATRIZ DE FLEXIBILIDADES");
  lst(log, "SE AMPLIARÁ LA MATRIZ DEBIDO A LAS REACCIONES INCOGNITAS");
  lst(log, "AGREGANDO FLEXIBILIDADES POR ZAPATAS CORRIDAS");
  lst(log, "SE AGREGARAN LAS FLEXIBILIDADES POR ZAPATAS AISLADAS");
  lst(log, "Matriz Cr + FLEXIBILIDADES");
  if (detail_lines && NTOT <= 200) log_rows(log, "(200F10.5)", NTOT, NTOT, reaction_rows);

  lst(log, "FORMACION DE B");
  float* const x = w.b.data();  // from 1: the right-hand side, then the solution
  for (int i = 1; i <= NTOT; ++i) {
    const float ve = eq_entry(vered, i), pr = eq_entry(m.PRED, i);
    x[i] = ve + pr;
    put(detail(log), "(I5, 3F12.6)", i, ve, pr, x[i]);
  }

  lst(log, "FORMACION DE CR TOTAL");
  if (detail_lines && NTOT <= 2000) log_coupled(log, sys, w.row_tile);

  if (NTOT >= 1 && !ws.solver->solve(sys, x + 1)) return false;

  lst(log, "IMPRESION DE VECTOR SOLUCION");
  for (int i = 1; i <= NTOT; ++i) lst(detail(log), i, x[i]);

  store_solution(m, ws.pass, x);
  const std::span<const double> exact = NTOT >= 1 ? ws.solver->solution() : std::span<const double>();
  ws.pass.solution_double.assign(exact.begin(), exact.end());

  put(log, "(/'GRADO DE LIBERTAD, REACCION (t) HASTA N=', I5, '    ,  Y GIROS (rad) LOS SIGUIENTES '/)", NR);
  for (int i = 1; i <= NGL; ++i) lst(detail(log), i, DESP(i));
  lst(log, "desplazamientos nodales");
  for (int k = 1; k <= NN; ++k) lst(detail(log), k, DESP(6 * k - 5), DESP(6 * k - 4), DESP(6 * k - 3));
  return true;
}

void write_linear_solution(const Model& m, const Tab1<float>& DESP, const Tab1<float>& HUNDIM, OutFile& rep,
                           OutFile& res) {
  const int NRT = m.NR + m.MR;
  lst(rep, "REACCIONES ESTIMADAS:");
  for (int k = 1; k <= NRT; ++k) lst(rep, k, DESP(m.NGL + k));
  put(rep, "(//'NUDO, HUNDIMIENTO DEL NUDO'/'              (m)')");
  for (int k = 1; k <= NRT; ++k) put(rep, "(I5, F10.5)", k, HUNDIM(k));
  write_node_displacements(m, DESP, rep);
  write_result_values(m, DESP, res);
}

}  // namespace korvant
