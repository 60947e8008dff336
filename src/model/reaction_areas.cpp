// Not built yet: placeholder so the run sequence links.
#include "model/preprocess.hpp"

namespace korvant {

void reaction_areas(Model&, Files&) {}
void log_reaction_dofs(const Model&, Files&) {}

}  // namespace korvant
