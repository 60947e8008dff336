// Whole linear runs of a foundation beam on one stratum, checked against statics:
// every solve of every case must give symmetric reactions whose resultant
// balances the applied load.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

// Three nodes 4 m apart; 20 t at the middle node; uniform loads of 1 (CVMax),
// 0.5 (CVMed), 2 (CMUERTA) and 0.25 (PV) t/m on both bars; no self weight.
const char* const kBeam = R"('VIGA SIMETRICA'
UNIDADES
't' 'm' 'rad' 't/m2' 't/m3'
KANAL CASO(1) CASO(2) CASO(3) CASO(4)
0 1 1 1 1
1
MATERIAL
SINPESO 0.0 2000000. 0.2
1
SECCION
V40X80 SINPESO 0.4 0.8
3
NODOS
1 0.0 0.0 0.0 1 1 0 1 0 1 1 1.0
2 4.0 0.0 0.0 0 1 0 1 0 1 1 1.0
3 8.0 0.0 0.0 0 1 0 1 0 1 1 1.0
2
BARRAS
1 V40X80 1 2 0.0 0 1.0 0.5 0.3 2.0 0.25
2 V40X80 2 3 0.0 0 1.0 0.5 0.3 2.0 0.25
0
ZAPATAS
1
CARGAS
2 0.0 0.0 -20.0 0.0 0.0 0.0
1 10.0
1
ESTRATO
1 2 6.0 1.7
800. 0.30 10.
1000. 0.35 10. 0.5 100. 0.5 1.0
200. 0.8 2.0
400. 0.9 0.1 2.0
0
LOSAS
EJES
EJES
0 4
)";

// Reactions of every "REACCIONES ESTIMADAS:" block of the report, with the case
// heading under which it was written.
struct Solve {
  std::string heading;
  std::vector<double> r;
};

std::vector<Solve> solves_in(const std::string& report) {
  std::vector<Solve> out;
  std::istringstream in(report);
  std::string line, heading;
  while (std::getline(in, line)) {
    if (line.rfind(" ANALISIS DE ", 0) == 0) heading = line;
    if (line == " REACCIONES ESTIMADAS:") {
      Solve s{heading, {}};
      std::streampos back = in.tellg();
      while (std::getline(in, line)) {
        std::istringstream l(line);
        int k = 0;
        double v = 0;
        if (!(l >> k >> v)) break;
        s.r.push_back(v);
        back = in.tellg();
      }
      in.seekg(back);
      out.push_back(s);
    }
  }
  return out;
}

}  // namespace

TEST(InteractionPhysics, SymmetricBeamBalancesTheLoadInEverySolve) {
  korvant::testing::Scratch dir;
  dir.write("datos.txt", kBeam);
  ASSERT_EQ(dir.run("datos.txt reporte.txt"), 0);
  const std::vector<Solve> solves = solves_in(dir.read("reporte.txt"));
  ASSERT_EQ(solves.size(), 8u);  // 3 expansion passes, 3 compression passes, 2 consolidations
  for (const Solve& s : solves) {
    ASSERT_EQ(s.r.size(), 3u) << s.heading;
    // Uniform load of the case: PV; CVMax + CMUERTA + PV; CVMed + CMUERTA + PV.
    double w = s.heading.find("EXPANSIONES") != std::string::npos ? 0.25
               : s.heading.find("COMPRESIONES") != std::string::npos ? 3.25
                                                                    : 2.75;
    // Each reaction acts over its contact length: 2 m at the ends, 4 m in the middle.
    double resultant = s.r[0] * 2.0 + s.r[1] * 4.0 + s.r[2] * 2.0;
    double applied = 20.0 + w * 8.0;
    EXPECT_NEAR(resultant, applied, 1e-4 * applied) << s.heading;
    EXPECT_NEAR(s.r[0], s.r[2], 1e-5 * std::fabs(s.r[1])) << s.heading;
    EXPECT_GT(s.r[1], 0.0) << s.heading;
  }
}
