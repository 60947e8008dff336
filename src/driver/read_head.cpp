// Head of the data file: the title, the five unit names and the analysis
// switches (KANAL and the four CASO values). Also opens the GiD mesh file.
#include "driver/input.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

void read_head(DataReader& rd, Model& m, Files& f) {
  m.DATOS = rd.name();

  // Title: one text item of 50 characters (unquoted, only its first word).
  m.TITULO.assign(50, ' ');
  rd.read().a(m.TITULO, 50, "título");
  lst(f.rep, m.TITULO);
  lst(f.rep);
  put(f.msh, "(A1, A30)", "#", m.TITULO);
  put(f.msh, "(A40)", "MESH dimension 3 ElemType Linear Nnode 2");

  // Units: force, length, angle, modulus, unit weight.
  rd.skip();
  for (int k = 1; k <= 5; ++k) m.UNIDADES[k].assign(4, ' ');
  rd.read()
      .a(m.UNIDADES[1], 4, "unidad de fuerza")
      .a(m.UNIDADES[2], 4, "unidad de longitud")
      .a(m.UNIDADES[3], 4, "unidad de ángulo")
      .a(m.UNIDADES[4], 4, "unidad de módulo")
      .a(m.UNIDADES[5], 4, "unidad de peso volumétrico");
  lst(f.rep, "UNIDADES");
  put(f.rep, "(5(A4, 2X))", m.UNIDADES[1], m.UNIDADES[2], m.UNIDADES[3], m.UNIDADES[4], m.UNIDADES[5]);
  lst(f.rep);

  // Analysis switches.
  rd.skip();
  {
    ReadStmt s = rd.read();
    s.i(m.KANAL, "KANAL");
    const int line = rd.line();
    s.i(m.CASO[1], "CASO(1)").i(m.CASO[2], "CASO(2)").i(m.CASO[3], "CASO(3)").i(m.CASO[4], "CASO(4)");
    // Any other kind of analysis would solve nothing in most cases.
    if (m.KANAL < 0 || m.KANAL > 2)
      rd.fail_at(line, "KANAL (tipo de análisis)",
                 "se leyó " + std::to_string(m.KANAL) +
                     "; debe ser 0 (lineal), 1 (lineal iterativo) o 2 (no lineal, ecuación de Demeneghi)");
  }

  // The kind of analysis, as the report names it (KANAL is 0, 1 or 2 here).
  if (m.KANAL == 0) lst(f.rep, "ANALISIS LINEAL SIN CONFINAMIENTO");
  else if (m.KANAL == 1) lst(f.rep, "ANALISIS LINEAL ITERATIVO", "C/CONFINAMIENTO");
  else lst(f.rep, "ANALISIS NO LINEAL METODO DEMENEGHI");
  lst(f.rep);
}

}  // namespace korvant
