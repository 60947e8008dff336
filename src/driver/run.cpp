#include "driver/run.hpp"

#include "driver/data_reader.hpp"
#include "driver/input.hpp"
#include "frame/frame.hpp"
#include "model/preprocess.hpp"
#include "output/free_format.hpp"
#include "output/layout.hpp"
#include "soil/soil.hpp"

namespace korvant {

void input_phase(DataReader& rd, Model& m, Files& f) {
  read_head(rd, m, f);
  read_materials_sections(rd, m, f);
  read_nodes(rd, m, f);
  read_bars(rd, m, f);
  read_footings(rd, m, f);
  number_dofs(m, f);
  direction_cosines(m, f);
  read_loads(rd, m, f);

  lst(f.mem, "numero de barras", m.NB);
  lst(f.mem, "Numero de reacciones = numero de nodos", " en la reticula, NR=", m.NR, " N=", m.NR);

  read_soil(rd, m, f);
  read_slabs(rd, m, f);
  write_control_block(m, f);
  reaction_areas(m, f);
  log_reaction_dofs(m, f);
  influence_values(m, f);
  read_axes(rd, m, f);
}

void run(const std::string& datos, const std::string& reporte, Model& m, Files& f) {
  // The data file is opened first: a run that cannot even start must not wipe
  // the files of the previous run.
  DataReader rd;
  rd.open(datos);
  f.rep.open(reporte);
  f.msh.open("arch.msh");
  f.res.open("arch.res");

  put(f.rep,
      "(//17X, 'INTERACCION SUELO-ESTRUCTURA A BASE DE BARRAS'///30X, 'PROGRAMA KORVANT'//25X, "
      "'ACTUALIZACION FEBRERO 2023'///30X, 'LECTURA DE DATOS'/////)");

  f.mem.open("MEMORIA");
  f.vinf.open("VALINF");

  input_phase(rd, m, f);

  assemble_frame(m, f);
  field_moduli(m, f);
  start_results_file(m, f);
  run_cases(m, f);

  f.mem.close();
  f.vinf.close();
  f.rep.close();
  f.msh.close();
  f.res.close();
}

}  // namespace korvant
