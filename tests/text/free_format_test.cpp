#include "text/free_format.hpp"

#include <gtest/gtest.h>

#include <cstdio>

#include "../toolkit/capture.hpp"

using namespace korvant;
using korvant::testing::Capture;

TEST(FreeFormat, ItemsJoinedAfterOneBlank) {
  Capture c;
  lst(c.out, "nn=", 5, " nb=", 2);
  lst(c.out, "LLAMANDO A FLSC", "N=", 2);
  lst(c.out, " ");
  lst(c.out);
  lst(c.out, 2.5f, -0.0f);
  lst(c.out, 0.1);
  EXPECT_EQ(c.text(),
            " nn=           5 nb=           2\n"
            " LLAMANDO A FLSCN=           2\n"
            "  \n"
            "\n"
            "    2.500000      -0.000000    \n"
            "  0.100000000000000     \n");
}

TEST(FreeFormat, LatinOneTextIsOneBytePerLetter) {
  Capture c;
  lst(c.out, "SECCIÓN");
  std::string t = c.text();
  EXPECT_EQ(t.size(), 9u);
  EXPECT_EQ(static_cast<unsigned char>(t[6]), 0xD3);
}

// A log that grows past its warning size says so once, on the stream given,
// whichever of the files sharing the flag passes first.
TEST(OutFile, WarnsOnceWhenALogGrowsPastItsSize) {
  korvant::OutFile mem, vinf, err;
  mem.open("/dev/null");
  vinf.open("/dev/null");
  std::FILE* tmp = std::tmpfile();
  ASSERT_NE(tmp, nullptr);
  err.attach(tmp, "consola de errores");
  bool warned = false;
  mem.warn_when_larger(100, err, "grande", &warned);
  vinf.warn_when_larger(100, err, "grande", &warned);
  for (int i = 0; i < 3; ++i) {
    for (korvant::OutFile* o : {&mem, &vinf}) {
      o->put(std::string(60, 'x'));
      o->end_line();
      o->flush();
    }
  }
  err.flush();
  std::rewind(tmp);
  char text[64] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text - 1, tmp), 7u);
  EXPECT_STREQ(text, "grande\n");
  EXPECT_TRUE(warned);
  std::fclose(tmp);
}
