#include "driver/study_run.hpp"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <fstream>
#include <limits>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "driver/data_reader.hpp"
#include "driver/run.hpp"
#include "frame/frame.hpp"
#include "soil/soil.hpp"
#include "study/study_csv.hpp"
#include "text/charset.hpp"
#include "text/fatal.hpp"

namespace korvant {

namespace {

std::string whole_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream b;
  b << in.rdbuf();
  return b.str();
}

// FNV-1a, 64 bits.
void mix(std::uint64_t& h, std::string_view s) {
  for (unsigned char c : s) {
    h ^= c;
    h *= 0x100000001b3ULL;
  }
  h ^= 0xff;
  h *= 0x100000001b3ULL;
}

// The samples one process computes, on its threads; finished rows are handed
// out in the order they finish.
class SamplePool {
 public:
  SamplePool(const PreparedStudy& ps, const Sampler& sm, std::vector<int> mine, int threads)
      : ps_(ps), sm_(sm), mine_(std::move(mine)) {
    const int n = std::max(1, std::min(threads, static_cast<int>(mine_.size())));
    if (mine_.empty()) return;
    for (int t = 0; t < n; ++t) threads_.emplace_back([this] { work(); });
  }
  ~SamplePool() { stop(); }

  // Waits up to `ms` for rows, then takes every finished one. Rethrows what ended a thread.
  void take(std::vector<StudyRow>& rows, int ms) {
    std::unique_lock<std::mutex> lk(mu_);
    if (done_.empty() && error_ == nullptr)
      cv_.wait_for(lk, std::chrono::milliseconds(ms), [this] { return !done_.empty() || error_ != nullptr; });
    if (error_ != nullptr) std::rethrow_exception(error_);
    for (StudyRow& r : done_) rows.push_back(std::move(r));
    done_.clear();
  }
  void stop() {
    stopping_ = true;
    for (std::thread& t : threads_)
      if (t.joinable()) t.join();
  }

 private:
  void work() {
    try {
      SampleSolver w(ps_);
      for (;;) {
        if (stopping_) return;
        const std::size_t k = next_++;
        if (k >= mine_.size()) return;
        StudyRow row;
        w.solve(sm_, mine_[k], row);
        std::lock_guard<std::mutex> lk(mu_);
        done_.push_back(std::move(row));
        cv_.notify_one();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lk(mu_);
      if (error_ == nullptr) error_ = std::current_exception();
      stopping_ = true;
      cv_.notify_one();
    }
  }

  const PreparedStudy& ps_;
  const Sampler& sm_;
  std::vector<int> mine_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> threads_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<StudyRow> done_;
  std::exception_ptr error_;
};

// One line on a terminal's error stream, rewritten in place at most 10 times a second.
class Progress {
 public:
  Progress(bool on, int total) : on_(on && isatty(2)), total_(total), start_(clock::now()) {}
  void show(int done, int failed, bool force = false) {
    if (!on_) return;
    const auto now = clock::now();
    if (!force && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    const double t = std::chrono::duration<double>(now - start_).count();
    const double left = done > 0 ? t / done * (total_ - done) : 0.0;
    char b[160];
    const int n = std::snprintf(b, sizeof b, "\r\033[Kestudio: %d de %d muestras, %d fallidas, %.0f s, faltan unos %.0f s",
                                done, total_, failed, t, left);
    if (write(2, b, static_cast<std::size_t>(n)) < 0) on_ = false;
  }
  void erase() {
    if (on_ && write(2, "\r\033[K", 4) < 0) on_ = false;
  }

 private:
  using clock = std::chrono::steady_clock;
  bool on_;
  int total_;
  clock::time_point start_, last_{};
};

}  // namespace

// Each sample on one thread: gaussj never shares its work with a helper.
SampleSolver::SampleSolver(const PreparedStudy& ps)
    : ps_(ps), ws_(GaussjSettings{24, std::numeric_limits<long>::max(), 2}) {
  f_.log.set_level(LogLevel::None);
  f_.con.copy_to(&console_);
  views_.watch([this](const Model& m, const PassSolution& s) { watched(m, s); });
}

void SampleSolver::solve(const Sampler& sm, int i, StudyRow& row) {
  sm.values(i, v_);
  solve_values(i, v_, row);
}

void SampleSolver::solve_values(int i, const std::vector<double>& v, StudyRow& row) {
  const Study& s = ps_.study;
  row.sample = i;
  row.status = sample_status::OK;
  row.message.clear();
  row.params.resize(s.params.size());
  for (std::size_t j = 0; j < s.params.size(); ++j)
    row.params[j] = std::isnan(v[j]) ? typed_value(s.params[j], ps_.base) : v[j];
  row.watched.assign(static_cast<std::size_t>(ps_.layout.size()), std::numeric_limits<double>::quiet_NaN());
  m_ = ps_.base;
  bool influence = false;
  const std::string why = apply_values(s, v, m_, influence);
  if (!why.empty()) {
    row.status = sample_status::OUT_OF_RANGE;
    row.message = why;
    return;
  }
  out_ = row.watched.data();
  pass_ = 0;
  unconverged_.clear();
  console_.clear();
  try {
    if (influence) influence_values(m_, f_.log);
    assemble_frame(m_, f_.log);
    field_moduli(m_, f_.log);
    run_cases(m_, f_, ws_, &views_);
  } catch (const Fatal& e) {
    if (e.status >= status::INTERRUPTED) throw;
    const std::string where = pass_ < static_cast<int>(ps_.layout.passes.size())
                                  ? std::string(ps_.layout.passes[static_cast<std::size_t>(pass_)].pass->people)
                                  : std::string("el análisis");
    if (e.status == status::SINGULAR && e.message.find("no son números") != std::string::npos) {
      row.status = sample_status::NOT_FINITE;
      row.message = e.message;
    } else if (e.status == status::SINGULAR) {
      row.status = sample_status::SINGULAR;
      row.message = "matriz singular en " + where;
    } else {
      row.status = sample_status::FAILED;
      row.message = e.message.empty() ? "falló " + where : e.message;
    }
    return;
  }
  if (!unconverged_.empty()) {
    row.status = sample_status::NO_CONVERGENCE;
    row.message = "sin convergencia en " + unconverged_;
  }
}

void SampleSolver::watched(const Model& m, const PassSolution& s) {
  const auto& passes = ps_.layout.passes;
  if (pass_ >= static_cast<int>(passes.size())) return;
  const WatchLayout::Pass& wp = passes[static_cast<std::size_t>(pass_)];
  compute_summary(m, s, sum_);
  watch_pass(ps_.layout, sum_, s.VGL, out_ + wp.first);
  f_.con.flush();
  if (console_.find("SIN CONVERGENCIA") != std::string::npos && unconverged_.empty()) unconverged_ = wp.pass->people;
  console_.clear();
  ++pass_;
}

void prepare_study(const StudyOptions& o, const std::string& datos, const MethodOptions& method, PreparedStudy& ps) {
  ps.study = read_study(o.file);
  DataReader rd;
  rd.open(datos);
  Files quiet;
  quiet.log.set_level(LogLevel::None);
  ps.base = Model{};
  ps.base.method = method;
  input_phase(rd, ps.base, quiet);
  check_study(ps.study, ps.base);
  ps.layout = watch_layout(ps.base);
  std::uint64_t h = 0xcbf29ce484222325ULL;
  mix(h, whole_file(o.file));
  mix(h, whole_file(datos));
  mix(h, std::to_string(static_cast<int>(method.strata)) + std::to_string(static_cast<int>(method.footings)) +
             std::to_string(static_cast<int>(method.solver)));
  char b[20];
  std::snprintf(b, sizeof b, "%016llx", static_cast<unsigned long long>(h));
  ps.fingerprint = b;
}

void run_samples(PreparedStudy& ps, const StudyOptions& o, const std::string& reporte, Cluster& cluster, Files& f,
                 Views* views) {
  const Sampler sm(ps.study);
  const int last = sm.count();  // samples 0..last
  const std::string base = view_base(reporte);
  const std::size_t np = ps.study.params.size(), nw = static_cast<std::size_t>(ps.layout.size());
  StudyCsv csv;
  std::vector<StudyRow> rows;
  int first = 0;
  if (cluster.leader()) {
    csv.open(base + "_estudio.csv", study_table_head(ps.study, ps.layout, ps.fingerprint), np, nw, rows);
    first = static_cast<int>(rows.size());
  }
  cluster.share(first);
  if (first < 0) return;  // rank 0 did not get this far
  std::vector<int> mine;
  for (int i = first; i <= last; ++i)
    if ((i - first) % cluster.size() == cluster.rank()) mine.push_back(i);
  const int threads = o.threads > 0 ? o.threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  SamplePool pool(ps, sm, mine, threads);
  std::vector<StudyRow> got;

  if (!cluster.leader()) {
    // Compute, send every row to rank 0, say when done.
    std::size_t sent = 0;
    std::string line;
    while (sent < mine.size()) {
      got.clear();
      pool.take(got, 200);
      for (const StudyRow& r : got) {
        line.clear();
        format_row(r, line);
        cluster.send_row(r.sample, line);
        ++sent;
      }
    }
    cluster.send_done();
    return;
  }

  int failed = 0;
  for (const StudyRow& r : rows) failed += r.ok() ? 0 : 1;
  Progress progress(o.progress, last + 1);
  progress.show(static_cast<int>(rows.size()), failed, true);
  std::map<int, StudyRow> pending;
  int done_ranks = 0;
  try {
    while (static_cast<int>(rows.size()) <= last) {
      got.clear();
      pool.take(got, cluster.size() > 1 ? 10 : 200);
      for (StudyRow& r : got) pending.emplace(r.sample, std::move(r));
      int sample = 0;
      std::string line;
      while (cluster.receive_row(sample, line, done_ranks)) {
        StudyRow r;
        if (!parse_row(line.substr(0, line.size() - 1), sample, np, nw, r))
          throw Fatal{status::OUTPUT, "Error: el proceso de MPI envió un renglón que no se entiende (muestra " +
                                          std::to_string(sample) + ")"};
        pending.emplace(sample, std::move(r));
      }
      for (auto it = pending.find(static_cast<int>(rows.size())); it != pending.end();
           it = pending.find(static_cast<int>(rows.size()))) {
        csv.append(it->second);
        failed += it->second.ok() ? 0 : 1;
        rows.push_back(std::move(it->second));
        pending.erase(it);
      }
      progress.show(static_cast<int>(rows.size()), failed);
      stop_if_interrupted();
    }
  } catch (...) {
    progress.erase();
    pool.stop();
    throw;
  }
  progress.erase();
  pool.stop();
  csv.close();

  std::string text;
  study_text(ps.study, ps.base, ps.layout, rows, o.limits, text);
  OutFile out;
  out.open(base + "_estudio.txt");
  std::string utf8;
  latin1_to_utf8(utf8, text);
  out.put(utf8);
  out.close();
  if (views != nullptr && views->options().html) {
    std::string section;
    study_html(ps.study, ps.base, ps.layout, rows, o.limits, section);
    views->add_section(std::move(section), "Estudio de sensibilidad y probabilidad", "estudio");
  }
  lst(f.err, "Estudio: " + std::to_string(last + 1) + " muestras (" + std::to_string(last + 1 - first) +
                 " calculadas en esta corrida) en " + base + "_estudio.csv, " + std::to_string(failed) +
                 " fallidas; resumen en " + base + "_estudio.txt");
}

}  // namespace korvant
