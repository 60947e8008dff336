// The verification manual (docs/verificacion.md): every problem of
// examples/verificacion/ is run through the program, its value is read from
// the files the run writes, and the reference is computed here from the
// published closed form. Each value must lie within the tolerance that the
// manual justifies, and the manual's tables must be the ones this run writes
// (build/verificacion/tablas.md). To refresh the tables after a deliberate
// change of results: tools/verificacion.sh.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

namespace fs = std::filesystem;
using korvant::testing::slurp;
using korvant::testing::split_lines;
constexpr double kPi = std::numbers::pi;
const fs::path kRoot = KORVANT_SOURCE_DIR;
const fs::path kBuild = KORVANT_BINARY_DIR;

// ---------------------------------------------------------------- runs ----

// One run of the program on a data file (given by its text), in a folder of
// its own under the build tree, with the CSV tables on.
struct Run {
  fs::path dir;
  std::string file(const std::string& name) const { return slurp(dir / name); }
  // Row of a CSV table whose first column is `key`, as numbers (text columns 0).
  std::vector<double> csv(const std::string& pass, const std::string& table, const std::string& key) const {
    for (const std::string& l : split_lines(file("R_" + pass + "_" + table + ".csv"))) {
      std::vector<std::string> f;
      std::stringstream ls(l);
      for (std::string c; std::getline(ls, c, ',');) f.push_back(c);
      if (!f.empty() && f[0] == key) {
        std::vector<double> v;
        for (const auto& c : f) v.push_back(std::strtod(c.c_str(), nullptr));
        return v;
      }
    }
    ADD_FAILURE() << "no row " << key << " in " << pass << " " << table;
    return std::vector<double>(20, 0.0);
  }
  // Column `col` of the row of node (or bar, or reaction) `n`.
  double node(const std::string& pass, int n, int col) const { return csv(pass, "nodos", std::to_string(n))[col]; }
  double bar(const std::string& pass, int b, int col) const { return csv(pass, "barras", std::to_string(b))[col]; }
};

Run run_text(const std::string& name, const std::string& text, const std::string& options = "") {
  const fs::path dir = kBuild / "verificacion" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "datos.txt", std::ios::binary) << text;
  const std::string cmd =
      "cd '" + dir.string() + "' && '" KORVANT_BIN "' --csv " + options + " datos.txt R > consola.txt 2> errores.txt";
  const int rc = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << name;
  EXPECT_EQ(slurp(dir / "errores.txt").find("Aviso"), std::string::npos) << name << ": the run warned";
  return {dir};
}

Run run_model(const std::string& file, const std::string& options = "", const std::string& tag = "") {
  return run_text(fs::path(file).stem().string() + tag, slurp(kRoot / "examples" / "verificacion" / file), options);
}

// Stresses of "VALINF" in direction 1, by (point, stratum, loaded reaction):
// fixed columns (3I8, 3X, 4F10.7).
std::map<std::tuple<int, int, int>, std::array<double, 3>> valinf(const Run& r) {
  std::map<std::tuple<int, int, int>, std::array<double, 3>> out;
  bool dir1 = false;
  for (const std::string& l : split_lines(r.file("VALINF"))) {
    if (l.find("EN LA DIRECCI") != std::string::npos) dir1 = l.find(" 1") != std::string::npos && !dir1;
    if (!dir1 || l.size() < 67 || l.find("PUNTO") != std::string::npos) continue;
    auto num = [&](std::size_t at, std::size_t w) { return std::strtod(l.substr(at, w).c_str(), nullptr); };
    out[{int(num(0, 8)), int(num(8, 8)), int(num(16, 8))}] = {num(27, 10), num(37, 10), num(47, 10)};
  }
  return out;
}

// Diagonal entry n of the flexibility matrix that the log "MEMORIA" prints
// after the `occurrence`-th line `marker` (rows of 20F20.8).
double flex_diagonal(const Run& r, const std::string& marker, int occurrence, int n) {
  const std::vector<std::string> ls = split_lines(r.file("MEMORIA"));
  std::size_t i = 0;
  for (int o = 0; o < occurrence; ++o, ++i)
    while (i < ls.size() && ls[i] != marker) ++i;
  while (i < ls.size() && ls[i] != " MATRIZ DE FLEXIBILIDADES") ++i;
  EXPECT_LT(i + n, ls.size()) << marker;
  if (i + n >= ls.size()) return 0;
  const std::string& row = ls[i + n];
  return std::strtod(row.substr(20 * (n - 1), 20).c_str(), nullptr);
}

// Entry (i, j) of the flexibility matrix that the log prints after the first
// line that begins with `marker`.
double flex_entry(const Run& r, const std::string& marker, int i, int j) {
  const std::vector<std::string> ls = split_lines(r.file("MEMORIA"));
  std::size_t k = 0;
  while (k < ls.size() && ls[k].rfind(marker, 0) != 0) ++k;
  while (k < ls.size() && ls[k] != " MATRIZ DE FLEXIBILIDADES") ++k;
  EXPECT_LT(k + i, ls.size()) << marker;
  if (k + i >= ls.size()) return 0;
  return std::strtod(ls[k + i].substr(20 * (j - 1), 20).c_str(), nullptr);
}

// The footing springs of the first table "RESORTES DE LAS ZAPATAS" of the
// log: the flexibility (last column) of each nodal reaction, in order.
std::vector<double> footing_flexibilities(const Run& r) {
  std::vector<double> v;
  const std::vector<std::string> ls = split_lines(r.file("MEMORIA"));
  std::size_t k = 0;
  while (k < ls.size() && ls[k].find("RESORTES DE LAS ZAPATAS") == std::string::npos) ++k;
  for (++k; k < ls.size() && ls[k].size() == 46; ++k) v.push_back(std::strtod(ls[k].substr(32).c_str(), nullptr));
  return v;
}

// ------------------------------------------------------- closed forms ----

// Vertical stress under the corner of a uniformly loaded rectangle, per unit
// pressure, m = a/z, n = b/z (Newmark 1935, the formula Fadum 1948 tabulated).
double newmark(double m, double n) {
  const double m2 = m * m, n2 = n * n, v = m2 + n2 + 1, s = std::sqrt(v);
  return (2 * m * n * s / (v + m2 * n2) * (v + 1) / v + std::atan2(2 * m * n * s, v - m2 * n2)) / (4 * kPi);
}

// Horizontal stresses under the corner of a rectangle a (along x) by b
// (along y) at depth z, per unit pressure, for Poisson's ratio 0.5 (Holl 1940).
double holl_x(double a, double b, double z) {
  const double r1 = a * a + z * z, r3 = std::sqrt(a * a + b * b + z * z);
  return (std::atan(a * b / (z * r3)) - a * b * z / (r1 * r3)) / (2 * kPi);
}
double holl_y(double a, double b, double z) { return holl_x(b, a, z); }

// Boussinesq's point load, per unit load, at offset (x, y) and depth z:
// sigma x and sigma y (Poulos and Davis 1974, eq. 2.1).
std::array<double, 2> point_load(double x, double y, double z, double nu) {
  const double r2 = x * x + y * y, R = std::sqrt(r2 + z * z), R3 = R * R * R, R5 = R3 * R * R;
  const double c = (1 - 2 * nu);
  const double sx = 3 * x * x * z / R5 - c * ((x * x - y * y) / (r2 * R * (R + z)) + y * y * z / (R3 * r2));
  const double sy = 3 * y * y * z / R5 - c * ((y * y - x * x) / (r2 * R * (R + z)) + x * x * z / (R3 * r2));
  return {sx / (2 * kPi), sy / (2 * kPi)};
}

// The same integrated over the rectangle [x1,x2]x[y1,y2] under unit pressure,
// at the point (x, y) and depth z: composite 8-point Gauss-Legendre rule.
std::array<double, 2> boussinesq_rect(double x, double y, double z, double x1, double y1, double x2, double y2,
                                      double nu) {
  static const double g[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363};
  static const double w[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
  const int panels = 40;
  std::vector<std::pair<double, double>> xs, ys;
  auto nodes = [&](double a, double b, std::vector<std::pair<double, double>>& out) {
    for (int p = 0; p < panels; ++p) {
      const double c = a + (b - a) * p / panels, d = a + (b - a) * (p + 1) / panels, m = (c + d) / 2, h = (d - c) / 2;
      for (int i = 0; i < 4; ++i) {
        out.push_back({m - h * g[i], h * w[i]});
        out.push_back({m + h * g[i], h * w[i]});
      }
    }
  };
  nodes(x1, x2, xs);
  nodes(y1, y2, ys);
  std::array<double, 2> s{0, 0};
  for (const auto& [px, wx] : xs)
    for (const auto& [py, wy] : ys) {
      const auto p = point_load(px - x, py - y, z, nu);
      s[0] += wx * wy * p[0];
      s[1] += wx * wy * p[1];
    }
  return s;
}

// Settlement of the corner of a flexible rectangle B' by L' (M = L'/B') on a
// layer of thickness H = N B' over a rigid base, times E / (q B')
// (Steinbrenner 1934, in Bowles 1996, eq. 5-16 and 5-16a).
double steinbrenner(double M, double N, double nu) {
  if (N == 0) return 0;
  const double a = std::sqrt(M * M + 1), b = std::sqrt(M * M + N * N), c = std::sqrt(M * M + N * N + 1);
  const double I1 = (M * std::log((1 + a) * b / (M * (1 + c))) + std::log((M + a) * std::sqrt(1 + N * N) / (M + c))) / kPi;
  const double I2 = N / (2 * kPi) * std::atan(M / (N * c));
  return (1 - nu * nu) * (I1 + (1 - 2 * nu) / (1 - nu) * I2);
}

// Steinbrenner's function for the corner of an a x c rectangle over depth z,
// E times the settlement per unit pressure.
double stein_corner(double a, double c, double z, double nu) {
  const double s = std::min(a, c);
  return s * steinbrenner(std::max(a, c) / s, z / s, nu);
}

// ------------------------------------------------------------- tables ----

struct Row {
  std::string what;
  double ref;   // the textbook value shown
  double prog;  // the program's value
  double tol;   // relative tolerance; 0 for a departure by design
  double abs = 0;      // absolute tolerance: the last digit the program prints
  double check = NAN;  // for a departure, the value the program's own method gives
};

struct Table {
  std::string id;
  std::vector<Row> rows;
};

std::string fmt(const char* f, double v) {
  char b[64];
  std::snprintf(b, sizeof b, f, v);
  return b;
}

std::string markdown(const Table& t) {
  std::string s = "| magnitud | referencia | programa | diferencia | tolerancia |\n|---|---:|---:|---:|---:|\n";
  for (const Row& r : t.rows) {
    const double d = r.ref != 0 ? (r.prog - r.ref) / std::fabs(r.ref) * 100 : r.prog - r.ref;
    std::string diff = r.ref != 0 ? fmt("%+.3f %%", d) : fmt("%+.2e", d);
    if (diff == "-0.000 %") diff = "+0.000 %";
    std::string tol = r.tol == 0 ? "diseño" : r.abs > 0 ? fmt("±%g", r.abs) : fmt("%g %%", r.tol * 100);
    if (r.tol != 0 && !std::isnan(r.check)) tol += " (de su método)";
    s += "| " + r.what + " | " + fmt("%.6g", r.ref) + " | " + fmt("%.6g", r.prog) + " | " + diff + " | " + tol + " |\n";
  }
  return s;
}

void check(const Table& t) {
  for (const Row& r : t.rows) {
    if (r.tol == 0 && std::isnan(r.check)) continue;
    const double ref = std::isnan(r.check) ? r.ref : r.check;
    const double tol = r.abs > 0 ? r.abs : (r.tol == 0 ? 1e-5 : r.tol) * std::fabs(ref);
    EXPECT_NEAR(r.prog, ref, tol) << t.id << ": " << r.what;
  }
}

// ------------------------------------------------------------ problems ----

// Stresses under loaded rectangles: beam A (nodes 4-6, NU2 = 0.5, strata with
// middles at 0.5, 1.5, 2.5, 4 and 7 m), beam B (nodes 1-3, NU2 = 0.25, one
// stratum with its middle at 0.5 m). Contact rectangles 1 x 3, 2 x 3, 1 x 3 m.
void stresses(std::vector<Table>& out) {
  const Run r = run_model("esfuerzos.txt");
  const auto v = valinf(r);
  const double zs[5] = {0.5, 1.5, 2.5, 4.0, 7.0};
  Table centre{"P1", {}}, corner{"P2", {}}, holl{"P3", {}}, clip{"P4", {}};
  for (int k = 1; k <= 5; ++k) {
    const double z = zs[k - 1];
    const auto& c = v.at({5, k, 5});
    centre.rows.push_back({fmt("σz/q, z = %g m", z), 4 * newmark(1 / z, 1.5 / z), c[2], 1, 1e-7});
    // The whole loaded strip 0..4 m seen from node 4, in the middle of its short side.
    double sx = 0, sy = 0, sz = 0;
    for (int l = 4; l <= 6; ++l) {
      sx += v.at({4, k, l})[0];
      sy += v.at({4, k, l})[1];
      sz += v.at({4, k, l})[2];
    }
    corner.rows.push_back({fmt("σz/q, z = %g m", z), newmark(4 / z, 1.5 / z), sz / 2, 1, 1e-7});
    if (k == 1 || k == 3 || k == 5) {
      holl.rows.push_back({fmt("centro, σx/q, z = %g m", z), 4 * holl_x(1, 1.5, z), c[0], 1, 1e-7});
      holl.rows.push_back({fmt("centro, σy/q, z = %g m", z), 4 * holl_y(1, 1.5, z), c[1], 1, 1e-7});
      holl.rows.push_back({fmt("esquina, σx/q, z = %g m", z), holl_x(4, 1.5, z), sx / 2, 1, 1e-7});
      holl.rows.push_back({fmt("esquina, σy/q, z = %g m", z), holl_y(4, 1.5, z), sy / 2, 1, 1e-7});
    }
  }
  // NU2 = 0.25: centre of the 2 x 3 rectangle, and node 1 under the far rectangle 3..4.
  const auto c2 = boussinesq_rect(2, 100, 0.5, 1, 98.5, 3, 101.5, 0.25);
  clip.rows.push_back({"centro, σx/q", c2[0], v.at({2, 1, 2})[0], 1, 1e-7});
  clip.rows.push_back({"centro, σy/q", c2[1], v.at({2, 1, 2})[1], 1, 1e-7});
  const auto f = boussinesq_rect(0, 100, 0.5, 3, 98.5, 4, 101.5, 0.25);
  clip.rows.push_back({"nodo 1 bajo el rectángulo 3, σx/q", f[0], v.at({1, 1, 3})[0], 0, 1e-7, std::max(0.0, f[0])});
  clip.rows.push_back({"nodo 1 bajo el rectángulo 3, σy/q", f[1], v.at({1, 1, 3})[1], 1, 1e-7});
  EXPECT_EQ(v.at({1, 1, 3})[0], 0.0) << "a negative horizontal stress is taken as 0";
  out.push_back(centre);
  out.push_back(corner);
  out.push_back(holl);
  out.push_back(clip);
}

// Settlement under the centre of the 2 x 3 m contact rectangle of the middle
// node of each beam (reaction 3b + 2, contact length 2 m, area 6 m^2) for a
// pressure of 10 t/m^2, in mm: the laboratory-moduli matrix times area/length.
// Beams 1-5: one layer of 6 m (E 500, NU 0.3) in 1, 2, 4, 8, 16 strata;
// beam 6: layers of 2, 3 and 4 m, each in 4 strata.
void settlements(std::vector<Table>& out) {
  const Run r = run_model("asentamientos.txt");
  const double q = 10, area = 6, length = 2;
  auto prog = [&](int beam) { return q * flex_diagonal(r, " nflag1=           3", 1, 3 * beam + 2) * area / length * 1000; };
  // The program's own method: the strain at the middle of each stratum times
  // its thickness, the stresses of Boussinesq integrated over the rectangle,
  // negative horizontal stresses taken as 0.
  auto midpoint = [&](double top, double h, int n, double E, double nu) {
    double sum = 0;
    for (int k = 0; k < n; ++k) {
      const double z = top + (k + 0.5) * h / n;
      const auto hz = boussinesq_rect(0, 0, z, 0, 0, 1, 1.5, nu);
      sum += h / n * (4 * newmark(1 / z, 1.5 / z) - nu * (std::max(0.0, 4 * hz[0]) + std::max(0.0, 4 * hz[1]))) / E;
    }
    return q * sum * 1000;
  };
  auto stein = [&](double top, double bottom, double E, double nu) {
    return 4 * q * 1.0 / E * (steinbrenner(1.5, bottom, nu) - steinbrenner(1.5, top, nu)) * 1000;
  };
  Table t{"P5", {}};
  const int counts[5] = {1, 2, 4, 8, 16};
  for (int b = 0; b < 5; ++b)
    t.rows.push_back({fmt("un estrato de 6 m en %g", counts[b]), stein(0, 6, 500, 0.3), prog(b), 1e-4, 0,
                      midpoint(0, 6, counts[b], 500, 0.3)});
  t.rows.push_back({"tres estratos (2, 3 y 4 m), cada uno en 4",
                    stein(0, 2, 250, 0.35) + stein(2, 5, 500, 0.3) + stein(5, 9, 1000, 0.25), prog(5), 1e-4, 0,
                    midpoint(0, 2, 4, 250, 0.35) + midpoint(2, 3, 4, 500, 0.3) + midpoint(5, 4, 4, 1000, 0.25)});
  out.push_back(t);
}

// One stratum of 2 m under the 40 x 40 m contact rectangle of node 2 (length
// 40 m, area 1600 m^2); 10 t/m^2; settlements in mm.
void consolidation(std::vector<Table>& out) {
  const Run r = run_model("consolidacion.txt");
  const double q = 10, H = 2, Emv = 200, Emt = 1000, psi = 1, T = 100;
  const double i40 = 4 * newmark(20, 20);  // the area is wide, not infinite
  const double primary = q * flex_diagonal(r, " FORMANDO MATRIZ DE FLEXIBILIDADES", 1, 2) * 1600 / 40 * 1000;
  const double secondary = flex_diagonal(r, " FORMANDO MATRIZ DE FLEXIBILIDADES", 2, 2) * 1600 / 40 * 1000;
  Table t{"P6", {}};
  // The log prints the flexibility with 8 decimals: 0.5e-8 times 10 * 1600/40 * 1000 is 0.002 mm.
  t.rows.push_back({"primaria, Δσ·H/Emv", q * H / Emv * 1000, primary, 1, 0.003, q * H / Emv * i40 * 1000});
  t.rows.push_back({"secundaria, Δσ·H/Emt·log10(1 + ψT)", q * H / Emt * std::log10(1 + psi * T) * 1000, q * secondary,
                    1, 0.003, q * H / Emt * std::log10(1 + psi * T) * i40 * 1000});
  out.push_back(t);
  // The classical law: C_alpha/(1 + e0) * H * log10(t2/t1), with t1 = 1/psi
  // and C_alpha/(1 + e0) = 0.01, the value that matches the program at 10 t/m^2.
  Table d{"D1", {}};
  for (double dq : {5.0, 10.0, 20.0})
    d.rows.push_back({fmt("Δσ = %g t/m²", dq), 0.01 * H * std::log10(T * psi) * 1000, dq * secondary, 0, 0.006,
                      dq * H / Emt * std::log10(1 + psi * T) * i40 * 1000});
  out.push_back(d);
}

// Demeneghi's laws by hand on the one stratum of the beam (4 x 2 m, 20 t at
// each end: 5 t/m^2 on each 2 x 2 m contact rectangle). Node 1 sees the whole
// rectangle from the middle of its short side: twice the corner of 4 x 1 m.
struct Soil {
  double gamma = 1.6, H = 4, KO = 0.5, nu = 0.5, A = 1.0, Ap = 0.8, Acs = 0.9, psi = 0.1, T = 3, VALNL = 10;
};
double demeneghi(int caso, double z, double pz, double h, const Soil& s) {
  const double q = 5;
  const double sz = 2 * q * newmark(4 / z, 1 / z), sx = 2 * q * holl_x(4, 1, z), sy = 2 * q * holl_y(4, 1, z);
  if (caso == 3) return (1 - std::exp(-sz / (s.VALNL * s.Ap))) * h;
  if (caso == 4) return (1 - std::exp(-sz / (s.VALNL * s.Acs))) * h * std::log10(1 + s.psi * s.T);
  const double p0 = (2 * s.KO + 1) * pz / 3, ss = (sx + sy) / sz, c = (1 + ss) / 3;
  const double Q = (1 - s.nu * ss) * (std::sqrt(sz * c + p0) - std::sqrt(p0)) / (std::sqrt(s.VALNL) * 0.5 * s.A * c);
  return (1 - std::exp(-Q)) * h;
}

void nonlinear(std::vector<Table>& out) {
  const Run r = run_model("no_lineal.txt");
  const Soil s;
  Table t{"P7", {}}, d{"D2", {}};
  const char* names[3] = {"compresión (caso 2)", "consolidación primaria (caso 3)", "consolidación secundaria (caso 4)"};
  for (int caso = 2; caso <= 4; ++caso) {
    const std::string pass = "caso" + std::to_string(caso) + "_no-lineal";
    // Foundation at the surface: the stratum's middle at 2 m.
    t.rows.push_back({names[caso - 2], demeneghi(caso, 2, s.gamma * 2, s.H, s) * 1000, -r.node(pass, 1, 6) * 1000, 1e-5});
    // Foundation 1 m down: the program takes the whole 4 m with the in-situ
    // pressure at the stratum's middle; the textbook the 3 m below the
    // foundation with the pressure at their middle.
    d.rows.push_back({names[caso - 2], demeneghi(caso, 1.5, s.gamma * 2.5, 3, s) * 1000, -r.node(pass, 3, 6) * 1000, 0,
                      0, demeneghi(caso, 1.5, s.gamma * 2, s.H, s) * 1000});
  }
  out.push_back(t);
  out.push_back(d);
}

// Rigid circular plates of the same area as the 2 x 2 m footings on one
// stratum of 20 m (E 1000, NU 0.3), column 0.4 x 0.4 m, 3 m high.
void footings(std::vector<Table>& out) {
  const Run r = run_model("zapatas.txt");
  const std::string pass = "caso2_laboratorio";
  const double E = 1000, nu = 0.3, G = E / (2 * (1 + nu)), R = std::sqrt(4 / kPi), h = 3;
  const double EI = 2213594.0 * std::pow(0.4, 4) / 12;
  const double Kv = 4 * G * R / (1 - nu), Kh = 32 * (1 - nu) * G * R / (7 - 8 * nu),
               Kr = 8 * G * R * R * R / (3 * (1 - nu));
  Table t{"P8", {}}, d{"D3", {}};
  t.rows.push_back({"Kv = 4GR/(1 − ν) (t/m)", Kv, 10 / -r.node(pass, 1, 6), 1e-5});
  t.rows.push_back({"Kh = 32(1 − ν)GR/(7 − 8ν) (t/m)", Kh, 1 / r.node(pass, 1, 4), 1e-5});
  t.rows.push_back({"Kr = 8GR³/(3(1 − ν)) (t·m/rad)", Kr, 3 / std::fabs(r.node(pass, 1, 8)), 1e-5});
  t.rows.push_back({"desplazamiento de la cabeza, 1 t horizontal (mm)", (1 / Kh + h * h / Kr + h * h * h / (3 * EI)) * 1000,
                    r.node(pass, 2, 4) * 1000, 1e-5});
  const double RI = std::pow(2.0 * 8.0 / (3 * kPi), 0.25);  // B L^3 / (3 pi) for rocking
  d.rows.push_back({"torsión: Kt = 16GR³/3 (t·m/rad)", 16 * G * R * R * R / 3, 0.5 / r.node(pass, 1, 9), 0, 0, Kr});
  d.rows.push_back({"cabeceo con R = (BL³/3π)^¼ (t·m/rad)", 8 * G * RI * RI * RI / (3 * (1 - nu)),
                    3 / std::fabs(r.node(pass, 1, 8)), 0, 0, Kr});
  d.rows.push_back({"Kv con el estrato partido en dos de 10 m (t/m)", Kv, 10 / -r.node(pass, 3, 6), 0, 0, Kv / 2});
  out.push_back(t);
  out.push_back(d);
}

// Frames: a cantilever column, a continuous beam on rigid supports, a fixed
// portal frame. The program's rotations about Y and moments FLEXIONANTE Y are
// positive from X towards Z; the clockwise moments of the textbooks (X to the
// right, Z up) are their negatives.
void frames(std::vector<Table>& out) {
  Table t{"P9", {}};
  {
    const Run r = run_model("voladizo.txt");
    const std::string pass = "caso2_laboratorio";
    const double EI = 2213594.0 * std::pow(0.4, 4) / 12, P = 1, L = 3;
    t.rows.push_back({"voladizo: flecha PL³/3EI (mm)", P * L * L * L / (3 * EI) * 1000, r.node(pass, 2, 4) * 1000, 1e-5});
    t.rows.push_back({"voladizo: giro PL²/2EI (rad)", P * L * L / (2 * EI), -r.node(pass, 2, 8), 1e-5});
    t.rows.push_back({"voladizo: momento en la base PL (t·m)", P * L, r.bar(pass, 1, 8), 1e-5});
  }
  {
    // Three-moment equation (Clapeyron), spans 4, 6, 5 m, w = 2 t/m, EI constant:
    // 2 M2 (L1 + L2) + M3 L2 = -w (L1^3 + L2^3)/4; M2 L2 + 2 M3 (L2 + L3) = -w (L2^3 + L3^3)/4.
    const Run r = run_model("viga_continua.txt");
    const std::string pass = "caso2_laboratorio";
    const double w = 2, L1 = 4, L2 = 6, L3 = 5;
    const double a11 = 2 * (L1 + L2), a12 = L2, b1 = -w * (L1 * L1 * L1 + L2 * L2 * L2) / 4;
    const double a21 = L2, a22 = 2 * (L2 + L3), b2 = -w * (L2 * L2 * L2 + L3 * L3 * L3) / 4;
    const double det = a11 * a22 - a12 * a21, M2 = (b1 * a22 - a12 * b2) / det, M3 = (a11 * b2 - a21 * b1) / det;
    const double R1 = w * L1 / 2 + M2 / L1, V2 = w * L2 / 2 + (M3 - M2) / L2, V3 = w * L3 / 2 - M3 / L3;
    const double R2 = (w * L1 - R1) + V2, R3 = (w * L2 - V2) + V3, R4 = w * L3 - V3;
    t.rows.push_back({"viga continua: M2 (t·m)", M2, -r.bar(pass, 2, 8), 1e-5});
    t.rows.push_back({"viga continua: M3 (t·m)", M3, -r.bar(pass, 3, 8), 1e-5});
    t.rows.push_back({"viga continua: R1 (t)", R1, r.bar(pass, 1, 6), 1e-5});
    t.rows.push_back({"viga continua: R2 (t)", R2, r.bar(pass, 1, 12) + r.bar(pass, 2, 6), 1e-5});
    t.rows.push_back({"viga continua: R3 (t)", R3, r.bar(pass, 2, 12) + r.bar(pass, 3, 6), 1e-5});
    t.rows.push_back({"viga continua: R4 (t)", R4, r.bar(pass, 3, 12), 1e-5});
  }
  {
    // Slope-deflection (Maney), bases A and D fixed, h = 4, L = 6, H = 2 t at
    // B; unknowns theta_B, theta_C (clockwise), sway D.
    const Run r = run_model("marco.txt");
    const std::string pass = "caso2_laboratorio";
    const double E = 2213594.0, h = 4, L = 6, H = 2, w = 0;
    const double kc = 2 * E * std::pow(0.4, 4) / 12 / h, kb = 2 * E * 0.3 * std::pow(0.6, 3) / 12 / L;
    const double F = w * L * L / 12;
    // Joint B: kc(2tB - 3D/h) + kb(2tB + tC) - F = 0; joint C: kb(2tC + tB) + F + kc(2tC - 3D/h) = 0;
    // shear: kc(3tB - 6D/h)/h + kc(3tC - 6D/h)/h + H = 0.
    double A[3][4] = {{2 * kc + 2 * kb, kb, -3 * kc / h, F},
                      {kb, 2 * kb + 2 * kc, -3 * kc / h, -F},
                      {3 * kc / h, 3 * kc / h, -12 * kc / (h * h), -H}};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        if (i != j) {
          const double f = A[j][i] / A[i][i];
          for (int k = 0; k < 4; ++k) A[j][k] -= f * A[i][k];
        }
    const double tB = A[0][3] / A[0][0], tC = A[1][3] / A[1][1], D = A[2][3] / A[2][2];
    const double MAB = kc * (tB - 3 * D / h), MBA = kc * (2 * tB - 3 * D / h);
    const double MDC = kc * (tC - 3 * D / h), MCD = kc * (2 * tC - 3 * D / h);
    t.rows.push_back({"marco: desplazamiento lateral de B (mm)", D * 1000, r.node(pass, 2, 4) * 1000, 3e-2});
    t.rows.push_back({"marco: giro de B (rad)", tB, -r.node(pass, 2, 8), 3e-2});
    t.rows.push_back({"marco: giro de C (rad)", tC, -r.node(pass, 3, 8), 3e-2});
    t.rows.push_back({"marco: M_AB (t·m)", MAB, -r.bar(pass, 1, 8), 3e-2});
    t.rows.push_back({"marco: M_BA (t·m)", MBA, -r.bar(pass, 1, 14), 3e-2});
    t.rows.push_back({"marco: M_DC (t·m)", MDC, -r.bar(pass, 3, 8), 3e-2});
    t.rows.push_back({"marco: M_CD (t·m)", MCD, -r.bar(pass, 3, 14), 3e-2});
  }
  out.push_back(t);
}

// Vertical equilibrium of the example building in every case and pass, with
// the three kinds of analysis (the example with KANAL 0, 1 and 2).
void equilibrium(std::vector<Table>& out) {
  // Loads of the example, by hand. Foundation beams: 4 x 5 m + 3 x 6 m = 38 m
  // with CMUERTA 0.3, PV 1.0 and self weight 2.4 x 0.36 = 0.864 t/m; columns
  // 7 x 3 m = 21 m, 2.4 x 0.16 = 0.384 t/m; beams along X 20 m (CVMax 2.0,
  // CVMed 1.2, CMUERTA 1.8), along Y 18 m (1.5, 0.9, 1.4), beam 22 5 m (1.0,
  // 0.6, 1.0), all with self weight 2.4 x 0.125 = 0.3 t/m; two slabs of 30 m^2
  // (CVMax 0.25, CVMed 0.15, CMUERTA 0.10, self weight 2.4 x 0.15 = 0.36,
  // PV = -1.6 x 1.2 = -1.92 t/m^2); concentrated 12 + 12 + 8 t.
  const double beams = 0.864 * 38 + 0.384 * 21 + 0.3 * 43, nodal = 32, slabs = 60;
  const double load1 = 1.0 * 38 - 1.92 * slabs + nodal;
  const double load2 = beams + 0.3 * 38 + 1.0 * 38 + (2.0 + 1.8) * 20 + (1.5 + 1.4) * 18 + (1.0 + 1.0) * 5 +
                       (0.25 + 0.10 + 0.36 - 1.92) * slabs + nodal;
  const double load3 = beams + 0.3 * 38 + 1.0 * 38 + (1.2 + 1.8) * 20 + (0.9 + 1.4) * 18 + (0.6 + 1.0) * 5 +
                       (0.15 + 0.10 + 0.36 - 1.92) * slabs + nodal;
  const std::string text = slurp(kRoot / "examples" / "edificio.txt");
  Table t{"P10", {}}, q{"D4", {}};
  for (int kanal = 0; kanal <= 2; ++kanal) {
    std::string data = text;
    const std::size_t at = data.find("\n0 1 1 1 1\n");
    EXPECT_NE(at, std::string::npos);
    data[at + 1] = char('0' + kanal);
    const Run r = run_text("edificio_kanal" + std::to_string(kanal), data);
    // Contact lengths by vertical degree of freedom, from the report (I6, 9X, 2F10.4).
    std::map<int, double> length;
    const std::vector<std::string> rep = split_lines(r.file("R"));
    for (std::size_t i = 0; i < rep.size(); ++i)
      if (rep[i] == " GL DE REACCION   LONGITUD    AREA")
        for (std::size_t j = i + 1; j < rep.size() && rep[j].size() == 35; ++j)
          length[std::atoi(rep[j].substr(0, 6).c_str())] = std::strtod(rep[j].substr(15, 10).c_str(), nullptr);
    std::vector<std::pair<std::string, double>> passes;
    if (kanal == 0)
      for (const char* c : {"caso1", "caso2"})
        for (const char* p : {"campo-centro", "campo-nodo", "laboratorio"}) passes.push_back({std::string(c) + "_" + p, 0});
    if (kanal == 0) passes.insert(passes.end(), {{"caso3_lineal", 0}, {"caso4_lineal", 0}});
    if (kanal == 1) passes.push_back({"caso2_iterativo", 0});
    if (kanal == 2) passes.insert(passes.end(), {{"caso2_no-lineal", 0}, {"caso3_no-lineal", 0}, {"caso4_no-lineal", 0}});
    for (const auto& [pass, unused] : passes) {
      double sum = 0;
      for (const std::string& l : split_lines(r.file("R_" + pass + "_reacciones.csv"))) {
        std::vector<std::string> f;
        std::stringstream ls(l);
        for (std::string c; std::getline(ls, c, ',');) f.push_back(c);
        if (f.size() < 5 || f[0] == "punto") continue;
        const double value = std::strtod(f[4].c_str(), nullptr);
        if (f[1] == "area") sum += value * length.at(6 * std::atoi(f[2].c_str()) - 3);
        if (f[1] == "zapata" && f[3] == "DZ") sum += value;
      }
      const double load = pass[4] == '1' ? load1 : pass[4] == '2' ? load2 : load3;
      t.rows.push_back({"KANAL " + std::to_string(kanal) + ", " + pass + " (t)", load, sum, kanal == 2 ? 5e-4 : 1e-4});
    }
    if (kanal == 0) {
      // The pressure of the field moduli against the load of the compression case over the 60 m^2 of contact.
      for (const std::string& l : rep)
        if (l.find("La presi") != std::string::npos && l.find("qmax") != std::string::npos)
          q.rows.push_back({"qmax (t/m²)", load2 / slabs, std::strtod(l.substr(l.rfind(" es ") + 4).c_str(), nullptr), 0});
    }
  }
  out.push_back(t);
  out.push_back(q);
}

// ---------------------------------------------------- method options ----

// --estratos=integrados. The P5 model again, now converging to the exact
// integral of the method's strain whatever the division; and a layer of 6 m
// (E 500) under the beams of P1 with the vertical-stress law of case 3 (no
// horizontal stress, so no clipping) and with nu = 0.5 in case 2, once as one
// stratum and once cut at 0.4 and 1.7 m: Steinbrenner is then exact.
void integrated_strata(std::vector<Table>& out) {
  Table t{"P11", {}};
  const Run a = run_model("asentamientos.txt", "--estratos=integrados", "_integrados");
  const double q = 10;
  auto p5 = [&](int beam) { return q * flex_diagonal(a, " nflag1=           3", 1, 3 * beam + 2) * 6 / 2 * 1000; };
  // The exact integral of the clipped strain: the mid-point rule on 200 strata per layer.
  auto exact = [&](double top, double h, double E, double nu) {
    double sum = 0;
    const int n = 200;
    for (int k = 0; k < n; ++k) {
      const double z = top + (k + 0.5) * h / n;
      const auto hz = boussinesq_rect(0, 0, z, 0, 0, 1, 1.5, nu);
      sum += h / n * (4 * newmark(1 / z, 1.5 / z) - nu * (std::max(0.0, 4 * hz[0]) + std::max(0.0, 4 * hz[1]))) / E;
    }
    return q * sum * 1000;
  };
  auto stein = [&](double top, double bottom, double E, double nu) {
    return 4 * q / E * (stein_corner(1, 1.5, bottom, nu) - stein_corner(1, 1.5, top, nu)) * 1000;
  };
  const double one = exact(0, 6, 500, 0.3);
  const int counts[5] = {1, 2, 4, 8, 16};
  for (int b = 0; b < 5; ++b)
    t.rows.push_back({fmt("centro, ν = 0.3, un estrato de 6 m en %g", counts[b]), stein(0, 6, 500, 0.3), p5(b), 1e-3, 0, one});
  t.rows.push_back({"centro, ν = 0.3, tres estratos (2, 3 y 4 m), cada uno en 4",
                    stein(0, 2, 250, 0.35) + stein(2, 5, 500, 0.3) + stein(5, 9, 1000, 0.25), p5(5), 1e-3, 0,
                    exact(0, 2, 250, 0.35) + exact(2, 3, 500, 0.3) + exact(5, 4, 1000, 0.25)});

  const Run r = run_model("opciones_estratos.txt", "--estratos=integrados");
  // Beam b (nodes 3b+1..3b+3): contact rectangles 1 x 3, 2 x 3, 1 x 3 m, each
  // with area / length = 3 m; the pressure q on all three.
  auto under = [&](const char* marker, int node, int beam) {
    double s = 0;
    for (int l = 3 * beam + 1; l <= 3 * beam + 3; ++l) s += flex_entry(r, marker, node, l);
    return q * 3 * s * 1000;
  };
  const char* c3 = " LLAMANDO A FLSC_3";
  const char* c2 = " nflag1=           3";
  const double E = 500;
  for (int beam = 0; beam < 2; ++beam) {
    const std::string cut = beam == 0 ? "un estrato" : "cortado a 0.4 y 1.7 m";
    t.rows.push_back({"centro, sólo σz (caso 3), " + cut, 4 * q / E * stein_corner(2, 1.5, 6, 0) * 1000,
                      under(c3, 3 * beam + 2, beam), 1e-3});
    t.rows.push_back({"esquina, sólo σz (caso 3), " + cut, 2 * q / E * stein_corner(4, 1.5, 6, 0) * 1000,
                      under(c3, 3 * beam + 1, beam), 1e-3});
    t.rows.push_back({"centro, ν = 0.5 (caso 2), " + cut, 4 * q / E * stein_corner(2, 1.5, 6, 0.5) * 1000,
                      under(c2, 3 * beam + 2, beam), 1e-3});
  }
  out.push_back(t);
}

// --zapatas=estratificadas: the springs of a 2 x 2 m footing (E 2000 t/m²,
// nu 0.3, D = 0 unless said): the test cases of the design note, the
// half-space limit and Kausel's stratum over a rigid base.
void layered_footings(std::vector<Table>& out) {
  Table t{"P12", {}};
  const Run r = run_model("opciones_zapatas.txt", "--zapatas=estratificadas");
  const std::vector<double> f = footing_flexibilities(r);
  EXPECT_EQ(f.size(), 48u);
  if (f.size() < 48) return;
  // The expected flexibilities (m/t, rad/(t·m)) of footings 1-6, dofs 1..6.
  struct Case {
    const char* what;
    double f[6];
  };
  const Case tc[] = {
      {"TC1, un estrato de 10 m", {2.3244e-4, 2.3244e-4, 1.8113e-4, 2.4397e-4, 2.4397e-4, 1.5398e-4}},
      {"TC1, diez estratos de 1 m", {2.3244e-4, 2.3244e-4, 1.8113e-4, 2.4397e-4, 2.4397e-4, 1.5398e-4}},
      {"TC2, 2 m blando sobre 8 m rígido", {7.8247e-4, 7.8247e-4, 4.8637e-4, 9.1484e-4, 9.1484e-4, 5.9199e-4}},
      {"TC2r, 2 m rígido sobre 8 m blando", {2.4027e-4, 2.4027e-4, 3.1060e-4, 1.5862e-4, 1.5862e-4, 8.5538e-5}},
      {"TC3, desplante a 1.5 m", {2.3027e-4, 2.3027e-4, 1.7776e-4, 2.4317e-4, 2.4317e-4, 1.5368e-4}},
      {"TC4, 2 × 4 m", {1.5107e-4, 1.5999e-4, 1.1763e-4, 4.4881e-5, 1.3531e-4, 4.5673e-5}},
  };
  const char* dof[6] = {"f1 (DX)", "f2 (DY)", "f3 (DZ)", "f4 (MX)", "f5 (MY)", "f6 (MZ)"};
  for (int c = 0; c < 6; ++c)
    for (int d = 0; d < 6; ++d) {
      if ((d == 1 || d == 4) && c != 5) continue;  // a square footing: f2 = f1, f5 = f4
      t.rows.push_back({std::string(tc[c].what) + ", " + dof[d] + " ×10⁴", tc[c].f[d] * 1e4, f[6 * c + d] * 1e4, 2e-4});
    }
  const double E = 2000, nu = 0.3, G = E / (2 * (1 + nu)), R = std::sqrt(4 / kPi), I = 4.0 / 3.0;
  // A stratum of 1000 m: the rigid circle (Boussinesq) and the square of Gazetas.
  t.rows.push_back({"1000 m: Kv, círculo rígido 4GR/(1 − ν) (t/m)", 4 * G * R / (1 - nu), 1 / f[38], 1e-2});
  t.rows.push_back({"1000 m: Kh, cuadrado de Gazetas (t/m)", 2 * G / (2 - nu) * 4.5, 1 / f[36], 1e-2});
  t.rows.push_back({"1000 m: Kr, cuadrado de Gazetas (t·m/rad)",
                    (G / (1 - nu) * std::pow(I, 0.75) * 2.9 + 3 * G / (1 - nu) * std::pow(I, 0.75)) / 2, 1 / f[39], 1e-2});
  t.rows.push_back({"1000 m: Kt, cuadrado de Gazetas (t·m/rad)", G * std::pow(2 * I, 0.75) * 4, 1 / f[41], 1e-2});
  // A stratum of 5 m over a rigid base, H/R = 4.4 (Kausel).
  t.rows.push_back({"5 m sobre base rígida: Kv, Kausel (t/m)", 4 * G * R / (1 - nu) * (1 + 1.28 * R / 5), 1 / f[44], 7e-2});
  out.push_back(t);
}

// Footings that feel each other: 2 x 2 m footings on one 10 m stratum
// (E 2000, nu 0.3), 100 t on each: one alone, two 3 m apart, five in a row
// 3 m apart. Each settles its own rigid settlement plus the mean strain
// integral under it of its neighbours' pressure.
void footing_interaction(std::vector<Table>& out) {
  Table t{"P13", {}};
  const double E = 2000, nu = 0.3, A = 4, H = 10;
  const double self = kPi / 4 * 4 * stein_corner(1, 1, H, nu) / (E * A);
  // Settlement at distance d from a footing per unit load, clipped strain:
  // integrated over the stratum (Simpson on 60 graded panels), or at its middle.
  auto strain = [&](double d, double z) {
    const double sz = 2 * (newmark((d + 1) / z, 1 / z) - newmark((d - 1) / z, 1 / z));
    const auto hz = boussinesq_rect(d, 0, z, -1, -1, 1, 1, nu);
    return sz - nu * (std::max(0.0, hz[0]) + std::max(0.0, hz[1]));
  };
  auto integrated = [&](double d) {
    const int n = 60;
    double s = 0;
    for (int k = 0; k < n; ++k) {
      auto z = [&](double u) { return H * u * u; };
      const double a = z(double(k) / n), b = z(double(k + 1) / n);
      s += (b - a) / 6 * (strain(d, std::max(a, 1e-6)) + 4 * strain(d, (a + b) / 2) + strain(d, b));
    }
    return s / (E * A);
  };
  auto middle = [&](double d) { return H * strain(d, H / 2) / (E * A); };
  const Run r = run_model("opciones_interaccion.txt", "--estratos=integrados --zapatas=estratificadas");
  const Run m = run_model("opciones_interaccion.txt", "--zapatas=estratificadas", "_punto_medio");
  const std::string pass = "caso2_laboratorio";
  auto ratio = [&](const Run& run, int footing) { return run.node(pass, 2 * footing - 1, 6) / run.node(pass, 1, 6); };
  double c[5];
  for (int k = 1; k <= 4; ++k) c[k] = integrated(3 * k);
  t.rows.push_back({"dos zapatas a 3 m, cada una / una sola", 1 + c[1] / self, ratio(r, 2), 1e-2});
  t.rows.push_back({"cinco en fila a 3 m: extrema / una sola", 1 + (c[1] + c[2] + c[3] + c[4]) / self, ratio(r, 4), 1e-2});
  t.rows.push_back({"cinco en fila: segunda / una sola", 1 + (2 * c[1] + c[2] + c[3]) / self, ratio(r, 5), 1e-2});
  t.rows.push_back({"cinco en fila: central / una sola", 1 + 2 * (c[1] + c[2]) / self, ratio(r, 6), 1e-2});
  t.rows.push_back({"dos zapatas a 3 m, a la mitad del estrato", 1 + middle(3) / self, ratio(m, 2), 1e-2});
  out.push_back(t);
}

}  // namespace

TEST(Verificacion, ProblemasContraSolucionesPublicadas) {
  std::vector<Table> tables;
  stresses(tables);
  settlements(tables);
  consolidation(tables);
  nonlinear(tables);
  footings(tables);
  frames(tables);
  equilibrium(tables);
  integrated_strata(tables);
  layered_footings(tables);
  footing_interaction(tables);

  std::string all;
  for (const Table& t : tables) {
    check(t);
    all += "<!-- tabla " + t.id + " -->\n" + markdown(t) + "<!-- fin " + t.id + " -->\n\n";
  }
  fs::create_directories(kBuild / "verificacion");
  std::ofstream(kBuild / "verificacion" / "tablas.md", std::ios::binary) << all;

  // The manual holds the same tables, between the same markers.
  const fs::path doc = kRoot / "docs" / "verificacion.md";
  std::string text = slurp(doc);
  bool stale = false;
  for (const Table& t : tables) {
    const std::string open = "<!-- tabla " + t.id + " -->\n", close = "<!-- fin " + t.id + " -->";
    const std::size_t a = text.find(open), b = text.find(close);
    const std::string want = markdown(t);
    if (a == std::string::npos || b == std::string::npos || b < a) {
      ADD_FAILURE() << "docs/verificacion.md has no table " << t.id;
      continue;
    }
    if (text.compare(a + open.size(), b - a - open.size(), want) != 0) {
      stale = true;
      text.replace(a + open.size(), b - a - open.size(), want);
    }
  }
  if (stale && std::getenv("KORVANT_VERIFICACION_ESCRIBIR")) {
    std::ofstream(doc, std::ios::binary) << text;
  } else {
    EXPECT_FALSE(stale) << "the tables of docs/verificacion.md are not those of this run ("
                        << (kBuild / "verificacion" / "tablas.md").string()
                        << "); if the change of results is deliberate, run tools/verificacion.sh";
  }
}
