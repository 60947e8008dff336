// The analysis cases of whole runs: the program is run on small data files in
// a scratch folder, and its console, report and GiD results file are checked.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

using korvant::testing::Scratch;
using korvant::testing::split_lines;

struct RunOutput {
  int status = -1;
  std::string console, err, report, res;
};

RunOutput run_program(const std::string& datos) {
  Scratch d;
  d.write("datos.txt", datos);
  RunOutput r;
  r.status = d.run("datos.txt reporte.txt");
  r.console = d.read("console.out");
  r.err = d.read("console.err");
  r.report = d.read("reporte.txt");
  r.res = d.read("arch.res");
  return r;
}

// Lines of `text` that start with one of the prefixes, in order.
std::vector<std::string> grep(const std::string& text, std::initializer_list<std::string> prefixes) {
  std::vector<std::string> out;
  for (const auto& l : split_lines(text))
    for (const auto& p : prefixes)
      if (l.compare(0, p.size(), p) == 0) {
        out.push_back(l);
        break;
      }
  return out;
}

int count(const std::string& text, const std::string& prefix) {
  return static_cast<int>(grep(text, {prefix}).size());
}

// A foundation beam of 5 m on two strata of clay with a column at its first
// end: the case property lines present are those of the cases switched on.
std::string beam(int kanal, int c1, int c2, int c3, int c4) {
  std::ostringstream s;
  s << "'VIGA DE CIMENTACION CON COLUMNA EN UN EXTREMO'\n"
       "UNIDADES\n"
       "'t' 'm' 'rad' 't/m2' 't/m3'\n"
       "KANAL CASO(1) CASO(2) CASO(3) CASO(4)\n"
    << kanal << ' ' << c1 << ' ' << c2 << ' ' << c3 << ' ' << c4 << "\n"
    << "1\nMATERIAL  PESO-VOL  MOD-ELAST  R-POISSON\nCONCRETO 2.4 2213594. 0.2\n"
    << "2\nSECCION MATERIAL BASE ALTURA\nV30X60 CONCRETO 0.3 0.6\nC40X40 CONCRETO 0.4 0.4\n"
       "3\nNODO X Y Z DX DY DZ MX MY MZ PERFIL DF\n"
       "1 0.0 0.0 0.0  1 1 0 1 0 1  1 1.0\n"
       "2 5.0 0.0 0.0  0 1 0 0 0 0  1 1.0\n"
       "3 0.0 0.0 3.0  0 0 0 0 0 0  0 0.0\n"
       "2\nBARRA SECCION PI PJ GIRO FDC CVMAX CVMED CVINST CMUERTA PV\n"
       "1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n"
       "2 C40X40 1 3 0.0 0 0.0 0.0 0.0 0.0 0.0\n"
       "0\nZAPATAS\n1\nCARGAS\n3 0.0 0.0 -10.0 0.0 0.0 0.0\n"
       "1 10.0\n2\n";
  const char* strata[2][5] = {
      {"1 2 2.0 1.6", "400. 0.35 5.", "500. 0.35 10. 0.5 100. 0.5 1.0", "0.01 0.8 2.0", "0.005 0.9 0.1 5.0"},
      {"2 2 3.0 1.8", "800. 0.30 8.", "1500. 0.30 10. 0.5 300. 0.5 2.0", "0.002 0.7 2.0", "0.001 0.8 0.1 5.0"}};
  const int on[4] = {c1, c2, c3, c4};
  for (auto& st : strata) {
    s << "ESTRATO TIPO H GAMA\n" << st[0] << "\n";
    for (int c = 0; c < 4; ++c)
      if (on[c] == 1) s << st[c + 1] << "\n";
  }
  s << "0\nLOSAS\nEJES\nEJES\n1 4\nEJE A\n1 1\n";
  return s.str();
}

// A column fixed at its foot: no soil reactions at all.
std::string column_without_soil(int kanal) {
  std::ostringstream s;
  s << "'COLUMNA EMPOTRADA'\nUNIDADES\n't' 'm' 'rad' 't/m2' 't/m3'\n"
       "KANAL CASO(1) CASO(2) CASO(3) CASO(4)\n"
    << kanal
    << " 0 1 0 0\n"
       "1\nMATERIAL  PESO-VOL  MOD-ELAST  R-POISSON\nCONCRETO 2.4 2213594. 0.2\n"
       "1\nSECCION MATERIAL BASE ALTURA\nC40X40 CONCRETO 0.4 0.4\n"
       "2\nNODO X Y Z DX DY DZ MX MY MZ PERFIL DF\n"
       "1 0.0 0.0 0.0  1 1 1 1 1 1  0 0.0\n"
       "2 0.0 0.0 3.0  0 0 0 0 0 0  0 0.0\n"
       "1\nBARRA SECCION PI PJ GIRO FDC CVMAX CVMED CVINST CMUERTA PV\n"
       "1 C40X40 1 2 0.0 0 0.0 0.0 0.0 0.0 0.0\n"
       "0\nZAPATAS\n1\nCARGAS\n2 1.0 0.0 -10.0 0.0 0.0 0.0\n"
       "1 10.0\n1\nESTRATO TIPO H GAMA\n1 2 2.0 1.6\n500. 0.35 10. 0.5 100. 0.5 1.0\n"
       "0\nLOSAS\nEJES\nEJES\n0 4\n";
  return s.str();
}

const std::string kForces = "  BARRA      ELEMENTOS     GRADO DE            MAGNITUD";

TEST(Cases, LinearRunSolvesEveryCaseInOrder) {
  const RunOutput r = run_program(beam(0, 1, 1, 1, 1));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.console,
            " ANALISIS POR EXPANSIONES\n"
            " ANALISIS POR COMPRESIONES\n"
            " ANALISIS LINEAL\n ANALISIS LINEAL\n ANALISIS LINEAL\n"
            " ANALISIS POR CONSOLIDACION PRIMARIA\n"
            " ANALISIS POR CONSOLIDACI\xd3N SECUNDARIA\n");
  const std::vector<std::string> headers = grep(r.res, {"\"GiD", "#", " Result", "Result", "  Result"});
  const std::string exp = "Result  \"desplazamientos\" \"Expansiones\"  1 vector OnNodes";
  const std::string comp = " Result  \"desplazamientos\" \"Compr.InmLin\" 1 vector OnNodes";
  EXPECT_EQ(headers, (std::vector<std::string>{
                         "\"GiD Post Results File 1.0\"", "#VIGA DE CIMENTACION CON C", exp, exp, exp, comp, comp, comp,
                         "Result  \"desplazamientos\" \"Consolid Prim\" 1 vector OnNodes",
                         " Result  \"desplazamientos\" \"Consolid Sec\" 1 vector OnNodes"}));
  // Each block: component names, values, one line per node, end, empty line.
  EXPECT_EQ(count(r.res, "ComponentNames \"X\",\"Y\",\"Z\",\"|Modulo|\""), 8);
  EXPECT_EQ(count(r.res, "end values"), 8);
  EXPECT_EQ(split_lines(r.res).size(), 2u + 8u * 8u);

  // Expansions give the modulus source before the heading, compressions after it.
  const std::string central = " Usando m\xf3" "dulos de campo calculados en el nodo central";
  const std::string each = " Usando m\xf3" "dulos de campo calculados en cada nodo";
  const std::string lab = " Usando m\xf3" "dulos de laboratorio";
  EXPECT_EQ(grep(r.report, {" ANALISIS DE", " SOLUCION", " Usando"}),
            (std::vector<std::string>{
                central, " ANALISIS DE EXPANSIONES", " SOLUCION CASO LINEAL",
                each, " ANALISIS DE EXPANSIONES", " SOLUCION CASO LINEAL",
                lab, " ANALISIS DE EXPANSIONES", " SOLUCION CASO LINEAL",
                " ANALISIS DE COMPRESIONES", " SOLUCION CASO LINEAL", central,
                " ANALISIS DE COMPRESIONES", " SOLUCION CASO LINEAL", each,
                " ANALISIS DE COMPRESIONES", " SOLUCION CASO LINEAL", lab,
                " ANALISIS DE CONSOLIDACI\xd3N PRIMARIA", " SOLUCION CASO LINEAL",
                " ANALISIS DE CONSOLIDACI\xd3N SECUNDARIA", " SOLUCION CASO LINEAL"}));
  // End forces after every solve, plus the extra copy closing the compressions.
  EXPECT_EQ(count(r.report, kForces), 3 + 3 + 1 + 1 + 1);
  EXPECT_EQ(count(r.report, " REACCIONES ESTIMADAS:"), 8);
}

TEST(Cases, NonlinearRunSolvesCompressionsAndConsolidations) {
  const RunOutput r = run_program(beam(2, 1, 1, 1, 1));
  ASSERT_EQ(r.status, 0);
  const std::vector<std::string> con = split_lines(r.console);
  ASSERT_GE(con.size(), 4u);
  EXPECT_EQ(con[0], " ANALISIS POR EXPANSIONES");
  EXPECT_EQ(con[1], " ANALISIS POR COMPRESIONES");
  EXPECT_EQ(con[2], " Iteracion:           1");
  EXPECT_EQ(con[3], " ERROR");
  EXPECT_EQ(count(r.console, " ANALISIS LINEAL"), 0);
  EXPECT_EQ(grep(r.console, {" ANALISIS POR"}).size(), 4u);
  // Every line of changes: per-cent values in E10.2, one per reaction.
  for (std::size_t i = 0; i + 1 < con.size(); ++i) {
    if (con[i] == " ERROR") {
      EXPECT_EQ(con[i + 1].size(), 20u) << con[i + 1];
    }
  }

  EXPECT_EQ(grep(r.res, {"   Result", "  Result", " Result", "Result"}),
            (std::vector<std::string>{"Result  \"desplazamientos\" \"Expansiones\"  1 vector OnNodes",
                                      "Result  \"desplazamientos\" \"Expansiones\"  1 vector OnNodes",
                                      "Result  \"desplazamientos\" \"Expansiones\"  1 vector OnNodes",
                                      "  Result \"Desplazamientos\" \"Compr.Inm NL\" 1 vector OnNodes",
                                      "  Result \"Desplazamientos\" \"Cons.Prim NL\" 1 vector OnNodes",
                                      "   Result \"Desplazamientos\" \"Cons.Sec NL\" 1 vector OnNodes"}));
  EXPECT_EQ(count(r.res, "end values"), 6);

  const std::string nl = " INTERACCION SUELO-ESTRUCTURA UTILIZANDO LAECUACION NO-LINEAL DE DEMENEGHI";
  const std::string sol = " SOLUCION CASO NO-LINEAL, ECUACION DE DEMENEGHI";
  EXPECT_EQ(grep(r.report, {" INTERACCION SUELO", " ANALISIS DE C", " SOLUCION CASO NO"}),
            (std::vector<std::string>{nl, " ANALISIS DE COMPRESIONES", sol, nl,
                                      " ANALISIS DE CONSOLIDACI\xd3N PRIMARIA", sol, nl,
                                      " ANALISIS DE CONSOLIDACI\xd3N SECUNDARIA", sol}));
  EXPECT_EQ(count(r.report, " REACCIONES, t/m"), 3);
  EXPECT_EQ(count(r.report, kForces), 3 + 1 + 1 + 1 + 1);
}

TEST(Cases, IterativeRunRepeatsTheSolveUntilTheReactionsSettle) {
  const RunOutput r = run_program(beam(1, 0, 1, 1, 0));
  ASSERT_EQ(r.status, 0);
  // Primary consolidation is announced but not solved.
  EXPECT_EQ(r.console, " ANALISIS POR COMPRESIONES\n ANALISIS POR CONSOLIDACION PRIMARIA\n");
  EXPECT_EQ(count(r.report, " ANALISIS DE CONSOLIDACI"), 0);
  EXPECT_EQ(grep(r.report, {" ANALISIS DE", " SOLUCION"}),
            (std::vector<std::string>{" ANALISIS DE COMPRESIONES", " SOLUCION CASO LINEAL, JAMBU"}));
  EXPECT_EQ(count(r.report, " REACCION UNIFORME"), 1);
  EXPECT_EQ(count(r.report, "#REACCION, VALOR DE LA REACCION"), 1);
  EXPECT_EQ(count(r.report, "#REACCION, HUNDIMIENTO DEBIDO A LA REACCION"), 1);
  // One numbered GiD step per pass, one "ITERACION No" between passes.
  const auto headers = grep(r.res, {" Result"});
  const int passes = static_cast<int>(headers.size());
  ASSERT_GE(passes, 2);
  for (int k = 1; k <= passes; ++k) {
    std::string n = std::to_string(k);
    EXPECT_EQ(headers[static_cast<std::size_t>(k - 1)],
              " Result  \"desplazamientos\" \"Compr.Iterat\"" + std::string(4 - n.size(), ' ') + n + " vector OnNodes");
  }
  const auto iter = grep(r.report, {" ITERACION No"});
  ASSERT_EQ(static_cast<int>(iter.size()), passes - 1);
  EXPECT_EQ(iter[0], " ITERACION No           1");
  EXPECT_EQ(count(r.report, " PUNTO NODAL  ESTRATO  CARGA       E(t/m2)"), passes);
  EXPECT_EQ(count(r.report, " REACCION  "), 2 * passes);
  // Only the final end forces of the case.
  EXPECT_EQ(count(r.report, kForces), 1);
}

TEST(Cases, IterativeRunWithoutReactionsEndsAfterOnePass) {
  const RunOutput r = run_program(column_without_soil(1));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(grep(r.res, {" Result"}),
            (std::vector<std::string>{" Result  \"desplazamientos\" \"Compr.Iterat\"   1 vector OnNodes"}));
  EXPECT_EQ(count(r.report, " ITERACION No"), 0);
  EXPECT_EQ(count(r.report, " REACCION  "), 0);
}

TEST(Cases, IterativeRunStopsAtTheCap) {
  // A stiff beam on three supports whose moduli swing with the reactions.
  const std::string datos =
      "'VIGA RIGIDA SOBRE TRES APOYOS'\nUNIDADES\n't' 'm' 'rad' 't/m2' 't/m3'\n"
      "KANAL CASO(1) CASO(2) CASO(3) CASO(4)\n1 0 1 0 0\n"
      "1\nMATERIAL  PESO-VOL  MOD-ELAST  R-POISSON\nCONCRETO 2.4 2213594. 0.2\n"
      "1\nSECCION MATERIAL BASE ALTURA\nV100X300 CONCRETO 1.0 3.0\n"
      "3\nNODO X Y Z DX DY DZ MX MY MZ PERFIL DF\n"
      "1 0.0 0.0 0.0  1 1 0 1 0 1  1 1.0\n2 5.0 0.0 0.0  0 1 0 1 0 0  1 1.0\n3 10.0 0.0 0.0  0 1 0 1 0 0  1 1.0\n"
      "2\nBARRA SECCION PI PJ GIRO FDC CVMAX CVMED CVINST CMUERTA PV\n"
      "1 V100X300 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n2 V100X300 2 3 0.0 0 1.0 0.5 0.2 2.0 0.0\n"
      "0\nZAPATAS\n0\nCARGAS\n1 10.0\n1\nESTRATO TIPO H GAMA\n1 2 4.0 0.0\n500. 0.35 10. 0.5 1. -0.95 1.0\n"
      "0\nLOSAS\nEJES\nEJES\n1 4\nEJE A\n2 1 2\n";
  const RunOutput r = run_program(datos);
  ASSERT_EQ(r.status, 0);
  const std::string msg = " ANALISIS ITERATIVO SIN CONVERGENCIA DESPUES DE 100 PASADAS";
  EXPECT_EQ(r.console, " ANALISIS POR COMPRESIONES\n" + msg + "\n");
  EXPECT_EQ(count(r.res, " Result"), 100);
  EXPECT_EQ(count(r.report, " ITERACION No"), 99);
  EXPECT_EQ(count(r.report, msg), 1);
  // The message closes the passes; the final end forces follow.
  const auto tail = grep(r.report, {" ITERACION No          99", msg, kForces});
  EXPECT_EQ(tail, (std::vector<std::string>{" ITERACION No          99", msg, kForces}));
}

TEST(Cases, NoCaseSwitchedOnWritesOnlyTheResultsHead) {
  const RunOutput r = run_program(beam(0, 0, 2, 0, -1));
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "");
  EXPECT_EQ(r.res, "\"GiD Post Results File 1.0\"\n#VIGA DE CIMENTACION CON C\n");
  EXPECT_EQ(count(r.report, kForces), 0);
}

TEST(Cases, SingularSystemEndsTheRunWithStatus3) {
  // A frame of no stiffness: sections whose second moments underflow to zero.
  std::string datos = beam(0, 0, 1, 0, 0);
  for (const std::string s : {"0.3 0.6", "0.4 0.4"}) datos.replace(datos.find(s), s.size(), "1e-20 1e-20");
  const RunOutput r = run_program(datos);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.console, " ANALISIS POR COMPRESIONES\n ANALISIS LINEAL\n singular matrix in gaussj\n");
  // Everything written before the solve is in the files.
  const auto lines = split_lines(r.report);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), " Usando m\xf3" "dulos de campo calculados en el nodo central");
  EXPECT_EQ(r.res, "\"GiD Post Results File 1.0\"\n#VIGA DE CIMENTACION CON C\n"
                   " Result  \"desplazamientos\" \"Compr.InmLin\" 1 vector OnNodes\n");
}

TEST(Cases, SolutionThatIsNotANumberEndsTheRunWithStatus3) {
  // An expansion load whose end forces overflow (3E38 t/m over 5 m) loads the
  // foundation node 1 without limit: its settlement cannot be a number. The
  // solve's own lines are written, then one message and no end forces.
  std::string datos = beam(0, 1, 0, 0, 0);
  const std::string bar = "1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n";
  ASSERT_NE(datos.find(bar), std::string::npos);
  datos.replace(datos.find(bar), bar.size(), "1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 3.0E38\n");
  const RunOutput r = run_program(datos);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.console, " ANALISIS POR EXPANSIONES\n");
  EXPECT_EQ(split_lines(r.err).back(),
            "el an\xe1lisis de expansiones (m\xf3" "dulos de campo en el nodo central) dio valores que no son "
            "n\xfameros en el nodo 1; revise los datos");
  EXPECT_EQ(count(r.report, " REACCIONES ESTIMADAS:"), 1);
  EXPECT_EQ(count(r.report, kForces), 0);
  EXPECT_EQ(count(r.res, "end values"), 1);
}

}  // namespace

TEST(Cases, RunEndedByALaterCaseKeepsThePageOfThePassesItSolved) {
  // Expansions solve (their load is PV alone); the compressions' live load
  // overflows, so their first solve is not a number and ends the run. The
  // summary and the page, written once at the end, hold the three passes of
  // the expansions and none of the compressions; the pictures of the
  // compressions of an earlier run under this report are gone with it.
  std::string datos = beam(0, 1, 1, 0, 0);
  Scratch d;
  d.write("datos.txt", datos);
  ASSERT_EQ(d.run("--svg datos.txt reporte.txt"), 0);
  ASSERT_TRUE(std::filesystem::exists(d.path("reporte_caso2_laboratorio.svg")));
  const std::string bar = "1 V30X60 1 2 0.0 0 1.0 0.5 0.2 2.0 0.0\n";
  datos.replace(datos.find(bar), bar.size(), "1 V30X60 1 2 0.0 0 3.0E38 0.5 0.2 2.0 0.0\n");
  d.write("datos.txt", datos);
  ASSERT_EQ(d.run("--resumen --html --svg datos.txt reporte.txt"), 3);
  EXPECT_TRUE(std::filesystem::exists(d.path("reporte_caso1_laboratorio.svg")));
  EXPECT_FALSE(std::filesystem::exists(d.path("reporte_caso2_laboratorio.svg")));
  for (const char* file : {"reporte.html", "reporte_resumen.txt"}) {
    const std::string text = d.read(file);
    for (const char* pass : {"caso1_campo-centro", "caso1_campo-nodo", "caso1_laboratorio"})
      EXPECT_NE(text.find(pass), std::string::npos) << file << ": " << pass;
    EXPECT_EQ(text.find("caso2_"), std::string::npos) << file;
  }
}
