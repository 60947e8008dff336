// Linear soil-structure interaction of one case: the frame stiffness rows and
// the settlement-compatibility rows of the reactions in one square system,
// solved by Gauss-Jordan.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

#include "text/free_format.hpp"
#include "text/layout.hpp"
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

void write_result_values(const Model& m, Files& f) {
  put(f.res, "(A37)", "ComponentNames \"X\",\"Y\",\"Z\",\"|Modulo|\"");
  put(f.res, "(A6)", "values");
  for (int n = 1; n <= m.NN; ++n)
    put(f.res, "(I6, 3F12.6)", n, m.DESP(6 * n - 5), m.DESP(6 * n - 4), m.DESP(6 * n - 3));
  put(f.res, "(A10)", "end values");
  put(f.res, "(A10)");
}

void write_node_displacements(const Model& m, Files& f) {
  lst(f.rep, "Desplazamientos y giros por nodo");
  lst(f.rep, "  nodo    dx          dy          dz          tx", "          ty          tz");
  for (int n = 1; n <= m.NN; ++n)
    put(f.rep, "(I6, 6F12.6)", n, m.DESP(6 * n - 5), m.DESP(6 * n - 4), m.DESP(6 * n - 3), m.DESP(6 * n - 2),
        m.DESP(6 * n - 1), m.DESP(6 * n));
}

void HUND(Model& m, Files& f, const Tab1<float>& vered) {
  const int NGRED = m.NGRED, NR = m.NR, MR = m.MR, NGL = m.NGL, NN = m.NN;
  const int NRT = NR + MR;
  const int NTOT = NGRED + NRT;
  const std::size_t n = static_cast<std::size_t>(NTOT);

  lst(f.mem);
  lst(f.mem);
  lst(f.mem, "////////////////////////////////////////");
  lst(f.mem);
  lst(f.mem, "DENTRO DE HUND");
  lst(f.mem, "PARAMETROS");
  lst(f.mem, "NGRED=", NGRED);
  lst(f.mem, "REACCIONES POR ZAPATAS CORRIDAS", NR);
  lst(f.mem, "REACCIONES POR ZAPATAS AISLADAS", MR);

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

  // Matrices and vectors are the detail of the log; their headings stay.
  const bool detail = log_detail(f);
  lst(f.mem, "MATRIZ DE FLEXIBILIDADES");
  if (detail && NR >= 1 && NR <= 200)
    for (int i = 1; i <= NR; ++i) {
      Rec r(f.mem, "(200F10.5)");
      for (int j = 1; j <= NR; ++j) r << m.FLEX(i, j);
    }
  lst(f.mem, "matriz akr");
  if (detail && NTOT <= 200)
    for (int i = 1; i <= NTOT; ++i) {
      Rec r(f.mem, "(200F18.5)");
      for (int j = 1; j <= NTOT; ++j) r << akr(i, j);
    }
  lst(f.mem, "Matriz Cr");
  if (detail && NTOT <= 200)
    for (int i = 1; i <= NTOT; ++i) {
      Rec r(f.mem, "(200F18.5)");
      for (int j = 1; j <= NTOT; ++j) r << C(i, j);
    }

  lst(f.mem, "FORMACION DE CR CON MATRIZ DE FLEXIBILIDADES");
  lst(f.mem, "SE AMPLIARÁ LA MATRIZ DEBIDO A LAS REACCIONES INCOGNITAS");
  lst(f.mem, "AGREGANDO FLEXIBILIDADES POR ZAPATAS CORRIDAS");
  // Each area reaction: the frame displacement of its degree of freedom plus
  // the settlement the reactions cause there.
  for (int i = 1; i <= NR; ++i) {
    const int e = m.NUMGL(m.NREAC(i));
    assert(e >= 1);
    C(NGRED + i, e) += 1.0f;
  }
  for (int i = 1; i <= NR; ++i)
    for (int j = 1; j <= NR; ++j) C(NGRED + j, NGRED + i) += m.FLEX(j, i);
  lst(f.mem, "SE AGREGARAN LAS FLEXIBILIDADES POR ZAPATAS AISLADAS");
  for (int i = 1; i <= MR; ++i) {
    const int e = m.NUMGL(m.NREACN(i));
    assert(e >= 1);
    C(NGRED + NR + i, e) += 1.0f;
    for (int j = 1; j <= MR; ++j) C(NGRED + NR + i, NGRED + NR + j) += m.FLEX(NR + i, NR + j);
  }
  lst(f.mem, "Matriz Cr + FLEXIBILIDADES");
  if (detail && NTOT <= 200)
    for (int i = 1; i <= NTOT; ++i) {
      Rec r(f.mem, "(200F10.5)");
      for (int j = 1; j <= NTOT; ++j) r << C(i, j);
    }

  lst(f.mem, "FORMACION DE B");
  for (int i = 1; i <= NTOT; ++i) {
    const float ve = eq_entry(vered, i), pr = eq_entry(m.PRED, i);
    Bv[static_cast<std::size_t>(i)] = ve + pr;
    if (detail) put(f.mem, "(I5, 3F12.6)", i, ve, pr, Bv[static_cast<std::size_t>(i)]);
  }

  if (NGRED >= 1)
    for (int c = 1; c <= NTOT; ++c)
      for (int r = 1; r <= NGRED; ++r) C(r, c) += m.akr(r, c);
  lst(f.mem, "FORMACION DE CR TOTAL");
  if (detail && NTOT <= 2000) {
    // Rows sixteen at a time, copied out of the column-by-column store.
    constexpr std::size_t T = 16;
    if (row_tile.size() < T * n) row_tile.resize(T * n);
    const Layout& row_layout = layout("(2000F20.8)");
    for (int i0 = 1; i0 <= NTOT; i0 += static_cast<int>(T)) {
      const std::size_t rows = std::min(T, static_cast<std::size_t>(NTOT - i0 + 1));
      for (int j = 1; j <= NTOT; ++j) {
        const float* cj = &C(i0, j);
        for (std::size_t q = 0; q < rows; ++q) row_tile[q * n + static_cast<std::size_t>(j - 1)] = cj[q];
      }
      for (std::size_t q = 0; q < rows; ++q) {
        Rec r(f.mem, row_layout);
        const float* row = row_tile.data() + q * n;
        for (std::size_t j = 0; j < n; ++j) r << row[j];
      }
    }
  }

  for (int i = 1; i <= NTOT; ++i) x[static_cast<std::size_t>(i)] = Bv[static_cast<std::size_t>(i)];
  gaussj(Cr, NTOT, NTOT, x.data() + 1, f.con);

  lst(f.mem, "IMPRESION DE VECTOR SOLUCION");
  if (detail)
    for (int i = 1; i <= NTOT; ++i) lst(f.mem, i, x[static_cast<std::size_t>(i)]);

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

  lst(f.rep, "REACCIONES ESTIMADAS:");
  for (int k = 1; k <= NRT; ++k) lst(f.rep, k, m.DESP(NGL + k));
  put(f.rep, "(//'NUDO, HUNDIMIENTO DEL NUDO'/'              (m)')");
  for (int k = 1; k <= NRT; ++k) put(f.rep, "(I5, F10.5)", k, m.HUNDIM(k));
  write_node_displacements(m, f);

  write_result_values(m, f);

  put(f.mem, "(/'GRADO DE LIBERTAD, REACCION (t) HASTA N=', I5, '    ,  Y GIROS (rad) LOS SIGUIENTES '/)", NR);
  if (detail)
    for (int i = 1; i <= NGL; ++i) lst(f.mem, i, m.DESP(i));
  lst(f.mem, "desplazamientos nodales");
  if (detail)
    for (int k = 1; k <= NN; ++k) lst(f.mem, k, m.DESP(6 * k - 5), m.DESP(6 * k - 4), m.DESP(6 * k - 3));
}

}  // namespace korvant
