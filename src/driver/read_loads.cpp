// Concentrated loads at the nodes: forces along X, Y, Z and moments about X, Y,
// Z. A later line for the same node replaces the values of an earlier one. The
// loads on free degrees of freedom (and on reaction ones) form the reduced load
// vector by equation number; loads typed on restrained ones are only echoed.
#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

void read_loads(DataReader& rd, Model& m, Files& f) {
  put(f.rep, "(//8X, 'CARGAS CONCENTRADAS Y CARGAS DE EMPOTRAMIENTO'//3X, 'No', 6X, 'P (t)')");
  rd.read().i(m.NCARGAS, "NCARGAS (número de renglones de cargas)");
  check_not_negative(rd, m.NCARGAS, "NCARGAS (número de renglones de cargas)");
  check_count_fits_file(rd, m.NCARGAS, "NCARGAS (número de renglones de cargas)");
  rd.skip("¿el número de zapatas (NZAP) es menor que las zapatas escritas?");

  m.P.size_to(m.NGL);
  m.PRED.size_to(m.NGL);
  int n = 0;  // node of the load line
  for (int c = 1; c <= m.NCARGAS; ++c) {
    const std::string which = " " + std::to_string(c);
    ReadStmt s = rd.read();
    s.of(which).counted("NCARGAS", m.NCARGAS, c, "renglones de cargas").i(n, "nodo de la carga");
    check_ref(rd, n, m.NN, "nodo de la carga" + which, "NN");
    const int g0 = 6 * (n - 1);
    s.r(m.P(g0 + 1), "PX de la carga")
        .r(m.P(g0 + 2), "PY de la carga")
        .r(m.P(g0 + 3), "PZ de la carga")
        .r(m.P(g0 + 4), "MX de la carga")
        .r(m.P(g0 + 5), "MY de la carga")
        .r(m.P(g0 + 6), "MZ de la carga");
    // A node that no bar reaches is fixed: its load would vanish unseen.
    bool loaded = false;
    for (int k = 1; k <= 6; ++k) loaded = loaded || m.P(g0 + k) != 0.0f;
    if (loaded && m.SINBARRA(g0 + 1) == 1)
      rd.warn(rd.line(), "la carga" + which + " está en el nodo " + std::to_string(n) +
                             ", al que no llega ninguna barra; el nodo queda fijo y la carga no actúa");
  }

  for (int g = 1; g <= m.NGL; ++g) {
    if (m.P(g) != 0.0f) put(f.rep, "(I5, F10.2)", g, m.P(g));
    if (m.NUMGL(g) != 0) m.PRED(m.NUMGL(g)) = m.P(g);
  }
}

}  // namespace korvant
