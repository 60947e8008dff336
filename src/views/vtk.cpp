// VTK XML unstructured grid of one solve (ASCII), for ParaView and the like:
// bars as line cells, slabs as quadrilaterals; displacements, rotations,
// reactions and settlements on the nodes; end forces and material on the cells.
#include "views/views.hpp"

namespace korvant {

namespace {

constexpr int VTK_LINE = 3, VTK_QUAD = 9;

void open_array(OutFile& o, const char* type, const char* name, int comps, const char* const* comp_names = nullptr) {
  o.put("        <DataArray type=\"");
  o.put(type);
  o.put("\" Name=\"");
  o.put(name);
  o.put("\"");
  if (comps > 1) {
    o.put(" NumberOfComponents=\"");
    o.put(std::to_string(comps));
    o.put("\"");
    if (comp_names)
      for (int c = 0; c < comps; ++c) {
        o.put(" ComponentName" + std::to_string(c) + "=\"");
        o.put(comp_names[c]);
        o.put("\"");
      }
  }
  o.put(" format=\"ascii\">");
  o.end_line();
}

void close_array(OutFile& o) {
  o.put("        </DataArray>");
  o.end_line();
}

// One line of values.
void reals(OutFile& o, std::initializer_list<float> v) {
  o.put("         ");
  for (float x : v) {
    o.put(' ');
    put_real(o, x);
  }
  o.end_line();
}

void integer_line(OutFile& o, int v) {
  o.put("          ");
  o.put(std::to_string(v));
  o.end_line();
}

}  // namespace

void write_vtu(const Model& m, const PassSolution& sol, const std::vector<ReactionPoint>& rp, OutFile& o) {
  const int cells = m.NB + m.NLOS;
  // Vertical reaction point of each node, and the reactions of the footings.
  std::vector<int> vertical(static_cast<std::size_t>(m.NN) + 1, 0);
  std::vector<float> footing(6 * (static_cast<std::size_t>(m.NN) + 1), 0.0f);
  for (std::size_t i = 0; i < rp.size(); ++i) {
    const ReactionPoint& p = rp[i];
    if (p.comp == 3) vertical[static_cast<std::size_t>(p.node)] = static_cast<int>(i) + 1;
    if (!p.area) footing[6 * static_cast<std::size_t>(p.node) + static_cast<std::size_t>(p.comp - 1)] = p.R;
  }

  o.put("<?xml version=\"1.0\"?>");
  o.end_line();
  o.put("<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\">");
  o.end_line();
  o.put("  <UnstructuredGrid>");
  o.end_line();
  o.put("    <Piece NumberOfPoints=\"" + std::to_string(m.NN) + "\" NumberOfCells=\"" + std::to_string(cells) + "\">");
  o.end_line();

  o.put("      <PointData Vectors=\"desplazamiento\" Scalars=\"hundimiento\">");
  o.end_line();
  open_array(o, "Float32", "desplazamiento", 3);
  for (int n = 1; n <= m.NN; ++n) reals(o, {sol.DESP(6 * n - 5), sol.DESP(6 * n - 4), sol.DESP(6 * n - 3)});
  close_array(o);
  open_array(o, "Float32", "giro", 3);
  for (int n = 1; n <= m.NN; ++n) reals(o, {sol.DESP(6 * n - 2), sol.DESP(6 * n - 1), sol.DESP(6 * n)});
  close_array(o);
  open_array(o, "Float32", "hundimiento", 1);
  for (int n = 1; n <= m.NN; ++n) {
    const int i = vertical[static_cast<std::size_t>(n)];
    reals(o, {i != 0 ? rp[static_cast<std::size_t>(i - 1)].s : 0.0f});
  }
  close_array(o);
  open_array(o, "Float32", "reaccion", 1);
  for (int n = 1; n <= m.NN; ++n) {
    const int i = vertical[static_cast<std::size_t>(n)];
    reals(o, {i != 0 ? rp[static_cast<std::size_t>(i - 1)].R : 0.0f});
  }
  close_array(o);
  open_array(o, "Int32", "punto_de_reaccion", 1);
  for (int n = 1; n <= m.NN; ++n) {
    const int i = vertical[static_cast<std::size_t>(n)];
    integer_line(o, i != 0 ? rp[static_cast<std::size_t>(i - 1)].k : 0);
  }
  close_array(o);
  static const char* const kComp[6] = {"FX", "FY", "FZ", "MX", "MY", "MZ"};
  open_array(o, "Float32", "reacciones_zapata", 6, kComp);
  for (int n = 1; n <= m.NN; ++n) {
    const float* r = &footing[6 * static_cast<std::size_t>(n)];
    reals(o, {r[0], r[1], r[2], r[3], r[4], r[5]});
  }
  close_array(o);
  o.put("      </PointData>");
  o.end_line();

  o.put("      <CellData Scalars=\"material\">");
  o.end_line();
  open_array(o, "Int32", "material", 1);
  for (int b = 1; b <= m.NB; ++b) integer_line(o, m.TIPO(b) == 1 ? 1 : 2);
  for (int s = 1; s <= m.NLOS; ++s) integer_line(o, 3);
  close_array(o);
  open_array(o, "Int32", "numero", 1);
  for (int b = 1; b <= m.NB; ++b) integer_line(o, b);
  for (int s = 1; s <= m.NLOS; ++s) integer_line(o, s);
  close_array(o);
  static const char* const kForce[6] = {"N", "Vy", "Vz", "T", "My", "Mz"};
  for (int end = 0; end < 2; ++end) {
    open_array(o, "Float32", end == 0 ? "fuerzas_extremo_i" : "fuerzas_extremo_j", 6, kForce);
    const int c = 6 * end;
    for (int b = 1; b <= m.NB; ++b)
      reals(o, {sol.VGL(b, c + 1), sol.VGL(b, c + 2), sol.VGL(b, c + 3), sol.VGL(b, c + 4), sol.VGL(b, c + 5), sol.VGL(b, c + 6)});
    for (int s = 1; s <= m.NLOS; ++s) reals(o, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    close_array(o);
  }
  o.put("      </CellData>");
  o.end_line();

  o.put("      <Points>");
  o.end_line();
  open_array(o, "Float32", "coordenadas", 3);
  for (int n = 1; n <= m.NN; ++n) reals(o, {m.COORD(n, 1), m.COORD(n, 2), m.COORD(n, 3)});
  close_array(o);
  o.put("      </Points>");
  o.end_line();

  // Node numbers from 0; slab corners in the order NI, NJ, NK, NL around the slab.
  o.put("      <Cells>");
  o.end_line();
  open_array(o, "Int32", "connectivity", 1);
  for (int b = 1; b <= m.NB; ++b) o.put("          " + std::to_string(m.PI(b) - 1) + " " + std::to_string(m.PJ(b) - 1)), o.end_line();
  for (int s = 1; s <= m.NLOS; ++s) {
    o.put("          " + std::to_string(m.NI(s) - 1) + " " + std::to_string(m.NJ(s) - 1) + " " + std::to_string(m.NK(s) - 1) +
          " " + std::to_string(m.NL(s) - 1));
    o.end_line();
  }
  close_array(o);
  open_array(o, "Int32", "offsets", 1);
  for (int b = 1; b <= m.NB; ++b) integer_line(o, 2 * b);
  for (int s = 1; s <= m.NLOS; ++s) integer_line(o, 2 * m.NB + 4 * s);
  close_array(o);
  open_array(o, "UInt8", "types", 1);
  for (int b = 1; b <= m.NB; ++b) integer_line(o, VTK_LINE);
  for (int s = 1; s <= m.NLOS; ++s) integer_line(o, VTK_QUAD);
  close_array(o);
  o.put("      </Cells>");
  o.end_line();

  o.put("    </Piece>");
  o.end_line();
  o.put("  </UnstructuredGrid>");
  o.end_line();
  o.put("</VTKFile>");
  o.end_line();
}

void write_pvd(const std::vector<std::string>& vtu_names, OutFile& o) {
  o.put("<?xml version=\"1.0\"?>");
  o.end_line();
  o.put("<VTKFile type=\"Collection\" version=\"1.0\" byte_order=\"LittleEndian\">");
  o.end_line();
  o.put("  <Collection>");
  o.end_line();
  for (std::size_t i = 0; i < vtu_names.size(); ++i) {
    o.put("    <DataSet timestep=\"" + std::to_string(i) + "\" group=\"\" part=\"0\" file=\"");
    put_xml_text(o, vtu_names[i], false);
    o.put("\"/>");
    o.end_line();
  }
  o.put("  </Collection>");
  o.end_line();
  o.put("</VTKFile>");
  o.end_line();
}

}  // namespace korvant
