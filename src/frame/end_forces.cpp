// Member end forces of every bar for a solved case, in the bar's local axes:
// K*d of the end displacements, less the loads of the soil reactions under a
// foundation bar, less the fixed-end loads of the case's uniform load.
#include "frame/element_matrices.hpp"
#include "model/analysis_passes.hpp"
#include "frame/frame.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

const char* const ETIQMEC[13] = {"",
                                 "NORMAL X1           ", "CORTANTE Y1         ", "CORTANTE Z1         ",
                                 "TORSION X1          ", "FLEXIONANTE Y1      ", "FLEXIONANTE Z1      ",
                                 "NORMAL X2           ", "CORTANTE Y2         ", "CORTANTE Z2         ",
                                 "TORSION X2          ", "FLEXIONANTE Y2      ", "FLEXIONANTE Z2      "};

void log_vec(LogDetail log, const Layout& l, const Vec12& v) {
  LogRec r(log, l);
  for (int i = 1; i <= 12; ++i) r << v(i);
}

}  // namespace

// Uniform load of a bar in load set `set` (1..3, AnalysisCase::load_set).
float case_load(const Model& m, int b, int set) {
  const float CVMax = m.CARGASBARRA(b, 1), CVMed = m.CARGASBARRA(b, 2), CM = m.CARGASBARRA(b, 4),
              PP = m.CARGASBARRA(b, 5), PV = m.CARGASBARRA(b, 6);
  if (set == 1) return PV;
  if (set == 2) return ((CVMax + CM) + PP) + PV;
  return ((CVMed + CM) + PP) + PV;
}

void end_forces(const Model& m, Log& log, PassSolution& s) {
  const int case_no = s.c.case_no;
  const Tab1<float>& DESP = s.DESP;
  s.VGL.size_to(m.NB, 12);

  lst(log, "Caso:", case_no);
  lst(log, "GRADOS DE LIBERTAD", m.NGL);
  lst(log, "VECTOR SOLUCIÓN");
  lst(log, "NR=", m.NR);
  // The solution holds NGL + NR + MR entries; the log runs over NGL + NN and
  // shows the entries past the solution as zeros.
  for (int i = 1; i <= m.NGL + m.NN; ++i) lst(detail(log), i <= DESP.size() ? DESP(i) : 0.0f);

  if (m.NB < 1) return;

  const Layout& l4 = layout("(12F10.4)");
  const Layout& l2 = layout("(12F10.2)");
  Element e;
  Vec12 dg, dl, Kd, VR, FEMP, F, pg, pl;
  for (int b = 1; b <= m.NB; ++b) {
    const float L = m.LONG(b);
    const float w = case_load(m, b, analysis_case(case_no).load_set);
    lst(detail(log), "LA CARGA UNIFORME SOBRE LA BARRA", b, " ES", w);

    element_matrices(m, log, b, ElementPass::EndForces, e);
    const float L2 = e.L2;

    lst(detail(log), "VECTOR DE DESPLAZAMIENTOS POR BARRA", b);
    for (int r = 1; r <= 12; ++r) {
      dg(r) = DESP(m.GLBARRA(b, r));
      lst(detail(log), dg(r));
    }
    MULTMAT(log, e.TRANS, dg, dl);
    lst(detail(log), "VECTOR DE DESPLAZAMIENTOS LOCAL POR BARRA", b);
    log_vec(log, l4, dl);

    // Nodal loads at the bar's ends: logged only, they act on the nodes.
    for (int r = 1; r <= 12; ++r) pg(r) = m.P(m.GLBARRA(b, r));
    lst(detail(log), "VECTOR GLOBAL DE CARGAS, BARRA", b);
    log_vec(log, l4, pg);
    MULTMAT(log, e.TRANS, pg, pl);
    lst(detail(log), "VECTOR LOCAL DE CARGAS, BARRA", b);
    log_vec(log, l4, pl);

    MULTMAT(log, e.KELEM, dl, Kd);
    lst(detail(log), "VECTOR K*d, BARRA", b);
    log_vec(log, l2, Kd);

    // Soil reactions spread over each half of a bar whose two ends are area reactions.
    VR.clear();
    if (m.NR >= 1) {
      const int ncol1 = area_reaction_position(m, m.GLBARRA(b, 3));
      const int ncol2 = area_reaction_position(m, m.GLBARRA(b, 9));
      if (ncol1 != 0 && ncol2 != 0) {
        const float ri = DESP(m.NGL + ncol1);
        const float rj = DESP(m.NGL + ncol2);
        VR(3) = (HALF_NEAR_L * L) * ri + (HALF_FAR_L * L) * rj;
        VR(5) = (HALF_NEAR_L2 * L2) * ri + (HALF_FAR_L2 * L2) * rj;
        VR(9) = (HALF_FAR_L * L) * ri + (HALF_NEAR_L * L) * rj;
        VR(11) = -(HALF_FAR_L2 * L2) * ri - (HALF_NEAR_L2 * L2) * rj;
        lst(detail(log), "añadiendo la contribución de las reacciones");
        lst(detail(log), "ncol1=", ncol1);
        lst(detail(log), "ncol2=", ncol2);
        lst(detail(log), "X(ncol1+NG)=", ri);
        lst(detail(log), "X(ncol2+NG)=", rj);
        lst(detail(log), "VECTOR POR REACCIONES VR, BARRA", b);
        log_vec(log, l4, VR);
      }
    }

    FEMP.clear();
    FEMP(3) = -((w * L) / 2.0f);
    FEMP(9) = -((w * L) / 2.0f);
    FEMP(5) = -((w * L2) / 12.0f);
    FEMP(11) = (w * L2) / 12.0f;
    lst(detail(log), "VECTOR EMPOTRAMIENTO, BARRA", b);
    log_vec(log, l4, FEMP);

    lst(detail(log), "VECTOR Kd ANTES DE SUMAR VR, BARRA", b);
    log_vec(log, l4, Kd);
    Vec12 KdVR;
    for (int r = 1; r <= 12; ++r) KdVR(r) = Kd(r) - VR(r);
    lst(detail(log), "VECTOR LOCAL K*d+VR, BARRA", b);
    log_vec(log, l4, KdVR);
    for (int r = 1; r <= 12; ++r) F(r) = KdVR(r) - FEMP(r);
    lst(detail(log), "VECTOR DE ELEMENTOS MECANICOS, BARRA", b);
    log_vec(log, l4, F);

    for (int r = 1; r <= 12; ++r) s.VGL(b, r) = F(r);
  }
}

void write_end_forces(const Model& m, const PassSolution& s, OutFile& rep) {
  { Rec heading(rep, "(//2X, 'BARRA', 6X, 'ELEMENTOS', 5X, 'GRADO DE', 12X, 'MAGNITUD'/13X, 'MECANICOS', 5X, 'LIBERTAD'/)"); }
  const Layout& rep_line = layout("(I5, 7X, A14, I6, 10X, F15.8)");
  for (int b = 1; b <= m.NB; ++b) {
    for (int r = 1; r <= 12; ++r) {
      Rec rl(rep, rep_line);
      rl << b << ETIQMEC[r] << m.GLBARRA(b, r) << s.VGL(b, r);
    }
  }
}

}  // namespace korvant
