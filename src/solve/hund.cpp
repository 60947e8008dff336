// Not built yet: placeholder so the run sequence links.
#include "solve/solve.hpp"

namespace korvant {

void HUND(Model&, Files&, const Tab1<float>&) {}

}  // namespace korvant
