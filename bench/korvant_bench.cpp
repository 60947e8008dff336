// Benchmarks of the costly parts of a run: the Gauss-Jordan solve, the layout
// writer and whole runs of generated buildings. Not part of the tests.
//
//   cmake -S . -B build-bench -G Ninja -DKORVANT_BENCHMARKS=ON -DKORVANT_TESTS=OFF
//   cmake --build build-bench
//   build-bench/korvant_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "driver/run.hpp"
#include "driver/study_run.hpp"
#include <chrono>
#include <fstream>
#include <thread>
#include "soil/soil.hpp"
#include "text/free_format.hpp"
#include "text/layout.hpp"
#include "solve/solve.hpp"

#ifdef KORVANT_HAVE_OPENBLAS
extern "C" {
void sgetrf_(const int* m, const int* n, float* a, const int* lda, int* ipiv, int* info);
void sgetri_(const int* n, float* a, const int* lda, const int* ipiv, float* work, const int* lwork, int* info);
void openblas_set_num_threads(int n);
}
#endif

namespace {

using namespace korvant;

// A well-conditioned random matrix: entries in [-1, 1], n added on the diagonal.
std::vector<float> random_matrix(int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> a(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (auto& x : a) x = u(gen);
  for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i) * static_cast<std::size_t>(n + 1)] += static_cast<float>(n);
  return a;
}

// Working folder of the benchmark runs (a run writes its files there),
// removed at the end.
char g_dir[] = "/tmp/korvant_bench_XXXXXX";

const std::filesystem::path& work_dir() {
  static const std::filesystem::path dir = [] {
    if (mkdtemp(g_dir) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::current_path("/tmp", ec);
      std::filesystem::remove_all(g_dir, ec);
    });
    return std::filesystem::path(g_dir);
  }();
  return dir;
}

// Writes the data file of a generated building and returns its path.
std::string generated_model(const std::string& name, const std::string& args) {
  const std::filesystem::path file = work_dir() / (name + ".txt");
  if (!std::filesystem::exists(file)) {
    const std::string cmd = "python3 '" KORVANT_SOURCE_DIR "/tools/genmodel.py' " + args + " > '" + file.string() + "'";
    if (std::system(cmd.c_str()) != 0) std::abort();
  }
  return file.string();
}

// One whole run of a data file in the working folder into `m` and `ws`, with
// the log level of --memoria; console lines to /dev/null.
void run_model_into(const std::string& datos, Model& m, Workspace& ws, LogLevel level) {
  std::filesystem::current_path(work_dir());
  static std::FILE* null = std::fopen("/dev/null", "wb");
  Files f;
  f.con.attach(null, "consola");
  f.err.attach(null, "consola de errores");
  f.log.set_level(level);
  run(datos, "REPORTE", m, f, {}, &ws);
  f.con.flush();
  f.err.flush();
}

void run_model(const std::string& datos, LogLevel level = LogLevel::Full, GaussjSettings gs = {},
               SolverChoice solver = SolverChoice::Gaussj) {
  Model m;
  m.method.solver = solver;
  Workspace ws(gs);
  run_model_into(datos, m, ws, level);
}

// The coupled matrix and right-hand side of the last case of a generated
// model, formed as the linear interaction solve forms them.
struct Coupled {
  int n = 0;
  std::vector<float> a, b;
};

const Coupled& coupled_matrix() {
  static const Coupled c = [] {
    Model m;
    Workspace ws;
    run_model_into(generated_model("g10x10x3c4", "--nx 10 --ny 10 --storeys 3 --slabs --cases 0001"), m, ws,
                   LogLevel::Full);
    const Tab2<float>& FLEX = ws.pass.FLEX;
    Coupled r;
    const int NGRED = m.NGRED, NR = m.NR, MR = m.MR, n = NGRED + NR + MR;
    r.n = n;
    r.a.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0f);
    r.b.assign(static_cast<std::size_t>(n), 0.0f);
    auto C = [&](int i, int j) -> float& { return r.a[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i - 1)]; };
    for (int i = 1; i <= NR; ++i) C(NGRED + i, m.NUMGL(m.NREAC(i))) += 1.0f;
    for (int i = 1; i <= NR; ++i)
      for (int j = 1; j <= NR; ++j) C(NGRED + j, NGRED + i) += FLEX(j, i);
    for (int i = 1; i <= MR; ++i) {
      C(NGRED + NR + i, m.NUMGL(m.NREACN(i))) += 1.0f;
      for (int j = 1; j <= MR; ++j) C(NGRED + NR + i, NGRED + NR + j) += FLEX(NR + i, NR + j);
    }
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= NGRED; ++i) C(i, j) += m.akr(i, j);
    for (int i = 1; i <= n; ++i) {
      const float ve = i <= m.vered4.size() ? m.vered4(i) : 0.0f, pr = i <= m.PRED.size() ? m.PRED(i) : 0.0f;
      r.b[static_cast<std::size_t>(i - 1)] = ve + pr;
    }
    return r;
  }();
  return c;
}

void solve_loop(benchmark::State& st, const std::vector<float>& a0, const std::vector<float>& b0, int n, bool two_cores) {
  GaussjWork w(std::thread::hardware_concurrency());
  w.settings = {24, two_cores ? 200000 : (1L << 62), 2};
  std::vector<float> a(a0.size()), b(b0.size());
  for (auto _ : st) {
    st.PauseTiming();
    a = a0;
    b = b0;
    st.ResumeTiming();
    if (!gaussj(w, a.data(), n, n, b.data())) std::abort();
    benchmark::DoNotOptimize(a.data());
  }
  st.counters["n"] = n;
}

void BM_gaussj_random(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const auto a0 = random_matrix(n, 1);
  std::vector<float> b0(static_cast<std::size_t>(n), 1.0f);
  solve_loop(st, a0, b0, n, st.range(1) != 0);
}
BENCHMARK(BM_gaussj_random)
    ->ArgNames({"n", "dos_nucleos"})
    ->Args({500, 0})->Args({1000, 0})->Args({2000, 0})
    ->Args({500, 1})->Args({1000, 1})->Args({2000, 1})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_gaussj_coupled(benchmark::State& st) {
  const Coupled& c = coupled_matrix();
  solve_loop(st, c.a, c.b, c.n, st.range(0) != 0);
}
BENCHMARK(BM_gaussj_coupled)->ArgName("dos_nucleos")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef KORVANT_HAVE_OPENBLAS
// LU factorisation and inverse of the same matrices, one thread.
void BM_openblas_sgetrf_sgetri(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  openblas_set_num_threads(1);
  const auto a0 = random_matrix(n, 1);
  std::vector<float> a(a0.size());
  std::vector<int> ipiv(static_cast<std::size_t>(n));
  int lwork = -1, info = 0;
  float q = 0.0f;
  sgetri_(&n, a.data(), &n, ipiv.data(), &q, &lwork, &info);
  lwork = static_cast<int>(q);
  std::vector<float> work(static_cast<std::size_t>(lwork));
  for (auto _ : st) {
    st.PauseTiming();
    a = a0;
    st.ResumeTiming();
    sgetrf_(&n, &n, a.data(), &n, ipiv.data(), &info);
    sgetri_(&n, a.data(), &n, ipiv.data(), work.data(), &lwork, &info);
    benchmark::DoNotOptimize(a.data());
  }
  st.counters["n"] = n;
}
BENCHMARK(BM_openblas_sgetrf_sgetri)->ArgName("n")->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

// Random values of the magnitudes a log holds.
std::vector<float> log_values(std::size_t count) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<float> u(-1000.0f, 1000.0f);
  std::vector<float> v(count);
  for (auto& x : v) x = u(gen) * (gen() % 4 == 0 ? 1e-4f : 1.0f);
  return v;
}

// 10 million (I5, 3F12.6) lines to /dev/null.
void BM_layout_I5_3F12_6(benchmark::State& st) {
  const auto v = log_values(1 << 16);
  const std::size_t mask = v.size() - 1;
  OutFile out;
  out.open("/dev/null");
  const long lines = st.range(0);
  std::size_t bytes = 0;
  for (auto _ : st) {
    std::size_t k = 0;
    for (long i = 1; i <= lines; ++i) {
      put(out, "(I5, 3F12.6)", static_cast<int>(i % 100000), v[k & mask], v[(k + 1) & mask], v[(k + 2) & mask]);
      k += 3;
    }
    out.flush();
    bytes += static_cast<std::size_t>(lines) * 42;
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_layout_I5_3F12_6)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rows of a 2400 x 2400 matrix in (12F15.6), twelve values a line.
void BM_layout_12F15_6(benchmark::State& st) {
  const auto v = log_values(1 << 16);
  const std::size_t mask = v.size() - 1;
  OutFile out;
  out.open("/dev/null");
  const int n = static_cast<int>(st.range(0));
  std::size_t bytes = 0;
  for (auto _ : st) {
    std::size_t k = 0;
    for (int i = 0; i < n; ++i) {
      Rec r(out, "(12F15.6)");
      for (int j = 0; j < n; ++j) r << v[k++ & mask];
    }
    out.flush();
    bytes += static_cast<std::size_t>(n) * (static_cast<std::size_t>(n) * 15 + static_cast<std::size_t>((n + 11) / 12));
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_layout_12F15_6)->Arg(2400)->Unit(benchmark::kMillisecond)->UseRealTime();

// Free-format lines of the log: an integer and a single real.
void BM_free_format(benchmark::State& st) {
  const auto v = log_values(1 << 16);
  const std::size_t mask = v.size() - 1;
  OutFile out;
  out.open("/dev/null");
  const long lines = st.range(0);
  std::size_t bytes = 0;
  for (auto _ : st) {
    for (long i = 0; i < lines; ++i) lst(out, static_cast<int>(i), v[static_cast<std::size_t>(i) & mask]);
    out.flush();
    bytes += static_cast<std::size_t>(lines) * 29;
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_free_format)->Arg(2000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Whole runs: a small building, a middle one and the largest of the issue
// (10 x 10 nodes, 3 storeys, slabs, all four cases, KANAL 0).
void BM_run(benchmark::State& st, const char* name, const char* args) {
  const std::string datos = generated_model(name, args);
  for (auto _ : st) run_model(datos);
}
BENCHMARK_CAPTURE(BM_run, edificio_2x2x1, "g2x2x1", "--nx 2 --ny 2 --storeys 1")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_run, edificio_5x5x2_losas, "g5x5x2", "--nx 5 --ny 5 --storeys 2 --slabs")
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_run, edificio_10x10x3_losas, "g10x10x3", "--nx 10 --ny 10 --storeys 3 --slabs")
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The two solvers side by side on whole runs without log (all four cases,
// KANAL 0), and the nonlinear 10 x 10 x 3 with the summary log: gaussj
// (single precision, dense) and the sparse LU (UMFPACK, double precision).
void BM_solucion(benchmark::State& st, const char* name, const char* args, SolverChoice solver) {
  const std::string datos = generated_model(name, args);
  const LogLevel level = std::string(args).find("--kanal 2") != std::string::npos ? LogLevel::Summary : LogLevel::None;
  for (auto _ : st) run_model(datos, level, {}, solver);
}
BENCHMARK_CAPTURE(BM_solucion, gaussj_10x10x3, "s10x10x3", "--nx 10 --ny 10 --storeys 3", SolverChoice::Gaussj)
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_solucion, dispersa_10x10x3, "s10x10x3", "--nx 10 --ny 10 --storeys 3", SolverChoice::Sparse)
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_solucion, gaussj_10x10x3_no_lineal, "s10x10x3k2", "--nx 10 --ny 10 --storeys 3 --kanal 2",
                  SolverChoice::Gaussj)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_solucion, dispersa_10x10x3_no_lineal, "s10x10x3k2", "--nx 10 --ny 10 --storeys 3 --kanal 2",
                  SolverChoice::Sparse)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_solucion, gaussj_20x20x2, "s20x20x2", "--nx 20 --ny 20 --storeys 2", SolverChoice::Gaussj)
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_solucion, dispersa_20x20x2, "s20x20x2", "--nx 20 --ny 20 --storeys 2", SolverChoice::Sparse)
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_solucion, dispersa_30x30x2, "s30x30x2", "--nx 30 --ny 30 --storeys 2", SolverChoice::Sparse)
    ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// One solve of the coupled system alone, each solver on its own form of it:
// the 20 x 20 x 2 building's case 4 (its primary consolidation), prepared by a
// whole run, then the same system solved again and again with the run's
// solver (the sparse one keeps the run's symbolic analysis, as every pass
// after the first does). The bound: each sparse solve at most 1/30
// of gaussj's.
void BM_una_solucion(benchmark::State& st, SolverChoice solver) {
  const std::string datos = generated_model("s20x20x2c4", "--nx 20 --ny 20 --storeys 2 --cases 0001");
  Model m;
  m.method.solver = solver;
  Workspace ws;
  run_model_into(datos, m, ws, LogLevel::None);
  // The system as HUND forms it (no footings in this building).
  const int NR = m.NR, n = m.NGRED + NR;
  std::vector<int> eq(static_cast<std::size_t>(NR));
  for (int i = 1; i <= NR; ++i) eq[static_cast<std::size_t>(i - 1)] = m.NUMGL(m.NREAC(i));
  const Tab2<float>& FLEX = ws.pass.FLEX;
  const SoilBlock soil{1, 1, NR, NR, FLEX.v.data(), static_cast<std::size_t>(FLEX.n1)};
  CoupledSystem sys;
  sys.NGRED = m.NGRED;
  sys.NRT = NR;
  SparseColumns view;
  frame_rows(m, sys, view);
  sys.reaction_eq = eq;
  sys.soil = std::span<const SoilBlock>(&soil, 1);
  std::vector<float> b0(static_cast<std::size_t>(n)), b;
  for (int i = 1; i <= m.NGRED; ++i)
    b0[static_cast<std::size_t>(i - 1)] = (i <= m.vered4.size() ? m.vered4(i) : 0.0f) + (i <= m.PRED.size() ? m.PRED(i) : 0.0f);
  for (auto _ : st) {
    b = b0;
    if (!ws.solver->solve(sys, b.data())) st.SkipWithError("singular");
  }
  st.counters["n"] = n;
}
BENCHMARK_CAPTURE(BM_una_solucion, gaussj_20x20x2, SolverChoice::Gaussj)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_una_solucion, dispersa_20x20x2, SolverChoice::Sparse)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(8);

// A study of the example building: 200 Monte Carlo samples on every core,
// against the bound 1.25 x (200 x one run without log) / cores. Prints the
// samples per second, the time of one run and the ratio to the bound (at most 1).
void BM_estudio_ejemplo(benchmark::State& st) {
  std::filesystem::current_path(work_dir());
  const std::string datos = KORVANT_SOURCE_DIR "/examples/edificio.txt";
  std::ofstream("estudio_bench.txt") << "método montecarlo\nmuestras 200\n"
                                        "parámetro E2 perfil 1 estrato 1 lognormal 600 0.35\n"
                                        "parámetro E2 perfil 1 estrato 2 lognormal 900 0.35\n";
  using clock = std::chrono::steady_clock;
  const auto t0 = clock::now();
  for (int i = 0; i < 20; ++i) run_model(datos, LogLevel::None);
  const double one = std::chrono::duration<double>(clock::now() - t0).count() / 20;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  static std::FILE* null = std::fopen("/dev/null", "wb");
  double seconds = 0;
  for (auto _ : st) {
    std::filesystem::remove("ESTUDIO_estudio.csv");
    StudyOptions o;
    o.file = "estudio_bench.txt";
    o.progress = false;
    PreparedStudy ps;
    prepare_study(o, datos, MethodOptions{}, ps);
    int argc = 0;
    char** argv = nullptr;
    Cluster cluster(argc, argv, false);
    Files f;
    f.err.attach(null, "consola de errores");
    const auto t = clock::now();
    run_samples(ps, o, "ESTUDIO", cluster, f, nullptr);
    seconds = std::chrono::duration<double>(clock::now() - t).count();
  }
  st.counters["muestras_por_s"] = 201 / seconds;
  st.counters["corrida_ms"] = one * 1000;
  st.counters["nucleos"] = cores;
  st.counters["razon_al_tope"] = seconds / (1.25 * 200 * one / cores);
}
BENCHMARK(BM_estudio_ejemplo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Big buildings, one run each (minutes): 20 x 20 nodes, 2 storeys, slabs, all
// four cases, KANAL 0, no log (--memoria=no), with the widest vector code
// allowed (2 AVX-512, 1 AVX2); and the 10 x 10 x 3 building with the nonlinear
// analysis and the summary log (--memoria=resumida). Registered only when the
// filter names them:
//   build-bench/korvant_bench --benchmark_filter=grande

void BM_run_grande_no_lineal(benchmark::State& st) {
  const std::string datos = generated_model("g10x10x3k2", "--nx 10 --ny 10 --storeys 3 --slabs --kanal 2");
  for (auto _ : st) run_model(datos, LogLevel::Summary);
  st.counters["MEMORIA_MB"] = static_cast<double>(std::filesystem::file_size(work_dir() / "MEMORIA")) / 1e6;
}

// The influence-value step alone, of the 20 x 20 building with its soil typed
// in 6 strata: the values at the middle of each stratum (0) or averaged over
// its thickness, --estratos=integrados (1). The model is read once, up to the
// step; the step is then repeated with no log.
void BM_influence_values(benchmark::State& st) {
  static Model m;
  static Files f;
  static bool read = [] {
    const std::string datos = generated_model("g20x20x2e6", "--nx 20 --ny 20 --storeys 2 --slabs --strata 6");
    std::filesystem::current_path(work_dir());
    static std::FILE* null = std::fopen("/dev/null", "wb");
    f.con.attach(null, "consola");
    f.err.attach(null, "consola de errores");
    f.log.set_level(LogLevel::None);
    DataReader rd;
    rd.open(datos);
    f.rep.open("REPORTE");
    f.msh.open("arch.msh");
    f.res.open("arch.res");
    input_phase(rd, m, f);
    return true;
  }();
  (void)read;
  m.method.strata = st.range(0) == 1 ? StrataRule::Integrated : StrataRule::MidDepth;
  for (auto _ : st) influence_values(m, f.log);
  m.method.strata = StrataRule::MidDepth;
}
BENCHMARK(BM_influence_values)->ArgName("integrados")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  bool grande = false;
  for (int i = 1; i < argc; ++i) grande = grande || std::string(argv[i]).find("grande") != std::string::npos;
  if (grande) {
    for (int isa : {2, 1})
      benchmark::RegisterBenchmark(("BM_run_grande/isa:" + std::to_string(isa)).c_str(),
                                   [isa](benchmark::State& st) {
                                     st.SetLabel(isa == 2 ? "AVX-512" : "AVX2");
                                     const std::string datos =
                                         generated_model("g20x20x2", "--nx 20 --ny 20 --storeys 2 --slabs");
                                     for (auto _ : st) run_model(datos, LogLevel::None, {24, 200000, isa});
                                   })
          ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
    benchmark::RegisterBenchmark("BM_run_grande_no_lineal", BM_run_grande_no_lineal)
        ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
    // The 20 x 20 building with 6 strata, with and without --estratos=integrados
    // (and with both method options), no log.
    for (int opt : {0, 1, 2})
      benchmark::RegisterBenchmark(("BM_run_grande_estratos/opciones:" + std::to_string(opt)).c_str(),
                                   [opt](benchmark::State& st) {
                                     const std::string datos = generated_model(
                                         "g20x20x2e6", "--nx 20 --ny 20 --storeys 2 --slabs --strata 6");
                                     for (auto _ : st) {
                                       Model m;
                                       if (opt >= 1) m.method.strata = StrataRule::Integrated;
                                       if (opt >= 2) m.method.footings = FootingModel::Layered;
                                       Workspace ws;
                                       run_model_into(datos, m, ws, LogLevel::None);
                                     }
                                   })
          ->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
