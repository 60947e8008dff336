// Not built yet: placeholder so the run sequence links.
#include "model/preprocess.hpp"

namespace korvant {

void number_dofs(Model&, Files&) {}

}  // namespace korvant
