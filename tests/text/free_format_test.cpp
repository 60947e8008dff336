#include "text/free_format.hpp"

#include <gtest/gtest.h>

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
