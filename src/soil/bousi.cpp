// Not built yet: placeholder so the run sequence links.
#include "soil/soil.hpp"

namespace korvant {

void bousi(float, float, float, float, float, float, float, float, float&, float&, float&) {}

}  // namespace korvant
