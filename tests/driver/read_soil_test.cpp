#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "text/fatal.hpp"
#include "driver/input.hpp"
#include "../toolkit/capture.hpp"

using namespace korvant;

namespace {

// Reads a soil block for a model of `nn` nodes (profile 1 each) whose central
// node has depth of foundation D; the report, log and error stream are kept.
struct Soil {
  Model m;
  Files f;
  DataReader rd;
  korvant::testing::Capture rep_, mem_, err_{f.err};
  Soil(int c1, int c2, int c3, int c4, float D) : rep_(f.rep), mem_(f.mem) {
    m.CASO[1] = c1, m.CASO[2] = c2, m.CASO[3] = c3, m.CASO[4] = c4;
    m.NN = 3;
    m.DF.size_to(3);
    m.PERFIL.size_to(3, 1);
    m.NCENTRO = 2;
    m.DF(2) = D;
  }
  void read(const std::string& text) {
    rd.open_text("datos.txt", text);
    read_soil(rd, m, f);
  }
  std::string rep() { return rep_.text(); }
  std::string mem() { return mem_.text(); }
  std::string err() { return err_.text(); }
};

// Two strata of clay and sand with the lines of every case.
const char* const kTwoStrata =
    "1 10.0\n"
    "2\n"
    "ESTRATO\n"
    "1 2 2.0 1.6\n"
    "400. 0.35 5.\n"
    "500. 0.35 10. 0.5 100. 0.5 1.0\n"
    "100.0 0.8 2.0\n"
    "200.0 0.9 0.1 5.0\n"
    "ESTRATO\n"
    "2 1 6.0 1.8\n"
    "800. 0.30 8.\n"
    "1200. 0.30 15. 0.5 150. 0.5 1.2\n"
    "500.0 0.7 2.0\n"
    "1000.0 0.8 0.1 5.0\n";

}  // namespace

TEST(SoilProfiles, ReportOfEveryCaseAndThePressureTable) {
  Soil s(1, 1, 1, 1, 1.0f);
  s.read(kTwoStrata);
  // Cases 1 and 2 share slab (case 2 wins), cases 3 and 4 share T (case 4 wins).
  EXPECT_EQ(s.m.slab(1, 1), 10.0f);
  EXPECT_EQ(s.m.T(1, 2), 5.0f);
  EXPECT_FLOAT_EQ(s.m.PvCentro, -1.6f);
  EXPECT_EQ(s.err(), " Casos de analisis           1           1           1           1\n");
  const std::string heading =
      " PERFIL  ESTRATO  TIPO MAT   z        H        PESO \n"
      "                            (m)      (m)      t/m3\n";
  EXPECT_EQ(s.rep(),
            "\n\n        PROPIEDADES DEL SUELO\n\n\n"
            " en el nodo           2df=   1.000000    \n"
            " Estrato de apoyo           1\n"
            " Pv al centro de la cimentaci\xf3n=  -1.600000    \n"
            "\n" +
                heading +
                "    1       1    ARCILLA    1.00    2.00      1.6000\n"
                "    PROPIEDADES CASO 1\n"
                "           E        NU    slab\n"
                "          t/m2      \n"
                "          400.00    0.35   10.00\n"
                "    PROPIEDADES CASO 2\n"
                "                  E       NU    slab  KO       K       N     A\n"
                "          t/m2      \n"
                "          500.00    0.35   10.00    0.50  100.00    0.50    1.00\n"
                "    PROPIEDADES CASO 3\n"
                "          Emv       Ap       T \n"
                "          m2/t      \n"
                "          100.00    0.80    5.00\n"
                "    PROPIEDADES CASO 4\n"
                "          Emt      Acs      psi       T\n"
                "          m2/t      \n"
                "          200.00    0.90    0.10    5.00\n" +
                heading +
                "    1       2     ARENA     5.00    6.00      1.8000\n"
                "    PROPIEDADES CASO 1\n"
                "           E        NU    slab\n"
                "          t/m2      \n"
                "          800.00    0.30   15.00\n"
                "    PROPIEDADES CASO 2\n"
                "                  E       NU    slab  KO       K       N     A\n"
                "          t/m2      \n"
                "         1200.00    0.30   15.00    0.50  150.00    0.50    1.20\n"
                "    PROPIEDADES CASO 3\n"
                "          Emv       Ap       T \n"
                "          m2/t      \n"
                "          500.00    0.70    5.00\n"
                "    PROPIEDADES CASO 4\n"
                "          Emt      Acs      psi       T\n"
                "          m2/t      \n"
                "         1000.00    0.80    0.10    5.00\n"
                "\n\n"
                " PRESIONES EN PERFIL           1\n"
                " ESTRATO  PROFUNDIDAD      Pv            PhEMPUJE POR     EMPUJE \n"
                "                m         t/m2          t/m2      ESTRATO (t)  ACUMULADO (t)\n"
                // Thrusts use the depth of the bottom of the stratum: (1.6 + 7.0)/2 * 8.
                "    1         2.00         3.20         1.60         1.60         1.60\n"
                "    2         8.00        14.00         7.00        34.40        36.00\n");
  EXPECT_EQ(s.mem(),
            " PERFIL            1\n"
            " ESTRATO           1Z=   1.000000    GAMA=   1.600000    H=   2.000000    PROF=   2.000000    "
            "PZ=   1.600000    PV=   3.200000    \n"
            " ESTRATO           2Z=   5.000000    GAMA=   1.800000    H=   6.000000    PROF=   8.000000    "
            // 1.8*0.5*6 + 3.2 in single precision
            "PZ=   8.599999    PV=   14.00000    \n"
            " PRESIONES EN PERFIL           1\n"
            " ESTRATO  PROFUNDIDAD      PV       EMPUJE POR  EMPUJE \n"
            "                m         t/m2      ESTRATO (t)  ACUMULADO (t)\n"
            "    1       2.0000       3.2000       1.6000       1.6000       1.6000\n"
            "    2       8.0000      14.0000       7.0000      34.4000      36.0000\n");
}

TEST(SoilProfiles, FoundationOnAStratumBoundaryAndTheLastProfileDecide) {
  // D = 3 is the boundary between strata 2 and 3 of profile 1; profile 2 has it
  // inside its first stratum.
  Soil s(0, 0, 0, 0, 3.0f);
  s.read("2 0.0\n"
         "3\n"
         "-\n1 1 1.0 2.0\n"
         "-\n2 1 2.0 1.5\n"
         "-\n3 1 1.0 1.0\n"
         "1\n"
         "-\n1 2 5.0 1.9\n");
  const std::string rep = s.rep();
  // Both strata around the boundary report themselves; only stratum 1 of a profile names the node.
  EXPECT_NE(rep.find(" Estrato de apoyo           2\n Pv al centro de la cimentaci\xf3n=  -5.000000    \n"),
            std::string::npos);
  EXPECT_NE(rep.find(" Estrato de apoyo           3\n Pv al centro de la cimentaci\xf3n=  -5.000000    \n"),
            std::string::npos);
  EXPECT_NE(rep.find(" en el nodo           2df=   3.000000    \n Estrato de apoyo           1\n"
                     " Pv al centro de la cimentaci\xf3n=  -5.700000    \n"),
            std::string::npos);
  EXPECT_FLOAT_EQ(s.m.PvCentro, -5.7f);
  // Profile 1 after its own strata: -PV(2) - (3 - PROF(2))*GAMA(3).
  EXPECT_FLOAT_EQ(s.m.PV(1, 2), 5.0f);
}

TEST(SoilProfiles, FoundationAtGroundLevelGivesNegativeZero) {
  Soil s(0, 0, 1, 0, 0.0f);
  s.read("1 0.0\n1\n-\n1 2 2.0 1.6\n100.0 0.8 2.0\n");
  EXPECT_EQ(s.m.PvCentro, 0.0f);
  EXPECT_TRUE(std::signbit(s.m.PvCentro));
  EXPECT_NE(s.rep().find(" Pv al centro de la cimentaci\xf3n=  -0.000000    \n"), std::string::npos);
}

TEST(SoilProfiles, WithoutCompressionsThereIsNoEarthPressure) {
  Soil s(1, 0, 0, 0, 9.0f);
  s.read("1 0.0\n2\n-\n1 2 2.0 1.6\n400. 0.35 5.\n-\n2 2 3.0 1.7\n800. 0.4 8.\n");
  const std::string rep = s.rep();
  EXPECT_NE(rep.find("    1         2.00         3.20         0.00         0.00         0.00\n"
                     "    2         5.00         8.30         0.00         0.00         0.00\n"),
            std::string::npos);
  // D lies below every profile: no stratum of support.
  EXPECT_EQ(rep.find("Estrato de apoyo"), std::string::npos);
  EXPECT_EQ(s.m.PvCentro, 0.0f);
  EXPECT_FALSE(std::signbit(s.m.PvCentro));
}

TEST(SoilProfiles, CountsBeyondTheMemoryOrNegativeAreRejected) {
  auto message = [](const std::string& text, int perfil) {
    Soil s(0, 0, 0, 0, 1.0f);
    s.m.PERFIL(3) = perfil;
    try {
      s.read(text);
    } catch (const Fatal& e) {
      EXPECT_EQ(e.status, status::BAD_DATA);
      return e.message;
    }
    return std::string("aceptado");
  };
  EXPECT_NE(message("-1 0.0\n", 1).find("NPS (n\xfamero de perfiles): se ley\xf3 -1;"), std::string::npos);
  EXPECT_NE(message("1 0.0\n2000000000\n", 1)
                .find("l\xednea 2, NEST (n\xfamero de estratos del perfil 1): el an\xe1lisis necesita unos "),
            std::string::npos);
  EXPECT_NE(message("1 0.0\n-2\n", 1).find("NEST (n\xfamero de estratos del perfil 1): se ley\xf3 -2;"),
            std::string::npos);
  EXPECT_EQ(message("1 0.0\n0\n", 2),
            "Error en el archivo de datos \"datos.txt\": PERFIL del nodo 3: se ley\xf3 2; debe estar entre 0 y 1 "
            "(NPS, n\xfamero de perfiles le\xed" "dos)");
  EXPECT_EQ(message("1 0.0\n0\n", 1), "aceptado");
}
