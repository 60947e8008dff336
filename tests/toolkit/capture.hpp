// Test toolkit: an OutFile whose text is captured in memory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "text/files.hpp"

namespace korvant::testing {

// Writes through an OutFile into a temporary file and returns what was written.
struct Capture {
  std::FILE* tmp = std::tmpfile();
  OutFile out;
  Capture() { out.attach(tmp, "captura"); }
  ~Capture() {
    out.close_quietly();
    std::fclose(tmp);
  }
  // Everything written since the last call.
  std::string text() {
    out.flush();
    std::string s;
    std::rewind(tmp);
    char b[4096];
    std::size_t n;
    while ((n = std::fread(b, 1, sizeof b, tmp)) > 0) s.append(b, n);
    std::rewind(tmp);
    if (ftruncate(fileno(tmp), 0) != 0) s += "<no se pudo vaciar>";
    return s;
  }
};

}  // namespace korvant::testing
