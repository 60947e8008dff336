// The method options of the command line: how the soil is integrated over the
// strata, how isolated footings are modelled and which solver takes the
// coupled system. Without any of them the program computes the method as
// written, in its single-precision arithmetic.
//
//   --estratos=integrados      influence values averaged over each stratum's thickness
//   --zapatas=estratificadas   footing springs from the layered soil, with interaction
//   --solucion=gaussj          Gauss-Jordan on the dense coupled matrix (the default)
//   --solucion=dispersa        sparse LU in double precision
#pragma once

#include <string>

namespace korvant {

enum class StrataRule { MidDepth, Integrated };
enum class FootingModel { HalfSpace, Layered };
enum class SolverChoice { Gaussj, Sparse };

struct MethodOptions {
  StrataRule strata = StrataRule::MidDepth;
  FootingModel footings = FootingModel::HalfSpace;
  SolverChoice solver = SolverChoice::Gaussj;

  bool integrated_strata() const { return strata == StrataRule::Integrated; }
  bool layered_footings() const { return footings == FootingModel::Layered; }
  bool sparse_solver() const { return solver == SolverChoice::Sparse; }
  bool any() const { return integrated_strata() || layered_footings() || sparse_solver(); }
};

// The echo lines of the options given, in the order the report writes them
// right after its banner (Latin-1 in the program's files):
//   "Estratos: valores de influencia integrados en el espesor"
//   "Zapatas: rigideces del suelo estratificado, con interacción"
//   "Solución: LU dispersa en doble precisión (UMFPACK)"
// Only `--solucion=dispersa` echoes a solver line; `--solucion=gaussj` is the default.
inline const char* strata_line() { return "Estratos: valores de influencia integrados en el espesor"; }
inline const char* footings_line() { return "Zapatas: rigideces del suelo estratificado, con interacción"; }
inline const char* solver_line() { return "Solución: LU dispersa en doble precisión (UMFPACK)"; }

// Reads one command-line argument. Returns false when it is none of the three
// options; sets `error` (and returns true) when it is one of them with a value
// that is not known.
inline bool parse_method_option(const std::string& a, MethodOptions& o, std::string& error) {
  auto named = [&](const char* name) { return a.rfind(name, 0) == 0; };
  if (named("--estratos")) {
    if (a == "--estratos=integrados") o.strata = StrataRule::Integrated;
    else error = "\"" + a + "\": se espera --estratos=integrados";
    return true;
  }
  if (named("--zapatas")) {
    if (a == "--zapatas=estratificadas") o.footings = FootingModel::Layered;
    else error = "\"" + a + "\": se espera --zapatas=estratificadas";
    return true;
  }
  if (named("--solucion")) {
    if (a == "--solucion=gaussj") o.solver = SolverChoice::Gaussj;
    else if (a == "--solucion=dispersa") o.solver = SolverChoice::Sparse;
    else error = "\"" + a + "\": se espera --solucion=gaussj o --solucion=dispersa";
    return true;
  }
  return false;
}

}  // namespace korvant
