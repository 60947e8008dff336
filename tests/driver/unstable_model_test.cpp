// A model that lacks a support solves to rounding noise: the run warns.
#include <gtest/gtest.h>

#include <string>

#include "../toolkit/scratch.hpp"

namespace {

using korvant::testing::Scratch;

// Two foundation beams in a line along X. `dy3` is the DY code of node 3; `py2`
// a horizontal load across the beams at node 2.
std::string beams(int dy3, const char* py2) {
  return std::string(R"('DOS VIGAS'
UNIDADES
't' 'm' 'rad' 't/m2' 't/m3'
KANAL CASO(1) CASO(2) CASO(3) CASO(4)
0 0 1 0 0
1
MATERIAL
CONCRETO 2.4 2213594. 0.2
1
SECCION
V40X80 CONCRETO 0.4 0.8
3
NODOS
1 0.0 0.0 0.0 1 1 0 1 0 0 1 1.0
2 4.0 0.0 0.0 0 0 0 0 0 0 1 1.0
3 8.0 0.0 0.0 0 )") + std::to_string(dy3) + R"( 0 0 0 0 1 1.0
2
BARRAS
1 V40X80 1 2 0.0 0 0.0 0.0 0.0 1.0 0.0
2 V40X80 2 3 0.0 0 0.0 0.0 0.0 1.0 0.0
0
ZAPATAS
1
CARGAS
2 0.0 )" + py2 + R"( -20.0 0.0 0.0 0.0
1 10.0
1
ESTRATO
1 2 6.0 1.7
1000. 0.35 10. 0.5 100. 0.5 1.0
0
LOSAS
EJES
EJES
0 4
)";
}

std::string warnings_of(const std::string& datos, int& status) {
  Scratch s;
  s.write("datos.txt", datos);
  status = s.run("datos.txt reporte.txt");
  return s.read("console.err");
}

}  // namespace

TEST(UnstableModel, MissingSupportIsWarnedAndTheRunGoesOn) {
  int status = -1;
  std::string err = warnings_of(beams(0, "5.0"), status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(err.find("Aviso: en el análisis de compresiones el nodo "), std::string::npos) << err;
  EXPECT_NE(err.find("el sistema es casi singular"), std::string::npos) << err;

  err = warnings_of(beams(1, "5.0"), status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err.find("Aviso"), std::string::npos) << err;
}
