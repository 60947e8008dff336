// Shear and bending-moment diagrams along each named axis: every bar of the
// axis is sampled at NDIV + 1 points from the end forces at its first end, with
// the case's uniform load over the whole bar and, under a foundation bar, the
// soil reaction of each end spread over the half of the bar next to it.
#include "frame/element_matrices.hpp"
#include "frame/frame.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

DiagramPoint diagram_point(float V0, float M0, float rr, float rs, float w, float L, float x) {
  const float h = L / 2.0f;
  if (x <= h) return {V0 + (rr - w) * x, (V0 + (0.5f * (rr - w)) * x) * x - M0};
  return {((V0 + rr * h) - w * x) + rs * (x - h),
          (((V0 - (0.5f * w) * x) * x + (rr * h) * (x - L / 4.0f)) - M0) + (0.5f * rs) * ((x - h) * (x - h))};
}

void diagrams(Model& m, Files& f, int caso) {
  OutFile& log = f.mem;
  { Lst empty(f.rep); }
  { Lst empty(f.rep); }
  lst(f.rep, "DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE");
  lst(log, "DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE");
  lst(log, "caso=", caso);
  if (m.NEJES < 1) return;

  const Layout& rep_line = layout("(I5, 3F12.6)");
  for (int a = 1; a <= m.NEJES; ++a) {
    lst(f.rep, m.NOMEJE(a));
    lst(f.rep, "BARRA     X           V           M      ");
    float deje = 0.0f;
    for (int k = 1; k <= m.NBEJE(a); ++k) {
      const int b = m.BAREJE(a, k);
      // An axis naming a bar that does not exist is rejected when the axes are
      // read; the guard keeps this pass safe on its own.
      if (b < 1 || b > m.NB) continue;
      const float L = m.LONG(b);
      const float dl = L / static_cast<float>(m.NDIV);
      const float w = case_load(m, b, caso);
      if (caso == 2) {
        lst(log, "CVMAX+CM+PP+PV");
        lst(log, m.CARGASBARRA(b, 1), m.CARGASBARRA(b, 4), m.CARGASBARRA(b, 5), m.CARGASBARRA(b, 6));
      }

      int pi = 0, pj = 0;
      for (int j = 1; j <= m.NR; ++j) {
        lst(log, "REACCION", m.NREAC(j));
        lst(log, "VGL(NBAR,3)=", m.GLBARRA(b, 3));
        lst(log, "VGL(NBAR,9)=", m.GLBARRA(b, 9));
        if (m.NREAC(j) == m.GLBARRA(b, 3)) pi = j;
        if (m.NREAC(j) == m.GLBARRA(b, 9)) pj = j;
      }
      lst(log, "NBAR=", b);
      lst(log, "SU(NBAR)=", m.TIPO(b));

      float rr = 0.0f, rs = 0.0f;
      if (m.TIPO(b) == 1) {
        if (pi != 0) rr = m.DESP(m.NGL + pi);
        if (pj != 0) rs = m.DESP(m.NGL + pj);
      }
      lst(log, "rr=", rr, "rs=", rs);
      lst(log, "WL=", w);
      lst(log, "al1=", L, "dl=", dl);
      lst(log, "deje=", deje);

      const float V0 = m.VGL(b, 3), M0 = m.VGL(b, 5);
      for (int j = 0; j <= m.NDIV; ++j) {
        const float x = static_cast<float>(j) * dl;
        lst(log, "xpos=", x);
        const DiagramPoint pt = diagram_point(V0, M0, rr, rs, w, L, x);
        Rec r(f.rep, rep_line);
        r << b << x + deje << pt.V << pt.M;
      }
      deje = static_cast<float>(m.NDIV) * dl + deje;
    }
  }
}

}  // namespace korvant
