#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "model/preprocess.hpp"
#include "text/files.hpp"
#include "../toolkit/capture.hpp"

using namespace korvant;

namespace {

struct Bar {
  int i, j;
  int tipo;
  std::string sec;
};

// A model built directly in the tables: nodes (x, y, z), bars, one section
// "VIGA" of width 0.3 and one material "CONCRETO" of unit weight 2.4.
struct Frame {
  Model m;
  Files f;
  Frame(std::vector<std::array<float, 3>> nodes, std::vector<Bar> bars) {
    m.NN = static_cast<int>(nodes.size());
    m.NGL = 6 * m.NN;
    m.COORD.size_to(m.NN, 3);
    for (int n = 1; n <= m.NN; ++n)
      for (int k = 1; k <= 3; ++k) m.COORD(n, k) = nodes[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k - 1)];
    m.NB = static_cast<int>(bars.size());
    m.PI.size_to(m.NB);
    m.PJ.size_to(m.NB);
    m.TIPO.size_to(m.NB);
    m.BARSEC.size_to(m.NB);
    m.CARGASBARRA.size_to(m.NB, 6);
    for (int b = 1; b <= m.NB; ++b) {
      const Bar& x = bars[static_cast<std::size_t>(b - 1)];
      m.PI(b) = x.i;
      m.PJ(b) = x.j;
      m.TIPO(b) = x.tipo;
      m.BARSEC(b) = x.sec;
      m.BARSEC(b).resize(20, ' ');
    }
    m.NSEC = 1;
    m.SECNOM.size_to(1);
    m.BASE.size_to(1);
    m.SECNOM(1) = "VIGA";
    m.BASE(1) = 0.3f;
    m.NMAT = 1;
    m.MATNOM.size_to(1);
    m.PESOVOL.size_to(1);
    m.MATNOM(1) = "CONCRETO            ";
    m.PESOVOL(1) = 2.4f;
  }
  // One slab on corners i, j, k, l with thickness 0.1 and loads 1, 2, 3, 4.
  void slab(int i, int j, int k, int l) {
    const int s = ++m.NLOS;
    for (Tab1<int>* t : {&m.NI, &m.NJ, &m.NK, &m.NL}) t->v.resize(static_cast<std::size_t>(s) + 1);
    m.h.v.resize(static_cast<std::size_t>(s) + 1);
    m.Mat.v.resize(static_cast<std::size_t>(s) + 1);
    Tab2<float> old = m.CARGASLOSA;
    m.CARGASLOSA.size_to(s, 6);
    for (int r = 1; r < s; ++r)
      for (int c = 1; c <= 6; ++c) m.CARGASLOSA(r, c) = old(r, c);
    m.NI(s) = i, m.NJ(s) = j, m.NK(s) = k, m.NL(s) = l;
    m.h(s) = 0.1f;
    m.Mat(s) = "CONCRETO";
    for (int c = 1; c <= 4; ++c) m.CARGASLOSA(s, c) = static_cast<float>(c);
  }
  float longitud(int n) const { return m.LONGITUD(6 * n - 3); }
  float area(int n) const { return m.AREA(6 * n - 3); }
};

void expect_rect(const Model& m, int n, int d, float xi, float yi, float xf, float yf) {
  EXPECT_FLOAT_EQ(m.Xi(n, d), xi) << "node " << n << " direction " << d;
  EXPECT_FLOAT_EQ(m.Yi(n, d), yi) << "node " << n << " direction " << d;
  EXPECT_FLOAT_EQ(m.Xf(n, d), xf) << "node " << n << " direction " << d;
  EXPECT_FLOAT_EQ(m.Yf(n, d), yf) << "node " << n << " direction " << d;
}

}  // namespace

TEST(ReactionAreas, BarLengthsAndPlanCosines) {
  Frame t({{1, 1, 0}, {4, 5, 0}, {4, 5, 12}}, {{1, 2, 0, "VIGA"}, {2, 3, 0, "VIGA"}});
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  EXPECT_FLOAT_EQ(t.m.LONG(1), 5.0f);
  EXPECT_FLOAT_EQ(t.m.UX(1), 0.6f);
  EXPECT_FLOAT_EQ(t.m.UY(1), 0.8f);
  EXPECT_FLOAT_EQ(t.m.LONG(2), 12.0f);
  EXPECT_EQ(t.m.UX(2), 0.0f);
  // Superstructure bars give no reaction.
  EXPECT_EQ(t.m.NDIRS, 0);
  for (int g = 1; g <= t.m.NGL; ++g) EXPECT_EQ(t.m.LONGITUD(g), 0.0f);
}

TEST(ReactionAreas, PerpendicularBeamsAddBothHalfAreas) {
  // Beams 1-2 along +X (4 m) and 1-3 along +Y (5 m), width 0.3; a column on node 1.
  Frame t({{0, 0, 0}, {4, 0, 0}, {0, 5, 0}, {0, 0, 3}},
          {{1, 2, 1, "VIGA"}, {1, 3, 1, "VIGA"}, {1, 4, 0, "COLUMNA"}});
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  EXPECT_EQ(t.m.NDIR(1), 1);
  EXPECT_EQ(t.m.NDIR(2), 2);
  EXPECT_EQ(t.m.NDIRS, 2);
  EXPECT_FLOAT_EQ(t.longitud(1), 4.5f);
  EXPECT_FLOAT_EQ(t.area(1), 0.3f * 4.0f * 0.5f + 0.3f * 5.0f * 0.5f);
  EXPECT_FLOAT_EQ(t.area(2), 0.6f);
  EXPECT_FLOAT_EQ(t.area(3), 0.75f);
  EXPECT_EQ(t.area(4), 0.0f);
  // Node 1 has a rectangle along each beam.
  expect_rect(t.m, 1, 1, 0.0f, -0.15f, 2.0f, 0.15f);
  expect_rect(t.m, 1, 2, -0.15f, 0.0f, 0.15f, 2.5f);
  expect_rect(t.m, 2, 1, 2.0f, -0.15f, 4.0f, 0.15f);
  expect_rect(t.m, 3, 2, -0.15f, 2.5f, 0.15f, 5.0f);
  EXPECT_FLOAT_EQ(t.m.XR(2), 4.0f);
  EXPECT_FLOAT_EQ(t.m.YR(3), 5.0f);
  EXPECT_FLOAT_EQ(t.m.ACIM, t.area(1) + t.area(2) + t.area(3));
}

TEST(ReactionAreas, BeamWithUnknownSectionHasNoWidth) {
  Frame t({{0, 0, 0}, {4, 0, 0}}, {{1, 2, 1, "OTRA"}});
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  EXPECT_FLOAT_EQ(t.longitud(1), 2.0f);
  EXPECT_EQ(t.area(1), 0.0f);
  expect_rect(t.m, 1, 1, 0.0f, 0.0f, 2.0f, 0.0f);
}

namespace {

// Slab 1-2-3-4 of a by b (1-2 along +X) with its four edge bars, all foundation bars.
struct SlabFrame : Frame {
  SlabFrame(float a, float b)
      : Frame({{0, 0, 0}, {a, 0, 0}, {a, b, 0}, {0, b, 0}},
              {{1, 2, 1, "VIGA"}, {2, 3, 1, "VIGA"}, {4, 3, 1, "VIGA"}, {1, 4, 1, "VIGA"}}) {
    slab(1, 2, 3, 4);
  }
};

float total_atrib(const Model& m) {
  float s = 0.0f;
  for (int b = 1; b <= m.NB; ++b) s += m.ATRIB(b);
  return s;
}

}  // namespace

TEST(SlabLoads, SquareSlabGivesEachEdgeAQuarter) {
  SlabFrame t(4, 4);
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  EXPECT_EQ(t.m.NDIRS, 1);
  EXPECT_FLOAT_EQ(t.m.CARGASLOSA(1, 5), 0.24f);
  for (int b = 1; b <= 4; ++b) {
    EXPECT_FLOAT_EQ(t.m.ATRIB(b), 4.0f);
    // Load of a 4 m2 triangle spread over the 4 m edge.
    EXPECT_FLOAT_EQ(t.m.CARGASBARRA(b, 1), 1.0f);
    EXPECT_FLOAT_EQ(t.m.CARGASBARRA(b, 4), 4.0f);
    EXPECT_FLOAT_EQ(t.m.CARGASBARRA(b, 5), 0.24f);
    EXPECT_EQ(t.m.CARGASBARRA(b, 6), 0.0f);
  }
  EXPECT_FLOAT_EQ(total_atrib(t.m), 16.0f);
  // Each corner carries a quarter of the slab besides its beams (width 0.3).
  for (int n = 1; n <= 4; ++n) EXPECT_FLOAT_EQ(t.area(n), 4.0f);
  expect_rect(t.m, 1, 1, 0, 0, 2, 2);
  expect_rect(t.m, 2, 1, 2, 0, 4, 2);
  expect_rect(t.m, 3, 1, 2, 2, 4, 4);
  expect_rect(t.m, 4, 1, 0, 2, 2, 4);
}

TEST(SlabLoads, RectangularSlabTrianglesOnShortEdgesTrapezoidsOnLongOnes) {
  for (bool long_in_x : {true, false}) {
    SlabFrame t(long_in_x ? 6.0f : 4.0f, long_in_x ? 4.0f : 6.0f);
    t.m.CARGASBARRA(1, 1) = 0.5f;  // a typed bar load stays
    reaction_areas(t.m, t.f.log);
    write_reaction_areas(t.m, t.f.rep);
    // Bars 1 and 3 run along X, bars 2 and 4 along Y.
    const int shorts[2] = {long_in_x ? 2 : 1, long_in_x ? 4 : 3};
    const int longs[2] = {long_in_x ? 1 : 2, long_in_x ? 3 : 4};
    for (int b : shorts) {
      EXPECT_FLOAT_EQ(t.m.ATRIB(b), 4.0f) << "short edge " << b;       // 4*4/4
      EXPECT_FLOAT_EQ(t.m.CARGASBARRA(b, 2), 2.0f) << "short edge " << b;  // 2*4/4
    }
    for (int b : longs) {
      EXPECT_FLOAT_EQ(t.m.ATRIB(b), 8.0f) << "long edge " << b;        // (2*6-4)*4/4
      EXPECT_FLOAT_EQ(t.m.CARGASBARRA(b, 3), 3.0f * 8.0f / 6.0f) << "long edge " << b;
    }
    EXPECT_FLOAT_EQ(total_atrib(t.m), 24.0f);
    EXPECT_FLOAT_EQ(t.m.CARGASBARRA(1, 1), 0.5f + (long_in_x ? 8.0f / 6.0f : 1.0f));
    for (int n = 1; n <= 4; ++n) EXPECT_FLOAT_EQ(t.area(n), 6.0f);
  }
}

TEST(SlabLoads, EdgeLengthIsComparedExactlyWithTheShortSide) {
  // The short side measured along 2-3 and the bar 1-4 differ by rounding only.
  const float y1 = 0.1f, y4 = 4.3f, y2 = 0.3f, y3 = 4.5f;
  Frame t({{0, y1, 0}, {6, y2, 0}, {6, y3, 0}, {0, y4, 0}},
          {{1, 2, 1, "VIGA"}, {2, 3, 1, "VIGA"}, {4, 3, 1, "VIGA"}, {1, 4, 1, "VIGA"}});
  t.slab(1, 2, 3, 4);
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  const float b = y3 - y2;
  ASSERT_NE(t.m.LONG(4), b);
  const float a = t.m.LONG(1);
  EXPECT_EQ(t.m.ATRIB(2), b * 0.25f * b);
  EXPECT_EQ(t.m.ATRIB(4), ((a + a) - b) * 0.25f * b);
}

TEST(SlabLoads, DiagonalsAreNoEdgesAndMissingEdgesGiveNoArea) {
  // A diagonal 1-3 typed first, then only three edges.
  Frame t({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}},
          {{1, 3, 0, "VIGA"}, {1, 2, 1, "VIGA"}, {2, 3, 1, "VIGA"}, {4, 3, 1, "VIGA"}});
  t.slab(1, 2, 3, 4);
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  EXPECT_EQ(t.m.ATRIB(1), 0.0f);
  EXPECT_EQ(t.m.CARGASBARRA(1, 1), 0.0f);
  for (int b = 2; b <= 4; ++b) EXPECT_FLOAT_EQ(t.m.ATRIB(b), 4.0f);
  // Only the beams' ends count: no quarter-slab areas, no beam areas with slabs.
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(t.area(n), 0.0f);
  EXPECT_FLOAT_EQ(t.longitud(3), 4.0f);
}

namespace {

// Runs the reaction-area step and the log of reaction dofs; returns report and log.
std::pair<std::string, std::string> run_texts(Frame& t) {
  korvant::testing::Capture rep(t.f.rep), mem(t.f.mem);
  reaction_areas(t.m, t.f.log);
  write_reaction_areas(t.m, t.f.rep);
  log_reaction_dofs(t.m, t.f.log);
  return {rep.text(), mem.text()};
}

}  // namespace

TEST(ReactionAreas, ReportAndLogOfTwoDirections) {
  Frame t({{0, 0, 0}, {4, 0, 0}, {0, 5, 0}, {0, 0, 3}},
          {{1, 2, 1, "VIGA"}, {1, 3, 1, "VIGA"}, {1, 4, 0, "COLUMNA"}});
  t.m.NR = 3;
  const auto [rep, mem] = run_texts(t);
  EXPECT_EQ(rep,
            "\n LONGITUD DE BARRAS\n"
            "     1    4.0000\n"
            "     2    5.0000\n"
            "     3    3.0000\n"
            "\n"
            "                COORDENADAS DE REACCIONES \n"
            "               PUNTO       PUNTO INICIAL   PUNTO FINAL\n"
            "            (X  ,   Y)          (Xi  ,   Yi)        (Xf  ,   Yf)\n"
            " direccion 1\n"
            "     1    0.0000    0.0000    0.0000   -0.1500    2.0000    0.1500\n"
            "     2    4.0000    0.0000    2.0000   -0.1500    4.0000    0.1500\n"
            "     3    0.0000    5.0000    0.0000    5.0000    0.0000    5.0000\n"
            " direccion 2\n"
            "     1    0.0000    0.0000   -0.1500    0.0000    0.1500    2.5000\n"
            "     2    4.0000    0.0000    4.0000    0.0000    4.0000    0.0000\n"
            "     3    0.0000    5.0000   -0.1500    2.5000    0.1500    5.0000\n"
            " GL DE REACCION   LONGITUD    AREA\n"
            "     3             4.5000    1.3500\n"
            "     9             2.0000    0.6000\n"
            "    15             2.5000    0.7500\n"
            " \xc1rea de la cimentaci\xf3n:   2.700000    \n"
            " \xc1rea tributaria por barra\n"
            "  Barra            LONGITUD    AREA\n");
  EXPECT_EQ(mem,
            " NUMERO DE BARRAS           3\n"
            " BARRA   LONGITUD       UX        UY\n"
            "     1    4.0000    1.0000    0.0000\n"
            " PRODUCTO PUNTO   1.000000    \n"
            " NDIR=           1\n"
            " NDIR=           1\n"
            "     2    5.0000    0.0000    1.0000\n"
            " PRODUCTO PUNTO   0.000000    \n"
            " NDIR=           2\n"
            "     3    3.0000    0.0000    0.0000\n"
            " DIRECCIONES ENCONTRADAS           2\n"
            " CALCULO DE AREAS DE REACCION\n"
            " PROGRAMA PRINCIPAL\n"
            " GL DE REACCION   LONGITUD    AREA\n"
            "     3             4.5000    1.3500\n"
            "     9             2.0000    0.6000\n"
            "    15             2.5000    0.7500\n");
}

TEST(ReactionAreas, SlabCornersWithoutFoundationBeamsAreNotListed) {
  // The slab rests on superstructure bars: its corners get areas but no length.
  SlabFrame t(4, 4);
  for (int b = 1; b <= 4; ++b) t.m.TIPO(b) = 0;
  t.m.NR = 0;
  const auto [rep, mem] = run_texts(t);
  EXPECT_FLOAT_EQ(t.area(3), 4.0f);
  EXPECT_NE(rep.find(" direccion 1\n GL DE REACCION   LONGITUD    AREA\n"
                     " \xc1rea de la cimentaci\xf3n:   0.000000    \n"
                     " \xc1rea tributaria por barra\n"
                     "  Barra            LONGITUD    AREA\n"
                     "     1             4.0000    4.0000\n"),
            std::string::npos);
  EXPECT_NE(mem.find(" DIRECCIONES ENCONTRADAS           0\n CALCULO DE AREAS DE REACCION\n"
                     " Pp Losa=  0.2400000    \n"
                     " SE TIENEN LOSAS DE CIMENTACI\xd3N\n CALCULANDO AREAS DE REACCI\xd3N\n"
                     " PROGRAMA PRINCIPAL\n GL DE REACCION   LONGITUD    AREA\n"),
            std::string::npos);
}
