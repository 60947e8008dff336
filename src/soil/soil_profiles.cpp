// Not built yet: placeholder so the run sequence links.
#include "soil/soil.hpp"

namespace korvant {

void read_soil(DataReader&, Model&, Files&) {}

}  // namespace korvant
