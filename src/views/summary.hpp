// The engineer's verdict on one solved case and pass: does the solution balance
// the loads, how much and how unevenly does the foundation settle, how much does
// it tilt, what pressure does the soil carry, what springs does the solution
// imply. The figures are computed once into a Summary; the writers of the text
// summary, the springs table and the HTML page only print them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/model.hpp"
#include "views/limits.hpp"
#include "views/views.hpp"

namespace korvant {

// Largest difference between the vertical load and the vertical reactions, in
// per cent of the load, that a sound solution may leave: single-precision
// Gauss-Jordan is not exact. Measured on our test models and generated buildings
// up to 10 x 10 x 3: at most 0.0045 % in a linear solve, 0.011 % in a converged
// nonlinear one (whose iteration stops at a 0.01 % change of the reactions).
constexpr double EQUILIBRIO_TOL_PCT = 0.05;
// Below this load (t) the difference is judged as an absolute value instead.
constexpr double EQUILIBRIO_TOL_T = 0.001;

// Limits of angular distortion: cracking not allowed, first cracks in panel
// walls, structural damage; and the tilt at which a tall building's lean is seen.
constexpr double BETA_LIMITS[3] = {1.0 / 500.0, 1.0 / 300.0, 1.0 / 150.0};
constexpr double TILT_LIMIT = 1.0 / 250.0;

// Vertical equilibrium of the solve (t). Loads positive downward, reactions and
// support forces positive upward.
struct Equilibrium {
  int load_set = 0;      // 1..3 (the consolidations share set 3)
  double load = 0;       // bar loads with self weight + loads on free vertical dofs
  double soil = 0;       // area reactions times their contact lengths
  double footings = 0;   // vertical reactions of the isolated footings
  double supports = 0;   // vertical force carried by restrained supports
  double restrained_loads = 0;  // loads typed on restrained verticals (carried there directly)
  bool footings_modelled = true;  // false in a nonlinear solve, which has no footing reactions
  double diff = 0;       // load - (soil + footings + supports)
  double diff_pct = 0;   // diff in per cent of the load (when the load is not ~0)
  bool relative = true;  // diff_pct is meaningful
  bool ok = true;
};

// One foundation node: the vertical settlement of its reaction point (negative downward).
struct FoundationNode {
  int node = 0;
  double x = 0, y = 0, s = 0;
};

struct Tilt {
  bool defined = false;   // at least two distinct points
  double a = 0, bx = 0, by = 0;  // fitted plane s = a + bx*x + by*y
  double rad = 0;          // |gradient|
  double n = 0;            // 1/rad (0 when flat)
  double dir_deg = 0;      // direction (degrees from +X, counter-clockwise) in which the foundation sinks more
};

struct BarDistortion {
  int bar = 0, ni = 0, nj = 0;
  double L = 0, ds = 0, apparent = 0, beta = 0;
};

// One area reaction: its pressure on the soil and the spring it implies.
struct ContactPoint {
  int k = 0, node = 0;
  double x = 0, y = 0;
  double R = 0;            // reaction per unit length (t/m)
  double length = 0, area = 0;
  double pressure = 0;     // R * length / area (t/m2), positive in compression
  bool has_pressure = false;  // contact area not zero
  double s = 0;            // settlement (m), negative downward
  bool has_spring = false;
  double k_soil = 0;       // pressure / (-s) (t/m3)
  double k_node = 0;       // k_soil * area (t/m)
};

struct FootingResult {
  int z = 0, node = 0;
  double ancho = 0, largo = 0;
  bool has_vertical = false;  // a vertical reaction in this solve
  double Rv = 0, pressure = 0, s = 0;
  // Springs: the inverses of the flexibilities the solve used (0 = none; rigid when the flexibility is 0).
  double kv = 0, kh = 0, kr = 0;
  bool rigid_v = false, rigid_h = false, rigid_r = false;
  // With layered footings torsion (MZ) has its own spring; kr is then rocking.
  bool torsion = false;
  double kt = 0;
  bool rigid_t = false;
};

struct AxisExtremes {
  int axis = 0;
  std::string name;     // Latin-1, trailing blanks dropped
  bool any = false;
  AxisPoint Mmax, Vmax;  // largest |M| and |V|
};

// The node of the "central node" field moduli, where it lies and how far from
// the centroid of the foundation nodes.
struct CentralNode {
  bool named = false;  // a pass with the moduli of the central node
  int node = 0;
  double x = 0, y = 0;
  double cx = 0, cy = 0;   // centroid of the foundation nodes
  double dist = 0;         // from the centroid (m)
  double limit = 0;        // a quarter of the plan's smaller side (m)
  bool far = false;
};

struct Summary {
  SolvedCase c;
  bool linear = true;
  Equilibrium eq;
  std::vector<FoundationNode> nodes;   // in node order
  int s_max_node = 0, s_min_node = 0;  // most downward, least downward
  double s_max = 0, s_min = 0, s_mean = 0;
  Tilt tilt;
  std::vector<BarDistortion> bars;
  int beta_max_bar = -1;               // index into bars, -1 without bars
  int apparent_max_bar = -1;
  int beta_over[3] = {0, 0, 0};
  std::vector<ContactPoint> contact;
  int p_max = -1, p_min = -1;          // indices into contact
  int tension = 0;                     // reactions in tension (negative)
  int springs = 0, springs_missing = 0;
  int k_min = -1, k_max = -1;          // indices into contact
  double kA_min = 0, kA_max = 0;       // range of k*area (t/m)
  std::vector<FootingResult> footings;
  std::vector<AxisExtremes> axes;
  CentralNode central;

  // The verdict against the limits (judge()).
  bool heave = false;                  // case 1: movements upward are expected, and tension with them
  double diff_max = 0;                 // largest difference of settlement between two foundation nodes (m)
  int diff_hi_node = 0, diff_lo_node = 0;
  bool settlement_judged = false, settlement_over = false;
  bool diff_judged = false, diff_over = false;
  bool tilt_over = false;
  int beta_over_limit = 0;             // bars past the distortion limit in use
  std::vector<Alert> alerts;
};

// The summary of solution sol.
void compute_summary(const Model& m, const PassSolution& sol, Summary& s);
// From the settlements of s.nodes: the extremes, the tilt, the differential
// settlement and angular distortion of every bar between two of them.
void settlement_figures(const Model& m, Summary& s);
// The verdict of a computed summary against the limits: what passes a limit,
// and the list of findings the heads show.
void judge(const Limits& l, Summary& s);

// Foundation bars that join two isolated footings and bear on the soil with
// their width (a tie beam the method treats as a strip): "la barra 14 une las
// zapatas 3 y 4 y se apoya en el suelo con su ancho BASE (0.25 m)", one clause
// per bar; empty when there is none.
std::string tie_beam_text(const Model& m);

// The summary as Latin-1 text lines (the program's own character set).
// `springs_file` is the name of the pass's table of springs, as the user finds it beside the report.
void summary_text(const Model& m, const Summary& s, const Limits& l, const std::string& springs_file, std::string& out);
// The springs of the area reactions as a CSV table.
void write_springs_csv(const Summary& s, OutFile& o);
// The same springs as a frame program takes them: a line spring on each half
// of a foundation bar (the node's spring over its contact length, on the
// contact width), and a spring per square metre on each slab quarter.
void write_line_springs_csv(const Model& m, const Summary& s, OutFile& o);

// A Latin-1 text as UTF-8, unescaped.
void put_utf8(OutFile& o, std::string_view latin1);

// Text helpers of the summary writers: printf into a string; a ratio as "1/n";
// a direction in degrees as "+X -Y"; the words of a load set.
std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string one_in(double v);
// A value with `dec` decimals, never "-0.000"; "?" when it is not a number.
std::string num(double v, int dec);
// The equilibrium difference in per cent of the load: five decimals; with a
// solver in double precision (which gives its residual), two significant
// digits, so that its round-off (about 1e-12 %) shows.
std::string percent(const Summary& s);
// A spring or modulus: one decimal from 100 up, four significant digits below.
std::string spring_text(double v);
std::string direction_words(double deg);
const char* load_set_words(int set);
// What the springs of a pass of case `case_no` serve for.
const char* spring_use(int case_no);

// The HTML page: opening (title, model counts, warnings) and one section per pass.
void html_section(const Model& m, const Summary& s, const Limits& l, const std::string& svg, std::string& out);
// The page: the head lists the run's warnings and the findings of every pass
// (`passes`), each linked to where it is said.
void write_html(const Model& m, const std::vector<std::string>& sections, const std::vector<PassAlerts>& passes,
                const std::string& warnings, const Limits& l, OutFile& o);

}  // namespace korvant
