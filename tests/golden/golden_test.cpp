// Golden outputs: each model of tests/golden/ is run through the whole program
// (console dialogue, C locale, the options in its `args`) and every file it
// writes, its console streams and its exit status must equal the stored ones
// byte for byte. A large log is stored as its first lines and the SHA-256 of
// each block of 1000 lines, and the summary log of the same run
// (--memoria=resumida) whole beside it, as MEMORIA.resumida, so that a change
// of the log shows in a diff. tools/regen-golden writes them after an
// intended change (tests/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../toolkit/scratch.hpp"
#include "../toolkit/sha256.hpp"

namespace {

using namespace korvant::testing;

const fs::path kGolden = fs::path(KORVANT_SOURCE_DIR) / "tests" / "golden";
constexpr std::size_t kBlockLines = 1000;
constexpr std::size_t kShown = 3;  // differing lines shown per file
const char* const kSummary = "MEMORIA.resumida";  // the summary log beside a digested one

std::vector<std::string> golden_models() {
  std::vector<std::string> v;
  for (const auto& e : fs::directory_iterator(kGolden))
    if (fs::exists(e.path() / "datos.txt")) v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

// Line n (from 1) of `lines`, quoted, or a mark that the file has no such line.
std::string shown(const std::vector<std::string>& lines, std::size_t n) {
  return n <= lines.size() ? "'" + lines[n - 1] + "'" : "<no line>";
}

// The first differing lines of two texts, numbered from `first`.
std::string line_differences(const std::string& expected, const std::string& got, std::size_t first = 1) {
  const std::vector<std::string> e = split_lines(expected), g = split_lines(got);
  std::ostringstream out;
  std::size_t n = 0, differ = 0;
  for (std::size_t i = 1; i <= std::max(e.size(), g.size()); ++i) {
    if (i <= e.size() && i <= g.size() && e[i - 1] == g[i - 1]) continue;
    ++differ;
    if (n++ < kShown)
      out << "    line " << i + first - 1 << "\n      expected: " << shown(e, i) << "\n      got:      " << shown(g, i)
          << "\n";
  }
  if (differ == 0) out << "    (the lines match; the end of the last line differs)\n";
  else out << "    " << differ << " lines differ\n";
  return out.str();
}

// Start of the line n lines after the one starting at pos (from 0), or the
// size of the text when it has fewer lines.
std::size_t line_start(const std::string& s, std::size_t n, std::size_t pos = 0) {
  for (std::size_t i = 0; i < n && pos < s.size(); ++i) {
    const std::size_t nl = s.find('\n', pos);
    pos = nl == std::string::npos ? s.size() : nl + 1;
  }
  return pos;
}

// "lines N", "bytes B", "block K HEX": what tools/regen-golden stores for a large file.
std::string digest_text(const std::string& data) {
  std::size_t lines = static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
  if (!data.empty() && data.back() != '\n') ++lines;
  std::ostringstream out;
  out << "lines " << lines << "\nbytes " << data.size() << "\n";
  std::size_t pos = 0;
  for (int k = 1; pos < data.size(); ++k) {
    const std::size_t end = line_start(data, kBlockLines, pos);
    out << "block " << k << " " << sha256_hex(std::string_view(data).substr(pos, end - pos)) << "\n";
    pos = end;
  }
  return out.str();
}

// What differs between a large output and its head and block digests.
std::string large_file_differences(const std::string& head, const std::string& digests, const std::string& got) {
  const std::string got_head = got.substr(0, line_start(got, split_lines(head).size()));
  if (got_head != head) return line_differences(head, got_head);
  const std::vector<std::string> e = split_lines(digests), g = split_lines(digest_text(got));
  std::ostringstream out;
  for (std::size_t i = 0; i < std::max(e.size(), g.size()); ++i) {
    const std::string ei = i < e.size() ? e[i] : "<none>", gi = i < g.size() ? g[i] : "<none>";
    if (ei == gi) continue;
    if (ei.rfind("block ", 0) == 0 || gi.rfind("block ", 0) == 0) {
      const std::size_t k = i - 2;  // blocks follow the two count lines
      const std::size_t from = line_start(got, k * kBlockLines);
      out << "    first differing block: lines " << k * kBlockLines + 1 << " to " << (k + 1) * kBlockLines
          << "; the run wrote there:\n";
      for (const std::string& l : split_lines(got.substr(from, line_start(got, k * kBlockLines + kShown) - from)))
        out << "      '" << l << "'\n";
    } else {
      out << "    expected: " << ei << "; got: " << gi << "\n";
    }
    if (ei.rfind("block ", 0) == 0 || gi.rfind("block ", 0) == 0) break;
  }
  return out.str();
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, EveryOutputAsStored) {
  const fs::path model = kGolden / GetParam();
  Scratch s;
  s.write("datos.txt", slurp(model / "datos.txt"));
  std::string args = slurp(model / "args");
  args.erase(std::remove(args.begin(), args.end(), '\n'), args.end());
  const int status = s.run(args, "datos.txt\nreporte.txt\n");

  std::map<std::string, std::string> got;
  for (const auto& e : fs::directory_iterator(s.dir))
    if (e.path().filename() != "datos.txt") got[e.path().filename().string()] = slurp(e.path());
  got["exit.txt"] = std::to_string(status) + "\n";

  std::set<std::string> expected;
  for (const auto& e : fs::directory_iterator(model)) {
    std::string name = e.path().filename().string();
    if (name == "datos.txt" || name == "args" || name == kSummary) continue;
    if (e.path().extension() == ".head") continue;
    if (e.path().extension() == ".sha256") name = e.path().stem().string();
    expected.insert(name);
  }

  for (const std::string& name : expected) {
    const auto it = got.find(name);
    if (it == got.end()) {
      ADD_FAILURE() << name << ": not written by the run";
      continue;
    }
    const fs::path whole = model / name;
    if (fs::exists(whole)) {
      const std::string want = slurp(whole);
      if (want != it->second) ADD_FAILURE() << name << " differs:\n" << line_differences(want, it->second);
    } else {
      const std::string diff = large_file_differences(slurp(model / (name + ".head")),
                                                      slurp(model / (name + ".sha256")), it->second);
      if (!diff.empty()) ADD_FAILURE() << name << " differs:\n" << diff;
    }
  }
  for (const auto& [name, text] : got)
    if (expected.count(name) == 0) ADD_FAILURE() << name << ": written by the run but not stored";

  // A log kept as digests is readable in its summary form.
  if (!fs::exists(model / "MEMORIA.sha256")) {
    EXPECT_FALSE(fs::exists(model / kSummary)) << "a summary log beside a whole log";
    return;
  }
  Scratch sum;
  sum.write("datos.txt", slurp(model / "datos.txt"));
  EXPECT_EQ(sum.run(args + " --memoria=resumida", "datos.txt\nreporte.txt\n"), status);
  const std::string want = slurp(model / kSummary), summary = sum.read("MEMORIA");
  if (!fs::exists(model / kSummary)) ADD_FAILURE() << kSummary << ": not stored";
  else if (want != summary) ADD_FAILURE() << kSummary << " differs:\n" << line_differences(want, summary);
}

INSTANTIATE_TEST_SUITE_P(Models, Golden, ::testing::ValuesIn(golden_models()),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

// The digests of the toolkit are SHA-256: the two test vectors of the standard
// and one message that needs a second padding block.
TEST(GoldenDigest, IsSha256) {
  EXPECT_EQ(sha256_hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256_hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
