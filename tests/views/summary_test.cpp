// The verdict of a solve (--resumen, --html) on small models whose figures are
// known by hand or by symmetry, and the whole page of the example: parsed as
// XML, and opened in a real browser when one is installed.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "../toolkit/input_files.hpp"
#include "../toolkit/scratch.hpp"
#include "driver/run.hpp"
#include "frame/frame.hpp"
#include "soil/soil.hpp"
#include "views/limits.hpp"
#include "views/summary.hpp"

namespace {

using korvant::Summary;
using korvant::testing::Scratch;
using korvant::testing::slurp;

// Head of every model: zero-weight concrete, a 0.4 x 0.8 beam section, a
// column section; only the compressions, linear (the last solve uses the
// laboratory moduli).
const std::string kHead = R"('VEREDICTO'
UNIDADES
't' 'm' 'rad' 't/m2' 't/m3'
KANAL CASO(1) CASO(2) CASO(3) CASO(4)
0 0 1 0 0
1
MATERIAL
SINPESO 0.0 2000000. 0.2
2
SECCION
V40X80 SINPESO 0.4 0.8
COL SINPESO 0.4 0.4
)";

// Soil block: profile 1 one stratum of E2 = 1000 t/m2, profile 2 the same
// with E2 = 500 (softer); Poisson's ratio 0 so that the strain is sigma_z / E.
const std::string kSoil = R"(2 10.0
1
ESTRATO
1 2 1.0 1.7
1000. 0.0 10. 0.5 100. 0.5 1.0
1
ESTRATO
1 2 1.0 1.7
500. 0.0 10. 0.5 100. 0.5 1.0
)";

const std::string kNoAxes = "EJES\nEJE NDIV\n0 4\n";

// A 3 x 3 grid of foundation nodes 4 m apart, beams between neighbours, 20 t
// at the centre and 10 t at each corner; nodes on x = 8 use `east_profile`.
std::string grid(int east_profile) {
  std::ostringstream d;
  d << kHead << "9\nNODOS\n";
  for (int n = 0; n < 9; ++n)
    d << n + 1 << ' ' << 4 * (n % 3) << ' ' << 4 * (n / 3) << " 0.0 1 1 0 0 0 1 " << (n % 3 == 2 ? east_profile : 1)
      << " 0.0\n";
  d << "12\nBARRAS\n";
  const int bars[12][2] = {{1, 2}, {2, 3}, {4, 5}, {5, 6}, {7, 8}, {8, 9}, {1, 4}, {4, 7}, {2, 5}, {5, 8}, {3, 6}, {6, 9}};
  for (int b = 0; b < 12; ++b) d << b + 1 << " V40X80 " << bars[b][0] << ' ' << bars[b][1] << " 0.0 0 0 0 0 0 0\n";
  d << "0\nZAPATAS\n5\nCARGAS\n5 0 0 -20 0 0 0\n1 0 0 -10 0 0 0\n3 0 0 -10 0 0 0\n7 0 0 -10 0 0 0\n9 0 0 -10 0 0 0\n";
  d << kSoil << "0\nLOSAS\n" << kNoAxes;
  return d.str();
}

// Three nodes 4 m apart on one beam, 20 t in the middle; node 3 on the softer profile.
const std::string kBeam = kHead + R"(3
NODOS
1 0.0 0.0 0.0 1 1 0 1 0 1 1 0.0
2 4.0 0.0 0.0 0 1 0 1 0 1 1 0.0
3 8.0 0.0 0.0 0 1 0 1 0 1 2 0.0
2
BARRAS
1 V40X80 1 2 0.0 0 1.0 0.5 0.3 2.0 0.0
2 V40X80 2 3 0.0 0 1.0 0.5 0.3 2.0 0.0
0
ZAPATAS
1
CARGAS
2 0.0 0.0 -20.0 0.0 0.0 0.0
)" + kSoil + "0\nLOSAS\n" + kNoAxes;

// One square slab 4 x 4 m on its four edge beams, 10 t at each corner, on a
// stratum 1 m thick right under the foundation level.
const std::string kSlab = kHead + R"(4
NODOS
1 0.0 0.0 0.0 1 1 0 0 0 1 1 0.0
2 4.0 0.0 0.0 1 1 0 0 0 1 1 0.0
3 4.0 4.0 0.0 1 1 0 0 0 1 1 0.0
4 0.0 4.0 0.0 1 1 0 0 0 1 1 0.0
4
BARRAS
1 V40X80 1 2 0.0 0 0 0 0 0 0
2 V40X80 2 3 0.0 0 0 0 0 0 0
3 V40X80 4 3 0.0 0 0 0 0 0 0
4 V40X80 1 4 0.0 0 0 0 0 0 0
0
ZAPATAS
4
CARGAS
1 0 0 -10 0 0 0
2 0 0 -10 0 0 0
3 0 0 -10 0 0 0
4 0 0 -10 0 0 0
)" + kSoil + R"(1
LOSAS
1 1 2 3 4 0.2 SINPESO 0 0 0 0
)" + kNoAxes;

// A column on an isolated footing 1.5 x 2.0 m, 12 t at its head.
const std::string kFooting = kHead + R"(2
NODOS
1 0.0 0.0 0.0 0 0 0 0 0 0 1 0.0
2 0.0 0.0 3.0 0 0 0 0 0 0 0 0.0
1
BARRAS
1 COL 1 2 0.0 0 0 0 0 0 0
1
ZAPATAS
1 1.5 2.0 0.4 1
1
CARGAS
2 0 0 -12 0 0 0
)" + kSoil + "0\nLOSAS\n" + kNoAxes;

// The summary of the last solve of a model (the laboratory moduli of the compressions).
Summary solve(const std::string& datos) {
  Scratch dir;
  dir.write("datos.txt", datos);
  korvant::testing::RunFiles io;
  korvant::Model m;
  Summary s;
  try {
    korvant::DataReader rd;
    rd.open(dir.path("datos.txt").string());
    korvant::input_phase(rd, m, io.f);
    korvant::assemble_frame(m, io.f.log);
    korvant::field_moduli(m, io.f.log);
    korvant::Workspace ws;
    korvant::Views v;
    v.watch([&](const korvant::Model& mm, const korvant::PassSolution& p) {
      if (std::string_view(p.c.pass) == "caso2_laboratorio") korvant::compute_summary(mm, p, s);
    });
    korvant::run_cases(m, io.f, ws, &v);
  } catch (const korvant::Fatal& e) {
    ADD_FAILURE() << e.message;
  }
  return s;
}

double settlement(const Summary& s, int node) {
  for (const auto& n : s.nodes)
    if (n.node == node) return n.s;
  ADD_FAILURE() << "nodo " << node;
  return 0.0;
}

}  // namespace

TEST(Summary, SymmetricGridBalancesDoesNotTiltAndSettlesSymmetrically) {
  const Summary s = solve(grid(1));
  ASSERT_EQ(s.nodes.size(), 9u);
  EXPECT_NEAR(s.eq.load, 60.0, 1e-9);
  EXPECT_EQ(s.eq.footings, 0.0);
  EXPECT_EQ(s.eq.supports, 0.0);
  EXPECT_TRUE(s.eq.ok);
  EXPECT_LT(std::fabs(s.eq.diff_pct), korvant::EQUILIBRIO_TOL_PCT);
  EXPECT_LT(s.tilt.rad, 1e-6);
  // Mirror images settle alike: corners, edge middles; the extremes are among them.
  const double tol = 1e-6 * std::fabs(s.s_max);
  for (int n : {3, 7, 9}) EXPECT_NEAR(settlement(s, n), settlement(s, 1), tol) << n;
  for (int n : {4, 6, 8}) EXPECT_NEAR(settlement(s, n), settlement(s, 2), tol) << n;
  for (double v : {s.s_max, s.s_min}) {
    const double a = settlement(s, 1), b = settlement(s, 2), c = settlement(s, 5);
    EXPECT_TRUE(std::fabs(v - a) < tol || std::fabs(v - b) < tol || std::fabs(v - c) < tol) << v;
  }
  EXPECT_EQ(s.bars.size(), 12u);
  EXPECT_EQ(s.tension, 0);
}

TEST(Summary, SofterSoilUnderOneSideTiltsTowardsIt) {
  const Summary s = solve(grid(2));
  ASSERT_TRUE(s.tilt.defined);
  EXPECT_GT(s.tilt.rad, 1e-5);
  // The softer side is x = 8: the foundation sinks more towards +X, not along Y.
  const double off = std::fmin(s.tilt.dir_deg, 360.0 - s.tilt.dir_deg);
  EXPECT_LT(off, 0.01) << s.tilt.dir_deg;
  EXPECT_LT(settlement(s, 3), settlement(s, 1));
  EXPECT_TRUE(s.eq.ok);
}

TEST(Summary, AngularDistortionOfABeamByHand) {
  const Summary s = solve(kBeam);
  ASSERT_EQ(s.bars.size(), 2u);
  const double s1 = settlement(s, 1), s2 = settlement(s, 2), s3 = settlement(s, 3);
  // Three equally spaced points: the fitted slope is (s3 - s1) / 8, so once it
  // is removed both bars distort by |s2 - (s1 + s3)/2| / 4.
  const double beta = std::fabs(s2 - (s1 + s3) / 2.0) / 4.0;
  EXPECT_NEAR(s.tilt.rad, std::fabs(s3 - s1) / 8.0, 1e-12);
  for (int b = 0; b < 2; ++b) {
    EXPECT_NEAR(s.bars[static_cast<std::size_t>(b)].L, 4.0, 1e-12);
    EXPECT_NEAR(s.bars[static_cast<std::size_t>(b)].beta, beta, 1e-12) << b;
  }
  EXPECT_NEAR(s.bars[0].ds, s2 - s1, 1e-12);
  EXPECT_NEAR(s.bars[1].apparent, std::fabs(s3 - s2) / 4.0, 1e-12);
  // CVMax + CMUERTA = 3 t/m on 8 m plus 20 t, all on the soil.
  EXPECT_NEAR(s.eq.load, 44.0, 1e-4);
  EXPECT_TRUE(s.eq.ok);

  // Two nodes (the beam's first bar alone, node 2 on the softer soil): the
  // fitted plane passes through both ends, so the whole difference is tilt,
  // beta is zero and the apparent distortion |s2 - s1| / 4 is the tilt.
  std::string two = kBeam;
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"3\nNODOS", "2\nNODOS"},
                                 {"2 4.0 0.0 0.0 0 1 0 1 0 1 1 0.0", "2 4.0 0.0 0.0 0 1 0 1 0 1 2 0.0"},
                                 {"3 8.0 0.0 0.0 0 1 0 1 0 1 2 0.0\n", ""},
                                 {"2\nBARRAS", "1\nBARRAS"},
                                 {"2 V40X80 2 3 0.0 0 1.0 0.5 0.3 2.0 0.0\n", ""}})
    two.replace(two.find(from), from.size(), to);
  const Summary t = solve(two);
  ASSERT_EQ(t.bars.size(), 1u);
  const double d = settlement(t, 2) - settlement(t, 1);
  EXPECT_LT(d, 0.0);  // the softer end goes down more
  EXPECT_NEAR(t.bars[0].apparent, -d / 4.0, 1e-12);
  EXPECT_NEAR(t.tilt.rad, -d / 4.0, 1e-12);
  EXPECT_LT(t.bars[0].beta, 1e-12);
  EXPECT_NEAR(t.tilt.dir_deg, 0.0, 1e-9);
}

TEST(Summary, SpringsOfAUniformlyLoadedSlabOnOneStratum) {
  const Summary s = solve(kSlab);
  ASSERT_EQ(s.contact.size(), 4u);
  // 40 t on 16 m2: 2.5 t/m2 under every corner. Each corner is the corner of
  // the loaded square (4 x 4 m) and the stratum's middle is 0.5 m down, where
  // Boussinesq gives sigma_z = 0.249641 q; with nu = 0 and h = 1 m the
  // settlement is 0.249641 q h / E, so k = E / (0.249641 h) = 4005.75 t/m3 and
  // the node's spring on its 4 m2 is 16023.0 t/m.
  for (const auto& c : s.contact) {
    EXPECT_NEAR(c.pressure, 2.5, 1e-4) << c.node;
    EXPECT_NEAR(c.area, 4.0, 1e-6);
    EXPECT_NEAR(c.s, -6.241023e-4, 1e-8) << c.node;
    ASSERT_TRUE(c.has_spring);
    EXPECT_NEAR(c.k_soil, 4005.75, 0.5) << c.node;
    EXPECT_NEAR(c.k_node, 16023.0, 2.0) << c.node;
  }
  EXPECT_EQ(s.springs_missing, 0);
  EXPECT_TRUE(s.eq.ok);
}

TEST(Summary, SingleFootingPressureAndSpringsByHand) {
  const Summary s = solve(kFooting);
  ASSERT_EQ(s.footings.size(), 1u);
  const auto& z = s.footings[0];
  ASSERT_TRUE(z.has_vertical);
  // Statics: the footing carries the 12 t, on 1.5 x 2.0 m.
  EXPECT_NEAR(z.Rv, 12.0, 1e-4);
  EXPECT_NEAR(z.pressure, 4.0, 1e-4);
  // Rigid disc of the same area, R = sqrt(3/pi) = 0.977205 m, on E = 1000, nu = 0:
  // Kv = 2 E R, Kh = 32 R G / 7, Kr = 8 G R^3 / 3 with G = E / 2.
  EXPECT_NEAR(z.kv, 1954.41, 0.05);
  EXPECT_NEAR(z.kh, 2233.61, 0.05);
  EXPECT_NEAR(z.kr, 1244.22, 0.05);
  EXPECT_NEAR(z.s, -12.0 / 1954.41, 1e-6);
  EXPECT_NEAR(s.eq.footings, 12.0, 1e-4);
  EXPECT_TRUE(s.eq.ok);
  EXPECT_TRUE(s.contact.empty());
}

namespace {

int shell(const std::string& cmd) {
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

bool have(const std::string& cmd) { return shell("command -v " + cmd + " > /dev/null 2>&1") == 0; }

// The example run with the summary and the page (and, for the first test, without).
class ExampleVerdict : public ::testing::Test {
 protected:
  static Scratch* s;
  static std::string example() { return "'" + std::string(KORVANT_SOURCE_DIR) + "/examples/edificio.txt'"; }
  static void SetUpTestSuite() {
    s = new Scratch;
    ASSERT_EQ(s->run("--resumen --html " + example() + " REPORTE"), 0);
  }
  static void TearDownTestSuite() {
    delete s;
    s = nullptr;
  }
  static std::string con(const std::string& f) { return s->read(f); }
};
Scratch* ExampleVerdict::s = nullptr;

// Latin-1 as UTF-8.
std::string utf8(const std::string& latin1) {
  std::string out;
  for (char ch : latin1) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) out += ch;
    else out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace

TEST_F(ExampleVerdict, FilesOfTheRunUnchangedAndTheSummaryEndsTheConsole) {
  Scratch sin;
  ASSERT_EQ(sin.run(example() + " REPORTE"), 0);
  for (const char* f : {"REPORTE", "MEMORIA", "VALINF", "arch.msh", "arch.res", "console.err"})
    EXPECT_TRUE(con(f) == sin.read(f)) << f;
  // The console is the plain run's, then the summary (in the console's character set).
  const std::string plain = sin.read("console.out"), out = con("console.out");
  ASSERT_EQ(out.compare(0, plain.size(), plain), 0);
  EXPECT_EQ(utf8(out.substr(plain.size())), con("REPORTE_resumen.txt"));
  const std::string text = con("REPORTE_resumen.txt");
  for (const char* pass : {"caso1_campo-centro", "caso2_laboratorio", "caso3_lineal", "caso4_lineal"}) {
    EXPECT_NE(text.find(std::string("[") + pass + "] =="), std::string::npos) << pass;
    // One springs table per pass: a header and the six area reactions.
    const std::string csv = con(std::string("REPORTE_") + pass + "_resortes.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 7) << pass;
  }
  // Every pass meets the limits; the total settlement (compressions and both
  // consolidations) bends three foundation bars past 1/500.
  const std::size_t passes = text.find("\n== "), totals = text.find("== Envolventes");
  ASSERT_NE(totals, std::string::npos);
  EXPECT_EQ(text.substr(passes, totals - passes).find("NO CUMPLE"), std::string::npos);
  EXPECT_NE(text.find("[envolventes] NO CUMPLE la distorsi\xC3\xB3n angular: 3 barras"), std::string::npos);
  // The total of each foundation node is the sum of the three passes it names.
  const std::size_t table = text.find("caso2_laboratorio        caso3_lineal        caso4_lineal          total\n");
  ASSERT_NE(table, std::string::npos);
  std::istringstream rows(text.substr(text.find('\n', table) + 1));
  for (int k = 0; k < 7; ++k) {
    double node, x, y, s2, s3, s4, total;
    ASSERT_TRUE(rows >> node >> x >> y >> s2 >> s3 >> s4 >> total);
    EXPECT_NEAR(total, s2 + s3 + s4, 1.5e-6) << node;
  }
  const std::string envelope = con("REPORTE_envolvente.csv");
  EXPECT_EQ(std::count(envelope.begin(), envelope.end(), '\n'), 1 + 22 * 8);  // header, 8 end forces of 22 bars
  // The README shows the block of the compressions with laboratory moduli.
  const std::string readme = slurp(std::string(KORVANT_SOURCE_DIR) + "/README.md");
  const std::size_t from = readme.find(utf8("== Compresiones, módulos de laboratorio"));
  ASSERT_NE(from, std::string::npos);
  const std::string shown = readme.substr(from, readme.find("\n...\n", from) + 1 - from);
  EXPECT_NE(text.find(shown), std::string::npos) << shown;
}

TEST_F(ExampleVerdict, PageIsWellFormedSelfContainedWithOneSectionPerPass) {
  const std::string page = con("REPORTE.html");
  for (const char* outside : {"src=", "href=\"http", "@import", "<script", "<link"})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  if (!have("python3")) GTEST_SKIP() << "sin python3 no se comprueba que la página sea XML bien formado";
  s->write("parse.py", R"(import sys, xml.dom.minidom as d
doc = d.parse(sys.argv[1])
ids = [s.getAttribute("id") for s in doc.getElementsByTagName("section") if s.getAttribute("class") == "pase"]
svgs = doc.getElementsByTagNameNS("http://www.w3.org/2000/svg", "svg")
print(len(ids), len(set(ids)), len(svgs), " ".join(ids))
)");
  ASSERT_EQ(shell("cd '" + s->dir.string() + "' && python3 parse.py REPORTE.html > parse.out 2>&1"), 0) << con("parse.out");
  EXPECT_EQ(con("parse.out"),
            "9 9 28 caso1_campo-centro caso1_campo-nodo caso1_laboratorio caso2_campo-centro caso2_campo-nodo "
            "caso2_laboratorio caso3_lineal caso4_lineal envolventes\n");
}

// Chromium, headless, opens the page and takes a screenshot of the window: a
// PNG of the window's size, not of one colour, and no message on the page's console.
TEST_F(ExampleVerdict, PageRendersInARealBrowser) {
  std::string browser;
  for (const char* b : {"chromium", "chromium-browser"})
    if (have(b)) browser = b;
  if (browser.empty()) GTEST_SKIP() << "Chromium no está instalado: no se abre la página en un navegador";
  if (!have("python3")) GTEST_SKIP() << "sin python3 no se lee la captura";
  const std::string cmd = "cd '" + s->dir.string() + "' && timeout 120 " + browser +
                          " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                          " --disable-background-networking --disable-component-update --disable-sync"
                          " --user-data-dir='" + s->path("perfil").string() + "' --enable-logging=stderr --v=0"
                          " --window-size=1000,1400 --screenshot=captura.png"
                          " 'file://" + s->path("REPORTE.html").string() + "' > chromium.out 2> chromium.err";
  ASSERT_EQ(shell(cmd), 0) << con("chromium.err");
  const std::string log = con("chromium.err");
  EXPECT_EQ(log.find(":CONSOLE"), std::string::npos) << log;
  // Width, height; in the top 400 rows (title, counts, contents: decoding in
  // Python is slow), distinct colours and the share of pixels that are not white.
  s->write("png.py", R"(import struct, sys, zlib
b = open(sys.argv[1], "rb").read()
assert b[:8] == b"\x89PNG\r\n\x1a\n"
at, idat = 8, b""
while at < len(b):
    n, kind = struct.unpack(">I4s", b[at:at + 8])
    data = b[at + 8:at + 8 + n]
    if kind == b"IHDR":
        w, h, depth, ctype = struct.unpack(">IIBB", data[:10])
    if kind == b"IDAT":
        idat += data
    at += 12 + n
bpp = {2: 3, 6: 4}[ctype]
raw, rows, prev = zlib.decompress(idat), [], bytearray(w * bpp)
for y in range(400):
    f, line = raw[y * (w * bpp + 1)], bytearray(raw[y * (w * bpp + 1) + 1:(y + 1) * (w * bpp + 1)])
    for i in range(len(line)):
        a = line[i - bpp] if i >= bpp else 0
        c = prev[i - bpp] if i >= bpp else 0
        p = a + prev[i] - c
        pred = [0, a, prev[i], (a + prev[i]) // 2,
                a if abs(p - a) <= abs(p - prev[i]) and abs(p - a) <= abs(p - c) else prev[i] if abs(p - prev[i]) <= abs(p - c) else c][f]
        line[i] = (line[i] + pred) & 255
    rows.append(line)
    prev = line
pixels = [bytes(r[i:i + 3]) for r in rows for i in range(0, len(r), bpp)]
print(w, h, len(set(pixels)) > 16, sum(p != b"\xff\xff\xff" for p in pixels) > 0.02 * len(pixels))
)");
  ASSERT_EQ(shell("cd '" + s->dir.string() + "' && python3 png.py captura.png > png.out 2>&1"), 0) << con("png.out");
  EXPECT_EQ(con("png.out"), "1000 1400 True True\n");
}

TEST(Limits, ReadAsTheEngineerWritesThemOrRefusedNamingWhatIsWrong) {
  korvant::Limits l;
  std::string error;
  ASSERT_TRUE(korvant::parse_limits("asentamiento=0.30,inclinacion=1/500,distorsi\xC3\xB3n=1/300,diferencial=0.05", l, error));
  EXPECT_DOUBLE_EQ(*l.asentamiento, 0.30);
  EXPECT_DOUBLE_EQ(l.tilt(), 1.0 / 500.0);
  EXPECT_DOUBLE_EQ(l.beta(), 1.0 / 300.0);
  EXPECT_DOUBLE_EQ(*l.diferencial, 0.05);
  EXPECT_EQ(l.cited(), "asentamiento total 0.3 m, inclinaci\xF3n 1/500 (l\xEDmite del proyecto), distorsi\xF3n angular 1/300 "
                       "(l\xEDmite del proyecto), asentamiento diferencial 0.05 m");
  // Without them, Bjerrum's and Skempton's; settlements are not judged.
  const korvant::Limits none;
  EXPECT_DOUBLE_EQ(none.tilt(), 1.0 / 250.0);
  EXPECT_DOUBLE_EQ(none.beta(), 1.0 / 500.0);
  EXPECT_FALSE(none.asentamiento.has_value());
  for (const auto& [text, named] : {std::pair<const char*, const char*>{"hundimiento=0.3", "\"hundimiento\""},
                                    {"inclinacion=abc", "\"abc\""}, {"distorsion=1/0", "\"1/0\""},
                                    {"asentamiento=-0.1", "\"-0.1\""}, {"diferencial", "diferencial"},
                                    {"inclinacion=1/500,", "\"\""}, {"", "--limites="}}) {
    EXPECT_FALSE(korvant::parse_limits(text, l, error)) << text;
    EXPECT_NE(error.find(named), std::string::npos) << text << ": " << error;
  }
}

TEST(Summary, JudgedAgainstTheEngineersLimitsEveryFindingIsListed) {
  Summary s = solve(grid(2));
  korvant::judge(korvant::Limits{}, s);
  EXPECT_TRUE(s.alerts.empty());
  EXPECT_NEAR(s.diff_max, s.s_min - s.s_max, 1e-15);
  EXPECT_GT(s.diff_max, 0.0);
  korvant::Limits tight;
  tight.asentamiento = 1e-5, tight.inclinacion = 1e-6, tight.distorsion = 1e-7, tight.diferencial = 1e-6;
  korvant::judge(tight, s);
  ASSERT_EQ(s.alerts.size(), 4u);
  const char* const parts[4] = {"-hundimientos", "-hundimientos", "-inclinacion", "-distorsion"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(s.alerts[i].text.rfind("NO CUMPLE", 0), 0u) << s.alerts[i].text;
    EXPECT_EQ(s.alerts[i].anchor, std::string("caso2_laboratorio") + parts[i]);
  }
  EXPECT_EQ(s.beta_over_limit, static_cast<int>(s.bars.size()));
}

// A tie beam between two footings is said once on the console (and so at the
// head of the page); a wrong option is a usage error naming it.
TEST(Verdict, TieBeamBetweenFootingsWarnedAndWrongOptionsRefused) {
  const std::string two = kHead + R"(4
NODOS
1 0.0 0.0 0.0 0 0 0 0 0 0 1 0.0
2 5.0 0.0 0.0 0 0 0 0 0 0 1 0.0
3 0.0 0.0 3.0 0 0 0 0 0 0 0 0.0
4 5.0 0.0 3.0 0 0 0 0 0 0 0 0.0
4
BARRAS
1 COL 1 3 0.0 0 0 0 0 0 0
2 COL 2 4 0.0 0 0 0 0 0 0
3 V40X80 3 4 0.0 0 0 0 0 0 0
4 V40X80 1 2 0.0 0 0 0 0 0 0
2
ZAPATAS
1 1.5 2.0 0.4 1
2 1.5 2.0 0.4 2
1
CARGAS
3 0 0 -12 0 0 0
)" + kSoil + "0\nLOSAS\n" + kNoAxes;
  Scratch dir;
  dir.write("datos.txt", two);
  ASSERT_EQ(dir.run("datos.txt R"), 0) << dir.read("console.err");
  EXPECT_NE(dir.read("console.err").find("Aviso: la barra 4 une las zapatas 1 y 2 y se apoya en el suelo con su ancho BASE (0.40 m)\n"),
            std::string::npos)
      << dir.read("console.err");
  for (const auto& [wrong, named] : {std::pair<const char*, const char*>{"--limites=pendiente=1/300", "\"pendiente\""},
                                     {"--limites", "--limites necesita"}, {"--codificacion=ascii", "ascii"}}) {
    EXPECT_EQ(dir.run(std::string(wrong) + " datos.txt R"), 2) << wrong;
    EXPECT_NE(dir.read("console.err").find(named), std::string::npos) << dir.read("console.err");
  }
  // --codificacion=utf8: the report, MEMORIA and VALINF in UTF-8, the rest as always.
  Scratch u;
  u.write("datos.txt", two);
  ASSERT_EQ(u.run("--codificacion=utf8 datos.txt R"), 0);
  for (const char* f : {"R", "MEMORIA", "VALINF"}) EXPECT_TRUE(u.read(f) == utf8(dir.read(f))) << f;
  for (const char* f : {"arch.msh", "arch.res"}) EXPECT_TRUE(u.read(f) == dir.read(f)) << f;
  EXPECT_NE(u.read("R"), dir.read("R"));
}

// Printed (Chromium's print to PDF, read back page by page with poppler's
// pdftotext): the first pass follows the page's head, every other pass starts
// a page with its heading, and no axis diagram is cut by a page.
TEST_F(ExampleVerdict, PagePrintsEachPassOnItsOwnPagesAndNoDiagramAcrossTwo) {
  std::string browser;
  for (const char* b : {"chromium", "chromium-browser"})
    if (have(b)) browser = b;
  if (browser.empty() || !have("pdftotext")) GTEST_SKIP() << "sin Chromium o sin poppler-utils no se imprime la página";
  const std::string cmd = "cd '" + s->dir.string() + "' && timeout 120 " + browser +
                          " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                          " --disable-background-networking --disable-component-update --disable-sync"
                          " --user-data-dir='" + s->path("perfil-pdf").string() + "' --no-pdf-header-footer"
                          " --print-to-pdf=pagina.pdf 'file://" + s->path("REPORTE.html").string() +
                          "' > chromium.out 2>&1 && pdftotext -layout pagina.pdf pagina.txt";
  ASSERT_EQ(shell(cmd), 0) << con("chromium.out");
  std::vector<std::string> pages;
  std::stringstream all(con("pagina.txt"));
  for (std::string p; std::getline(all, p, '\f');) pages.push_back(p);
  ASSERT_GT(pages.size(), 8u);
  auto first_line = [](const std::string& page) {
    std::stringstream ls(page);
    std::string l;
    while (std::getline(ls, l) && l.find_first_not_of(' ') == std::string::npos) {
    }
    return l;
  };
  EXPECT_NE(pages[0].find("[caso1_campo-centro]"), std::string::npos) << "la primera pasada no sigue al encabezado";
  for (const char* pass : {"caso1_campo-nodo", "caso1_laboratorio", "caso2_campo-centro", "caso2_campo-nodo",
                           "caso2_laboratorio", "caso3_lineal", "caso4_lineal"}) {
    const std::string tag = std::string("[") + pass + "]";
    bool starts = false;
    for (const std::string& p : pages) starts = starts || first_line(p).find(tag) != std::string::npos;
    EXPECT_TRUE(starts) << pass << " no empieza una hoja";
  }
  int diagrams = 0;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    auto count = [&](const char* what) {
      int n = 0;
      for (std::size_t at = pages[i].find(what); at != std::string::npos; at = pages[i].find(what, at + 1)) ++n;
      return n;
    };
    const int titles = count("cortante V y momento M a lo largo del eje"), ends = count("x a lo largo del eje (m)");
    EXPECT_EQ(titles, ends) << "hoja " << i + 1;
    EXPECT_EQ(count("hundimiento a lo largo del eje (mm)"), count("nN: nodo")) << "hoja " << i + 1;
    EXPECT_EQ(count("envolvente de V y M de todas"), count("abscisa a lo largo del eje (m), de 0 a")) << "hoja " << i + 1;
    diagrams += titles;
  }
  EXPECT_EQ(diagrams, 16);  // two axes, eight passes
}
