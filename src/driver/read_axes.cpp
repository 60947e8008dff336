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
  if (m.NDIV > cap::DIVISIONS)
    rd.fail("NDIV (divisiones por barra)", out_of_range(m.NDIV, 1, cap::DIVISIONS));
  lst(f.rep, "No. DE EJES PARA ELEMENTOS MECÁNICOS:", m.NEJES);

  m.NOMEJE.size_to(m.NEJES, std::string(20, ' '));
  m.NBEJE.size_to(m.NEJES);
  // The bar lists are gathered first: the table is sized to the longest one.
  std::vector<std::vector<int>> bars(static_cast<std::size_t>(m.NEJES) + 1);
  std::uint64_t axis_bars = 0, widest = 0;
  for (int a = 1; a <= m.NEJES; ++a) {
    m.NOMEJE(a) = rd.read_fixed(20, "nombre del eje");
    put(f.rep, "(A20)", m.NOMEJE(a));

    const std::string which = " del eje " + std::to_string(a);
    ReadStmt s = rd.read();
    s.i(m.NBEJE(a), "NBEJE (número de barras" + which + ")");
    // A negative count reads no bar numbers.
    // The bar lists as read, and the table of the axes, as wide as the longest.
    axis_bars += static_cast<std::uint64_t>(std::max(m.NBEJE(a), 0));
    widest = std::max(widest, static_cast<std::uint64_t>(std::max(m.NBEJE(a), 0)));
    check_memory(rd, m, "NBEJE (número de barras" + which + ")",
                 4 * axis_bars + 4 * widest * static_cast<std::uint64_t>(m.NEJES));
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
