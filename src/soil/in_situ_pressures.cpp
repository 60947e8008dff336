// Soil profiles: depths and in-situ pressures of each stratum as it is read,
// the stratum on which the foundation rests under the central node (PvCentro),
// and the horizontal earth pressures and thrusts of each profile.
#include "soil/soil.hpp"

namespace korvant {

bool stratum_pressures(Model& m, int p, int k, float D, float& d, float& v) {
  const float h = m.H(p, k);
  const float g = m.GAMA(p, k);
  m.PZ(p, k) = g * 0.5f * h + v;
  m.Z(p, k) = h * 0.5f + d;
  d = d + h;
  v = v + h * g;
  m.PROF(p, k) = d;
  m.PV(p, k) = v;

  // The foundation under the central node rests on this stratum when D lies
  // between its top and its bottom (both included: on a boundary the deeper
  // stratum, tested later, decides).
  const float top = k == 1 ? 0.0f : m.PROF(p, k - 1);
  if (!(D <= m.PROF(p, k) && top <= D)) return false;
  if (k == 1) m.PvCentro = -m.GAMA(p, 1) * D;
  else m.PvCentro = -m.PV(p, k - 1) - (D - m.PROF(p, k - 1)) * m.GAMA(p, k);
  return true;
}

void earth_pressures(const Model& m, int p, std::vector<Thrust>& out) {
  out.assign(static_cast<std::size_t>(m.NEST(p)) + 1, Thrust{});
  float s = 0.0f;
  for (int k = 1; k <= m.NEST(p); ++k) {
    Thrust& t = out[static_cast<std::size_t>(k)];
    t.Ph = m.KO(p, k) * m.PV(p, k);
    const float thrust = k == 1 ? t.Ph * 0.5f * m.PROF(p, 1)
                                : (out[static_cast<std::size_t>(k - 1)].Ph + t.Ph) * 0.5f * m.PROF(p, k);
    s = s + thrust;
    t.thrust = thrust;
    t.cumulative = s;
  }
}

}  // namespace korvant
