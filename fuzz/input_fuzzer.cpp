// libFuzzer target: any bytes taken as a data file and run through the whole
// input phase (reading and echo of every block, numbering, soil profiles,
// slabs, reaction areas, influence values and axes), every file written to
// /dev/null. A rejected data file is a normal end; a crash, a leak, undefined
// behaviour or any other way out is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/run.hpp"
#include "text/fatal.hpp"

namespace {

std::FILE* null_stream() {
  static std::FILE* const f = std::fopen("/dev/null", "wb");
  if (f == nullptr) std::abort();
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvant;
  Model m;
  Files f;
  for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf, &f.con, &f.err}) o->attach(null_stream(), "nulo");
  DataReader rd;
  try {
    // Taking the text in may already refuse it (a UTF-8 character outside Latin-1).
    rd.open_text("datos.txt", std::string(reinterpret_cast<const char*>(data), size));
    input_phase(rd, m, f);
    for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf, &f.con, &f.err}) o->flush();
  } catch (const Fatal& e) {
    // Only the data file can be at fault here, and its message must say where.
    if (e.status != status::BAD_DATA || e.message.rfind("Error en el archivo de datos \"datos.txt\"", 0) != 0) {
      std::fprintf(stderr, "estado %d: %s\n", e.status, e.message.c_str());
      std::abort();
    }
  }
  return 0;
}
