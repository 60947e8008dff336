// Materials and rectangular cross sections of the frame; the section input
// derives the area, the two second moments and the torsion constant.
#include <string>

#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

void read_materials_sections(DataReader& rd, Model& m, Files& f) {
  const std::string blank20(20, ' ');

  // Materials.
  lst(f.rep, "MATERIALES");
  rd.read().i(m.NMAT, "NMAT (número de materiales)");
  check_count_memory(rd, m, m.NMAT, "NMAT (número de materiales)");
  rd.skip();
  put(f.rep, "(A15, 5X, 3(A15))", "MATERIAL", "PESO VOL", "MOD ELAST", "R POISSON");
  put(f.rep, "(20X, 2(10X, A4))", m.UNIDADES[5], m.UNIDADES[4]);

  m.MATNOM.size_to(m.NMAT, blank20);
  m.PESOVOL.size_to(m.NMAT);
  m.MODELAST.size_to(m.NMAT);
  m.RPOISSON.size_to(m.NMAT);
  for (int i = 1; i <= m.NMAT; ++i) {
    rd.read()
        .of(" " + std::to_string(i))
        .counted("NMAT", m.NMAT, i, "renglones de materiales")
        .a(m.MATNOM(i), 20, "nombre del material")
        .r(m.PESOVOL(i), "peso volumétrico del material")
        .r(m.MODELAST(i), "módulo de elasticidad del material")
        .r(m.RPOISSON(i), "relación de Poisson del material");
    // Values no material has.
    const std::string which = " del material " + trimmed(m.MATNOM(i));
    check_not_negative_real(rd, m.PESOVOL(i), "peso volumétrico" + which);
    check_positive(rd, m.MODELAST(i), "módulo de elasticidad" + which);
    if (!(m.RPOISSON(i) >= 0.0f && m.RPOISSON(i) < 0.5f))
      rd.fail("relación de Poisson" + which,
              "se leyó " + real_text(m.RPOISSON(i)) + "; debe estar entre 0 y 0.5 (0 admitido, 0.5 no)");
    put(f.rep, "(A20, 2F15.2, F10.2)", m.MATNOM(i), m.PESOVOL(i), m.MODELAST(i), m.RPOISSON(i));
  }

  // Sections.
  lst(f.rep);
  lst(f.rep, "SECCIONES");
  rd.read().i(m.NSEC, "NSEC (número de secciones)");
  check_count_memory(rd, m, m.NSEC, "NSEC (número de secciones)");
  rd.skip("¿el número de materiales (NMAT) es menor que los materiales escritos?");
  put(f.rep, "(A10, A17, 13X, 2(A10), 4(A15))", "SECCIÓN", "MATERIAL", "BASE", "ALTURA", "ÁREA", "Iy", "Iz", "IRot");
  const std::string& len = m.UNIDADES[2];
  put(f.rep, "(43X, 2(6X, A2), 4(10X, A2, A1))", len, len, len, "2", len, "4", len, "4", len, "4");

  m.SECNOM.size_to(m.NSEC, blank20);
  m.SECMAT.size_to(m.NSEC, blank20);
  m.BASE.size_to(m.NSEC);
  m.ALTURA.size_to(m.NSEC);
  m.AREASEC.size_to(m.NSEC);
  m.Iy.size_to(m.NSEC);
  m.Iz.size_to(m.NSEC);
  m.IRot.size_to(m.NSEC);
  for (int i = 1; i <= m.NSEC; ++i) {
    rd.read()
        .of(" " + std::to_string(i))
        .counted("NSEC", m.NSEC, i, "renglones de secciones")
        .a(m.SECNOM(i), 20, "nombre de la sección")
        .a(m.SECMAT(i), 20, "material de la sección")
        .r(m.BASE(i), "BASE de la sección")
        .r(m.ALTURA(i), "ALTURA de la sección");

    bool known = false;
    for (int k = 1; k <= m.NMAT; ++k)
      if (m.SECMAT(i) == m.MATNOM(k)) known = true;
    if (!known)
      rd.fail("material de la sección " + trimmed(m.SECNOM(i)),
              "\"" + trimmed(m.SECMAT(i)) + "\" no es ninguno de los materiales leídos");

    // A section without area gives a bar without stiffness and a foundation
    // beam without contact area.
    check_positive(rd, m.BASE(i), "BASE de la sección " + trimmed(m.SECNOM(i)));
    check_positive(rd, m.ALTURA(i), "ALTURA de la sección " + trimmed(m.SECNOM(i)));

    const float b = m.BASE(i);
    const float hh = m.ALTURA(i);
    m.AREASEC(i) = b * hh;
    m.Iy(i) = hh * m.AREASEC(i) * hh / 12.0f;
    m.Iz(i) = b * m.AREASEC(i) * b / 12.0f;
    m.IRot(i) = m.Iy(i) + m.Iz(i);
    put(f.rep, "(2A20, 2F10.2, 4F15.8)", m.SECNOM(i), m.SECMAT(i), b, hh, m.AREASEC(i), m.Iy(i), m.Iz(i), m.IRot(i));
  }
}

}  // namespace korvant
