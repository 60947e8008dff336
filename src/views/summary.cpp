// The figures of the summary of one solve, in double precision from the
// single-precision results.
#include "views/summary.hpp"

#include <cmath>
#include <string_view>

#include "frame/element_matrices.hpp"
#include "model/analysis_passes.hpp"
#include "frame/frame.hpp"

namespace korvant {

namespace {

constexpr double PI_D = 3.14159265358979323846;

double d(float v) { return static_cast<double>(v); }

const Tab1<float>& load_vector(const Model& m, int set) {
  return set == 1 ? m.vecomp1 : set == 2 ? m.vecomp2 : m.vecomp3;
}

// The displacement of global degree of freedom g: from the double-precision
// solution when the solver gave one, else DESP.
double displacement(const Model& m, const PassSolution& sol, int g) {
  if (sol.solution_double.empty()) return d(sol.DESP(g));
  const int e = m.NUMGL(g);
  return e != 0 ? sol.solution_double[static_cast<std::size_t>(e - 1)] : 0.0;
}

// Vertical force that the restrained vertical supports carry: at each
// restrained DZ, what the bars ending there push into it (their projected
// stiffness times their end displacements, less their equivalent loads).
// Soil reactions never load such a node's DZ: a reaction's dof is free.
double support_force(const Model& m, const PassSolution& sol, const Tab1<float>& vecomp) {
  std::vector<char> held(static_cast<std::size_t>(m.NN) + 1, 0);
  bool any = false;
  for (int n = 1; n <= m.NN; ++n)
    if (m.NUMGL(6 * n - 3) == 0) held[static_cast<std::size_t>(n)] = 1, any = true;
  if (!any) return 0.0;
  std::vector<double> push(static_cast<std::size_t>(m.NN) + 1, 0.0);
  OutFile discard;  // the element computation's log lines go nowhere here
  Log log(discard);
  Element e;
  for (int b = 1; b <= m.NB; ++b) {
    if (!held[static_cast<std::size_t>(m.PI(b))] && !held[static_cast<std::size_t>(m.PJ(b))]) continue;
    element_matrices(m, log, b, ElementPass::Assembly, e);
    for (int end = 0; end < 2; ++end) {
      const int n = end == 0 ? m.PI(b) : m.PJ(b);
      if (!held[static_cast<std::size_t>(n)]) continue;
      const int row = 6 * end + 3;
      double f = 0.0;
      for (int c = 1; c <= 12; ++c) f += d(e.KPROY(row, c)) * displacement(m, sol, m.GLBARRA(b, c));
      push[static_cast<std::size_t>(n)] += f;
    }
  }
  double total = 0.0;
  for (int n = 1; n <= m.NN; ++n)
    if (held[static_cast<std::size_t>(n)]) total += push[static_cast<std::size_t>(n)] - d(vecomp(6 * n - 3));
  return total;
}

// With the sparse solver the sums take the double-precision solution and each
// free vertical load as the system has it (bar loads plus the load typed on
// the node, added in single precision): its frame rows, summed in double
// precision from the element matrices, balance to double round-off.
void equilibrium(const Model& m, const PassSolution& sol, const Summary& s, const std::vector<ReactionPoint>& rp,
                 Equilibrium& eq) {
  eq.load_set = analysis_case(s.c.case_no).load_set;
  const Tab1<float>& v = load_vector(m, eq.load_set);
  const std::vector<double>& x = sol.solution_double;
  const bool exact = !x.empty();
  for (int n = 1; n <= m.NN; ++n) {
    const int g = 6 * n - 3;
    if (exact && m.NUMGL(g) != 0) {
      eq.load -= d(v(g) + m.P(g));
      continue;
    }
    eq.load -= d(v(g));
    if (m.NUMGL(g) != 0)
      eq.load -= d(m.P(g));
    else
      eq.restrained_loads -= d(m.P(g));
  }
  eq.footings_modelled = s.linear;
  for (const ReactionPoint& p : rp) {
    const double R = exact ? x[static_cast<std::size_t>(m.NGRED + p.k - 1)] : d(p.R);
    if (p.area)
      eq.soil += R * d(m.LONGITUD(m.NREAC(p.k)));
    else if (p.comp == 3)
      eq.footings += R;
  }
  eq.supports = support_force(m, sol, v);
  eq.diff = eq.load - (eq.soil + eq.footings + eq.supports);
  eq.relative = std::fabs(eq.load) >= EQUILIBRIO_TOL_T;
  eq.diff_pct = eq.relative ? eq.diff / eq.load * 100.0 : 0.0;
  eq.ok = eq.relative ? std::fabs(eq.diff_pct) <= EQUILIBRIO_TOL_PCT : std::fabs(eq.diff) <= EQUILIBRIO_TOL_T;
  if (!std::isfinite(eq.diff)) eq.ok = false;
}

// Least-squares plane s = a + bx*x + by*y through the foundation settlements.
// Points on one line give the slope along that line; one point, no tilt.
void fit_tilt(const std::vector<FoundationNode>& nodes, Tilt& t) {
  const double n = static_cast<double>(nodes.size());
  if (nodes.size() < 2) return;
  double mx = 0, my = 0, ms = 0;
  for (const FoundationNode& p : nodes) mx += p.x, my += p.y, ms += p.s;
  mx /= n, my /= n, ms /= n;
  double sxx = 0, sxy = 0, syy = 0, sxs = 0, sys = 0;
  for (const FoundationNode& p : nodes) {
    const double x = p.x - mx, y = p.y - my, z = p.s - ms;
    sxx += x * x, sxy += x * y, syy += y * y, sxs += x * z, sys += y * z;
  }
  const double tr = sxx + syy;
  if (!(tr > 0.0)) return;
  const double det = sxx * syy - sxy * sxy;
  if (det > 1e-9 * tr * tr) {
    t.bx = (sxs * syy - sys * sxy) / det;
    t.by = (sys * sxx - sxs * sxy) / det;
  } else {
    // Collinear: the principal direction of the points.
    const double ang = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
    const double ux = std::cos(ang), uy = std::sin(ang);
    double stt = 0, sts = 0;
    for (const FoundationNode& p : nodes) {
      const double tt = (p.x - mx) * ux + (p.y - my) * uy;
      stt += tt * tt, sts += tt * (p.s - ms);
    }
    const double slope = stt > 0 ? sts / stt : 0.0;
    t.bx = slope * ux, t.by = slope * uy;
  }
  t.a = ms - t.bx * mx - t.by * my;
  t.defined = std::isfinite(t.a) && std::isfinite(t.bx) && std::isfinite(t.by);
  if (!t.defined) {
    t = Tilt{};
    return;
  }
  t.rad = std::hypot(t.bx, t.by);
  t.n = t.rad > 0 ? 1.0 / t.rad : 0.0;
  // Settlements are negative downward: the foundation sinks more against the gradient.
  t.dir_deg = t.rad > 0 ? std::atan2(-t.by, -t.bx) * 180.0 / PI_D : 0.0;
  if (t.dir_deg < 0) t.dir_deg += 360.0;
}

}  // namespace

void settlement_figures(const Model& m, Summary& s) {
  std::vector<int> slot(static_cast<std::size_t>(m.NN) + 1, -1);
  for (std::size_t i = 0; i < s.nodes.size(); ++i) slot[static_cast<std::size_t>(s.nodes[i].node)] = static_cast<int>(i);
  if (!s.nodes.empty()) {
    std::size_t lo = 0, hi = 0;
    double sum = 0;
    for (std::size_t i = 0; i < s.nodes.size(); ++i) {
      sum += s.nodes[i].s;
      if (s.nodes[i].s < s.nodes[lo].s) lo = i;
      if (s.nodes[i].s > s.nodes[hi].s) hi = i;
    }
    s.s_max = s.nodes[lo].s, s.s_max_node = s.nodes[lo].node;
    s.s_min = s.nodes[hi].s, s.s_min_node = s.nodes[hi].node;
    s.s_mean = sum / static_cast<double>(s.nodes.size());
  }
  fit_tilt(s.nodes, s.tilt);

  // Differential settlement and angular distortion of the bars between two foundation nodes.
  for (int b = 1; b <= m.NB; ++b) {
    const int si = slot[static_cast<std::size_t>(m.PI(b))], sj = slot[static_cast<std::size_t>(m.PJ(b))];
    if (si < 0 || sj < 0) continue;
    const FoundationNode &I = s.nodes[static_cast<std::size_t>(si)], &J = s.nodes[static_cast<std::size_t>(sj)];
    BarDistortion bd;
    bd.bar = b, bd.ni = I.node, bd.nj = J.node;
    bd.L = std::hypot(J.x - I.x, J.y - I.y);
    if (!(bd.L > 0)) continue;
    bd.ds = J.s - I.s;
    bd.apparent = std::fabs(bd.ds) / bd.L;
    const double plane = s.tilt.bx * (J.x - I.x) + s.tilt.by * (J.y - I.y);
    bd.beta = std::fabs(bd.ds - plane) / bd.L;
    for (int k = 0; k < 3; ++k)
      if (bd.beta > BETA_LIMITS[k]) ++s.beta_over[k];
    const int i = static_cast<int>(s.bars.size());
    if (s.beta_max_bar < 0 || bd.beta > s.bars[static_cast<std::size_t>(s.beta_max_bar)].beta) s.beta_max_bar = i;
    if (s.apparent_max_bar < 0 || bd.apparent > s.bars[static_cast<std::size_t>(s.apparent_max_bar)].apparent)
      s.apparent_max_bar = i;
    s.bars.push_back(bd);
  }

}

void compute_summary(const Model& m, const PassSolution& sol, Summary& s) {
  const SolvedCase& c = sol.c;
  s = Summary{};
  s.c = c;
  s.linear = !c.nonlinear;
  std::vector<ReactionPoint> rp;
  reaction_points(m, sol, rp);
  equilibrium(m, sol, s, rp, s.eq);

  // Settlements of the vertical reaction points, by node.
  std::vector<int> slot(static_cast<std::size_t>(m.NN) + 1, -1);
  for (const ReactionPoint& p : rp) {
    if (p.comp != 3 || slot[static_cast<std::size_t>(p.node)] >= 0) continue;
    slot[static_cast<std::size_t>(p.node)] = 0;
  }
  for (int n = 1; n <= m.NN; ++n) {
    if (slot[static_cast<std::size_t>(n)] < 0) continue;
    slot[static_cast<std::size_t>(n)] = static_cast<int>(s.nodes.size());
    s.nodes.push_back({n, d(m.COORD(n, 1)), d(m.COORD(n, 2)), 0.0});
  }
  for (const ReactionPoint& p : rp)
    if (p.comp == 3) s.nodes[static_cast<std::size_t>(slot[static_cast<std::size_t>(p.node)])].s = d(p.s);
  settlement_figures(m, s);

  // Contact pressures and the springs they imply.
  for (const ReactionPoint& p : rp) {
    if (!p.area) continue;
    ContactPoint cp;
    cp.k = p.k, cp.node = p.node;
    cp.x = d(m.COORD(p.node, 1)), cp.y = d(m.COORD(p.node, 2));
    const int g = m.NREAC(p.k);
    cp.R = d(p.R), cp.length = d(m.LONGITUD(g)), cp.area = d(m.AREA(g));
    cp.s = d(p.s);
    cp.has_pressure = cp.area > 0;
    if (cp.has_pressure) cp.pressure = cp.R * cp.length / cp.area;
    if (cp.R < 0) ++s.tension;
    if (cp.has_pressure && cp.s != 0.0) {
      cp.k_soil = cp.pressure / -cp.s;
      cp.has_spring = std::isfinite(cp.k_soil) && cp.k_soil >= 0.0;
      if (cp.has_spring) cp.k_node = cp.k_soil * cp.area;
    }
    const int i = static_cast<int>(s.contact.size());
    if (cp.has_pressure) {
      if (s.p_max < 0 || cp.pressure > s.contact[static_cast<std::size_t>(s.p_max)].pressure) s.p_max = i;
      if (s.p_min < 0 || cp.pressure < s.contact[static_cast<std::size_t>(s.p_min)].pressure) s.p_min = i;
    }
    if (cp.has_spring) {
      if (s.springs == 0 || cp.k_node < s.kA_min) s.kA_min = cp.k_node;
      if (s.springs == 0 || cp.k_node > s.kA_max) s.kA_max = cp.k_node;
      ++s.springs;
      if (s.k_min < 0 || cp.k_soil < s.contact[static_cast<std::size_t>(s.k_min)].k_soil) s.k_min = i;
      if (s.k_max < 0 || cp.k_soil > s.contact[static_cast<std::size_t>(s.k_max)].k_soil) s.k_max = i;
    } else {
      ++s.springs_missing;
    }
    s.contact.push_back(cp);
  }

  // Isolated footings: vertical reaction, pressure and, in a linear solve, the
  // springs of the reactions the solve gave them.
  for (int z = 1; z <= m.NZAP; ++z) {
    FootingResult fr;
    fr.z = z, fr.node = m.NODZAP(z);
    fr.ancho = d(m.ANCHO(z)), fr.largo = d(m.LARGO(z));
    for (const ReactionPoint& p : rp) {
      if (p.area || p.node != fr.node) continue;
      const double flex = p.k <= sol.flex_diagonal.size() ? d(sol.flex_diagonal(p.k)) : 0.0;
      const bool rigid = flex == 0.0;
      const double k = rigid ? 0.0 : 1.0 / flex;
      if (p.comp == 3) {
        fr.has_vertical = true;
        fr.Rv = d(p.R), fr.s = d(p.s);
        fr.pressure = fr.Rv / (fr.ancho * fr.largo);
        fr.kv = k, fr.rigid_v = rigid;
      } else if (p.comp <= 2) {
        fr.kh = k, fr.rigid_h = rigid;
      } else if (p.comp == 6 && m.method.layered_footings()) {
        fr.torsion = true;
        fr.kt = k, fr.rigid_t = rigid;
      } else {
        fr.kr = k, fr.rigid_r = rigid;
      }
    }
    s.footings.push_back(fr);
  }

  // The central node of the field moduli of the "central node" passes.
  if (std::string_view(c.pass).ends_with("campo-centro") && m.NCENTRO >= 1 && m.NCENTRO <= m.NR && m.NCENTRO <= m.NN) {
    CentralNode& k = s.central;
    k.named = true;
    k.node = m.NCENTRO;
    k.x = d(m.COORD(k.node, 1)), k.y = d(m.COORD(k.node, 2));
    if (!s.nodes.empty()) {
      double x0 = s.nodes[0].x, x1 = x0, y0 = s.nodes[0].y, y1 = y0;
      for (const FoundationNode& n : s.nodes) {
        k.cx += n.x, k.cy += n.y;
        x0 = std::fmin(x0, n.x), x1 = std::fmax(x1, n.x), y0 = std::fmin(y0, n.y), y1 = std::fmax(y1, n.y);
      }
      k.cx /= static_cast<double>(s.nodes.size()), k.cy /= static_cast<double>(s.nodes.size());
      // A foundation along one line has no smaller side: its length serves.
      const double a = x1 - x0, b = y1 - y0;
      const double side = a > 0 && b > 0 ? std::fmin(a, b) : std::fmax(a, b);
      k.dist = std::hypot(k.x - k.cx, k.y - k.cy);
      k.limit = 0.25 * side;
      k.far = k.dist > k.limit && k.dist > 1e-9;
    }
  }

  // Frame: the largest moment and shear of each axis, at the printed points.
  for (int a = 1; a <= m.NEJES; ++a) {
    AxisExtremes ax;
    ax.axis = a;
    ax.name = trimmed(m.NOMEJE(a));
    const AxisWalk& walk = sol.axes[static_cast<std::size_t>(a - 1)];
    for (const AxisPoint& q : walk.points) {
      if (!ax.any || std::fabs(q.M) > std::fabs(ax.Mmax.M)) ax.Mmax = q;
      if (!ax.any || std::fabs(q.V) > std::fabs(ax.Vmax.V)) ax.Vmax = q;
      ax.any = true;
    }
    s.axes.push_back(ax);
  }
}

}  // namespace korvant

namespace korvant {

void judge(const Limits& l, Summary& s) {
  // The total settlement of the envelopes is no case of its own (case_no 0): it never heaves.
  s.heave = s.c.case_no >= 1 && s.c.case_no <= 4 && analysis_case(s.c.case_no).heave;
  s.alerts.clear();
  const std::string pass = s.c.pass;
  auto alert = [&](const std::string& text, const char* part) { s.alerts.push_back({text, pass + "-" + part}); };
  if (!s.eq.ok) alert("NO CUMPLE EQUILIBRIO: la diferencia entre cargas y reacciones pasa la tolerancia", "equilibrio");
  if (!s.nodes.empty()) {
    s.diff_max = s.s_min - s.s_max;
    s.diff_hi_node = s.s_max_node, s.diff_lo_node = s.s_min_node;
    // The largest settlement is judged where the foundation goes down.
    s.settlement_judged = l.asentamiento.has_value() && !s.heave;
    s.settlement_over = s.settlement_judged && -s.s_max > *l.asentamiento;
    if (s.settlement_over)
      alert(fmt("NO CUMPLE el asentamiento: %s m en el nodo %d, límite %g m", num(-s.s_max, 4).c_str(), s.s_max_node,
                *l.asentamiento),
            "hundimientos");
    s.diff_judged = l.diferencial.has_value();
    s.diff_over = s.diff_judged && s.diff_max > *l.diferencial;
    if (s.diff_over)
      alert(fmt("NO CUMPLE el asentamiento diferencial: %s m entre los nodos %d y %d, límite %g m",
                num(s.diff_max, 4).c_str(), s.diff_hi_node, s.diff_lo_node, *l.diferencial),
            "hundimientos");
  }
  s.tilt_over = s.tilt.defined && s.tilt.rad > l.tilt();
  if (s.tilt_over)
    alert("NO CUMPLE la inclinación: " + one_in(s.tilt.rad) + ", mayor que " + one_in(l.tilt()) + " (" + l.tilt_source() + ")",
          "inclinacion");
  s.beta_over_limit = 0;
  for (const BarDistortion& b : s.bars)
    if (b.beta > l.beta()) ++s.beta_over_limit;
  if (s.beta_over_limit > 0)
    alert(fmt("NO CUMPLE la distorsión angular: %d barras pasan de ", s.beta_over_limit) + one_in(l.beta()) + " (" +
              l.beta_source() + "); la mayor, " + one_in(s.bars[static_cast<std::size_t>(s.beta_max_bar)].beta) +
              " en la barra " + std::to_string(s.bars[static_cast<std::size_t>(s.beta_max_bar)].bar),
          "distorsion");
  if (s.linear && s.tension > 0 && !s.heave)
    alert(fmt("Aviso: %d reacciones en tensión (el suelo no resiste tensión; revise el modelo)", s.tension), "presiones");
  if (s.central.named && s.central.far)
    alert(fmt("Aviso: el nodo central %d de los módulos de campo está a %.2f m del centroide de la cimentación "
              "(más de un cuarto del lado menor, %.2f m)",
              s.central.node, s.central.dist, s.central.limit),
          "hundimientos");
}

std::string tie_beam_text(const Model& m) {
  std::string out;
  auto footing_of = [&](int n) {
    int z = 0;
    for (int k = 1; k <= m.NZAP; ++k)
      if (m.NODZAP(k) == n) z = k;
    return z;
  };
  for (int b = 1; b <= m.NB; ++b) {
    if (m.TIPO(b) != 1) continue;
    const int zi = footing_of(m.PI(b)), zj = footing_of(m.PJ(b));
    if (zi == 0 || zj == 0) continue;
    float base = 0.0f;
    for (int s = 1; s <= m.NSEC; ++s)
      if (trimmed(m.SECNOM(s)) == trimmed(m.BARSEC(b))) base = m.BASE(s);
    if (!out.empty()) out += "; ";
    out += fmt("la barra %d une las zapatas %d y %d y se apoya en el suelo con su ancho BASE (%s m)", b, zi, zj,
               num(static_cast<double>(base), 2).c_str());
  }
  return out;
}

}  // namespace korvant
