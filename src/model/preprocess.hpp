// Model preprocessing: support conditions and numbering, bar geometry, reaction
// points and tributary areas.
#pragma once

#include "model/model.hpp"
#include "text/log.hpp"

namespace korvant {

// Final restriction codes, IFIJO, NUMGL, NGRED, NREAC/NR, NREACN/MR, NCENTRO.
void number_dofs(Model& m, Log& log);
// COSDIR of every bar.
void direction_cosines(Model& m, Log& log);
// Bar lengths (LONG, UX, UY), reaction rectangles, LONGITUD, AREA, ACIM, slab
// load transfer; then the "PROGRAMA PRINCIPAL" list of reaction dofs in the log.
void reaction_areas(Model& m, Log& log);
void write_reaction_areas(const Model& m, OutFile& rep);
void log_reaction_dofs(const Model& m, Log& log);

}  // namespace korvant
