// Bad data files and failing output files, run through the whole program: each
// data file is the example building with one line changed, and each run must
// end with its one message on the console and its exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

using namespace korvant::testing;

std::vector<std::string> example_lines() {
  std::vector<std::string> v;
  std::istringstream in(slurp(fs::path(KORVANT_SOURCE_DIR) / "examples" / "edificio.txt"));
  std::string line;
  while (std::getline(in, line)) v.push_back(line);
  return v;
}

// The example with line n (from 1) replaced by `text`.
std::string edited(int n, const std::string& text) {
  std::vector<std::string> v = example_lines();
  v.at(static_cast<std::size_t>(n - 1)) = text;
  std::string s;
  for (const auto& l : v) s += l + "\n";
  return s;
}

// One run of the program in a folder of its own, removed with the last copy
// of the outcome, whatever the test's end.
struct Outcome {
  int status = -1;
  std::string out, err;
  std::shared_ptr<Scratch> scratch;
  fs::path dir;
};

// Runs the program in a scratch folder on `datos` (written as datos.txt unless
// empty) with the given command-line arguments, the output of the shell
// command `feed` (when given) on its standard input, and the environment
// settings `env` ("NAME=value").
Outcome run_in_scratch(const std::string& datos, const std::string& args, const std::string& feed = "",
                       const std::string& env = "LC_ALL=C") {
  Outcome r;
  r.scratch = std::make_shared<Scratch>();
  r.dir = r.scratch->dir;
  if (!datos.empty()) r.scratch->write("datos.txt", datos);
  r.status = feed.empty() ? r.scratch->run(args, "", env) : r.scratch->run_fed(feed, args, env);
  r.out = r.scratch->read("console.out");
  r.err = r.scratch->read("console.err");
  return r;
}

// The names in a folder, sorted, each followed by a blank.
std::string files_in(const fs::path& dir) {
  std::vector<std::string> v;
  for (const auto& e : fs::directory_iterator(dir)) v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  std::string s;
  for (const auto& n : v) s += n + " ";
  return s;
}

// Every regular file of a folder but the console's, with its content.
std::vector<std::pair<fs::path, std::string>> outputs_in(const fs::path& dir) {
  std::vector<std::pair<fs::path, std::string>> v;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file() && e.path().filename().string().rfind("console", 0) != 0)
      v.emplace_back(e.path(), slurp(e.path()));
  std::sort(v.begin(), v.end());
  return v;
}

// The last line of the console error stream: the message that ended the run.
std::string last_line(const std::string& s) {
  std::string t = s;
  if (!t.empty() && t.back() == '\n') t.pop_back();
  const std::size_t p = t.rfind('\n');
  return p == std::string::npos ? t : t.substr(p + 1);
}

struct Bad {
  int line;
  std::string text;
  std::string message;  // after `Error en el archivo de datos "datos.txt", `
  int line2 = 0;        // a second line replaced, when the first is not enough
  std::string text2{};
};

std::string edited(const Bad& b) {
  std::string s = edited(b.line, b.text);
  if (b.line2 == 0) return s;
  std::vector<std::string> v = example_lines();
  v.at(static_cast<std::size_t>(b.line - 1)) = b.text;
  v.at(static_cast<std::size_t>(b.line2 - 1)) = b.text2;
  s.clear();
  for (const auto& l : v) s += l + "\n";
  return s;
}

const std::string kErr = "Error en el archivo de datos \"datos.txt\", ";

// Bars of fifty axes of 20 bars each (bar 1 every time), from the first axis's bar line on.
std::string fifty_axes() {
  std::string s = "20 20*1";
  for (int a = 2; a <= 50; ++a) s += "\nEJE\n20 20*1";
  return s;
}

// One row per rejection: the line of the example replaced, and the message.
const std::vector<Bad> kBad = {
    // Negative counts (a count is otherwise bounded only by memory).
    {6, "-1", "línea 6, NMAT (número de materiales): se leyó -1; no puede ser negativo"},
    {9, "-1", "línea 9, NSEC (número de secciones): se leyó -1; no puede ser negativo"},
    {14, "-834", "línea 14, NN (número de nodos): se leyó -834; no puede ser negativo"},
    {30, "-2", "línea 30, NB (número de barras): se leyó -2; no puede ser negativo"},
    {54, "-1", "línea 54, NZAP (número de zapatas aisladas): se leyó -1; no puede ser negativo"},
    {57, "-3", "línea 57, NCARGAS (número de renglones de cargas): se leyó -3; no puede ser negativo"},
    {62, "-1 10.0", "línea 62, NPS (número de perfiles): se leyó -1; no puede ser negativo"},
    {63, "-1", "línea 63, NEST (número de estratos del perfil 1): se leyó -1; no puede ser negativo"},
    {82, "-1", "línea 82, NLOS (número de losas): se leyó -1; no puede ser negativo"},
    {88, "-1 4", "línea 88, NEJES (número de ejes): se leyó -1; no puede ser negativo"},
    {88, "2 0", "línea 88, NDIV (divisiones por barra): se leyó 0; debe ser al menos 1"},
    {88, "2 1001", "línea 88, NDIV (divisiones por barra): se leyó 1001; debe estar entre 1 y 1000"},
    // Fifty axes of 20 bars cut in 1000 divisions: one diagram block of 1001100 lines.
    {88, "50 1000",
     "línea 188, NBEJE (número de barras del eje 50): con este eje los diagramas de cada solución tendrían 1001100 "
     "renglones (2 por eje y NDIV + 1 = 1001 por barra); deben ser a lo más 1000000: use menos divisiones, menos ejes "
     "o menos barras por eje",
     90, fifty_axes()},
    {88, "1 4", "línea 90, NBEJE (número de barras del eje 1): se leyó 23; un eje no puede tener más barras que las 22 "
     "del modelo (NB)", 90, "23 23*1"},
    {14, "40000000", "línea 14, NN (número de nodos): NN = 40000000, pero al archivo le quedan 3191 bytes, y cada uno "
     "ocupa por lo menos un renglón"},
    // Codes out of their range.
    {5, "99 1 1 1 1",
     "línea 5, KANAL (tipo de análisis): se leyó 99; debe ser 0 (lineal), 1 (lineal iterativo) o 2 (no lineal, "
     "ecuación de Demeneghi)"},
    {5, "-7\n1 1 1 1", "línea 5, KANAL (tipo de análisis): se leyó -7; debe ser 0 (lineal), 1 (lineal iterativo) o 2 "
                       "(no lineal, ecuación de Demeneghi)"},
    {65, "1  7   2.5   1.6", "línea 65, TIPO del estrato 1 del perfil 1: se leyó 7; debe ser 1 (arena) o 2 (arcilla)"},
    // Values no material or soil has.
    {8, "CONCRETO -2.4 2213594. 0.2", "línea 8, peso volumétrico del material CONCRETO: se leyó -2.4; no puede ser negativo"},
    {8, "CONCRETO 2.4 0. 0.2", "línea 8, módulo de elasticidad del material CONCRETO: se leyó 0; debe ser mayor que 0"},
    {8, "CONCRETO 2.4 2213594. 0.5",
     "línea 8, relación de Poisson del material CONCRETO: se leyó 0.5; debe estar entre 0 y 0.5 (0 admitido, 0.5 no)"},
    {65, "1  2   2.5   -1.6", "línea 65, GAMA del estrato 1 del perfil 1: se leyó -1.6; no puede ser negativo"},
    {66, "   -450.  0.35  6.", "línea 66, E1 del estrato 1 del perfil 1: se leyó -450; no puede ser negativo"},
    {73, "   900.  0.6 15.  0.6 160. 0.5 1.2", "línea 73, NU2 del estrato 2 del perfil 1: se leyó 0.6; debe estar entre 0 y 0.5"},
    {74, "  -400.  0.7   3.0", "línea 74, Emv del estrato 2 del perfil 1: se leyó -400; no puede ser negativo"},
    {69, "   300.  0.9   -0.5  3.0",
     "línea 69, psi del estrato 1 del perfil 1: psi·T = -1.5; debe ser mayor que -1 (el logaritmo de 1 + psi·T no "
     "tiene valor)"},
    {67, "   600.  0.35 0.  0.6 120. 0.5 1.0",
     "línea 67, slab del estrato 1 del perfil 1: se leyó 0; debe ser mayor que 0 (el estrato está bajo la cimentación "
     "del nodo 1 y los módulos de campo se calculan con el esfuerzo de laboratorio slab)"},
    {67, "   600.  0.35 10.  0.6 -120. 0.5 1.0",
     "línea 67, K del estrato 1 del perfil 1: se leyó -120; no puede ser negativo (el estrato está bajo la cimentación "
     "del nodo 1 y el análisis iterativo divide entre el módulo K·VALNL·(sigma/VALNL)^N)",
     5, "1 1 1 1 1"},
    {67, "   600.  0.35 10.  0.6 120. 0.5 -1.0",
     "línea 67, A del estrato 1 del perfil 1: se leyó -1; no puede ser negativo (el perfil está bajo la reacción del "
     "nodo 1 y el análisis no lineal de compresiones divide entre él)",
     5, "2 1 1 1 1"},
    {68, "   150.  -0.8   3.0",
     "línea 68, Ap del estrato 1 del perfil 1: se leyó -0.8; no puede ser negativo (el perfil está bajo la reacción "
     "del nodo 1 y el análisis no lineal de consolidación primaria divide entre él)",
     5, "2 1 1 1 1"},
    {23, " 8   5.0   0.0   0.0005    0  0  0  0  0  0    0    0.0",
     "línea 40, barra 9 (PI 2, PJ 8): mide 0.0005 m, menos de 1 mm; revise las coordenadas de PI y PJ"},
    {85, "2    4  1  2  5   0.15 CONCRETO  0.25  0.15  0.20   0.10",
     "línea 85, losa 2: tiene las mismas cuatro esquinas que la losa 1 (línea 84); una losa escrita dos veces contaría "
     "dos veces su área y sus cargas"},
    // References to nodes, bars, sections, materials and profiles that do not exist.
    {32, " 1   CONTRATRABE    1 15  0.0  0   0.0   0.0   0.0   0.3     1.0",
     "línea 32, PJ de la barra 1: se leyó 15; debe estar entre 1 y 14 (NN)"},
    {32, " 1   CONTRATRABES   1  2  0.0  0   0.0   0.0   0.0   0.3     1.0",
     "línea 32, sección de la barra 1: \"CONTRATRABES\" no es ninguna de las secciones leídas"},
    {11, "CONTRATRABE CONCRET 0.40 0.90",
     "línea 11, material de la sección CONTRATRABE: \"CONCRET\" no es ninguno de los materiales leídos"},
    {56, " 1      1.8    1.8    0.5      0", "línea 56, nodo de la zapata 1: se leyó 0; debe estar entre 1 y 14 (NN)"},
    {59, "15    0.0   0.0  -12.0   0.0  0.0  0.0", "línea 59, nodo de la carga 1: se leyó 15; debe estar entre 1 y 14 (NN)"},
    {84, "1    1  2  5 40   0.15 CONCRETO  0.25  0.15  0.20   0.10",
     "línea 84, NL de la losa 1: se leyó 40; debe estar entre 1 y 14 (NN)"},
    {90, "2 1 23", "línea 90, barra del eje 1: se leyó 23; debe estar entre 1 y 22 (NB)"},
    {16, " 1   0.0   0.0   0.0    1  1  0  0  0  0    2    1.2",
     "línea 16, PERFIL del nodo 1: se leyó 2; debe estar entre 0 y 1 (NPS, número de perfiles leídos)"},
    {16, " 1   0.0   0.0   0.0    1  1  0  0  0  0   -1    1.2",
     "línea 16, PERFIL del nodo 1: se leyó -1; debe ser 0 (sin suelo) o un perfil de 1 a NPS"},
    // The numbering: foundation nodes first, nodal reactions only under footings.
    {16, " 1   0.0   0.0   0.0    1  1  0  0  0  0    0    0.0",
     "línea 17, nodo 2: tiene la reacción de área número 1 (código 2 en DZ), pero la reacción de área i debe estar "
     "en el nodo i: numere primero los nodos de cimentación, del 1 al 5, y después los demás"},
    {16, " 1   0.0   0.0   0.0    3  1  0  0  0  0    1    1.2",
     "línea 16, nodo 1: tiene reacción nodal (código 3) pero ninguna zapata aislada está en el nodo; ponga una "
     "zapata en el nodo o cambie el código"},
    // Values the computations would divide by.
    {65, "1  2  -2.5   1.6", "línea 65, H del estrato 1 del perfil 1: se leyó -2.5; el espesor no puede ser negativo"},
    {66, "   0.  0.35  6.",
     "línea 66, E1 del estrato 1 del perfil 1: se leyó 0; debe ser distinto de 0 (el estrato está bajo la cimentación "
     "del nodo 1 y el análisis de expansiones divide entre él)"},
    {73, "   0.  0.40 15.  0.6 160. 0.5 1.2",
     "línea 73, E2 del estrato 2 del perfil 1: se leyó 0; debe ser distinto de 0 (el estrato está bajo la cimentación "
     "del nodo 1 y el análisis lineal de compresiones divide entre él)"},
    {80, "  0.  0.9   3.0",
     "línea 80, Emv del estrato 3 del perfil 1: se leyó 0; debe ser distinto de 0 (el estrato está bajo la "
     "cimentación del nodo 1 y el análisis lineal de consolidación primaria divide entre él)"},
    {69, "   0.  0.9   0.1  3.0",
     "línea 69, Emt del estrato 1 del perfil 1: se leyó 0; debe ser distinto de 0 (el estrato está bajo la "
     "cimentación del nodo 1 y el análisis lineal de consolidación secundaria divide entre él)"},
    {66, "   450.  1  6.", "línea 66, NU1 del estrato 1 del perfil 1: se leyó 1; debe estar entre 0 y 0.5"},
    {79, "  2500.  -1 25.  0.5 400. 0.4 1.5", "línea 79, NU2 del estrato 3 del perfil 1: se leyó -1; debe estar entre 0 y 0.5"},
    {8, "CONCRETO 2.4 2213594. -1",
     "línea 8, relación de Poisson del material CONCRETO: se leyó -1; debe estar entre 0 y 0.5 (0 admitido, 0.5 no)"},
    {11, "CONTRATRABE CONCRETO 0 0.90", "línea 11, BASE de la sección CONTRATRABE: se leyó 0; debe ser mayor que 0"},
    {13, "TRABE       CONCRETO 0.25 -0.50", "línea 13, ALTURA de la sección TRABE: se leyó -0.5; debe ser mayor que 0"},
    {56, " 1      0.0    1.8    0.5      13", "línea 56, ANCHO de la zapata 1: se leyó 0; debe ser mayor que 0"},
    {32, " 1   CONTRATRABE    1  1  0.0  0   0.0   0.0   0.0   0.3     1.0",
     "línea 32, barra 1 (PI 1, PJ 1): sus dos extremos PI y PJ están en el mismo punto (barra de longitud cero); "
     "corrija PI o PJ"},
    {85, "2    2  3  3  5   0.15 CONCRETO  0.25  0.15  0.20   0.10",
     "línea 85, NJ y NK de la losa 2: se leyeron los nodos 3 y 3, que están en el mismo punto; el lado NJ-NK de la "
     "losa no puede medir 0"},
    {85, "2    2  3  6  4   0.15 CONCRETO  0.25  0.15  0.20   0.10",
     "línea 18, área de contacto de la reacción del nodo 3: resulta 0 (el nodo no es esquina de ninguna losa con sus "
     "cuatro bordes, y con losas el área de contacto sale sólo de ellas); el suelo dividiría entre ella"},
    // The reading itself.
    {14, "14.5", "línea 14, NN (número de nodos): se esperaba un número entero y se encontró \"14.5\""},
    {21, " 6  10.0   6.0   0.0    0  0  0  0  0  0    1    1.2E99",
     "línea 21, DF del nodo 6: el número \"1.2E99\" está fuera del intervalo de la precisión simple"},
    // Which entry of a list, and a count larger than the lines typed.
    {60, "11    0.0   0.0  abc   0.0  0.0  0.0", "línea 60, PZ de la carga 2: se esperaba un número real y se encontró \"abc\""},
    {73, "   900.  0.40 15.  0.6 x 0.5 1.2",
     "línea 73, K del estrato 2 del perfil 1: se esperaba un número real y se encontró \"x\""},
    {14, "15",
     "línea 31, X del nodo 15: se esperaba un número real y se encontró \"BARRA\"; NN = 15 pero sólo hay 14 renglones "
     "de nodos antes de «BARRA»"},
    {54, "2",
     "línea 58, ANCHO de la zapata 2: se esperaba un número real y se encontró \"NODO\"; NZAP = 2 pero sólo hay 1 "
     "renglón de zapatas antes de «NODO»"},
    {63, "4",
     "línea 83, número del estrato 4 del perfil 1: se esperaba un número entero y se encontró \"LOSA\"; NEST = 4 pero "
     "sólo hay 3 estratos en el perfil 1 antes de «LOSA»"},
    // A file in UTF-8 with a character that Latin-1 lacks.
    {1, "'EDIFICIO \xE2\x82\xAC'",
     "línea 1, texto: el archivo está escrito en UTF-8 y este renglón tiene un carácter que no existe en Latin-1 (el "
     "juego de caracteres de los reportes); cámbielo por uno de Latin-1 (letras con acento, ñ, ü)"},
    {92, "", "línea 92, NBEJE (número de barras del eje 2): el archivo termina antes de leer este dato"},
};

TEST(BadInput, EveryRejectionEndsWithItsMessageAndStatus1) {
  ASSERT_EQ(example_lines().size(), 92u);
  for (const Bad& b : kBad) {
    SCOPED_TRACE("línea " + std::to_string(b.line) + ": " + b.text);
    const Outcome r = run_in_scratch(edited(b), "datos.txt reporte.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(last_line(r.err), kErr + b.message);
    // The data file is left as it was.
    EXPECT_EQ(slurp(r.dir / "datos.txt"), edited(b));
  }
}

TEST(BadInput, AModelBeyondTheMemoryAvailableEndsWithStatus1) {
  // The memory available set below what the example needs: refused once the
  // numbering gives its equations, before the large tables are made.
  const Outcome r = run_in_scratch(edited(1, example_lines()[0]), "datos.txt reporte.txt", "", "KORVANT_MEMORIA=12320K");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(last_line(r.err),
            "Error en el archivo de datos \"datos.txt\": NGRED + NR + MR (ecuaciones de la interacción): el análisis "
            "necesita unos 12,1 MB de memoria y hay 12,0 MB (la variable KORVANT_MEMORIA); reduzca el modelo o, si "
            "sabe que la máquina tiene más, dé la memoria en la variable de entorno KORVANT_MEMORIA (por ejemplo "
            "KORVANT_MEMORIA=64G)");
  // A setting that is no size is a usage error, found before any file is written.
  const Outcome u = run_in_scratch(edited(1, example_lines()[0]), "datos.txt reporte.txt", "", "KORVANT_MEMORIA=mucha");
  EXPECT_EQ(u.status, 2);
  EXPECT_EQ(last_line(u.err), "Error: la variable de entorno KORVANT_MEMORIA vale \"mucha\"; debe ser un número de "
                              "bytes, con K, M, G o T si se quiere (por ejemplo 8G)");
  EXPECT_FALSE(fs::exists(u.dir / "reporte.txt"));
}

TEST(BadInput, ASummaryOrNoLogLeavesEveryOtherFileAsTheFullLogDoes) {
  const std::string datos = edited(1, example_lines()[0]);
  const Outcome full = run_in_scratch(datos, "datos.txt reporte.txt");
  const Outcome sum = run_in_scratch(datos, "--memoria=resumida datos.txt reporte.txt");
  // An earlier run's log is removed by a run without one.
  const Scratch none;
  const fs::path& none_dir = none.dir;
  std::ofstream(none_dir / "MEMORIA") << "otra corrida\n";
  std::ofstream(none_dir / "VALINF") << "otra corrida\n";
  std::ofstream(none_dir / "datos.txt", std::ios::binary) << datos;
  const int rc = std::system(("cd '" + none_dir.string() + "' && '" KORVANT_BIN
                              "' datos.txt reporte.txt --memoria=no > console.out 2> console.err").c_str());
  EXPECT_EQ(rc, 0);
  for (const Outcome* r : {&full, &sum}) EXPECT_EQ(r->status, 0);
  for (const char* name : {"reporte.txt", "arch.msh", "arch.res", "console.out", "console.err"}) {
    EXPECT_EQ(slurp(sum.dir / name), slurp(full.dir / name)) << name;
    EXPECT_EQ(slurp(none_dir / name), slurp(full.dir / name)) << name;
  }
  EXPECT_EQ(slurp(sum.dir / "VALINF"), slurp(full.dir / "VALINF"));
  EXPECT_LT(fs::file_size(sum.dir / "MEMORIA") * 5, fs::file_size(full.dir / "MEMORIA"));
  EXPECT_FALSE(fs::exists(none_dir / "MEMORIA"));
  EXPECT_FALSE(fs::exists(none_dir / "VALINF"));
}

// Suspicious data: a warning naming the line, and the run goes on.
struct Suspicious {
  int line;
  std::string text;
  std::vector<std::string> warnings;  // after " Aviso: archivo de datos "datos.txt", "; none: no warning at all
};

const std::vector<Suspicious> kSuspicious = {
    {29, "14  15.0   0.0 20000.0    0  0  0  0  0  0    0    0.0",
     {"línea 29: las coordenadas de hasta 20000 m sólo se distinguen cada 0.001953125 m; traslade el origen"}},
    {65, "1  2  2,5   1.6", {"línea 65: ¿coma decimal? «2,5» se lee como dos valores; use punto decimal"}},
    {16, " 1   0.0   0.0   0.0    1,1,0,0,0,0    1    1.2", {}},
    {67, "   600.  0.35 10.  6 120. 0.5 1.0",
     {"línea 67: KO del estrato 1 del perfil 1 = 6: el coeficiente de empuje en reposo suele estar entre 0.2 y 3; el "
      "análisis sigue"}},
    // Case 1 switched off with its lines left in place.
    {5, "0 0 1 1 1",
     {"línea 66: los datos del caso 2 del estrato 1 ocupan los renglones 66 y 67: ¿sobra el renglón de un caso apagado?",
      "línea 67: KO del estrato 1 del perfil 1 = 600: el coeficiente de empuje en reposo suele estar entre 0.2 y 3; el "
      "análisis sigue"}},
    // NB smaller than the bars typed: the last bar becomes NZAP, NZAP's line the heading.
    {30, "21",
     {"línea 54: el renglón 54 se saltó como encabezado pero empieza con un número: ¿el número de barras (NB) es menor "
      "que las barras escritas?"}},
};

TEST(BadInput, SuspiciousDataIsWarnedAbout) {
  for (const Suspicious& c : kSuspicious) {
    SCOPED_TRACE("línea " + std::to_string(c.line) + ": " + c.text);
    const Outcome r = run_in_scratch(edited(c.line, c.text), "datos.txt reporte.txt");
    for (const std::string& w : c.warnings)
      EXPECT_NE(r.err.find(" Aviso: archivo de datos \"datos.txt\", " + w + "\n"), std::string::npos) << r.err;
    if (c.warnings.empty()) {
      EXPECT_EQ(r.err.find("Aviso"), std::string::npos) << r.err;
    }
  }
}

// Whole files that are odd bytes or no end: the byte-order mark and lone CR line
// ends are read as the plain example; the rest is refused at its line, quickly
// and in bounded memory.
struct OddFile {
  const char* what;
  std::string datos;  // written as datos.txt
  std::string args, feed;
  std::string message;  // "" when the run must give the plain example's report
};

std::string example_text() { return edited(1, example_lines()[0]); }

std::string with_crs(std::string s) {
  for (char& c : s)
    if (c == '\n') c = '\r';
  return s;
}

TEST(BadInput, OddBytesAndEndlessFiles) {
  const std::string nul_title = edited(1, std::string("'EDIFICIO") + '\0' + "'");
  const std::vector<OddFile> odd = {
      {"byte-order mark", "\xEF\xBB\xBF" + example_text(), "datos.txt reporte.txt", "", ""},
      {"lone CR line ends", with_crs(example_text()), "datos.txt reporte.txt", "", ""},
      {"empty file", "", "/dev/null reporte.txt", "",
       "Error en el archivo de datos \"/dev/null\", línea 1, título: el archivo termina antes de leer este dato"},
      {"NUL in a text", nul_title, "datos.txt reporte.txt", "",
       "Error en el archivo de datos \"datos.txt\", línea 1, título: contiene un byte nulo (NUL), que no es un "
       "carácter de texto"},
      {"quote never closed", edited(8, "'CONCRETO 2.4 2213594. 0.2"), "datos.txt reporte.txt", "",
       "Error en el archivo de datos \"datos.txt\", línea 8, nombre del material: el texto abre con un apóstrofo (') "
       "en esta línea y el archivo termina sin cerrarlo"},
      {"line of more than 1 MiB", edited(3, std::string((1 << 20) + 1, 'x')), "datos.txt reporte.txt", "",
       "Error en el archivo de datos \"datos.txt\", línea 3, longitud de la línea: pasa de 1 MiB (1048576 "
       "caracteres); un archivo de datos no tiene líneas tan largas"},
      {"endless device", "", "/dev/zero reporte.txt", "",
       "Error en el archivo de datos \"/dev/zero\", línea 1, longitud de la línea: pasa de 1 MiB (1048576 "
       "caracteres); un archivo de datos no tiene líneas tan largas"},
      {"endless pipe", "", "/dev/stdin reporte.txt", "yes",
       "Error en el archivo de datos \"/dev/stdin\": tamaño del archivo: pasa de 256 MiB (268435456 bytes); un "
       "archivo de datos no puede ser tan grande"},
  };
  const Outcome plain = run_in_scratch(example_text(), "datos.txt reporte.txt");
  ASSERT_EQ(plain.status, 0);
  const std::string plain_report = slurp(plain.dir / "reporte.txt");
  for (const OddFile& o : odd) {
    SCOPED_TRACE(o.what);
    const Outcome r = run_in_scratch(o.datos, o.args, o.feed);
    if (o.message.empty()) {
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_TRUE(slurp(r.dir / "reporte.txt") == plain_report);
    } else {
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, o.message + "\n");
    }
  }
}

// The view files of a report: a name a spreadsheet would run stays text, and
// a later run of the same report removes the views of the passes it does not
// solve, so that the collection lists exactly the grids there are.
TEST(BadInput, ViewsHoldNoFormulaAndNoStalePass) {
  std::string datos = example_text();
  datos.replace(datos.find("EJE A (Y=0)"), 11, "=cmd|' /C calc'!A0");
  const Outcome r = run_in_scratch(datos, "--csv --vtk datos.txt reporte.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(slurp(r.dir / "reporte_caso2_laboratorio_diagramas.csv").find("\n1,\"'=cmd|' /C calc'!A0\",1,"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(r.dir / "reporte_caso1_campo-centro.vtu"));
  // Another model under the same report, compressions only: the expansion
  // passes and cases 3 and 4 go.
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 2 --ny 2 --cases 0100 > '" +
                          (r.dir / "datos.txt").string() + "'";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  ASSERT_EQ(r.scratch->run("--csv --vtk datos.txt reporte.txt"), 0) << r.scratch->read("console.err");
  EXPECT_FALSE(fs::exists(r.dir / "reporte_caso1_campo-centro.vtu"));
  EXPECT_FALSE(fs::exists(r.dir / "reporte_caso4_lineal_nodos.csv"));
  const std::string pvd = slurp(r.dir / "reporte.pvd");
  int listed = 0, grids = 0;
  for (std::size_t at = pvd.find("file=\""); at != std::string::npos; at = pvd.find("file=\"", at + 1), ++listed) {
    const std::size_t end = pvd.find('"', at + 6);
    EXPECT_TRUE(fs::exists(r.dir / pvd.substr(at + 6, end - at - 6)));
  }
  for (const auto& e : fs::directory_iterator(r.dir)) grids += e.path().extension() == ".vtu";
  EXPECT_EQ(listed, 3);
  EXPECT_EQ(grids, 3);
}

// One axis of 20 bars cut in 1000 divisions (20,020 points a diagram): each
// picture draws a line through at most 2,000 of them, the CSV keeps them all.
TEST(BadInput, AHugeAxisIsDrawnThroughABoundedNumberOfPoints) {
  std::string datos;
  for (std::size_t i = 0; i < 87; ++i) datos += example_lines()[i] + "\n";
  datos += "1 1000\nEJE LARGO\n20 20*1\n";
  const Outcome r = run_in_scratch(datos, "--svg --csv --html --memoria=no datos.txt reporte.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(split_lines(slurp(r.dir / "reporte_caso2_laboratorio_diagramas.csv")).size(), 20021u);
  for (const char* name : {"reporte_caso2_laboratorio.svg", "reporte.html"}) {
    const std::string svg = slurp(r.dir / name);
    EXPECT_LT(svg.size(), 600000u) << name;
    std::size_t longest = 0;
    for (std::size_t at = svg.find("points=\""); at != std::string::npos; at = svg.find("points=\"", at + 1))
      longest = std::max<std::size_t>(longest, std::count(svg.begin() + static_cast<long>(at),
                                                          svg.begin() + static_cast<long>(svg.find('"', at + 8)), ','));
    EXPECT_GT(longest, 1000u) << name;
    EXPECT_LE(longest, 4002u) << name;  // an envelope's band is two lines
  }
}

// Under a limit on its address space a run ends cleanly at every limit: it
// finishes, refuses the model at the count whose memory does not fit (1), or
// runs out part-way (5, with the earlier results kept); never killed.
TEST(BadInput, AnAddressSpaceLimitEndsTheRunCleanly) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
  const Scratch scratch;
  const fs::path& d = scratch.dir;
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 10 --ny 10 > '" +
                          (d / "datos.txt").string() + "'";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  ASSERT_EQ(scratch.run("--memoria=no datos.txt reporte.txt"), 0);
  for (const int kb : {16000, 24000, 32000, 40000}) {
    SCOPED_TRACE(kb);
    const auto before = outputs_in(d);  // a refusal (1) publishes the echo up to its line
    const int st = scratch.run("--memoria=no datos.txt reporte.txt", "", "LC_ALL=C; ulimit -v " + std::to_string(kb) + ";");
    const std::string err = scratch.read("console.err");
    // 127: the loader could not map the program's libraries; it never started.
    if (st == 0 || st == 127) continue;
    if (st == 1) EXPECT_NE(err.find("(límite de memoria del proceso, ulimit -v)"), std::string::npos) << err;
    else EXPECT_EQ(st, 5) << err;
    if (st != 5) continue;
    EXPECT_NE(err.find("memoria insuficiente para este modelo: se necesitan unos "), std::string::npos);
    EXPECT_TRUE(outputs_in(d) == before);
  }
}

// A data file in UTF-8 is read as Latin-1: the report and the fields of 50 and
// 20 characters count letters; the views write UTF-8 again.
TEST(BadInput, Utf8DataFileIsReadAsLatin1) {
  const std::string title48(48, 'X');
  std::string datos = edited(1, "'" + title48 + "\xC3\x93\xC3\x91'");
  datos.replace(datos.find("EJE A (Y=0)"), 11, "EJE \xC3\x91 (Y=0)");
  for (const std::string& d : {datos, "\xEF\xBB\xBF" + datos}) {
    const Outcome r = run_in_scratch(d, "--csv --svg datos.txt reporte.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(slurp(r.dir / "reporte.txt").find(" " + title48 + "ÓÑ\n"), std::string::npos);
    EXPECT_NE(slurp(r.dir / "reporte.txt").find("EJE Ñ (Y=0)"), std::string::npos);
    EXPECT_NE(slurp(r.dir / "reporte_caso2_laboratorio_diagramas.csv").find("\"EJE \xC3\x91 (Y=0)\""), std::string::npos);
    EXPECT_NE(slurp(r.dir / "reporte_caso2_laboratorio.svg").find(title48 + "\xC3\x93\xC3\x91"), std::string::npos);
  }
}

TEST(BadInput, TheExampleItselfRunsWithoutWarnings) {
  const Outcome r = run_in_scratch(edited(1, example_lines()[0]), "datos.txt reporte.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, " No. nodos          14\n Casos de analisis           1           1           1           1\n");
}

TEST(BadInput, AFieldModulusThatIsNoNumberIsReportedAndTheRunGoesOn) {
  // A laboratory modulus near the largest float overflows the power law of the field moduli.
  const Outcome r = run_in_scratch(edited(66, "   3e38  0.35  6."), "datos.txt reporte.txt");
  EXPECT_EQ(r.status, 0);
  const std::string warn = " Aviso: el módulo de campo de expansión del nodo 1, estrato 1, es infinito; "
                           "el análisis sigue con este valor\n";
  EXPECT_NE(r.err.find(warn), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("estrato 2"), std::string::npos) << r.err;
}

TEST(BadInput, ALoadOnANodeNoBarReachesIsWarnedAbout) {
  // Bars 14 and 22 moved away from node 14, which keeps its load.
  const Bad b{45, "14   COLUMNA        3  9  0.0  0   0.0   0.0   0.0   0.0     0.0", "", 53,
              "22   TRABE          9 12  0.0  0   1.0   0.6   0.8   1.0     0.0"};
  const Outcome r = run_in_scratch(edited(b), "datos.txt reporte.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(" Aviso: archivo de datos \"datos.txt\", línea 61: la carga 3 está en el nodo 14, al que no "
                       "llega ninguna barra; el nodo queda fijo y la carga no actúa\n"),
            std::string::npos)
      << r.err;
}

TEST(BadInput, OutputFilesThatCannotBeWrittenEndWithStatus4) {
  const std::string datos = edited(1, example_lines()[0]);
  {
    // A full disk: the report (a device, written in place) fails when it is
    // closed; none of the other files of the run is left behind.
    const Outcome r = run_in_scratch(datos, "datos.txt /dev/full");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err.substr(r.err.find("Error:")),
              "Error: no se puede escribir el archivo de salida \"/dev/full\": no queda espacio en el disco\n"
              "los resultados de la corrida anterior quedan como estaban\n");
    EXPECT_EQ(files_in(r.dir), "console.err console.out datos.txt ");
  }
  {
    // A report in a folder that does not exist: nothing is written, and the
    // files of an earlier run are left alone.
    Outcome r = run_in_scratch(datos, "datos.txt reporte.txt");
    ASSERT_EQ(r.status, 0);
    const std::string msh = slurp(r.dir / "arch.msh");
    const std::string cmd = "cd '" + r.dir.string() + "' && '" KORVANT_BIN "' datos.txt no/reporte.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 4);
    EXPECT_EQ(slurp(r.dir / "err.txt"),
              "Error: no se puede crear el archivo de salida \"no/reporte.txt\": no existe el archivo o la carpeta\n");
    EXPECT_EQ(slurp(r.dir / "arch.msh"), msh);
  }
}

// MEMORIA and VALINF are bounded before they grow: with less free space than
// a model's two files take, the run ends at once (4) and leaves the earlier
// files as they were; with a few times their size, it runs. The free space is
// the one the variable gives.
TEST(BadInput, LogsThatMayNotFitTheFreeSpaceEndTheRunAtTheStart) {
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' ";
  const struct {
    std::string model, args;  // genmodel options (empty: the example) and command-line options
    int room;                 // free space, in times the two files, that must be enough
  } rows[] = {{"", "", 2}, {"--nx 2 --ny 2 --kanal 2 --cases 0111 --footings 2", "--zapatas=estratificadas", 2},
              {"--nx 2 --ny 2 --kanal 1", "", 10}, {"", "--memoria=resumida", 30}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.model + " " + row.args);
    const Outcome r = run_in_scratch(row.model.empty() ? example_text() : "", row.args + " datos.txt reporte.txt");
    if (!row.model.empty()) {
      ASSERT_EQ(std::system((gen + row.model + " > '" + (r.dir / "datos.txt").string() + "'").c_str()), 0);
      ASSERT_EQ(r.scratch->run(row.args + " datos.txt reporte.txt"), 0);
    }
    const auto before = outputs_in(r.dir);
    const std::uintmax_t logs = fs::file_size(r.dir / "MEMORIA") + fs::file_size(r.dir / "VALINF");
    const std::string args = row.args + " datos.txt reporte.txt";
    EXPECT_EQ(r.scratch->run(args, "", "LC_ALL=C KORVANT_ESPACIO_LIBRE=" + std::to_string(logs - 1)), 4);
    const std::string err = r.scratch->read("console.err");
    EXPECT_NE(err.find("\" puede llegar a "), std::string::npos) << err;
    EXPECT_NE(err.find(row.args.empty() ? "; con --memoria=resumida o --memoria=no se escribe menos\n"
                                        : "se escribe menos\nlos resultados de la corrida anterior quedan como estaban\n"),
              std::string::npos) << err;
    EXPECT_TRUE(outputs_in(r.dir) == before);
    EXPECT_EQ(r.scratch->run(args, "", "LC_ALL=C KORVANT_ESPACIO_LIBRE=" + std::to_string(row.room * logs)), 0)
        << r.scratch->read("console.err");
  }
  // A setting that is no size is a usage error, found before any file is written.
  const Outcome u = run_in_scratch(example_text(), "datos.txt reporte.txt", "", "KORVANT_ESPACIO_LIBRE=poco");
  EXPECT_EQ(u.status, 2);
  EXPECT_EQ(last_line(u.err), "Error: la variable de entorno KORVANT_ESPACIO_LIBRE vale \"poco\"; debe ser un número de "
                              "bytes, con K, M, G o T si se quiere (por ejemplo 8G)");
  EXPECT_FALSE(fs::exists(u.dir / "reporte.txt"));
}

// With the error stream on a terminal, one progress line is drawn and
// redrawn in place ("\r", the text, erase to the end of the line) and erased
// at the end; --silencio draws none. The terminal is a pseudo-terminal; the
// model, 10 x 10 foundation nodes, takes long enough (half a second) for a
// few drawings, ten a second at most.
TEST(BadInput, TheProgressLineIsDrawnInPlaceOnATerminalOnly) {
  const Outcome r = run_in_scratch("", "--version");
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 10 --ny 10 --storeys 0 > '" +
                          (r.dir / "datos.txt").string() + "'";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  r.scratch->write("terminal.py",
                   "import os, pty, subprocess, sys\n"
                   "master, slave = pty.openpty()\n"
                   "p = subprocess.Popen(sys.argv[1:], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=slave)\n"
                   "os.close(slave)\n"
                   "out = b''\n"
                   "while True:\n"
                   "    try:\n"
                   "        d = os.read(master, 65536)\n"
                   "    except OSError:\n"
                   "        break\n"
                   "    if not d:\n"
                   "        break\n"
                   "    out += d\n"
                   "open('terminal.txt', 'wb').write(out)\n"
                   "sys.exit(p.wait())\n");
  for (const char* option : {"", "--silencio "}) {
    SCOPED_TRACE(option);
    const std::string cmd = "cd '" + r.dir.string() + "' && LC_ALL=C python3 terminal.py '" KORVANT_BIN "' " + option +
                            "--memoria=no datos.txt reporte.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string tty = r.scratch->read("terminal.txt");
    EXPECT_NE(tty.find(" No. nodos         100\r\n"), std::string::npos) << tty;
    if (*option != '\0') {
      EXPECT_EQ(tty.find('\x1b'), std::string::npos) << tty;
      continue;
    }
    int drawn = 0;
    for (std::size_t at = tty.find('\r'); at != std::string::npos; at = tty.find('\r', at + 1)) {
      const std::size_t end = tty.find_first_of("\r\n", at + 1);
      const std::string line = tty.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      if (line.size() > 3 && line.ends_with("\x1b[K") && line.find(" s)") != std::string::npos) ++drawn;
    }
    // At least the first drawing: how many more follow depends on the machine's speed.
    EXPECT_GE(drawn, 1) << tty;
    // The last thing done to the line is to erase it.
    const std::size_t last = tty.rfind("\x1b[K");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(tty.substr(last - 1, 4), "\r\x1b[K") << tty;
  }
}

// A console that cannot be written is no failure of the results: a full
// console, a reader that goes away at once, the two streams closed. The run
// ends as it would have, with every file whole and no console text in them.
TEST(BadInput, AConsoleThatCannotBeWrittenEndsNothing) {
  const Outcome plain = run_in_scratch(example_text(), "datos.txt reporte.txt");
  ASSERT_EQ(plain.status, 0);
  const std::string report = slurp(plain.dir / "reporte.txt");
  for (const char* how : {"> /dev/full", "", ">&- 2>&-"}) {
    SCOPED_TRACE(how);
    fs::remove(plain.dir / "reporte.txt");
    const std::string cmd = "cd '" + plain.dir.string() + "' && { '" KORVANT_BIN
                            "' --resumen --html datos.txt reporte.txt " + how + "; echo $? > status.txt; } | true";
    std::system(cmd.c_str());
    EXPECT_EQ(slurp(plain.dir / "status.txt"), "0\n");
    EXPECT_TRUE(slurp(plain.dir / "reporte.txt") == report);
  }
  // Control bytes of a title reach the console as '?', the report as they are.
  const Outcome esc = run_in_scratch(edited(1, "'EDIFICIO \x1b]0;titulo\x07'"), "--resumen datos.txt reporte.txt");
  EXPECT_EQ(esc.status, 0);
  EXPECT_NE(esc.out.find("EDIFICIO ?]0;titulo?"), std::string::npos);
  EXPECT_NE(slurp(esc.dir / "reporte.txt").find("EDIFICIO \x1b]0;titulo\x07"), std::string::npos);
}

// Starts the program in `dir` (console streams to console.out and console.err),
// with a limit on the size of the files it writes when fsize > 0.
pid_t spawn(const fs::path& dir, const std::vector<std::string>& args, rlim_t fsize = 0) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(dir.c_str()) != 0) _exit(120);
  const int out = open("console.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open("console.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out, 1);
  dup2(err, 2);
  if (fsize > 0) {
    const rlimit lim{fsize, fsize};
    setrlimit(RLIMIT_FSIZE, &lim);
  }
  std::vector<char*> argv{const_cast<char*>(KORVANT_BIN)};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(KORVANT_BIN, argv.data());
  _exit(121);
}

int exit_status(pid_t pid) {
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

TEST(BadInput, FullDiskPartWayThroughTheRun) {
  {
    // A generated building whose report passes the write buffer, on a full disk.
    const Scratch scratch;
    const fs::path& d = scratch.dir;
    const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 3 --ny 3 --ndiv 400 > '" +
                            (d / "datos.txt").string() + "'";
    ASSERT_EQ(std::system(gen.c_str()), 0);
    EXPECT_EQ(exit_status(spawn(d, {"datos.txt", "/dev/full"})), 4);
    EXPECT_NE(slurp(d / "console.err").find("Error: no se puede escribir el archivo de salida \"/dev/full\": no queda "
                                            "espacio en el disco\n"),
              std::string::npos);
    EXPECT_EQ(files_in(d), "console.err console.out datos.txt ");
  }
  {
    // A file-size limit met part-way through MEMORIA: every file of the
    // earlier run stays as it was.
    const Outcome plain = run_in_scratch(example_text(), "datos.txt reporte.txt");
    const auto before = outputs_in(plain.dir);
    EXPECT_EQ(exit_status(spawn(plain.dir, {"datos.txt", "reporte.txt"}, 2 << 20)), 4);
    EXPECT_EQ(slurp(plain.dir / "console.err").substr(slurp(plain.dir / "console.err").find("Error:")),
              "Error: no se puede escribir el archivo de salida \"MEMORIA\": el archivo es demasiado grande\n"
              "los resultados de la corrida anterior quedan como estaban\n");
    EXPECT_TRUE(outputs_in(plain.dir) == before);
    }
}

TEST(BadInput, OutputsAreCheckedAndLockedBeforeAnyIsTruncated) {
  struct Row {
    const char* what;
    std::string args, folder;  // folder made where a file should be
    bool lock_memoria;         // another run holds MEMORIA
    std::string message;
  };
  const std::vector<Row> rows = {
      {"VALINF is a folder", "datos.txt reporte.txt", "VALINF", false,
       "Error: no se puede crear el archivo de salida \"VALINF\": es una carpeta"},
      {"a view file is a folder", "--csv datos.txt reporte.txt", "reporte_caso4_lineal_nodos.csv", false,
       "Error: no se puede crear el archivo de salida \"reporte_caso4_lineal_nodos.csv\": es una carpeta"},
      {"another run in the folder", "datos.txt nuevo.txt", "", true,
       "Error: otra corrida de korvant está escribiendo en esta carpeta: \"<carpeta>\""},
      {"a view name too long for the folder", "--csv datos.txt " + std::string(230, 'r'), "", false,
       "Error: no se puede crear el archivo de salida \"" + std::string(230, 'r') +
           "_caso1_campo-centro_reacciones.csv\": el nombre es demasiado largo"},
      {"a link where a view goes, to a folder that does not exist", "--svg datos.txt reporte.txt", "", false,
       "Error: no se puede crear el archivo de salida \"reporte_caso1_campo-centro.svg\": no existe el archivo o la "
       "carpeta"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Outcome first = run_in_scratch(example_text(), "--csv datos.txt reporte.txt");
    ASSERT_EQ(first.status, 0);
    if (!row.folder.empty()) {
      fs::remove(first.dir / row.folder);
      fs::create_directory(first.dir / row.folder);
    }
    if (row.args.find("--svg") != std::string::npos)
      fs::create_symlink("no-hay/dibujo.svg", first.dir / "reporte_caso1_campo-centro.svg");
    const auto before = outputs_in(first.dir);
    const int held = open(first.dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (row.lock_memoria) {
      ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    }
    const std::string cmd = "cd '" + first.dir.string() + "' && '" KORVANT_BIN "' " + row.args + " 2> console.err > console.out";
    const int rc = std::system(cmd.c_str());
    close(held);
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 4);
    std::string message = row.message;
    if (const std::size_t at = message.find("<carpeta>"); at != std::string::npos)
      message.replace(at, 9, first.dir.string());
    EXPECT_EQ(last_line(slurp(first.dir / "console.err")), message);
    // Every file of the earlier run as it was; nothing new left behind.
    EXPECT_TRUE(outputs_in(first.dir) == before);
    EXPECT_FALSE(fs::exists(first.dir / "nuevo.txt"));
  }
}

// An interrupted run (SIGINT, SIGTERM, SIGHUP) leaves every earlier file as it
// was; a file that is a pipe (written in place) gets whole lines up to the stop.
TEST(BadInput, AnInterruptedRunKeepsTheEarlierResults) {
  const Outcome plain = run_in_scratch(example_text(), "datos.txt reporte.txt");
  ASSERT_EQ(plain.status, 0);
  fs::remove(plain.dir / "MEMORIA");
  const auto before = outputs_in(plain.dir);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    // MEMORIA is a pipe read only once the run is stuck writing to it: the
    // signal comes while the influence values are finished and the cases not.
    fs::remove(plain.dir / "MEMORIA");
    ASSERT_EQ(mkfifo((plain.dir / "MEMORIA").c_str(), 0644), 0);
    const int rd = open((plain.dir / "MEMORIA").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(rd, 0);
    const pid_t pid = spawn(plain.dir, {"datos.txt", "reporte.txt"});
    for (int waiting = 0, n = 0; n < 65536 && waiting < 2000; ++waiting) {
      usleep(5000);
      ioctl(rd, FIONREAD, &n);
    }
    kill(pid, sig);
    fcntl(rd, F_SETFL, O_RDONLY);
    std::string memoria;
    char b[65536];
    for (ssize_t n; (n = read(rd, b, sizeof b)) > 0;) memoria.append(b, static_cast<std::size_t>(n));
    close(rd);
    EXPECT_EQ(exit_status(pid), 128 + sig);
    const std::string err = slurp(plain.dir / "console.err");
    EXPECT_EQ(err.substr(err.find("corrida")), "corrida interrumpida\nlos resultados de la corrida anterior quedan como estaban\n");
    EXPECT_GT(memoria.size(), 1u << 20);
    EXPECT_EQ(memoria.back(), '\n');
    fs::remove(plain.dir / "MEMORIA");
    EXPECT_TRUE(outputs_in(plain.dir) == before);
  }
}

// A run killed outright leaves only its temporary files beside the earlier
// results, which stay whole; the next run in the folder removes them.
TEST(BadInput, AKilledRunLeavesTheEarlierFilesAndTheNextRunCleansUp) {
  const Scratch scratch;
  const fs::path& d = scratch.dir;
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 4 --ny 4 > '" +
                          (d / "datos.txt").string() + "'";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  ASSERT_EQ(exit_status(spawn(d, {"--csv", "datos.txt", "reporte.txt"})), 0);
  const auto before = outputs_in(d);
  const pid_t pid = spawn(d, {"--csv", "datos.txt", "reporte.txt"});
  // Killed once its log has grown past its first megabyte.
  for (int waiting = 0; waiting < 4000; ++waiting) {
    std::error_code ec;
    if (fs::file_size(d / ".MEMORIA.korvant-tmp", ec) > (1u << 20) && !ec) break;
    usleep(2000);
  }
  kill(pid, SIGKILL);
  EXPECT_EQ(exit_status(pid), -1);
  EXPECT_TRUE(fs::exists(d / ".MEMORIA.korvant-tmp"));
  EXPECT_TRUE(fs::exists(d / ".reporte.txt.korvant-tmp"));
  fs::remove(d / ".MEMORIA.korvant-tmp");  // the next run removes the rest
  EXPECT_TRUE(outputs_in(d) != before);
  for (const auto& [path, text] : before) EXPECT_TRUE(slurp(path) == text) << path;
  // The next run writes the same files again, and no temporary file stays.
  EXPECT_EQ(exit_status(spawn(d, {"--csv", "datos.txt", "reporte.txt"})), 0);
  EXPECT_TRUE(outputs_in(d) == before);
}

TEST(BadInput, TheDataFileIsNeverOverwritten) {
  const std::string datos = edited(1, example_lines()[0]);
  for (const char* report : {"datos.txt", "./datos.txt"}) {
    const Outcome r = run_in_scratch(datos, std::string("datos.txt ") + report);
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(last_line(r.err), std::string("Error: no se puede crear el archivo de salida \"") + report +
                                    "\": es el archivo de datos, que se perdería");
    EXPECT_EQ(slurp(r.dir / "datos.txt"), datos);
  }
  {
    // A data file named like one of the files the program writes.
    const Scratch scratch;
    const fs::path& d = scratch.dir;
    std::ofstream(d / "MEMORIA", std::ios::binary) << datos;
    const std::string cmd = "cd '" + d.string() + "' && '" KORVANT_BIN "' MEMORIA reporte.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 4);
    EXPECT_EQ(slurp(d / "err.txt"),
              "Error: no se puede crear el archivo de salida \"MEMORIA\": es el archivo de datos, que se perdería; "
              "cambie el nombre del archivo de datos\n");
    EXPECT_EQ(slurp(d / "MEMORIA"), datos);
    EXPECT_FALSE(fs::exists(d / "reporte.txt"));
  }
  {
    // A report named like one of them.
    const Outcome r = run_in_scratch(datos, "datos.txt VALINF");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(last_line(r.err),
              "Error: no se puede crear el archivo de salida \"VALINF\": el programa escribe en \"VALINF\" otros "
              "resultados; elija otro nombre para el reporte");
  }
}

TEST(BadInput, DataFileThatCannotBeRead) {
  {
    // Nothing is created when the data file cannot be read.
    const Outcome r = run_in_scratch("", "no-existe.txt reporte.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Error: no se puede abrir el archivo de datos \"no-existe.txt\": no existe el archivo o la carpeta\n");
    EXPECT_FALSE(fs::exists(r.dir / "reporte.txt"));
    EXPECT_FALSE(fs::exists(r.dir / "MEMORIA"));
  }
  {
    const Outcome r = run_in_scratch("", ". reporte.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: no se puede leer el archivo de datos \".\": es una carpeta\n");
  }
}

}  // namespace
