// Influence tables of hand-built models: adjusted depths, superposition of the
// loaded rectangles, the AINF combination and the model checks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "text/fatal.hpp"
#include "soil/soil.hpp"
#include "text/files.hpp"
#include "../toolkit/capture.hpp"
#include "../toolkit/soil_model.hpp"

namespace {

using korvant::Fatal;
using korvant::Files;
using korvant::Model;

double newmark(double m, double n) {
  const double s = m * m + n * n + 1.0;
  const double pi = 3.14159265358979323846;
  return (2.0 * m * n * std::sqrt(s) / (s + m * m * n * n) * (s + 1.0) / s +
          std::atan2(2.0 * m * n * std::sqrt(s), s - m * m * n * n)) / (4.0 * pi);
}

TEST(InfluenceValues, DepthsMeasuredFromTheFoundationLevel) {
  Model m;
  Files f;
  korvant::testing::foundation(m, 2, 1.0f, {2.0f, 3.0f, 4.0f});
  korvant::influence_values(m, f.log);
  korvant::write_influence_values(m, f.vinf);

  // Stratum 1 straddles the foundation level: middle of its lower part, z = 0.5.
  // Point 1 at the centre of its own 2 x 0.5 rectangle.
  EXPECT_NEAR(m.IZ(1, 1, 1, 1), 4.0 * newmark(1.0 / 0.5, 0.25 / 0.5), 2e-6);
  // Stratum 2: middle at 3.5 below the surface, 2.5 below the foundation.
  // Point 1 (x = 0) beside the rectangle of reaction 2 (x from 1 to 3).
  EXPECT_NEAR(m.IZ(1, 2, 2, 1), 2.0 * (newmark(3.0 / 2.5, 0.25 / 2.5) - newmark(1.0 / 2.5, 0.25 / 2.5)), 2e-6);
  // Stratum 3: middle at 7 below the surface, 6 below the foundation.
  EXPECT_NEAR(m.IZ(2, 3, 2, 1), 4.0 * newmark(1.0 / 6.0, 0.25 / 6.0), 2e-6);

  // AINF and its sum over the loaded reactions.
  for (int j = 1; j <= 2; ++j)
    for (int k = 1; k <= 3; ++k) {
      float sum = 0.0f;
      for (int l = 1; l <= 2; ++l) {
        const float a = m.IZ(j, k, l, 1) - (m.IX(j, k, l, 1) + m.IY(j, k, l, 1)) * 0.3f;
        EXPECT_EQ(m.AINF(j, k, l, 1), a);
        sum += a;
      }
      EXPECT_EQ(m.SUM_AINF(j, k), sum);
    }
  // The two points are symmetric.
  EXPECT_EQ(m.IZ(1, 2, 2, 1), m.IZ(2, 2, 1, 1));
}

TEST(InfluenceValues, StrataAtOrAboveTheFoundationStayZero) {
  Model m;
  Files f;
  korvant::testing::foundation(m, 1, 2.0f, {2.0f, 3.0f});  // foundation exactly at the bottom of stratum 1
  korvant::influence_values(m, f.log);
  korvant::write_influence_values(m, f.vinf);
  EXPECT_EQ(m.IZ(1, 1, 1, 1), 0.0f);
  EXPECT_EQ(m.SUM_AINF(1, 1), 0.0f);
  // Stratum 2 is the first below: the middle of its part below the foundation.
  EXPECT_NEAR(m.IZ(1, 2, 1, 1), 4.0 * newmark(1.0 / 1.5, 0.25 / 1.5), 2e-6);

  Model deep;
  korvant::testing::foundation(deep, 1, 9.0f, {2.0f, 3.0f});  // below every stratum
  korvant::influence_values(deep, f.log);
  korvant::write_influence_values(deep, f.vinf);
  EXPECT_EQ(deep.SUM_AINF(1, 1), 0.0f);
  EXPECT_EQ(deep.SUM_AINF(1, 2), 0.0f);
}

TEST(InfluenceValues, EachDirectionHasItsOwnRectangles) {
  Model m;
  Files f;
  korvant::testing::foundation(m, 2, 1.0f, {4.0f});
  m.NDIRS = 2;
  // Direction 2: a 0.5 x 2 rectangle along Y under each point.
  for (int n = 1; n <= 2; ++n) {
    m.Xi(n, 2) = m.XR(n) - 0.25f;
    m.Xf(n, 2) = m.XR(n) + 0.25f;
    m.Yi(n, 2) = -1.0f;
    m.Yf(n, 2) = 1.0f;
  }
  korvant::influence_values(m, f.log);
  korvant::write_influence_values(m, f.vinf);
  ASSERT_EQ(m.IZ.n4, 2);
  EXPECT_EQ(m.IZ(1, 1, 1, 2), m.IZ(1, 1, 1, 1));  // same rectangle turned a quarter
  EXPECT_EQ(m.IX(1, 1, 1, 2), m.IY(1, 1, 1, 1));
  EXPECT_NE(m.IZ(1, 1, 2, 2), m.IZ(1, 1, 2, 1));
  EXPECT_EQ(m.SUM_AINF(1, 1), ((m.AINF(1, 1, 1, 1) + m.AINF(1, 1, 2, 1)) + m.AINF(1, 1, 1, 2)) + m.AINF(1, 1, 2, 2));
}

TEST(InfluenceValues, NoDirectionsComputesNothing) {
  Model m;
  Files f;
  korvant::testing::foundation(m, 2, 1.0f, {4.0f});
  m.NDIRS = 0;
  korvant::influence_values(m, f.log);
  korvant::write_influence_values(m, f.vinf);
  EXPECT_EQ(m.IZ(1, 1, 1, 1), 0.0f);
  EXPECT_EQ(m.SUM_AINF(2, 1), 0.0f);
  EXPECT_EQ(korvant::dir_part(m.IZ, 1, 1, 1, 2), 0.0f);
}

// The size of VALINF is known before it is written; past a cap (that of
// --memoria=resumida) only its headings stay, with the count of lines left out.
TEST(InfluenceValues, TheSizeOfValinfIsKnownAndACapKeepsTheHeadings) {
  Model m;
  Files f;
  korvant::testing::foundation(m, 3, 1.0f, {0.5f, 3.0f, 4.0f});  // stratum 1 above the foundation
  m.NDIRS = 2;
  korvant::influence_values(m, f.log);
  korvant::testing::Capture whole(f.vinf);
  korvant::write_influence_values(m, f.vinf);
  const std::string text = whole.text();
  EXPECT_EQ(korvant::valinf_bytes(m), text.size());
  const std::uint64_t cap = text.size() - 1;
  korvant::write_influence_values(m, f.vinf, cap);
  const std::string cut = whole.text();
  EXPECT_EQ(korvant::valinf_bytes(m, cap), cut.size());
  EXPECT_EQ(cut.substr(0, 146), text.substr(0, 146));  // the title and the first headings
  EXPECT_NE(cut.find("\n VALORES OMITIDOS: 18 renglones; el archivo completo pasar"), std::string::npos) << cut;
}

std::string rejection(Model& m) {
  Files f;
  try {
    korvant::influence_values(m, f.log);
    korvant::write_influence_values(m, f.vinf);
  } catch (const Fatal& e) {
    EXPECT_EQ(e.status, korvant::status::BAD_DATA);
    EXPECT_EQ(e.message.rfind("Error en el archivo de datos \"datos.txt\"", 0), 0u) << e.message;
    return e.message;
  }
  ADD_FAILURE() << "model accepted";
  return {};
}

TEST(InfluenceValues, ModelsTheTablesCannotTakeAreRejected) {
  {
    Model m;  // a foundation node without soil profile
    korvant::testing::foundation(m, 3, 1.0f, {2.0f});
    m.DATOS = "datos.txt";
    m.PERFCIM(2) = 0;
    m.LINNODO.size_to(m.NN);
    m.LINNODO(2) = 17;
    const std::string msg = rejection(m);
    EXPECT_EQ(msg.rfind("Error en el archivo de datos \"datos.txt\", línea 17, ", 0), 0u) << msg;
    EXPECT_NE(msg.find("nodo 2"), std::string::npos);
  }
  {
    Model m;  // a profile that was never read
    korvant::testing::foundation(m, 3, 1.0f, {2.0f});
    m.DATOS = "datos.txt";
    m.PERFCIM(3) = 2;
    EXPECT_NE(rejection(m).find("nodo 3"), std::string::npos);
  }
  {
    Model m;  // foundation nodes not numbered first
    korvant::testing::foundation(m, 2, 1.0f, {2.0f});
    m.DATOS = "datos.txt";
    m.NREAC(2) = 15;
    EXPECT_NE(rejection(m).find("reacción de área 2"), std::string::npos);
  }
  {
    Model m;  // a nodal reaction on a node without footing
    korvant::testing::foundation(m, 1, 1.0f, {2.0f});
    m.DATOS = "datos.txt";
    m.MR = 1;
    m.NREACN.size_to(1);
    m.NREACN(1) = 9;
    m.NZAP = 1;
    m.NODZAP.size_to(1);
    m.NODZAP(1) = 1;
    EXPECT_NE(rejection(m).find("nodo 2"), std::string::npos);
  }
}

}  // namespace
