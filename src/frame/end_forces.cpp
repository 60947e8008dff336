// Not built yet: placeholder so the run sequence links.
#include "frame/frame.hpp"

namespace korvant {

void end_forces(Model&, Files&, int) {}

}  // namespace korvant
