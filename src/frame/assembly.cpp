// Bar load vectors and the assembly of the extended frame stiffness matrix akr:
// frame stiffness in columns 1..NGRED, the loads of a unit area reaction in the
// next NR columns and -1 for each nodal reaction in the last MR columns.
#include <algorithm>

#include "frame/element_matrices.hpp"
#include "frame/frame.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

// Adds v to entry (i, j) of the extended stiffness, in the form the solver
// takes: dense and in single precision for gaussj; by compressed columns
// (within the pattern made beforehand) and in double precision for the sparse
// solver, whose frame rows are then the sums of the element matrices to double
// round-off (a column of a free body sums to 0, so its solution balances the
// loads to double round-off). Both receive the same terms in the same order.
void akr_add(Model& m, int i, int j, float v) {
  if (m.method.sparse_solver())
    m.akr_sparse.at(i, j) += static_cast<double>(v);
  else
    m.akr(i, j) += v;
}
void akr_set(Model& m, int i, int j, float v) {
  if (m.method.sparse_solver())
    m.akr_sparse.at(i, j) = static_cast<double>(v);
  else
    m.akr(i, j) = v;
}
float akr_value(const Model& m, int i, int j) {
  return m.method.sparse_solver() ? static_cast<float>(m.akr_sparse(i, j)) : m.akr(i, j);
}

// The pattern of the extended stiffness by compressed columns: every pair of
// free degrees of freedom of a bar, the free degrees of freedom of a bar
// whose two ends are area reactions in those reactions' columns, and the
// nodal reactions' -1. Values all 0.
void sparse_pattern(Model& m) {
  SparseTab<double>& K = m.akr_sparse;
  K.n1 = m.NGRED;
  K.n2 = m.NGRED + m.NR + m.MR;
  std::vector<std::vector<int>> rows(static_cast<std::size_t>(K.n2) + 1);
  int eq[12];
  for (int b = 1; b <= m.NB; ++b) {
    for (int k = 1; k <= 6; ++k) {
      eq[k - 1] = m.NUMGL(6 * m.PI(b) - 6 + k);
      eq[k + 5] = m.NUMGL(6 * m.PJ(b) - 6 + k);
    }
    auto add_column = [&](int col) {
      for (int r : eq)
        if (r != 0) rows[static_cast<std::size_t>(col)].push_back(r);
    };
    for (int c : eq)
      if (c != 0) add_column(c);
    if (m.NR >= 1) {
      const int p1 = area_reaction_position(m, 6 * m.PI(b) - 3), p2 = area_reaction_position(m, 6 * m.PJ(b) - 3);
      if (p1 != 0 && p2 != 0) {
        add_column(m.NGRED + p1);
        add_column(m.NGRED + p2);
      }
    }
  }
  for (int k = 1; k <= m.MR; ++k) {
    const int e = m.NUMGL(m.NREACN(k));
    if (e != 0) rows[static_cast<std::size_t>(m.NGRED + m.NR + k)].push_back(e);
  }
  K.col_start.assign(static_cast<std::size_t>(K.n2) + 1, 0);
  K.row.clear();
  for (int j = 1; j <= K.n2; ++j) {
    std::vector<int>& r = rows[static_cast<std::size_t>(j)];
    std::sort(r.begin(), r.end());
    r.erase(std::unique(r.begin(), r.end()), r.end());
    K.row.insert(K.row.end(), r.begin(), r.end());
    K.col_start[static_cast<std::size_t>(j)] = static_cast<int>(K.row.size());
    std::vector<int>().swap(r);
  }
  K.values.assign(K.row.size(), 0.0);
}

void log_vec(LogDetail log, std::string_view lay, const Vec12& v) {
  LogRec r(log, layout(lay));
  for (int i = 1; i <= 12; ++i) r << v(i);
}

void log_row(LogDetail log, std::string_view lay, const Model& m, int b) {
  LogRec r(log, layout(lay));
  for (int k = 1; k <= 6; ++k) r << m.CARGASBARRA(b, k);
}

// Adds a bar's global load vector into the full vector (by degree of freedom)
// and, for free degrees of freedom, into the reduced vector (by equation).
void add_load(const Model& m, int b, const Vec12& qr, Tab1<float>& full, Tab1<float>& red) {
  for (int r = 1; r <= 12; ++r) {
    int g = m.GLBARRA(b, r);
    full(g) += qr(r);
    int e = m.NUMGL(g);
    if (e != 0) red(e) += qr(r);
  }
}

// Local vector of a uniform load w with the axial self weight at the lower end.
void uniform_load(Vec12& q, float w, float L, float L2, float pN, float u1z) {
  q.clear();
  if (u1z > 0.0f)
    q(1) = -pN * L;
  else
    q(7) = -pN * L;
  q(3) = -((w * L) / 2.0f);
  q(9) = -((w * L) / 2.0f);
  q(5) = -((w * L2) / 12.0f);
  q(11) = (w * L2) / 12.0f;
}

// Adds the global form of a half-bar unit reaction load into one column of akr.
void add_reaction_column(Model& m, int b, const Vec12& qr, int col) {
  for (int r = 1; r <= 12; ++r) {
    int f = m.NUMGL(m.GLBARRA(b, r));
    if (f != 0) akr_add(m, f, col, qr(r));
  }
}

void dump_vectors(Log& log, const Model& m, int s, const Tab1<float>& red, const Tab1<float>& full) {
  const int NC = m.NGRED + m.NR;
  const Layout& head = layout("(5X, 1000I20)");
  const Layout& line = layout("(I5, 1000F20.8)");
  // Whole vectors are detail of the log; their headings are steps.
  const bool detail_lines = log.keeps(LogLine::detail);
  lst(log, "VECTOR DE CARGAS REDUCIDO, vered" + std::to_string(s));
  if (detail_lines) {
    LogRec r(detail(log), head);
    for (int j = 1; j <= NC; ++j) r << j;
  }
  for (int i = 1; i <= m.NGRED && detail_lines; ++i) {
    LogRec r(detail(log), line);
    r << i << red(i);
  }
  lst(log, "VECTOR DE CARGAS completo");
  if (detail_lines) {
    LogRec r(detail(log), head);
    for (int j = 1; j <= m.NR + m.NGL; ++j) r << j;
  }
  for (int i = 1; i <= m.NGL && detail_lines; ++i) {
    LogRec r(detail(log), line);
    r << i << full(i);
  }
}

}  // namespace

void write_bar_loads(const Model& m, OutFile& rep) {
  lst(rep, "CARGAS UNIFORMES DETERMINADAS EN CADA BARRA");
  lst(rep, "  Barra     CVMax       CVMed      CVInst     CMuerta     PPropio          PV");
  const Layout& load_line = layout("(I6, 6F12.4)");
  for (int b = 1; b <= m.NB; ++b) {
    Rec r(rep, load_line);
    r << b;
    for (int k = 1; k <= 6; ++k) r << m.CARGASBARRA(b, k);
  }
}

void write_total_load(const Model& m, OutFile& rep) {
  lst(rep, "La carga total de la estructura es", m.CARGATOTAL);
  lst(rep, "La presión máxima qmax ejercida por la estructura es", m.qmax);
}

// The steps below run once per bar: every line they log is detail.

// The element of bar b: its load line in the log, its matrices, its stiffness
// added to akr by equation numbers (restrained degrees of freedom get nothing).
void add_stiffness(Model& m, LogDetail log, int b, Element& e) {
  const Layout& load_line = layout("(I6, 6F12.4)");
  {
    LogRec r(log, load_line);
    r << b;
    for (int k = 1; k <= 6; ++k) r << m.CARGASBARRA(b, k);
  }

  element_matrices(m, log, b, ElementPass::Assembly, e);
  for (int k = 1; k <= 12; ++k) {
    int eq = m.NUMGL(m.GLBARRA(b, k));
    if (eq == 0) continue;
    for (int r = 1; r <= 12; ++r) {
      int fq = m.NUMGL(m.GLBARRA(b, r));
      if (fq != 0) akr_add(m, eq, fq, e.KPROY(k, r));
    }
  }
}

// Self weight of bar b: the part perpendicular to the bar joins Pprop, the
// axial part goes to the lower end; the bar's loads join the total load.
// Returns the axial part per unit length.
float self_weight(Model& m, LogDetail log, int b, const Element& e) {
  const float L = m.LONG(b);
  const float W = (e.gamma * e.A) * L;
  m.CARGATOTAL = m.CARGATOTAL + ((((m.CARGASBARRA(b, 1) + m.CARGASBARRA(b, 4)) + m.CARGASBARRA(b, 5)) * L) + W);
  const float u1z = m.COSDIR(b, 1, 3);
  const float u3z = m.COSDIR(b, 3, 3);
  const float pperp = (W * u3z) / L;
  const float pN = (W * u1z) / L;
  m.CARGASBARRA(b, 5) += pperp;
  lst(log, "La carga uniforme perpendicular por peso propio es", pperp);
  lst(log, "La carga uniforme normal por peso propio es", pN);
  return pN;
}

// The fixed-end loads of bar b in the load sets 1 (expansion, PV only), 2
// (immediate compression) and 3 (deferred compression).
void add_load_sets(Model& m, LogDetail log, int b, const Element& e, float pN, Vec12& q, Vec12& qr) {
  const float L = m.LONG(b), L2 = e.L2;
  const float u1z = m.COSDIR(b, 1, 3);
  const float PV = m.CARGASBARRA(b, 6);

  // Set 1, expansion: end forces of PV only.
  lst(log, "Elemento:", b);
  lst(log, "Expansión, CARGA UNIFORME", PV);
  q.clear();
  q(3) = -((PV * L) / 2.0f);
  q(9) = -((PV * L) / 2.0f);
  MULTMAT(log, e.TT, q, qr);
  lst(log, "Vector de cargas rotadas, PV");
  log_vec(log, "(12F10.3)", qr);
  add_load(m, b, qr, m.vecomp1, m.vered1);

  // Set 2, immediate compression.
  float w = case_load(m, b, 2);  // CVMax + CM + PP + PV
  lst(log, "Elemento:", b);
  lst(log, "Compresión inmediata, CARGA UNIFORME", w);
  log_row(log, "(6F10.3)", m, b);
  lst(log, "Vector u1=", m.COSDIR(b, 1, 1), m.COSDIR(b, 1, 2), m.COSDIR(b, 1, 3));
  uniform_load(q, w, L, L2, pN, u1z);
  lst(log, "Vector de cargas en coord locales, CVMax+CM+PP+PV");
  log_vec(log, "(12F10.4)", q);
  MULTMAT(log, e.TT, q, qr);
  lst(log, "Vector de cargas rotadas, CVMax+CM+PP+PV");
  log_vec(log, "(12F10.4)", qr);
  add_load(m, b, qr, m.vecomp2, m.vered2);
  lst(log, "EL VECTOR DE CARGAS GLOBAL");
  {
    LogRec r(log, layout("(12F10.4)"));
    for (int k = 1; k <= 12; ++k) r << m.vecomp2(m.GLBARRA(b, k));
  }

  // Set 3, deferred compression.
  w = case_load(m, b, 3);  // CVMed + CM + PP + PV
  lst(log, "Elemento:", b);
  lst(log, "Compresión diferida, CARGA UNIFORME", w);
  log_row(log, "(6F10.3)", m, b);
  uniform_load(q, w, L, L2, pN, u1z);
  lst(log, "Vector de cargas en coord locales, CVMed+CM+PP+PV");
  log_vec(log, "(12F10.4)", q);
  MULTMAT(log, e.TT, q, qr);
  lst(log, "Vector de cargas rotadas, CVMed+CM+PP+PV");
  log_vec(log, "(12F10.4)", qr);
  add_load(m, b, qr, m.vecomp3, m.vered3);
}

// A foundation bar with both ends on area reactions: the loads that a unit
// reaction spread over each half of the bar puts on its ends.
void add_reaction_columns(Model& m, LogDetail log, int b, const Element& e, Vec12& q, Vec12& qr) {
  const float L = m.LONG(b), L2 = e.L2;
  if (m.NR >= 1) {
    const int ncol1 = area_reaction_position(m, m.GLBARRA(b, 3));
    const int ncol2 = area_reaction_position(m, m.GLBARRA(b, 9));
    if (ncol1 != 0 && ncol2 != 0) {
      q.clear();
      q(3) = -(HALF_NEAR_L * L);
      q(5) = -(HALF_NEAR_L2 * L2);
      q(9) = -(HALF_FAR_L * L);
      q(11) = HALF_FAR_L2 * L2;
      MULTMAT(log, e.TT, q, qr);
      add_reaction_column(m, b, qr, m.NGRED + ncol1);
      q.clear();
      q(3) = -(HALF_FAR_L * L);
      q(5) = -(HALF_FAR_L2 * L2);
      q(9) = -(HALF_NEAR_L * L);
      q(11) = HALF_NEAR_L2 * L2;
      MULTMAT(log, e.TT, q, qr);
      add_reaction_column(m, b, qr, m.NGRED + ncol2);
    }
  }
}

// The total load with the column loads, the mean pressure qmax, the nodal
// reactions' columns of akr.
void total_load(Model& m) {
  // The column loads typed on the nodes are part of the total load (downwards
  // negative in the data file); a load on a restrained vertical never reaches
  // the structure. The mean pressure spreads the total over the whole
  // foundation, isolated footings included.
  for (int n = 1; n <= m.NN; ++n) {
    const int g = 6 * (n - 1) + 3;
    if (m.NUMGL(g) != 0) m.CARGATOTAL = m.CARGATOTAL - m.P(g);
  }
  float area = m.ACIM;
  for (int z = 1; z <= m.NZAP; ++z) area = area + m.ANCHO(z) * m.LARGO(z);
  m.qmax = m.CARGATOTAL / area;

  for (int k = 1; k <= m.MR; ++k) {
    int eq = m.NUMGL(m.NREACN(k));
    if (eq != 0) akr_set(m, eq, m.NGRED + m.NR + k, -1.0f);
  }
}

// akr and the load vectors in the log, for a system of at most 1000 columns.
void log_extended_matrix(const Model& m, Log& log) {
  const int NC = m.NGRED + m.NR;
  if (NC > 1000) return;
  lst(log, "MATRIZ DE REGIDEZ AMPLIADA");
  const bool detail_lines = log.keeps(LogLine::detail);  // the matrix, not its heading
  if (detail_lines) {
    LogRec r(detail(log), layout("(5X, 100I20)"));
    for (int j = 1; j <= NC; ++j) r << j;
  }
  const Layout& line = layout("(I5, 1000F20.8)");
  for (int i = 1; i <= m.NGRED && detail_lines; ++i) {
    LogRec r(detail(log), line);
    r << i;
    for (int j = 1; j <= NC; ++j) r << akr_value(m, i, j);
  }
  dump_vectors(log, m, 1, m.vered1, m.vecomp1);
  dump_vectors(log, m, 2, m.vered2, m.vecomp2);
  dump_vectors(log, m, 3, m.vered3, m.vecomp3);
  dump_vectors(log, m, 4, m.vered4, m.vecomp4);
}

void assemble_frame(Model& m, Log& log) {
  const int ncols = m.NGRED + m.NR + m.MR;
  if (m.method.sparse_solver()) {
    m.akr.size_to(0, 0);
    sparse_pattern(m);
  } else {
    m.akr.size_to(m.NGRED, ncols);
  }
  m.vered1.size_to(m.NGRED);
  m.vered2.size_to(m.NGRED);
  m.vered3.size_to(m.NGRED);
  m.vered4.size_to(m.NGRED);
  m.vecomp1.size_to(m.NGL);
  m.vecomp2.size_to(m.NGL);
  m.vecomp3.size_to(m.NGL);
  m.vecomp4.size_to(m.NGL);
  bar_dofs(m);

  m.CARGATOTAL = 0.0f;
  Element e;
  Vec12 q, qr;
  for (int b = 1; b <= m.NB; ++b) {
    add_stiffness(m, log, b, e);
    const float pN = self_weight(m, log, b, e);
    add_load_sets(m, log, b, e, pN, q, qr);
    add_reaction_columns(m, log, b, e, q, qr);
  }

  // The secondary consolidation acts under the same sustained bar loads as the
  // primary one (its member forces subtract them as fixed-end loads).
  m.vered4.v = m.vered3.v;
  m.vecomp4.v = m.vecomp3.v;

  total_load(m);
  log_extended_matrix(m, log);
}

}  // namespace korvant
