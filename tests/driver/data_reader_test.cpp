#include "driver/data_reader.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "text/fatal.hpp"

using namespace korvant;

namespace {

std::string error_of(DataReader& rd, const std::function<void()>& f) {
  try {
    f();
  } catch (const Fatal& e) {
    EXPECT_EQ(e.status, status::BAD_DATA);
    return e.message;
  }
  ADD_FAILURE() << "no error";
  (void)rd;
  return "";
}

}  // namespace

TEST(DataReader, TextsQuotedOrUpToABlankPaddedAndTruncated) {
  DataReader rd;
  rd.open_text("d.txt", "'VIGA DE CIMENTACION' x\nVIGA DE CIMENTACION\n\"a''b\" 'it''s'\nABCDEFGHIJ\n");
  std::string t, u;
  rd.read().a(t, 20, "TITULO");
  EXPECT_EQ(t, "VIGA DE CIMENTACION ");
  rd.read().a(t, 6, "TITULO");
  EXPECT_EQ(t, "VIGA  ");
  rd.read().a(t, 5, "a").a(u, 5, "b");
  EXPECT_EQ(t, "a''b ");
  EXPECT_EQ(u, "it's ");
  rd.read().a(t, 4, "x");
  EXPECT_EQ(t, "ABCD");
}

TEST(DataReader, ValuesAcrossLinesLeftoversIgnoredSkippedLines) {
  DataReader rd;
  rd.open_text("d.txt", "1 0.0 5.0\n  3.0 9 9 \n 7 8\nencabezado cualquiera\r\n4\r\n");
  int n = 0, a = 0, b = 0;
  float x = 0, y = 0, z = 0;
  rd.read().i(n, "nodo").r(x, "X").r(y, "Y").r(z, "Z").i(a, "DX");
  EXPECT_EQ(n, 1);
  EXPECT_EQ(y, 5.0f);
  EXPECT_EQ(z, 3.0f);
  EXPECT_EQ(a, 9);
  rd.read().i(a, "a");  // the second 9 of the previous line is ignored
  EXPECT_EQ(a, 7);
  rd.skip();
  rd.read().i(b, "b");
  EXPECT_EQ(b, 4);
  EXPECT_EQ(rd.line(), 5);
}

TEST(DataReader, NullsRepeatsAndSlash) {
  DataReader rd;
  rd.open_text("d.txt", "1,,3\n3*0 2*, 5\n8 / 9\n1\n,2\n,4\n");
  int v[6] = {-1, -1, -1, -1, -1, -1};
  rd.read().i(v[0], "a").i(v[1], "b").i(v[2], "c");
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], -1);
  EXPECT_EQ(v[2], 3);
  int w[6] = {-1, -1, -1, -1, -1, -1};
  rd.read().i(w[0], "a").i(w[1], "b").i(w[2], "c").i(w[3], "d").i(w[4], "e").i(w[5], "f");
  EXPECT_EQ(w[0], 0);
  EXPECT_EQ(w[2], 0);
  EXPECT_EQ(w[3], -1);
  EXPECT_EQ(w[4], -1);
  EXPECT_EQ(w[5], 5);
  int p = -1, q = -1, r = -1;
  rd.read().i(p, "p").i(q, "q").i(r, "r");
  EXPECT_EQ(p, 8);
  EXPECT_EQ(q, -1);
  EXPECT_EQ(r, -1);
  // the end of a line and a comma make one separator
  p = q = -1;
  rd.read().i(p, "p").i(q, "q");
  EXPECT_EQ(p, 1);
  EXPECT_EQ(q, 2);
  // a comma at the very start of a read is a null value
  p = q = -1;
  rd.read().i(p, "p").i(q, "q");
  EXPECT_EQ(p, -1);
  EXPECT_EQ(q, 4);
}

TEST(DataReader, RealForms) {
  DataReader rd;
  rd.open_text("d.txt", "1 1. .5 -2.5E-3 1D0 +3 -0.0 2.4\n");
  float v[8];
  auto s = rd.read();
  for (int i = 0; i < 8; ++i) s.r(v[i], "v");
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[1], 1.0f);
  EXPECT_EQ(v[2], 0.5f);
  EXPECT_EQ(v[3], -2.5E-3f);
  EXPECT_EQ(v[4], 1.0f);
  EXPECT_EQ(v[5], 3.0f);
  EXPECT_TRUE(std::signbit(v[6]));
  EXPECT_EQ(v[7], 2.4f);  // read straight into single precision
}

TEST(DataReader, ErrorsNameFileLineItemAndWhatWasFound) {
  DataReader rd;
  rd.open_text("datos.txt", "3.5\nx\n1e99\nabc\n1\n");
  int n = 0;
  float x = 0;
  EXPECT_EQ(error_of(rd, [&] { rd.read().i(n, "NN"); }),
            "Error en el archivo de datos \"datos.txt\", línea 1, NN: se esperaba un número entero y se encontró \"3.5\"");
  EXPECT_EQ(error_of(rd, [&] { rd.read().r(x, "X"); }),
            "Error en el archivo de datos \"datos.txt\", línea 2, X: se esperaba un número real y se encontró \"x\"");
  EXPECT_NE(error_of(rd, [&] { rd.read().r(x, "X"); }).find("fuera del intervalo"), std::string::npos);
  EXPECT_NE(error_of(rd, [&] { rd.read().r(x, "X"); }).find("\"abc\""), std::string::npos);
  EXPECT_EQ(error_of(rd, [&] { rd.read().i(n, "NB").i(n, "NSEC"); }),
            "Error en el archivo de datos \"datos.txt\", línea 5, NSEC: el archivo termina antes de leer este dato");
  EXPECT_NE(error_of(rd, [&] { rd.skip(); }).find("termina"), std::string::npos);
}

TEST(DataReader, FixedWidthLineKeepsBlanks) {
  DataReader rd;
  rd.open_text("d.txt", "  EJE A, 'B'\r\nUN NOMBRE DE EJE MUY LARGO\n");
  EXPECT_EQ(rd.read_fixed(20, "eje"), "  EJE A, 'B'        ");
  EXPECT_EQ(rd.read_fixed(20, "eje"), "UN NOMBRE DE EJE MUY");
}

TEST(DataReader, MissingFileIsABadDataError) {
  DataReader rd;
  try {
    rd.open("/nonexistent/datos.txt");
    FAIL();
  } catch (const Fatal& e) {
    EXPECT_EQ(e.status, status::BAD_DATA);
    EXPECT_NE(e.message.find("/nonexistent/datos.txt"), std::string::npos);
  }
}
