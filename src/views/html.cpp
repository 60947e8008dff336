// REPORTE.html: one self-contained page with the verdict of every solved case
// and pass, its drawings inline, and the values of every foundation node. No
// file, script or font is loaded from outside; printed, each pass starts a page.
// The page is XHTML-compatible HTML5 (it parses as XML), in UTF-8.
#include <cmath>

#include "views/envelope.hpp"
#include "views/summary.hpp"

namespace korvant {

namespace {

const char* const kStyle = R"(
body { font-family: "DejaVu Sans", Verdana, Arial, sans-serif; font-size: 10.5pt; color: #111; margin: 1.5em auto; max-width: 1050px; padding: 0 1em; }
h1 { font-size: 1.5em; margin-bottom: 0.2em; }
h2 { font-size: 1.25em; border-bottom: 2px solid #446; padding-bottom: 0.2em; margin-top: 1.6em; }
h3 { font-size: 1.05em; margin: 1.1em 0 0.3em; }
table { border-collapse: collapse; margin: 0.3em 0 0.6em; }
th, td { border: 1px solid #bbb; padding: 0.15em 0.5em; }
th { background: #eef0f5; text-align: left; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
.malo { color: #a00; font-weight: bold; }
.bien { color: #060; }
.nota { color: #444; font-size: 0.92em; }
.pase-nombre { font-weight: normal; color: #555; font-size: 0.8em; }
figure { margin: 0.8em 0; }
figure svg { width: 100%; height: auto; display: block; }
tr.excede td { background: #fde8e8; }
ul.avisos li.aviso { color: #840; }
svg { font-family: "DejaVu Sans", Verdana, Arial, sans-serif; }
.franja { stroke: #222222; stroke-width: 1; }
.zapata { stroke: #333333; stroke-width: 1.2; }
.punto { fill: #ffffff; stroke: #000000; stroke-width: 1.6; }
.num, .val { stroke: #ffffff; stroke-width: 3px; paint-order: stroke; stroke-linejoin: round; fill: #000000; }
.num { font-size: 12px; font-weight: bold; }
.val { font-size: 11px; }
ul.avisos li.malo { color: #a00; }
@page { size: A4; margin: 12mm; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 9pt; }
  section.pase { break-before: page; page-break-before: always; }
  header + section.pase { break-before: auto; page-break-before: auto; }
  figure, table, h3 { break-inside: avoid; page-break-inside: avoid; }
  h3 { break-after: avoid; page-break-after: avoid; }
}
)";

// Builds UTF-8 markup: tags are written as they are, texts (Latin-1, the
// program's own character set) escaped.
struct Html {
  std::string& out;
  Html& r(std::string_view ascii) {
    out += ascii;
    return *this;
  }
  Html& t(std::string_view latin1) {
    for (const char ch : latin1) {
      const unsigned char c = static_cast<unsigned char>(ch);
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
          if (c < 0x20 && c != '\n') {
            out += '?';
          } else if (c < 0x80) {
            out += ch;
          } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
          }
      }
    }
    return *this;
  }
  // One table row: a label and a value cell.
  Html& row(std::string_view label, const std::string& value, const char* cls = nullptr) {
    r("<tr><th>").t(label).r("</th><td class=\"n");
    if (cls != nullptr) r(" ").r(cls);
    return r("\">").t(value).r("</td></tr>\n");
  }
  Html& head(std::initializer_list<const char*> cols) {
    r("<tr>");
    for (const char* c : cols) r("<th>").t(c).r("</th>");
    return r("</tr>\n");
  }
  Html& cell(const std::string& v) { return r("<td class=\"n\">").t(v).r("</td>"); }
};

// A heading of a part of a pass's section, with the id the page's head links to.
void part(Html& h, const Summary& s, const char* id, std::string_view title) {
  h.r("<h3 id=\"").t(s.c.pass).r("-").r(id).r("\">").t(title).r("</h3>\n");
}

void equilibrium_table(Html& h, const Summary& s) {
  const Equilibrium& e = s.eq;
  part(h, s, "equilibrio", "Equilibrio vertical");
  h.r("<table>\n");
  h.row(std::string("Cargas verticales (") + load_set_words(e.load_set) +
            "; barras con peso propio y cargas concentradas en nodos libres), t",
        num(e.load, 4));
  h.row("Reacciones del suelo (reacción × longitud de contacto), t", num(e.soil, 4));
  if (e.footings_modelled)
    h.row("Reacciones verticales de las zapatas aisladas, t", num(e.footings, 4));
  else
    h.row("Reacciones verticales de las zapatas aisladas", "el análisis no lineal no las modela");
  h.row("Fuerza vertical en los apoyos restringidos, t", num(e.supports, 4));
  if (e.restrained_loads != 0.0)
    h.row("Cargas en verticales restringidas (las toma el apoyo; fuera de la suma), t", num(e.restrained_loads, 4));
  const std::string diff = e.relative ? num(e.diff, 4) + " t = " + percent(s) + " %" : num(e.diff, 4) + " t";
  const std::string tol = e.relative ? num(EQUILIBRIO_TOL_PCT, 2) + " %" : num(EQUILIBRIO_TOL_T, 4) + " t";
  h.row("Diferencia", diff + (e.ok ? ": cumple (tolerancia " + tol + ")" : ": NO CUMPLE EQUILIBRIO (tolerancia " + tol + ")"),
        e.ok ? "bien" : "malo");
  // Round-off or imbalance, as the summary says it.
  if (s.c.residual >= 0.0)
    h.row("Residuo relativo del sistema |Ax - b| / (|A| |x|) (LU dispersa en doble precisión)", fmt("%.1e", s.c.residual));
  else if (!e.ok)
    h.row("Causa posible", "puede ser redondeo de precisión simple: compruebe con --solucion=dispersa");
  h.r("</table>\n");
}

void settlement_tables(Html& h, const Summary& s, const Limits& l) {
  part(h, s, "hundimientos",
       s.heave ? "Movimientos verticales por expansión (m; positivo hacia arriba)" : "Hundimientos (m; negativo hacia abajo)");
  if (s.nodes.empty()) {
    h.r("<p>").t("El modelo no tiene nodos de cimentación.").r("</p>\n");
    return;
  }
  h.r("<table>\n");
  if (s.heave) {
    h.row(std::string(s.s_min > 0 ? "Mayor expansión (hacia arriba)" : "Ninguno sube; el que menos baja") + ", nodo " +
              std::to_string(s.s_min_node),
          num(s.s_min, 6));
    h.row(std::string(s.s_max < 0 ? "Mayor movimiento hacia abajo" : "Menor expansión") + ", nodo " +
              std::to_string(s.s_max_node),
          num(s.s_max, 6));
    h.row("Media, " + std::to_string(s.nodes.size()) + " nodos", num(s.s_mean, 6));
  } else {
    h.row("Mayor (el más hacia abajo), nodo " + std::to_string(s.s_max_node), num(s.s_max, 6));
    if (s.settlement_judged)
      h.row(fmt("Frente al asentamiento límite %g m (límite del proyecto)", *l.asentamiento),
            s.settlement_over ? "NO CUMPLE" : "cumple", s.settlement_over ? "malo" : "bien");
    h.row("Menor, nodo " + std::to_string(s.s_min_node), num(s.s_min, 6));
    h.row("Medio, " + std::to_string(s.nodes.size()) + " nodos", num(s.s_mean, 6));
  }
  h.row("Diferencia mayor entre dos nodos de cimentación (nodos " + std::to_string(s.diff_hi_node) + " y " +
            std::to_string(s.diff_lo_node) + ")",
        num(s.diff_max, 6));
  if (s.diff_judged)
    h.row(fmt("Frente al diferencial límite %g m (límite del proyecto)", *l.diferencial), s.diff_over ? "NO CUMPLE" : "cumple",
          s.diff_over ? "malo" : "bien");
  if (s.central.named) {
    const CentralNode& k = s.central;
    h.row("Nodo central de los módulos de campo", fmt("nodo %d (x = %.3f, y = %.3f m)", k.node, k.x, k.y));
    if (k.far)
      h.row("Aviso: lejos del centroide de la cimentación",
            fmt("a %.2f m de (%.3f, %.3f); más de un cuarto del lado menor (%.2f m)", k.dist, k.cx, k.cy, k.limit), "malo");
  }
  h.r("</table>\n");

  const Tilt& t = s.tilt;
  part(h, s, "inclinacion", "Inclinación (plano de mínimos cuadrados)");
  h.r("<table>\n");
  if (!t.defined) {
    h.row("Inclinación", "se necesitan dos nodos en planta");
  } else {
    h.row("Inclinación, rad", fmt("%.3e", t.rad) + " = " + one_in(t.rad));
    if (t.rad > 0) {
      const double dir = s.heave ? std::fmod(t.dir_deg + 180.0, 360.0) : t.dir_deg;
      h.row(s.heave ? "Sube más hacia" : "Se hunde más hacia", num(dir, 1) + "° desde +X (" + direction_words(dir) + ")");
    }
    h.row("Frente a " + one_in(l.tilt()) + (l.inclinacion ? " (límite del proyecto)" : " (inclinación visible, Bjerrum)"),
          s.tilt_over ? "MAYOR: NO CUMPLE" : "menor: cumple", s.tilt_over ? "malo" : "bien");
  }
  h.r("</table>\n");

  part(h, s, "distorsion", "Asentamiento diferencial y distorsión angular");
  if (s.bars.empty()) {
    h.r("<p>").t("Ninguna barra une dos nodos de cimentación.").r("</p>\n");
    return;
  }
  h.r("<table>\n");
  const BarDistortion& b = s.bars[static_cast<std::size_t>(s.beta_max_bar)];
  h.row("Mayor distorsión angular, barra " + std::to_string(b.bar), one_in(b.beta));
  static const char* const kLimit[3] = {"(sin grietas admitidas)", "(primeras grietas en muros)", "(daño estructural)"};
  for (int k = 0; k < 3; ++k)
    h.row("Barras con distorsión > " + one_in(BETA_LIMITS[k]) + " " + kLimit[k], std::to_string(s.beta_over[k]),
          s.beta_over[k] > 0 ? "malo" : "bien");
  h.row("Frente a " + one_in(l.beta()) + " (" + l.beta_source() + ")",
        s.beta_over_limit > 0 ? std::to_string(s.beta_over_limit) + " barras la pasan: NO CUMPLE" : std::string("cumple"),
        s.beta_over_limit > 0 ? "malo" : "bien");
  h.r("</table>\n");
}

// The differential settlement and angular distortion of every bar between two
// foundation nodes (after the drawings: on a big model it runs for pages).
void distortion_table(Html& h, const Summary& s, const Limits& l) {
  if (s.bars.empty()) return;
  h.r("<h3>").t("Distorsión angular por barra de cimentación").r("</h3>\n<table>\n");
  h.r("<tr><th>barra</th><th>nodo i</th><th>nodo j</th><th>L (m)</th><th>&#916;s (m)</th><th>|&#916;s|/L</th>"
      "<th>&#946; = |&#916;s - &#916;s<sub>plano</sub>|/L</th></tr>\n");
  for (const BarDistortion& d : s.bars) {
    h.r(d.beta > l.beta() ? "<tr class=\"excede\">" : "<tr>");
    h.cell(std::to_string(d.bar)).cell(std::to_string(d.ni)).cell(std::to_string(d.nj));
    h.cell(num(d.L, 3)).cell(num(d.ds, 6)).cell(one_in(d.apparent)).cell(one_in(d.beta));
    h.r("</tr>\n");
  }
  h.r("</table>\n");
}

void pressure_tables(Html& h, const Summary& s) {
  part(h, s, "presiones", "Presiones de contacto (t/m²; positiva en compresión)");
  if (s.contact.empty()) {
    h.r("<p>").t("El modelo no tiene reacciones de área.").r("</p>\n");
  } else {
    h.r("<table>\n");
    if (s.p_max >= 0) {
      const ContactPoint &hi = s.contact[static_cast<std::size_t>(s.p_max)], &lo = s.contact[static_cast<std::size_t>(s.p_min)];
      h.row("Mayor, nodo " + std::to_string(hi.node), num(hi.pressure, 3));
      h.row("Menor, nodo " + std::to_string(lo.node), num(lo.pressure, 3));
    }
    if (s.linear && s.heave && s.tension > 0)
      h.row("Reacciones en tensión", std::to_string(s.tension) + ", esperadas en las expansiones");
    else if (s.linear)
      h.row("Reacciones en tensión", s.tension == 0 ? std::string("ninguna") : "REACCIONES EN TENSIÓN: " + std::to_string(s.tension),
            s.tension == 0 ? "bien" : "malo");
    if (s.k_min >= 0) {
      const ContactPoint &lo = s.contact[static_cast<std::size_t>(s.k_min)], &hi = s.contact[static_cast<std::size_t>(s.k_max)];
      h.row("Módulo de reacción k = presión / -hundimiento, t/m³",
            spring_text(lo.k_soil) + " (nodo " + std::to_string(lo.node) + ") a " + spring_text(hi.k_soil) + " (nodo " +
                std::to_string(hi.node) + ")");
    }
    if (s.springs_missing > 0)
      h.row("Sin resorte (hundimiento nulo, o sube en compresión o baja en tensión)", std::to_string(s.springs_missing));
    h.r("</table>\n");
  }
  if (s.footings.empty()) return;
  h.r("<h3>").t("Zapatas aisladas").r("</h3>\n<table>\n");
  bool torsion = false;
  for (const FootingResult& z : s.footings) torsion = torsion || z.torsion;
  if (torsion)
    h.head({"zapata", "nodo", "ANCHO × LARGO (m)", "reacción vertical (t)", "presión (t/m²)", "hundimiento (m)",
            "resorte vertical (t/m)", "horizontal (t/m)", "cabeceo (t·m/rad)", "torsión (t·m/rad)"});
  else
    h.head({"zapata", "nodo", "ANCHO × LARGO (m)", "reacción vertical (t)", "presión (t/m²)", "hundimiento (m)",
            "resorte vertical (t/m)", "horizontal (t/m)", "rotación (t·m/rad)"});
  auto k = [](double v, bool rigid) { return rigid ? std::string("rígido") : v > 0 ? spring_text(v) : std::string("-"); };
  for (const FootingResult& z : s.footings) {
    h.r("<tr>").cell(std::to_string(z.z)).cell(std::to_string(z.node)).cell(num(z.ancho, 2) + " × " + num(z.largo, 2));
    if (z.has_vertical)
      h.cell(num(z.Rv, 3)).cell(num(z.pressure, 3)).cell(num(z.s, 6));
    else
      h.cell("-").cell("-").cell("-");
    if (s.linear)
      h.cell(k(z.kv, z.rigid_v)).cell(k(z.kh, z.rigid_h)).cell(k(z.kr, z.rigid_r));
    else
      h.cell("-").cell("-").cell("-");
    if (torsion) h.cell(s.linear && z.torsion ? k(z.kt, z.rigid_t) : std::string("-"));
    h.r("</tr>\n");
  }
  h.r("</table>\n");
}

void axis_table(Html& h, const Summary& s) {
  if (s.axes.empty()) return;
  h.r("<h3>").t("Elementos mecánicos por eje (mayores valores absolutos)").r("</h3>\n<table>\n");
  h.head({"eje", "M (t·m)", "barra", "x (m)", "V (t)", "barra", "x (m)"});
  for (const AxisExtremes& a : s.axes) {
    h.r("<tr><td>").t(a.name).r("</td>");
    if (a.any)
      h.cell(num(a.Mmax.M, 3)).cell(std::to_string(a.Mmax.bar)).cell(num(a.Mmax.X, 3))
          .cell(num(a.Vmax.V, 3)).cell(std::to_string(a.Vmax.bar)).cell(num(a.Vmax.X, 3));
    else
      h.r("<td colspan=\"6\">").t("sin barras").r("</td>");
    h.r("</tr>\n");
  }
  h.r("</table>\n");
}

// Settlement, pressure, reaction and spring of every foundation node.
void node_table(Html& h, const Summary& s) {
  h.r("<h3>").t("Valores por nodo de cimentación").r("</h3>\n<table>\n");
  h.head({"nodo", "x (m)", "y (m)", "hundimiento (m)", "reacción", "presión (t/m²)", "k (t/m³)", "k·área (t/m)",
          "longitud de contacto (m)", "área de contacto (m²)"});
  for (const FoundationNode& n : s.nodes) {
    h.r("<tr>").cell(std::to_string(n.node)).cell(num(n.x, 3)).cell(num(n.y, 3)).cell(num(n.s, 6));
    const ContactPoint* c = nullptr;
    for (const ContactPoint& p : s.contact)
      if (p.node == n.node) c = &p;
    const FootingResult* z = nullptr;
    for (const FootingResult& f : s.footings)
      if (f.node == n.node && f.has_vertical) z = &f;
    if (c != nullptr) {
      h.cell(num(c->R, 4) + " t/m").cell(c->has_pressure ? num(c->pressure, 3) : "-");
      h.cell(c->has_spring ? spring_text(c->k_soil) : "-").cell(c->has_spring ? spring_text(c->k_node) : "-");
      h.cell(num(c->length, 3)).cell(num(c->area, 3));
    } else if (z != nullptr) {
      h.cell(num(z->Rv, 4) + " t").cell(num(z->pressure, 3)).cell("-").cell("-").cell("-").cell(num(z->ancho * z->largo, 3));
    } else {
      h.cell("-").cell("-").cell("-").cell("-").cell("-").cell("-");
    }
    h.r("</tr>\n");
  }
  h.r("</table>\n");
  if (!s.contact.empty())
    h.r("<p class=\"nota\">").t(std::string("Resortes de esta pasada para: ") + spring_use(s.c.case_no) +
                                  ". Por media barra, en la tabla _resortes_barras.csv.").r("</p>\n");
}

}  // namespace

void html_section(const Model& m, const Summary& s, const Limits& l, const std::string& svg, std::string& out) {
  (void)m;
  Html h{out};
  h.r("<section class=\"pase\" id=\"").t(s.c.pass).r("\">\n<h2>").t(s.c.title).r(" <span class=\"pase-nombre\">[")
      .t(s.c.pass).r("]</span></h2>\n");
  equilibrium_table(h, s);
  settlement_tables(h, s, l);
  pressure_tables(h, s);
  axis_table(h, s);
  h.r(svg);
  distortion_table(h, s, l);
  node_table(h, s);
  h.r("</section>\n");
}

void envelope_section(const Model& m, const std::vector<PassRecord>& passes, const Limits& l, const std::string& svg,
                      std::string& out) {
  Html h{out};
  h.r("<section class=\"pase\" id=\"envolventes\">\n<h2>").t("Envolventes de todas las pasadas resueltas").r("</h2>\n");
  TotalSettlement t;
  if (!total_settlement(m, passes, l, t)) {
    h.r("<p>").t("Asentamiento total: no se resolvió ninguna pasada de compresiones ni de consolidación.").r("</p>\n");
  } else {
    std::string sum;
    for (const PassRecord* p : t.used) sum += (sum.empty() ? "" : " + ") + p->id;
    h.r("<h3>").t("Asentamiento total por nodo de cimentación").r("</h3>\n<p class=\"nota\">")
        .t("Suma de las pasadas " + sum + ": compresiones, consolidación primaria y secundaria.").r("</p>\n");
    settlement_tables(h, t.s, l);
    h.r("<table>\n<tr><th>nodo</th><th>x (m)</th><th>y (m)</th>");
    for (const PassRecord* p : t.used) h.r("<th>").t(p->id).r(" (m)</th>");
    h.r("<th>total (m)</th></tr>\n");
    for (const FoundationNode& n : t.s.nodes) {
      h.r("<tr>").cell(std::to_string(n.node)).cell(num(n.x, 3)).cell(num(n.y, 3));
      for (const PassRecord* p : t.used) h.cell(num(static_cast<double>(p->s[static_cast<std::size_t>(n.node)]), 6));
      h.cell(num(n.s, 6)).r("</tr>\n");
    }
    h.r("</table>\n");
  }
  h.r(svg);
  std::vector<ForceEnvelope> env;
  force_envelope(m, passes, env);
  h.r("<h3>").t("Envolvente de momentos y cortantes en los extremos de cada barra").r("</h3>\n<p class=\"nota\">")
      .t("Máximo y mínimo de todas las pasadas, en ambos extremos y ambos ejes locales; por extremo y eje, en "
         "_envolvente.csv.").r("</p>\n<table>\n");
  h.head({"barra", "nodos", "tipo", "M máx (t·m)", "pasada", "M mín (t·m)", "pasada", "V máx (t)", "pasada", "V mín (t)",
          "pasada"});
  for (int b = 1; b <= m.NB; ++b) {
    const ForceEnvelope *mh = nullptr, *ml = nullptr, *vh = nullptr, *vl = nullptr;
    for (std::size_t k = 8 * static_cast<std::size_t>(b - 1); k < env.size() && k < 8 * static_cast<std::size_t>(b); ++k) {
      const ForceEnvelope& e = env[k];
      const bool moment = e.r % 6 == 5 || e.r % 6 == 0;
      const ForceEnvelope*& hi = moment ? mh : vh;
      const ForceEnvelope*& lo = moment ? ml : vl;
      if (hi == nullptr || e.max > hi->max) hi = &e;
      if (lo == nullptr || e.min < lo->min) lo = &e;
    }
    if (mh == nullptr) continue;
    h.r("<tr>").cell(std::to_string(b)).cell(std::to_string(m.PI(b)) + "-" + std::to_string(m.PJ(b)));
    h.r("<td>").t(m.TIPO(b) == 1 ? "cimentación" : "estructura").r("</td>");
    auto pass = [&](int i) { return passes[static_cast<std::size_t>(i)].id; };
    h.cell(num(static_cast<double>(mh->max), 3)).r("<td>").t(pass(mh->pmax)).r("</td>");
    h.cell(num(static_cast<double>(ml->min), 3)).r("<td>").t(pass(ml->pmin)).r("</td>");
    h.cell(num(static_cast<double>(vh->max), 3)).r("<td>").t(pass(vh->pmax)).r("</td>");
    h.cell(num(static_cast<double>(vl->min), 3)).r("<td>").t(pass(vl->pmin)).r("</td></tr>\n");
  }
  h.r("</table>\n</section>\n");
}

void write_html(const Model& m, const std::vector<std::string>& sections, const std::vector<PassAlerts>& passes,
                const std::string& warnings, const Limits& l, OutFile& o) {
  std::string out;
  Html h{out};
  const std::string title = trimmed(m.TITULO);
  h.r("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"es\">\n<head>\n<meta charset=\"utf-8\"/>\n");
  h.r("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n<title>").t(title).r("</title>\n");
  h.r("<style>").r(kStyle).r(page_colour_styles()).r("</style>\n</head>\n<body>\n");
  h.r("<header>\n<h1>").t(title).r("</h1>\n<p>");
  h.t(fmt("%d nodos, %d barras, %d losas, %d zapatas aisladas; %d reacciones de área y %d de zapatas; %d ejes.", m.NN,
          m.NB, m.NLOS, m.NZAP, m.NR, m.MR, m.NEJES));
  static const char* const kKanal[3] = {"lineal", "iterativo (módulos que dependen de las reacciones)",
                                        "no lineal (ecuación de Demeneghi)"};
  h.r(" ").t(std::string("Análisis ") + (m.KANAL >= 0 && m.KANAL <= 2 ? kKanal[m.KANAL] : "?") + ".").r("</p>\n");
  // The methods the command line chose.
  if (m.method.any()) {
    h.r("<p>");
    const char* sep = "";
    for (const char* l : {m.method.integrated_strata() ? strata_line() : nullptr,
                          m.method.layered_footings() ? footings_line() : nullptr,
                          m.method.sparse_solver() ? solver_line() : nullptr}) {
      if (l == nullptr) continue;
      h.r(sep).t(l);
      sep = "<br/>\n";
    }
    h.r("</p>\n");
  }
  h.r("<h3>").t("Veredicto: avisos y límites que no se cumplen").r("</h3>\n");
  {
    int shown = 0;
    std::string items;
    Html li{items};
    std::size_t at = 0;
    while (at < warnings.size()) {
      std::size_t end = warnings.find('\n', at);
      if (end == std::string::npos) end = warnings.size();
      const std::string_view w(warnings.data() + at, end - at);
      // The error stream also holds the console dialogue; the warnings begin with "Aviso".
      const std::size_t first = w.find_first_not_of(' ');
      if (first != std::string_view::npos && w.substr(first).rfind("Aviso", 0) == 0) {
        li.r("<li class=\"aviso\">").t(w.substr(first)).r("</li>\n");
        ++shown;
      }
      at = end + 1;
    }
    for (const PassAlerts& p : passes)
      for (const Alert& a : p.alerts) {
        const bool fails = a.text.rfind("NO CUMPLE", 0) == 0;
        li.r(fails ? "<li class=\"malo\">" : "<li class=\"aviso\">").r("<a href=\"#").t(a.anchor).r("\">").t(p.title)
            .r("</a>: ").t(a.text).r("</li>\n");
        ++shown;
      }
    if (shown == 0)
      h.r("<p class=\"bien\">").t("Sin avisos; todas las pasadas cumplen los límites.").r("</p>\n");
    else
      h.r("<ul class=\"avisos\">\n").r(items).r("</ul>\n");
  }
  h.r("<h3>").t("Casos y pasadas resueltos").r("</h3>\n<ol>\n");
  for (const PassAlerts& p : passes) {
    h.r("<li><a href=\"#").t(p.id).r("\">").t(p.title).r("</a>");
    if (!p.alerts.empty()) h.r(" <span class=\"malo\">").t(fmt("(%d)", static_cast<int>(p.alerts.size()))).r("</span>");
    h.r("</li>\n");
  }
  h.r("</ol>\n");
  h.r("<p class=\"nota\">").t("Signos: hundimientos negativos hacia abajo; reacciones y presiones positivas en compresión. "
                                "Límites usados: " + l.cited() + ". Véase el manual.").r("</p>\n</header>\n");
  o.put(out);
  for (const std::string& s : sections) o.put(s);
  o.put("</body>\n</html>");
  o.end_line();
}

}  // namespace korvant
