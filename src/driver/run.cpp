#include "driver/run.hpp"

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <vector>

#include "driver/data_reader.hpp"
#include "driver/input.hpp"
#include "driver/output_space.hpp"
#include "frame/frame.hpp"
#include "model/memory.hpp"
#include "text/fatal.hpp"
#include "text/progress.hpp"
#include "model/preprocess.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "soil/soil.hpp"
#include "views/summary.hpp"

namespace korvant {

void input_phase(DataReader& rd, Model& m, Files& f) {
  rd.warn_to(&f.err);
  read_head(rd, m, f);
  read_materials_sections(rd, m, f);
  read_nodes(rd, m, f);
  read_bars(rd, m, f);
  read_footings(rd, m, f);
  // A tie beam between two footings is a strip on the soil to the method: said once.
  if (const std::string tie = tie_beam_text(m); !tie.empty()) lst(f.err, "Aviso: " + tie);
  number_dofs(m, f.log);
  // The equations and reactions are known: the largest tables of the run
  // (the frame and solver matrices, FLEX, the influence tables) must fit.
  if (const std::string what = memory_shortfall(m); !what.empty())
    reject_data(m.DATOS, 0, "NGRED + NR + MR (ecuaciones de la interacción)", what);
  direction_cosines(m, f.log);
  read_loads(rd, m, f);

  lst(f.log, "numero de barras", m.NB);
  lst(f.log, "Numero de reacciones = numero de nodos", " en la reticula, NR=", m.NR, " N=", m.NR);

  read_soil(rd, m, f);
  read_slabs(rd, m, f);
  write_control_block(m, f);
  reaction_areas(m, f.log);
  write_reaction_areas(m, f.rep);
  log_reaction_dofs(m, f.log);
  // The influence values are the first part of the logs that grows faster
  // than the model: MEMORIA and VALINF must fit before they are written.
  check_output_space(m, f);
  progress_step("valores de influencia");
  influence_values(m, f.log);
  if (m.method.layered_footings()) {
    std::vector<std::string> warnings;
    layered_footing_warnings(m, warnings);
    for (const std::string& w : warnings) lst(f.err, "Aviso: " + w);
  }
  if (f.log.any())  // VALINF goes with the log
    write_influence_values(m, f.vinf, f.log.level() == LogLevel::Summary ? kValinfSummaryCap : UINT64_MAX);
  read_axes(rd, m, f);
  check_output_space(m, f);  // with the diagrams of the axes
}

void analysis_phase(Model& m, Files& f, Workspace& ws, Views* views) {
  write_bar_loads(m, f.rep);
  progress_step("ensamble de la estructura");
  assemble_frame(m, f.log);
  write_total_load(m, f.rep);
  field_moduli(m, f.log);
  write_field_moduli(m, f.rep, f.err);
  start_results_file(m, f);
  run_cases(m, f, ws, views);
}

namespace {

// Whether two names lead to one file (the same path, or two links to one file).
bool same_file(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code e1, e2;
  const fs::path ca = fs::weakly_canonical(a, e1);
  const fs::path cb = fs::weakly_canonical(b, e2);
  if (!e1 && !e2 && ca == cb) return true;
  std::error_code e3;
  return fs::equivalent(a, b, e3) && !e3;
}

// The four files of fixed name go beside the report: "casos/REP" puts them in
// "casos/", a report name without a folder in the working directory. A report
// sent to a device ("/dev/stdout", also when the console is redirected to a
// file) leaves them in the working directory too.
struct Companions {
  std::string msh, res, mem, vinf;
  explicit Companions(const std::string& reporte) {
    namespace fs = std::filesystem;
    const fs::path folder = report_to_stream(reporte) ? fs::path() : fs::path(reporte).parent_path();
    auto beside = [&](const char* name) { return folder.empty() ? std::string(name) : (folder / name).string(); };
    msh = beside("arch.msh");
    res = beside("arch.res");
    mem = beside("MEMORIA");
    vinf = beside("VALINF");
  }
};

// The report and the four files of fixed name are written over: none of them
// may be the data file, and the report may not be one of the other four (two
// streams on one file would leave neither whole).
// The files asked for on the command line may not be any of these either.
void check_output_names(const std::string& datos, const std::string& reporte, const Companions& c,
                        const Views& views) {
  const std::string* const fixed[] = {&c.msh, &c.res, &c.mem, &c.vinf};
  auto refuse = [](const std::string& name, const std::string& why) {
    throw Fatal{status::OUTPUT, "Error: no se puede crear el archivo de salida \"" + name + "\": " + why};
  };
  if (same_file(reporte, datos)) refuse(reporte, "es el archivo de datos, que se perdería");
  for (const std::string* name : fixed) {
    if (same_file(*name, datos)) refuse(*name, "es el archivo de datos, que se perdería; cambie el nombre del archivo de datos");
    if (same_file(reporte, *name))
      refuse(reporte, "el programa escribe en \"" + *name + "\" otros resultados; elija otro nombre para el reporte");
  }
  for (const std::string& name : views.possible_names()) {
    if (same_file(name, datos)) refuse(name, "es el archivo de datos, que se perdería; cambie el nombre del archivo de datos");
    if (same_file(name, reporte)) refuse(name, "es el reporte; elija otro nombre para el reporte");
    for (const std::string* fixed_name : fixed)
      if (same_file(name, *fixed_name))
        refuse(name, "el programa escribe en \"" + *fixed_name + "\" otros resultados; elija otro nombre para el reporte");
  }
}

// A file of fixed name left by an earlier run (a file or a link; a folder of
// that name is no file of ours). Throws Fatal{status::OUTPUT} when it stays.
void remove_earlier_log(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(name, ec);
  if (ec || !(fs::is_regular_file(st) || fs::is_symlink(st))) return;
  if (!fs::remove(name, ec) || ec)
    throw Fatal{status::OUTPUT, "Error: no se puede borrar el archivo \"" + name + "\" de una corrida anterior: " +
                                    system_reason(ec.value()) + "; sin --memoria=no lo reemplazaría esta corrida"};
}

void discard(Files& f, Views& views) noexcept {
  for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf}) o->discard();
  views.discard();
}

// Puts every file written in place and removes what an earlier run left under
// names this run does not write.
void publish(Files& f, Views& views, const Companions& companions, FolderLocks& locks) {
  if (!f.log.any()) {
    remove_earlier_log(companions.mem);
    remove_earlier_log(companions.vinf);
  }
  views.publish();
  for (OutFile* o : {&f.msh, &f.res, &f.mem, &f.vinf, &f.rep}) o->publish();
  locks.sync();
}

}  // namespace

void run(const std::string& datos, const std::string& reporte, Model& m, Files& f, ViewOptions opts,
         Workspace* ws, const std::function<void(Views&)>& after) {
  // The data file is opened first: a run that cannot even start must not wipe
  // the files of the previous run.
  DataReader rd;
  // A memory or free-space setting that is not a size is refused before any
  // file is touched.
  (void)available_memory();
  (void)free_space(reporte);
  rd.open(datos);
  Views views(opts, reporte);
  const Companions companions(reporte);
  check_output_names(datos, reporte, companions, views);
  // Every output is checked, and its temporary file made, before anything is
  // written: a second run in the same folder, or a file that cannot be
  // written, ends the run with the files of the earlier one as they were.
  // Without a log (--memoria=no) MEMORIA and VALINF are not written; whatever
  // an earlier run left under those names is removed when the results are
  // published, so that no file in the folder describes another run.
  FolderLocks locks;
  for (const std::string* name : {&reporte, &companions.msh, &companions.res, &companions.mem, &companions.vinf})
    locks.lock(*name);
  for (const std::string& name : views.possible_names()) locks.lock(name);
  bool started = false;
  try {
    f.rep.reserve(reporte);
    f.msh.reserve(companions.msh);
    f.res.reserve(companions.res);
    if (f.log.any()) {
      f.mem.reserve(companions.mem);
      f.vinf.reserve(companions.vinf);
    }
    views.reserve();
    for (OutFile* o : {&f.rep, &f.msh, &f.res, &f.mem, &f.vinf}) o->start();
    started = true;
    views.start(f.err);
    const char* const option = f.log.level() == LogLevel::Full ? "--memoria=resumida o --memoria=no" : "--memoria=no";
    for (OutFile* o : {&f.mem, &f.vinf})
      o->warn_when_larger(std::uint64_t{1} << 30, f.err,
                          "Aviso: el archivo " + o->name() + " ya pasa de 1 GB; con " + option + " se escribe menos",
                          &f.large_log_warned);

    put(f.rep,
        "(//17X, 'INTERACCION SUELO-ESTRUCTURA A BASE DE BARRAS'///30X, 'PROGRAMA KORVANT'//25X, "
        "'ACTUALIZACION FEBRERO 2023'///30X, 'LECTURA DE DATOS'/////)");
    // The methods the options chose, before the data file's title.
    if (m.method.integrated_strata()) lst(f.rep, strata_line());
    if (m.method.layered_footings()) lst(f.rep, footings_line());
    if (m.method.sparse_solver()) lst(f.rep, solver_line());

    input_phase(rd, m, f);

    if (ws != nullptr) {
      analysis_phase(m, f, *ws, opts.any() ? &views : nullptr);
    } else {
      Workspace own;
      analysis_phase(m, f, own, opts.any() ? &views : nullptr);
    }
    // A study's samples, whose section the page takes; the files of this run
    // are published with it.
    if (after) after(views);
    views.finish(m, f.con);

    // Every file is written whole before any is put in place.
    for (OutFile* o : {&f.mem, &f.vinf, &f.rep, &f.msh, &f.res}) o->close();
    publish(f, views, companions, locks);
  } catch (const Fatal& e) {
    // A run that ends because of its data keeps what it wrote up to the fault
    // (the echo up to the faulty line, the log up to the singular pivot), and
    // the summary and the page of the passes it solved.
    Fatal end = e;
    if (started && (e.status == status::BAD_DATA || e.status == status::SINGULAR)) {
      bool whole = true;
      try {
        views.finish_early(m);
      } catch (const Fatal& page) {
        end = page;  // the page could not be written: the run ends as that error does
        whole = false;
      }
      if (whole) {
        for (OutFile* o : {&f.mem, &f.vinf, &f.rep, &f.msh, &f.res}) o->close_quietly();
        publish(f, views, companions, locks);
        throw;
      }
    }
    discard(f, views);
    if (!started) throw;
    f.kept_earlier = true;
    throw Fatal{end.status, end.message + (end.message.empty() ? "" : "\n") + kKeptEarlier};
  } catch (...) {
    discard(f, views);
    f.kept_earlier = started;
    throw;
  }
}

}  // namespace korvant
