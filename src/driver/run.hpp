// The run driver: the whole sequence of one run.
#pragma once

#include <functional>
#include <string>

#include "driver/data_reader.hpp"
#include "model/analysis_passes.hpp"
#include "model/model.hpp"
#include "model/pass_solution.hpp"
#include "solve/workspace.hpp"
#include "text/files.hpp"
#include "views/views.hpp"

namespace korvant {

// Runs the whole analysis of the data file `datos`, writing the report `reporte`
// and the other four files in the report's folder, and the files of `opts` after
// each solve. Throws Fatal on an error.
// The solves use `ws` when given, a workspace of their own otherwise.
// `after` (a study's samples) runs once the typed model's files are closed,
// before the summary and the page are written.
void run(const std::string& datos, const std::string& reporte, Model& m, Files& f, ViewOptions opts = {},
         Workspace* ws = nullptr, const std::function<void(Views&)>& after = {});

// The whole data file read and echoed, with the preprocessing
// in between, up to the influence values and the diagram axes. The files of
// `f` must be open. Throws Fatal on a rejected data file.
void input_phase(DataReader& rd, Model& m, Files& f);

// Everything after the input: the frame assembled once (with the report of
// its loads), the field moduli, the head of the GiD results file and the
// analysis cases, with the files of `views` after each solve when given.
void analysis_phase(Model& m, Files& f, Workspace& ws, Views* views = nullptr);

// The head of the GiD results file.
void start_results_file(const Model& m, Files& f);
// One pass of an analysis case solved in the workspace, as a value: its
// flexibility matrix and footing rigidities, its solve (each linear solve of
// the iterative analysis kept in the value), its end forces and the walk of
// every axis (denser for the pictures when `drawn` is given). It writes the
// log only: the driver writes the report's, the GiD results' and the
// console's lines of the pass from the value, and ends the run when the
// value says the solve was singular or not a number (it then has no end forces).
PassSolution solve_pass(const Model& m, const AnalysisPass& p, Workspace& ws, Log& log, DrawnParts drawn = nullptr);

// The analysis cases switched on; after each solve, the files of
// `views` when given. The model is read only.
void run_cases(const Model& m, Files& f, Workspace& ws, Views* views = nullptr);

}  // namespace korvant
