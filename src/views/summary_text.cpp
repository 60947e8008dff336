// The summary of a solve as text (REPORTE_resumen.txt and the console) and the
// springs of its area reactions as a CSV table.
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "model/analysis_passes.hpp"
#include "views/summary.hpp"

namespace korvant {

std::string fmt(const char* format, ...) {
  char b[512];
  va_list ap;
  va_start(ap, format);
  const int n = std::vsnprintf(b, sizeof b, format, ap);
  va_end(ap);
  return std::string(b, static_cast<std::size_t>(n < 0 ? 0 : n < static_cast<int>(sizeof b) ? n : sizeof b - 1));
}

std::string num(double v, int dec) {
  if (!std::isfinite(v)) return "?";
  std::string s = fmt("%.*f", dec, v);
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
  return s;
}

std::string percent(const Summary& s) {
  if (s.c.residual < 0.0 || !std::isfinite(s.eq.diff_pct)) return num(s.eq.diff_pct, 5);
  return fmt("%.1e", s.eq.diff_pct + 0.0);  // never "-0.0e+00"
}

std::string one_in(double v) {
  if (!std::isfinite(v)) return "?";
  v = std::fabs(v);
  if (v == 0.0) return "0";
  const double n = 1.0 / v;
  if (n >= 1e7) return "menos de 1/10000000";
  if (n < 1.5) return fmt("%.3g", v);  // a ratio of one or more: no fraction says it
  return fmt("1/%.0f", n);
}

std::string spring_text(double v) { return v >= 100.0 ? num(v, 1) : fmt("%.4g", v); }

std::string direction_words(double deg) {
  static const char* const kWords[8] = {"+X", "+X +Y", "+Y", "-X +Y", "-X", "-X -Y", "-Y", "+X -Y"};
  const int i = static_cast<int>(std::lround(deg / 45.0)) % 8;
  return kWords[i < 0 ? i + 8 : i];
}

const char* spring_use(int case_no) {
  const AnalysisCase& c = analysis_case(case_no);
  if (c.heave) return "expansiones; no reproducen los momentos del reporte en un programa de marcos (véase el manual)";
  if (c.load_set == 2) return "corto plazo (compresiones inmediatas)";
  return "largo plazo (consolidación)";
}

const char* load_set_words(int set) {
  switch (set) {
    case 1: return "juego 1, PV";
    case 2: return "juego 2, CVMáx + CMUERTA + Pprop + PV";
    default: return "juego 3, CVMed + CMUERTA + Pprop + PV";
  }
}

namespace {

void line(std::string& out, const std::string& s) {
  out += s;
  out += '\n';
}

// A label and a value right-aligned at column 74.
std::string row(const std::string& label, const std::string& value) {
  std::string s = label;
  const std::size_t width = 74;
  if (s.size() + value.size() + 1 < width) s.append(width - s.size() - value.size(), ' ');
  else s += ' ';
  return s + value;
}

}  // namespace

void summary_text(const Model& m, const Summary& s, const Limits& l, const std::string& springs_file, std::string& out) {
  const Equilibrium& e = s.eq;
  line(out, fmt("== %s [%s] ==", s.c.title, s.c.pass));
  // The methods the command line chose.
  if (m.method.integrated_strata()) line(out, std::string("  ") + strata_line());
  if (m.method.layered_footings()) line(out, std::string("  ") + footings_line());
  if (m.method.sparse_solver()) line(out, std::string("  ") + solver_line());

  line(out, "Equilibrio vertical (t; cargas hacia abajo, reacciones hacia arriba)");
  line(out, fmt("  Cargas verticales (%s;", load_set_words(e.load_set)));
  line(out, row("    barras con peso propio y cargas concentradas en nodos libres)", num(e.load, 4)));
  line(out, row("  Reacciones del suelo (reacción x longitud de contacto)", num(e.soil, 4)));
  if (e.footings_modelled)
    line(out, row("  Reacciones verticales de las zapatas aisladas", num(e.footings, 4)));
  else
    line(out, "  Zapatas aisladas: el análisis no lineal no las modela (sin reacción)");
  line(out, row("  Fuerza vertical en los apoyos restringidos", num(e.supports, 4)));
  if (e.restrained_loads != 0.0)
    line(out, fmt("  (cargas en verticales restringidas, tomadas por el apoyo: %.4f t, fuera de la suma)",
                  e.restrained_loads));
  std::string diff = e.relative ? num(e.diff, 4) + " t = " + percent(s) + " % de la carga" : num(e.diff, 4) + " t";
  std::string tol = e.relative ? num(EQUILIBRIO_TOL_PCT, 2) + " %" : num(EQUILIBRIO_TOL_T, 4) + " t";
  line(out, "  Diferencia: " + diff + (e.ok ? ": cumple (tolerancia " + tol + ")" : ": NO CUMPLE EQUILIBRIO (tolerancia " + tol + ")"));
  // Round-off or imbalance: the sparse solver gives its residual; gaussj,
  // which overwrites its matrix, cannot, so a failed check points to it.
  if (s.c.residual >= 0.0)
    line(out, fmt("  Residuo relativo del sistema |Ax - b| / (|A| |x|): %.1e (LU dispersa en doble precisión)", s.c.residual));
  else if (!e.ok)
    line(out, "  puede ser redondeo de precisión simple: compruebe con --solucion=dispersa");

  if (s.nodes.empty()) {
    line(out, "Hundimientos: el modelo no tiene nodos de cimentación");
  } else if (s.heave) {
    // Expansions: the foundation is pushed up, positive upward.
    line(out, fmt("Movimientos verticales por expansión (m; positivo hacia arriba), %d nodos de cimentación",
                  static_cast<int>(s.nodes.size())));
    line(out, fmt("  %-30s %12s  nodo %d", s.s_min > 0 ? "Mayor expansión (hacia arriba)" : "Ninguno sube; el que menos baja",
                  num(s.s_min, 6).c_str(), s.s_min_node));
    line(out, fmt("  %-30s %12s  nodo %d", s.s_max < 0 ? "Mayor movimiento hacia abajo" : "Menor expansión",
                  num(s.s_max, 6).c_str(), s.s_max_node));
    line(out, fmt("  Media                          %12s", num(s.s_mean, 6).c_str()));
    line(out, fmt("  Diferencia mayor entre dos nodos %s m (nodos %d y %d)", num(s.diff_max, 6).c_str(), s.diff_lo_node,
                  s.diff_hi_node) +
                  (s.diff_judged ? fmt(", límite %g m: %s", *l.diferencial, s.diff_over ? "NO CUMPLE" : "cumple") : ""));
  } else {
    line(out, fmt("Hundimientos (m; negativo hacia abajo), %d nodos de cimentación", static_cast<int>(s.nodes.size())));
    line(out, fmt("  Mayor (el más hacia abajo) %12s  nodo %d", num(s.s_max, 6).c_str(), s.s_max_node) +
                  (s.settlement_judged
                       ? fmt(", límite %g m: %s", *l.asentamiento, s.settlement_over ? "NO CUMPLE" : "cumple")
                       : ""));
    line(out, fmt("  Menor                      %12s  nodo %d", num(s.s_min, 6).c_str(), s.s_min_node));
    line(out, fmt("  Medio                      %12s", num(s.s_mean, 6).c_str()));
    line(out, fmt("  Diferencia mayor entre dos nodos %s m (nodos %d y %d)", num(s.diff_max, 6).c_str(), s.diff_hi_node,
                  s.diff_lo_node) +
                  (s.diff_judged ? fmt(", límite %g m: %s", *l.diferencial, s.diff_over ? "NO CUMPLE" : "cumple") : ""));
  }
  if (s.central.named) {
    const CentralNode& k = s.central;
    line(out, fmt("  Nodo central de los módulos de campo: nodo %d (x = %.3f, y = %.3f m)", k.node, k.x, k.y));
    if (k.far)
      line(out, fmt("  Aviso: está a %.2f m del centroide de la cimentación (x = %.3f, y = %.3f m), más de un cuarto "
                    "del lado menor (%.2f m); sus módulos pueden no representar el centro",
                    k.dist, k.cx, k.cy, k.limit));
  }

  const Tilt& t = s.tilt;
  if (!t.defined) {
    line(out, "Inclinación: se necesitan dos nodos de cimentación en planta");
  } else {
    line(out, "Inclinación del plano de mínimos cuadrados de los movimientos verticales");
    std::string where = t.rad > 0 ? fmt(", %s más hacia %.1f° desde +X (%s)", s.heave ? "sube" : "se hunde", s.heave ? std::fmod(t.dir_deg + 180.0, 360.0) : t.dir_deg,
                                        direction_words(s.heave ? std::fmod(t.dir_deg + 180.0, 360.0) : t.dir_deg).c_str())
                                  : std::string();
    line(out, fmt("  %.3e rad = %s%s", t.rad, one_in(t.rad).c_str(), where.c_str()));
    const std::string limit = one_in(l.tilt()) + (l.inclinacion ? " (límite del proyecto)" : " (inclinación visible de un edificio alto, Bjerrum)");
    line(out, s.tilt_over ? "  MAYOR que " + limit + ": NO CUMPLE" : "  menor que " + limit + ": cumple");
  }

  if (s.bars.empty()) {
    line(out, "Distorsión angular: ninguna barra une dos nodos de cimentación");
  } else {
    line(out, fmt("Distorsión angular beta = |Ds - Ds del plano| / L, %d barras de cimentación", static_cast<int>(s.bars.size())));
    const BarDistortion& b = s.bars[static_cast<std::size_t>(s.beta_max_bar)];
    line(out, fmt("  Mayor beta %s en la barra %d (nodos %d-%d, L = %.3f m, Ds = %s m)", one_in(b.beta).c_str(), b.bar,
                  b.ni, b.nj, b.L, num(b.ds, 6).c_str()));
    const BarDistortion& a = s.bars[static_cast<std::size_t>(s.apparent_max_bar)];
    line(out, fmt("  Mayor distorsión aparente |Ds|/L %s en la barra %d", one_in(a.apparent).c_str(), a.bar));
    line(out, fmt("  Barras con beta > 1/500: %d; > 1/300: %d; > 1/150: %d", s.beta_over[0], s.beta_over[1], s.beta_over[2]));
    line(out, fmt("  Frente a %s (%s): ", one_in(l.beta()).c_str(), l.beta_source()) +
                  (s.beta_over_limit > 0 ? fmt("%d barras la pasan: NO CUMPLE", s.beta_over_limit) : std::string("cumple")));
  }

  if (s.contact.empty()) {
    line(out, "Presiones de contacto: el modelo no tiene reacciones de área");
  } else {
    line(out, "Presiones de contacto (t/m²; reacción x longitud / área de contacto; positiva en compresión)");
    if (s.p_max >= 0) {
      const ContactPoint &hi = s.contact[static_cast<std::size_t>(s.p_max)], &lo = s.contact[static_cast<std::size_t>(s.p_min)];
      line(out, fmt("  Mayor %10s  nodo %d", num(hi.pressure, 3).c_str(), hi.node));
      line(out, fmt("  Menor %10s  nodo %d", num(lo.pressure, 3).c_str(), lo.node));
    }
    if (s.linear && s.heave && s.tension > 0)
      line(out, fmt("  Reacciones en tensión: %d, esperadas en las expansiones (el suelo que se expande empuja unas "
                    "partes y la estructura retiene otras)", s.tension));
    else if (s.linear)
      line(out, s.tension == 0 ? "  Reacciones en tensión: ninguna"
                               : fmt("  REACCIONES EN TENSIÓN: %d (el suelo no resiste tensión; revise el modelo)", s.tension));
  }

  if (!s.footings.empty()) {
    line(out, "Zapatas aisladas (presión = reacción vertical / (ANCHO x LARGO))");
    for (const FootingResult& z : s.footings) {
      if (!z.has_vertical) {
        line(out, fmt("  Zapata %d, nodo %d: sin reacción vertical en este análisis", z.z, z.node));
        continue;
      }
      line(out, fmt("  Zapata %d, nodo %d (%.2f x %.2f m): reacción %s t, presión %s t/m², hundimiento %s m", z.z, z.node,
                    z.ancho, z.largo, num(z.Rv, 3).c_str(), num(z.pressure, 3).c_str(), num(z.s, 6).c_str()));
      auto k = [](double v, bool rigid, const char* unit) {
        return rigid ? std::string("rígido") : v > 0 ? spring_text(v) + " " + unit : std::string("-");
      };
      line(out, "    resortes: vertical " + k(z.kv, z.rigid_v, "t/m") + ", horizontal " + k(z.kh, z.rigid_h, "t/m") +
                    (z.torsion ? ", cabeceo " : ", rotación ") + k(z.kr, z.rigid_r, "t·m/rad") +
                    (z.torsion ? ", torsión " + k(z.kt, z.rigid_t, "t·m/rad") : std::string()));
    }
  }

  if (!s.axes.empty()) {
    line(out, "Elementos mecánicos por eje (mayores valores absolutos)");
    for (const AxisExtremes& a : s.axes) {
      if (!a.any) {
        line(out, fmt("  %s: sin barras", a.name.c_str()));
        continue;
      }
      line(out, fmt("  %s: M %s t·m (barra %d, x = %s m); V %s t (barra %d, x = %s m)", a.name.c_str(),
                    num(a.Mmax.M, 3).c_str(), a.Mmax.bar, num(a.Mmax.X, 3).c_str(), num(a.Vmax.V, 3).c_str(), a.Vmax.bar,
                    num(a.Vmax.X, 3).c_str()));
    }
  }

  if (!s.contact.empty()) {
    line(out, "Módulos de reacción que implica esta solución (k = presión / -hundimiento)");
    if (s.k_min >= 0) {
      const ContactPoint &lo = s.contact[static_cast<std::size_t>(s.k_min)], &hi = s.contact[static_cast<std::size_t>(s.k_max)];
      line(out, fmt("  k de %s t/m³ (nodo %d) a %s t/m³ (nodo %d); k·área de %s a %s t/m", spring_text(lo.k_soil).c_str(),
                    lo.node, spring_text(hi.k_soil).c_str(), hi.node, spring_text(s.kA_min).c_str(),
                    spring_text(s.kA_max).c_str()));
    }
    if (s.springs_missing > 0)
      line(out, fmt("  Sin resorte: %d (hundimiento nulo, o sube en compresión o baja en tensión)", s.springs_missing));
    line(out, "  Tabla de resortes por nodo: " + springs_file);
    std::string bars_file = springs_file;
    if (bars_file.size() > 4) bars_file.insert(bars_file.size() - 4, "_barras");
    line(out, "  Resortes de línea por media barra (y por cuarto de losa), para un programa de marcos: " + bars_file);
    line(out, std::string("  Sirven para: ") + spring_use(s.c.case_no));
  }
  line(out, "");
}

void write_springs_csv(const Summary& s, OutFile& o) {
  o.put("nodo,x_m,y_m,area_contacto_m2,hundimiento_m,presion_t_m2,k_t_m3,k_area_t_m");
  o.end_line();
  for (const ContactPoint& c : s.contact) {
    o.put(std::to_string(c.node));
    for (double v : {c.x, c.y, c.area, c.s}) {
      o.put(',');
      put_real(o, static_cast<float>(v));
    }
    o.put(',');
    if (c.has_pressure) put_real(o, static_cast<float>(c.pressure));
    for (double v : {c.k_soil, c.k_node}) {
      o.put(',');
      if (c.has_spring) put_real(o, static_cast<float>(v));
    }
    o.end_line();
  }
}

void write_line_springs_csv(const Model& m, const Summary& s, OutFile& o) {
  o.put("tipo,elemento,nodo,desde_m,hasta_m,ancho_m,area_m2,k_t_m_por_m,k_t_m3");
  o.end_line();
  std::vector<const ContactPoint*> at(static_cast<std::size_t>(m.NN) + 1, nullptr);
  for (const ContactPoint& c : s.contact) at[static_cast<std::size_t>(c.node)] = &c;
  auto value = [&](bool has, double v) {
    o.put(',');
    if (has) put_real(o, static_cast<float>(v));
  };
  // Each half of a foundation bar carries the reaction of its end node,
  // uniform over the half: the node's spring spread over its contact length.
  for (int b = 1; b <= m.NB; ++b) {
    if (m.TIPO(b) != 1) continue;
    const double L = static_cast<double>(m.LONG(b));
    for (int end = 0; end < 2; ++end) {
      const int n = end == 0 ? m.PI(b) : m.PJ(b);
      const ContactPoint* c = at[static_cast<std::size_t>(n)];
      if (c == nullptr || !(c->length > 0)) continue;
      o.put("barra," + std::to_string(b) + "," + std::to_string(n));
      value(true, end == 0 ? 0.0 : L * 0.5);
      value(true, end == 0 ? L * 0.5 : L);
      const double width = c->area / c->length;
      value(true, width);
      value(true, width * L * 0.5);
      value(c->has_spring, c->k_node / c->length);
      value(c->has_spring, c->k_soil);
      o.end_line();
    }
  }
  // Each quarter of a slab, for a plate model: its area and the spring per square metre of its corner.
  for (int q = 1; q <= m.NLOS; ++q) {
    const int I = m.NI(q), J = m.NJ(q), K = m.NK(q);
    auto dist = [&](int p, int r) {
      const double dx = static_cast<double>(m.COORD(r, 1)) - static_cast<double>(m.COORD(p, 1));
      const double dy = static_cast<double>(m.COORD(r, 2)) - static_cast<double>(m.COORD(p, 2));
      const double dz = static_cast<double>(m.COORD(r, 3)) - static_cast<double>(m.COORD(p, 3));
      return std::sqrt(dx * dx + dy * dy + dz * dz);
    };
    const double quarter = dist(I, J) * dist(J, K) * 0.25;
    for (int n : {m.NI(q), m.NJ(q), m.NK(q), m.NL(q)}) {
      const ContactPoint* c = at[static_cast<std::size_t>(n)];
      o.put("losa," + std::to_string(q) + "," + std::to_string(n) + ",,,");
      value(true, quarter);
      o.put(',');
      value(c != nullptr && c->has_spring, c != nullptr ? c->k_soil : 0.0);
      o.end_line();
    }
  }
}

void put_utf8(OutFile& o, std::string_view latin1) {
  for (const char ch : latin1) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      o.put(ch);
    } else {
      o.put(static_cast<char>(0xC0 | (c >> 6)));
      o.put(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

}  // namespace korvant
