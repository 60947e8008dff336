// Not built yet: placeholder so the run sequence links.
#include "soil/soil.hpp"

namespace korvant {

void footing_rigidities(Model&, Files&, const Tab2<float>&, const Tab2<float>&) {}

}  // namespace korvant
