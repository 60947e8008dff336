// Test toolkit: an OutFile whose text is captured in memory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "text/out_file.hpp"

namespace korvant::testing {

// Writes through an OutFile into a temporary file and returns what was written:
// its own (`out`), or one of the files of a run given to the constructor, which
// must outlive the capture.
struct Capture {
  std::FILE* tmp = std::tmpfile();
  OutFile out;
  OutFile* target = &out;
  Capture() { out.attach(tmp, "captura"); }
  explicit Capture(OutFile& file) : target(&file) { file.attach(tmp, "captura"); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  ~Capture() {
    target->close_quietly();
    std::fclose(tmp);
  }
  // Everything written since the last call.
  std::string text() {
    target->flush();
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
