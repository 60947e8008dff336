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
// One pass of an analysis case solved in the workspace: its flexibility
// matrix and footing rigidities, its solve (the iterative analysis's passes
// until the reactions settle), the check of its solution, its end forces (in
// the log) and the walk of every axis (denser for the pictures when `drawn`
// is given), as a value. The report's lines of the solve, the console's and
// the GiD results' are written as the pass goes, so that a pass that ends the
// run (singular, or not a number) leaves them; its end forces and diagrams
// are written from the value.
PassSolution solve_pass(const Model& m, const AnalysisPass& p, Workspace& ws, Files& f, DrawnParts drawn = nullptr);

// The analysis cases switched on; after each solve, the files of
// `views` when given. The model is read only.
void run_cases(const Model& m, Files& f, Workspace& ws, Views* views = nullptr);

}  // namespace korvant
