// Reading and echo of the slabs, the control block and the diagram axes.
#include <gtest/gtest.h>

#include <string>

#include "driver/input.hpp"
#include "../toolkit/input_files.hpp"

using namespace korvant;
using namespace korvant::testing;

namespace {

// Six nodes on a 2 x 3 grid; node 6 has no soil profile. Five bars.
Model grid() {
  Model m;
  m.NN = 6;
  m.NGL = 36;
  m.PERFIL.size_to(6, 1);
  m.PERFIL(6) = 0;
  m.COORD.size_to(6, 3);
  for (int n = 1; n <= 6; ++n) {
    m.COORD(n, 1) = 5.0f * static_cast<float>((n - 1) % 3);
    m.COORD(n, 2) = n > 3 ? 6.0f : 0.0f;
  }
  m.NB = 5;
  m.PvCentro = -1.6f;
  return m;
}

void read_slabs_of(const std::string& text, Model& m, RunFiles& io) {
  DataReader rd;
  rd.open_text("datos.txt", text);
  read_slabs(rd, m, io.f);
}

void read_axes_of(const std::string& text, Model& m, RunFiles& io) {
  DataReader rd;
  rd.open_text("datos.txt", text);
  read_axes(rd, m, io.f);
}

}  // namespace

TEST(InputSlabs, PressureOnlyOnSlabsWhollyOnSoilEchoAndMesh) {
  Model m = grid();
  RunFiles io;
  read_slabs_of(
      "2\nLOSA NI NJ NK NL H MATERIAL CVMAX CVMED CVINST CMUERTA\n"
      "1 1 2 5 4 0.15 CONCRETO 0.5 0.3 0.2 0.1\n"
      "2 2 3 6 5 0.15 'LOSA 2' 0.25,,0.18 0.5\n",
      m, io);
  EXPECT_EQ(m.CARGASLOSA(1, 6), -1.6f);
  EXPECT_EQ(m.CARGASLOSA(2, 6), 0.0f);  // corner 6 has no profile
  EXPECT_EQ(m.CARGASLOSA(2, 2), 0.0f);  // null value
  EXPECT_EQ(m.Mat(2), "LOSA 2" + std::string(14, ' '));
  const std::string b12(12, ' ');
  EXPECT_EQ(io.rep(),
            "\n"
            "              LECTURA DE NODOS QUE CONFORMAN CADA LOSA\n"
            "    LOSA   NI    NJ   NK    NL       h" + b12 + "   Mat  " + b12 +
                "CVMáx     CVMed     CVInst   CMUERTA    Pprop     PV\n"
                "     1     1     2     5     4     0.150     CONCRETO" + b12 +
                "     0.500     0.300     0.200     0.100     0.000    -1.600\n"
                "     2     2     3     6     5     0.150     LOSA 2" + b12 + "  " +
                "     0.250     0.000     0.180     0.500     0.000     0.000\n");
  EXPECT_EQ(io.msh(),
            "MESH dimension 3 ElemType Quadrilateral Nnode 4\n"
            "  \n"
            "Elements\n"
            "     1     1     2     5     4     3\n"
            "     2     2     3     6     5     3\n"
            "end elements\n"
            "  \n");
}

TEST(InputSlabs, NoSlabsWriteNothingButTheControlBlockFollows) {
  Model m = grid();
  m.NZAP = 1;
  m.NMAT = 2;
  m.NPS = 3;
  m.KANAL = 2;
  m.CASO[2] = 1;
  m.CASO[3] = 1;
  m.CASO[4] = 5;
  RunFiles io;
  DataReader rd;
  rd.open_text("datos.txt", "0\nLOSA NI NJ NK NL\nEJES\n");
  read_slabs(rd, m, io.f);
  write_control_block(m, io.f);
  EXPECT_EQ(io.msh(), "");
  EXPECT_EQ(io.rep(),
            "NN    NUMERO DE NODOS              =         6\n"
            "NB    NUMERO DE BARRAS             =         5\n"
            "NLOS  NUMERO DE LOSAS              =         0\n"
            "NZAP  NUMERO DE ZAPATAS AISLADAS   =         1\n"
            "NMAT  NO. DE MATERIALES (P/BARRAS) =         2\n"
            "NPS   NO. DE PERFILES DISPONIBLES  =         3\n"
            "KANAL  TIPO DE ANALISIS            =         2\n"
            "CASO(1)  ANALISIS POR EXPANSIÓN    =         0\n"
            "CASO(2)  ANALISIS POR COMPRESIÓN   =         1\n"
            "CASO(3)  CONSOLIDACIÓN PRIMARIA    =         1\n"
            "CASO(4)  CONSOLIDACIÓN SECUNDARIA  =         5\n");
  // The heading line after the count was consumed.
  EXPECT_EQ(rd.read_fixed(4, "x"), "EJES");
}

TEST(InputSlabs, BadCountsAndCornersAreRejected) {
  Model m = grid();
  RunFiles io;
  EXPECT_EQ(rejection([&] { read_slabs_of("1\nL\n1 1 2 7 4 0.15 CONCRETO 4*0\n", m, io); }),
            "Error en el archivo de datos \"datos.txt\", línea 3, NK de la losa 1: se leyó 7; debe estar entre 1 y 6 "
            "(NN)");
  Model m2 = grid();
  EXPECT_EQ(rejection([&] { read_slabs_of("-3\nL\n", m2, io); }),
            "Error en el archivo de datos \"datos.txt\", línea 1, NLOS (número de losas): se leyó -3; no puede ser "
            "negativo");
  Model m3 = grid();
  EXPECT_NE(rejection([&] { read_slabs_of("-1\nL\n", m3, io); }).find("NLOS (número de losas): se leyó -1"),
            std::string::npos);
}

TEST(InputAxes, NamesAreFixedFieldsAndBarListsWrapAtTwenty) {
  Model m = grid();
  m.NB = 30;
  RunFiles io;
  std::string bars25 = "25";
  for (int b = 1; b <= 25; ++b) bars25 += (b == 13 ? "\n" : " ") + std::to_string(b);
  read_axes_of(
      "EJES PARA DIAGRAMAS\nNEJES NDIV\n"
      "4 3\n"
      "  EJE CON SANGRIA\n"
      "2 3\n"
      "4\n"
      "EJE LONGITUDINAL NUMERO DOS\n" +
          bars25 +
          "\n"
          "EJE NEGATIVO\n"
          "-1\n"
          "'EJE A', 1 2\n"
          "1, 30\n",
      m, io);
  EXPECT_EQ(m.NEJES, 4);
  EXPECT_EQ(m.NDIV, 3);
  EXPECT_EQ(m.NOMEJE(1), "  EJE CON SANGRIA   ");
  EXPECT_EQ(m.NOMEJE(2), "EJE LONGITUDINAL NUM");
  EXPECT_EQ(m.NOMEJE(4), "'EJE A', 1 2        ");
  EXPECT_EQ(m.NBEJE(1), 2);
  EXPECT_EQ(m.BAREJE(1, 2), 4);
  EXPECT_EQ(m.BAREJE(2, 25), 25);
  EXPECT_EQ(m.NBEJE(3), -1);
  EXPECT_EQ(m.BAREJE(4, 1), 30);
  EXPECT_EQ(m.BAREJE.entries(), 28u);  // the bars listed, not 4 axes x 25
  std::string l20 = "   25";
  for (int b = 1; b <= 19; ++b) l20 += (b < 10 ? "    " : "   ") + std::to_string(b);
  EXPECT_EQ(io.rep(),
            " No. DE EJES PARA ELEMENTOS MECÁNICOS:           4\n"
            "  EJE CON SANGRIA   \n"
            "    2    3    4\n"
            "EJE LONGITUDINAL NUM\n" +
                l20 +
                "\n"
                "   20   21   22   23   24   25\n"
                "EJE NEGATIVO        \n"
                "   -1\n"
                "'EJE A', 1 2        \n"
                "    1   30\n");
}

TEST(InputAxes, BadCountsDivisionsAndBarsAreRejected) {
  const std::string head = "E\nN\n";
  auto error = [&](const std::string& rest) {
    Model m = grid();
    RunFiles io;
    return rejection([&] { read_axes_of(head + rest, m, io); });
  };
  EXPECT_EQ(error("1 0\nEJE 1\n1 1\n"),
            "Error en el archivo de datos \"datos.txt\", línea 3, NDIV (divisiones por barra): se leyó 0; debe ser al "
            "menos 1");
  EXPECT_EQ(error("-1 4\n"),
            "Error en el archivo de datos \"datos.txt\", línea 3, NEJES (número de ejes): se leyó -1; no puede ser "
            "negativo");
  // More axes than the file has lines; an axis longer than the bars there are.
  EXPECT_NE(error("100000 4\nEJE 1\n1 1\n").find("línea 3, NEJES (número de ejes): NEJES = 100000, pero al archivo le quedan"),
            std::string::npos);
  EXPECT_EQ(error("1 4\nEJE 1\n2000000000\n"),
            "Error en el archivo de datos \"datos.txt\", línea 5, NBEJE (número de barras del eje 1): se leyó 2000000000; "
            "un eje no puede tener más barras que las 5 del modelo (NB)");
  EXPECT_EQ(error("2 4\nEJE 1\n1 1\nEJE 2\n2 5\n6\n"),
            "Error en el archivo de datos \"datos.txt\", línea 8, barra del eje 2: se leyó 6; debe estar entre 1 y 5 "
            "(NB)");
  EXPECT_NE(error("1 4\nEJE 1\n1 0\n").find("barra del eje 1: se leyó 0"), std::string::npos);

  // Without axes the number of divisions does not matter.
  Model m = grid();
  RunFiles io;
  read_axes_of(head + "0 0\n", m, io);
  EXPECT_EQ(io.rep(), " No. DE EJES PARA ELEMENTOS MECÁNICOS:           0\n");
}
