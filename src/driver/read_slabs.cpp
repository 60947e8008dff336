// Slabs: corner nodes, thickness, material and uniform loads of each slab, their
// quadrilateral elements in the GiD mesh; and the echo of the control block.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <tuple>

#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

void read_slabs(DataReader& rd, Model& m, Files& f) {
  rd.read().i(m.NLOS, "NLOS (número de losas)");
  check_count_memory(rd, m, m.NLOS, "NLOS (número de losas)");
  rd.skip();

  m.LOSA.size_to(m.NLOS);
  m.NI.size_to(m.NLOS);
  m.NJ.size_to(m.NLOS);
  m.NK.size_to(m.NLOS);
  m.NL.size_to(m.NLOS);
  m.h.size_to(m.NLOS);
  m.Mat.size_to(m.NLOS, std::string(20, ' '));
  m.CARGASLOSA.size_to(m.NLOS, 6);
  if (m.NLOS < 1) return;

  put(f.msh, "(A47)", "MESH dimension 3 ElemType Quadrilateral Nnode 4");
  lst(f.msh, " ");
  put(f.msh, "(A8)", "Elements");

  lst(f.rep);
  lst(f.rep, "             LECTURA DE NODOS QUE CONFORMAN CADA LOSA");
  put(f.rep, "(A38, A20, A64)", "    LOSA   NI    NJ   NK    NL       h", "   Mat  ",
      "CVMáx     CVMed     CVInst   CMUERTA    Pprop     PV");

  // Slabs by their four corners, in any order: one typed twice would count its
  // area and its loads twice.
  std::map<std::array<int, 4>, std::pair<int, int>> slab_at;  // corners -> slab, line
  for (int i = 1; i <= m.NLOS; ++i) {
    rd.read()
        .of(" " + std::to_string(i))
        .counted("NLOS", m.NLOS, i, "renglones de losas")
        .i(m.LOSA(i), "número de la losa")
        .i(m.NI(i), "NI de la losa")
        .i(m.NJ(i), "NJ de la losa")
        .i(m.NK(i), "NK de la losa")
        .i(m.NL(i), "NL de la losa")
        .r(m.h(i), "espesor h de la losa")
        .a(m.Mat(i), 20, "material de la losa")
        .r(m.CARGASLOSA(i, 1), "CVMáx de la losa")
        .r(m.CARGASLOSA(i, 2), "CVMed de la losa")
        .r(m.CARGASLOSA(i, 3), "CVInst de la losa")
        .r(m.CARGASLOSA(i, 4), "CMUERTA de la losa");
    const std::string which = " de la losa " + std::to_string(i);
    check_ref(rd, m.NI(i), m.NN, "NI" + which, "NN");
    check_ref(rd, m.NJ(i), m.NN, "NJ" + which, "NN");
    check_ref(rd, m.NK(i), m.NN, "NK" + which, "NN");
    check_ref(rd, m.NL(i), m.NN, "NL" + which, "NN");
    std::array<int, 4> corners{m.NI(i), m.NJ(i), m.NK(i), m.NL(i)};
    std::sort(corners.begin(), corners.end());
    const auto [at, fresh] = slab_at.try_emplace(corners, i, rd.line());
    if (!fresh)
      rd.fail("losa " + std::to_string(i), "tiene las mismas cuatro esquinas que la losa " + std::to_string(at->second.first) +
                                  " (línea " + std::to_string(at->second.second) +
                                  "); una losa escrita dos veces contaría dos veces su área y sus cargas");

    // The loads and areas of the slab are spread by the lengths of its sides
    // NI-NJ and NJ-NK.
    for (auto [a, b, na, nb] : {std::tuple{m.NI(i), m.NJ(i), "NI", "NJ"}, std::tuple{m.NJ(i), m.NK(i), "NJ", "NK"}}) {
      const float ex = m.COORD(b, 1) - m.COORD(a, 1);
      const float ey = m.COORD(b, 2) - m.COORD(a, 2);
      const float ez = m.COORD(b, 3) - m.COORD(a, 3);
      if (std::sqrt(ex * ex + ey * ey + ez * ez) == 0.0f)
        rd.fail(std::string(na) + " y " + nb + which,
                "se leyeron los nodos " + std::to_string(a) + " y " + std::to_string(b) +
                    ", que están en el mismo punto; el lado " + na + "-" + nb + " de la losa no puede medir 0");
    }

    // A slab standing wholly on soil carries the in-situ pressure at the centre
    // of the foundation.
    if (m.PERFIL(m.NI(i)) >= 1 && m.PERFIL(m.NJ(i)) >= 1 && m.PERFIL(m.NK(i)) >= 1 && m.PERFIL(m.NL(i)) >= 1)
      m.CARGASLOSA(i, 6) = m.PvCentro;

    put(f.rep, "(5I6, F10.3, 5X, A20, 6F10.3)", m.LOSA(i), m.NI(i), m.NJ(i), m.NK(i), m.NL(i), m.h(i), m.Mat(i),
        m.CARGASLOSA(i, 1), m.CARGASLOSA(i, 2), m.CARGASLOSA(i, 3), m.CARGASLOSA(i, 4), m.CARGASLOSA(i, 5),
        m.CARGASLOSA(i, 6));
    put(f.msh, "(6I6)", m.LOSA(i), m.NI(i), m.NJ(i), m.NK(i), m.NL(i), 3);
  }

  put(f.msh, "(A12)", "end elements");
  lst(f.msh, " ");
}

void write_control_block(const Model& m, Files& f) {
  put(f.rep,
      "('NN    NUMERO DE NODOS              =', I10/'NB    NUMERO DE BARRAS             =', I10/"
      "'NLOS  NUMERO DE LOSAS              =', I10/'NZAP  NUMERO DE ZAPATAS AISLADAS   =', I10/"
      "'NMAT  NO. DE MATERIALES (P/BARRAS) =', I10/'NPS   NO. DE PERFILES DISPONIBLES  =', I10/"
      "'KANAL  TIPO DE ANALISIS            =', I10/'CASO(1)  ANALISIS POR EXPANSIÓN    =', I10/"
      "'CASO(2)  ANALISIS POR COMPRESIÓN   =', I10/'CASO(3)  CONSOLIDACIÓN PRIMARIA    =', I10/"
      "'CASO(4)  CONSOLIDACIÓN SECUNDARIA  =', I10)",
      m.NN, m.NB, m.NLOS, m.NZAP, m.NMAT, m.NPS, m.KANAL, m.CASO[1], m.CASO[2], m.CASO[3], m.CASO[4]);
}

}  // namespace korvant
