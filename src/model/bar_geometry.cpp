// Not built yet: placeholder so the run sequence links.
#include "model/preprocess.hpp"

namespace korvant {

void direction_cosines(Model&, Files&) {}

}  // namespace korvant
