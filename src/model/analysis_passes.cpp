#include "model/analysis_passes.hpp"

namespace korvant {

namespace {

const AnalysisCase kCases[] = {
    {1, "expansiones", "ANALISIS POR EXPANSIONES", "ANALISIS POR EXPANSIONES", "ANALISIS DE EXPANSIONES", 1, false, true},
    {2, "compresiones", "ANALISIS POR COMPRESIONES", "ANALISIS POR COMPRESIONES", "ANALISIS DE COMPRESIONES", 2, true, false},
    {3, "consolidación primaria", "ANALISIS POR CONSOLIDACION PRIMARIA", "ANALISIS POR CONSOLIDACIÓN PRIMARIA",
     "ANALISIS DE CONSOLIDACIÓN PRIMARIA", 3, false, false},
    {4, "consolidación secundaria", "ANALISIS POR CONSOLIDACIÓN SECUNDARIA", "ANALISIS POR CONSOLIDACIÓN SECUNDARIA",
     "ANALISIS DE CONSOLIDACIÓN SECUNDARIA", 3, false, false},
};

// A linear pass of expansions with the moduli of one source.
constexpr AnalysisPass expansion(int nflag1, Tab2<float> Model::*E, const char* view, const char* title, const char* people) {
  AnalysisPass p{1, -1, Solver::linear, nflag1, view, title, people,
                 "(A39, A18)", "Result  \"desplazamientos\" \"Expansiones\""};
  p.law = Law::immediate;
  p.flex_E = E;
  p.flex_NU = &Model::NU1;
  p.footing_E = &Model::E1;
  p.footing_NU = &Model::NU1;
  p.vered = &Model::vered1;
  return p;
}

// A linear pass of compressions with the moduli of one source.
constexpr AnalysisPass compression(int nflag1, Tab2<float> Model::*E, const char* view, const char* title, const char* people) {
  AnalysisPass p{2, 0, Solver::linear, nflag1, view, title, people,
                 "(A41, A17)", "Result  \"desplazamientos\" \"Compr.InmLin\""};
  p.law = Law::immediate;
  p.flex_E = E;
  p.flex_NU = &Model::NU2;
  p.footing_E = &Model::E2;
  p.footing_NU = &Model::NU2;
  p.flex_line = "LLAMANDO A FLSC";
  p.open_console = "ANALISIS LINEAL";
  p.open_log = "Analisis lineal, compresiones inmediatas";
  p.heading_first = true;
  p.vered = &Model::vered2;
  return p;
}

constexpr AnalysisPass iterative() {
  AnalysisPass p{2, 1, Solver::iterative, 0, "caso2_iterativo", "Compresiones, análisis iterativo (última pasada)",
                 "compresiones (análisis iterativo)", "(A41, I4, A15)", "Result  \"desplazamientos\" \"Compr.Iterat\""};
  p.law = Law::nonlinear;  // its stress-dependent modulus takes K, N and KO
  p.vered = &Model::vered2;
  return p;
}

constexpr AnalysisPass nonlinear(int case_no, Law law, bool log_lengths, Tab1<float> Model::*vered, const char* view,
                       const char* title, const char* people, const char* gid_text) {
  AnalysisPass p{case_no, 2, Solver::nonlinear, 0, view, title, people, "(A41, A17)", gid_text};
  p.law = law;
  p.log_lengths = log_lengths;
  p.vered = vered;
  return p;
}

constexpr AnalysisPass consolidation(int case_no, Law law, Tab2<float> Model::*E, Tab1<float> Model::*vered, const char* flex_line,
                           bool heading_first, const char* view, const char* title, const char* people,
                           const char* gid_text) {
  AnalysisPass p{case_no, 0, Solver::linear, 0, view, title, people, "(A41, A17)", gid_text};
  p.law = law;
  p.flex_E = E;
  p.footing_E = E;
  p.flex_line = flex_line;
  p.heading_first = heading_first;
  p.vered = vered;
  return p;
}

constexpr AnalysisPass kPasses[] = {
    expansion(1, &Model::ECAMPOP1, "caso1_campo-centro", "Expansiones, módulos de campo en el nodo central",
              "expansiones (módulos de campo en el nodo central)"),
    expansion(2, &Model::ECAMPO1, "caso1_campo-nodo", "Expansiones, módulos de campo en cada nodo",
              "expansiones (módulos de campo en cada nodo)"),
    expansion(3, &Model::E1, "caso1_laboratorio", "Expansiones, módulos de laboratorio",
              "expansiones (módulos de laboratorio)"),
    compression(1, &Model::ECAMPOP2, "caso2_campo-centro", "Compresiones, módulos de campo en el nodo central",
                "compresiones (módulos de campo en el nodo central)"),
    compression(2, &Model::ECAMPO2, "caso2_campo-nodo", "Compresiones, módulos de campo en cada nodo",
                "compresiones (módulos de campo en cada nodo)"),
    compression(3, &Model::E2, "caso2_laboratorio", "Compresiones, módulos de laboratorio",
                "compresiones (módulos de laboratorio)"),
    iterative(),
    nonlinear(2, Law::nonlinear, true, &Model::vered2, "caso2_no-lineal", "Compresiones, ecuación no lineal de Demeneghi",
              "compresiones (ecuación no lineal)", "Result \"Desplazamientos\" \"Compr.Inm NL\""),
    consolidation(3, Law::primary, &Model::Emv, &Model::vered3, "LLAMANDO A FLSC_3", true, "caso3_lineal",
                  "Consolidación primaria, análisis lineal", "consolidación primaria (análisis lineal)",
                  "Result  \"desplazamientos\" \"Consolid Prim\""),
    nonlinear(3, Law::primary, false, &Model::vered3, "caso3_no-lineal", "Consolidación primaria, ecuación no lineal de Demeneghi",
              "consolidación primaria (ecuación no lineal)", "Result \"Desplazamientos\" \"Cons.Prim NL\""),
    consolidation(4, Law::secondary, &Model::Emt, &Model::vered4, "LLAMANDO A FLSC", false, "caso4_lineal",
                  "Consolidación secundaria, análisis lineal", "consolidación secundaria (análisis lineal)",
                  "Result  \"desplazamientos\" \"Consolid Sec\""),
    nonlinear(4, Law::secondary, false, &Model::vered4, "caso4_no-lineal", "Consolidación secundaria, ecuación no lineal de Demeneghi",
              "consolidación secundaria (ecuación no lineal)", "Result \"Desplazamientos\" \"Cons.Sec NL\""),
};

}  // namespace

std::span<const AnalysisCase> analysis_cases() { return kCases; }
std::span<const AnalysisPass> analysis_passes() { return kPasses; }
const AnalysisCase& analysis_case(int case_no) { return kCases[case_no - 1]; }

}  // namespace korvant
