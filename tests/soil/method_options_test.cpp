// The method options: the depth-integrated influence values against exact
// integrals, and a model whose soil is typed as one stratum or as ten giving
// the same answer with both options.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "soil/layered_soil.hpp"
#include "../toolkit/scratch.hpp"

namespace {

using namespace korvant;
using korvant::testing::Scratch;
using korvant::testing::slurp;
using korvant::testing::split_lines;

// The exact mean of sx+, sy+ and sz over zt..zb: composite Simpson on 20000
// panels, each panel split where the horizontal stress changes sign.
StratumMeans fine(const CornerSum& c, double nu, double zt, double zb) {
  const int n = 20000;
  StratumMeans s;
  auto add = [&](double a, double b) {
    const Stress p = corner_stresses(c, nu, a), q = corner_stresses(c, nu, (a + b) / 2), r = corner_stresses(c, nu, b);
    const double w = (b - a) / 6;
    s.x += w * (std::max(0.0, p.x) + 4 * std::max(0.0, q.x) + std::max(0.0, r.x));
    s.y += w * (std::max(0.0, p.y) + 4 * std::max(0.0, q.y) + std::max(0.0, r.y));
    s.z += w * (p.z + 4 * q.z + r.z);
  };
  for (int i = 0; i < n; ++i) {
    // Graded towards the top, where the stresses change fastest.
    auto z = [&](int k) { return zt + (zb - zt) * std::pow(static_cast<double>(k) / n, 2.0); };
    add(std::max(z(i), 1e-9), z(i + 1));
  }
  const double h = zb - zt;
  return {s.x / h, s.y / h, s.z / h, 0, 0};
}

// The hard cases of the rule: areas centred at the origin, z from the foundation.
struct Hard {
  double a, b, x, y, zt, zb, nu;
};
const Hard kHard[] = {
    {1, 5, 3, 0, 0, 0.5, 0.45}, {1, 5, 0, 3, 0, 0.5, 0.45}, {0.5, 5, 1, 0, 0, 2, 0.45}, {2, 2, 0, 0, 0, 30, 0.45},
    {3, 3, 3, 0, 0, 2, 0.3},    {6, 6, 6, 0, 2, 12, 0.45}, {0.5, 5, 0, 1, 0, 30, 0.3},  {2, 2, 12, 0, 0, 5, 0.3},
};

CornerSum area(double a, double b, double x, double y) {
  return corner_sum(static_cast<float>(x), static_cast<float>(y), static_cast<float>(-a / 2), static_cast<float>(-b / 2),
                    static_cast<float>(a / 2), static_cast<float>(b / 2));
}

}  // namespace

// Within 0.1 % of the exact integral of the clipped strain, in units of the
// integral of its absolute value; without the clipping (the test hook), within
// 0.1 % of Steinbrenner's closed form of the same area.
TEST(IntegratedStrata, FourPointRuleAgainstExactIntegrals) {
  for (const Hard& c : kHard) {
    SCOPED_TRACE(::testing::Message() << c.a << "x" << c.b << " at (" << c.x << "," << c.y << ") z " << c.zt << "-" << c.zb);
    const CornerSum cs = area(c.a, c.b, c.x, c.y);
    const StratumMeans rule = stratum_means(cs, c.nu, c.zt, c.zb), ex = fine(cs, c.nu, c.zt, c.zb);
    EXPECT_GE(rule.x, 0.0);
    EXPECT_GE(rule.y, 0.0);
    const double h = c.zb - c.zt;
    const double got = h * (rule.z - c.nu * (rule.x + rule.y)), want = h * (ex.z - c.nu * (ex.x + ex.y));
    const double scale = h * (std::fabs(ex.z) + c.nu * (ex.x + ex.y));
    EXPECT_NEAR(got, want, 1e-3 * scale);
    // Unclipped: the signed corner sum of Steinbrenner's function.
    const StratumMeans raw = stratum_means(cs, c.nu, c.zt, c.zb, false);
    double stein = 0.0;
    for (int i = 0; i < cs.n; ++i)
      stein += cs.coef[i] * (steinbrenner_corner(cs.A[i], cs.B[i], c.zb, c.nu) - steinbrenner_corner(cs.A[i], cs.B[i], c.zt, c.nu));
    EXPECT_NEAR(h * (raw.z - c.nu * (raw.x + raw.y)), stein, 1e-3 * std::fabs(stein) + 1e-6);
  }
  // The centre of a 2 x 2 m area over 0-10 m: four sub-layers, sixteen evaluations.
  const StratumMeans c = stratum_means(area(2, 2, 0, 0), 0.3, 0, 10);
  EXPECT_EQ(c.sublayers, 4);
  EXPECT_EQ(c.evaluations, 16);
  // A stratum of no thickness and a degenerate rectangle give nothing.
  EXPECT_EQ(stratum_means(area(2, 2, 0, 0), 0.3, 2, 2).evaluations, 0);
  EXPECT_EQ(stratum_means(area(0, 2, 0, 0), 0.3, 0, 5).evaluations, 0);
}

namespace {

// The example building with its soil typed as `strata` equal strata of a 10 m
// layer (the properties of its deepest stratum).
std::string building(int strata) {
  std::string text = slurp(std::string(KORVANT_SOURCE_DIR) + "/examples/edificio.txt");
  const std::size_t a = text.find("\n1 10.0\n") + 8, b = text.find("\n2\nLOSA") + 1;
  std::ostringstream soil;
  soil << strata << "\n";
  for (int k = 1; k <= strata; ++k)
    soil << "ESTRATO TIPO H GAMA\n"
         << k << " 1 " << 10.0 / strata << " 1.9\n"
         << "2000. 0.30 15.\n2500. 0.30 25. 0.5 400. 0.4 1.5\n3000. 0.9 3.0\n6000. 0.9 0.05 3.0\n";
  return text.substr(0, a) + soil.str() + text.substr(b);
}

// Column `col` of every row of a CSV table.
std::vector<double> column(const std::string& csv, int col) {
  std::vector<double> v;
  const auto lines = split_lines(csv);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::stringstream ls(lines[i]);
    std::string c;
    for (int k = 0; k <= col; ++k) std::getline(ls, c, ',');
    v.push_back(std::stod(c));
  }
  return v;
}

// The springs of the footings in the log: the last column of the lines after
// the first heading.
std::vector<double> springs(const std::string& memoria) {
  std::vector<double> v;
  const auto lines = split_lines(memoria);
  std::size_t i = 0;
  while (i < lines.size() && lines[i].find("RESORTES DE LAS ZAPATAS") == std::string::npos) ++i;
  for (++i; i < lines.size() && lines[i].size() == 46; ++i) v.push_back(std::stod(lines[i].substr(32)));
  return v;
}

}  // namespace

// A contratrabe grid with a footing: the same 10 m layer as one stratum and
// as ten of 1 m gives the same settlements, reactions and footing springs in
// the linear passes with laboratory moduli and in the consolidation passes.
TEST(IntegratedStrata, SplittingTheSoilChangesNothingWithBothOptions) {
  Scratch s;
  const std::string opts = "--estratos=integrados --zapatas=estratificadas --csv ";
  s.write("uno.txt", building(1));
  s.write("diez.txt", building(10));
  ASSERT_EQ(s.run(opts + "uno.txt U"), 0) << s.read("console.err");
  const std::vector<double> f1 = springs(s.read("MEMORIA"));
  ASSERT_EQ(s.run(opts + "diez.txt D"), 0) << s.read("console.err");
  const std::vector<double> f10 = springs(s.read("MEMORIA"));
  ASSERT_EQ(f1.size(), 6u);
  ASSERT_EQ(f10.size(), f1.size());
  for (std::size_t i = 0; i < f1.size(); ++i) EXPECT_NEAR(f10[i], f1[i], 1e-4 * f1[i]) << "spring " << i + 1;
  // The sparse solver takes the same system, cross blocks of the footing and
  // the contact areas included (when it is built in).
  const int sparse = s.run("--solucion=dispersa " + opts + "uno.txt S");
  if (sparse == 0) {
    for (const char* pass : {"caso2_laboratorio", "caso4_lineal"})
      for (int col : {4, 5}) {
        const std::vector<double> a = column(s.read(std::string("U_") + pass + "_reacciones.csv"), col);
        const std::vector<double> b = column(s.read(std::string("S_") + pass + "_reacciones.csv"), col);
        ASSERT_EQ(a.size(), b.size());
        double big = 0.0;
        for (double x : a) big = std::max(big, std::fabs(x));
        for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(b[i], a[i], 1e-4 * big) << pass << " row " << i + 1;
      }
  } else {
    EXPECT_EQ(sparse, 2) << s.read("console.err");
  }
  for (const char* pass : {"caso1_laboratorio", "caso2_laboratorio", "caso3_lineal", "caso4_lineal"}) {
    const std::string u = s.read(std::string("U_") + pass + "_reacciones.csv");
    const std::string d = s.read(std::string("D_") + pass + "_reacciones.csv");
    ASSERT_FALSE(u.empty()) << pass;
    for (int col : {4, 5}) {  // reaction, settlement
      const std::vector<double> a = column(u, col), b = column(d, col);
      ASSERT_EQ(a.size(), b.size());
      double big = 0.0;
      for (double x : a) big = std::max(big, std::fabs(x));
      for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(b[i], a[i], 1e-3 * std::fabs(a[i]) + 1e-6 * big) << pass << " row " << i + 1 << " col " << col;
    }
  }
}

// A footing with no stratum below its foundation level stays a rigid support,
// with a warning; one on less soil than its radius is warned about too.
TEST(LayeredFootings, WarnedWhenTheSoilBelowIsMissingOrThin) {
  Scratch s;
  std::string text = slurp(std::string(KORVANT_SOURCE_DIR) + "/examples/verificacion/zapatas.txt");
  text.replace(text.find("1  0.0 0.0 0.0  0 0 0 0 0 0  1 1.0"), 34, "1  0.0 0.0 0.0  0 0 0 0 0 0  1 20.0");
  text.replace(text.find("3 20.0 0.0 0.0  0 0 0 0 0 0  2 1.0"), 34, "3 20.0 0.0 0.0  0 0 0 0 0 0  2 19.5");
  s.write("datos.txt", text);
  ASSERT_EQ(s.run("--zapatas=estratificadas --csv datos.txt R"), 0) << s.read("console.err");
  const std::string err = s.read("console.err");
  EXPECT_NE(err.find("Aviso: la zapata 1 (nodo 1) no tiene estratos bajo su desplante: se toma como apoyo r\xEDgido"),
            std::string::npos) << err;
  EXPECT_NE(err.find("Aviso: la zapata 2 (nodo 3) tiene bajo su desplante 0.5 m de suelo, menos que su radio"),
            std::string::npos) << err;
  EXPECT_NE(s.read("R_caso2_laboratorio_reacciones.csv").find("3,zapata,1,DZ,"), std::string::npos);
}
