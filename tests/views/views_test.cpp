// The files to look at (--vtk, --csv, --svg) of whole runs of the example: their
// names, and their values against the values the report prints for the same
// solve. The grids are read back with Python's meshio, the pictures with
// Python's XML parser; without them those checks are skipped.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "views/views.hpp"
#include "../toolkit/capture.hpp"
#include "../toolkit/scratch.hpp"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kExample = std::string(KORVANT_SOURCE_DIR) + "/examples/edificio.txt";

Lines lines_of(const std::string& text) {
  Lines v;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

Lines tokens(const std::string& line) {
  Lines v;
  std::istringstream in(line);
  for (std::string t; in >> t;) v.push_back(t);
  return v;
}

// The fields of a CSV line (quoted fields hold no comma in these files' names,
// but a doubled quote is undone).
Lines fields(const std::string& line) {
  Lines v(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == '"') v.back() += '"', ++i;
      else quoted = !quoted;
    } else if (c == ',' && !quoted) {
      v.emplace_back();
    } else {
      v.back() += c;
    }
  }
  return v;
}

// Whether the float read from `text` prints as the report's `printed`, to the
// digits the report shows (Fw.d, or the exponent form of a G field).
bool same_as_printed(const std::string& text, const std::string& printed) {
  const float v = std::strtof(text.c_str(), nullptr);
  char b[64];
  const std::size_t e = printed.find('E');
  if (e != std::string::npos) {
    const std::size_t dot = printed.find('.');
    const int digits = static_cast<int>(e - dot - 1);
    char r[64];
    std::snprintf(b, sizeof b, "%.*E", digits - 1, static_cast<double>(v));
    std::snprintf(r, sizeof r, "%.*E", digits - 1, std::strtod(printed.c_str(), nullptr));
    return std::string(b) == r;
  }
  const std::size_t dot = printed.find('.');
  const int d = dot == std::string::npos ? 0 : static_cast<int>(printed.size() - dot - 1);
  std::snprintf(b, sizeof b, "%.*f", d, static_cast<double>(v));
  return std::string(b) == printed;
}

// What the report prints for one solve, as printed tokens.
struct Solve {
  std::vector<std::string> reaction, settlement;   // by reaction point
  std::vector<Lines> node;                          // dx..tz by node
  std::vector<Lines> force;                         // 12 values by bar
  std::vector<Lines> diagram;                       // bar, X, V, M by point, axes in order
};

// The report cut at each case heading; within a part, the first block of each kind.
std::vector<Solve> report_solves(const std::string& report) {
  const Lines l = lines_of(report);
  std::vector<Solve> out;
  int diagram_blocks = 0;
  auto rows = [&](std::size_t& i, std::size_t width, auto&& take) {
    for (; i < l.size(); ++i) {
      const Lines t = tokens(l[i]);
      if (t.size() != width || t[0].find_first_not_of("0123456789") != std::string::npos) break;
      take(t);
    }
  };
  for (std::size_t i = 0; i < l.size(); ++i) {
    if (l[i].rfind(" ANALISIS DE ", 0) == 0) {
      out.emplace_back();
      diagram_blocks = 0;
      continue;
    }
    if (out.empty()) continue;
    if (l[i] == " DIAGRAMAS DE ELEMENTOS MECANICOS POR EJE") ++diagram_blocks;
    Solve& s = out.back();
    if ((l[i] == " REACCIONES ESTIMADAS:" || l[i] == " REACCIONES, t/m") && s.reaction.empty()) {
      ++i;
      rows(i, 2, [&](const Lines& t) { s.reaction.push_back(t[1]); });
      --i;
    } else if ((l[i] == "              (m)" || l[i] == " HUNDIMIENTOS, m") && s.settlement.empty() &&
               (l[i - 1] == "NUDO, HUNDIMIENTO DEL NUDO" || l[i] == " HUNDIMIENTOS, m")) {
      ++i;
      rows(i, 2, [&](const Lines& t) { s.settlement.push_back(t[1]); });
      --i;
    } else if (l[i].rfind("   nodo    dx", 0) == 0 && s.node.empty()) {
      ++i;
      rows(i, 7, [&](const Lines& t) { s.node.emplace_back(t.begin() + 1, t.end()); });
      --i;
    } else if (l[i].rfind("             MECANICOS", 0) == 0 && s.force.empty()) {
      i += 2;
      rows(i, 5, [&](const Lines& t) {
        if (s.force.empty() || s.force.back().size() == 12) s.force.emplace_back();
        s.force.back().push_back(t[4]);
      });
      --i;
    } else if (l[i] == " BARRA     X           V           M      " && diagram_blocks == 1) {
      ++i;
      rows(i, 4, [&](const Lines& t) { s.diagram.push_back(t); });
      --i;
    }
  }
  return out;
}

using korvant::testing::Scratch;
using korvant::testing::slurp;

// The example with another KANAL.
void write_example(const fs::path& p, int kanal) {
  std::string text = slurp(kExample);
  const std::size_t at = text.find("\n0 1 1 1 1\n");
  text[at + 1] = static_cast<char>('0' + kanal);
  std::ofstream(p, std::ios::binary) << text;
}

// A Python 3 that can import `module`, or "" when there is none.
std::string python_with(const std::string& module) {
  for (const char* py : {"/usr/bin/python3", "python3"}) {
    const std::string cmd = std::string(py) + " -c 'import " + module + "' > /dev/null 2>&1";
    const int rc = std::system(cmd.c_str());
    if (WIFEXITED(rc) && WEXITSTATUS(rc) == 0) return py;
  }
  return "";
}

// Runs a Python script in the folder and returns its output lines.
Lines python(const Scratch& s, const std::string& py, const std::string& script) {
  std::ofstream(s.dir / "check.py", std::ios::binary) << script;
  const std::string cmd = "cd '" + s.dir.string() + "' && " + py + " check.py > check.out 2>&1";
  const int rc = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << s.read("check.out");
  return lines_of(s.read("check.out"));
}

const char* const kPasses[] = {"caso1_campo-centro", "caso1_campo-nodo", "caso1_laboratorio", "caso2_campo-centro",
                               "caso2_campo-nodo",   "caso2_laboratorio", "caso3_lineal",     "caso4_lineal"};

// One run of the example with every flag, shared by the tests below.
class ExampleViews : public ::testing::Test {
 protected:
  static Scratch* s;
  static std::vector<Solve> solves;
  static void SetUpTestSuite() {
    s = new Scratch;
    ASSERT_EQ(s->run("--vtk --csv --svg '" + kExample + "' REPORTE"), 0) << s->read("console.err");
    solves = report_solves(s->read("REPORTE"));
  }
  static void TearDownTestSuite() {
    delete s;
    s = nullptr;
  }
};
Scratch* ExampleViews::s = nullptr;
std::vector<Solve> ExampleViews::solves;

TEST_F(ExampleViews, OneSetOfFilesPerSolveAndTheSixFilesUnchanged) {
  // Eight solves: three expansions, three compressions, two consolidations;
  // the repeated end forces of the compressions are no solve.
  ASSERT_EQ(solves.size(), 8u);
  for (const char* p : kPasses)
    for (const char* suffix : {".vtu", ".svg", "_reacciones.csv", "_nodos.csv", "_barras.csv", "_diagramas.csv"})
      EXPECT_TRUE(fs::exists(s->dir / ("REPORTE_" + std::string(p) + suffix))) << p << suffix;
  const auto files = s->files();
  EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const std::string& f) { return f.rfind("REPORTE", 0) == 0; }),
            1 + 8 * 6 + 1);  // the report, the views, the collection

  // The collection lists the grids in the order of the solves.
  const std::string pvd = s->read("REPORTE.pvd");
  std::size_t at = 0;
  for (const char* p : kPasses) {
    at = pvd.find("file=\"REPORTE_" + std::string(p) + ".vtu\"", at);
    EXPECT_NE(at, std::string::npos) << p;
  }

  // Without the flags: the same six files, byte for byte, and nothing else.
  Scratch plain;
  ASSERT_EQ(plain.run("'" + kExample + "' REPORTE"), 0);
  for (const char* f : {"REPORTE", "MEMORIA", "VALINF", "arch.msh", "arch.res", "console.out"})
    EXPECT_TRUE(plain.read(f) == s->read(f)) << f;
  EXPECT_EQ(plain.files(), (std::vector<std::string>{"MEMORIA", "REPORTE", "VALINF", "arch.msh", "arch.res",
                                                     "console.err", "console.out"}));
}

TEST_F(ExampleViews, CsvValuesAreTheReportsToItsPrintedDigits) {
  ASSERT_EQ(solves.size(), 8u);
  for (std::size_t k = 0; k < 8; ++k) {
    const Solve& r = solves[k];
    const std::string stem = "REPORTE_" + std::string(kPasses[k]);
    SCOPED_TRACE(stem);

    Lines l = lines_of(s->read(stem + "_reacciones.csv"));
    ASSERT_EQ(l.size(), 1 + r.reaction.size());
    EXPECT_EQ(l[0], "punto,tipo,nodo,componente,reaccion_t_m_area_t_zapata,hundimiento_m_o_rad");
    ASSERT_EQ(r.reaction.size(), 12u);  // six area reactions, six of the footing
    for (std::size_t i = 0; i < r.reaction.size(); ++i) {
      const Lines f = fields(l[i + 1]);
      ASSERT_EQ(f.size(), 6u);
      EXPECT_EQ(f[0], std::to_string(i + 1));
      EXPECT_EQ(f[1], i < 6 ? "area" : "zapata");
      EXPECT_EQ(f[2], i < 6 ? std::to_string(i + 1) : "13");
      static const char* const kComp[6] = {"DX", "DY", "DZ", "MX", "MY", "MZ"};
      EXPECT_EQ(f[3], i < 6 ? "DZ" : kComp[i - 6]);
      EXPECT_TRUE(same_as_printed(f[4], r.reaction[i])) << f[4] << " vs " << r.reaction[i];
      EXPECT_TRUE(same_as_printed(f[5], r.settlement[i])) << f[5] << " vs " << r.settlement[i];
    }

    l = lines_of(s->read(stem + "_nodos.csv"));
    ASSERT_EQ(l.size(), 15u);
    for (std::size_t n = 0; n < 14; ++n) {
      const Lines f = fields(l[n + 1]);
      ASSERT_EQ(f.size(), 10u);
      for (int c = 0; c < 6; ++c) EXPECT_TRUE(same_as_printed(f[4 + c], r.node[n][c])) << n + 1 << " " << c;
    }

    l = lines_of(s->read(stem + "_barras.csv"));
    ASSERT_EQ(l.size(), 23u);
    for (std::size_t b = 0; b < 22; ++b) {
      const Lines f = fields(l[b + 1]);
      ASSERT_EQ(f.size(), 16u);
      EXPECT_EQ(f[3], b < 7 ? "1" : "2");
      for (int c = 0; c < 12; ++c) EXPECT_TRUE(same_as_printed(f[4 + c], r.force[b][c])) << b + 1 << " " << c;
    }

    l = lines_of(s->read(stem + "_diagramas.csv"));
    ASSERT_EQ(l.size(), 1 + r.diagram.size());
    ASSERT_EQ(r.diagram.size(), 15u);  // two bars of 5 points on the first axis, one on the second
    for (std::size_t i = 0; i < r.diagram.size(); ++i) {
      const Lines f = fields(l[i + 1]);
      ASSERT_EQ(f.size(), 6u);
      EXPECT_EQ(f[0], i < 10 ? "1" : "2");
      EXPECT_EQ(f[1], i < 10 ? "EJE A (Y=0)" : "EJE 1 (X=0)");
      EXPECT_EQ(f[2], r.diagram[i][0]);
      for (int c = 0; c < 3; ++c) EXPECT_TRUE(same_as_printed(f[3 + c], r.diagram[i][1 + c])) << i;
    }
  }
}

TEST_F(ExampleViews, MeshioReadsEveryGridWithTheReportsValues) {
  const std::string py = python_with("meshio");
  if (py.empty()) GTEST_SKIP() << "no python3 with meshio";
  const Lines out = python(*s, py, R"(import meshio
for name in )" + [] {
    std::string list = "[";
    for (const char* p : kPasses) list += "'REPORTE_" + std::string(p) + ".vtu',";
    return list + "]";
  }() + R"(:
    m = meshio.read(name)
    print('grid', name, len(m.points), ' '.join(c.type + ':' + str(len(c.data)) for c in m.cells))
    print('dz', ' '.join(repr(float(v[2])) for v in m.point_data['desplazamiento']))
    print('giro', ' '.join(repr(float(v[1])) for v in m.point_data['giro']))
    print('hund', ' '.join(repr(float(v)) for v in m.point_data['hundimiento']))
    print('reac', ' '.join(repr(float(v)) for v in m.point_data['reaccion']))
    print('mat', ' '.join(str(int(v)) for block in m.cell_data['material'] for v in block))
    print('vz1', ' '.join(repr(float(v[2])) for block in m.cell_data['fuerzas_extremo_i'] for v in block))
    print('mz2', ' '.join(repr(float(v[5])) for block in m.cell_data['fuerzas_extremo_j'] for v in block))
)");
  ASSERT_EQ(out.size(), 8u * 8u);
  for (std::size_t k = 0; k < 8; ++k) {
    const Solve& r = solves[k];
    SCOPED_TRACE(kPasses[k]);
    auto values = [&](std::size_t line, const char* key) {
      Lines t = tokens(out[8 * k + line]);
      EXPECT_EQ(t[0], key);
      t.erase(t.begin());
      return t;
    };
    EXPECT_EQ(out[8 * k], "grid REPORTE_" + std::string(kPasses[k]) + ".vtu 14 line:22 quad:2");
    const Lines dz = values(1, "dz"), giro = values(2, "giro"), hund = values(3, "hund"), reac = values(4, "reac");
    ASSERT_EQ(dz.size(), 14u);
    for (std::size_t n = 0; n < 14; ++n) {
      EXPECT_TRUE(same_as_printed(dz[n], r.node[n][2])) << n + 1;
      EXPECT_TRUE(same_as_printed(giro[n], r.node[n][4])) << n + 1;
    }
    // Nodes 1..6 carry the area reactions 1..6; node 13 the footing's vertical reaction 9.
    for (std::size_t n = 0; n < 14; ++n) {
      const int point = n < 6 ? static_cast<int>(n) : n == 12 ? 8 : -1;
      if (point < 0) {
        EXPECT_EQ(hund[n], "0.0");
        EXPECT_EQ(reac[n], "0.0");
        continue;
      }
      EXPECT_TRUE(same_as_printed(hund[n], r.settlement[static_cast<std::size_t>(point)])) << n + 1;
      EXPECT_TRUE(same_as_printed(reac[n], r.reaction[static_cast<std::size_t>(point)])) << n + 1;
    }
    EXPECT_EQ(values(5, "mat"), (Lines{"1", "1", "1", "1", "1", "1", "1", "2", "2", "2", "2", "2",
                                       "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "3", "3"}));
    const Lines vz1 = values(6, "vz1"), mz2 = values(7, "mz2");
    ASSERT_EQ(vz1.size(), 24u);
    for (std::size_t b = 0; b < 22; ++b) {
      EXPECT_TRUE(same_as_printed(vz1[b], r.force[b][2])) << b + 1;
      EXPECT_TRUE(same_as_printed(mz2[b], r.force[b][11])) << b + 1;
    }
  }
}

TEST_F(ExampleViews, EverySvgIsXmlWithThePlanAndOneDiagramPerAxis) {
  const std::string py = python_with("xml.etree.ElementTree");
  if (py.empty()) GTEST_SKIP() << "no python3";
  const Lines out = python(*s, py, R"(import glob, xml.etree.ElementTree as ET
ns = '{http://www.w3.org/2000/svg}'
for name in sorted(glob.glob('*.svg')):
    root = ET.parse(name).getroot()
    groups = list(root.iter(ns + 'g'))
    plan = [g for g in groups if g.get('id') == 'planta']
    axes = [g for g in groups if g.get('class') == 'diagrama']
    marks = [c for c in plan[0].iter(ns + 'circle')] if plan else []
    texts = [''.join(t.itertext()) for a in axes for t in a.iter(ns + 'text')]
    print(name, root.tag == ns + 'svg', len(plan), len(axes), len(marks), texts[0] if texts else '')
)");
  ASSERT_EQ(out.size(), 8u);
  for (const std::string& l : out) {
    // The plan with the seven reaction nodes (and the legend's mark), two axes.
    EXPECT_NE(l.find(".svg True 1 2 8 EJE A (Y=0): cortante V y momento M"), std::string::npos) << l;
  }
}

TEST(Views, IterativeAndNonlinearAnalysesNameTheirSolves) {
  Scratch s;
  write_example(s.dir / "iterativo.txt", 1);
  write_example(s.dir / "no-lineal.txt", 2);
  // The dialogue form takes the flags too.
  ASSERT_EQ(s.run("--csv", "iterativo.txt\nit.txt\n"), 0) << s.read("console.err");
  ASSERT_EQ(s.run("no-lineal.txt nl --csv"), 0) << s.read("console.err");
  std::vector<std::string> it, nl;
  for (const std::string& f : s.files()) {
    if (f.rfind("it_", 0) == 0 && f.size() > 15 && f.compare(f.size() - 15, 15, "_reacciones.csv") == 0) it.push_back(f);
    if (f.rfind("nl_", 0) == 0 && f.size() > 15 && f.compare(f.size() - 15, 15, "_reacciones.csv") == 0) nl.push_back(f);
  }
  // The iterative analysis: its last pass only; its report has three passes.
  EXPECT_EQ(it, (std::vector<std::string>{"it_caso1_campo-centro_reacciones.csv", "it_caso1_campo-nodo_reacciones.csv",
                                          "it_caso1_laboratorio_reacciones.csv", "it_caso2_iterativo_reacciones.csv"}));
  EXPECT_EQ(nl, (std::vector<std::string>{"nl_caso1_campo-centro_reacciones.csv", "nl_caso1_campo-nodo_reacciones.csv",
                                          "nl_caso1_laboratorio_reacciones.csv", "nl_caso2_no-lineal_reacciones.csv",
                                          "nl_caso3_no-lineal_reacciones.csv", "nl_caso4_no-lineal_reacciones.csv"}));

  // Last pass of the iterative analysis: the reactions of its last REACCION lines,
  // the settlements of its last HUNDIM table.
  const Lines rep = lines_of(s.read("it.txt"));
  std::vector<std::string> last_r;
  for (const std::string& l : rep)
    if (l.rfind(" REACCION  ", 0) == 0) last_r.push_back(tokens(l)[2]);
  ASSERT_GE(last_r.size(), 12u);
  Lines csv = lines_of(s.read("it_caso2_iterativo_reacciones.csv"));
  ASSERT_EQ(csv.size(), 13u);
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_TRUE(same_as_printed(fields(csv[i + 1])[4], last_r[last_r.size() - 6 + i])) << i;

  // Nonlinear: the six area reactions only, settled as the frame at their dofs.
  const std::vector<Solve> solves = report_solves(s.read("nl"));
  ASSERT_EQ(solves.size(), 6u);
  const char* const names[3] = {"caso2", "caso3", "caso4"};
  for (int c = 0; c < 3; ++c) {
    const Solve& r = solves[3 + static_cast<std::size_t>(c)];
    csv = lines_of(s.read("nl_" + std::string(names[c]) + "_no-lineal_reacciones.csv"));
    ASSERT_EQ(csv.size(), 7u) << names[c];
    ASSERT_EQ(r.reaction.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
      const Lines f = fields(csv[i + 1]);
      EXPECT_TRUE(same_as_printed(f[4], r.reaction[i])) << names[c] << " " << i;
      EXPECT_TRUE(same_as_printed(f[5], r.settlement[i])) << names[c] << " " << i;
    }
  }
}

TEST(Views, CommandLineNamesAndRefusals) {
  Scratch s;
  fs::copy_file(kExample, s.dir / "datos.txt");
  // --help documents the flags; an unknown flag is a usage error.
  EXPECT_EQ(s.run("--help"), 0);
  for (const char* flag : {"--vtk", "--csv", "--svg"}) EXPECT_NE(s.read("console.out").find(flag), std::string::npos) << flag;
  EXPECT_EQ(s.run("--vtu datos.txt rep"), 2);
  EXPECT_NE(s.read("console.err").find("--vtu"), std::string::npos);
  EXPECT_EQ(s.run("--svg datos.txt"), 2);

  // The report's extension is not part of the names, its folder is.
  fs::create_directory(s.dir / "res");
  ASSERT_EQ(s.run("--svg datos.txt res/informe.txt"), 0);
  EXPECT_TRUE(fs::exists(s.dir / "res" / "informe_caso4_lineal.svg"));
  // A report sent to a device: its views and the files of fixed name go to the
  // working directory (the console redirected to a file makes /dev/stdout a
  // link to a file: still a device's name).
  ASSERT_EQ(s.run("--svg datos.txt /dev/null"), 0);
  EXPECT_TRUE(fs::exists(s.dir / "null_caso4_lineal.svg"));
  ASSERT_EQ(s.run("--svg datos.txt /dev/stdout"), 0);
  EXPECT_TRUE(fs::exists(s.dir / "stdout_caso4_lineal.svg"));
  for (const char* f : {"/dev/stdout_caso4_lineal.svg", "/dev/null_caso4_lineal.svg", "/dev/MEMORIA", "/dev/arch.msh"})
    EXPECT_FALSE(fs::exists(f)) << f;

  // A name the views would write over: the data file or the report. Nothing is written.
  fs::copy_file(kExample, s.dir / "r_caso3_lineal_nodos.csv");
  EXPECT_EQ(s.run("--csv r_caso3_lineal_nodos.csv r"), 4);
  EXPECT_NE(s.read("console.err").find("\"r_caso3_lineal_nodos.csv\": es el archivo de datos"), std::string::npos);
  EXPECT_EQ(slurp(s.dir / "r_caso3_lineal_nodos.csv"), slurp(kExample));
  EXPECT_FALSE(fs::exists(s.dir / "r"));
  EXPECT_EQ(s.run("--vtk datos.txt x.pvd"), 4);
  EXPECT_NE(s.read("console.err").find("\"x.pvd\": es el reporte"), std::string::npos);
  EXPECT_FALSE(fs::exists(s.dir / "x.pvd"));
}

TEST(Views, ReadmeShowsThePictureOfTheExample) {
  const fs::path root = KORVANT_SOURCE_DIR;
  EXPECT_NE(slurp(root / "README.md").find("](docs/ejemplo.png)"), std::string::npos);
  EXPECT_EQ(slurp(root / "docs" / "ejemplo.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(Views, XmlTextIsEscapedUtf8) {
  korvant::testing::Capture c;
  korvant::put_xml_text(c.out, "A&B <\"c\"> \xD3\xF1\x01");
  EXPECT_EQ(c.text(), "A&amp;B &lt;&quot;c&quot;&gt; \xC3\x93\xC3\xB1?");
  korvant::put_xml_text(c.out, "\xC3\xB1.vtu", false);  // a file name keeps its bytes
  EXPECT_EQ(c.text(), "\xC3\xB1.vtu");
}

}  // namespace
