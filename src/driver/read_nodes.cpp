// Nodes: coordinates, restriction codes, soil profile and depth of foundation.
// Row i of the node tables is the i-th node line; the number typed at its head
// is only echoed.
#include <cmath>
#include <limits>

#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

// Coordinates are single precision: from 16384 m on, two points less than a
// millimetre apart are the same point, and lengths and settlements lose
// digits. Said once, at the node with the largest coordinate.
void warn_coarse_coordinates(const DataReader& rd, const Model& m) {
  float largest = 0.0f;
  int at = 0;
  for (int i = 1; i <= m.NN; ++i)
    for (int c = 1; c <= 3; ++c)
      if (std::fabs(m.COORD(i, c)) > largest) {
        largest = std::fabs(m.COORD(i, c));
        at = i;
      }
  if (!(largest >= 16384.0f) || !std::isfinite(largest)) return;
  const float step = std::nextafter(largest, std::numeric_limits<float>::infinity()) - largest;
  rd.warn(m.LINNODO(at), "las coordenadas de hasta " + real_text(largest) + " m sólo se distinguen cada " +
                             real_text(step) + " m; traslade el origen");
}

}  // namespace

void read_nodes(DataReader& rd, Model& m, Files& f) {
  rd.read().i(m.NN, "NN (número de nodos)");
  check_count_memory(rd, m, m.NN, "NN (número de nodos)");
  // Degrees of freedom (6·NN) and equations (at most 12·NN) are counted in 32-bit integers.
  check_count(rd, m.NN, cap::NODES, "NN (número de nodos)", "los grados de libertad y las ecuaciones se cuentan con enteros de 32 bits");
  lst(f.rep, "Número de Nodos:", m.NN);
  rd.skip("¿el número de secciones (NSEC) es menor que las secciones escritas?");
  lst(f.rep, "COORDENADAS DE LOS NODOS              RESTRICCIONES", "   PERFIL   DF");
  lst(f.rep, " NODO      X         Y         Z    DX DY DZ MX MY MZ");
  lst(f.err, "No. nodos", m.NN);
  put(f.msh, "(A11)", "Coordinates");

  m.COORD.size_to(m.NN, 3);
  m.RESTR.size_to(m.NN, 6);
  m.PERFIL.size_to(m.NN);
  m.DF.size_to(m.NN);
  m.LINNODO.size_to(m.NN);
  int num = 0;  // typed node number: echoed only, kept from the line before when null
  for (int i = 1; i <= m.NN; ++i) {
    rd.read()
        .of(" " + std::to_string(i))
        .counted("NN", m.NN, i, "renglones de nodos")
        .i(num, "número del nodo")
        .r(m.COORD(i, 1), "X del nodo")
        .r(m.COORD(i, 2), "Y del nodo")
        .r(m.COORD(i, 3), "Z del nodo")
        .i(m.RESTR(i, 1), "restricción DX del nodo")
        .i(m.RESTR(i, 2), "restricción DY del nodo")
        .i(m.RESTR(i, 3), "restricción DZ del nodo")
        .i(m.RESTR(i, 4), "restricción MX del nodo")
        .i(m.RESTR(i, 5), "restricción MY del nodo")
        .i(m.RESTR(i, 6), "restricción MZ del nodo")
        .i(m.PERFIL(i), "PERFIL del nodo")
        .r(m.DF(i), "DF del nodo");
    m.LINNODO(i) = rd.line();
    // 0: no soil under the node; 1..NPS, checked once the profiles are read.
    if (m.PERFIL(i) < 0)
      rd.fail("PERFIL del nodo " + std::to_string(i),
              "se leyó " + std::to_string(m.PERFIL(i)) + "; debe ser 0 (sin suelo) o un perfil de 1 a NPS");
    put(f.rep, "(I5, 3F10.4, 6I3, I5, F10.4)", num, m.COORD(i, 1), m.COORD(i, 2), m.COORD(i, 3), m.RESTR(i, 1),
        m.RESTR(i, 2), m.RESTR(i, 3), m.RESTR(i, 4), m.RESTR(i, 5), m.RESTR(i, 6), m.PERFIL(i), m.DF(i));
    put(f.msh, "(I9, 3F12.4)", num, m.COORD(i, 1), m.COORD(i, 2), m.COORD(i, 3));
  }
  warn_coarse_coordinates(rd, m);
  put(f.msh, "(A15)", "end coordinates");
  lst(f.msh);

  m.NGL = 6 * m.NN;
}

}  // namespace korvant
