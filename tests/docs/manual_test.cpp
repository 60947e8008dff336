// The user's manual must not drift from the program: its annotated example is
// the example file byte for byte, every message it quotes is built from the
// texts of the sources, and its example commands run.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../toolkit/scratch.hpp"

namespace {

namespace fs = std::filesystem;
using korvant::testing::slurp;
using korvant::testing::split_lines;

const fs::path kRoot = KORVANT_SOURCE_DIR;

struct Fence {
  std::string info;  // what follows the opening ```
  std::string body;  // the lines inside, each with its newline
};

std::vector<Fence> fences(const std::vector<std::string>& lines) {
  std::vector<Fence> out;
  Fence* open = nullptr;
  for (const auto& l : lines) {
    if (l.rfind("```", 0) == 0) {
      if (open) {
        open = nullptr;
      } else {
        out.push_back({l.substr(3), {}});
        open = &out.back();
      }
    } else if (open) {
      open->body += l + "\n";
    }
  }
  return out;
}

// The string literals of a C++ source; literals written next to each other
// (only blanks or comments between them) are joined, as the compiler does.
void literal_groups(const std::string& src, std::vector<std::string>& groups) {
  std::string cur;
  bool open = false;
  auto close = [&] {
    if (open) groups.push_back(cur);
    cur.clear();
    open = false;
  };
  const std::size_t n = src.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = src[i];
    if (c == '/' && i + 1 < n && src[i + 1] == '/') {
      i = src.find('\n', i);
      if (i == std::string::npos) i = n;
    } else if (c == '/' && i + 1 < n && src[i + 1] == '*') {
      i = src.find("*/", i + 2);
      i = i == std::string::npos ? n : i + 2;
    } else if (c == '"') {
      for (++i; i < n && src[i] != '"'; ++i) {
        if (src[i] == '\\' && i + 1 < n) {
          ++i;
          cur += src[i] == 'n' ? '\n' : src[i] == 't' ? '\t' : src[i];
        } else {
          cur += src[i];
        }
      }
      ++i;
      open = true;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else {
      close();
      if (c == '\'') {  // a character literal
        for (++i; i < n && src[i] != '\''; ++i)
          if (src[i] == '\\') ++i;
      }
      ++i;
    }
  }
  close();
}

std::vector<std::string> source_texts() {
  std::vector<std::string> groups;
  for (const auto& e : fs::recursive_directory_iterator(kRoot / "src"))
    if (e.is_regular_file()) literal_groups(slurp(e.path()), groups);
  return groups;
}

bool starts_at(const std::string& s, std::size_t i, const std::string& g) {
  return !g.empty() && s.compare(i, g.size(), g) == 0;
}

// Whether the program can write `s`: it lies inside one text of the sources, or
// it is the end of one text, followed by whole texts or numbers, followed by the
// beginning of another ("NI" + " de la losa ", "se leyó " + 833 + ...).
bool writable(const std::vector<std::string>& texts, const std::string& s) {
  for (const auto& t : texts)
    if (t.find(s) != std::string::npos) return true;
  const std::size_t n = s.size();
  std::vector<char> reach(n + 1, 0);
  for (std::size_t i = 1; i < n; ++i)
    for (const auto& t : texts)
      if (t.size() >= i && t.compare(t.size() - i, i, s, 0, i) == 0) reach[i] = 1;
  for (std::size_t i = 1; i <= n; ++i) {
    if (!reach[i]) continue;
    if (i == n) return true;
    for (const auto& t : texts) {
      if (t.compare(0, n - i, s, i, n - i) == 0 && t.size() >= n - i) return true;
      if (starts_at(s, i, t)) reach[i + t.size()] = 1;
    }
    if (std::isdigit(static_cast<unsigned char>(s[i]))) {
      std::size_t j = i;
      while (j < n && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
      reach[j] = 1;
    }
  }
  return false;
}

std::string strip(const std::string& s) {
  const char* edge = " \"',.:;()";
  const std::size_t a = s.find_first_not_of(edge);
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(edge) - a + 1);
}

// The message templates the manual quotes: the code spans of the table columns
// headed "Mensaje" or "Nombre en los mensajes". <...> marks a variable part.
std::vector<std::string> quoted_messages(const std::vector<std::string>& lines) {
  auto cells = [](const std::string& row) {
    std::vector<std::string> out;
    std::string cur;
    bool code = false;
    for (std::size_t i = 1; i < row.size(); ++i) {
      if (row[i] == '`') code = !code;
      if (row[i] == '|' && !code) {
        out.push_back(cur);
        cur.clear();
      } else {
        cur += row[i];
      }
    }
    return out;
  };
  std::vector<std::string> out;
  std::vector<bool> quoting;  // by column, for the current table
  bool in_table = false, in_fence = false;
  for (const auto& l : lines) {
    if (l.rfind("```", 0) == 0) in_fence = !in_fence;
    if (in_fence || l.empty() || l[0] != '|') {
      in_table = false;
      continue;
    }
    const auto row = cells(l);
    if (!in_table) {
      in_table = true;
      quoting.clear();
      for (const auto& c : row) {
        const std::string h = strip(c);
        quoting.push_back(h == "Mensaje" || h == "Nombre en los mensajes");
      }
      continue;
    }
    for (std::size_t k = 0; k < row.size() && k < quoting.size(); ++k) {
      if (!quoting[k]) continue;
      const std::string& c = row[k];
      for (std::size_t a = c.find('`'); a != std::string::npos; a = c.find('`', a + 1)) {
        const std::size_t b = c.find('`', a + 1);
        if (b == std::string::npos) break;
        out.push_back(c.substr(a + 1, b - a - 1));
        a = b;
      }
    }
  }
  return out;
}

class Manual : public ::testing::Test {
 protected:
  std::vector<std::string> lines = split_lines(slurp(kRoot / "docs" / "manual.md"));
};

TEST_F(Manual, AnnotatedExampleIsTheExampleFile) {
  std::string shown;
  int parts = 0;
  for (const auto& f : fences(lines))
    if (f.info == "text edificio.txt") {
      shown += f.body;
      ++parts;
    }
  EXPECT_GE(parts, 11);  // one part per block of the data file
  const std::string file = slurp(kRoot / "examples" / "edificio.txt");
  EXPECT_TRUE(shown == file) << "the manual's example and examples/edificio.txt differ";
  const auto m = split_lines(shown), e = split_lines(file);
  for (std::size_t i = 0; i < m.size() || i < e.size(); ++i) {
    if (i < m.size() && i < e.size() && m[i] == e[i]) continue;
    ADD_FAILURE() << "first difference at line " << i + 1 << ":\n manual:  "
                  << (i < m.size() ? m[i] : "(end)") << "\n example: " << (i < e.size() ? e[i] : "(end)");
    break;
  }
}

TEST_F(Manual, EveryQuotedMessageIsWrittenByTheProgram) {
  const auto texts = source_texts();
  const auto messages = quoted_messages(lines);
  EXPECT_GE(messages.size(), 120u);
  for (const auto& m : messages) {
    // Fixed parts between the variable parts <...>.
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t a = m.find('<'); a != std::string::npos; a = m.find('<', from)) {
      parts.push_back(m.substr(from, a - from));
      const std::size_t b = m.find('>', a);
      ASSERT_NE(b, std::string::npos) << m;
      from = b + 1;
    }
    parts.push_back(m.substr(from));
    const bool whole = parts.size() == 1;
    int checked = 0;
    for (const auto& p : parts) {
      const std::string s = strip(p);
      if (s.size() >= 3) {
        EXPECT_TRUE(writable(texts, s)) << "\"" << s << "\" in: " << m;
        ++checked;
      } else if (whole && !s.empty()) {  // a short item name: a text of its own
        bool own = false;
        for (const auto& t : texts) own = own || t == s;
        EXPECT_TRUE(own) << m;
        ++checked;
      }
    }
    EXPECT_GT(checked, 0) << "nothing to check in: " << m;
  }
}

TEST_F(Manual, ExampleCommandsRun) {
  // A scratch copy of the repository layout the commands are written for.
  char tmpl[] = "/tmp/korvant-manual-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path d(tmpl);
  fs::create_directory(d / "build");
  fs::create_symlink(KORVANT_BIN, d / "build" / "korvant");
  fs::create_directory_symlink(kRoot / "examples", d / "examples");
  int run = 0;
  for (const auto& f : fences(lines)) {
    if (f.info != "sh") continue;
    std::ofstream(d / "orden.sh", std::ios::binary) << f.body;
    const std::string cmd = "cd '" + d.string() + "' && bash -e orden.sh > orden.out 2>&1";
    const int rc = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << f.body << slurp(d / "orden.out");
    ++run;
  }
  EXPECT_GE(run, 4);
  EXPECT_GT(fs::file_size(d / "salida" / "REPORTE"), 100000u);
  EXPECT_TRUE(fs::exists(d / "salida" / "arch.res"));
  fs::remove_all(d);
}

TEST_F(Manual, ReadmeLinksToIt) {
  EXPECT_NE(slurp(kRoot / "README.md").find("(docs/manual.md)"), std::string::npos);
}

}  // namespace
