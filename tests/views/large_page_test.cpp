// The page of a generated building of 10 x 10 foundation nodes under three
// storeys, with slabs, every case: small enough to mail and to open (under
// 5 MB; it was 17.8 MB when every slab was shaded in 225 cells per pass), and
// well-formed. Label "large": seconds of solving, left out of the sanitizer run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace korvant;

TEST(LargePage, TenByTenByThreeIsUnderFiveMegabytes) {
  char tmpl[] = "/tmp/korvant-large-page-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' --nx 10 --ny 10 --storeys 3 --slabs > '" +
                          (dir / "datos.txt").string() + "'";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  const fs::path home = fs::current_path();
  fs::current_path(dir);
  std::FILE* null = std::fopen("/dev/null", "wb");
  Model m;
  Files f;
  f.con.attach(null, "consola");
  f.err.attach(null, "consola de errores");
  f.log.set_level(LogLevel::None);
  ViewOptions opts;
  opts.html = true;
  run("datos.txt", "REPORTE", m, f, opts);
  f.con.flush();
  f.err.flush();
  std::fclose(null);
  const auto size = fs::file_size("REPORTE.html");
  EXPECT_LT(size, 5u * 1000u * 1000u) << size;
  if (std::system("python3 -c 'import xml.dom.minidom as d; d.parse(\"REPORTE.html\")' > /dev/null 2>&1") != 0)
    ADD_FAILURE() << "la página no es XML bien formado";
  fs::current_path(home);
  fs::remove_all(dir);
}

}  // namespace
