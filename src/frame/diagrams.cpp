// Shear and bending-moment diagrams along each named axis: every bar of the
// axis is sampled at NDIV + 1 points from the end forces at its first end, with
// the case's uniform load over the whole bar and, under a foundation bar, the
// soil reaction of each end spread over the half of the bar next to it.
#include "frame/element_matrices.hpp"
#include "model/analysis_passes.hpp"
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

void walk_axis(const Model& m, const PassSolution& s, int a, int fine, AxisWalk& out) {
  out.bars.clear();
  out.points.clear();
  if (fine < 1) fine = 1;
  float deje = 0.0f;
  for (int k = 1; k <= m.NBEJE(a); ++k) {
    const int b = m.BAREJE(a, k);
    // An axis naming a bar that does not exist is rejected when the axes are
    // read; the guard keeps this walk safe on its own.
    if (b < 1 || b > m.NB) continue;
    AxisBar ab;
    ab.bar = b;
    ab.L = m.LONG(b);
    ab.dl = ab.L / static_cast<float>(m.NDIV);
    ab.w = case_load(m, b, analysis_case(s.c.case_no).load_set);
    ab.pi = area_reaction_position(m, m.GLBARRA(b, 3));
    ab.pj = area_reaction_position(m, m.GLBARRA(b, 9));
    if (m.TIPO(b) == 1) {
      if (ab.pi != 0) ab.rr = s.DESP(m.NGL + ab.pi);
      if (ab.pj != 0) ab.rs = s.DESP(m.NGL + ab.pj);
    }
    ab.deje = deje;
    ab.first = static_cast<int>(out.points.size());
    const float V0 = s.VGL(b, 3), M0 = s.VGL(b, 5);
    const int n = m.NDIV * fine;
    const float step = fine == 1 ? ab.dl : ab.L / static_cast<float>(n);
    for (int j = 0; j <= n; ++j) {
      const float x = static_cast<float>(j) * step;
      const DiagramPoint pt = diagram_point(V0, M0, ab.rr, ab.rs, ab.w, ab.L, x);
      out.points.push_back({b, x, x + deje, pt.V, pt.M});
    }
    out.bars.push_back(ab);
    deje = static_cast<float>(m.NDIV) * ab.dl + deje;
  }
}

void walk_axes(const Model& m, PassSolution& s, DrawnParts drawn_parts) {
  const bool drawn = drawn_parts != nullptr;
  const std::size_t axes = static_cast<std::size_t>(m.NEJES > 0 ? m.NEJES : 0);
  s.axes.resize(axes);
  s.drawn.resize(drawn ? axes : 0);
  for (int a = 1; a <= m.NEJES; ++a) {
    walk_axis(m, s, a, 1, s.axes[static_cast<std::size_t>(a - 1)]);
    if (!drawn) continue;
    // An axis that no picture draws (0 parts) keeps an empty walk.
    if (const int parts = drawn_parts(m, a); parts > 0) walk_axis(m, s, a, parts, s.drawn[static_cast<std::size_t>(a - 1)]);
  }
}

void log_diagrams(const Model& m, const PassSolution& s, Log& log) {
  const int case_no = s.c.case_no;
  lst(log, "DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE");
  lst(log, "caso=", case_no);
  // The lines of each bar of an axis are detail: without them there is nothing to write.
  if (m.NEJES < 1 || !detail(log).keeps()) return;
  for (const AxisWalk& walk : s.axes) {
    for (const AxisBar& ab : walk.bars) {
      const int b = ab.bar;
      if (analysis_case(case_no).load_set == 2) {
        lst(detail(log), "CVMAX+CM+PP+PV");
        lst(detail(log), m.CARGASBARRA(b, 1), m.CARGASBARRA(b, 4), m.CARGASBARRA(b, 5), m.CARGASBARRA(b, 6));
      }
      for (int j = 1; j <= m.NR; ++j) {
        lst(detail(log), "REACCION", m.NREAC(j));
        lst(detail(log), "VGL(NBAR,3)=", m.GLBARRA(b, 3));
        lst(detail(log), "VGL(NBAR,9)=", m.GLBARRA(b, 9));
      }
      lst(detail(log), "NBAR=", b);
      lst(detail(log), "SU(NBAR)=", m.TIPO(b));
      lst(detail(log), "rr=", ab.rr, "rs=", ab.rs);
      lst(detail(log), "WL=", ab.w);
      lst(detail(log), "al1=", ab.L, "dl=", ab.dl);
      lst(detail(log), "deje=", ab.deje);
      for (int j = 0; j <= m.NDIV; ++j) lst(detail(log), "xpos=", walk.points[static_cast<std::size_t>(ab.first + j)].x);
    }
  }
}

void write_diagrams(const Model& m, const PassSolution& s, OutFile& rep) {
  { Lst empty(rep); }
  { Lst empty(rep); }
  lst(rep, "DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE");
  if (m.NEJES < 1) return;
  const Layout& rep_line = layout("(I5, 3F12.6)");
  for (int a = 1; a <= m.NEJES; ++a) {
    lst(rep, m.NOMEJE(a));
    lst(rep, "BARRA     X           V           M      ");
    for (const AxisPoint& p : s.axes[static_cast<std::size_t>(a - 1)].points) {
      Rec r(rep, rep_line);
      r << p.bar << p.X << p.V << p.M;
    }
  }
}

}  // namespace korvant
