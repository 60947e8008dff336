// Not built yet: placeholder so the run sequence links.
#include "soil/soil.hpp"

namespace korvant {

void FLSC(Model&, Files&, const Tab2<float>&, const Tab2<float>&, int) {}
void FLSC_3(Model&, Files&) {}
void FLSC_4(Model&, Files&) {}
void FNLCC(Model&, Files&) {}

}  // namespace korvant
