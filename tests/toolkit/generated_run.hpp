// Test toolkit: a building made by tools/genmodel.py and run whole, in the
// process, in a scratch folder; console lines to /dev/null.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/run.hpp"
#include "scratch.hpp"

namespace korvant::testing {

// Writes datos.txt in `s` with genmodel's `args` and runs it there into
// REPORTE with `opts` (and `ws` when given), log level None; the working
// folder is back where it was afterwards. False when the generator fails.
inline bool run_generated(const Scratch& s, const std::string& args, Model& m, ViewOptions opts = {},
                          Workspace* ws = nullptr) {
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' " + args + " > '" +
                          s.path("datos.txt").string() + "'";
  if (std::system(gen.c_str()) != 0) return false;
  const fs::path home = fs::current_path();
  fs::current_path(s.dir);
  std::FILE* null = std::fopen("/dev/null", "wb");
  Files f;
  f.con.attach(null, "consola");
  f.err.attach(null, "consola de errores");
  f.log.set_level(LogLevel::None);
  run("datos.txt", "REPORTE", m, f, std::move(opts), ws);
  f.con.flush();
  f.err.flush();
  std::fclose(null);
  fs::current_path(home);
  return true;
}

}  // namespace korvant::testing
