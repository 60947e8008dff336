// A study run: korvant --estudio=ESTUDIO.txt datos.txt REPORTE. The typed
// model runs fully as any run does; then every sample of the study is solved
// without a file of its own, keeping only its watched results, on every core
// (and on every process of an MPI job). Rank 0 writes REPORTE_estudio.csv row
// by row in sample order, REPORTE_estudio.txt and the page's section.
#pragma once

#include <string>

#include "driver/cluster.hpp"
#include "model/model.hpp"
#include "solve/workspace.hpp"
#include "study/study.hpp"
#include "study/study_report.hpp"
#include "text/files.hpp"
#include "views/summary.hpp"
#include "views/views.hpp"

namespace korvant {

struct StudyOptions {
  std::string file;    // --estudio=
  int threads = 0;     // --hilos=; 0: every core
  StudyLimits limits = study_limits(Limits{});
  bool progress = true;  // the progress line on a terminal
};

// Read and checked before any file is written.
struct PreparedStudy {
  Study study;
  Model base;  // the model as read from the data file, before the frame is assembled
  WatchLayout layout;
  std::string fingerprint;
};

// Reads the study file and the data file (writing nothing) and checks the
// study against the model. Throws Fatal{status::BAD_DATA} naming the line.
void prepare_study(const StudyOptions& o, const std::string& datos, const MethodOptions& method, PreparedStudy& ps);

// One thread's analysis of samples: its own copy of the model and its own
// files, none of them open, with no log; the views' hook watches each pass.
class SampleSolver {
 public:
  explicit SampleSolver(const PreparedStudy& ps);
  SampleSolver(const SampleSolver&) = delete;
  SampleSolver& operator=(const SampleSolver&) = delete;
  // Sample i of the sampler.
  void solve(const Sampler& sm, int i, StudyRow& row);
  // The model with the values v (NaN: typed), as sample i.
  void solve_values(int i, const std::vector<double>& v, StudyRow& row);

 private:
  void watched(const Model& m, const PassSolution& s);
  const PreparedStudy& ps_;
  Model m_;
  Files f_;
  Workspace ws_;
  Views views_;
  std::string console_;
  std::vector<double> v_;
  Summary sum_;
  double* out_ = nullptr;
  int pass_ = 0;
  std::string unconverged_;
};

// The samples of the study, rank 0 writing the table and the study's report
// beside `reporte`; with `views` (the page asked for), its section too.
void run_samples(PreparedStudy& ps, const StudyOptions& o, const std::string& reporte, Cluster& cluster, Files& f,
                 Views* views);

}  // namespace korvant
