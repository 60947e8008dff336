// Not built yet: placeholder so the run sequence links.
#include "frame/frame.hpp"

namespace korvant {

void assemble_frame(Model&, Files&) {}

}  // namespace korvant
