// Test helpers for the data-file input: the files of a run written to temporary
// files, read back as text, and the rejection message of a failing step.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "text/fatal.hpp"
#include "text/files.hpp"

namespace korvant::testing {

struct RunFiles {
  Files f;
  std::vector<std::pair<OutFile*, std::FILE*>> tmp;

  RunFiles() {
    for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf, &f.con, &f.err}) {
      std::FILE* t = std::tmpfile();
      o->attach(t, "prueba");
      tmp.emplace_back(o, t);
    }
  }
  ~RunFiles() {
    for (auto& [o, t] : tmp) {
      o->close_quietly();
      std::fclose(t);
    }
  }
  // Everything written so far to o.
  std::string text(OutFile& o) {
    o.flush();
    for (auto& [p, t] : tmp) {
      if (p != &o) continue;
      std::string s;
      std::rewind(t);
      char b[4096];
      std::size_t n;
      while ((n = std::fread(b, 1, sizeof b, t)) > 0) s.append(b, n);
      std::fseek(t, 0, SEEK_END);
      return s;
    }
    return {};
  }
  std::string rep() { return text(f.rep); }
  std::string mem() { return text(f.mem); }
  std::string msh() { return text(f.msh); }
  std::string err() { return text(f.err); }
};

// The message of the bad-data error that step() ends with ("" and a test
// failure when it ends normally or with another status).
inline std::string rejection(const std::function<void()>& step) {
  try {
    step();
  } catch (const Fatal& e) {
    EXPECT_EQ(e.status, status::BAD_DATA) << e.message;
    return e.message;
  }
  ADD_FAILURE() << "the data were accepted";
  return {};
}

// Free-format integer and text pieces of expected lines, written by hand here.
inline std::string i12(int v) {
  char b[32];
  std::snprintf(b, sizeof b, "%12d", v);
  return b;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  std::size_t a = 0;
  while (a < s.size()) {
    std::size_t e = s.find('\n', a);
    if (e == std::string::npos) e = s.size();
    out.push_back(s.substr(a, e - a));
    a = e + 1;
  }
  return out;
}

}  // namespace korvant::testing
