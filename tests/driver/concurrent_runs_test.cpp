// Two analyses in one process: each holds its own model, files and workspace,
// so two of them on two threads write what two separate runs write.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <thread>

#include "driver/run.hpp"
#include "text/fatal.hpp"
#include "../toolkit/scratch.hpp"

namespace {

namespace fs = std::filesystem;
using korvant::testing::Scratch;
using korvant::testing::slurp;

const char* const kOutputs[] = {"REPORTE", "MEMORIA", "VALINF", "arch.msh", "arch.res"};

// A whole run of folder/datos.txt in the process, its files beside it;
// gaussj on this thread alone. Returns the message of a run that ended early.
std::string run_here(const fs::path& folder) {
  korvant::Model m;
  korvant::Files f;
  korvant::Workspace ws(korvant::GaussjSettings{24, LONG_MAX, 2});
  try {
    korvant::run((folder / "datos.txt").string(), (folder / "REPORTE").string(), m, f, {}, &ws);
  } catch (const korvant::Fatal& e) {
    return e.message.empty() ? "status " + std::to_string(e.status) : e.message;
  }
  return "";
}

TEST(ConcurrentRuns, TwoModelsOnTwoThreadsWriteTheBytesOfSeparateRuns) {
  // A linear building with slabs and footings, and a nonlinear one.
  const std::string models[2] = {"--nx 4 --ny 3 --storeys 2 --slabs --footings 1",
                                 "--nx 3 --ny 3 --storeys 1 --kanal 2 --cases 0110"};
  Scratch alone[2], together[2];
  for (int k = 0; k < 2; ++k) {
    const std::string gen = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' " + models[k] + " > '" +
                            alone[k].path("datos.txt").string() + "'";
    ASSERT_EQ(std::system(gen.c_str()), 0);
    fs::copy_file(alone[k].path("datos.txt"), together[k].path("datos.txt"));
    ASSERT_EQ(alone[k].run("", "datos.txt\nREPORTE\n"), 0) << alone[k].read("console.err");
  }
  std::string ended[2];
  std::thread a([&] { ended[0] = run_here(together[0].dir); });
  std::thread b([&] { ended[1] = run_here(together[1].dir); });
  a.join();
  b.join();
  EXPECT_EQ(ended[0], "");
  EXPECT_EQ(ended[1], "");
  for (int k = 0; k < 2; ++k)
    for (const char* name : kOutputs) {
      const std::string expected = alone[k].read(name);
      EXPECT_FALSE(expected.empty()) << k << " " << name;
      EXPECT_TRUE(expected == together[k].read(name)) << k << " " << name;
    }
}

}  // namespace
