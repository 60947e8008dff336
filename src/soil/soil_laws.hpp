// The soil properties of each analysis case, one line per stratum in the data
// file: their names and read order, the report block that echoes them, and the
// modulus that a linear solve of the case divides by. A new law (or a new
// parameter of one) is a change of this table.
#pragma once

#include <span>

#include "model/model.hpp"

namespace korvant {

struct LawParameter {
  const char* name;            // in the data file's messages: "E2"
  Tab2<float> Model::*table;   // (profile, stratum)
};

struct SoilLaw {
  int caso;                    // the case whose properties these are (1..4)
  LawParameter params[7];      // in read order
  int count;                   // parameters used
  const char* title;           // report: "PROPIEDADES CASO 2"
  const char* header_layout;   // report: layout and text of the column heading
  const char* header;
  const char* units_layout;    // report: the units line
  const char* units;
  const char* values_layout;   // report: the values, in read order
  int modulus;                 // the parameter a linear solve divides by
  bool modulus_every_kanal;    // the case is solved linearly under every KANAL (else only KANAL 0)
  const char* analysis;        // "el análisis lineal de compresiones", in messages
  int demeneghi;               // the parameter the nonlinear settlement law divides by (-1: none)
  bool demeneghi_clay_only;    // the nonlinear law of the case acts on clay strata only
  const char* nonlinear_analysis;  // "el análisis no lineal de compresiones", in messages
};

// The laws of the four cases, in case order.
std::span<const SoilLaw> soil_laws();

}  // namespace korvant
