// The line springs per half-bar (_resortes_barras.csv) used as a frame program
// would use them: a beam on those springs, solved here in double precision
// from nothing but the data and that table, gives back the program's
// settlements (_reacciones.csv) and moments (_diagramas.csv).
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

using korvant::testing::Scratch;
using korvant::testing::split_lines;

// A contratrabe 0.4 x 1.2 m (E = 2e6 t/m2), three spans of 4 m on one stratum
// of soft clay (E = 300 t/m2); 2 t/m of dead load, columns of 15, 30, 30 and
// 15 t; compressions only. The springs reproduce the program to within 1 % when
// the beam is stiff beside the soil, as here: the program spreads each node's
// reaction evenly over its half-bars, a frame program in proportion to the
// deflection. A 0.4 x 0.8 m beam on E = 1000 t/m2 differs by 3 % of the
// largest moment (the manual gives the measurements).
const double E = 2.0e6, I = 0.4 * 1.2 * 1.2 * 1.2 / 12.0, W = 2.0, SPAN = 4.0;
const double P[4] = {15.0, 30.0, 30.0, 15.0};

std::string data() {
  std::ostringstream d;
  d << "'VIGA SOBRE RESORTES'\nUNIDADES\n't' 'm' 'rad' 't/m2' 't/m3'\nKANAL CASO(1) CASO(2) CASO(3) CASO(4)\n0 0 1 0 0\n"
       "1\nMATERIAL\nSINPESO 0.0 2000000. 0.2\n1\nSECCION\nV40X120 SINPESO 0.4 1.2\n4\nNODOS\n";
  for (int n = 0; n < 4; ++n) d << n + 1 << ' ' << SPAN * n << " 0.0 0.0 1 1 0 1 0 1 1 0.0\n";
  d << "3\nBARRAS\n";
  for (int b = 1; b <= 3; ++b) d << b << " V40X120 " << b << ' ' << b + 1 << " 0.0 0 0 0 0 " << W << " 0\n";
  d << "0\nZAPATAS\n4\nCARGAS\n";
  for (int n = 0; n < 4; ++n) d << n + 1 << " 0 0 " << -P[n] << " 0 0 0\n";
  d << "1 10.0\n1\nESTRATO\n1 2 1.0 1.7\n300. 0.3 10. 0.5 100. 0.5 1.0\n0\nLOSAS\nEJES\nEJE NDIV\n1 4\nEJE A\n3 1 2 3\n";
  return d.str();
}

std::vector<std::vector<std::string>> csv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& l : split_lines(text)) {
    std::vector<std::string> r;
    std::stringstream ss(l);
    for (std::string f; std::getline(ss, f, ',');) r.push_back(f);
    rows.push_back(r);
  }
  return rows;
}

// Dense symmetric solve (Gauss with partial pivoting), double precision.
std::vector<double> solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t p = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    std::swap(a[c], a[p]), std::swap(b[c], b[p]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> x(n);
  for (std::size_t c = n; c-- > 0;) {
    double s = b[c];
    for (std::size_t k = c + 1; k < n; ++k) s -= a[c][k] * x[k];
    x[c] = s / a[c][c];
  }
  return x;
}

}  // namespace

TEST(LineSprings, ABeamOnTheHalfBarSpringsGivesBackTheProgramsSettlementsAndMoments) {
  Scratch s;
  s.write("datos.txt", data());
  ASSERT_EQ(s.run("--csv --resumen datos.txt R"), 0) << s.read("console.err");
  // k per metre of each half-bar: bar, end node, from, to.
  std::map<std::pair<int, int>, double> k;
  const auto springs = csv(s.read("R_caso2_laboratorio_resortes_barras.csv"));
  ASSERT_EQ(springs.at(0).at(7), "k_t_m_por_m");
  for (std::size_t r = 1; r < springs.size(); ++r) k[{std::stoi(springs[r][1]), std::stoi(springs[r][2])}] = std::stod(springs[r][7]);
  ASSERT_EQ(k.size(), 6u);

  // Beam elements of SPAN / CUT, w up and theta = dw/dx at each point; the
  // Winkler spring of the half-bar each element lies on, consistent matrix.
  const int CUT = 40, NE = 3 * CUT, ND = 2 * (NE + 1);
  const double l = SPAN / CUT;
  std::vector<std::vector<double>> K(ND, std::vector<double>(ND, 0.0));
  std::vector<double> F(ND, 0.0);
  const double ke[4][4] = {{12, 6 * l, -12, 6 * l}, {6 * l, 4 * l * l, -6 * l, 2 * l * l}, {-12, -6 * l, 12, -6 * l},
                           {6 * l, 2 * l * l, -6 * l, 4 * l * l}};
  const double kw[4][4] = {{156, 22 * l, 54, -13 * l}, {22 * l, 4 * l * l, 13 * l, -3 * l * l},
                           {54, 13 * l, 156, -22 * l}, {-13 * l, -3 * l * l, -22 * l, 4 * l * l}};
  const double fe[4] = {-W * l / 2, -W * l * l / 12, -W * l / 2, W * l * l / 12};
  for (int e = 0; e < NE; ++e) {
    const int bar = e / CUT + 1, node = e % CUT < CUT / 2 ? bar : bar + 1;
    const double kl = k.at({bar, node});
    for (int i = 0; i < 4; ++i) {
      F[2 * e + i] += fe[i];
      for (int j = 0; j < 4; ++j) K[2 * e + i][2 * e + j] += E * I / (l * l * l) * ke[i][j] + kl * l / 420.0 * kw[i][j];
    }
  }
  for (int n = 0; n < 4; ++n) F[2 * n * CUT] -= P[n];
  const std::vector<double> u = solve(K, F);

  // Settlements at the four nodes.
  const auto reactions = csv(s.read("R_caso2_laboratorio_reacciones.csv"));
  ASSERT_EQ(reactions.size(), 5u);
  for (int n = 0; n < 4; ++n) {
    const double program = std::stod(reactions[static_cast<std::size_t>(n + 1)][5]);
    EXPECT_NEAR(u[static_cast<std::size_t>(2 * n * CUT)], program, 0.01 * std::fabs(program)) << "nodo " << n + 1;
  }
  // Moments (positive: bottom face in tension) at the printed points of the axis.
  const auto diagram = csv(s.read("R_caso2_laboratorio_diagramas.csv"));
  ASSERT_EQ(diagram.size(), 16u);
  double biggest = 0.0;
  for (std::size_t r = 1; r < diagram.size(); ++r) biggest = std::fmax(biggest, std::fabs(std::stod(diagram[r][5])));
  for (std::size_t r = 1; r < diagram.size(); ++r) {
    const double x = std::stod(diagram[r][3]), program = std::stod(diagram[r][5]);
    // The element starting at x (the last point: the end of the last element).
    int e = static_cast<int>(std::lround(x / l));
    const bool end = e == NE;
    if (end) --e;
    const double* ue = &u[static_cast<std::size_t>(2 * e)];
    const int bar = e / CUT + 1;
    const double kl = k.at({bar, e % CUT < CUT / 2 ? bar : bar + 1});
    double f[4];
    for (int i = 0; i < 4; ++i) {
      f[i] = -fe[i];
      for (int j = 0; j < 4; ++j) f[i] += (E * I / (l * l * l) * ke[i][j] + kl * l / 420.0 * kw[i][j]) * ue[j];
    }
    const double sagging = end ? f[3] : -f[1];
    EXPECT_NEAR(sagging, program, 0.01 * biggest) << "x = " << x;
  }
}
