// Studies of many analyses of one model: what varies (soil moduli, Poisson's
// ratios, the nonlinear parameters, the frame's modulus, the loads), how it
// varies (a distribution per parameter, at most one correlation), and how the
// samples are drawn (one parameter at a time, or Monte Carlo by Latin
// hypercube or plain random sampling). The study file is read and checked here;
// the samples are made from the seed and their number alone, so that any
// number of threads or processes makes the same ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.hpp"

namespace korvant {

enum class DistKind { uniform, normal, lognormal, triangular };

// A distribution and its inverse: uniform (min a, max b), normal (mean a,
// standard deviation b), lognormal (mean a, coefficient of variation b),
// triangular (min a, mode b, max c).
struct Distribution {
  DistKind kind = DistKind::uniform;
  double a = 0, b = 0, c = 0;
  // The value below which a share u (0 < u < 1) of the distribution lies.
  double quantile(double u) const;
  bool bounded() const { return kind == DistKind::uniform || kind == DistKind::triangular; }
  double min() const { return a; }
  double max() const { return kind == DistKind::uniform ? b : c; }
};

// What a parameter changes in the model.
enum class Quantity {
  stratum,     // a soil table of one stratum (value), of a profile or of every profile (factor)
  VALNL,       // the nonlinear law's VALNL (value)
  E_material,  // the modulus of elasticity of one material (value) or of every material (factor)
  soil,        // every stratum's moduli at once (factor on E1, E2, Emv and Emt, the moduli the solves divide by)
  concentrated_loads,  // every concentrated load (factor)
  dead_load,   // CMUERTA of every bar and slab (factor)
  live_load,   // CVMáx, CVMed and CVInst of every bar and slab (factor)
};

struct Parameter {
  Quantity q = Quantity::stratum;
  bool factor = false;   // the sampled value multiplies the typed ones
  Tab2<float> Model::*table = nullptr;  // the soil table (Quantity::stratum)
  int case_no = 0;       // the case whose table it is (stratum)
  int perfil = 0;        // 0: every profile
  int estrato = 0;       // 0: every stratum of the profile
  std::string material;  // the material's name (E_material value)
  int material_index = 0;  // found by check_study
  std::string name;      // its column in the tables: "E2_p1_e3", "factor_E2_p1", "factor_carga_muerta"
  std::string text;      // as written, for the report
  Distribution d;
  int line = 0;          // of the study file
};

enum class Method { sensitivity, montecarlo };

struct Study {
  std::string file;
  Method method = Method::montecarlo;
  int N = 0;                // Monte Carlo samples
  bool lhs = true;          // Latin hypercube (else plain random)
  std::uint64_t seed = 1;
  bool minmax = false;      // sensitivity: min and max instead of the 5th and 95th percentiles
  std::vector<Parameter> params;
  int corr_a = -1, corr_b = -1;  // indices into params; -1: no correlation
  double rho = 0;
  int corr_line = 0;
  int method_line = 0;
};

// "Error en el archivo de estudio "<file>", línea <n>, <item>: <what>" (line < 1: no line).
std::string bad_study_message(std::string_view file, int line, std::string_view item, std::string_view what);

// Reads the study file (UTF-8 or Latin-1). Throws Fatal{status::BAD_DATA}
// naming the line and the item of the first fault.
Study read_study(const std::string& path);
Study parse_study(const std::string& file, std::string text);
// Checks the study against the model read from the data file: the profile,
// stratum and material exist, and the case of the table is analysed.
void check_study(Study& s, const Model& m);

// The value of a parameter in the typed model (1 for a factor).
double typed_value(const Parameter& p, const Model& m);

// The samples of a study, numbered from 1; sample 0 is the typed model. The
// values of sample i depend only on the seed and i (and, for the Latin
// hypercube, on the number of samples, which fixes its bins).
class Sampler {
 public:
  explicit Sampler(const Study& s);
  int count() const { return count_; }
  // The value of each parameter in sample i (0..count()); NaN: the typed value.
  void values(int i, std::vector<double>& out) const;
  // In a sensitivity study, the parameter that sample i moves and whether to its high value.
  int moved(int i) const { return i < 1 ? -1 : (i - 1) / 2; }
  bool high(int i) const { return i >= 1 && (i - 1) % 2 == 1; }
  // The share u of each parameter's distribution in Monte Carlo sample i (before the copula).
  void shares(int i, std::vector<double>& u) const;

 private:
  const Study& s_;
  int count_ = 0;
  std::vector<std::uint32_t> perm_;  // Latin hypercube: the bin of sample i of parameter j at j*N + i-1
};

// Applies the values of a sample (NaN: typed) to the model as read from the
// data file, in the order the study lists them. Returns why the sample cannot
// be analysed ("" when it can): a negative modulus, a Poisson's ratio outside
// [0, 0.5]... `influence` tells whether the influence values must be computed
// again (a Poisson's ratio of compressions changed).
std::string apply_values(const Study& s, const std::vector<double>& v, Model& m, bool& influence);

}  // namespace korvant
