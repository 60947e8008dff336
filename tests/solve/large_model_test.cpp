// A building larger than the program once held (156 foundation nodes, 5,769
// equations): one solve of a whole run, checked for vertical equilibrium. A
// test of its own (label "large"), left out of the sanitizer run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace korvant;

TEST(LargeModel, ManyFoundationNodesAndEquationsSolveInEquilibrium) {
  char tmpl[] = "/tmp/korvant-large-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  // 13 x 12 foundation nodes under five storeys; secondary consolidation only.
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 13 --ny 12 --storeys 5 --cases 0001 > '" +
                          (dir / "datos.txt").string() + "'";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  const fs::path home = fs::current_path();
  fs::current_path(dir);

  std::FILE* null = std::fopen("/dev/null", "wb");
  Model m;
  Files f;
  f.con.attach(null, "consola");
  f.err.attach(null, "consola de errores");
  f.log.set_level(LogLevel::None);
  korvant::Workspace ws;
  run("datos.txt", "REPORTE", m, f, {}, &ws);
  const korvant::PassTables& t = ws.pass;
  f.con.flush();
  f.err.flush();
  std::fclose(null);
  fs::current_path(home);

  EXPECT_EQ(m.NR, 156);
  EXPECT_GT(m.NGRED + m.NR + m.MR, 5000);
  // The area reactions carry every vertical load: summed over the vertical
  // equations (every vertical displacement is free, so the stiffness terms
  // cancel), the reactions spread over their beams balance the loads of the
  // bars and the concentrated loads.
  double load = 0.0, reactions = 0.0, scale = 0.0;
  for (int n = 1; n <= m.NN; ++n) {
    const int e = m.NUMGL(6 * n - 3);
    ASSERT_NE(e, 0) << n;
    load += static_cast<double>(m.vered4(e)) + static_cast<double>(m.PRED(e));
    scale += std::abs(static_cast<double>(m.vered4(e)));
    for (int k = 1; k <= m.NR; ++k)
      reactions += static_cast<double>(m.akr(e, m.NGRED + k)) * static_cast<double>(t.DESP(m.NGL + k));
  }
  EXPECT_GT(scale, 0.0);
  EXPECT_NEAR(reactions, load, 1e-3 * scale);
  // Every settlement is a number, and the building settles.
  for (int k = 1; k <= m.NR; ++k) ASSERT_TRUE(std::isfinite(t.HUNDIM(k))) << k;
  EXPECT_LT(t.DESP(6 * (m.NN / 2) - 3), 0.0f);
  fs::remove_all(dir);
}

}  // namespace
