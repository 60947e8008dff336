// Not built yet: placeholder so the run sequence links.
#include "soil/soil.hpp"

namespace korvant {

void field_moduli(Model&, Files&) {}

}  // namespace korvant
