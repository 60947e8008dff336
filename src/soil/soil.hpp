// Soil model and soil flexibility.
#pragma once

#include "driver/data_reader.hpp"
#include "model/model.hpp"
#include "output/out_file.hpp"

namespace korvant {

// Block 9: profiles, strata, case properties, depths, pressures, PvCentro.
void read_soil(DataReader& rd, Model& m, Files& f);

// Stresses at (x, y, depth z) under a unit pressure on the plan rectangle
// x1..x2, y1..y2 (Boussinesq, corner rectangles combined). The outputs keep
// their entry values for a degenerate position.
void bousi(float nu, float x, float y, float z, float x1, float y1, float x2, float y2, float& sx, float& sy, float& sz);

// IX, IY, IZ, AINF, SUM_AINF and the file VALINF.
void influence_values(Model& m, Files& f);

// ECAMPO1, ECAMPO2, ECAMPOP1, ECAMPOP2 (needs qmax from the frame assembly).
void field_moduli(Model& m, Files& f);

// Flexibility matrices: FLEX(1..NR, 1..NR).
void FLSC(Model& m, Files& f, const Tab2<float>& Emod, const Tab2<float>& NU, int nflag1);
void FLSC_3(Model& m, Files& f);
void FLSC_4(Model& m, Files& f);
void FNLCC(Model& m, Files& f);

// Isolated-footing rigidities on the diagonal of FLEX after the NR area reactions.
// NU is a (profile, stratum) table; the consolidation cases pass a table of zeros.
void footing_rigidities(Model& m, Files& f, const Tab2<float>& Emod, const Tab2<float>& NU);

}  // namespace korvant
