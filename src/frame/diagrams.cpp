// Not built yet: placeholder so the run sequence links.
#include "frame/frame.hpp"

namespace korvant {

void diagrams(Model&, Files&, int) {}

}  // namespace korvant
