// The soil laws: one object per law of deformation of a stratum (immediate
// elastic, primary consolidation, secondary consolidation, and the nonlinear
// law of immediate compressions), and the table of the data file's case rows
// that refer to them. A case row is the line of properties each stratum carries
// for one analysis case: the parameters of its laws, in read order, with the
// names the messages give them and the report block that echoes them. Cases 1
// and 2 share the immediate law (each with its own tables); case 2 also carries
// the nonlinear law. A new law is an object here, its tables in model.hpp and
// the passes that use it in analysis_passes.cpp.
#pragma once

#include <span>

#include "model/model.hpp"
#include "text/log.hpp"

namespace korvant {

enum class Law {
  immediate,  // elastic: a modulus and Poisson's ratio
  primary,    // primary consolidation: Emv (and Ap of its nonlinear form)
  secondary,  // secondary consolidation: Emt, psi and T (and Acs of its nonlinear form)
  nonlinear,  // Demeneghi's law of immediate compressions: KO, K, N, A
};

struct SoilLaw {
  Law law;
  int parameters;              // how many parameters of a case row it takes, in read order
  // Its linear flexibility (the routine FLSC): the settlement of a stratum of
  // thickness h under a unit reaction is LONGITUD · h · AINF / (E · AREA),
  // times the time factor.
  int modulus;                 // the parameter E, that a linear solve divides by (-1: no linear form)
  int poisson;                 // the parameter of Poisson's ratio (-1: none, the footings take 0)
  const char* stratum_label;   // the log's line of each stratum: "en flsc, ESTRATO="
  bool logs_modulus;           // the log names the modulus source (nflag1) and each compressibility
  // AINF: with Poisson's ratio, IZ - NU·(IX⁺ + IY⁺) (never clipped); without, IZ⁺.
  // (x⁺ is x when positive, else 0; each the sum of its two directions.)
  float (*time_factor)(const Model& m, int KP, int k);  // nullptr: 1
  // Its nonlinear deformation (Def): the settlement of stratum jj of profile
  // KP under reaction ii, for the reactions RNL(NGRED + k) + HINC(k); nullptr:
  // the law has no nonlinear form.
  float (*deformation)(const Model& m, LogDetail log, int ii, int jj, const Tab1<float>& RNL, const Tab1<float>& HINC,
                       int KP);
  int divisor;                 // the parameter the nonlinear deformation divides by (-1: none)
  bool clay_only;              // the nonlinear deformation acts on clay strata only
};

const SoilLaw& soil_law(Law law);

struct LawParameter {
  const char* name;            // in the data file's messages: "E2"
  Tab2<float> Model::*table;   // (profile, stratum)
};

// One case row: the line of properties of one analysis case.
struct CaseRow {
  int case_no;                 // the case (1..4), the index of CASO
  const SoilLaw* laws[2];      // the laws of the line, in read order (the second may be none)
  LawParameter params[7];      // the parameters of its laws, in read order
  int count;                   // parameters used
  const char* title;           // report: "PROPIEDADES CASO 2"
  const char* header_layout;   // report: layout and text of the column heading
  const char* header;
  const char* units_layout;    // report: the units line
  const char* units;
  const char* values_layout;   // report: the values, in read order
  const char* analysis;        // "el análisis lineal de compresiones", in messages
  const char* nonlinear_analysis;  // "el análisis no lineal de compresiones", in messages
};

// The case rows, in case order (the order of a stratum's lines).
std::span<const CaseRow> case_rows();

// A parameter of a case row, by its law and its place among the law's
// parameters; nullptr when the row does not carry that law or the place is -1.
const LawParameter* law_parameter(const CaseRow& row, const SoilLaw& law, int place);

}  // namespace korvant
