// Reading and echo of the head, materials, sections, nodes, bars, footings and
// concentrated loads, with the numbering in between, on small data files.
#include <gtest/gtest.h>

#include <string>

#include "driver/input.hpp"
#include "../toolkit/input_files.hpp"
#include "model/preprocess.hpp"

using namespace korvant;
using namespace korvant::testing;

namespace {

// A beam on soil from node 1 to node 2 with a column from node 1 up to node 3.
struct Data {
  std::string head =
      "'VIGA CON COLUMNA'\n"
      "UNIDADES\n"
      "'t' 'm' 'rad' 't/m2' 't/m3'\n"
      "KANAL CASO(1) CASO(2) CASO(3) CASO(4)\n"
      "0 0 1 0 0\n";
  std::string materials =
      "1\n"
      "MATERIAL PESO-VOL MOD-ELAST R-POISSON\n"
      "CONCRETO 2.4 2213594. 0.2\n"
      "2\n"
      "SECCION MATERIAL BASE ALTURA\n"
      "V30X60 CONCRETO 0.3 0.6\n"
      "C40X40 CONCRETO 0.4 0.4\n";
  std::string nodes =
      "3\n"
      "NODO X Y Z DX DY DZ MX MY MZ PERFIL DF\n"
      "1 0.0 0.0 0.0  1 1 0 1 0 1  1 1.0\n"
      "2 5.0 0.0 0.0  0 1 0 0 0 0  1 1.0\n"
      "3 0.0 0.0 3.0  0 0 0 0 0 0  0 0.0\n";
  std::string bars =
      "2\n"
      "BARRA SECCION PI PJ GIRO FDC CVMAX CVMED CVINST CMUERTA PV\n"
      "1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n"
      "2 C40X40 1 3 0.0 0 0.0 0.0 0.0 0.0 0.0\n";
  std::string footings = "0\nZAPATAS\n";
  std::string loads =
      "1\n"
      "CARGAS\n"
      "3 0.0 0.0 -10.0 0.0 0.0 0.0\n";
  std::string text() const { return head + materials + nodes + bars + footings + loads; }
};

// Reads the data up to the concentrated loads, as a run does.
void read_frame(const std::string& text, Model& m, RunFiles& io) {
  DataReader rd;
  rd.open_text("datos.txt", text);
  read_head(rd, m, io.f);
  read_materials_sections(rd, m, io.f);
  read_nodes(rd, m, io.f);
  read_bars(rd, m, io.f);
  read_footings(rd, m, io.f);
  number_dofs(m, io.f.log);
  read_loads(rd, m, io.f);
}

std::string rejection_of(const std::string& text) {
  Model m;
  RunFiles io;
  return rejection([&] { read_frame(text, m, io); });
}

}  // namespace

// The whole echo of a small model, line by line from the layouts.
TEST(InputFrame, ReportMeshAndConsoleEcho) {
  Model m;
  RunFiles io;
  read_frame(Data().text(), m, io);

  const std::string blank50(50, ' ');
  std::string title = " VIGA CON COLUMNA" + std::string(50 - 16, ' ');
  std::string expected =
      title + "\n"
      "\n"
      " UNIDADES\n"
      "t     m     rad   t/m2  t/m3\n"
      "\n"
      " ANALISIS LINEAL SIN CONFINAMIENTO\n"
      "\n"
      " MATERIALES\n"
      "       MATERIAL            PESO VOL      MOD ELAST      R POISSON\n"
      "                              t/m3          t/m2\n"
      "CONCRETO                       2.40     2213594.00      0.20\n"
      "\n"
      " SECCIONES\n"
      "   SECCIÓN         MATERIAL                   BASE    ALTURA           ÁREA             Iy             Iz"
      "           IRot\n"
      "                                                 m       m           m 2          m 4          m 4          m 4\n"
      // 0.3f*0.6f rounds to 0.18000001 in single precision.
      "V30X60              CONCRETO                  0.30      0.60     0.18000001     0.00540000     0.00135000"
      "     0.00675000\n"
      "C40X40              CONCRETO                  0.40      0.40     0.16000001     0.00213333     0.00213333"
      "     0.00426667\n"
      " Número de Nodos:" + i12(3) + "\n"
      " COORDENADAS DE LOS NODOS              RESTRICCIONES   PERFIL   DF\n"
      "  NODO      X         Y         Z    DX DY DZ MX MY MZ\n"
      "    1    0.0000    0.0000    0.0000  1  1  0  1  0  1    1    1.0000\n"
      "    2    5.0000    0.0000    0.0000  0  1  0  0  0  0    1    1.0000\n"
      "    3    0.0000    0.0000    3.0000  0  0  0  0  0  0    0    0.0000\n"
      "\n\n\n"
      "                         PROPIEDADES DE LAS BARRAS\n"
      "\n"
      "   No       SECCIÓN            PI   PJ     GIRO  FDC   TIPO PERF SUELO    Iy        Iz        J         CVMáx"
      "      CVMed       CVInst     CMUERTA      Pprop         PV\n"
      "    1   V30X60                  1    2     0.000    0  Cim    1    1   0.00540   0.00135   0.00675"
      "    1.000000    0.500000    0.200000    2.000000    0.000000    0.000000\n"
      "    2   C40X40                  1    3     0.000    0  Sup    1    0   0.00213   0.00213   0.00427"
      "    0.000000    0.000000    0.000000    0.000000    0.000000    0.000000\n"
      "\n"
      " Número de zapatas aisladas" + i12(0) + "\n"
      "\n\n"
      "        CARGAS CONCENTRADAS Y CARGAS DE EMPOTRAMIENTO\n"
      "\n"
      "   No      P (t)\n"
      "   15    -10.00\n";
  EXPECT_EQ(io.rep(), expected);

  EXPECT_EQ(io.msh(),
            "#VIGA CON COLUMNA              \n"
            "MESH dimension 3 ElemType Linear Nnode 2\n"
            "Coordinates\n"
            "        1      0.0000      0.0000      0.0000\n"
            "        2      5.0000      0.0000      0.0000\n"
            "        3      0.0000      0.0000      3.0000\n"
            "end coordinates\n"
            "\n"
            "\n"
            "Elements\n"
            "        1        1        2        1\n"
            "        2        1        3        2\n"
            "end elements\n"
            "  \n");
  EXPECT_EQ(io.err(), " No. nodos" + i12(3) + "\n");
  (void)blank50;
}

TEST(InputFrame, HeadTitleUnitsAndKanalLine) {
  // Unquoted, the title keeps its first word only; each KANAL line.
  for (int kanal : {0, 1, 2}) {
    Data d;
    d.head = "EDIFICIO DE PRUEBA\nU\nt, m, rad, t/m2, t/m3\nK\n" + std::to_string(kanal) + " 1 0 2 1\n";
    Model m;
    RunFiles io;
    read_frame(d.text(), m, io);
    EXPECT_EQ(m.TITULO, "EDIFICIO" + std::string(42, ' '));
    // Unquoted, "t/m2" is the text "t" and a slash that ends the read.
    EXPECT_EQ(m.UNIDADES[3], "rad ");
    EXPECT_EQ(m.UNIDADES[4], "t   ");
    EXPECT_EQ(m.UNIDADES[5], "    ");
    EXPECT_EQ(m.KANAL, kanal);
    EXPECT_EQ(m.CASO[1], 1);
    EXPECT_EQ(m.CASO[3], 2);
    auto l = lines_of(io.rep());
    ASSERT_GE(l.size(), 8u);
    EXPECT_EQ(l[0], " EDIFICIO" + std::string(42, ' '));
    if (kanal == 1) {
      EXPECT_EQ(l[5], " ANALISIS LINEAL ITERATIVOC/CONFINAMIENTO");
      EXPECT_EQ(l[6], "");
    } else if (kanal == 2) {
      EXPECT_EQ(l[5], " ANALISIS NO LINEAL METODO DEMENEGHI");
    } else {
      EXPECT_EQ(l[5], " ANALISIS LINEAL SIN CONFINAMIENTO");
      EXPECT_EQ(l[7], " MATERIALES");
    }
  }
  // A title longer than 30 characters is cut in the mesh file.
  Data d;
  d.head = "'" + std::string(35, 'T') + "'\nU\nt m rad t/m2 t/m3\nK\n0 0 1 0 0\n";
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  EXPECT_EQ(lines_of(io.msh())[0], "#" + std::string(30, 'T'));
}

TEST(InputFrame, TwoSectionsWithOneNameTheBarTakesTheLaterOne) {
  Data d;
  d.materials =
      "1\nM\n\"CONCRETO DE ZAPATA\" 2.4 2213594. 0.2\n"
      "3\nS\n"
      "VIGA 'CONCRETO DE ZAPATA' 0.3 0.6\n"
      "C40X40 'CONCRETO DE ZAPATA' 0.4 0.4\n"
      "VIGA 'CONCRETO DE ZAPATA' 0.4 1.0\n";
  d.bars = "2\nB\n1 VIGA 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n2 C40X40 1 3 0.0 0 5*0.0\n";
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  auto l = lines_of(io.rep());
  bool found = false;
  for (const auto& s : l)
    if (s.rfind("    1   VIGA", 0) == 0) {
      found = true;
      // b = 0.4, h = 1.0: Iy = 0.03333334, Iz = 0.00533333, J = 0.03866667.
      EXPECT_NE(s.find("   0.03333   0.00533   0.03867"), std::string::npos) << s;
    }
  EXPECT_TRUE(found);
  EXPECT_EQ(m.MATNOM(1), "CONCRETO DE ZAPATA  ");
}

TEST(InputFrame, NodeLineSplitOverTwoLinesAndNullValues) {
  Data d;
  d.nodes =
      "4\nN\n"
      "1 0.0 0.0 0.0  1 1 0 1 0 1  1 1.0\n"
      "2 5.0 0.0 0.0  0 1 0\n"
      "   0 0 0  1 1.0\n"
      "3 0.0 0.0 3.0  6*0  0 0.0 valores que sobran\n"
      ", 5.0,, 3.0, 2*1 /\n";
  d.bars = "3\nB\n1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n2 C40X40 1 3 0.0 0 5*0.0\n3 C40X40 2 4 0.0 0 5*0.0\n";
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  EXPECT_EQ(m.NN, 4);
  EXPECT_EQ(m.NGL, 24);
  EXPECT_EQ(m.COORD(2, 1), 5.0f);
  EXPECT_EQ(m.PERFIL(2), 1);
  EXPECT_EQ(m.DF(2), 1.0f);
  EXPECT_EQ(m.COORD(3, 3), 3.0f);
  // Node 4: the typed number is null (keeps 3 from the line before), Y null,
  // the slash leaves the last four codes, PERFIL and DF at 0.
  EXPECT_EQ(m.COORD(4, 1), 5.0f);
  EXPECT_EQ(m.COORD(4, 2), 0.0f);
  EXPECT_EQ(m.PERFIL(4), 0);
  auto l = lines_of(io.rep());
  bool found = false;
  for (const auto& s : l)
    if (s == "    3    5.0000    0.0000    3.0000  1  1  0  0  0  0    0    0.0000") found = true;
  EXPECT_TRUE(found);
  // Node lines end on lines 15, 17, 18 and 19 of the data file.
  EXPECT_EQ(m.LINNODO(1), 15);
  EXPECT_EQ(m.LINNODO(2), 17);
  EXPECT_EQ(m.LINNODO(4), 19);
}

TEST(InputFrame, BarsClassificationProfilesAndDegreesOfFreedomWithBars) {
  Data d;
  d.nodes =
      "5\nN\n"
      "1 0.0 0.0 0.0  1 1 0 1 0 1  1 1.0\n"
      "2 5.0 0.0 0.0  0 1 0 0 0 0  2 1.0\n"
      "3 0.0 0.0 3.0  0 0 0 0 0 0  0 0.0\n"
      "4 9.0 9.0 0.0  0 0 0 0 0 0  1 1.0\n"
      "5 5.0 4.0 0.0  0 0 0 0 0 0  1 1.0\n";
  d.bars = "2\nB\n1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n2 C40X40 1 3 0.0 0 5*0.0\n";
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  EXPECT_EQ(m.TIPO(1), 1);
  EXPECT_EQ(m.TIPO(2), 0);
  // PERFCIM: the profile of bar ends only; node 3 is an end without profile,
  // nodes 4 and 5 are no bar ends.
  EXPECT_EQ(m.PERFCIM(1), 1);
  EXPECT_EQ(m.PERFCIM(2), 2);
  EXPECT_EQ(m.PERFCIM(3), 0);
  EXPECT_EQ(m.PERFCIM(4), 0);
  ASSERT_EQ(m.SINBARRA.size(), 30);
  for (int g = 1; g <= 18; ++g) EXPECT_EQ(m.SINBARRA(g), 0) << g;
  for (int g = 19; g <= 30; ++g) EXPECT_EQ(m.SINBARRA(g), 1) << g;
  EXPECT_EQ(m.CARGASBARRA(1, 4), 2.0f);
  EXPECT_EQ(m.CARGASBARRA(1, 5), 0.0f);  // Pprop is not read

  std::string mem = io.mem();
  std::string bar1 = " " + i12(1) + "V30X60              " + i12(1) + i12(2) + "   0.000000    " + i12(0) +
                     "   1.000000    " + "  0.5000000    " + "  0.2000000    " + "   2.000000    " +
                     "   0.000000    ";
  EXPECT_EQ(mem.rfind(" LECTURA DE BARRAS\n" + bar1 + "\n para el nodo " + i12(1) + "ngn= " + i12(0) +
                          "\n para el nodo " + i12(2) + "ngn= " + i12(6) + "\n",
                      0),
            0u)
      << mem.substr(0, 400);
}

TEST(InputFrame, ManyNodesMarkEveryDegreeOfFreedom) {
  // 500 nodes: 3000 degrees of freedom, beyond 2500; the last node's bar marks
  // its six degrees of freedom.
  Data d;
  d.nodes = "500\nN\n";
  for (int n = 1; n <= 500; ++n) d.nodes += std::to_string(n) + " " + std::to_string(n) + ".0 0 0 6*0 0 0.0\n";
  d.bars = "2\nB\n1 V30X60 1 2 0.0 0 5*0\n2 V30X60 499 500 0.0 0 5*0\n";
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  ASSERT_EQ(m.SINBARRA.size(), 3000);
  EXPECT_EQ(m.SINBARRA(3000), 0);
  EXPECT_EQ(m.SINBARRA(2989), 0);
  EXPECT_EQ(m.SINBARRA(2988), 1);
  EXPECT_EQ(m.RESTR(250, 1), 1);  // no bar: fully restrained
  EXPECT_EQ(m.RESTR(500, 1), 0);
}

TEST(InputFrame, FootingsFillProfilesAndZeroFootingsKeepTheHeadingOut) {
  Data d;
  d.footings = "2\nZAPATAS\n1 1.5 2.0 0.4 2\n2 1.0 1.0 0.3 1\n";
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  EXPECT_EQ(m.NODZAP(2), 1);
  EXPECT_EQ(m.ANCHO(1), 1.5f);
  EXPECT_EQ(m.ESPESOR(2), 0.3f);
  std::string rep = io.rep();
  EXPECT_NE(rep.find("\n\n Número de zapatas aisladas" + i12(2) +
                     "\n ZAPATAS AISLADAS\n   No.    Ancho     Largo   Espesor  Nodo Perfil\n"
                     "    1     1.500     2.000     0.400    2    1\n"
                     "    2     1.000     1.000     0.300    1    1\n"),
            std::string::npos)
      << rep;

  // NZAP = 0 still consumes the heading line after the count.
  Model m0;
  RunFiles io0;
  read_frame(Data().text(), m0, io0);
  EXPECT_EQ(io0.rep().find("ZAPATAS AISLADAS"), std::string::npos);
  EXPECT_EQ(m0.NCARGAS, 1);
}

TEST(InputFrame, LoadsReplaceEarlierLinesAndRestrainedOnesStayOutOfTheReducedVector) {
  Data d;
  d.loads =
      "3\nCARGAS\n"
      "3 0.0 0.0 -10.0 0.0 0.0 0.0\n"
      "1 2.0 -1.5 -3.0 0.0 0.5 0.8\n"  // DX, DY, MX, MZ of node 1 are restrained
      "3 0.0 0.0 -4.0 1.0 /\n";        // replaces PZ and MX, keeps the rest
  Model m;
  RunFiles io;
  read_frame(d.text(), m, io);
  EXPECT_EQ(m.P(15), -4.0f);
  EXPECT_EQ(m.P(16), 1.0f);
  EXPECT_EQ(m.P(1), 2.0f);
  // Node 1: DX (g 1), DY (g 2), MX (g 4), MZ (g 6) restrained; DZ (g 3) is an
  // area reaction (equation 1), MY (g 5) free (equation 2).
  EXPECT_EQ(m.PRED(1), -3.0f);
  EXPECT_EQ(m.PRED(2), 0.5f);
  EXPECT_EQ(m.NUMGL(15), 10);
  EXPECT_EQ(m.PRED(10), -4.0f);
  EXPECT_EQ(m.PRED(11), 1.0f);
  float sum = 0.0f;
  for (int e = 1; e <= m.NGRED; ++e) sum += m.PRED(e);
  EXPECT_EQ(sum, -3.0f + 0.5f - 4.0f + 1.0f);  // 2.0, -1.5 and 0.8 never reach PRED
  std::string rep = io.rep();
  EXPECT_NE(rep.find("   No      P (t)\n"
                     "    1      2.00\n"
                     "    2     -1.50\n"
                     "    3     -3.00\n"
                     "    5      0.50\n"
                     "    6      0.80\n"
                     "   15     -4.00\n"
                     "   16      1.00\n"),
            std::string::npos)
      << rep;
}

TEST(InputFrame, CountsBeyondTheMemoryOrNegativeAreRejected) {
  // The memory available, as a user who knows better sets it.
  struct Available {
    Available() { setenv("KORVANT_MEMORIA", "64M", 1); }
    ~Available() { unsetenv("KORVANT_MEMORIA"); }
  } available;
  Data d;
  d.nodes = "1000000\nN\n";
  EXPECT_EQ(rejection_of(d.text()),
            "Error en el archivo de datos \"datos.txt\", línea 13, NN (número de nodos): el análisis necesita unos "
            "500 MB de memoria y hay 64,0 MB (la variable KORVANT_MEMORIA); reduzca el modelo o, si sabe que la máquina "
            "tiene más, dé la memoria en la variable de entorno KORVANT_MEMORIA (por ejemplo KORVANT_MEMORIA=64G)");
  d.nodes = "-1\nN\n";
  EXPECT_NE(rejection_of(d.text()).find("NN (número de nodos): se leyó -1; no puede ser negativo"), std::string::npos);

  d = Data();
  d.materials = "-1\nM\n";
  EXPECT_NE(rejection_of(d.text()).find("línea 6, NMAT (número de materiales): se leyó -1"), std::string::npos);
  d.materials = "1\nM\nCONCRETO 2.4 2213594. 0.2\n1000000\nS\n";
  EXPECT_NE(rejection_of(d.text()).find("línea 9, NSEC (número de secciones): el análisis necesita unos 165 MB"),
            std::string::npos);

  d = Data();
  d.bars = "1000000\nB\n";
  EXPECT_NE(rejection_of(d.text()).find("NB (número de barras): el análisis necesita unos 317 MB"), std::string::npos);
  d.bars = "-2\nB\n";
  EXPECT_NE(rejection_of(d.text()).find("NB (número de barras): se leyó -2"), std::string::npos);

  d = Data();
  d.footings = "-1\nZ\n";
  EXPECT_NE(rejection_of(d.text()).find("NZAP (número de zapatas aisladas): se leyó -1"), std::string::npos);
  d.footings = "0\nZ\n";
  d.loads = "-1\nC\n";
  EXPECT_NE(rejection_of(d.text()).find("NCARGAS (número de renglones de cargas): se leyó -1; no puede ser negativo"),
            std::string::npos);
}

TEST(InputFrame, ReferencesToMissingNodesSectionsAndMaterialsAreRejected) {
  Data d;
  d.bars = "2\nB\n1 V30X60 1 2 0.0 0 5*0\n2 C40X40 1 4 0.0 0 5*0\n";
  EXPECT_EQ(rejection_of(d.text()),
            "Error en el archivo de datos \"datos.txt\", línea 21, PJ de la barra 2: se leyó 4; debe estar entre 1 "
            "y 3 (NN)");
  d.bars = "1\nB\n1 V30X60 0 2 0.0 0 5*0\n";
  EXPECT_NE(rejection_of(d.text()).find("PI de la barra 1: se leyó 0"), std::string::npos);

  d.bars = "2\nB\n1 V30X60 1 2 0.0 0 5*0\n2 C40X50 1 3 0.0 0 5*0\n";
  EXPECT_EQ(rejection_of(d.text()),
            "Error en el archivo de datos \"datos.txt\", línea 21, sección de la barra 2: \"C40X50\" no es ninguna "
            "de las secciones leídas");

  d = Data();
  d.materials = "1\nM\nCONCRETO 2.4 2213594. 0.2\n1\nS\nV30X60 'CONCRETO 2' 0.3 0.6\n";
  EXPECT_EQ(rejection_of(d.text()),
            "Error en el archivo de datos \"datos.txt\", línea 11, material de la sección V30X60: \"CONCRETO 2\" no "
            "es ninguno de los materiales leídos");

  d = Data();
  d.footings = "1\nZ\n1 1.0 1.0 0.3 9\n";
  EXPECT_EQ(rejection_of(d.text()),
            "Error en el archivo de datos \"datos.txt\", línea 24, nodo de la zapata 1: se leyó 9; debe estar "
            "entre 1 y 3 (NN)");

  d = Data();
  d.loads = "2\nC\n3 0 0 -1 0 0 0\n4 0 0 -1 0 0 0\n";
  EXPECT_EQ(rejection_of(d.text()),
            "Error en el archivo de datos \"datos.txt\", línea 27, nodo de la carga 2: se leyó 4; debe estar entre 1 "
            "y 3 (NN)");
}

TEST(InputFrame, BarsTypedInAnOrderTheGeometryCannotHandleAreAllNamed) {
  Data d;
  d.nodes =
      "7\nN\n"
      "1 0.0 0.0 0.0  1 1 0 1 0 1  1 1.0\n"
      "2 5.0 0.0 0.0  0 1 0 0 0 0  1 1.0\n"
      "3 0.0 4.0 0.0  0 0 0 0 0 0  1 1.0\n"
      "4 0.0 0.0 3.0  0 0 0 0 0 0  0 0.0\n"
      "5 5.0 4.0 3.0  0 0 0 0 0 0  0 0.0\n"
      "6 5.0 0.0 3.0  0 0 0 0 0 0  0 0.0\n"
      "7 0.0 4.0 3.0  0 0 0 0 0 0  0 0.0\n";
  // Usual orientation: foundation beams along +X and +Y, columns bottom to top,
  // a beam along +Y and an inclined one in a vertical plane parallel to XZ.
  d.bars =
      "6\nB\n"
      "1 V30X60 1 2 0.0 0 5*0\n"
      "2 V30X60 1 3 0.0 0 5*0\n"
      "3 C40X40 1 4 0.0 0 5*0\n"
      "4 C40X40 2 6 0.0 0 5*0\n"
      "5 C40X40 6 5 0.0 0 5*0\n"
      "6 C40X40 4 6 0.0 0 5*0\n";
  {
    Model m;
    RunFiles io;
    read_frame(d.text(), m, io);
    EXPECT_EQ(m.NB, 6);
  }
  // Each kind of fault once, plus a sound bar between them.
  d.bars =
      "7\nB\n"
      "1 V30X60 2 1 0.0 0 5*0\n"   // foundation beam along -X
      "2 V30X60 3 1 0.0 0 5*0\n"   // foundation beam along -Y
      "3 C40X40 4 1 0.0 0 5*0\n"   // column from top to bottom
      "4 C40X40 2 6 0.0 0 5*0\n"   // sound
      "5 V30X60 1 5 0.0 0 5*0\n"   // leaves node 1 diagonally upwards: sound
      "6 V30X60 2 3 0.0 0 5*0\n"   // foundation beam oblique in plan
      "7 C40X40 5 7 0.0 0 5*0\n";  // beam along -X
  std::string msg = rejection_of(d.text());
  auto l = lines_of(msg);
  ASSERT_EQ(l.size(), 5u) << msg;
  EXPECT_EQ(l[0],
            "Error en el archivo de datos \"datos.txt\", línea 24, barra 1 (PI 2, PJ 1): barra orientada hacia -Y (o "
            "a lo largo de -X); intercambie PI y PJ");
  EXPECT_EQ(l[1].rfind("Error en el archivo de datos \"datos.txt\", línea 25, barra 2 (PI 3, PJ 1): ", 0), 0u);
  EXPECT_NE(l[1].find("intercambie PI y PJ"), std::string::npos);
  EXPECT_EQ(l[2],
            "Error en el archivo de datos \"datos.txt\", línea 26, barra 3 (PI 4, PJ 1): barra vertical definida de "
            "arriba hacia abajo; intercambie PI y PJ");
  EXPECT_NE(l[3].find("línea 29, barra 6 (PI 2, PJ 3): barra de cimentación"), std::string::npos);
  EXPECT_NE(l[4].find("línea 30, barra 7 (PI 5, PJ 7): barra orientada hacia -Y"), std::string::npos);

  // Both ends at one point.
  d.bars = "1\nB\n1 C40X40 4 4 0.0 0 5*0\n";
  EXPECT_NE(rejection_of(d.text()).find("barra 1 (PI 4, PJ 4): sus dos extremos PI y PJ están en el mismo punto"),
            std::string::npos);
}
