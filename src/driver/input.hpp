// Reading and echoing the blocks of the data file, in data-file order.
#pragma once

#include "driver/data_reader.hpp"
#include "model/model.hpp"
#include "text/files.hpp"

namespace korvant {

// Blocks 1-3: title, units, KANAL and CASO; the KANAL line of the report and
// the head of the mesh file.
void read_head(DataReader& rd, Model& m, Files& f);
// Block 4: materials and sections.
void read_materials_sections(DataReader& rd, Model& m, Files& f);
// Block 5: nodes (and NGL = 6*NN).
void read_nodes(DataReader& rd, Model& m, Files& f);
// Block 6: bars (classification, SINBARRA, PERFCIM, mesh elements).
void read_bars(DataReader& rd, Model& m, Files& f);
// Block 7: isolated footings.
void read_footings(DataReader& rd, Model& m, Files& f);
// Block 8: concentrated loads into P and PRED (after the numbering).
void read_loads(DataReader& rd, Model& m, Files& f);
// Block 9: soil profiles, strata and case properties; depths and pressures.
void read_soil(DataReader& rd, Model& m, Files& f);
// Block 10: slabs (after the soil block, which gives PvCentro).
void read_slabs(DataReader& rd, Model& m, Files& f);
// Echo of the control block (always written, after the slabs).
void write_control_block(const Model& m, Files& f);
// Block 11: axes for the internal-force diagrams.
void read_axes(DataReader& rd, Model& m, Files& f);

}  // namespace korvant
