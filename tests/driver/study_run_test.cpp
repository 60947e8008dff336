// Studies of the example building, whole: zero-width distributions give the
// typed model's results, moduli scaled together scale the settlements by 1/f,
// the table is the same for any number of threads and resumes after an
// interruption, a bad study file writes nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "../toolkit/scratch.hpp"
#include "driver/study_run.hpp"
#include "text/fatal.hpp"

namespace {

using namespace korvant;
using namespace korvant::testing;

const std::string kExample = slurp(fs::path(KORVANT_SOURCE_DIR) / "examples" / "edificio.txt");

// The cells of the data rows (from sample 0) of a study table.
std::vector<std::vector<std::string>> table_rows(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  const std::vector<std::string> lines = split_lines(csv);
  for (std::size_t i = 2; i < lines.size(); ++i) {
    std::vector<std::string> c(1);
    for (char ch : lines[i]) {
      if (ch == ',') c.emplace_back();
      else c.back() += ch;
    }
    rows.push_back(c);
  }
  return rows;
}

TEST(Study, ZeroWidthGivesTheTypedResults) {
  Scratch dir;
  dir.write("datos.txt", kExample);
  dir.write("e.txt",
            "método montecarlo\nmuestras 3\n"
            "parámetro E2 perfil 1 estrato 1 uniforme 600 600\nparámetro NU2 perfil 1 estrato 2 normal 0.40 0\n"
            "parámetro Emv perfil 1 estrato 1 triangular 150 150 150\nparámetro factor E1 lognormal 1 0\n"
            "parámetro E material CONCRETO normal 2213594 0\nparámetro factor suelo uniforme 1 1\n"
            "parámetro factor cargas concentradas uniforme 1 1\nparámetro factor carga muerta uniforme 1 1\n"
            "parámetro factor carga viva uniforme 1 1\n");
  ASSERT_EQ(dir.run("--estudio=e.txt --resumen datos.txt REP"), 0) << dir.read("console.err");
  const auto rows = table_rows(dir.read("REP_estudio.csv"));
  ASSERT_EQ(rows.size(), 4u);
  for (const auto& r : rows) {
    EXPECT_EQ(r[1], "bien");
    EXPECT_EQ(std::vector<std::string>(r.begin() + 3, r.end()), std::vector<std::string>(rows[0].begin() + 3, rows[0].end()));
  }
  // Sample 0 is the typed model: the summary's largest settlement of compressions with laboratory moduli.
  const std::string head = split_lines(dir.read("REP_estudio.csv"))[1];
  std::size_t col = 0;
  for (std::size_t p = 0, c = 0; p < head.size(); ++p) {
    if (head.compare(p, 37, "caso2_laboratorio:asentamiento_max_m,") == 0) col = c;
    if (head[p] == ',') ++c;
  }
  ASSERT_GT(col, 0u);
  EXPECT_NEAR(std::stod(rows[0][col]), 0.016461, 5e-7);
  EXPECT_NE(dir.read("REP_resumen.txt").find("-0.016461  nodo 13"), std::string::npos);
  EXPECT_NE(dir.read("REP_estudio.txt").find("3 muestras: 3 resueltas, 0 fallidas"), std::string::npos);
}

TEST(Study, ModuliScaledTogetherScaleSettlementsByOneOverF) {
  Scratch dir;
  dir.write("datos.txt", kExample);
  dir.write("e.txt", "método sensibilidad\nparámetro factor suelo uniforme 0.5 2\nparámetro factor E uniforme 0.5 2\n");
  StudyOptions o;
  o.file = dir.path("e.txt").string();
  PreparedStudy ps;
  prepare_study(o, dir.path("datos.txt").string(), MethodOptions{}, ps);
  SampleSolver solver(ps);
  StudyRow typed, both, soil;
  solver.solve_values(0, {std::nan(""), std::nan("")}, typed);
  solver.solve_values(1, {2.0, 2.0}, both);
  solver.solve_values(2, {2.0, std::nan("")}, soil);
  ASSERT_TRUE(typed.ok() && both.ok() && soil.ok());
  const WatchLayout& w = ps.layout;
  for (const WatchLayout::Pass& p : w.passes) {
    const std::string view = p.pass->view;
    if (view != "caso2_laboratorio" && view != "caso3_lineal" && view != "caso4_lineal") continue;
    for (int k : {W_SETTLEMENT, W_DIFFERENTIAL}) {
      const double t = typed.watched[static_cast<std::size_t>(p.first + k)];
      EXPECT_NEAR(both.watched[static_cast<std::size_t>(p.first + k)] * 2.0, t, 2e-6 * t) << k;
      // The soil alone: the frame's stiffness shares the load, so not 1/f.
      EXPECT_GT(std::fabs(soil.watched[static_cast<std::size_t>(p.first + k)] * 2.0 - t), 1e-3 * t) << k;
    }
    // Pressures (the reactions) and the end forces do not change.
    for (int c = p.first + W_PRESSURE; c < p.first + w.per_pass(); ++c) {
      if (c == p.first + W_EQUILIBRIUM) continue;
      const double t = typed.watched[static_cast<std::size_t>(c)];
      EXPECT_NEAR(both.watched[static_cast<std::size_t>(c)], t, 1e-4 * std::fabs(t) + 1e-4) << w.names[static_cast<std::size_t>(c)];
    }
  }
}

TEST(Study, SameTableForAnyThreadsAndAfterAnInterruption) {
  Scratch dir;
  dir.write("datos.txt", kExample);
  dir.write("e.txt", "método montecarlo\nmuestras 150\nsemilla 7\nparámetro E2 perfil 1 estrato 2 lognormal 900 0.3\n"
                     "parámetro factor carga viva normal 1 0.1\ncorrelación 1 2 0.5\n");
  ASSERT_EQ(dir.run("--estudio=e.txt --memoria=no --hilos=1 datos.txt A"), 0) << dir.read("console.err");
  const std::string whole = dir.read("A_estudio.csv");
  ASSERT_EQ(dir.run("--estudio=e.txt --memoria=no --hilos=3 datos.txt B"), 0);
  EXPECT_EQ(dir.read("B_estudio.csv"), whole);

  // Interrupted once a few rows are written, then started again.
  const pid_t pid = fork();
  if (pid == 0) {
    ASSERT_EQ(chdir(dir.dir.c_str()), 0);
    execl(KORVANT_BIN, KORVANT_BIN, "--estudio=e.txt", "--memoria=no", "--hilos=1", "datos.txt", "C", nullptr);
    _exit(127);
  }
  for (int t = 0; t < 3000 && split_lines(dir.read("C_estudio.csv")).size() < 8; ++t)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  kill(pid, SIGINT);
  int st = 0;
  waitpid(pid, &st, 0);
  ASSERT_TRUE(WIFEXITED(st));
  EXPECT_EQ(WEXITSTATUS(st), 130);
  const std::size_t cut = split_lines(dir.read("C_estudio.csv")).size();
  ASSERT_LT(cut, 120u) << "the study ended before the interruption";
  ASSERT_EQ(dir.run("--estudio=e.txt --memoria=no --hilos=2 datos.txt C"), 0);
  EXPECT_EQ(dir.read("C_estudio.csv"), whole);
  EXPECT_NE(dir.read("console.err").find("151 muestras (" + std::to_string(151 - (cut - 2)) + " calculadas en esta corrida)"),
            std::string::npos)
      << dir.read("console.err");
}

TEST(Study, BadStudyFileWritesNothing) {
  Scratch dir;
  dir.write("datos.txt", kExample);
  dir.write("e.txt", "método montecarlo\nmuestras 10\nparámetro E2 perfil 1 estrato 9 uniforme 1 2\n");
  EXPECT_EQ(dir.run("--estudio=e.txt --html datos.txt REP"), 1);
  EXPECT_EQ(dir.read("console.err"),
            "Error en el archivo de estudio \"e.txt\", l\xednea 3, E2_p1_e9: no existe el estrato 9 del perfil 1; tiene 3\n");
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"console.err", "console.out", "datos.txt", "e.txt"}));
}

}  // namespace
