// libFuzzer target: a data file through the whole run — the input phase, the
// frame assembly, the field moduli and every analysis case switched on, with
// the VTK, CSV and SVG files of every solve — with every file written to
// /dev/null. Only small models go past the input phase
// (the solves grow with the cube of the equations); a rejected data file and a
// singular system are normal ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/run.hpp"
#include "frame/frame.hpp"
#include "solve/workspace.hpp"
#include "text/fatal.hpp"
#include "soil/soil.hpp"

namespace {

std::FILE* null_stream() {
  static std::FILE* const f = std::fopen("/dev/null", "wb");
  if (f == nullptr) std::abort();
  return f;
}

constexpr int MAX_EQUATIONS = 120;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvant;
  Model m;
  Files f;
  for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf, &f.con, &f.err}) o->attach(null_stream(), "nulo");
  DataReader rd;
  try {
    // The reading of the text itself may refuse it (a NUL byte, a line too long).
    rd.open_text("datos.txt", std::string(reinterpret_cast<const char*>(data), size));
    input_phase(rd, m, f);
    if (m.NGRED + m.NR + m.MR > MAX_EQUATIONS || m.NB > MAX_EQUATIONS) return 0;
    Views views(ViewOptions{true, true, true, true, true}, "nulo");
    views.send_all_to(null_stream());
    views.start(f.err);
    Workspace ws;
    analysis_phase(m, f, ws, &views);
    views.finish(m, f.con);
    for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf, &f.con, &f.err}) o->flush();
  } catch (const Fatal& e) {
    const bool data = e.status == status::BAD_DATA && e.message.rfind("Error en el archivo de datos \"datos.txt\"", 0) == 0;
    if (!data && e.status != status::SINGULAR) {
      std::fprintf(stderr, "estado %d: %s\n", e.status, e.message.c_str());
      std::abort();
    }
  }
  return 0;
}
