// Test toolkit: the program run as a subprocess in a scratch folder, and the
// files it leaves there read back.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace korvant::testing {

namespace fs = std::filesystem;

// The whole content of a file ("" when it cannot be read).
inline std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The lines of a text, without their newlines.
inline std::vector<std::string> split_lines(const std::string& s) {
  std::vector<std::string> v;
  std::string line;
  std::istringstream in(s);
  while (std::getline(in, line)) v.push_back(line);
  return v;
}

// A folder of its own under /tmp, removed with everything in it at the end.
struct Scratch {
  fs::path dir;
  Scratch() {
    char tmpl[] = "/tmp/korvant-test-XXXXXX";
    const char* d = mkdtemp(tmpl);
    dir = d != nullptr ? d : "/nonexistent";
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  fs::path path(const std::string& name) const { return dir / name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const { return slurp(dir / name); }
  // The names of the files in the folder, sorted.
  std::vector<std::string> files() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(dir)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }

  // Runs the program in the folder with the given arguments and standard
  // input, its console to console.out and console.err, under the C locale
  // unless `env` says otherwise ("LC_ALL=C.UTF-8"); returns the exit status
  // (-1 when killed).
  int run(const std::string& args, const std::string& input = "", const std::string& env = "LC_ALL=C") const {
    write("stdin.txt", input);
    const int rc = shell("cd '" + dir.string() + "' && " + env + " '" KORVANT_BIN "' " + args +
                         " < stdin.txt > console.out 2> console.err");
    std::error_code ec;
    fs::remove(dir / "stdin.txt", ec);
    return rc;
  }
  // The same with the output of the shell command `feed` (an endless one such
  // as `yes` included) on the program's standard input.
  int run_fed(const std::string& feed, const std::string& args, const std::string& env = "LC_ALL=C") const {
    return shell("cd '" + dir.string() + "' && " + feed + " | " + env + " '" KORVANT_BIN "' " + args +
                 " > console.out 2> console.err");
  }
  // A shell command's exit status (-1 when killed).
  static int shell(const std::string& cmd) {
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
};

}  // namespace korvant::testing
