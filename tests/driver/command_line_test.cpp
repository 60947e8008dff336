// The console dialogue and the command line of the program, run as a subprocess.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

namespace fs = std::filesystem;

using korvant::testing::Scratch;

const std::string kExample = std::string(KORVANT_SOURCE_DIR) + "/examples/edificio.txt";

}  // namespace

TEST(CommandLine, DialogueAsksForBothNamesOnTheErrorStream) {
  Scratch s;
  fs::copy_file(kExample, s.dir / "datos.txt");
  // A name is a 50-character field; trailing blanks are not part of it.
  EXPECT_EQ(s.run("", "datos.txt   \nreporte.txt\n"), 0);
  const std::string err = s.read("console.err");
  EXPECT_EQ(err.rfind(" ARCHIVO DE DATOS DE ENTRADA\n ARCHIVO DE RESULTADOS\n No. nodos          14\n", 0), 0u) << err;
  EXPECT_NE(s.read("reporte.txt").find("PROGRAMA KORVANT"), std::string::npos);
  for (const char* f : {"MEMORIA", "VALINF", "arch.msh", "arch.res"}) EXPECT_TRUE(fs::exists(s.dir / f)) << f;
}

TEST(CommandLine, TwoArgumentsSkipTheDialogue) {
  Scratch s;
  EXPECT_EQ(s.run("'" + kExample + "' rep.txt"), 0);
  EXPECT_EQ(s.read("console.err").find("ARCHIVO DE DATOS"), std::string::npos);
}

// Usage errors name what is wrong, then point to --help; --help and --version
// write to the standard output.
struct Usage {
  std::string args, input;
  int status;
  std::string err;  // the whole error stream ("" when the run is not a usage error)
  std::string out;  // the start of the standard output
};

const std::string kHelpLine = "\nPara ver el uso y las opciones: korvant --help\n";
const std::string kAsk = " ARCHIVO DE DATOS DE ENTRADA\n";
const std::string kAskBoth = kAsk + " ARCHIVO DE RESULTADOS\n";

const std::vector<Usage> kUsage = {
    {"--pdf a b", "", 2, "Error: opción desconocida: --pdf" + kHelpLine, ""},
    {"--estratos=medios a b", "", 2, "Error: \"--estratos=medios\": se espera --estratos=integrados" + kHelpLine, ""},
    {"a b --zapatas", "", 2, "Error: \"--zapatas\": se espera --zapatas=estratificadas" + kHelpLine, ""},
    {"--solucion=lu a b", "", 2,
     "Error: \"--solucion=lu\": se espera --solucion=gaussj o --solucion=dispersa" + kHelpLine, ""},
    {"foo.txt", "", 2, "Error: falta el nombre del reporte (después de \"foo.txt\")" + kHelpLine, ""},
    {"uno dos tres", "", 2, "Error: sobra \"tres\": se esperan sólo el archivo de datos y el reporte" + kHelpLine, ""},
    {"--help", "", 0, "", "Uso: korvant [opciones]"},
    {"-h datos.txt", "", 0, "", "Uso: korvant [opciones]"},
    {"--version", "", 0, "", "korvant "},
    // The dialogue: an empty answer, or no answer at all.
    {"", "", 2, kAsk + "Error: la entrada terminó sin el nombre del archivo de datos" + kHelpLine, ""},
    {"", "  \n", 2, kAsk + "Error: la respuesta quedó vacía: falta el nombre del archivo de datos" + kHelpLine, ""},
    {"", "datos.txt\n", 2, kAskBoth + "Error: la entrada terminó sin el nombre del reporte" + kHelpLine, ""},
    {"", "datos.txt\n\n", 2, kAskBoth + "Error: la respuesta quedó vacía: falta el nombre del reporte" + kHelpLine, ""},
};

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  Scratch s;
  for (const Usage& u : kUsage) {
    SCOPED_TRACE("korvant " + u.args + " < \"" + u.input + "\"");
    EXPECT_EQ(s.run(u.args, u.input), u.status);
    if (u.status != 0) {
      EXPECT_EQ(s.read("console.err"), u.err);
    }
    EXPECT_EQ(s.read("console.out").rfind(u.out, 0), 0u) << s.read("console.out");
  }
  // The version names the vector code that gaussj chose on this machine.
  s.run("--version");
  const std::string v = s.read("console.out");
  EXPECT_TRUE(v.find("AVX-512") != std::string::npos || v.find("AVX2") != std::string::npos ||
              v.find("SSE2") != std::string::npos)
      << v;
}

TEST(CommandLine, NamesOfAnyLengthAndCompanionsBesideTheReport) {
  Scratch s;
  // 74 characters: the dialogue takes the whole name.
  const std::string datos(70, 'd');
  fs::copy_file(kExample, s.dir / (datos + ".txt"));
  fs::create_directory(s.dir / "casos");
  EXPECT_EQ(s.run("", datos + ".txt\ncasos/REP\n"), 0) << s.read("console.err");
  for (const char* f : {"REP", "MEMORIA", "VALINF", "arch.msh", "arch.res"}) {
    EXPECT_TRUE(fs::exists(s.dir / "casos" / f)) << f;
    EXPECT_FALSE(fs::exists(s.dir / f)) << f;
  }
}

// Console text in the terminal's character set: UTF-8 under a UTF-8 locale,
// the Latin-1 bytes otherwise; the files stay Latin-1.
TEST(CommandLine, ConsoleTextFollowsTheLocale) {
  Scratch s;
  std::ifstream in(kExample, std::ios::binary);
  std::stringstream t;
  t << in.rdbuf();
  std::string datos = t.str();
  datos.replace(datos.find("\n14\n"), 4, "\n14.5\n");
  std::ofstream(s.dir / "datos.txt", std::ios::binary) << datos;
  const std::string latin1 = "línea 14, NN (número de nodos)";
  const std::string utf8 = "l\xC3\xADnea 14, NN (n\xC3\xBAmero de nodos)";
  EXPECT_EQ(s.run("datos.txt rep"), 1);
  EXPECT_NE(s.read("console.err").find(latin1), std::string::npos);
  EXPECT_EQ(s.run("", "datos.txt\nrep\n", "LC_ALL=C.UTF-8"), 1);
  EXPECT_NE(s.read("console.err").find(utf8), std::string::npos) << s.read("console.err");
  EXPECT_EQ(s.read("rep").find("\xC3"), std::string::npos);
  EXPECT_NE(s.read("rep").find("SECCIÓN"), std::string::npos);
}

TEST(CommandLine, MissingDataFileLeavesThePreviousFilesAlone) {
  Scratch s;
  std::ofstream(s.dir / "reporte.txt") << "reporte anterior\n";
  std::ofstream(s.dir / "MEMORIA") << "memoria anterior\n";
  EXPECT_EQ(s.run("no-existe.txt reporte.txt"), 1);
  EXPECT_NE(s.read("console.err").find("no-existe.txt"), std::string::npos);
  EXPECT_EQ(s.read("reporte.txt"), "reporte anterior\n");
  EXPECT_EQ(s.read("MEMORIA"), "memoria anterior\n");
  EXPECT_FALSE(fs::exists(s.dir / "arch.msh"));
}

// The method options are echoed right after the banner, before the title,
// one line each in a fixed order, whatever the order on the command line.
TEST(CommandLine, MethodOptionsEchoedAfterTheBanner) {
  Scratch s;
  fs::copy_file(kExample, s.dir / "datos.txt");
  ASSERT_EQ(s.run("datos.txt def"), 0);
  ASSERT_EQ(s.run("--zapatas=estratificadas datos.txt rep --estratos=integrados --resumen --html"), 0) << s.read("console.err");
  const std::string def = s.read("def"), rep = s.read("rep");
  const std::string lines =
      " Estratos: valores de influencia integrados en el espesor\n"
      " Zapatas: rigideces del suelo estratificado, con interacci\xF3n\n";
  const std::size_t title = def.find(" EDIFICIO");
  ASSERT_NE(title, std::string::npos);
  EXPECT_EQ(rep.substr(0, title + lines.size()), def.substr(0, title) + lines);
  // The summary and the page say it too.
  EXPECT_NE(s.read("rep_resumen.txt").find("\n  Estratos: valores de influencia integrados en el espesor\n"), std::string::npos);
  EXPECT_NE(s.read("rep.html").find("Zapatas: rigideces del suelo estratificado, con interacci\xC3\xB3n"), std::string::npos);
}

TEST(CommandLine, SummaryLogGrowsWithThePassesNotWithTheModel) {
  // 4 x 4 to 8 x 8 foundation nodes: four times the reactions, twice the axes,
  // the same passes.
  std::uintmax_t size[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    Scratch s;
    const std::string n = i == 0 ? "4" : "8";
    const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx " + n + " --ny " + n +
                            " --storeys 1 --slabs > '" + s.path("datos.txt").string() + "'";
    ASSERT_EQ(std::system(gen.c_str()), 0);
    ASSERT_EQ(s.run("--memoria=resumida datos.txt reporte.txt"), 0);
    size[i] = fs::file_size(s.path("MEMORIA"));
  }
  EXPECT_GT(size[0], 0u);
  EXPECT_LE(static_cast<double>(size[1]), 2.2 * static_cast<double>(size[0])) << size[0] << " -> " << size[1];
}
