// The study's pieces on their own: the study file and its refusals, the
// samples (the same for a seed on every machine, the Latin hypercube's bins,
// the copula), the statistics and the table that resumes.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "../toolkit/scratch.hpp"
#include "study/random.hpp"
#include "study/statistics.hpp"
#include "study/study.hpp"
#include "study/study_csv.hpp"
#include "text/fatal.hpp"

namespace {

using namespace korvant;
using namespace korvant::testing;

// A model with what the study checks: one profile of 3 strata, compressions
// only, linear, one material.
Model small_model() {
  Model m;
  m.CASO[2] = 1;
  m.NPS = 1;
  m.NEST.size_to(1);
  m.NEST(1) = 3;
  for (Tab2<float>* t : {&m.E1, &m.NU1, &m.E2, &m.NU2, &m.A2, &m.Emv, &m.Emt}) t->size_to(1, 3, 1.0f);
  m.NMAT = 1;
  m.MATNOM.size_to(1);
  m.MATNOM(1) = "CONCRETO";
  m.MODELAST.size_to(1);
  m.MODELAST(1) = 2.2e6f;
  return m;
}

std::string refusal(const std::string& text) {
  try {
    Study s = parse_study("e.txt", text);
    Model m = small_model();
    check_study(s, m);
  } catch (const Fatal& f) {
    EXPECT_EQ(f.status, status::BAD_DATA);
    return f.message;
  }
  return "";
}

TEST(StudyFile, BadFilesAreRefusedWithLineAndItem) {
  const std::string head = "método montecarlo\nmuestras 10\n";
  const struct {
    std::string text, expected;
  } cases[] = {
      {head + "parámetro E9 perfil 1 estrato 1 uniforme 1 2\n", "línea 3, parámetro: se leyó \"E9\""},
      {head + "parámetro E2 perfil 2 estrato 1 uniforme 1 2\n", "línea 3, E2_p2_e1: no existe el perfil 2"},
      {head + "parámetro E2 perfil 1 estrato 4 uniforme 1 2\n", "línea 3, E2_p1_e4: no existe el estrato 4"},
      {head + "parámetro E2 perfil 1 estrato 1 normal 500 -3\n", "línea 3, desviación estándar: se leyó -3"},
      {head + "parámetro E2 perfil 1 estrato 1 uniforme 2 1\n", "línea 3, mínimo: el mínimo (2) es mayor"},
      {"método montecarlo\nmuestras 0\nparámetro factor suelo uniforme 1 2\n", "línea 2, muestras: se leyó 0"},
      {head + "parámetro factor E uniforme 1 2\nparámetro factor suelo uniforme 1 2\ncorrelación 1 2 1.5\n",
       "línea 5, coeficiente de correlación: se leyó 1.5"},
      {head + "parámetro E1 perfil 1 estrato 1 uniforme 1 2\n", "el caso 1 (expansiones) no se analiza"},
      {head + "parámetro A perfil 1 estrato 1 uniforme 1 2\n", "sólo lo usa el análisis no lineal"},
      {head + "parámetro E material ACERO uniforme 1 2\n", "no hay un material \"ACERO\""},
      {head + "parámetro E2 perfil 1 uniforme 1 2\n", "falta \"estrato K\""},
      {head + "parámetro factor suelo gamma 1 2\n", "distribución: se leyó \"gamma\""},
      {head + "parámetro factor suelo uniforme 1 2,5\n", "máximo: se leyó \"2,5\""},
      {head + "parámetro factor suelo uniforme 1 2 3\n", "\"3\": sobra"},
      {head + "parámetro factor suelo triangular 1 3 2\n", "moda: se leyó 3"},
      {head + "parámetro factor suelo lognormal 0 0.3\n", "media: se leyó 0"},
      {head + "parámetro factor suelo uniforme 1 2\ncorrelación 1 3 0.5\n", "segundo parámetro: se leyó 3"},
      {head + "parámetro factor suelo uniforme 1 2\nparámetro factor suelo normal 1 0.1\n", "ya varía en la línea 3"},
      {"muestras 10\nparámetro factor suelo uniforme 1 2\n", "falta el renglón \"método"},
      {"método montecarlo\nparámetro factor suelo uniforme 1 2\n", "falta el renglón \"muestras N\""},
      {head, "no hay ningún renglón \"parámetro\""},
      {"método sensibilidad\nextremos mínimo-máximo\nparámetro factor suelo normal 1 0.1\n",
       "línea 3, factor_suelo: una distribución normal"},
      {head + "semillas 3\n", "línea 3, \"semillas\": no es una instrucción"},
  };
  for (const auto& c : cases) {
    const std::string msg = refusal(c.text);
    EXPECT_NE(msg.find(c.expected), std::string::npos) << c.text << "\n-> " << msg;
    EXPECT_EQ(msg.rfind("Error en el archivo de estudio \"e.txt\"", 0), 0u) << msg;
  }
}

TEST(StudyFile, ReadsEveryInstruction) {
  // UTF-8 or Latin-1, accents or none, comments, a quoted material name.
  const Study s = parse_study("e.txt",
                              "# arcillas\nMetodo montecarlo\nmuestras 20  # pocas\nmuestreo aleatorio\nsemilla 77\n"
                              "parametro E2 perfil 1 estrato 2 lognormal 850 0.3\n"
                              "parámetro E material \"CONCRETO F\" normal 2.2e6 1e5\n"
                              "par\xe1metro factor carga viva triangular 0.8 1 1.3\ncorrelaci\xf3n 1 3 -0.5\n");
  EXPECT_EQ(s.method, Method::montecarlo);
  EXPECT_EQ(s.N, 20);
  EXPECT_FALSE(s.lhs);
  EXPECT_EQ(s.seed, 77u);
  ASSERT_EQ(s.params.size(), 3u);
  EXPECT_EQ(s.params[0].name, "E2_p1_e2");
  EXPECT_EQ(s.params[1].material, "CONCRETO F");
  EXPECT_EQ(s.params[2].q, Quantity::live_load);
  EXPECT_EQ(s.corr_b, 2);
  EXPECT_EQ(s.rho, -0.5);
}

TEST(Sampling, InverseDistributions) {
  EXPECT_NEAR(normal_quantile(0.975), 1.959963984540054, 1e-15);
  EXPECT_NEAR(normal_quantile(1e-10), -6.361340902404056, 1e-12);
  EXPECT_NEAR(normal_cdf(normal_quantile(0.3)), 0.3, 1e-15);
  // Lognormal by mean and CV: the median is mean / sqrt(1 + CV²).
  const Distribution ln{DistKind::lognormal, 1000, 0.5, 0};
  EXPECT_NEAR(ln.quantile(0.5), 1000 / std::sqrt(1.25), 1e-9);
  const Distribution tri{DistKind::triangular, 1, 2, 4};
  EXPECT_NEAR(tri.quantile(1.0 / 3.0), 2.0, 1e-12);
  // Zero width gives the value itself, exactly, whatever the share.
  for (const Distribution d : {Distribution{DistKind::uniform, 0.3, 0.3, 0}, Distribution{DistKind::normal, 0.3, 0, 0},
                               Distribution{DistKind::lognormal, 0.3, 0, 0},
                               Distribution{DistKind::triangular, 0.3, 0.3, 0.3}})
    for (double u : {1e-9, 0.5, 0.999})
      EXPECT_EQ(d.quantile(u), 0.3);
}

TEST(Sampling, SamplesDependOnSeedAndNumberOnly) {
  Study s = parse_study("e.txt",
                        "método montecarlo\nmuestras 1000\nsemilla 12345\n"
                        "parámetro factor suelo uniforme 0 1\nparámetro factor E normal 10 2\n");
  const Sampler a(s);
  std::vector<double> late, early;
  for (int i = 1; i <= 999; ++i) a.values(i, late);
  a.values(1000, late);
  const Sampler b(s);
  b.values(1000, early);
  EXPECT_EQ(late, early);
  // Pinned: the generator and the inverse functions are the program's own, the same everywhere.
  b.values(1, early);
  EXPECT_EQ(early.size(), 2u);
  char text[64];
  std::snprintf(text, sizeof text, "%.12g %.12g", early[0], early[1]);
  EXPECT_STREQ(text, "0.363161780687 11.187305633");
}

TEST(Sampling, LatinHypercubeFillsEveryBinOnce) {
  for (int n : {1, 7, 200}) {
    Study s = parse_study("e.txt", "método montecarlo\nmuestras " + std::to_string(n) +
                                       "\nparámetro factor suelo uniforme 0 1\nparámetro factor E uniforme 0 1\n"
                                       "parámetro factor carga viva lognormal 1 0.2\n");
    const Sampler sm(s);
    std::vector<std::set<int>> bins(3);
    std::vector<double> v;
    for (int i = 1; i <= n; ++i) {
      sm.values(i, v);
      bins[0].insert(static_cast<int>(v[0] * n));
      bins[1].insert(static_cast<int>(v[1] * n));
      // The lognormal's bin through its own distribution function.
      const double sig = std::sqrt(std::log1p(0.04));
      bins[2].insert(static_cast<int>(normal_cdf((std::log(v[2]) + 0.5 * sig * sig) / sig) * n));
    }
    for (const auto& b : bins) EXPECT_EQ(static_cast<int>(b.size()), n);
  }
}

TEST(Sampling, CopulaAndSensitivityPlan) {
  Study s = parse_study("e.txt",
                        "método montecarlo\nmuestras 4000\nmuestreo aleatorio\nparámetro factor suelo normal 0 1\n"
                        "parámetro factor E normal 0 1\ncorrelación 2 1 0.8\n");
  const Sampler sm(s);
  double sxy = 0, sxx = 0, syy = 0;
  std::vector<double> v;
  for (int i = 1; i <= 4000; ++i) {
    sm.values(i, v);
    sxy += v[0] * v[1], sxx += v[0] * v[0], syy += v[1] * v[1];
  }
  EXPECT_NEAR(sxy / std::sqrt(sxx * syy), 0.8, 0.02);

  Study t = parse_study("e.txt", "método sensibilidad\nparámetro factor suelo uniforme 0.5 1.5\n"
                                 "parámetro factor E normal 1 0.1\n");
  const Sampler st(t);
  ASSERT_EQ(st.count(), 4);
  st.values(2, v);
  EXPECT_TRUE(std::isnan(v[1]));
  EXPECT_DOUBLE_EQ(v[0], 1.45);
  st.values(3, v);
  EXPECT_NEAR(v[1], 1 - 0.1 * 1.6448536269514722, 1e-12);
}

TEST(Statistics, FiguresAndExceedance) {
  const Stats s = statistics({4, 1, 3, 2, 5, std::nan("")});
  EXPECT_EQ(s.n, 5);
  EXPECT_DOUBLE_EQ(s.mean, 3);
  EXPECT_DOUBLE_EQ(s.sd, std::sqrt(2.5));
  EXPECT_DOUBLE_EQ(s.p5, 1.2);
  EXPECT_DOUBLE_EQ(s.p50, 3);
  const Exceedance none = exceedance(0, 100);
  EXPECT_EQ(none.lo, 0);
  EXPECT_NEAR(none.hi, 0.037, 0.001);  // no sample above: still up to 3.7 % at 95 %
  const Exceedance half = exceedance(50, 100);
  EXPECT_NEAR(half.lo, 0.404, 0.001);
  EXPECT_NEAR(half.hi, 0.596, 0.001);
}

TEST(StudyTable, KeepsWholeRowsOfTheSameStudy) {
  Scratch dir;
  const std::string path = dir.path("t.csv").string();
  const std::string head = "# huella 1\nmuestra,estado,mensaje,p,w\n";
  std::vector<StudyRow> kept;
  {
    StudyCsv csv;
    csv.open(path, head, 1, 1, kept);
    EXPECT_TRUE(kept.empty());
    for (int i = 0; i < 3; ++i) {
      StudyRow r;
      r.sample = i;
      r.params = {0.1 * i};
      r.watched = {i == 1 ? std::nan("") : 1.0 / 3.0};
      if (i == 1) r.status = sample_status::SINGULAR, r.message = "pivote nulo, en \"gaussj\"";
      csv.append(r);
    }
    csv.close();
  }
  // An interruption cut the last row short.
  const std::string whole = dir.read("t.csv");
  dir.write("t.csv", whole + "3,bien,,0.3");
  StudyCsv again;
  again.open(path, head, 1, 1, kept);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[1].message, "pivote nulo, en \"gaussj\"");
  EXPECT_TRUE(std::isnan(kept[1].watched[0]));
  EXPECT_EQ(kept[2].watched[0], 1.0 / 3.0);
  again.close();
  EXPECT_EQ(dir.read("t.csv"), whole);
  // Another study starts the table again.
  StudyCsv other;
  other.open(path, "# huella 2\nmuestra,estado,mensaje,p,w\n", 1, 1, kept);
  other.close();
  EXPECT_TRUE(kept.empty());
  EXPECT_EQ(dir.read("t.csv"), "# huella 2\nmuestra,estado,mensaje,p,w\n");
}

}  // namespace
