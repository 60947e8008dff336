// Axes along which the shear and moment diagrams are drawn: a name and the list
// of its bars, and the number of divisions per bar.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

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
  // The bar lists are gathered first: the table is sized to the longest one.
  std::vector<std::vector<int>> bars(static_cast<std::size_t>(m.NEJES) + 1);
  long long points = 0;  // lines of one diagram block so far
  std::uint64_t axis_bars = 0, widest = 0;
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
    // The bar lists as read, and the table of the axes, as wide as the longest.
    axis_bars += static_cast<std::uint64_t>(std::max(m.NBEJE(a), 0));
    widest = std::max(widest, static_cast<std::uint64_t>(std::max(m.NBEJE(a), 0)));
    check_memory(rd, m, "NBEJE (número de barras" + which + ")",
                 4 * axis_bars + 4 * widest * static_cast<std::uint64_t>(m.NEJES));
    // Every solve writes one diagram block: two heading lines per axis and
    // NDIV + 1 lines per bar of it.
    points += static_cast<long long>(std::max(m.NBEJE(a), 0)) * (m.NDIV + 1) + 2;
    if (points > cap::DIAGRAM_LINES)
      rd.fail("NBEJE (número de barras" + which + ")",
              "con este eje los diagramas de cada solución tendrían " + std::to_string(points) +
                  " renglones (2 por eje y NDIV + 1 = " + std::to_string(m.NDIV + 1) +
                  " por barra); deben ser a lo más " + std::to_string(cap::DIAGRAM_LINES) +
                  ": use menos divisiones, menos ejes o menos barras por eje");
    std::vector<int>& list = bars[static_cast<std::size_t>(a)];
    list.assign(static_cast<std::size_t>(std::max(m.NBEJE(a), 0)), 0);
    for (int& b : list) s.i(b, "barra" + which);
    for (int b : list) check_ref(rd, b, m.NB, "barra" + which, "NB");

    Rec r(f.rep, "(20I5)");
    r << m.NBEJE(a);
    for (int b : list) r << b;
  }

  std::size_t longest = 0;
  for (const auto& list : bars) longest = std::max(longest, list.size());
  m.BAREJE.size_to(m.NEJES, static_cast<int>(longest));
  for (int a = 1; a <= m.NEJES; ++a) {
    const auto& list = bars[static_cast<std::size_t>(a)];
    for (std::size_t k = 0; k < list.size(); ++k) m.BAREJE(a, static_cast<int>(k) + 1) = list[k];
  }
}

}  // namespace korvant
