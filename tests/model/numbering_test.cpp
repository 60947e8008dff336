// Final restriction codes, reaction lists and equation numbers.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "../toolkit/input_files.hpp"
#include "model/preprocess.hpp"

using namespace korvant;
using namespace korvant::testing;

namespace {

struct Node {
  std::array<int, 6> restr;
  int perfil;
};

// A model built directly in the tables the numbering reads. Bars are (PI, PJ);
// a bar is a foundation bar when both ends have a profile, as the bar input
// decides. Node n is taken to be typed on line 10 + n of "datos.txt".
struct Numbered {
  Model m;
  RunFiles io;
  Numbered(const std::vector<Node>& nodes, const std::vector<std::array<int, 2>>& bars,
           const std::vector<int>& footings = {}) {
    m.DATOS = "datos.txt";
    m.NN = static_cast<int>(nodes.size());
    m.NGL = 6 * m.NN;
    m.RESTR.size_to(m.NN, 6);
    m.PERFIL.size_to(m.NN);
    m.LINNODO.size_to(m.NN);
    for (int n = 1; n <= m.NN; ++n) {
      const Node& d = nodes[static_cast<std::size_t>(n - 1)];
      for (int k = 1; k <= 6; ++k) m.RESTR(n, k) = d.restr[static_cast<std::size_t>(k - 1)];
      m.PERFIL(n) = d.perfil;
      m.LINNODO(n) = 10 + n;
    }
    m.NB = static_cast<int>(bars.size());
    m.PI.size_to(m.NB);
    m.PJ.size_to(m.NB);
    m.TIPO.size_to(m.NB);
    m.SINBARRA.size_to(m.NGL, 1);
    for (int b = 1; b <= m.NB; ++b) {
      m.PI(b) = bars[static_cast<std::size_t>(b - 1)][0];
      m.PJ(b) = bars[static_cast<std::size_t>(b - 1)][1];
      m.TIPO(b) = (m.PERFIL(m.PI(b)) >= 1 && m.PERFIL(m.PJ(b)) >= 1) ? 1 : 0;
      for (int n : {m.PI(b), m.PJ(b)})
        for (int g = 6 * n - 5; g <= 6 * n; ++g) m.SINBARRA(g) = 0;
    }
    m.NZAP = static_cast<int>(footings.size());
    m.NODZAP.size_to(m.NZAP);
    for (int z = 1; z <= m.NZAP; ++z) m.NODZAP(z) = footings[static_cast<std::size_t>(z - 1)];
  }
  void run() { number_dofs(m, io.f.log); }
  std::array<int, 6> codes(int n) const {
    return {m.RESTR(n, 1), m.RESTR(n, 2), m.RESTR(n, 3), m.RESTR(n, 4), m.RESTR(n, 5), m.RESTR(n, 6)};
  }
};

const std::array<int, 6> FREE{0, 0, 0, 0, 0, 0};
using A6 = std::array<int, 6>;

}  // namespace

// The whole log of a beam on soil with a column, line by line.
TEST(Numbering, LogOfABeamWithAColumn) {
  Numbered t({{{1, 1, 0, 1, 0, 1}, 1}, {{0, 1, 0, 0, 0, 0}, 1}, {FREE, 0}}, {{1, 2}, {1, 3}});
  t.run();
  std::string e = " restricciones por gl\n";
  for (int g = 1; g <= 18; ++g) e += " " + i12((g - 1) / 6 + 1) + i12(g) + i12(0) + "\n";
  e += " nn=" + i12(3) + " nb=" + i12(2) + "\n";
  e += " cambiando la restriccion al nodo" + i12(1) + i12(2) + "\n";
  e += " cambiando la restriccion al nodo" + i12(2) + i12(2) + "\n";
  e += " RESTRICCIONES adaptadas\n"
       "    1    1    1    2    1    0    1\n"
       "    2    0    1    2    0    0    0\n"
       "    3    0    0    0    0    0    0\n";
  e += " RESTRICCIONES POR CIMENTACION\n";
  e += " " + i12(1) + i12(1) + i12(1) + i12(2) + i12(1) + i12(0) + i12(1) + "\n";
  e += " " + i12(2) + i12(0) + i12(1) + i12(2) + i12(0) + i12(0) + i12(0) + "\n";
  e += " " + i12(3) + i12(0) + i12(0) + i12(0) + i12(0) + i12(0) + i12(0) + "\n";
  e += " REACCIONES DE AREA EN INTERACCION\n";
  e += " " + i12(1) + i12(3) + "\n";
  e += " " + i12(2) + i12(9) + "\n";
  e += " REACCIONES NODALES EN INTERACCION\n";
  e += " NUEVO VECTOR DE GRADOS DE LIBERTAD\n";
  // Restrained: 1, 2, 4, 6 (node 1) and 8 (node 2).
  const int numgl[19] = {0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  for (int g = 1; g <= 18; ++g) e += " " + i12(g) + i12(numgl[g]) + "\n";
  e += " GRADOS DE LIBERTAD TOTALES:" + i12(18) + "\n";
  e += " GRADOS DE LIBERTAD EFECTIVOS NGRED:" + i12(13) + "\n";
  EXPECT_EQ(t.io.mem(), e);
  EXPECT_EQ(t.m.NGRED, 13);
  EXPECT_EQ(t.m.NFIJO, 5);
  EXPECT_EQ(t.m.NCENTRO, 2);
  for (int g = 1; g <= 18; ++g) EXPECT_EQ(t.m.IFIJO(g), numgl[g] == 0 ? 1 : 0) << g;
}

TEST(Numbering, NodeWithoutBarsIsFullyRestrainedBeforeFootingsCount) {
  // Node 3 carries no bar: its typed codes (a user nodal reaction among them)
  // and its footing give nothing.
  Numbered t({{FREE, 1}, {FREE, 1}, {{3, 0, 2, 0, 0, 0}, 1}}, {{1, 2}}, {3});
  t.run();
  EXPECT_EQ(t.codes(3), (A6{1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(t.m.MR, 0);
  EXPECT_EQ(t.m.NR, 2);
  for (int g = 13; g <= 18; ++g) EXPECT_EQ(t.m.NUMGL(g), 0);
}

TEST(Numbering, CodesOutsideTheirMeaningAreFreeAndTypedSupportsStay) {
  // Node 1: a code 2 in DX and MZ and a code 7 in MY are free; node 2 is a
  // footing node on foundation bars: DZ area reaction, the other free columns
  // nodal reactions, the typed support in DY kept; node 3: a foundation bar end
  // with DZ typed 1 keeps its support (no area reaction).
  Numbered t({{{2, 0, 0, 0, 7, 2}, 1}, {{0, 1, 0, 0, 0, 0}, 1}, {{0, 0, 1, 0, 0, 0}, 1}, {FREE, 0}},
             {{1, 2}, {2, 3}, {3, 4}}, {2});
  t.run();
  EXPECT_EQ(t.codes(1), (A6{2, 0, 2, 0, 7, 2}));
  EXPECT_EQ(t.codes(2), (A6{3, 1, 2, 3, 3, 3}));
  EXPECT_EQ(t.codes(3), (A6{0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(t.m.NR, 2);
  ASSERT_EQ(t.m.NREAC.size(), 2);
  EXPECT_EQ(t.m.NREAC(1), 3);
  EXPECT_EQ(t.m.NREAC(2), 9);
  EXPECT_EQ(t.m.MR, 4);
  ASSERT_EQ(t.m.NREACN.size(), 4);
  EXPECT_EQ(t.m.NREACN(1), 7);
  EXPECT_EQ(t.m.NREACN(2), 10);
  EXPECT_EQ(t.m.NREACN(4), 12);
  // Only codes 1 remove degrees of freedom: 8 (node 2 DY) and 15 (node 3 DZ).
  EXPECT_EQ(t.m.NFIJO, 2);
  EXPECT_EQ(t.m.IFIJO(8), 1);
  EXPECT_EQ(t.m.IFIJO(15), 1);
  EXPECT_EQ(t.m.NUMGL(1), 1);
  EXPECT_EQ(t.m.NUMGL(8), 0);
  EXPECT_EQ(t.m.NUMGL(9), 8);
  EXPECT_EQ(t.m.NUMGL(15), 0);
  EXPECT_EQ(t.m.NUMGL(16), 14);
  EXPECT_EQ(t.m.NGRED, 22);
  EXPECT_EQ(t.m.NUMGL(24), t.m.NGRED);
}

TEST(Numbering, CentreNodeIsHalfTheAreaReactionsPlusOne) {
  Numbered none({{FREE, 0}, {FREE, 0}}, {{1, 2}});
  none.run();
  EXPECT_EQ(none.m.NR, 0);
  EXPECT_EQ(none.m.MR, 0);
  EXPECT_EQ(none.m.NCENTRO, 1);

  std::vector<Node> line(8, Node{FREE, 1});
  line[7].perfil = 0;  // column top
  Numbered seven(line, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}});
  seven.run();
  EXPECT_EQ(seven.m.NR, 7);
  EXPECT_EQ(seven.m.NREAC(7), 39);
  EXPECT_EQ(seven.m.NCENTRO, 4);
}

TEST(Numbering, EverythingRestrainedLeavesNoEquation) {
  Numbered t({{{1, 1, 1, 1, 1, 1}, 0}, {{1, 1, 1, 1, 1, 1}, 0}, {FREE, 0}}, {{1, 2}});
  t.run();
  EXPECT_EQ(t.m.NGRED, 0);
  EXPECT_EQ(t.m.NFIJO, 18);
  for (int g = 1; g <= 18; ++g) EXPECT_EQ(t.m.NUMGL(g), 0);
}

TEST(Numbering, ReactionsMustBeOnTheFirstNodesOnSoilAndFootings) {
  // A superstructure node numbered before the foundation nodes.
  Numbered late({{FREE, 0}, {FREE, 1}, {FREE, 1}}, {{2, 3}, {1, 2}});
  EXPECT_EQ(rejection([&] { late.run(); }),
            "Error en el archivo de datos \"datos.txt\", línea 12, nodo 2: tiene la reacción de área número 1 "
            "(código 2 en DZ), pero la reacción de área i debe estar en el nodo i: numere primero los nodos de "
            "cimentación, del 1 al 2, y después los demás");
  // The numbering itself is complete in the log before the rejection.
  EXPECT_NE(late.io.mem().find("GRADOS DE LIBERTAD EFECTIVOS NGRED:"), std::string::npos);

  // An area reaction typed on a node without profile.
  Numbered noprof({{{0, 0, 2, 0, 0, 0}, 0}, {FREE, 0}}, {{1, 2}});
  EXPECT_EQ(rejection([&] { noprof.run(); }),
            "Error en el archivo de datos \"datos.txt\", línea 11, nodo 1: tiene reacción de área (código 2 en DZ) "
            "pero no tiene perfil de suelo (PERFIL = 0); asigne un perfil al nodo");

  // A nodal reaction typed on a node that has no footing.
  Numbered nofoot({{FREE, 1}, {FREE, 1}, {{0, 0, 0, 3, 0, 0}, 0}}, {{1, 2}, {2, 3}});
  EXPECT_EQ(rejection([&] { nofoot.run(); }),
            "Error en el archivo de datos \"datos.txt\", línea 13, nodo 3: tiene reacción nodal (código 3) pero "
            "ninguna zapata aislada está en el nodo; ponga una zapata en el nodo o cambie el código");

  // A footing that reacts on a node without profile.
  Numbered footnoprof({{FREE, 1}, {FREE, 1}, {FREE, 0}}, {{1, 2}, {2, 3}}, {3});
  EXPECT_NE(rejection([&] { footnoprof.run(); })
                .find("línea 13, nodo 3: tiene zapata aislada con reacciones nodales pero no tiene perfil de suelo"),
            std::string::npos);

  // The same footing with the node on soil is accepted.
  Numbered ok({{FREE, 1}, {FREE, 1}, {FREE, 2}}, {{1, 2}, {2, 3}}, {3});
  ok.run();
  EXPECT_EQ(ok.m.NR, 3);
  EXPECT_EQ(ok.m.MR, 5);
}

