// Isolated footings: size of each footing and the node it stands under.
#include "driver/input.hpp"
#include "driver/read_checks.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

void read_footings(DataReader& rd, Model& m, Files& f) {
  rd.read().i(m.NZAP, "NZAP (número de zapatas aisladas)");
  check_count_memory(rd, m, m.NZAP, "NZAP (número de zapatas aisladas)");
  rd.skip("¿el número de barras (NB) es menor que las barras escritas?");
  lst(f.rep);
  lst(f.rep, "Número de zapatas aisladas", m.NZAP);

  m.ANCHO.size_to(m.NZAP);
  m.LARGO.size_to(m.NZAP);
  m.ESPESOR.size_to(m.NZAP);
  m.NODZAP.size_to(m.NZAP);
  if (m.NZAP < 1) return;

  lst(f.rep, "ZAPATAS AISLADAS");
  lst(f.rep, "  No.    Ancho     Largo   Espesor  Nodo Perfil");
  int num = 0;  // typed footing number: echoed only, kept from the line before when null
  for (int k = 1; k <= m.NZAP; ++k) {
    rd.read()
        .of(" " + std::to_string(k))
        .counted("NZAP", m.NZAP, k, "renglones de zapatas")
        .i(num, "número de la zapata")
        .r(m.ANCHO(k), "ANCHO de la zapata")
        .r(m.LARGO(k), "LARGO de la zapata")
        .r(m.ESPESOR(k), "ESPESOR de la zapata")
        .i(m.NODZAP(k), "nodo de la zapata");
    // The footing is taken as a plate of the same area on the soil.
    check_positive(rd, m.ANCHO(k), "ANCHO de la zapata " + std::to_string(k));
    check_positive(rd, m.LARGO(k), "LARGO de la zapata " + std::to_string(k));
    const int n = m.NODZAP(k);
    check_ref(rd, n, m.NN, "nodo de la zapata " + std::to_string(k), "NN");
    m.PERFCIM(n) = m.PERFIL(n);
    put(f.rep, "(I5, 3F10.3, 2I5)", num, m.ANCHO(k), m.LARGO(k), m.ESPESOR(k), n, m.PERFCIM(n));
  }
}

}  // namespace korvant
