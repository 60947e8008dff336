// Not built yet: placeholder so the run sequence links.
#include "solve/solve.hpp"

namespace korvant {

void SOLNL(Model&, Files&, int, const Tab2<float>&, const Tab1<float>&) {}

}  // namespace korvant
