// Final support conditions and the numbering of the degrees of freedom: which
// degrees of freedom are restrained, which carry a soil reaction (area reactions
// under foundation beams, nodal reactions under isolated footings) and the
// equation number of every free one.
#include <string>

#include "text/fatal.hpp"
#include "model/preprocess.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"

namespace korvant {

namespace {

// Ends the run on a fault of the data found once the model is numbered, naming
// the node and the line of its node data.
[[noreturn]] void reject_node(const Model& m, int n, const std::string& what) {
  const int line = n >= 1 && n <= m.LINNODO.size() ? m.LINNODO(n) : 0;
  reject_data(m.DATOS, line, "nodo " + std::to_string(n), what);
}

// The soil computations take reaction point i to be node i, standing on a soil
// profile, and a nodal reaction to belong to a footing of its node.
void check_reactions(const Model& m) {
  for (int i = 1; i <= m.NR; ++i) {
    const int n = (m.NREAC(i) - 1) / 6 + 1;
    if (n != i)
      reject_node(m, n, "tiene la reacción de área número " + std::to_string(i) +
                            " (código 2 en DZ), pero la reacción de área i debe estar en el nodo i: numere primero "
                            "los nodos de cimentación, del 1 al " + std::to_string(m.NR) + ", y después los demás");
    if (m.PERFIL(n) < 1)
      reject_node(m, n, "tiene reacción de área (código 2 en DZ) pero no tiene perfil de suelo (PERFIL = " +
                            std::to_string(m.PERFIL(n)) + "); asigne un perfil al nodo");
  }
  for (int i = 1; i <= m.MR; ++i) {
    const int n = (m.NREACN(i) - 1) / 6 + 1;
    bool footing = false;
    for (int k = 1; k <= m.NZAP; ++k)
      if (m.NODZAP(k) == n) footing = true;
    if (!footing)
      reject_node(m, n, "tiene reacción nodal (código 3) pero ninguna zapata aislada está en el nodo; "
                        "ponga una zapata en el nodo o cambie el código");
    if (m.PERFIL(n) < 1)
      reject_node(m, n, "tiene zapata aislada con reacciones nodales pero no tiene perfil de suelo (PERFIL = " +
                            std::to_string(m.PERFIL(n)) + "); asigne un perfil al nodo");
  }
}

}  // namespace

void number_dofs(Model& m, Log& log) {
  const int NGL = m.NGL;

  // Nodes that are the end of no bar are fully restrained.
  lst(log, "restricciones por gl");
  for (int g = 1; g <= NGL; ++g) {
    const int n = (g - 1) / 6 + 1;
    lst(detail(log), n, g, m.SINBARRA(g));
    if (m.SINBARRA(g) == 1)
      for (int k = 1; k <= 6; ++k) m.RESTR(n, k) = 1;
  }

  m.NR = 0;
  m.MR = 0;
  m.NFIJO = 0;
  m.IFIJO.size_to(NGL);
  m.NUMGL.size_to(NGL);
  lst(log, "nn=", m.NN, " nb=", m.NB);

  // Free vertical displacement at both ends of a foundation bar: area reaction.
  for (int b = 1; b <= m.NB; ++b) {
    if (m.TIPO(b) != 1) continue;
    for (int n : {m.PI(b), m.PJ(b)}) {
      if (m.RESTR(n, 3) == 0) {
        m.RESTR(n, 3) = 2;
        lst(detail(log), "cambiando la restriccion al nodo", n, 2);
      }
    }
  }

  // Every free degree of freedom of a footing node: nodal reaction.
  for (int z = 1; z <= m.NZAP; ++z) {
    const int n = m.NODZAP(z);
    for (int k = 1; k <= 6; ++k)
      if (m.RESTR(n, k) == 0) m.RESTR(n, k) = 3;
  }

  lst(log, "RESTRICCIONES adaptadas");
  for (int n = 1; n <= m.NN; ++n)
    put(detail(log), "(7I5)", n, m.RESTR(n, 1), m.RESTR(n, 2), m.RESTR(n, 3), m.RESTR(n, 4), m.RESTR(n, 5), m.RESTR(n, 6));

  // Classification; the reaction lists are sized to their counts first.
  int nr = 0, mr = 0;
  for (int n = 1; n <= m.NN; ++n) {
    if (m.RESTR(n, 3) == 2) ++nr;
    for (int k = 1; k <= 6; ++k)
      if (m.RESTR(n, k) == 3) ++mr;
  }
  m.NREAC.size_to(nr);
  m.NREACN.size_to(mr);

  lst(log, "RESTRICCIONES POR CIMENTACION");
  for (int n = 1; n <= m.NN; ++n) {
    lst(detail(log), n, m.RESTR(n, 1), m.RESTR(n, 2), m.RESTR(n, 3), m.RESTR(n, 4), m.RESTR(n, 5), m.RESTR(n, 6));
    for (int k = 1; k <= 6; ++k) {
      const int g = (n - 1) * 6 + k;
      const int code = m.RESTR(n, k);
      if (code == 1) {
        m.NFIJO += 1;
        m.IFIJO(g) = 1;
      } else if (code == 3) {
        m.MR += 1;
        m.NREACN(m.MR) = g;
      } else if (code == 2 && k == 3) {
        m.NR += 1;
        m.NREAC(m.NR) = g;
      }
    }
  }

  m.NCENTRO = m.NR / 2 + 1;

  lst(log, "REACCIONES DE AREA EN INTERACCION");
  for (int i = 1; i <= m.NR; ++i) lst(detail(log), i, m.NREAC(i));
  lst(log, "REACCIONES NODALES EN INTERACCION");
  for (int i = 1; i <= m.MR; ++i) lst(detail(log), i, m.NREACN(i));

  // Equation numbers: consecutive in global order, skipping restrained ones.
  lst(log, "NUEVO VECTOR DE GRADOS DE LIBERTAD");
  int c = 0;
  for (int g = 1; g <= NGL; ++g) {
    if (m.IFIJO(g) == 1) {
      c += 1;
      m.NUMGL(g) = 0;
    } else {
      m.NUMGL(g) = g - c;
    }
    lst(detail(log), g, m.NUMGL(g));
  }
  m.NGRED = NGL - c;
  lst(log, "GRADOS DE LIBERTAD TOTALES:", NGL);
  lst(log, "GRADOS DE LIBERTAD EFECTIVOS NGRED:", m.NGRED);

  check_reactions(m);
}

}  // namespace korvant
