#include "frame/element_matrices.hpp"

#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

// A whole matrix: detail of the log.
void dump_rows(LogDetail log, const Mat12& a, std::string_view lay) {
  if (!log.keeps()) return;
  const Layout& l = layout(lay);
  for (int i = 1; i <= 12; ++i) {
    LogRec r(log, l);
    for (int j = 1; j <= 12; ++j) r << a(i, j);
  }
}

void log_a(LogDetail log, const Mat12& A) {
  lst(log, "MATRIZ A");
  dump_rows(log, A, "(12F10.2)");
}

}  // namespace

bool same_name(const std::string& a, const std::string& b) {
  std::size_t na = a.find_last_not_of(' ');
  std::size_t nb = b.find_last_not_of(' ');
  na = (na == std::string::npos) ? 0 : na + 1;
  nb = (nb == std::string::npos) ? 0 : nb + 1;
  return na == nb && a.compare(0, na, b, 0, nb) == 0;
}

int area_reaction_position(const Model& m, int g) {
  int pos = 0;
  for (int l = 1; l <= m.NR; ++l)
    if (m.NREAC(l) == g) pos = l;
  return pos;
}

void TRANSPMAT(const Mat12& A, Mat12& C) {
  C.clear();
  for (int i = 1; i <= 12; ++i)
    for (int j = 1; j <= 12; ++j) C(i, j) = A(j, i);
}

void MULTMAT(LogDetail log, const Mat12& A, const Mat12& B, Mat12& C) {
  log_a(log, A);
  lst(log, "MATRIZ B");
  dump_rows(log, B, "(12F10.5)");
  C.clear();
  for (int j = 1; j <= 12; ++j)
    for (int i = 1; i <= 12; ++i) {
      float s = 0.0f;
      for (int k = 1; k <= 12; ++k) s += A(i, k) * B(k, j);
      C(i, j) = s;
    }
}

void MULTMAT(LogDetail log, const Mat12& A, const Vec12& B, Vec12& C) {
  log_a(log, A);
  lst(log, "MATRIZ B");
  const Layout& l = layout("(12F10.5)");
  for (int i = 1; i <= 12 && log.keeps(); ++i) {
    LogRec r(log, l);
    r << B(i);
  }
  C.clear();
  for (int i = 1; i <= 12; ++i) {
    float s = 0.0f;
    for (int k = 1; k <= 12; ++k) s += A(i, k) * B(k);
    C(i) = s;
  }
}

void element_matrices(const Model& m, LogDetail log, int b, ElementPass pass, Element& e) {
  const bool assembly = pass == ElementPass::Assembly;
  e.KELEM.clear();
  e.TRANS.clear();
  e.TT.clear();

  // Section and material. Every matching entry is taken: the last one wins.
  if (assembly) {
    lst(log, b, "SECCIÓN:", m.BARSEC(b));
    lst(log, "INICIALIZÓ VARIABLES");
  }
  e.A = e.Iy = e.Iz = e.J = 0.0f;
  for (int k = 1; k <= m.NSEC; ++k) {
    if (!same_name(m.SECNOM(k), m.BARSEC(b))) continue;
    if (assembly) lst(log, "SECCIÓN:", m.BARSEC(b), m.SECNOM(k));
    e.A = m.AREASEC(k);
    e.Iy = m.Iy(k);
    e.Iz = m.Iz(k);
    e.J = m.IRot(k);
    if (assembly) e.gamma = 0.0f;
    e.E = e.nu = 0.0f;
    for (int l = 1; l <= m.NMAT; ++l) {
      if (!same_name(m.MATNOM(l), m.SECMAT(k))) continue;
      if (assembly) e.gamma = m.PESOVOL(l);
      e.E = m.MODELAST(l);
      e.nu = m.RPOISSON(l);
    }
  }

  // Stiffness coefficients.
  const float L = m.LONG(b);
  e.L = L;
  e.L2 = L * L;
  e.L3 = e.L2 * L;
  if (assembly) lst(log, "al1=", e.L, " al2=", e.L2, " al3=", e.L3);
  const float E = e.E;
  e.rax = (E * e.A) / L;
  e.raay = ((12.0f * E) * e.Iy) / e.L3;
  e.raby = ((6.0f * E) * e.Iy) / e.L2;
  e.r11y = ((4.0f * E) * e.Iy) / L;
  e.r12y = ((2.0f * E) * e.Iy) / L;
  e.raaz = ((12.0f * E) * e.Iz) / e.L3;
  e.rabz = ((6.0f * E) * e.Iz) / e.L2;
  e.r11z = ((4.0f * E) * e.Iz) / L;
  e.r12z = ((2.0f * E) * e.Iz) / L;
  e.G = E / (2.0f * (1.0f + e.nu));
  e.rj = (e.G * e.J) / L;
  lst(log, "rj=", e.rj, "it=", e.J);
  lst(log, "rax=", e.rax);
  lst(log, "raay=", e.raay);
  lst(log, "raby=", e.raby);
  lst(log, "r11y=", e.r11y);
  lst(log, "r12y=", e.r12y);
  lst(log, "rj=", e.rj);
  lst(log, "raaz=", e.raaz);
  lst(log, "rabz=", e.rabz);
  lst(log, "r11z=", e.r11z);
  lst(log, "r12z=", e.r12z);

  // Local stiffness (symmetric).
  Mat12& K = e.KELEM;
  K(1, 1) = e.rax;   K(1, 7) = -e.rax;
  K(2, 2) = e.raaz;  K(2, 6) = -e.rabz; K(2, 8) = -e.raaz; K(2, 12) = -e.rabz;
  K(3, 3) = e.raay;  K(3, 5) = e.raby;  K(3, 9) = -e.raay; K(3, 11) = e.raby;
  K(4, 4) = e.rj;    K(4, 10) = -e.rj;
  K(5, 3) = e.raby;  K(5, 5) = e.r11y;  K(5, 9) = -e.raby; K(5, 11) = e.r12y;
  K(6, 2) = -e.rabz; K(6, 6) = e.r11z;  K(6, 8) = e.rabz;  K(6, 12) = e.r12z;
  K(7, 1) = -e.rax;  K(7, 7) = e.rax;
  K(8, 2) = -e.raaz; K(8, 6) = e.rabz;  K(8, 8) = e.raaz;  K(8, 12) = e.rabz;
  K(9, 3) = -e.raay; K(9, 5) = -e.raby; K(9, 9) = e.raay;  K(9, 11) = -e.raby;
  K(10, 4) = -e.rj;  K(10, 10) = e.rj;
  K(11, 3) = e.raby; K(11, 5) = e.r12y; K(11, 9) = -e.raby; K(11, 11) = e.r11y;
  K(12, 2) = -e.rabz; K(12, 6) = e.r12z; K(12, 8) = e.rabz; K(12, 12) = e.r11z;

  // Transformation: four copies of the direction cosines on the diagonal.
  if (assembly) {
    lst(log, "Vector u1=", m.COSDIR(b, 1, 1), m.COSDIR(b, 1, 2), m.COSDIR(b, 1, 3));
    lst(log, "Vector u2=", m.COSDIR(b, 2, 1), m.COSDIR(b, 2, 2), m.COSDIR(b, 2, 3));
    lst(log, "Vector u3=", m.COSDIR(b, 3, 1), m.COSDIR(b, 3, 2), m.COSDIR(b, 3, 3));
  }
  for (int blk = 0; blk < 4; ++blk)
    for (int i = 1; i <= 3; ++i)
      for (int k = 1; k <= 3; ++k) e.TRANS(3 * blk + i, 3 * blk + k) = m.COSDIR(b, i, k);
  lst(log, "MATRIZ DE TRANSFORMACION [T] DE LA BARRA:", b);
  dump_rows(log, e.TRANS, "(12F15.6)");

  TRANSPMAT(e.TRANS, e.TT);
  lst(log, "MATRIZ DE TRANSFORMACION TRANSPUESTA [TT]", assembly ? "DE LA BARRA:" : " DE LA BARRA:", b);
  dump_rows(log, e.TT, "(12F15.6)");

  lst(log, "MATRIZ ELEMENTAL DE :", b);
  dump_rows(log, e.KELEM, "(12F15.6)");

  lst(log, "MATRIZ ELEMENTAL PROYECTADA:", b);
  MULTMAT(log, e.TT, e.KELEM, e.work);
  MULTMAT(log, e.work, e.TRANS, e.KPROY);
  dump_rows(log, e.KPROY, "(12F15.6)");

  lst(log, " PUNTOS DE LA BARA:", m.PI(b), m.PJ(b));
  {
    LogRec r(log, layout("(12I5)"));
    for (int k = 1; k <= 12; ++k) r << bar_dof(m, b, k);
  }
}

void bar_dofs(Model& m) {
  m.GLBARRA.size_to(m.NB, 12);
  for (int b = 1; b <= m.NB; ++b)
    for (int k = 1; k <= 12; ++k) m.GLBARRA(b, k) = bar_dof(m, b, k);
}

}  // namespace korvant
