#include "text/layout.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "../toolkit/capture.hpp"

using namespace korvant;
using korvant::testing::Capture;

namespace {

std::string F(int w, int d, double v) {
  std::string s;
  format_f(s, w, d, v);
  return s;
}
std::string E(int w, int d, double v, int e = 0) {
  std::string s;
  format_e(s, w, d, e, v);
  return s;
}
std::string G(int w, int d, int e, double v) {
  std::string s;
  format_g(s, w, d, e, v);
  return s;
}

}  // namespace

TEST(LayoutFields, IntegersRightJustifiedWithAsterisksOnOverflow) {
  std::string s;
  format_i(s, 5, 42);
  format_i(s, 3, -12);
  format_i(s, 3, 1000);
  format_i(s, 2, -10);
  EXPECT_EQ(s, "   42-12*****");
}

TEST(LayoutFields, FixedRoundsHalfEvenOnTheExactBinaryValue) {
  EXPECT_EQ(F(10, 4, 5.0), "    5.0000");
  EXPECT_EQ(F(6, 2, 0.125), "  0.12");   // exact tie: even
  EXPECT_EQ(F(6, 2, 0.375), "  0.38");
  EXPECT_EQ(F(6, 1, static_cast<double>(0.15f)), "   0.2");  // 0.15f is above the tie
  EXPECT_EQ(F(6, 1, 0.25), "   0.2");
  EXPECT_EQ(F(13, 2, 2213594.0), "   2213594.00");
  EXPECT_EQ(F(15, 8, static_cast<double>(0.3f * 0.6f)), "     0.18000001");
}

TEST(LayoutFields, FixedLeadingZeroSignAndOverflow) {
  EXPECT_EQ(F(4, 2, 0.5), "0.50");
  EXPECT_EQ(F(3, 2, 0.5), ".50");
  EXPECT_EQ(F(5, 2, -0.5), "-0.50");
  EXPECT_EQ(F(4, 2, -0.5), "-.50");
  EXPECT_EQ(F(3, 2, -0.5), "***");
  EXPECT_EQ(F(5, 2, -0.001), "-0.00");
  EXPECT_EQ(F(10, 4, -0.0), "   -0.0000");
  EXPECT_EQ(F(5, 1, 123456.0), "*****");
  EXPECT_EQ(F(5, 0, 3.0), "   3.");
}

TEST(LayoutFields, NonFiniteValues) {
  double inf = std::numeric_limits<double>::infinity();
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(F(10, 2, nan), "       NaN");
  EXPECT_EQ(F(10, 2, inf), "  Infinity");
  EXPECT_EQ(F(10, 2, -inf), " -Infinity");
  EXPECT_EQ(F(6, 2, inf), "   Inf");
  EXPECT_EQ(F(8, 2, -inf), "    -Inf");
  EXPECT_EQ(F(3, 1, -inf), "***");
  EXPECT_EQ(F(2, 1, nan), "**");
  EXPECT_EQ(E(10, 2, nan), "       NaN");
  EXPECT_EQ(G(15, 7, 2, nan), "            NaN");
}

TEST(LayoutFields, ExponentForm) {
  EXPECT_EQ(E(10, 2, 1234.5), "  0.12E+04");
  EXPECT_EQ(E(10, 2, 0.0), "  0.00E+00");
  EXPECT_EQ(E(10, 2, -0.000123), " -0.12E-03");
  EXPECT_EQ(E(10, 2, 9.996), "  0.10E+02");  // rounding carries into the exponent
  EXPECT_EQ(E(10, 2, 1e-120), "  0.10-119");  // three-digit exponent drops the E
  EXPECT_EQ(E(10, 2, 1e200), "  0.10+201");
  EXPECT_EQ(E(7, 2, 0.5), ".50E+00");
  EXPECT_EQ(E(6, 2, 0.5), "******");
  EXPECT_EQ(E(23, 15, 1.0, 3), " 0.100000000000000E+001");
}

TEST(LayoutFields, GeneralFormSwitchesAtTheRoundedValue) {
  EXPECT_EQ(G(15, 7, 2, 0.0), "   0.000000    ");
  EXPECT_EQ(G(15, 7, 2, -0.0), "  -0.000000    ");
  EXPECT_EQ(G(15, 7, 2, 2.5), "   2.500000    ");
  EXPECT_EQ(G(15, 7, 2, static_cast<double>(1234.5678f)), "   1234.568    ");
  EXPECT_EQ(G(15, 7, 2, 0.125), "  0.1250000    ");
  EXPECT_EQ(G(15, 7, 2, static_cast<double>(0.0123f)), "  0.1230000E-01");
  EXPECT_EQ(G(15, 7, 2, 1e7), "  0.1000000E+08");
  EXPECT_EQ(G(15, 7, 2, 9999999.0), "   9999999.    ");
  EXPECT_EQ(G(15, 7, 2, 9.99999999), "   10.00000    ");
  EXPECT_EQ(G(15, 7, 2, 0.0999999999), "  0.1000000    ");
  EXPECT_EQ(G(15, 7, 2, 0.09999994), "  0.9999994E-01");
  EXPECT_EQ(G(23, 15, 3, 1.0 / 3.0), " 0.333333333333333     ");
}

TEST(LayoutWrite, BannerTextsSlashesAndTrailingBlankLines) {
  Capture c;
  put(c.out, "(//17X, 'AB'///30X, 'C'/////)");
  EXPECT_EQ(c.text(), "\n\n" + std::string(17, ' ') + "AB\n\n\n" + std::string(30, ' ') + "C\n\n\n\n\n\n");
}

TEST(LayoutWrite, RepeatsGroupsAndReuseOfTheLayout) {
  Capture c;
  put(c.out, "(I5, 3F10.4, 6I3, I5, F10.4)", 1, 0.0f, 5.0f, -0.0f, 1, 1, 0, 1, 0, 1, 1, 1.0f);
  put(c.out, "(5(A4, 2X))", "t   ", "m   ", "rad ", "t/m2", "t/m3");
  put(c.out, "(3I4)", 1, 2, 3, 4, 5, 6, 7);
  // Re-use from the last top-level group, with its repeat count.
  put(c.out, "(I2, 2(I3, 'x'))", 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(c.text(),
            "    1    0.0000    5.0000   -0.0000  1  1  0  1  0  1    1    1.0000\n"
            "t     m     rad   t/m2  t/m3\n"
            "   1   2   3\n   4   5   6\n   7\n"
            " 1  2x  3x\n  4x  5x\n  6x\n");
}

TEST(LayoutWrite, ItemsRunningOutEndTheLineAfterFollowingTexts) {
  Capture c;
  put(c.out, "(I6, 4F10.4)", 1, 5.0f, 1.0f, 0.0f);  // fourth real field gets no item
  put(c.out, "('N=', I3, ' fin', 5X, I3, 'z')", 7);
  put(c.out, "(30I10)");                            // no items: one empty line
  put(c.out, "(A1, A30)", "#", "TITULO LARGO DE MAS DE TREINTA CARACTERES");
  put(c.out, "(A11)", "Coordinates");
  put(c.out, "(A10)", "abc");
  EXPECT_EQ(c.text(),
            "     1    5.0000    1.0000    0.0000\n"
            "N=  7 fin\n"
            "\n"
            "#TITULO LARGO DE MAS DE TREINTA\n"
            "Coordinates\n"
            "       abc\n");
}

TEST(LayoutWrite, QuotedTextKeepsParenthesesCommasAndDoubledQuotes) {
  Capture c;
  put(c.out, "(' PERFIL (m), ''x'' /', I2)", 3);
  put(c.out, "(/'GRADO, (t) HASTA N=', I5, '    ,  Y '/)", 2);
  EXPECT_EQ(c.text(), " PERFIL (m), 'x' / 3\n\nGRADO, (t) HASTA N=    2    ,  Y \n\n");
}

TEST(LayoutWrite, LongRowsContinueOnFurtherLines) {
  Capture c;
  {
    Rec r(c.out, "(I5, 3F6.1)");
    r << 9;
    for (int i = 0; i < 5; ++i) r << static_cast<float>(i);
  }
  EXPECT_EQ(c.text(), "    9   0.0   1.0   2.0\n    3   4.0\n");
}

namespace {

// Formats v in the field with the fast path and with the careful path.
template <class Fn>
void expect_same_both_ways(Fn fmt, double v) {
  std::string fast, careful;
  fmt(fast, v, false);
  fmt(careful, v, true);
  ASSERT_EQ(fast, careful) << "value " << v;
}

}  // namespace

TEST(LayoutFields, FastPathGivesTheSameBytesAsTheCarefulOne) {
  std::uint32_t state = 12345u;
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  auto fields = [](std::string& s, double v, bool careful) {
    format_f(s, 12, 6, v, careful);
    format_f(s, 15, 6, v, careful);
    format_f(s, 30, 19, v, careful);  // integers of either side of 2^64 units
    format_f(s, 5, 0, v, careful);
    format_f(s, 10, 4, v, careful);
    format_f(s, 15, 8, v, careful);
    format_f(s, 20, 8, v, careful);
    format_f(s, 10, 2, v, careful);
    format_f(s, 4, 2, v, careful);
    format_e(s, 10, 2, 0, v, careful);
    format_g(s, 15, 7, 2, v, careful);
  };
  for (int i = 0; i < 300000; ++i) {
    std::uint32_t bits = next();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!std::isfinite(f)) continue;
    expect_same_both_ways(fields, static_cast<double>(f));
    // moderate magnitudes, where the program's numbers live
    float g = static_cast<float>(static_cast<std::int32_t>(next())) * 1e-6f;
    expect_same_both_ways(fields, static_cast<double>(g));
  }
  // rounding boundaries and values just below powers of ten
  for (int k = -12; k <= 12; ++k) {
    float p = std::pow(10.0f, static_cast<float>(k));
    for (float v : {p, std::nextafter(p, 0.0f), std::nextafter(p, 1e30f), -p, 0.5f * p, 0.125f * p, 0.375f * p}) {
      expect_same_both_ways(fields, static_cast<double>(v));
    }
  }
  // Values at and beside the half-way points of six decimals (the log's
  // F12.6 and F15.6 fields), at every magnitude a log holds.
  for (int i = 0; i < 120000; ++i) {
    const double m = static_cast<double>(next() % 100000000u) + 0.5;
    const float t = static_cast<float>(m * 1e-6 * std::pow(10.0, static_cast<double>(static_cast<int>(next() % 7) - 3)));
    for (float v : {t, std::nextafter(t, 0.0f), std::nextafter(t, 1e30f), -t}) expect_same_both_ways(fields, static_cast<double>(v));
  }
  for (double v : {0.125, 0.375, 2.5, 0.5, 1.5, 0.000005, 0.0000005, 9999999.5, 0.99999995, 0.0999999995, -0.0, 1e30, 1e-30}) {
    expect_same_both_ways(fields, v);
  }
}
