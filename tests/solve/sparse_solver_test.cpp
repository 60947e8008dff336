// The sparse solver (--solucion=dispersa) against gaussj on the golden models:
// the same equations in double precision, so the results agree to gaussj's
// single-precision round-off and the systems are solved to double round-off.
// Tolerances, never stored bytes: UMFPACK's last digits depend on the BLAS.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "driver/run.hpp"
#include "solve/sparse_lu.hpp"
#include "solve/workspace.hpp"
#include "../toolkit/scratch.hpp"

namespace {

using namespace korvant;
using korvant::testing::Scratch;
using korvant::testing::split_lines;
namespace fs = std::filesystem;

// The numbers of a CSV table by column name; non-numeric fields are skipped.
std::map<std::string, std::vector<double>> csv_columns(const std::string& text) {
  std::map<std::string, std::vector<double>> cols;
  const std::vector<std::string> lines = split_lines(text);
  if (lines.empty()) return cols;
  std::vector<std::string> names;
  auto fields = [](const std::string& l) {
    std::vector<std::string> f(1);
    for (char c : l)
      if (c == ',') f.emplace_back();
      else f.back().push_back(c);
    return f;
  };
  names = fields(lines[0]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = fields(lines[i]);
    for (std::size_t j = 0; j < f.size() && j < names.size(); ++j) {
      char* end = nullptr;
      const double v = std::strtod(f[j].c_str(), &end);
      if (!f[j].empty() && end != nullptr && *end == '\0') cols[names[j]].push_back(v);
    }
  }
  return cols;
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// Quantity -> (largest |gaussj value|, largest difference), over every pass.
using Deviations = std::map<std::string, std::pair<double, double>>;

void compare(const std::string& model, Deviations& dev) {
  Scratch g, s;
  for (Scratch* sc : {&g, &s}) sc->write("datos.txt", korvant::testing::slurp(fs::path(KORVANT_SOURCE_DIR) / ("tests/golden/" + model + "/datos.txt")));
  const int rg = g.run("--csv --resumen datos.txt reporte");
  const int rs = s.run("--csv --resumen --html --solucion=dispersa datos.txt reporte");
  ASSERT_EQ(rg, rs) << model;
  if (rg != 0) {  // a singular system: the same status and message
    EXPECT_EQ(g.read("console.err"), s.read("console.err")) << model;
    return;
  }
  EXPECT_NE(s.read("reporte").find("Solución: LU dispersa en doble precisión (UMFPACK)"), std::string::npos) << model;
  // The nonlinear solves converge in as many Newton iterations or fewer.
  EXPECT_LE(count(s.read("console.out"), "Iteracion:"), count(g.read("console.out"), "Iteracion:")) << model;
  // Every solve to double round-off: the residual the summary gives.
  const std::string summary = s.read("reporte_resumen.txt");
  int residuals = 0;
  for (const std::string& l : split_lines(summary)) {
    const std::size_t p = l.find("(|A| |x|): ");
    if (p == std::string::npos) continue;
    ++residuals;
    EXPECT_LE(std::strtod(l.c_str() + p + 11, nullptr), 1e-12) << model << ": " << l;
  }
  EXPECT_EQ(residuals, count(summary, "Equilibrio vertical")) << model;
  // The equilibrium difference of every pass, in per cent of the load.
  for (const std::string& l : split_lines(summary))
    if (const std::size_t p = l.find(" t = "); l.find("Diferencia: ") != std::string::npos && p != std::string::npos)
      dev["equilibrio (%)"].second = std::max(dev["equilibrio (%)"].second, std::fabs(std::strtod(l.c_str() + p + 5, nullptr)));
  EXPECT_EQ(count(s.read("reporte.html"), "<tr><th>Residuo relativo"), residuals) << model;
  // Settlements, reactions and end forces of every pass.
  const std::map<std::string, std::string> quantity = {
      {"reaccion_t_m_area_t_zapata", "reacciones"}, {"hundimiento_m_o_rad", "hundimientos"}};
  for (const std::string& f : g.files()) {
    const bool bars = f.ends_with("_barras.csv") && !f.ends_with("resortes_barras.csv");
    if (!bars && !f.ends_with("_reacciones.csv")) continue;
    auto a = csv_columns(g.read(f)), b = csv_columns(s.read(f));
    for (auto& [name, va] : a) {
      std::string q = bars ? (name.find("_t") != std::string::npos ? "fuerzas en los extremos" : "") : "";
      if (!bars && quantity.count(name)) q = quantity.at(name);
      if (q.empty()) continue;
      const std::vector<double>& vb = b[name];
      ASSERT_EQ(va.size(), vb.size()) << model << " " << f << " " << name;
      for (std::size_t i = 0; i < va.size(); ++i) {
        dev[q].first = std::max(dev[q].first, std::fabs(va[i]));
        dev[q].second = std::max(dev[q].second, std::fabs(va[i] - vb[i]));
      }
    }
  }
}

TEST(SparseSolver, AgreesWithGaussjOnEveryGoldenModel) {
  if (!sparse_lu_built_in()) GTEST_SKIP() << "built without UMFPACK";
  // Relative tolerances, 1e-4 where gaussj's own error allows it. gaussj's
  // error is the difference: a double-precision solve of gaussj's very matrix
  // (its stiffness summed in single precision) differs from gaussj's by as
  // much as from the sparse solver's. edificio's end forces, which difference
  // the displacements through the bars' axial stiffness, carry 1.7e-4 of it:
  // 2e-4. In the nonlinear passes gaussj stops at its 20-iteration cap in two
  // of no_lineal's three (43 iterations; the sparse solver converges in 9),
  // its reactions still changing by up to 0.12 % an iteration: 1e-3.
  // Every pass balances the load within 1e-6 % (double round-off: about
  // 1e-12 %). solo_zapatas is singular to single precision (gaussj's summary
  // finds 143 % out of balance, settlements of kilometres) and, in cases 3 and
  // 4, nearly so in double (10 % and 61 % out of balance at a residual of
  // 1e-16): only its residuals count.
  const struct {
    const char* model;
    double reactions, forces;
  } table[] = {{"edificio", 1e-4, 2e-4},     {"iterativo", 1e-4, 1e-4},         {"iterativo_tope", 1e-4, 1e-4},
               {"losas_zapatas", 1e-4, 1e-4}, {"casos_apagados", 1e-4, 1e-4},   {"no_lineal", 1e-3, 1e-3},
               {"divisor_no_lineal", 1e-3, 1e-3}, {"solo_zapatas", HUGE_VAL, HUGE_VAL}, {"sistema_singular", 0, 0}};
  for (const auto& [model, tol_r, tol_f] : table) {
    Deviations dev;
    compare(model, dev);
    for (const auto& [q, d] : dev) {
      if (q == "equilibrio (%)") {
        if (std::string(model) != "solo_zapatas") {
          EXPECT_LE(d.second, 1e-6) << model;
        }
        continue;
      }
      EXPECT_LE(d.second, (q == "fuerzas en los extremos" ? tol_f : tol_r) * d.first) << model << ": " << q;
      std::printf("%-18s %-24s mayor %.6g, diferencia %.3g (%.2g relativa)\n", model, q.c_str(), d.first, d.second,
                  d.first > 0 ? d.second / d.first : 0.0);
    }
  }
}

// The frame stiffness by compressed columns is akr entry by entry, and the
// symbolic analysis of the coupled matrix is made once for all the passes of
// a run whose systems share their pattern.
TEST(SparseSolver, SparseFrameIsAkrAndTheAnalysisIsKept) {
  if (!sparse_lu_built_in()) GTEST_SKIP() << "built without UMFPACK";
  Scratch sc;
  sc.write("datos.txt", korvant::testing::slurp(fs::path(KORVANT_SOURCE_DIR) / ("tests/golden/losas_zapatas/datos.txt")));
  Model dense, sparse;
  sparse.method.solver = SolverChoice::Sparse;
  Workspace ws;
  for (Model* m : {&dense, &sparse}) {
    std::FILE* null = std::fopen("/dev/null", "wb");
    Files f;
    f.con.attach(null, "consola");
    f.err.attach(null, "consola de errores");
    f.log.set_level(LogLevel::None);
    const fs::path home = fs::current_path();
    fs::current_path(sc.dir);
    run("datos.txt", "reporte", *m, f, {}, m == &sparse ? &ws : nullptr);
    fs::current_path(home);
    f.con.flush();
    std::fclose(null);
  }
  const SparseTab<double>& K = sparse.akr_sparse;
  ASSERT_EQ(sparse.akr.n1, 0);
  ASSERT_EQ(K.n1, dense.akr.n1);
  ASSERT_EQ(K.n2, dense.akr.n2);
  std::size_t nonzero = 0;
  for (int j = 1; j <= K.n2; ++j) {
    double largest = 0.0;
    for (int i = 1; i <= K.n1; ++i) largest = std::max(largest, std::fabs(static_cast<double>(dense.akr(i, j))));
    for (int i = 1; i <= K.n1; ++i) {
      // The same terms summed in double instead of single precision.
      ASSERT_NEAR(K(i, j), dense.akr(i, j), 1e-6 * largest) << i << ", " << j;
      nonzero += dense.akr(i, j) != 0.0f;
    }
  }
  EXPECT_LE(nonzero, K.nonzeros());
  EXPECT_LT(K.nonzeros() * 4, static_cast<std::size_t>(K.n1) * static_cast<std::size_t>(K.n2));
  const auto* solver = dynamic_cast<const SparseLuSolver*>(ws.solver.get());
  ASSERT_NE(solver, nullptr);
  EXPECT_EQ(solver->lu().analyses(), 1);
}

}  // namespace
