// Not built yet: placeholder so the run sequence links.
#include "soil/soil.hpp"

namespace korvant {

void influence_values(Model&, Files&) {}

}  // namespace korvant
