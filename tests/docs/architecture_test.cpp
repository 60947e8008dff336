// The layers of docs/architecture.md hold in the sources: every include of a
// project header points to the same folder or to a lower layer, and the lower
// layers never see the set of files of the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "../toolkit/scratch.hpp"

namespace {

using namespace korvant::testing;

const fs::path kSrc = fs::path(KORVANT_SOURCE_DIR) / "src";

// The layer of each folder: an include may only point to a lower one. The
// three computing folders are peers that do not include each other; the driver
// may use the views.
const std::map<std::string, int> kRank = {{"text", 0}, {"model", 1}, {"soil", 2}, {"frame", 2},
                                          {"solve", 2}, {"views", 3}, {"study", 4}, {"driver", 5}};

TEST(Architecture, IncludesPointDown) {
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(kSrc)) {
    if (!e.is_regular_file()) continue;
    const std::string from = e.path().parent_path().filename().string();
    ASSERT_TRUE(kRank.count(from)) << "a folder the layers do not name: " << from;
    ++files;
    int n = 0;
    for (const std::string& line : split_lines(slurp(e.path()))) {
      ++n;
      if (line.rfind("#include \"", 0) != 0) continue;
      const std::string path = line.substr(10, line.find('"', 10) - 10);
      const std::string to = path.substr(0, path.find('/'));
      ASSERT_TRUE(kRank.count(to)) << e.path() << ":" << n << ": " << line;
      if (to == from) continue;
      EXPECT_LT(kRank.at(to), kRank.at(from)) << e.path() << ":" << n << " includes " << path;
      if (path == "text/files.hpp") {
        EXPECT_EQ(from, "driver") << e.path() << ":" << n << ": the files belong to the driver";
      }
    }
  }
  EXPECT_GT(files, 40);
  // The document names every folder it draws.
  const std::string doc = slurp(fs::path(KORVANT_SOURCE_DIR) / "docs" / "architecture.md");
  for (const auto& [folder, rank] : kRank) EXPECT_NE(doc.find(folder + "/"), std::string::npos) << folder;
}

}  // namespace
