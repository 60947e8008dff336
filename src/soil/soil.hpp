// Soil model and soil flexibility.
#pragma once

#include <cstdint>

#include <string>
#include <string_view>
#include <vector>

#include "model/model.hpp"
#include "model/soil_laws.hpp"
#include "text/log.hpp"

namespace korvant {

// Depth of the middle (Z) and the bottom (PROF) of stratum (p, k) and the
// vertical pressure there (PZ, PV), from d and v, the depth and pressure at the
// bottom of the stratum above (both carried on to this one's bottom). When the
// foundation depth D of the central node lies in the stratum, sets PvCentro and
// returns true.
bool stratum_pressures(Model& m, int p, int k, float D, float& d, float& v);

// Earth pressure at rest at the bottom of each stratum of profile p and the
// thrust of each stratum and down to it (entries 1..NEST(p)).
struct Thrust {
  float Ph = 0.0f, thrust = 0.0f, cumulative = 0.0f;  // horizontal pressure, thrust of the stratum, thrust down to it
};
void earth_pressures(const Model& m, int p, std::vector<Thrust>& out);

// Ends the run on a model that the soil computations cannot take:
// Fatal{status::BAD_DATA} with "Error en el archivo de datos "<file>": <item>: <what>",
// the line of the node's data added when a node is named.
[[noreturn]] void reject_model(const Model& m, std::string_view item, std::string_view what, int node = 0);

// Stresses at (x, y, depth z) under a unit pressure on the plan rectangle
// x1..x2, y1..y2 (Boussinesq, corner rectangles combined). The outputs keep
// their entry values for a degenerate position.
void bousi(float nu, float x, float y, float z, float x1, float y1, float x2, float y2, float& sx, float& sy, float& sz);

// IX, IY, IZ, AINF, SUM_AINF and the file VALINF. Checks first that the
// reaction points fit the influence tables (Fatal{status::BAD_DATA} otherwise).
void influence_values(Model& m, Log& log);
// The file VALINF from those tables. A file that would be larger than `cap`
// bytes (--memoria=resumida) keeps only its headings, and says so.
void write_influence_values(const Model& m, OutFile& vinf, std::uint64_t cap = UINT64_MAX);
// The size in bytes of the whole file VALINF of the model (every line of it has
// a fixed width), known once the reaction points and the soil profiles are.
std::uint64_t valinf_bytes(const Model& m);
// The size of VALINF under a cap: the whole file, or its headings.
std::uint64_t valinf_bytes(const Model& m, std::uint64_t cap);

// Entry d of an influence table (IX, IY, IZ, AINF); the tables hold only the
// directions the model has, so a direction beyond them reads as +0.
inline float dir_part(const Tab4<float>& t, int i, int k, int l, int d) { return d <= t.n4 ? t(i, k, l, d) : 0.0f; }

// ECAMPO1, ECAMPO2, ECAMPOP1, ECAMPOP2 (needs qmax from the frame assembly).
void field_moduli(Model& m, Log& log);
// Their report, and a warning on the error stream for each field modulus that a
// solved case would divide by and that is zero, infinite or not a number.
void write_field_moduli(const Model& m, OutFile& rep, OutFile& err);

// Flexibility matrices: FLEX(1..NR, 1..NR) of the pass (the workspace's table).
// FLEX is sized (NR + MR) square on the first call and kept. FLSC is the linear form of a soil law: the modulus
// table Emod of the pass (by profile, or by reaction point when nflag1 is 2,
// the field moduli of each node) and, for a law with Poisson's ratio, its
// table NU (else nullptr: only the vertical stress counts). FNLCC takes the
// stress-dependent modulus under the reactions QREAC.
void FLSC(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>* NU, int nflag1,
          Tab2<float>& FLEX);
void FNLCC(const Model& m, Log& log, const Tab1<float>& QREAC, Tab2<float>& FLEX);

// Isolated-footing rigidities on the diagonal of FLEX after the NR area reactions.
// NU is a (profile, stratum) table; the consolidation cases pass a table of zeros
// (an empty table reads as zeros). With --zapatas=estratificadas the springs
// come from the layered soil (the soil law of the pass gives the time factor
// and the influence value of the coupling), and the rows of the vertical
// footing reactions get their settlement under the contact areas and the
// other footings.
void footing_rigidities(const Model& m, Log& log, const SoilLaw& law, const Tab2<float>& Emod, const Tab2<float>& NU,
                        Tab2<float>& FLEX);

// The footing of a node: the last one listed on it (0 when none).
int footing_at(const Model& m, int node);

// With --zapatas=estratificadas, the footings whose springs the method cannot
// trust: no stratum below the foundation level (a rigid support), or a soil
// shallower than a spring's radius. One warning text per footing.
void layered_footing_warnings(const Model& m, std::vector<std::string>& out);

}  // namespace korvant
