#include "views/envelope.hpp"

#include <cmath>
#include <utility>
#include <string_view>

namespace korvant {

namespace {

// The end shears and moments: their index in the twelve end forces and their
// names with units (as the CSV of the bars, plus the unit).
struct EndForce {
  int r;
  const char* name;
  bool moment;
};
const EndForce kEndForces[8] = {{2, "cortante_y1_t", false},       {3, "cortante_z1_t", false},
                                {5, "flexionante_y1_t_m", true},  {6, "flexionante_z1_t_m", true},
                                {8, "cortante_y2_t", false},       {9, "cortante_z2_t", false},
                                {11, "flexionante_y2_t_m", true}, {12, "flexionante_z2_t_m", true}};

bool ends(const std::string& s, std::string_view tail) { return std::string_view(s).ends_with(tail); }

}  // namespace

void record_pass(const Model& m, std::shared_ptr<const PassSolution> sol, const std::vector<ReactionPoint>& rp,
                 PassRecord& r) {
  r.id = sol->c.pass;
  r.title = sol->c.title;
  r.case_no = sol->c.case_no;
  node_settlements(m, *sol, rp, r.s);
  r.foundation.assign(static_cast<std::size_t>(m.NN) + 1, 0);
  for (const ReactionPoint& p : rp)
    if (p.comp == 3) r.foundation[static_cast<std::size_t>(p.node)] = 1;
  r.sol = std::move(sol);
}

bool total_settlement(const Model& m, const std::vector<PassRecord>& passes, const Limits& l, TotalSettlement& t) {
  t = TotalSettlement{};
  for (int case_no = 2; case_no <= 4; ++case_no) {
    const PassRecord* pick = nullptr;
    int rank = 99;
    for (const PassRecord& p : passes) {
      if (p.case_no != case_no) continue;
      const int r = ends(p.id, "iterativo") || ends(p.id, "no-lineal") ? 0
                    : ends(p.id, "laboratorio") || ends(p.id, "lineal") ? 1
                    : ends(p.id, "campo-nodo")                          ? 2
                                                                        : 3;
      if (r < rank) rank = r, pick = &p;
    }
    if (pick != nullptr) t.used.push_back(pick);
  }
  if (t.used.empty()) return false;
  Summary& s = t.s;
  s.c = SolvedCase{0, false, "total", "Asentamiento total"};
  for (int n = 1; n <= m.NN; ++n) {
    bool any = false;
    double sum = 0.0;
    for (const PassRecord* p : t.used) {
      any = any || p->foundation[static_cast<std::size_t>(n)];
      sum += static_cast<double>(p->s[static_cast<std::size_t>(n)]);
    }
    if (any) s.nodes.push_back({n, static_cast<double>(m.COORD(n, 1)), static_cast<double>(m.COORD(n, 2)), sum});
  }
  settlement_figures(m, s);
  judge(l, s);
  return true;
}

void force_envelope(const Model& m, const std::vector<PassRecord>& passes, std::vector<ForceEnvelope>& out) {
  out.clear();
  if (passes.empty()) return;
  for (int b = 1; b <= m.NB; ++b)
    for (const EndForce& f : kEndForces) {
      ForceEnvelope e;
      e.bar = b, e.r = f.r;
      for (std::size_t p = 0; p < passes.size(); ++p) {
        const float v = passes[p].sol->VGL(b, f.r);
        if (p == 0 || v > e.max) e.max = v, e.pmax = static_cast<int>(p);
        if (p == 0 || v < e.min) e.min = v, e.pmin = static_cast<int>(p);
      }
      out.push_back(e);
    }
}

void envelope_text(const Model& m, const std::vector<PassRecord>& passes, const Limits& l, const std::string& csv_file,
                   std::string& out) {
  if (passes.empty()) return;
  auto line = [&](const std::string& s) { out += s + "\n"; };
  line("== Envolventes de todas las pasadas resueltas ==");
  TotalSettlement t;
  if (!total_settlement(m, passes, l, t)) {
    line("Asentamiento total: no se resolvió ninguna pasada de compresiones ni de consolidación");
  } else {
    std::string sum;
    for (const PassRecord* p : t.used) sum += (sum.empty() ? "" : " + ") + p->id;
    line("Asentamiento total por nodo de cimentación (m; negativo hacia abajo) = " + sum);
    const Summary& s = t.s;
    if (s.nodes.empty()) {
      line("  el modelo no tiene nodos de cimentación");
    } else {
      line(fmt("  Mayor (el más hacia abajo) %12s  nodo %d", num(s.s_max, 6).c_str(), s.s_max_node) +
           (s.settlement_judged ? fmt(", límite %g m: %s", *l.asentamiento, s.settlement_over ? "NO CUMPLE" : "cumple")
                                : ""));
      line(fmt("  Diferencia mayor entre dos nodos %s m (nodos %d y %d)", num(s.diff_max, 6).c_str(), s.diff_hi_node,
               s.diff_lo_node) +
           (s.diff_judged ? fmt(", límite %g m: %s", *l.diferencial, s.diff_over ? "NO CUMPLE" : "cumple") : ""));
      if (s.tilt.defined)
        line("  Inclinación " + one_in(s.tilt.rad) + ", frente a " + one_in(l.tilt()) + " (" + l.tilt_source() +
             "): " + (s.tilt_over ? "NO CUMPLE" : "cumple"));
      if (!s.bars.empty())
        line("  Mayor distorsión angular " + one_in(s.bars[static_cast<std::size_t>(s.beta_max_bar)].beta) +
             fmt(" (barra %d)", s.bars[static_cast<std::size_t>(s.beta_max_bar)].bar) + ", frente a " +
             one_in(l.beta()) + " (" + l.beta_source() + "): " +
             (s.beta_over_limit > 0 ? fmt("%d barras la pasan: NO CUMPLE", s.beta_over_limit) : std::string("cumple")));
      std::string head = "  nodo          x          y";
      for (const PassRecord* p : t.used) head += fmt(" %19s", p->id.c_str());
      line(head + "          total");
      for (const FoundationNode& n : s.nodes) {
        std::string row = fmt("  %4d %10.3f %10.3f", n.node, n.x, n.y);
        for (const PassRecord* p : t.used)
          row += fmt(" %19s", num(static_cast<double>(p->s[static_cast<std::size_t>(n.node)]), 6).c_str());
        line(row + fmt(" %14s", num(n.s, 6).c_str()));
      }
    }
  }
  // The largest and smallest end moment and shear, foundation bars apart from the frame.
  std::vector<ForceEnvelope> env;
  force_envelope(m, passes, env);
  line("Envolvente de momentos y cortantes en los extremos de las barras (de todas las pasadas)");
  for (int group = 0; group < 2; ++group) {
    for (int moment = 1; moment >= 0; --moment) {
      const ForceEnvelope *hi = nullptr, *lo = nullptr;
      for (const ForceEnvelope& e : env) {
        if ((m.TIPO(e.bar) == 1) != (group == 0)) continue;
        const bool is_moment = e.r % 6 == 5 || e.r % 6 == 0;
        if (is_moment != (moment == 1)) continue;
        if (hi == nullptr || e.max > hi->max) hi = &e;
        if (lo == nullptr || e.min < lo->min) lo = &e;
      }
      if (hi == nullptr) continue;
      const char* unit = moment ? "t·m" : "t";
      line(fmt("  %s, %s: máx %s %s (barra %d, %s), mín %s %s (barra %d, %s)",
               group == 0 ? "Barras de cimentación" : "Barras de la estructura", moment ? "momento" : "cortante",
               num(static_cast<double>(hi->max), 3).c_str(), unit, hi->bar,
               passes[static_cast<std::size_t>(hi->pmax)].id.c_str(), num(static_cast<double>(lo->min), 3).c_str(), unit,
               lo->bar, passes[static_cast<std::size_t>(lo->pmin)].id.c_str()));
    }
  }
  line("  Tabla por barra y extremo: " + csv_file);
  line("");
}

void write_envelope_csv(const Model& m, const std::vector<PassRecord>& passes, OutFile& o) {
  o.put("barra,nodo_i,nodo_j,material,fuerza_con_unidad,maximo,pasada_maximo,minimo,pasada_minimo");
  o.end_line();
  std::vector<ForceEnvelope> env;
  force_envelope(m, passes, env);
  for (const ForceEnvelope& e : env) {
    const char* name = "";
    for (const EndForce& f : kEndForces)
      if (f.r == e.r) name = f.name;
    o.put(std::to_string(e.bar) + "," + std::to_string(m.PI(e.bar)) + "," + std::to_string(m.PJ(e.bar)) + "," +
          (m.TIPO(e.bar) == 1 ? "1," : "2,") + name + ",");
    put_real(o, e.max);
    o.put("," + passes[static_cast<std::size_t>(e.pmax)].id + ",");
    put_real(o, e.min);
    o.put("," + passes[static_cast<std::size_t>(e.pmin)].id);
    o.end_line();
  }
}

}  // namespace korvant
