#include "study/study_report.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "study/statistics.hpp"
#include "text/charset.hpp"

namespace korvant {

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

const char* const kWatchedNames[W_PER_PASS] = {"asentamiento_max_m", "diferencial_max_m", "inclinacion_rad",
                                                "beta_max", "presion_max_t_m2", "equilibrio_dif_pct"};
// Latin-1 labels of the watched figures.
const char* const kWatchedWords[W_PER_PASS] = {"Asentamiento mayor (m)", "Diferencia mayor entre nodos (m)",
                                               "Inclinación (rad)", "Distorsión angular beta mayor",
                                               "Presión de contacto mayor (t/m²)", "Equilibrio: diferencia (%)"};

// The values of column c in the samples that were solved (row 0, the typed model, left out).
std::vector<double> column(const std::vector<StudyRow>& rows, int c) {
  std::vector<double> v;
  for (std::size_t i = 1; i < rows.size(); ++i)
    if (rows[i].ok()) v.push_back(rows[i].watched[static_cast<std::size_t>(c)]);
  return v;
}

double typed(const std::vector<StudyRow>& rows, int c) {
  return !rows.empty() && rows[0].ok() ? rows[0].watched[static_cast<std::size_t>(c)] : NaN;
}

std::string g(double v) { return std::isfinite(v) ? fmt("%.5g", v) : std::string("?"); }

std::string dist_text(const Distribution& d) {
  switch (d.kind) {
    case DistKind::uniform: return "uniforme de " + g(d.a) + " a " + g(d.b);
    case DistKind::normal: return "normal, media " + g(d.a) + ", desviación estándar " + g(d.b);
    case DistKind::lognormal: return "lognormal, media " + g(d.a) + ", coeficiente de variación " + g(d.b);
    case DistKind::triangular: return "triangular de " + g(d.a) + " a " + g(d.c) + ", moda " + g(d.b);
  }
  return "";
}

struct Limit {
  int col;            // watched figure
  double value;
  std::string words;  // Latin-1
};
std::vector<Limit> limits_of(const StudyLimits& l) {
  std::vector<Limit> v;
  if (std::isfinite(l.settlement)) v.push_back({W_SETTLEMENT, l.settlement, "asentamiento mayor > " + num(l.settlement, 3) + " m"});
  if (std::isfinite(l.differential))
    v.push_back({W_DIFFERENTIAL, l.differential, "diferencia entre nodos > " + num(l.differential, 3) + " m"});
  if (std::isfinite(l.tilt)) v.push_back({W_TILT, l.tilt, "inclinación > " + one_in(l.tilt)});
  if (std::isfinite(l.beta)) v.push_back({W_BETA, l.beta, "distorsión beta > " + one_in(l.beta)});
  return v;
}

Exceedance exceeding(const std::vector<double>& v, double limit) {
  int k = 0, n = 0;
  for (double x : v) {
    if (!std::isfinite(x)) continue;
    ++n;
    if (x > limit) ++k;
  }
  return exceedance(k, n);
}

void line(std::string& out, const std::string& s) {
  out += s;
  out += '\n';
}

// Counts of the samples by outcome.
std::string outcome_words(const std::vector<StudyRow>& rows) {
  int ok = 0;
  std::vector<std::pair<std::string, int>> bad;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].ok()) {
      ++ok;
      continue;
    }
    auto it = std::find_if(bad.begin(), bad.end(), [&](const auto& b) { return b.first == rows[i].status; });
    if (it == bad.end()) bad.push_back({rows[i].status, 1});
    else ++it->second;
  }
  int failed = 0;
  std::string kinds;
  for (const auto& b : bad) {
    failed += b.second;
    kinds += (kinds.empty() ? " (" : ", ") + std::to_string(b.second) + " " + b.first;
  }
  if (!kinds.empty()) kinds += ")";
  return fmt("%d muestras: %d resueltas, %d fallidas", static_cast<int>(rows.size()) - 1, ok, failed) + kinds;
}

// Sensitivity: the swing of column c when parameter j goes from its low to its high value.
struct Swing {
  int param;
  double low, high;  // the watched value at the parameter's low and high values
  double size() const { return std::isfinite(high - low) ? std::fabs(high - low) : -1.0; }
};
std::vector<Swing> tornado(const Study& s, const std::vector<StudyRow>& rows, int c) {
  std::vector<Swing> v;
  for (std::size_t j = 0; j < s.params.size(); ++j) {
    const std::size_t lo = 2 * j + 1, hi = 2 * j + 2;
    Swing w{static_cast<int>(j), NaN, NaN};
    if (lo < rows.size() && rows[lo].ok()) w.low = rows[lo].watched[static_cast<std::size_t>(c)];
    if (hi < rows.size() && rows[hi].ok()) w.high = rows[hi].watched[static_cast<std::size_t>(c)];
    v.push_back(w);
  }
  std::stable_sort(v.begin(), v.end(), [](const Swing& a, const Swing& b) { return a.size() > b.size(); });
  return v;
}

std::string method_words(const Study& s) {
  if (s.method == Method::sensitivity)
    return std::string("sensibilidad, un parámetro a la vez en sus ") +
           (s.minmax ? "valores mínimo y máximo" : "percentiles 5 y 95");
  return fmt("montecarlo, %d muestras (%s), semilla %llu", s.N, s.lhs ? "hipercubo latino" : "muestreo aleatorio",
             static_cast<unsigned long long>(s.seed));
}

}  // namespace

WatchLayout watch_layout(const Model& m) {
  WatchLayout w;
  for (int b = 1; b <= m.NB; ++b)
    if (m.TIPO(b) == 1) w.bars.push_back(b);
  for (const AnalysisCase& c : analysis_cases()) {
    if (m.CASO[c.case_no] != 1) continue;
    for (const AnalysisPass& p : analysis_passes()) {
      if (p.case_no != c.case_no || !runs_under(p, m.KANAL)) continue;
      w.passes.push_back({&p, w.size()});
      const std::string v = std::string(p.view) + ":";
      for (const char* n : kWatchedNames) w.names.push_back(v + n);
      for (int b : w.bars) {
        const std::string t = std::to_string(b);
        w.names.push_back(v + "M_i_b" + t + "_t_m");
        w.names.push_back(v + "M_j_b" + t + "_t_m");
        w.names.push_back(v + "V_i_b" + t + "_t");
        w.names.push_back(v + "V_j_b" + t + "_t");
      }
    }
  }
  return w;
}

void watch_pass(const WatchLayout& w, const Summary& s, const Tab2<float>& VGL, double* out) {
  double smax = NaN, hi = NaN, lo = NaN;
  for (const FoundationNode& n : s.nodes) {
    const double a = std::fabs(n.s);
    if (!(smax >= a)) smax = a;
    if (!(hi >= n.s)) hi = n.s;
    if (!(lo <= n.s)) lo = n.s;
  }
  out[W_SETTLEMENT] = smax;
  out[W_DIFFERENTIAL] = hi - lo;
  out[W_TILT] = s.tilt.defined ? s.tilt.rad : NaN;
  out[W_BETA] = s.beta_max_bar >= 0 ? s.bars[static_cast<std::size_t>(s.beta_max_bar)].beta : NaN;
  out[W_PRESSURE] = s.p_max >= 0 ? s.contact[static_cast<std::size_t>(s.p_max)].pressure : NaN;
  out[W_EQUILIBRIUM] = s.eq.relative ? s.eq.diff_pct : NaN;
  double* b = out + W_PER_PASS;
  for (int bar : w.bars) {
    *b++ = static_cast<double>(VGL(bar, 5));
    *b++ = static_cast<double>(VGL(bar, 11));
    *b++ = static_cast<double>(VGL(bar, 3));
    *b++ = static_cast<double>(VGL(bar, 9));
  }
}

StudyLimits study_limits(const Limits& l) {
  return {l.asentamiento.value_or(NaN), l.diferencial.value_or(NaN), l.tilt(), l.beta()};
}

std::string study_table_head(const Study& s, const WatchLayout& w, const std::string& fingerprint) {
  std::string h = "# estudio de KORVANT, huella " + fingerprint + "\nmuestra,estado,mensaje";
  for (const Parameter& p : s.params) {
    h += ',';
    put_text_cell(h, p.name);
  }
  for (const std::string& n : w.names) {
    h += ',';
    put_text_cell(h, n);
  }
  h += '\n';
  return h;
}

void study_text(const Study& s, const Model& m, const WatchLayout& w, const std::vector<StudyRow>& rows,
                const StudyLimits& lim, std::string& out) {
  std::string title = m.TITULO;
  while (!title.empty() && title.back() == ' ') title.pop_back();
  line(out, "ESTUDIO DE SENSIBILIDAD Y PROBABILIDAD: " + title);
  line(out, "Archivo de estudio: " + s.file + "; " + method_words(s));
  line(out, "Parámetros (muestra 0: el modelo con sus valores tecleados):");
  for (std::size_t j = 0; j < s.params.size(); ++j) {
    const Parameter& p = s.params[j];
    line(out, fmt("  %2d %-22s %s; valor tecleado %s", static_cast<int>(j + 1), p.name.c_str(), dist_text(p.d).c_str(),
                  g(typed_value(p, m)).c_str()));
  }
  if (s.corr_a >= 0)
    line(out, fmt("  correlación %s entre los parámetros %d y %d (cópula gaussiana)", g(s.rho).c_str(), s.corr_a + 1,
                  s.corr_b + 1));
  line(out, outcome_words(rows));
  const std::vector<Limit> limits = limits_of(lim);
  std::string lw;
  for (const Limit& l : limits) lw += (lw.empty() ? "" : "; ") + l.words;
  line(out, "Límites: " + (lw.empty() ? std::string("ninguno") : lw));

  for (const WatchLayout::Pass& wp : w.passes) {
    line(out, "");
    line(out, std::string("== ") + wp.pass->title + " [" + wp.pass->view + "] ==");
    line(out, fmt("  %-34s %11s %11s %11s %11s %11s %11s", "", "tecleado", "media", "desv. est.", "p5", "p50", "p95"));
    for (int k = 0; k < W_PER_PASS; ++k) {
      const Stats st = statistics(column(rows, wp.first + k));
      line(out, fmt("  %-34s %11s %11s %11s %11s %11s %11s", kWatchedWords[k], g(typed(rows, wp.first + k)).c_str(),
                    g(st.mean).c_str(), g(st.sd).c_str(), g(st.p5).c_str(), g(st.p50).c_str(), g(st.p95).c_str()));
    }
    if (s.method == Method::montecarlo && !limits.empty()) {
      line(out, "  Probabilidad de exceder cada límite (intervalo de confianza del 95 %):");
      for (const Limit& l : limits) {
        const Exceedance e = exceeding(column(rows, wp.first + l.col), l.value);
        line(out, fmt("    %-34s %6.2f %%  (%d de %d; de %.2f a %.2f %%)", l.words.c_str(), 100 * e.p, e.k, e.n,
                      100 * e.lo, 100 * e.hi));
      }
    }
    if (s.method == Method::sensitivity) {
      for (int c : {W_SETTLEMENT, W_BETA}) {
        line(out, std::string("  Tornado: ") + kWatchedWords[c] + " con cada parámetro en su valor bajo y alto");
        for (const Swing& sw : tornado(s, rows, wp.first + c))
          line(out, fmt("    %-22s %11s %11s  oscilación %s", s.params[static_cast<std::size_t>(sw.param)].name.c_str(),
                        g(sw.low).c_str(), g(sw.high).c_str(), g(sw.high - sw.low).c_str()));
      }
    }
    if (!w.bars.empty()) {
      line(out, "  Envolvente de momentos en los extremos de las barras de cimentación (t·m), percentiles 5 y 95:");
      line(out, fmt("    %5s %11s %11s %11s %11s", "barra", "Mi p5", "Mi p95", "Mj p5", "Mj p95"));
      for (std::size_t k = 0; k < w.bars.size(); ++k) {
        const int c = w.moment_i(wp, static_cast<int>(k));
        const Stats a = statistics(column(rows, c)), b = statistics(column(rows, c + 1));
        line(out, fmt("    %5d %11s %11s %11s %11s", w.bars[k], g(a.p5).c_str(), g(a.p95).c_str(), g(b.p5).c_str(),
                      g(b.p95).c_str()));
      }
    }
  }
}

namespace {

// Escaped UTF-8 character data from a Latin-1 text.
std::string esc(const std::string& latin1) {
  std::string u, out;
  latin1_to_utf8(u, latin1);
  for (char c : u) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

// A tornado: one horizontal bar per parameter from its low to its high
// result, around the typed model's result.
void tornado_svg(const Study& s, const std::vector<Swing>& sw, double base, const std::string& title, std::string& out) {
  double lo = base, hi = base;
  for (const Swing& w : sw)
    for (double v : {w.low, w.high})
      if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
  if (!std::isfinite(lo) || !std::isfinite(hi)) return;
  if (hi == lo) hi = lo + 1e-12;
  const int W = 460, L = 150, row = 20, H = 34 + row * static_cast<int>(sw.size());
  auto X = [&](double v) { return L + (W - L - 20) * (v - lo) / (hi - lo); };
  out += fmt("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %d %d\" width=\"%d\" height=\"%d\">", W, H, W, H);
  out += "<text x=\"4\" y=\"14\" font-size=\"12\">" + esc(title) + "</text>";
  int y = 24;
  for (const Swing& w : sw) {
    out += fmt("<text x=\"4\" y=\"%d\" font-size=\"10\">", y + 13) + esc(s.params[static_cast<std::size_t>(w.param)].name) +
           "</text>";
    if (std::isfinite(w.low) && std::isfinite(w.high)) {
      const double a = X(std::min(w.low, w.high)), b = X(std::max(w.low, w.high));
      out += fmt("<rect x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"#6a8cc8\"/>", a, y + 3,
                 std::max(b - a, 1.0), row - 6);
    }
    y += row;
  }
  if (std::isfinite(base))
    out += fmt("<line x1=\"%.1f\" y1=\"22\" x2=\"%.1f\" y2=\"%d\" stroke=\"#a00\"/>", X(base), X(base), H - 8);
  out += fmt("<text x=\"%d\" y=\"%d\" font-size=\"9\">", L, H - 1) + g(lo) +
         fmt("</text><text x=\"%d\" y=\"%d\" font-size=\"9\" text-anchor=\"end\">", W - 20, H - 1) + g(hi) +
         "</text></svg>";
}

// A histogram (bars) with the cumulative curve over it (line, right scale 0-100 %).
void histogram_svg(std::vector<double> v, double limit, const std::string& title, std::string& out) {
  v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return !std::isfinite(x); }), v.end());
  if (v.empty()) return;
  std::sort(v.begin(), v.end());
  double lo = v.front(), hi = v.back();
  if (hi == lo) hi = lo + std::max(std::fabs(lo) * 1e-6, 1e-12);
  const int bins = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(v.size()))), 5, 30);
  std::vector<int> count(static_cast<std::size_t>(bins), 0);
  for (double x : v) {
    int k = static_cast<int>((x - lo) / (hi - lo) * bins);
    count[static_cast<std::size_t>(std::clamp(k, 0, bins - 1))]++;
  }
  const int most = *std::max_element(count.begin(), count.end());
  const int W = 460, H = 200, L = 30, T = 22, B = 170;
  auto X = [&](double x) { return L + (W - L - 30) * (x - lo) / (hi - lo); };
  out += fmt("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %d %d\" width=\"%d\" height=\"%d\">", W, H, W, H);
  out += "<text x=\"4\" y=\"14\" font-size=\"12\">" + esc(title) + "</text>";
  const double bw = (W - L - 30) / static_cast<double>(bins);
  for (int k = 0; k < bins; ++k) {
    const double h = (B - T) * count[static_cast<std::size_t>(k)] / static_cast<double>(most);
    out += fmt("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#9db4dc\" stroke=\"#fff\"/>",
               L + k * bw, B - h, bw, h);
  }
  out += "<polyline fill=\"none\" stroke=\"#224\" stroke-width=\"1.5\" points=\"";
  const std::size_t n = v.size(), step = std::max<std::size_t>(1, n / 200);
  for (std::size_t i = 0; i < n; i += step)
    out += fmt("%.1f,%.1f ", X(v[i]), B - (B - T) * static_cast<double>(i + 1) / static_cast<double>(n));
  out += fmt("%.1f,%d\"/>", X(v.back()), T);
  if (std::isfinite(limit) && limit >= lo && limit <= hi)
    out += fmt("<line x1=\"%.1f\" y1=\"%d\" x2=\"%.1f\" y2=\"%d\" stroke=\"#a00\" stroke-dasharray=\"4 2\"/>", X(limit), T,
               X(limit), B);
  out += fmt("<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"#444\"/>", L, B, W - 30, B);
  out += fmt("<text x=\"%d\" y=\"%d\" font-size=\"9\">", L, B + 14) + g(lo) +
         fmt("</text><text x=\"%d\" y=\"%d\" font-size=\"9\" text-anchor=\"end\">", W - 30, B + 14) + g(hi) + "</text>";
  out += fmt("<text x=\"%d\" y=\"%d\" font-size=\"9\" text-anchor=\"end\">100 %%</text>", W - 2, T + 4);
  out += fmt("<text x=\"%d\" y=\"%d\" font-size=\"9\" text-anchor=\"end\">0 %%</text>", W - 2, B);
  out += fmt("<text x=\"%d\" y=\"%d\" font-size=\"9\">%d</text>", 2, T + 4, most);
  out += "</svg>";
}

std::string td(const std::string& latin1) { return "<td class=\"n\">" + esc(latin1) + "</td>"; }

}  // namespace

void study_html(const Study& s, const Model& m, const WatchLayout& w, const std::vector<StudyRow>& rows,
                const StudyLimits& lim, std::string& out) {
  (void)m;
  out += "<section class=\"pase\" id=\"estudio\"><h2>" + esc("Estudio de sensibilidad y probabilidad") + "</h2>";
  out += "<p>" + esc("Archivo de estudio " + s.file + "; " + method_words(s) + ". " + outcome_words(rows) + ".") + "</p>";
  out += "<table><tr><th>" + esc("Parámetro") + "</th><th>" + esc("Distribución") + "</th><th>Valor tecleado</th></tr>";
  for (const Parameter& p : s.params)
    out += "<tr><td>" + esc(p.name) + "</td><td>" + esc(dist_text(p.d)) + "</td>" + td(g(typed_value(p, m))) + "</tr>";
  out += "</table>";
  const std::vector<Limit> limits = limits_of(lim);
  for (const WatchLayout::Pass& wp : w.passes) {
    out += "<h3>" + esc(wp.pass->title) + " <span class=\"pase-nombre\">[" + esc(wp.pass->view) + "]</span></h3>";
    out += "<table><tr><th></th><th>tecleado</th><th>media</th><th>" + esc("desv. est.") +
           "</th><th>p5</th><th>p50</th><th>p95</th></tr>";
    for (int k = 0; k < W_PER_PASS; ++k) {
      const Stats st = statistics(column(rows, wp.first + k));
      out += "<tr><td>" + esc(kWatchedWords[k]) + "</td>" + td(g(typed(rows, wp.first + k))) + td(g(st.mean)) +
             td(g(st.sd)) + td(g(st.p5)) + td(g(st.p50)) + td(g(st.p95)) + "</tr>";
    }
    out += "</table>";
    if (s.method == Method::montecarlo) {
      if (!limits.empty()) {
        out += "<table><tr><th>" + esc("Límite") + "</th><th>Probabilidad de excederlo</th><th>" +
               esc("Intervalo del 95 %") + "</th><th>Muestras</th></tr>";
        for (const Limit& l : limits) {
          const Exceedance e = exceeding(column(rows, wp.first + l.col), l.value);
          out += "<tr><td>" + esc(l.words) + "</td>" + td(fmt("%.2f %%", 100 * e.p)) +
                 td(fmt("%.2f a %.2f %%", 100 * e.lo, 100 * e.hi)) + td(fmt("%d de %d", e.k, e.n)) + "</tr>";
        }
        out += "</table>";
      }
      out += "<figure>";
      histogram_svg(column(rows, wp.first + W_SETTLEMENT), lim.settlement,
                    "Asentamiento mayor (m): histograma y curva acumulada", out);
      histogram_svg(column(rows, wp.first + W_BETA), lim.beta, "Distorsión beta mayor: histograma y curva acumulada", out);
      out += "</figure>";
    } else {
      out += "<figure>";
      tornado_svg(s, tornado(s, rows, wp.first + W_SETTLEMENT), typed(rows, wp.first + W_SETTLEMENT),
                  "Tornado: asentamiento mayor (m)", out);
      tornado_svg(s, tornado(s, rows, wp.first + W_BETA), typed(rows, wp.first + W_BETA), "Tornado: distorsión beta mayor",
                  out);
      out += "</figure>";
    }
    if (!w.bars.empty()) {
      out += "<table><tr><th>Barra</th><th>Mi p5</th><th>Mi p95</th><th>Mj p5</th><th>Mj p95</th></tr>";
      for (std::size_t k = 0; k < w.bars.size(); ++k) {
        const int c = w.moment_i(wp, static_cast<int>(k));
        const Stats a = statistics(column(rows, c)), b = statistics(column(rows, c + 1));
        out += "<tr>" + td(std::to_string(w.bars[k])) + td(g(a.p5)) + td(g(a.p95)) + td(g(b.p5)) + td(g(b.p95)) + "</tr>";
      }
      out += "</table><p class=\"nota\">" +
             esc("Envolvente de momentos en los extremos de las barras de cimentación (t·m) sobre todas las muestras: "
                 "percentiles 5 y 95.") +
             "</p>";
    }
  }
  out += "</section>";
}

}  // namespace korvant
