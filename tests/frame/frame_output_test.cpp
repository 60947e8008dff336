// The report and log texts of the frame passes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "frame/frame.hpp"
#include "text/files.hpp"
#include "frame_fixture.hpp"

using namespace korvant;
using korvant::test::FrameBuilder;

namespace {

// Two bars of lengths 3 and 4 in a row along X, ends fixed, on one axis.
Model two_bar_axis() {
  FrameBuilder fb;
  int n1 = fb.node(0, 0, 0), n2 = fb.node(3, 0, 0), n3 = fb.node(7, 0, 0);
  fb.bar(n1, n2);
  fb.bar(n2, n3);
  Model m = fb.build();
  m.NDIV = 2;
  m.NEJES = 2;
  m.NOMEJE.size_to(2);
  m.NOMEJE(1) = "EJE A               ";
  m.NOMEJE(2) = "EJE VACIO           ";
  m.NBEJE.size_to(2);
  m.NBEJE(1) = 2;
  m.NBEJE(2) = 0;
  m.BAREJE.size_to(2, 2);
  m.BAREJE(1, 1) = 1;
  m.BAREJE(1, 2) = 2;
  m.GLBARRA.size_to(2, 12);
  m.VGL.size_to(2, 12);
  m.VGL(1, 3) = 1.5f;
  m.VGL(1, 5) = 0.25f;
  m.VGL(2, 3) = -1.0f;
  m.VGL(2, 5) = 0.5f;
  return m;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(DiagramsReport, AbscissasRunAlongTheAxis) {
  Model m = two_bar_axis();
  Files f;
  AxisWalk walk;
  log_diagrams(m, f.log, 1, walk);
  write_diagrams(m, f.rep, 1, walk);  // no load in the expansion case: V stays V0, M = V0 x - M0
  EXPECT_EQ(f.rep.buf(),
            "\n\n DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE\n"
            " EJE A               \n"
            " BARRA     X           V           M      \n"
            "    1    0.000000    1.500000   -0.250000\n"
            "    1    1.500000    1.500000    2.000000\n"
            "    1    3.000000    1.500000    4.250000\n"
            "    2    3.000000   -1.000000   -0.500000\n"
            "    2    5.000000   -1.000000   -2.500000\n"
            "    2    7.000000   -1.000000   -4.500000\n"
            " EJE VACIO           \n"
            " BARRA     X           V           M      \n");
  EXPECT_NE(f.mem.buf().find(" caso=           1\n NBAR=           1\n SU(NBAR)=           0\n"), std::string::npos);
}

TEST(DiagramsReport, NoAxesWritesOnlyTheHeading) {
  Model m = two_bar_axis();
  m.NEJES = 0;
  Files f;
  AxisWalk walk;
  log_diagrams(m, f.log, 2, walk);
  write_diagrams(m, f.rep, 2, walk);
  EXPECT_EQ(f.rep.buf(), "\n\n DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE\n");
}

TEST(EndForcesReport, TableLines) {
  Model m = two_bar_axis();
  m.CARGASBARRA(1, 6) = 2.0f;  // PV on bar 1, length 3
  Files f;
  end_forces(m, f.log, 1);
    write_end_forces(m, f.rep);
  const std::string expected =
      "\n\n  BARRA      ELEMENTOS     GRADO DE            MAGNITUD\n"
      "             MECANICOS     LIBERTAD\n"
      "\n"
      "    1       NORMAL X1          1               0.00000000\n"
      "    1       CORTANTE Y1        2               0.00000000\n"
      "    1       CORTANTE Z1        3               3.00000000\n"
      "    1       TORSION X1         4               0.00000000\n"
      "    1       FLEXIONANTE Y1     5               1.50000000\n"
      "    1       FLEXIONANTE Z1     6               0.00000000\n"
      "    1       NORMAL X2          7               0.00000000\n"
      "    1       CORTANTE Y2        8               0.00000000\n"
      "    1       CORTANTE Z2        9               3.00000000\n"
      "    1       TORSION X2        10               0.00000000\n"
      "    1       FLEXIONANTE Y2    11              -1.50000000\n"
      "    1       FLEXIONANTE Z2    12               0.00000000\n"
      "    2       NORMAL X1          7";
  EXPECT_EQ(f.rep.buf().substr(0, expected.size()), expected);
  // The solution is logged over NGL + NN entries, zeros past its end.
  const std::string& mem = f.mem.buf();
  std::size_t from = mem.find(" NR=           0\n");
  ASSERT_NE(from, std::string::npos);
  std::size_t to = mem.find(" LA CARGA UNIFORME SOBRE LA BARRA           1 ES   2.000000    \n");
  ASSERT_NE(to, std::string::npos);
  std::string zeros;
  for (int i = 0; i < m.NGL + m.NN; ++i) zeros += "    0.000000    \n";
  EXPECT_EQ(mem.substr(from + 17, to - from - 17), zeros);
}

// The log dump of akr and the load vectors is bounded by NGRED + NR <= 1000.
TEST(AssemblyLog, DumpBoundedBySize) {
  for (int restrained : {2, 1}) {
    FrameBuilder fb;
    for (int n = 1; n <= 167; ++n) fb.node(static_cast<float>(n), 0, 0);  // NGL = 1002
    for (int g = 1; g <= restrained; ++g) fb.restrained.insert(g);
    Model m = fb.build();
    ASSERT_EQ(m.NGRED, 1002 - restrained);
    Files f;
    const std::string path = testing::TempDir() + "korvant_frame_memoria";
    f.mem.open(path);
    write_bar_loads(m, f.rep);
    assemble_frame(m, f.log);
    write_total_load(m, f.rep);
    f.mem.close();
    const std::string mem = read_file(path);
    const bool dumped = mem.find(" MATRIZ DE REGIDEZ AMPLIADA\n") != std::string::npos;
    EXPECT_EQ(dumped, m.NGRED == 1000) << m.NGRED;
    if (dumped) {
      EXPECT_NE(mem.find(" VECTOR DE CARGAS REDUCIDO, vered4\n"), std::string::npos);
      EXPECT_NE(mem.find("\n 1000          0.00000000\n"), std::string::npos);
    }
    std::remove(path.c_str());
  }
}
