// Model preprocessing: support conditions and numbering, bar geometry, reaction
// points and tributary areas.
#pragma once

#include "model/model.hpp"
#include "text/out_file.hpp"

namespace korvant {

// Final restriction codes, IFIJO, NUMGL, NGRED, NREAC/NR, NREACN/MR, NCENTRO.
void number_dofs(Model& m, Files& f);
// COSDIR of every bar.
void direction_cosines(Model& m, Files& f);
// Bar lengths (LONG, UX, UY), reaction rectangles, LONGITUD, AREA, ACIM, slab
// load transfer; then the "PROGRAMA PRINCIPAL" list of reaction dofs in the log.
void reaction_areas(Model& m, Files& f);
void log_reaction_dofs(const Model& m, Files& f);

}  // namespace korvant
