// Axes along which the shear and moment diagrams are drawn: a name and the list
// of its bars, and the number of divisions per bar.
#include <algorithm>
#include <cstdint>
#include <string>

#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

void read_axes(DataReader& rd, Model& m, Files& f) {
  rd.skip("¿el número de losas (NLOS) es menor que las losas escritas?");
  rd.skip("¿el número de losas (NLOS) es menor que las losas escritas?");
  rd.read().i(m.NEJES, "NEJES (número de ejes)").i(m.NDIV, "NDIV (divisiones por barra)");
  check_count_memory(rd, m, m.NEJES, "NEJES (número de ejes)");
  if (m.NEJES >= 1 && m.NDIV < 1)
    rd.fail("NDIV (divisiones por barra)", "se leyó " + std::to_string(m.NDIV) + "; debe ser al menos 1");
  // Every division adds a line per bar of every axis to each diagram block.
  if (m.NEJES >= 1 && m.NDIV > cap::DIVISIONS)
    rd.fail("NDIV (divisiones por barra)", out_of_range(m.NDIV, 1, cap::DIVISIONS));
  lst(f.rep, "No. DE EJES PARA ELEMENTOS MECÁNICOS:", m.NEJES);

  m.NOMEJE.size_to(m.NEJES, std::string(20, ' '));
  m.NBEJE.size_to(m.NEJES);
  // Each axis's bars are a list of their own, as long as the axis.
  m.BAREJE.clear();
  long long points = 0;  // lines of one diagram block so far
  std::uint64_t axis_bars = 0;
  for (int a = 1; a <= m.NEJES; ++a) {
    m.NOMEJE(a) = rd.read_fixed(20, "nombre del eje");
    put(f.rep, "(A20)", m.NOMEJE(a));

    const std::string which = " del eje " + std::to_string(a);
    ReadStmt s = rd.read();
    s.i(m.NBEJE(a), "NBEJE (número de barras" + which + ")");
    // A negative count reads no bar numbers; a bar is on an axis once.
    if (m.NBEJE(a) > m.NB)
      rd.fail("NBEJE (número de barras" + which + ")", "se leyó " + std::to_string(m.NBEJE(a)) +
                                                           "; un eje no puede tener más barras que las " +
                                                           std::to_string(m.NB) + " del modelo (NB)");
    axis_bars += static_cast<std::uint64_t>(std::max(m.NBEJE(a), 0));
    check_memory(rd, m, "NBEJE (número de barras" + which + ")", 4 * axis_bars);
    // Every solve writes one diagram block: two heading lines per axis and
    // NDIV + 1 lines per bar of it.
    points += static_cast<long long>(std::max(m.NBEJE(a), 0)) * (m.NDIV + 1) + 2;
    if (points > cap::DIAGRAM_LINES)
      rd.fail("NBEJE (número de barras" + which + ")",
              "con este eje los diagramas de cada solución tendrían " + std::to_string(points) +
                  " renglones (2 por eje y NDIV + 1 = " + std::to_string(m.NDIV + 1) +
                  " por barra); deben ser a lo más " + std::to_string(cap::DIAGRAM_LINES) +
                  ": use menos divisiones, menos ejes o menos barras por eje");
    m.BAREJE.add_list(m.NBEJE(a));
    const int n = m.BAREJE.size(a);
    for (int k = 1; k <= n; ++k) s.i(m.BAREJE(a, k), "barra" + which);
    for (int k = 1; k <= n; ++k) check_ref(rd, m.BAREJE(a, k), m.NB, "barra" + which, "NB");

    Rec r(f.rep, "(20I5)");
    r << m.NBEJE(a);
    for (int k = 1; k <= n; ++k) r << m.BAREJE(a, k);
  }
}

}  // namespace korvant
