// SVG picture of one solve: (a) the plan of the foundation, coloured by the
// settlement of its nodes, with the reaction points, a colour legend and a
// length scale; (b) the shear and moment diagrams of every axis, drawn along the
// axis, with their values at the ends and at the extremes.
//
// Drawing is done in double precision pixels; the values come from the solve.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "frame/element_matrices.hpp"
#include "model/analysis_passes.hpp"
#include "views/envelope.hpp"
#include "views/picture.hpp"
#include "views/summary.hpp"
#include "views/views.hpp"

namespace korvant {

namespace {

constexpr double PAGE_W = 1000.0;
constexpr double MARGIN = 40.0;
constexpr double LEGEND_W = 190.0;   // right of the plan
constexpr double PLAN_MAX_H = 520.0;
constexpr double PLAN_MIN_H = 310.0;  // room for the colour legend
constexpr double PANEL_H = 130.0;     // one diagram
constexpr double AXIS_TOP = 40.0;     // title and bar names above the diagrams
constexpr double AXIS_H = AXIS_TOP + PANEL_H + 18.0 + PANEL_H + 56.0;

const char* const kFont = "font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\"";

// Perceptually uniform colour scale (from dark violet to yellow).
const unsigned kScale[11] = {0x440154, 0x482475, 0x414487, 0x355f8d, 0x2a788e, 0x21918c,
                             0x22a884, 0x44bf70, 0x7ad151, 0xbddf26, 0xfde725};

std::string hex(unsigned rgb) {
  char b[8];
  std::snprintf(b, sizeof b, "#%06x", rgb & 0xFFFFFFu);
  return b;
}

// Colour of t in 0..1 along the scale.
std::string colour(double t) {
  if (!std::isfinite(t)) return "#bbbbbb";
  t = std::clamp(t, 0.0, 1.0) * 10.0;
  const int i = std::min(static_cast<int>(t), 9);
  const double u = t - i;
  unsigned rgb = 0;
  for (int sh = 16; sh >= 0; sh -= 8) {
    const double a = (kScale[i] >> sh) & 0xFF, b = (kScale[i + 1] >> sh) & 0xFF;
    rgb |= static_cast<unsigned>(std::lround(a + (b - a) * u)) << sh;
  }
  return hex(rgb);
}

// A coordinate or length in pixels, written into b: one decimal ("12.5",
// "12"), or, on a page, whole pixels (what the eye sees there).
std::string_view pixels(double v, bool whole, char (&b)[32]) {
  const int n = std::snprintf(b, sizeof b, whole ? "%.0f" : "%.1f", std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0.0);
  std::string_view s(b, static_cast<std::size_t>(n));
  if (s.ends_with(".0")) s.remove_suffix(2);
  if (s == "-0") s = "0";
  return s;
}

std::string px(double v) {
  char b[32];
  return std::string(pixels(v, false, b));
}

// The page's shared colours: the scale cut in PAGE_LEVELS steps, class "kN".
constexpr int PAGE_LEVELS = 32;
int level(double t) {
  if (!std::isfinite(t)) return -1;
  return std::clamp(static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * (PAGE_LEVELS - 1))), 0, PAGE_LEVELS - 1);
}
std::string level_class(double t) {
  const int k = level(t);
  return k < 0 ? std::string("kx") : "k" + std::to_string(k);
}

// A value with `d` decimals ("-0.39", "12.5"); a huge one in three digits.
std::string value_text(double v, int d) {
  if (std::isfinite(v) && std::fabs(v) >= 1e12) return fmt("%.3g", v);
  return num(v, d);
}

// A value with at most two decimals and no trailing zeros ("5", "7.5").
std::string short_text(double v) {
  std::string s = value_text(v, 2);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

// Decimals that show a value of magnitude `big` with about three significant digits.
int decimals_for(double big) {
  if (!(big > 0.0) || !std::isfinite(big)) return 2;
  return std::clamp(2 - static_cast<int>(std::floor(std::log10(big))), 0, 6);
}

// A "round" length (1, 2 or 5 times a power of ten) near `about`.
double round_length(double about) {
  if (!(about > 0.0) || !std::isfinite(about)) return 1.0;
  const double p = std::pow(10.0, std::floor(std::log10(about)));
  const double f = about / p;
  return (f < 1.5 ? 1.0 : f < 3.5 ? 2.0 : f < 7.5 ? 5.0 : 10.0) * p;
}

class Svg {
 public:
  explicit Svg(OutFile& o) : o_(o) {}
  Svg& operator<<(std::string_view s) {
    o_.put(s);
    return *this;
  }
  Svg& operator<<(double v) {
    char b[32];
    o_.put(pixels(v, page, b));
    return *this;
  }
  Svg& operator<<(int v) {
    char b[16];
    o_.put(std::string_view(b, static_cast<std::size_t>(std::to_chars(b, b + sizeof b, v).ptr - b)));
    return *this;
  }
  void end() { o_.end_line(); }
  // Put before every id, so that several pictures can share one page.
  std::string pre;
  // A picture of the page: pixels rounded to whole ones, colours of the page's
  // shared classes, the parts as pictures of their own.
  bool page = false;
  // A text element; `attrs` holds anything besides position and font.
  void text(double x, double y, std::string_view latin1, const char* attrs = "") {
    *this << "<text x=\"" << x << "\" y=\"" << y << "\" " << attrs << ">";
    put_xml_text(o_, latin1);
    *this << "</text>";
    end();
  }
  // A note of the page, between its pictures.
  void note(std::string_view latin1) {
    *this << "<p class=\"nota\">";
    put_xml_text(o_, latin1);
    *this << "</p>";
    end();
  }

 private:
  OutFile& o_;
};

// ---- Plan of the foundation -----------------------------------------------

struct Plan {
  bool any = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  double scale = 1, ox = 0, oy = 0;  // pixel = ox + (X - xmin)*scale, oy + (ymax - Y)*scale
  double w = 0, h = 0;               // drawing size in pixels
  double smin = 0, smax = 0;         // settlement range (m)
  void take(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    if (!any) {
      xmin = xmax = x;
      ymin = ymax = y;
      any = true;
    }
    xmin = std::min(xmin, x);
    xmax = std::max(xmax, x);
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
  }
  double X(double x) const { return ox + (x - xmin) * scale; }
  double Y(double y) const { return oy + (ymax - y) * scale; }
  double t(double s) const { return (s - smin) / (smax - smin); }
};

bool on_plan(const Model& m, int b) { return m.TIPO(b) == 1; }

double cx(const Model& m, int n) { return static_cast<double>(m.COORD(n, 1)); }
double cy(const Model& m, int n) { return static_cast<double>(m.COORD(n, 2)); }

Plan lay_out_plan(const Model& m, const std::vector<ReactionPoint>& rp, const std::vector<float>& sn, double top) {
  Plan p;
  std::vector<char> used(static_cast<std::size_t>(m.NN) + 1, 0);
  for (int b = 1; b <= m.NB; ++b)
    if (on_plan(m, b)) used[static_cast<std::size_t>(m.PI(b))] = used[static_cast<std::size_t>(m.PJ(b))] = 1;
  for (int s = 1; s <= m.NLOS; ++s)
    for (int n : {m.NI(s), m.NJ(s), m.NK(s), m.NL(s)}) used[static_cast<std::size_t>(n)] = 1;
  for (const ReactionPoint& r : rp) used[static_cast<std::size_t>(r.node)] = 1;
  for (int z = 1; z <= m.NZAP; ++z) {
    const int n = m.NODZAP(z);
    used[static_cast<std::size_t>(n)] = 1;
    const double a = static_cast<double>(m.ANCHO(z)) / 2, l = static_cast<double>(m.LARGO(z)) / 2;
    p.take(cx(m, n) - a, cy(m, n) - l);
    p.take(cx(m, n) + a, cy(m, n) + l);
  }
  bool first = true;
  for (int n = 1; n <= m.NN; ++n) {
    if (!used[static_cast<std::size_t>(n)]) continue;
    p.take(cx(m, n), cy(m, n));
    const double s = static_cast<double>(sn[static_cast<std::size_t>(n)]);
    if (!std::isfinite(s)) continue;
    if (first) p.smin = p.smax = s;
    first = false;
    p.smin = std::min(p.smin, s);
    p.smax = std::max(p.smax, s);
  }
  // Equal settlements everywhere still get a scale around them.
  if (!(p.smax - p.smin > 1e-9 * std::max(1.0, std::fabs(p.smax)))) {
    const double d = std::max(1e-4, std::fabs(p.smax) * 0.05);
    p.smin -= d;
    p.smax += d;
  }
  double dx = p.xmax - p.xmin, dy = p.ymax - p.ymin;
  const double avail_w = PAGE_W - 2 * MARGIN - LEGEND_W - 40.0;
  if (!(dx > 0)) dx = 0;
  if (!(dy > 0)) dy = 0;
  if (dx == 0 && dy == 0) {
    p.scale = 1;
  } else {
    p.scale = std::min(dx > 0 ? avail_w / dx : 1e300, dy > 0 ? PLAN_MAX_H / dy : 1e300);
    if (!std::isfinite(p.scale) || p.scale <= 0) p.scale = 1;
  }
  p.w = dx * p.scale;
  p.h = dy * p.scale;
  p.ox = MARGIN + 20.0 + (avail_w - p.w) / 2;
  p.oy = top + 20.0 + (std::max(p.h, PLAN_MIN_H) - p.h) / 2;
  return p;
}

// Height the plan section takes on the page.
double plan_height(const Plan& p) { return p.any ? std::max(p.h, PLAN_MIN_H) + 20.0 + 80.0 : 60.0; }

void draw_plan(Svg& g, const Model& m, const Plan& p, const std::vector<ReactionPoint>& rp, const std::vector<float>& sn,
               double top, bool heave) {
  const auto S = [&](int n) { return static_cast<double>(sn[static_cast<std::size_t>(n)]); };
  g << "<g id=\"" << g.pre << "planta\">";
  g.end();
  g.text(MARGIN, top, "Planta de la cimentación, coloreada por el hundimiento",
         "font-size=\"15\" font-weight=\"bold\"");
  if (!p.any) {
    g.text(MARGIN, top + 30, "(el modelo no tiene cimentación)", "font-size=\"13\" fill=\"#555555\"");
    g << "</g>";
    g.end();
    return;
  }

  // Slabs: each cut into small cells coloured by the settlement interpolated
  // from its four corners.
  const int CUTS = g.page ? std::clamp(static_cast<int>(std::sqrt(1600.0 / std::max(m.NLOS, 1))), 1, 8)
                         : std::clamp(static_cast<int>(std::sqrt(20000.0 / std::max(m.NLOS, 1))), 2, 16);
  for (int s = 1; s <= m.NLOS; ++s) {
    const int c[4] = {m.NI(s), m.NJ(s), m.NK(s), m.NL(s)};
    auto at = [&](double u, double v, int what) {  // what: 0 X, 1 Y, 2 settlement
      double q[4];
      for (int k = 0; k < 4; ++k) q[k] = what == 0 ? cx(m, c[k]) : what == 1 ? cy(m, c[k]) : S(c[k]);
      return (1 - u) * (1 - v) * q[0] + u * (1 - v) * q[1] + u * v * q[2] + (1 - u) * v * q[3];
    };
    g << "<g stroke-width=\"0.6\">";
    g.end();
    for (int i = 0; i < CUTS; ++i)
      for (int j = 0; j < CUTS; ++j) {
        const double u0 = double(i) / CUTS, u1 = double(i + 1) / CUTS, v0 = double(j) / CUTS, v1 = double(j + 1) / CUTS;
        const double tc = p.t(at((u0 + u1) / 2, (v0 + v1) / 2, 2));
        if (g.page) {
          g << "<polygon class=\"" << level_class(tc) << "\" points=\"";
        } else {
          const std::string col = colour(tc);
          g << "<polygon fill=\"" << col << "\" stroke=\"" << col << "\" points=\"";
        }
        const double uv[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
        for (int k = 0; k < 4; ++k)
          g << (k > 0 ? " " : "") << p.X(at(uv[k][0], uv[k][1], 0)) << "," << p.Y(at(uv[k][0], uv[k][1], 1));
        if (!g.page) g << " ";
        g << "\"/>";
        g.end();
      }
    g << "</g>";
    g.end();
    g << "<polygon fill=\"none\" stroke=\"#666666\" stroke-width=\"1\" points=\"";
    for (int n : c) g << p.X(cx(m, n)) << "," << p.Y(cy(m, n)) << " ";
    g << "\"/>";
    g.end();
  }

  // Isolated footings, ANCHO along X and LARGO along Y.
  for (int z = 1; z <= m.NZAP; ++z) {
    const int n = m.NODZAP(z);
    const double a = static_cast<double>(m.ANCHO(z)) / 2, l = static_cast<double>(m.LARGO(z)) / 2;
    g << "<rect x=\"" << p.X(cx(m, n) - a) << "\" y=\"" << p.Y(cy(m, n) + l) << "\" width=\"" << 2 * a * p.scale
      << "\" height=\"" << 2 * l * p.scale << "\" ";
    if (g.page)
      g << "class=\"" << level_class(p.t(S(n))) << " zapata\"/>";
    else
      g << "fill=\"" << colour(p.t(S(n))) << "\" stroke=\"#333333\" stroke-width=\"1.2\"/>";
    g.end();
  }

  if (g.page) {
    // Foundation bars at their width on the soil (BASE), each half in the
    // colour of the node whose reaction it carries, outlined.
    for (int b = 1; b <= m.NB; ++b) {
      if (!on_plan(m, b)) continue;
      const int i = m.PI(b), j = m.PJ(b);
      double B = 0.0;
      for (int k = 1; k <= m.NSEC; ++k)
        if (same_name(m.SECNOM(k), m.BARSEC(b))) B = static_cast<double>(m.BASE(k));
      const double x0 = p.X(cx(m, i)), y0 = p.Y(cy(m, i)), x1 = p.X(cx(m, j)), y1 = p.Y(cy(m, j));
      const double len = std::hypot(x1 - x0, y1 - y0);
      if (!(len > 0)) continue;
      const double hw = std::max(B * p.scale, 3.0) / 2, nx = -(y1 - y0) / len * hw, ny = (x1 - x0) / len * hw;
      const double xm = (x0 + x1) / 2, ym = (y0 + y1) / 2;
      for (int half = 0; half < 2; ++half) {
        const double ax = half == 0 ? x0 : xm, ay = half == 0 ? y0 : ym, bx = half == 0 ? xm : x1, by = half == 0 ? ym : y1;
        g << "<polygon class=\"" << level_class(p.t(S(half == 0 ? i : j))) << " franja\" points=\"" << ax + nx << ","
          << ay + ny << " " << bx + nx << "," << by + ny << " " << bx - nx << "," << by - ny << " " << ax - nx << ","
          << ay - ny << "\"/>";
        g.end();
      }
    }
  }
  // Foundation bars: a band whose colour runs from one end's settlement to the other's.
  if (!g.page) {
  g << "<defs>";
  g.end();
  for (int b = 1; b <= m.NB; ++b) {
    if (!on_plan(m, b)) continue;
    const int i = m.PI(b), j = m.PJ(b);
    g << "<linearGradient id=\"" << g.pre << "b" << b << "\" gradientUnits=\"userSpaceOnUse\" x1=\"" << p.X(cx(m, i)) << "\" y1=\""
      << p.Y(cy(m, i)) << "\" x2=\"" << p.X(cx(m, j)) << "\" y2=\"" << p.Y(cy(m, j)) << "\"><stop offset=\"0\" stop-color=\""
      << colour(p.t(S(i))) << "\"/><stop offset=\"1\" stop-color=\"" << colour(p.t(S(j))) << "\"/></linearGradient>";
    g.end();
  }
  g << "</defs>";
  g.end();
  for (int pass = 0; pass < 2; ++pass)
    for (int b = 1; b <= m.NB; ++b) {
      if (!on_plan(m, b)) continue;
      const int i = m.PI(b), j = m.PJ(b);
      g << "<line x1=\"" << p.X(cx(m, i)) << "\" y1=\"" << p.Y(cy(m, i)) << "\" x2=\"" << p.X(cx(m, j)) << "\" y2=\""
        << p.Y(cy(m, j)) << "\" stroke-linecap=\"round\" ";
      if (pass == 0)
        g << "stroke=\"#222222\" stroke-width=\"13\"/>";
      else
        g << "stroke=\"url(#" << g.pre << "b" << b << ")\" stroke-width=\"9\"/>";
      g.end();
    }
  }

  // Reaction points: one mark per node, its number and its settlement.
  std::vector<char> marked(static_cast<std::size_t>(m.NN) + 1, 0);
  int nodes = 0;
  for (const ReactionPoint& r : rp)
    if (!marked[static_cast<std::size_t>(r.node)]) marked[static_cast<std::size_t>(r.node)] = 1, ++nodes;
  const bool values = nodes <= 40, numbers = nodes <= 120;
  const int d = decimals_for(std::max(std::fabs(p.smin), std::fabs(p.smax)) * 1000.0);
  const char* halo = "stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\" stroke-linejoin=\"round\"";
  if (g.page) {
    // On a big plan the labels thin out instead of vanishing: each number, then
    // each value, is written where it covers no mark and no label written before.
    struct Box {
      double x0, y0, x1, y1;
    };
    std::vector<Box> taken;
    auto room = [&](const Box& b) {
      for (const Box& t : taken)
        if (b.x0 < t.x1 && t.x0 < b.x1 && b.y0 < t.y1 && t.y0 < b.y1) return false;
      taken.push_back(b);
      return true;
    };
    for (int n = 1; n <= m.NN; ++n) {
      if (!marked[static_cast<std::size_t>(n)]) continue;
      const double x = p.X(cx(m, n)), y = p.Y(cy(m, n));
      taken.push_back({x - 4, y - 4, x + 4, y + 4});
      g << "<circle class=\"punto\" cx=\"" << x << "\" cy=\"" << y << "\" r=\"4\"/>";
      g.end();
    }
    for (int pass = 0; pass < 2; ++pass)
      for (int n = 1; n <= m.NN; ++n) {
        if (!marked[static_cast<std::size_t>(n)]) continue;
        const double x = p.X(cx(m, n)), y = p.Y(cy(m, n));
        const std::string text = pass == 0 ? std::to_string(n) : value_text(S(n) * 1000.0, d);
        const double w = 7.0 * static_cast<double>(text.size()) + 2, ty = pass == 0 ? y - 6 : y + 15;
        if (!room({x + 5, ty - 11, x + 5 + w, ty + 1})) continue;
        g << "<text class=\"" << (pass == 0 ? "num" : "val") << "\" x=\"" << x + 6 << "\" y=\"" << ty << "\">" << text
          << "</text>";
        g.end();
      }
  }
  for (int n = 1; n <= (g.page ? 0 : m.NN); ++n) {
    if (!marked[static_cast<std::size_t>(n)]) continue;
    const double x = p.X(cx(m, n)), y = p.Y(cy(m, n));
    g << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"5\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"1.8\"/>";
    g.end();
    if (numbers) {
      g << "<text x=\"" << x + 8 << "\" y=\"" << y - 8 << "\" " << kFont << " font-size=\"12\" font-weight=\"bold\" " << halo
        << ">" << n << "</text>";
      g.end();
    }
    if (values) {
      g << "<text x=\"" << x + 8 << "\" y=\"" << y + 17 << "\" " << kFont << " font-size=\"11\" " << halo << ">";
      g << value_text(S(n) * 1000.0, d) << "</text>";
      g.end();
    }
  }

  // Colour legend, largest value on top.
  const double lx = PAGE_W - MARGIN - LEGEND_W + 40, ly = top + 40, lh = 220, lw = 20;
  g << "<defs><linearGradient id=\"" << g.pre << "escala\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
  for (int k = 0; k <= 10; ++k) g << "<stop offset=\"" << px(k / 10.0) << "\" stop-color=\"" << hex(kScale[k]) << "\"/>";
  g << "</linearGradient></defs>";
  g.end();
  g.text(lx - 10, top + 20, g.page && heave ? "Movimiento vertical (mm)" : "Hundimiento (mm)", "font-size=\"13\" font-weight=\"bold\"");
  g << "<rect x=\"" << lx << "\" y=\"" << ly << "\" width=\"" << lw << "\" height=\"" << lh
    << "\" fill=\"url(#" << g.pre << "escala)\" stroke=\"#333333\"/>";
  g.end();
  for (int k = 0; k <= 4; ++k) {
    const double v = p.smax + (p.smin - p.smax) * k / 4.0, y = ly + lh * k / 4.0;
    g << "<line x1=\"" << lx + lw << "\" y1=\"" << y << "\" x2=\"" << lx + lw + 5 << "\" y2=\"" << y
      << "\" stroke=\"#333333\"/>";
    g.end();
    g.text(lx + lw + 8, y + 4, value_text(v * 1000.0, d), "font-size=\"12\"");
  }
  g.text(lx - 10, ly + lh + 22, g.page && heave ? "positivo: hacia arriba" : "negativo: hacia abajo",
         "font-size=\"11\" fill=\"#444444\"");
  g << "<circle cx=\"" << lx + 5 << "\" cy=\"" << ly + lh + 44 << "\" r=\"5\" fill=\"#ffffff\" stroke=\"#000000\" "
    << "stroke-width=\"1.8\"/>";
  g.end();
  g.text(lx + 16, ly + lh + 48, "punto de reacción", "font-size=\"11\"");

  // Length scale and the directions of X and Y, under the plan.
  const double by = top + 20.0 + std::max(p.h, PLAN_MIN_H) + 55.0;
  const double len = round_length(std::max(p.xmax - p.xmin, p.ymax - p.ymin) / 4.0);
  const double bw = len * p.scale, bx = MARGIN + 20.0;
  if (std::isfinite(bw) && bw > 4 && bw < PAGE_W) {
    g << "<rect x=\"" << bx << "\" y=\"" << by << "\" width=\"" << bw / 2 << "\" height=\"6\" fill=\"#000000\"/>";
    g << "<rect x=\"" << bx + bw / 2 << "\" y=\"" << by << "\" width=\"" << bw / 2
      << "\" height=\"6\" fill=\"#ffffff\" stroke=\"#000000\"/>";
    g << "<rect x=\"" << bx << "\" y=\"" << by << "\" width=\"" << bw << "\" height=\"6\" fill=\"none\" stroke=\"#000000\"/>";
    g.end();
    g.text(bx, by + 20, "0", "font-size=\"12\" text-anchor=\"middle\"");
    g.text(bx + bw, by + 20, value_text(len, len < 1 ? decimals_for(len) : 0) + " m", "font-size=\"12\" text-anchor=\"middle\"");
  }
  const double ax = bx + std::max(bw, 60.0) + 60, ay = by + 6;
  g << "<g stroke=\"#000000\" stroke-width=\"1.5\" fill=\"none\"><path d=\"M" << ax << " " << ay << " h24 m-6 -4 l6 4 l-6 4\"/>"
    << "<path d=\"M" << ax << " " << ay << " v-24 m-4 6 l4 -6 l4 6\"/></g>";
  g.end();
  g.text(ax + 28, ay + 4, "X", "font-size=\"12\"");
  g.text(ax + 8, ay - 18, "Y", "font-size=\"12\"");
  g << "</g>";
  g.end();
}

// ---- Diagrams ---------------------------------------------------------------

struct Range {
  double lo = 0, hi = 0;
};

Range range_of(const std::vector<AxisPoint>& pts, bool moment) {
  Range r;
  for (const AxisPoint& q : pts) {
    const double v = static_cast<double>(moment ? q.M : q.V);
    if (!std::isfinite(v)) continue;
    r.lo = std::min(r.lo, v);
    r.hi = std::max(r.hi, v);
  }
  if (r.hi - r.lo <= 0) r.hi = r.lo + 1;
  return r;
}

// Which face a moment stretches (positive: the bottom one), beside its panel.
void tension_faces(Svg& g, double top) {
  g.text(6, top + PANEL_H / 2 + 22, "+ tensión abajo", "font-size=\"9\" fill=\"#a63603\"");
  g.text(6, top + PANEL_H / 2 + 34, "- tensión arriba", "font-size=\"9\" fill=\"#a63603\"");
}

void draw_panel(Svg& g, const std::vector<AxisPoint>& pts, bool moment, double top, double length) {
  const double left = MARGIN + 60, right = PAGE_W - MARGIN - 20, w = right - left;
  const Range r = range_of(pts, moment);
  const double pad = 0.18 * (r.hi - r.lo);
  const double lo = r.lo - pad, hi = r.hi + pad;
  auto X = [&](double x) { return left + (length > 0 ? x / length : 0) * w; };
  auto Y = [&](double v) { return top + (hi - v) / (hi - lo) * PANEL_H; };
  auto val = [&](const AxisPoint& q) { return static_cast<double>(moment ? q.M : q.V); };
  const char* fill = moment ? "#fdd0a2" : "#c6dbef";
  const char* line = moment ? "#a63603" : "#08519c";

  g << "<rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << w << "\" height=\"" << PANEL_H
    << "\" fill=\"#fcfcfc\" stroke=\"#bbbbbb\"/>";
  g.end();
  g.text(MARGIN + 26, top + PANEL_H / 2 + 4, moment ? "M (t·m)" : "V (t)",
         "font-size=\"12\" font-weight=\"bold\" text-anchor=\"middle\"");
  if (moment && g.page) tension_faces(g, top);
  // Bar ends along the axis; on an axis of many bars, only those at least
  // 1/kBarMarks of the width apart.
  int bars = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) bars += i == 0 || pts[i].bar != pts[i - 1].bar;
  const double mark_gap = bars > kBarMarks ? w / kBarMarks : 0.0;
  double last_mark = -1e300;
  int last_bar = 0;
  double bar_start = 0;
  for (std::size_t i = 0; i <= pts.size(); ++i) {
    const bool new_bar = i == pts.size() || pts[i].bar != last_bar;
    if (new_bar && last_bar != 0) {
      const double x0 = X(bar_start), x1 = X(static_cast<double>(pts[i - 1].X));
      if (!moment && x1 - x0 > 36) {
        g.text((x0 + x1) / 2, top - 5, "barra " + std::to_string(last_bar),
               "font-size=\"10\" fill=\"#777777\" text-anchor=\"middle\"");
      }
      if (mark_gap == 0.0 || x1 - last_mark >= mark_gap) {
        last_mark = x1;
        g << "<line x1=\"" << x1 << "\" y1=\"" << top << "\" x2=\"" << x1 << "\" y2=\"" << top + PANEL_H
          << "\" stroke=\"#cccccc\" stroke-dasharray=\"4 3\"/>";
        g.end();
      }
    }
    if (i < pts.size() && new_bar) {
      last_bar = pts[i].bar;
      bar_start = static_cast<double>(pts[i].X);
    }
  }
  g << "<line x1=\"" << left << "\" y1=\"" << Y(0) << "\" x2=\"" << right << "\" y2=\"" << Y(0)
    << "\" stroke=\"#555555\" stroke-width=\"1\"/>";
  g.end();
  if (pts.empty()) {
    g.text(left + w / 2, top + PANEL_H / 2, "(eje sin barras)", "font-size=\"12\" fill=\"#777777\" text-anchor=\"middle\"");
    return;
  }
  // The diagram as a filled area between the curve and the axis.
  g << "<polygon fill=\"" << fill << "\" stroke=\"none\" points=\"";
  std::vector<std::size_t> drawn;
  drawn_points(pts.size(), [&](std::size_t i) { return val(pts[i]); }, drawn);
  g << X(static_cast<double>(pts.front().X)) << "," << Y(0) << " ";
  for (std::size_t i : drawn)
    if (std::isfinite(val(pts[i]))) g << X(static_cast<double>(pts[i].X)) << "," << Y(val(pts[i])) << " ";
  g << X(static_cast<double>(pts.back().X)) << "," << Y(0) << "\"/>";
  g.end();
  g << "<polyline fill=\"none\" stroke=\"" << line << "\" stroke-width=\"2\" stroke-linejoin=\"round\" points=\"";
  for (std::size_t i : drawn)
    if (std::isfinite(val(pts[i]))) g << X(static_cast<double>(pts[i].X)) << "," << Y(val(pts[i])) << " ";
  g << "\"/>";
  g.end();

  // Values at both ends and at the extremes.
  std::size_t imax = 0, imin = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (!std::isfinite(val(pts[i]))) continue;
    if (!std::isfinite(val(pts[imax])) || val(pts[i]) > val(pts[imax])) imax = i;
    if (!std::isfinite(val(pts[imin])) || val(pts[i]) < val(pts[imin])) imin = i;
  }
  const int d = decimals_for(std::max(std::fabs(r.lo), std::fabs(r.hi)));
  const char* halo = "stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\" stroke-linejoin=\"round\"";
  std::vector<std::size_t> shown;
  auto label = [&](std::size_t i, const char* anchor) {
    for (std::size_t k : shown)
      if (std::fabs(X(static_cast<double>(pts[k].X)) - X(static_cast<double>(pts[i].X))) < 50 &&
          std::fabs(Y(val(pts[k])) - Y(val(pts[i]))) < 14)
        return;
    shown.push_back(i);
    const double x = X(static_cast<double>(pts[i].X)), v = val(pts[i]);
    const double y = Y(v) + (v >= 0 ? -6 : 15);
    g << "<circle cx=\"" << x << "\" cy=\"" << Y(v) << "\" r=\"2.8\" fill=\"" << line << "\"/>";
    g << "<text x=\"" << x << "\" y=\"" << y << "\" " << kFont << " font-size=\"12\" text-anchor=\"" << anchor << "\" "
      << halo << ">" << value_text(v, d) << "</text>";
    g.end();
  };
  label(0, "start");
  label(pts.size() - 1, "end");
  auto anchor_of = [&](std::size_t i) {
    const double x = X(static_cast<double>(pts[i].X));
    return x < left + 40 ? "start" : x > right - 40 ? "end" : "middle";
  };
  label(imax, anchor_of(imax));
  label(imin, anchor_of(imin));
}

void draw_axis(Svg& g, const Model& m, int a, const std::vector<AxisPoint>& pts, double top) {
  g << "<g class=\"diagrama\" id=\"" << g.pre << "eje-" << a << "\">";
  g.end();
  g.text(MARGIN, top + 14, trimmed(m.NOMEJE(a)) + ": cortante V y momento M a lo largo del eje",
         "font-size=\"14\" font-weight=\"bold\"");
  const double length = pts.empty() ? 1.0 : static_cast<double>(pts.back().X);
  const double t1 = top + AXIS_TOP, t2 = t1 + PANEL_H + 18;
  draw_panel(g, pts, false, t1, length);
  draw_panel(g, pts, true, t2, length);
  // Abscissas of the bar ends, under the moment diagram.
  const double left = MARGIN + 60, w = PAGE_W - MARGIN - 20 - left;
  const double yb = t2 + PANEL_H + 15;
  double last = -1e300;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const bool end_of_bar = i + 1 == pts.size() || pts[i + 1].bar != pts[i].bar || i == 0;
    if (!end_of_bar) continue;
    const double x = left + (length > 0 ? static_cast<double>(pts[i].X) / length : 0) * w;
    if (x - last < 30) continue;
    last = x;
    g.text(x, yb, short_text(static_cast<double>(pts[i].X)), "font-size=\"11\" fill=\"#444444\" text-anchor=\"middle\"");
  }
  g.text(left + w, yb + 16, "x a lo largo del eje (m)", "font-size=\"11\" fill=\"#444444\" text-anchor=\"end\"");
  g << "</g>";
  g.end();
}

// ---- Across the passes -----------------------------------------------------

// One colour per pass, told apart in print and on screen.
const char* const kPassColours[12] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b",
                                      "#e377c2", "#7f7f7f", "#bcbd22", "#17becf", "#393b79", "#637939"};

constexpr double PROFILE_H = 170.0;

// Settlement along the axis, one line per pass, through the ends of its bars.
void draw_profile(Svg& g, const Model& m, int a, const std::vector<PassRecord>& passes, const std::vector<double>& total,
                  double top) {
  const std::vector<AxisPoint>& pts = passes.front().axis(a);
  const double left = MARGIN + 60, right = PAGE_W - MARGIN - 190, w = right - left;
  g.text(MARGIN, top + 14, trimmed(m.NOMEJE(a)) + ": hundimiento a lo largo del eje (mm), una línea por pasada",
         "font-size=\"14\" font-weight=\"bold\"");
  const double ptop = top + 30;
  // The nodes of the axis: both ends of each bar, at the abscissas of the walk.
  std::vector<std::pair<double, int>> at;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (i == 0 || pts[i].bar != pts[i - 1].bar) at.push_back({static_cast<double>(pts[i].X), m.PI(pts[i].bar)});
    if (i + 1 == pts.size() || pts[i + 1].bar != pts[i].bar) at.push_back({static_cast<double>(pts[i].X), m.PJ(pts[i].bar)});
  }
  if (at.empty()) {
    g.text(left + w / 2, ptop + PROFILE_H / 2, "(eje sin barras)", "font-size=\"12\" fill=\"#777777\" text-anchor=\"middle\"");
    return;
  }
  double lo = 0, hi = 0;
  for (const auto& [x, n] : at) {
    for (const PassRecord& p : passes) {
      const double v = static_cast<double>(p.s[static_cast<std::size_t>(n)]) * 1000.0;
      if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    }
    if (!total.empty() && std::isfinite(total[static_cast<std::size_t>(n)]))
      lo = std::min(lo, total[static_cast<std::size_t>(n)] * 1000.0), hi = std::max(hi, total[static_cast<std::size_t>(n)] * 1000.0);
  }
  if (hi - lo <= 0) hi = lo + 1;
  const double pad = 0.12 * (hi - lo), y0 = lo - pad, y1 = hi + pad, length = std::max(at.back().first, 1e-9);
  auto X = [&](double x) { return left + x / length * w; };
  auto Y = [&](double v) { return ptop + (y1 - v) / (y1 - y0) * PROFILE_H; };
  g << "<rect x=\"" << left << "\" y=\"" << ptop << "\" width=\"" << w << "\" height=\"" << PROFILE_H
    << "\" fill=\"#fcfcfc\" stroke=\"#bbbbbb\"/>";
  g << "<line x1=\"" << left << "\" y1=\"" << Y(0) << "\" x2=\"" << right << "\" y2=\"" << Y(0) << "\" stroke=\"#555555\"/>";
  g.end();
  const int d = decimals_for(std::max(std::fabs(lo), std::fabs(hi)));
  for (double v : {lo, hi})
    g.text(left - 6, Y(v) + 4, value_text(v, d), "font-size=\"11\" text-anchor=\"end\"");
  if (Y(0) - Y(hi) > 14 && Y(lo) - Y(0) > 14) g.text(left - 6, Y(0) + 4, "0", "font-size=\"11\" text-anchor=\"end\"");
  std::vector<std::size_t> drawn;
  for (std::size_t p = 0; p < passes.size(); ++p) {
    const char* col = kPassColours[p % 12];
    const auto mm = [&](std::size_t k) { return static_cast<double>(passes[p].s[static_cast<std::size_t>(at[k].second)]) * 1000.0; };
    drawn_points(at.size(), mm, drawn);
    g << "<polyline fill=\"none\" stroke=\"" << col << "\" stroke-width=\"2\" points=\"";
    for (std::size_t k : drawn) g << (k > 0 ? " " : "") << X(at[k].first) << "," << Y(mm(k));
    g << "\"/>";
    g.end();
    const double ly = ptop + 4 + 14.0 * static_cast<double>(p);
    g << "<line x1=\"" << right + 12 << "\" y1=\"" << ly << "\" x2=\"" << right + 32 << "\" y2=\"" << ly << "\" stroke=\"" << col
      << "\" stroke-width=\"3\"/>";
    g.end();
    g.text(right + 36, ly + 4, passes[p].id, "font-size=\"11\"");
  }
  if (!total.empty()) {
    // The total settlement (compressions + consolidations), thick and black.
    g << "<polyline fill=\"none\" stroke=\"#000000\" stroke-width=\"3\" stroke-dasharray=\"8 4\" points=\"";
    bool first = true;
    drawn_points(at.size(), [&](std::size_t k) { return total[static_cast<std::size_t>(at[k].second)]; }, drawn);
    for (std::size_t k : drawn) {
      const double v = total[static_cast<std::size_t>(at[k].second)];
      if (!std::isfinite(v)) continue;
      g << (first ? "" : " ") << X(at[k].first) << "," << Y(v * 1000.0);
      first = false;
    }
    g << "\"/>";
    g.end();
    const double ly = ptop + 4 + 14.0 * static_cast<double>(passes.size());
    g << "<line x1=\"" << right + 12 << "\" y1=\"" << ly << "\" x2=\"" << right + 32 << "\" y2=\"" << ly
      << "\" stroke=\"#000000\" stroke-width=\"3\" stroke-dasharray=\"8 4\"/>";
    g.end();
    g.text(right + 36, ly + 4, "total", "font-size=\"11\" font-weight=\"bold\"");
  }
  // Node numbers and abscissas under the profile.
  double last = -1e300;
  for (const auto& [x, n] : at) {
    if (X(x) - last < 26) continue;
    last = X(x);
    g.text(X(x), ptop + PROFILE_H + 14, short_text(x), "font-size=\"11\" fill=\"#444444\" text-anchor=\"middle\"");
    g.text(X(x), ptop + PROFILE_H + 27, "n" + std::to_string(n), "font-size=\"10\" fill=\"#777777\" text-anchor=\"middle\"");
  }
  g.text(right, ptop + PROFILE_H + 42, "abscisa a lo largo del eje (m); nN: nodo", "font-size=\"11\" fill=\"#444444\" text-anchor=\"end\"");
}

// The band between the largest and the smallest V or M of every pass, with
// the pass that gives each extreme.
void draw_envelope_panel(Svg& g, const std::vector<PassRecord>& passes, int a, bool moment, double top) {
  const std::vector<AxisPoint>& base = passes.front().axis(a);
  const double left = MARGIN + 60, right = PAGE_W - MARGIN - 20, w = right - left;
  g.text(MARGIN + 26, top + PANEL_H / 2 + 4, moment ? "M (t·m)" : "V (t)",
         "font-size=\"12\" font-weight=\"bold\" text-anchor=\"middle\"");
  g << "<rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << w << "\" height=\"" << PANEL_H
    << "\" fill=\"#fcfcfc\" stroke=\"#bbbbbb\"/>";
  g.end();
  if (base.empty()) return;
  const std::size_t n = base.size();
  std::vector<double> hi(n, -1e300), lo(n, 1e300);
  std::vector<int> phi(n, 0), plo(n, 0);
  for (std::size_t p = 0; p < passes.size(); ++p) {
    const std::vector<AxisPoint>& pts = passes[p].axis(a);
    if (pts.size() != n) continue;
    for (std::size_t i = 0; i < n; ++i) {
      const double v = static_cast<double>(moment ? pts[i].M : pts[i].V);
      if (!std::isfinite(v)) continue;
      if (v > hi[i]) hi[i] = v, phi[i] = static_cast<int>(p);
      if (v < lo[i]) lo[i] = v, plo[i] = static_cast<int>(p);
    }
  }
  double vlo = 0, vhi = 0;
  for (std::size_t i = 0; i < n; ++i) vlo = std::min(vlo, lo[i]), vhi = std::max(vhi, hi[i]);
  if (vhi - vlo <= 0) vhi = vlo + 1;
  const double pad = 0.18 * (vhi - vlo), y0 = vlo - pad, y1 = vhi + pad;
  const double length = std::max(static_cast<double>(base.back().X), 1e-9);
  auto X = [&](std::size_t i) { return left + static_cast<double>(base[i].X) / length * w; };
  auto Y = [&](double v) { return top + (y1 - v) / (y1 - y0) * PANEL_H; };
  if (moment) tension_faces(g, top);
  g << "<line x1=\"" << left << "\" y1=\"" << Y(0) << "\" x2=\"" << right << "\" y2=\"" << Y(0) << "\" stroke=\"#555555\"/>";
  g.end();
  const char* fill = moment ? "#fdd0a2" : "#c6dbef";
  const char* line = moment ? "#a63603" : "#08519c";
  std::vector<std::size_t> top_drawn, bottom_drawn;
  drawn_points(n, [&](std::size_t i) { return hi[i]; }, top_drawn);
  drawn_points(n, [&](std::size_t i) { return lo[i]; }, bottom_drawn);
  g << "<polygon fill=\"" << fill << "\" stroke=\"none\" points=\"";
  for (std::size_t i : top_drawn) g << (i > 0 ? " " : "") << X(i) << "," << Y(hi[i]);
  for (std::size_t k = bottom_drawn.size(); k-- > 0;) g << " " << X(bottom_drawn[k]) << "," << Y(lo[bottom_drawn[k]]);
  g << "\"/>";
  g.end();
  for (int side = 0; side < 2; ++side) {
    const std::vector<double>& v = side == 0 ? hi : lo;
    g << "<polyline fill=\"none\" stroke=\"" << line << "\" stroke-width=\"" << (side == 0 ? "2" : "1.5")
      << "\"" << (side == 0 ? "" : " stroke-dasharray=\"5 3\"") << " points=\"";
    for (std::size_t i : side == 0 ? top_drawn : bottom_drawn) g << (i > 0 ? " " : "") << X(i) << "," << Y(v[i]);
    g << "\"/>";
    g.end();
  }
  std::size_t imax = 0, imin = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (hi[i] > hi[imax]) imax = i;
    if (lo[i] < lo[imin]) imin = i;
  }
  const int d = decimals_for(std::max(std::fabs(vlo), std::fabs(vhi)));
  for (int side = 0; side < 2; ++side) {
    const std::size_t i = side == 0 ? imax : imin;
    const double v = side == 0 ? hi[i] : lo[i];
    const double x = X(i);
    const char* anchor = x < left + 120 ? "start" : x > right - 120 ? "end" : "middle";
    g << "<circle cx=\"" << x << "\" cy=\"" << Y(v) << "\" r=\"2.8\" fill=\"" << line << "\"/>";
    g.end();
    g.text(x, Y(v) + (side == 0 ? -6 : 15),
           value_text(v, d) + " (" + passes[static_cast<std::size_t>(side == 0 ? phi[i] : plo[i])].id + ")",
           (std::string("font-size=\"11\" text-anchor=\"") + anchor + "\" class=\"val\"").c_str());
  }
}

}  // namespace

void write_envelope_svgs(const Model& m, const std::vector<PassRecord>& passes, OutFile& o) {
  if (passes.empty() || m.NEJES < 1) return;
  Svg g(o);
  g.page = true;
  g << "<h3>Perfil de hundimientos a lo largo de cada eje</h3>";
  g.end();
  const double ph = 30 + PROFILE_H + 50;
  std::vector<double> total;
  if (TotalSettlement t; total_settlement(m, passes, Limits{}, t)) {
    total.assign(static_cast<std::size_t>(m.NN) + 1, std::nan(""));
    for (const FoundationNode& n : t.s.nodes) total[static_cast<std::size_t>(n.node)] = n.s;
  }
  const int drawn = drawn_axes(m);
  for (int a = 1; a <= drawn; ++a) {
    g << "<figure class=\"eje\"><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PAGE_W << "\" height=\"" << ph
      << "\" viewBox=\"0 0 " << PAGE_W << " " << ph << "\">";
    g.end();
    draw_profile(g, m, a, passes, total, 0);
    g << "</svg></figure>";
    g.end();
  }
  if (const std::string left_out = axes_left_out(m); !left_out.empty()) g.note(left_out);
  g << "<h3>Envolvente de cortante y momento a lo largo de cada eje</h3>";
  g.end();
  const double eh = AXIS_TOP + PANEL_H + 18 + PANEL_H + 30;
  for (int a = 1; a <= drawn; ++a) {
    g << "<figure class=\"eje\"><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PAGE_W << "\" height=\"" << eh
      << "\" viewBox=\"0 0 " << PAGE_W << " " << eh << "\">";
    g.end();
    g.text(MARGIN, 14, trimmed(m.NOMEJE(a)) + ": envolvente de V y M de todas las pasadas (máximo continuo, mínimo a trazos)",
           "font-size=\"14\" font-weight=\"bold\"");
    draw_envelope_panel(g, passes, a, false, AXIS_TOP);
    draw_envelope_panel(g, passes, a, true, AXIS_TOP + PANEL_H + 18);
    const std::vector<AxisPoint>& pts = passes.front().axis(a);
    if (!pts.empty())
      g.text(PAGE_W - MARGIN - 20, AXIS_TOP + 2 * PANEL_H + 18 + 16,
             "abscisa a lo largo del eje (m), de 0 a " + short_text(static_cast<double>(pts.back().X)),
             "font-size=\"11\" fill=\"#444444\" text-anchor=\"end\"");
    g << "</svg></figure>";
    g.end();
  }
  if (const std::string left_out = axes_left_out(m); !left_out.empty()) g.note(left_out);
}

std::string page_colour_styles() {
  std::string css;
  for (int k = 0; k < PAGE_LEVELS; ++k) {
    const std::string c = colour(static_cast<double>(k) / (PAGE_LEVELS - 1));
    css += ".k" + std::to_string(k) + "{fill:" + c + ";stroke:" + c + "}";
  }
  return css + ".kx{fill:#bbbbbb;stroke:#bbbbbb}\n";
}

void write_svg(const Model& m, const PassSolution& s, const std::vector<ReactionPoint>& rp, OutFile& o,
               std::string_view ids) {
  const SolvedCase& c = s.c;
  std::vector<float> sn;
  node_settlements(m, s, rp, sn);
  const double plan_top = 90;
  const Plan plan = lay_out_plan(m, rp, sn, plan_top);
  const double diagrams_top = plan_top + plan_height(plan) + 20;
  const int axes = drawn_axes(m);
  const std::string left_out = axes_left_out(m);
  const double height = diagrams_top + 30 + (axes > 0 ? axes * AXIS_H : 30) + (left_out.empty() ? 0 : 24) + 10;

  Svg g(o);
  g.pre = ids;
  if (!ids.empty()) {
    // On the page: the plan and each axis are pictures of their own, so that
    // a printed page never cuts one.
    g.page = true;
    const Plan pp = lay_out_plan(m, rp, sn, 24);
    const double ph = 24 + plan_height(pp);
    g << "<figure class=\"planta\"><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PAGE_W << "\" height=\""
      << ph << "\" viewBox=\"0 0 " << PAGE_W << " " << ph << "\">";
    g.end();
    draw_plan(g, m, pp, rp, sn, 24, analysis_case(c.case_no).heave);
    g << "</svg></figure>";
    g.end();
    g << "<h3>Diagramas de elementos mec&#225;nicos por eje</h3>";
    g.end();
    if (axes == 0) {
      g << "<p class=\"nota\">(el modelo no tiene ejes)</p>";
      g.end();
    }
    for (int a = 1; a <= axes; ++a) {
      g << "<figure class=\"eje\"><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PAGE_W << "\" height=\""
        << AXIS_H << "\" viewBox=\"0 0 " << PAGE_W << " " << AXIS_H << "\">";
      g.end();
      draw_axis(g, m, a, s.drawn[static_cast<std::size_t>(a - 1)].points, 0);
      g << "</svg></figure>";
      g.end();
    }
    if (!left_out.empty()) g.note(left_out);
    return;
  }
  if (ids.empty()) {
    g << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    g.end();
  }
  g << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PAGE_W << "\" height=\"" << height << "\" viewBox=\"0 0 "
    << PAGE_W << " " << height << "\" " << kFont << ">";
  g.end();
  g << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>";
  g.end();
  g.text(MARGIN, 34, trimmed(m.TITULO), "font-size=\"18\" font-weight=\"bold\"");
  g.text(MARGIN, 58, c.title, "font-size=\"14\" fill=\"#333333\"");

  draw_plan(g, m, plan, rp, sn, plan_top, analysis_case(c.case_no).heave);

  g.text(MARGIN, diagrams_top + 10, "Diagramas de elementos mecánicos por eje", "font-size=\"15\" font-weight=\"bold\"");
  if (axes == 0) g.text(MARGIN, diagrams_top + 36, "(el modelo no tiene ejes)", "font-size=\"13\" fill=\"#555555\"");
  for (int a = 1; a <= axes; ++a)
    draw_axis(g, m, a, s.drawn[static_cast<std::size_t>(a - 1)].points, diagrams_top + 24 + (a - 1) * AXIS_H);
  if (!left_out.empty())
    g.text(MARGIN, diagrams_top + 24 + axes * AXIS_H + 14, left_out, "font-size=\"13\" fill=\"#555555\"");
  g << "</svg>";
  g.end();
}

}  // namespace korvant
