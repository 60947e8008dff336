// The files a person looks at: what goes into them from one solve, their names,
// and the text helpers the VTK, CSV and SVG writers share.
#include "views/views.hpp"

#include <filesystem>

#include <charconv>

#include "frame/element_matrices.hpp"
#include "frame/frame.hpp"

namespace korvant {

namespace {

struct PassName {
  int caso, KANAL, nflag1;
  const char* pass;
  const char* title;
};

// Every solve a run can make. KANAL -1: whatever KANAL (expansions).
const PassName kPasses[] = {
    {1, -1, 1, "caso1_campo-centro", "Expansiones, módulos de campo en el nodo central"},
    {1, -1, 2, "caso1_campo-nodo", "Expansiones, módulos de campo en cada nodo"},
    {1, -1, 3, "caso1_laboratorio", "Expansiones, módulos de laboratorio"},
    {2, 0, 1, "caso2_campo-centro", "Compresiones, módulos de campo en el nodo central"},
    {2, 0, 2, "caso2_campo-nodo", "Compresiones, módulos de campo en cada nodo"},
    {2, 0, 3, "caso2_laboratorio", "Compresiones, módulos de laboratorio"},
    {2, 1, 0, "caso2_iterativo", "Compresiones, análisis iterativo (última pasada)"},
    {2, 2, 0, "caso2_no-lineal", "Compresiones, ecuación no lineal de Demeneghi"},
    {3, 0, 0, "caso3_lineal", "Consolidación primaria, análisis lineal"},
    {3, 2, 0, "caso3_no-lineal", "Consolidación primaria, ecuación no lineal de Demeneghi"},
    {4, 0, 0, "caso4_lineal", "Consolidación secundaria, análisis lineal"},
    {4, 2, 0, "caso4_no-lineal", "Consolidación secundaria, ecuación no lineal de Demeneghi"},
};

const char* const kSuffixes[] = {".vtu", "_reacciones.csv", "_nodos.csv", "_barras.csv", "_diagramas.csv", ".svg"};

}  // namespace

SolvedCase solved_case(int caso, int KANAL, int nflag1) {
  for (const PassName& p : kPasses) {
    const bool kanal = p.KANAL == -1 || p.KANAL == KANAL;
    if (p.caso == caso && kanal && (p.nflag1 == 0 || p.nflag1 == nflag1))
      return {caso, caso != 1 && KANAL == 2, p.pass, p.title};
  }
  return {caso, false, "caso", ""};
}

void reaction_points(const Model& m, bool nonlinear, std::vector<ReactionPoint>& out) {
  out.clear();
  const int count = nonlinear ? m.NR : m.NR + m.MR;
  for (int k = 1; k <= count; ++k) {
    ReactionPoint p;
    p.k = k;
    p.area = k <= m.NR;
    const int g = p.area ? m.NREAC(k) : m.NREACN(k - m.NR);
    p.node = (g - 1) / 6 + 1;
    p.comp = (g - 1) % 6 + 1;
    p.R = m.DESP(m.NGL + k);
    p.s = nonlinear ? m.DESP(g) : m.HUNDIM(k);
    out.push_back(p);
  }
}

void node_settlements(const Model& m, const std::vector<ReactionPoint>& rp, std::vector<float>& out) {
  out.assign(static_cast<std::size_t>(m.NN) + 1, 0.0f);
  for (int n = 1; n <= m.NN; ++n) out[static_cast<std::size_t>(n)] = m.DESP(6 * n - 3);
  for (const ReactionPoint& p : rp)
    if (p.comp == 3) out[static_cast<std::size_t>(p.node)] = p.s;
}

void axis_points(const Model& m, int a, int caso, int fine, std::vector<AxisPoint>& out) {
  out.clear();
  if (fine < 1) fine = 1;
  float deje = 0.0f;
  for (int k = 1; k <= m.NBEJE(a); ++k) {
    const int b = m.BAREJE(a, k);
    if (b < 1 || b > m.NB) continue;
    const float L = m.LONG(b);
    const float dl = L / static_cast<float>(m.NDIV);
    const float w = case_load(m, b, caso);
    float rr = 0.0f, rs = 0.0f;
    if (m.TIPO(b) == 1) {
      const int pi = area_reaction_position(m, m.GLBARRA(b, 3));
      const int pj = area_reaction_position(m, m.GLBARRA(b, 9));
      if (pi != 0) rr = m.DESP(m.NGL + pi);
      if (pj != 0) rs = m.DESP(m.NGL + pj);
    }
    const float V0 = m.VGL(b, 3), M0 = m.VGL(b, 5);
    const int n = m.NDIV * fine;
    const float step = fine == 1 ? dl : L / static_cast<float>(n);
    for (int j = 0; j <= n; ++j) {
      const float x = static_cast<float>(j) * step;
      const DiagramPoint pt = diagram_point(V0, M0, rr, rs, w, L, x);
      out.push_back({b, x + deje, pt.V, pt.M});
    }
    deje = static_cast<float>(m.NDIV) * dl + deje;
  }
}

void put_real(OutFile& o, float v) {
  char b[32];
  const auto r = std::to_chars(b, b + sizeof b, v);
  o.put(std::string_view(b, static_cast<std::size_t>(r.ptr - b)));
}

void put_xml_text(OutFile& o, std::string_view text, bool latin1) {
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&': o.put("&amp;"); break;
      case '<': o.put("&lt;"); break;
      case '>': o.put("&gt;"); break;
      case '"': o.put("&quot;"); break;
      default:
        if (c < 0x20 || c == 0x7F) {
          o.put('?');
        } else if (c < 0x80 || !latin1) {
          o.put(static_cast<char>(c));
        } else {
          o.put(static_cast<char>(0xC0 | (c >> 6)));
          o.put(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
  }
}

std::string trimmed(const std::string& s) {
  std::size_t e = s.find_last_not_of(' ');
  return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

Views::Views(ViewOptions opts, const std::string& reporte) : opts_(opts), base_(reporte) {
  // The report's extension, if its name has one, is not part of the other names.
  const std::size_t slash = base_.find_last_of('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = base_.find_last_of('.');
  if (dot != std::string::npos && dot > start) base_.resize(dot);
}

std::vector<std::string> Views::possible_names() const {
  std::vector<std::string> names;
  if (opts_.vtk) names.push_back(base_ + ".pvd");
  for (const PassName& p : kPasses)
    for (const char* suffix : kSuffixes) {
      const std::string s = suffix;
      const bool want = s == ".vtu" ? opts_.vtk : s == ".svg" ? opts_.svg : opts_.csv;
      if (want) names.push_back(base_ + "_" + p.pass + s);
    }
  return names;
}

void Views::reserve() {
  if (sink_ != nullptr) return;
  for (const std::string& name : possible_names()) {
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) continue;
    held_.push_back(std::make_unique<OutFile>());
    held_.back()->reserve(name);
  }
}

void Views::open(OutFile& o, const std::string& name) {
  if (sink_ != nullptr) {
    o.attach(sink_, name);
    return;
  }
  for (auto& h : held_) {
    if (h->is_reserved() && h->name() == name) {
      o.take(*h);
      o.start();
      return;
    }
  }
  o.open(name);
}

void Views::write(const Model& m, const SolvedCase& c) {
  if (!opts_.any()) return;
  reaction_points(m, c.nonlinear, rp_);
  const std::string stem = base_ + "_" + c.pass;
  OutFile& o = file_;
  if (opts_.vtk) {
    open(o, stem + ".vtu");
    write_vtu(m, rp_, o);
    o.close();
    // The collection lists the grids written so far, so that it is whole even
    // when a later case ends the run.
    const std::size_t slash = stem.find_last_of('/');
    vtus_.push_back((slash == std::string::npos ? stem : stem.substr(slash + 1)) + ".vtu");
    open(o, base_ + ".pvd");
    write_pvd(vtus_, o);
    o.close();
  }
  if (opts_.csv) {
    open(o, stem + "_reacciones.csv");
    write_csv_reactions(rp_, o);
    o.close();
    open(o, stem + "_nodos.csv");
    write_csv_nodes(m, o);
    o.close();
    open(o, stem + "_barras.csv");
    write_csv_bars(m, o);
    o.close();
    open(o, stem + "_diagramas.csv");
    write_csv_diagrams(m, c.caso, o);
    o.close();
  }
  if (opts_.svg) {
    open(o, stem + ".svg");
    write_svg(m, c, rp_, o);
    o.close();
  }
}

}  // namespace korvant
