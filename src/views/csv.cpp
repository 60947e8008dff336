// CSV tables of one solve for spreadsheets: comma-separated, decimal point, one
// header row, every real with the shortest digits that read back as the same
// single-precision value.
#include "text/charset.hpp"
#include "views/views.hpp"

namespace korvant {

namespace {

const char* const kComponent[7] = {"", "DX", "DY", "DZ", "MX", "MY", "MZ"};

void line(OutFile& o, std::string_view text) {
  o.put(text);
  o.end_line();
}

void sep(OutFile& o) { o.put(','); }

void integer(OutFile& o, int v) { o.put(std::to_string(v)); }

// A Latin-1 text as a UTF-8 field, quoted, with a quote inside doubled. A
// text that a spreadsheet would take for a formula (=, +, -, @, TAB or CR
// first) gets an apostrophe before it, so that it stays text.
void text(OutFile& o, std::string_view s) {
  o.put('"');
  if (!s.empty() && std::string_view("=+-@\t\r").find(s.front()) != std::string_view::npos) o.put('\'');
  for (char c : s) {
    if (c == '"') o.put('"');
    latin1_to_utf8(o.buf(), std::string_view(&c, 1));
  }
  o.put('"');
}

}  // namespace

void write_csv_reactions(const std::vector<ReactionPoint>& rp, OutFile& o) {
  line(o, "punto,tipo,nodo,componente,reaccion_t_m_area_t_zapata,hundimiento_m_o_rad");
  for (const ReactionPoint& p : rp) {
    integer(o, p.k);
    o.put(p.area ? ",area," : ",zapata,");
    integer(o, p.node);
    sep(o);
    o.put(kComponent[p.comp]);
    sep(o);
    put_real(o, p.R);
    sep(o);
    put_real(o, p.s);
    o.end_line();
  }
}

void write_csv_nodes(const Model& m, const PassSolution& s, OutFile& o) {
  line(o, "nodo,x_m,y_m,z_m,dx_m,dy_m,dz_m,tx_rad,ty_rad,tz_rad");
  for (int n = 1; n <= m.NN; ++n) {
    integer(o, n);
    for (int c = 1; c <= 3; ++c) {
      sep(o);
      put_real(o, m.COORD(n, c));
    }
    for (int k = 1; k <= 6; ++k) {
      sep(o);
      put_real(o, s.DESP(6 * (n - 1) + k));
    }
    o.end_line();
  }
}

void write_csv_bars(const Model& m, const PassSolution& s, OutFile& o) {
  line(o,
       "barra,nodo_i,nodo_j,material,"
       "normal_x1_t,cortante_y1_t,cortante_z1_t,torsion_x1_t_m,flexionante_y1_t_m,flexionante_z1_t_m,"
       "normal_x2_t,cortante_y2_t,cortante_z2_t,torsion_x2_t_m,flexionante_y2_t_m,flexionante_z2_t_m");
  for (int b = 1; b <= m.NB; ++b) {
    integer(o, b);
    sep(o);
    integer(o, m.PI(b));
    sep(o);
    integer(o, m.PJ(b));
    sep(o);
    integer(o, m.TIPO(b) == 1 ? 1 : 2);
    for (int r = 1; r <= 12; ++r) {
      sep(o);
      put_real(o, s.VGL(b, r));
    }
    o.end_line();
  }
}

void write_csv_diagrams(const Model& m, const PassSolution& s, OutFile& o) {
  line(o, "eje,nombre,barra,x_m,v_t,m_t_m");
  for (int a = 1; a <= m.NEJES; ++a) {
    const AxisWalk& walk = s.axes[static_cast<std::size_t>(a - 1)];
    const std::string name = trimmed(m.NOMEJE(a));
    for (const AxisPoint& p : walk.points) {
      integer(o, a);
      sep(o);
      text(o, name);
      sep(o);
      integer(o, p.bar);
      sep(o);
      put_real(o, p.X);
      sep(o);
      put_real(o, p.V);
      sep(o);
      put_real(o, p.M);
      o.end_line();
    }
  }
}

}  // namespace korvant
