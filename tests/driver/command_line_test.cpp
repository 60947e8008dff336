// The console dialogue and the command line of the program, run as a subprocess.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Scratch {
  fs::path dir;
  Scratch() {
    char tmpl[] = "/tmp/korvant-cli-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~Scratch() { fs::remove_all(dir); }
  std::string read(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Runs the program in the folder with the given arguments and standard input.
  int run(const std::string& args, const std::string& input = "") const {
    std::ofstream(dir / "stdin.txt", std::ios::binary) << input;
    const std::string cmd = "cd '" + dir.string() + "' && '" KORVANT_BIN "' " + args +
                            " < stdin.txt > out.txt 2> err.txt";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
};

const std::string kExample = std::string(KORVANT_SOURCE_DIR) + "/examples/edificio.txt";

}  // namespace

TEST(CommandLine, DialogueAsksForBothNamesOnTheErrorStream) {
  Scratch s;
  fs::copy_file(kExample, s.dir / "datos.txt");
  // A name is a 50-character field; trailing blanks are not part of it.
  EXPECT_EQ(s.run("", "datos.txt   \nreporte.txt\n"), 0);
  const std::string err = s.read("err.txt");
  EXPECT_EQ(err.rfind(" ARCHIVO DE DATOS DE ENTRADA\n ARCHIVO DE RESULTADOS\n No. nodos          14\n", 0), 0u) << err;
  EXPECT_NE(s.read("reporte.txt").find("PROGRAMA KORVANT"), std::string::npos);
  for (const char* f : {"MEMORIA", "VALINF", "arch.msh", "arch.res"}) EXPECT_TRUE(fs::exists(s.dir / f)) << f;
}

TEST(CommandLine, TwoArgumentsSkipTheDialogueAndHelpPrintsTheUsage) {
  Scratch s;
  EXPECT_EQ(s.run("'" + kExample + "' rep.txt"), 0);
  EXPECT_EQ(s.read("err.txt").find("ARCHIVO DE DATOS"), std::string::npos);
  EXPECT_EQ(s.run("--help"), 0);
  EXPECT_NE(s.read("out.txt").find("Uso: korvant"), std::string::npos);
  EXPECT_EQ(s.run("uno dos tres"), 2);
  EXPECT_NE(s.read("err.txt").find("Uso: korvant"), std::string::npos);
  EXPECT_EQ(s.run("solo-uno"), 2);
}

TEST(CommandLine, MissingDataFileLeavesThePreviousFilesAlone) {
  Scratch s;
  std::ofstream(s.dir / "reporte.txt") << "reporte anterior\n";
  std::ofstream(s.dir / "MEMORIA") << "memoria anterior\n";
  EXPECT_EQ(s.run("no-existe.txt reporte.txt"), 1);
  EXPECT_NE(s.read("err.txt").find("no-existe.txt"), std::string::npos);
  EXPECT_EQ(s.read("reporte.txt"), "reporte anterior\n");
  EXPECT_EQ(s.read("MEMORIA"), "memoria anterior\n");
  EXPECT_FALSE(fs::exists(s.dir / "arch.msh"));
}
