// Linear soil-structure interaction of one case: the frame stiffness rows and
// the settlement-compatibility rows of the reactions in one square system,
// solved by Gauss-Jordan.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

#include "solve/solve.hpp"

namespace korvant {

namespace {

// Right-hand side and solution, sized to the order of the system on first
// need and reused by every later solve of the run.
std::vector<float> Bv, x;
std::vector<float> work_matrix;
std::vector<float> row_tile;  // rows of the coupled matrix on their way to the log

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

// The coupled matrix (n x n, column by column) in the log, row by row.
void log_coupled(Log& log, const float* Cr, int NTOT) {
  const std::size_t n = static_cast<std::size_t>(NTOT);
  // Rows sixteen at a time, copied out of the column-by-column store.
  constexpr std::size_t T = 16;
  if (row_tile.size() < T * n) row_tile.resize(T * n);
  const Layout& row_layout = layout("(2000F20.8)");
  for (int i0 = 1; i0 <= NTOT; i0 += static_cast<int>(T)) {
    const std::size_t rows = std::min(T, static_cast<std::size_t>(NTOT - i0 + 1));
    for (int j = 1; j <= NTOT; ++j) {
      const float* cj = Cr + static_cast<std::size_t>(j - 1) * n + static_cast<std::size_t>(i0 - 1);
      for (std::size_t q = 0; q < rows; ++q) row_tile[q * n + static_cast<std::size_t>(j - 1)] = cj[q];
    }
    for (std::size_t q = 0; q < rows; ++q) {
      LogRec r(detail(log), row_layout);
      const float* row = row_tile.data() + q * n;
      for (std::size_t j = 0; j < n; ++j) r << row[j];
    }
  }
}

// The solution x into DESP (displacements by global degree of freedom, then
// the reactions) and the settlement under each reaction into HUNDIM.
void store_solution(Model& m) {
  const int NGRED = m.NGRED, NGL = m.NGL, NRT = m.NR + m.MR;
  for (int k = 1; k <= NRT; ++k) m.DESP(NGL + k) = x[static_cast<std::size_t>(NGRED + k)];
  for (int i = 1; i <= NGL; ++i) {
    const int e = m.NUMGL(i);
    m.DESP(i) = e != 0 ? x[static_cast<std::size_t>(e)] : 0.0f;
  }
  for (int k = 1; k <= NRT; ++k) {
    float s = 0.0f;
    for (int j = 1; j <= NRT; ++j) s = s + m.FLEX(k, j) * m.DESP(NGL + j);
    m.HUNDIM(k) = -s;
  }
}

}  // namespace

float* solver_matrix(int n) {
  const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  if (work_matrix.size() < nn) {
    work_matrix.clear();
    work_matrix.shrink_to_fit();
    work_matrix.resize(nn);
  }
  return work_matrix.data();
}

void write_result_values(const Model& m, OutFile& res) {
  put(res, "(A37)", "ComponentNames \"X\",\"Y\",\"Z\",\"|Modulo|\"");
  put(res, "(A6)", "values");
  for (int n = 1; n <= m.NN; ++n)
    put(res, "(I6, 3F12.6)", n, m.DESP(6 * n - 5), m.DESP(6 * n - 4), m.DESP(6 * n - 3));
  put(res, "(A10)", "end values");
  put(res, "(A10)");
}

void write_node_displacements(const Model& m, OutFile& rep) {
  lst(rep, "Desplazamientos y giros por nodo");
  lst(rep, "  nodo    dx          dy          dz          tx", "          ty          tz");
  for (int n = 1; n <= m.NN; ++n)
    put(rep, "(I6, 6F12.6)", n, m.DESP(6 * n - 5), m.DESP(6 * n - 4), m.DESP(6 * n - 3), m.DESP(6 * n - 2),
        m.DESP(6 * n - 1), m.DESP(6 * n));
}

void HUND(Model& m, Log& log, OutFile& con, const Tab1<float>& vered) {
  const int NGRED = m.NGRED, NR = m.NR, MR = m.MR, NGL = m.NGL, NN = m.NN;
  const int NRT = NR + MR;
  const int NTOT = NGRED + NRT;
  const std::size_t n = static_cast<std::size_t>(NTOT);

  lst(log);
  lst(log);
  lst(log, "////////////////////////////////////////");
  lst(log);
  lst(log, "DENTRO DE HUND");
  lst(log, "PARAMETROS");
  lst(log, "NGRED=", NGRED);
  lst(log, "REACCIONES POR ZAPATAS CORRIDAS", NR);
  lst(log, "REACCIONES POR ZAPATAS AISLADAS", MR);

  float* const Cr = solver_matrix(NTOT);
  if (Bv.size() < n + 1) {
    Bv.resize(n + 1);
    x.resize(n + 1);
  }
  std::fill(Cr, Cr + n * n, 0.0f);
  std::fill(Bv.begin(), Bv.end(), 0.0f);
  std::fill(x.begin(), x.end(), 0.0f);
  m.DESP.fill(0.0f);
  m.HUNDIM.fill(0.0f);
  // Cr(r, c), both from 1, leading dimension NTOT.
  auto C = [&](int r, int c) -> float& {
    return Cr[static_cast<std::size_t>(c - 1) * n + static_cast<std::size_t>(r - 1)];
  };
  // akr has NGRED rows; the rows below it are zero.
  auto akr = [&](int r, int c) { return r <= NGRED ? m.akr(r, c) : 0.0f; };

  // Matrices and vectors are detail of the log; their headings are steps.
  const bool detail_lines = log.keeps(LogLine::detail);
  lst(log, "MATRIZ DE FLEXIBILIDADES");
  if (detail_lines && NR >= 1 && NR <= 200) log_rows(log, "(200F10.5)", NR, NR, [&](int i, int j) { return m.FLEX(i, j); });
  lst(log, "matriz akr");
  if (detail_lines && NTOT <= 200) log_rows(log, "(200F18.5)", NTOT, NTOT, akr);
  lst(log, "Matriz Cr");
  if (detail_lines && NTOT <= 200) log_rows(log, "(200F18.5)", NTOT, NTOT, C);

  lst(log, "FORMACION DE CR CON MATRIZ DE FLEXIBILIDADES");
  lst(log, "SE AMPLIARÁ LA MATRIZ DEBIDO A LAS REACCIONES INCOGNITAS");
  lst(log, "AGREGANDO FLEXIBILIDADES POR ZAPATAS CORRIDAS");
  // Each area reaction: the frame displacement of its degree of freedom plus
  // the settlement the reactions cause there.
  for (int i = 1; i <= NR; ++i) {
    const int e = m.NUMGL(m.NREAC(i));
    assert(e >= 1);
    C(NGRED + i, e) += 1.0f;
  }
  for (int i = 1; i <= NR; ++i)
    for (int j = 1; j <= NR; ++j) C(NGRED + j, NGRED + i) += m.FLEX(j, i);
  lst(log, "SE AGREGARAN LAS FLEXIBILIDADES POR ZAPATAS AISLADAS");
  for (int i = 1; i <= MR; ++i) {
    const int e = m.NUMGL(m.NREACN(i));
    assert(e >= 1);
    C(NGRED + NR + i, e) += 1.0f;
    for (int j = 1; j <= MR; ++j) C(NGRED + NR + i, NGRED + NR + j) += m.FLEX(NR + i, NR + j);
  }
  // Layered footings feel the contact areas and these feel the footings.
  if (m.method.layered_footings()) {
    for (int i = 1; i <= MR; ++i)
      for (int j = 1; j <= NR; ++j) {
        C(NGRED + NR + i, NGRED + j) += m.FLEX(NR + i, j);
        C(NGRED + j, NGRED + NR + i) += m.FLEX(j, NR + i);
      }
  }
  lst(log, "Matriz Cr + FLEXIBILIDADES");
  if (detail_lines && NTOT <= 200) log_rows(log, "(200F10.5)", NTOT, NTOT, C);

  lst(log, "FORMACION DE B");
  for (int i = 1; i <= NTOT; ++i) {
    const float ve = eq_entry(vered, i), pr = eq_entry(m.PRED, i);
    Bv[static_cast<std::size_t>(i)] = ve + pr;
    put(detail(log), "(I5, 3F12.6)", i, ve, pr, Bv[static_cast<std::size_t>(i)]);
  }

  if (NGRED >= 1)
    for (int c = 1; c <= NTOT; ++c)
      for (int r = 1; r <= NGRED; ++r) C(r, c) += m.akr(r, c);
  lst(log, "FORMACION DE CR TOTAL");
  if (detail_lines && NTOT <= 2000) log_coupled(log, Cr, NTOT);

  for (int i = 1; i <= NTOT; ++i) x[static_cast<std::size_t>(i)] = Bv[static_cast<std::size_t>(i)];
  gaussj(Cr, NTOT, NTOT, x.data() + 1, con);

  lst(log, "IMPRESION DE VECTOR SOLUCION");
  for (int i = 1; i <= NTOT; ++i) lst(detail(log), i, x[static_cast<std::size_t>(i)]);

  store_solution(m);

  put(log, "(/'GRADO DE LIBERTAD, REACCION (t) HASTA N=', I5, '    ,  Y GIROS (rad) LOS SIGUIENTES '/)", NR);
  for (int i = 1; i <= NGL; ++i) lst(detail(log), i, m.DESP(i));
  lst(log, "desplazamientos nodales");
  for (int k = 1; k <= NN; ++k) lst(detail(log), k, m.DESP(6 * k - 5), m.DESP(6 * k - 4), m.DESP(6 * k - 3));
}

void write_linear_solution(const Model& m, OutFile& rep, OutFile& res) {
  const int NRT = m.NR + m.MR;
  lst(rep, "REACCIONES ESTIMADAS:");
  for (int k = 1; k <= NRT; ++k) lst(rep, k, m.DESP(m.NGL + k));
  put(rep, "(//'NUDO, HUNDIMIENTO DEL NUDO'/'              (m)')");
  for (int k = 1; k <= NRT; ++k) put(rep, "(I5, F10.5)", k, m.HUNDIM(k));
  write_node_displacements(m, rep);
  write_result_values(m, res);
}

}  // namespace korvant
