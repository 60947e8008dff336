// The page of a generated building of 10 x 10 foundation nodes under three
// storeys, with slabs, every case: small enough to mail and to open (under
// 5 MB; it was 17.8 MB when every slab was shaded in 225 cells per pass), and
// well-formed. Label "large": seconds of solving, left out of the sanitizer run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../toolkit/generated_run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace korvant;

TEST(LargePage, TenByTenByThreeIsUnderFiveMegabytes) {
  const korvant::testing::Scratch s;
  Model m;
  ViewOptions opts;
  opts.html = true;
  ASSERT_TRUE(korvant::testing::run_generated(s, "--nx 10 --ny 10 --storeys 3 --slabs", m, opts));
  const auto size = fs::file_size(s.path("REPORTE.html"));
  EXPECT_LT(size, 5u * 1000u * 1000u) << size;
  const std::string check = "cd '" + s.dir.string() +
                            "' && python3 -c 'import xml.dom.minidom as d; d.parse(\"REPORTE.html\")' > /dev/null 2>&1";
  if (std::system(check.c_str()) != 0) ADD_FAILURE() << "la página no es XML bien formado";
}

}  // namespace
