// korvant: soil-structure interaction analysis of building foundations.
//
//   korvant                    asks for the data file and the report at the console
//   korvant DATOS REPORTE      takes both names from the command line
//   korvant --help             prints the usage
//   korvant --version          prints the version and the vector code of gaussj
//
// --vtk, --csv and --svg, anywhere on the line and with either form, add files
// to look at for each solved case and pass.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "driver/cluster.hpp"
#include "driver/run.hpp"
#include "driver/study_run.hpp"
#include "model/memory.hpp"
#include "solve/solve.hpp"
#include "solve/sparse_lu.hpp"
#include "text/charset.hpp"
#include "text/fatal.hpp"
#include "text/free_format.hpp"
#include "text/progress.hpp"
#include "views/limits.hpp"

namespace {

const char* const kUsage =
    "Uso: korvant [opciones] [ARCHIVO_DE_DATOS ARCHIVO_DE_RESULTADOS]\n"
    "\n"
    "Análisis de interacción suelo-estructura de cimentaciones.\n"
    "Sin los dos nombres, el programa pregunta en la consola el nombre del archivo\n"
    "de datos y el del reporte de resultados. Escribe además, en la carpeta del\n"
    "reporte, los archivos MEMORIA, VALINF, arch.msh y arch.res.\n"
    "\n"
    "Opciones:\n"
    "  --help     este texto.\n"
    "  --version  versión del programa y juego de instrucciones que usa gaussj.\n"
    "Archivos para mirar los resultados, uno por cada caso y pasada resueltos, con\n"
    "el nombre del reporte (sin su extensión), el caso y la pasada, por ejemplo\n"
    "REPORTE_caso2_campo-nodo:\n"
    "  --vtk  malla VTK (.vtu) para ParaView: barras, losas, desplazamientos, giros,\n"
    "         reacciones, hundimientos, elementos mecánicos y material (1 barra de\n"
    "         cimentación, 2 superestructura, 3 losa); REPORTE.pvd los reúne en orden.\n"
    "  --csv  tablas CSV (coma, punto decimal, encabezado): _reacciones.csv,\n"
    "         _nodos.csv, _barras.csv y _diagramas.csv.\n"
    "  --svg  dibujo .svg: planta de la cimentación coloreada por hundimiento y\n"
    "         diagramas de cortante y momento de cada eje.\n"
    "  --resumen  resumen de diseño en REPORTE_resumen.txt y en la consola al final:\n"
    "         equilibrio, hundimientos, inclinación, distorsión angular, presiones,\n"
    "         zapatas, elementos mecánicos por eje y módulos de reacción (con la tabla\n"
    "         de resortes _resortes.csv de cada pasada).\n"
    "  --html  REPORTE.html: una página autónoma con el resumen, los dibujos y los\n"
    "         valores por nodo de cada caso y pasada; se imprime un caso por hoja.\n"
    "         Con --resumen o --html, por pasada, los resortes de línea por media\n"
    "         barra para un programa de marcos (_resortes_barras.csv).\n"
    "  --limites=asentamiento=0.30,inclinacion=1/500,distorsion=1/300,diferencial=0.05\n"
    "         límites del proyecto con que el resumen y la página juzgan (m, razones);\n"
    "         sin ellos, inclinación 1/250 y distorsión angular 1/500 (Bjerrum).\n"
    "Pasadas: campo-centro, campo-nodo y laboratorio (casos 1 y 2 lineales),\n"
    "iterativo (última pasada), no-lineal, lineal (casos 3 y 4).\n"
    "\n"
    "Opciones del método (sin ellas, el método tal como está escrito):\n"
    "  --estratos=integrados     valores de influencia promediados en el espesor de\n"
    "                            cada estrato en vez de tomados a la mitad.\n"
    "  --zapatas=estratificadas  rigideces de las zapatas aisladas del suelo\n"
    "                            estratificado, con interacción entre zapatas y\n"
    "                            con el área de contacto.\n"
    "  --solucion=gaussj         Gauss-Jordan en precisión simple (lo normal).\n"
    "  --solucion=dispersa       LU dispersa en doble precisión (UMFPACK).\n"
    "Estudios de sensibilidad y probabilidad (capítulo del manual):\n"
    "  --estudio=ESTUDIO.txt  después de la corrida del modelo, las muestras que\n"
    "         describe ESTUDIO.txt: REPORTE_estudio.csv (una fila por muestra; una\n"
    "         corrida interrumpida sigue donde quedó), REPORTE_estudio.txt y, con\n"
    "         --html, su sección en REPORTE.html.\n"
    "  --hilos=N  muestras a la vez (lo normal: una por procesador).\n"
    "\n"
    "Codificación del reporte, MEMORIA y VALINF:\n"
    "  --codificacion=latin1  un byte por letra (lo normal).\n"
    "  --codificacion=utf8    UTF-8, para leerlos en un editor UTF-8.\n"
    "\n"
    "Consola:\n"
    "  --silencio  sin la línea de avance (caso, pasada, paso y tiempo) que se\n"
    "              escribe en el canal de errores cuando éste es una terminal.\n"
    "\n"
    "Bitácora del cálculo:\n"
    "  --memoria=completa  MEMORIA y VALINF completos (lo normal).\n"
    "  --memoria=resumida  MEMORIA con un renglón por paso del cálculo: sin\n"
    "                      matrices, vectores, iteraciones ni renglones por barra,\n"
    "                      nodo, reacción o estrato; VALINF completo hasta 100 MB.\n"
    "  --memoria=no        ni MEMORIA ni VALINF (se borran los de una corrida anterior).\n"
    "Memoria: el programa estima la que necesita el modelo y se detiene si no cabe;\n"
    "la variable KORVANT_MEMORIA (por ejemplo 64G) fija la disponible.\n"
    "\n"
    "Estados de salida: 0 terminado; 1 archivo de datos ilegible o rechazado;\n"
    "2 uso incorrecto de la línea de comandos o del diálogo; 3 sistema singular o\n"
    "solución que no es un número; 4 archivo de salida que no se puede crear o\n"
    "escribir, u otra corrida en la misma carpeta; 5 memoria insuficiente;\n"
    "129, 130 o 143 corrida interrumpida (SIGHUP, Ctrl-C o SIGTERM).\n";

// A usage error: what is wrong, then where to look.
[[noreturn]] void usage_error(const std::string& what) {
  throw korvant::Fatal{korvant::status::USAGE, "Error: " + what + "\nPara ver el uso y las opciones: korvant --help"};
}

// One answer of the console dialogue: the whole line, whatever its length,
// without its line end and trailing blanks. An empty answer or the end of the
// input ends the run as a usage error.
std::string read_name_line(const char* what) {
  std::string line;
  if (!std::getline(std::cin, line) && line.empty())
    usage_error(std::string("la entrada terminó sin ") + what);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
  if (line.empty()) usage_error(std::string("la respuesta quedó vacía: falta ") + what);
  return line;
}

void write_and_close(korvant::OutFile& o, const std::string& text) {
  o.put(text);
  o.close();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvant;
  // A standard stream started closed would be the next file opened: the
  // report would get the console's text. Each is opened on /dev/null instead.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF && ::open("/dev/null", O_RDWR) != fd) return status::OUTPUT;
  std::string datos, reporte;
  Files f;
  f.con.attach(stdout, "consola");
  f.err.attach(stderr, "consola de errores");
  f.con.set_console();
  f.err.set_console();
  // A UTF-8 terminal gets UTF-8; any other (the C locale) the Latin-1 bytes.
  const bool utf8 = console_wants_utf8();
  f.con.set_utf8(utf8);
  f.err.set_utf8(utf8);
  ViewOptions opts;
  Model m;
  // A study may be one process of an MPI job.
  bool study_asked = false;
  for (int i = 1; i < argc; ++i) study_asked = study_asked || std::string(argv[i]).rfind("--estudio", 0) == 0;
  Cluster cluster(argc, argv, study_asked);
  // Each sample solves on one thread: the sparse solver's BLAS too.
  if (study_asked) {
    for (const char* v : {"OPENBLAS_NUM_THREADS", "OMP_NUM_THREADS", "MKL_NUM_THREADS"}) setenv(v, "1", 1);
    sparse_lu_one_blas_thread();
  }
  StudyOptions study;
  try {
    std::vector<std::string> names;
    bool help = false, version = false, utf8_files = false, silence = false;
    std::string unknown;
    for (int i = 1; i < argc; ++i) {
      const std::string a = argv[i];
      if (a == "--help" || a == "-h") help = true;
      else if (a == "--version") version = true;
      else if (a == "--vtk") opts.vtk = true;
      else if (a == "--csv") opts.csv = true;
      else if (a == "--svg") opts.svg = true;
      else if (a == "--memoria=completa") f.log.set_level(LogLevel::Full);
      else if (a == "--memoria=resumida") f.log.set_level(LogLevel::Summary);
      else if (a == "--memoria=no") f.log.set_level(LogLevel::None);
      else if (a.rfind("--memoria", 0) == 0)
        usage_error("\"" + a + "\": se espera --memoria=completa, --memoria=resumida o --memoria=no");
      else if (a == "--resumen") opts.resumen = true;
      else if (a == "--silencio") silence = true;
      else if (a.rfind("--limites=", 0) == 0) {
        std::string error;
        if (!parse_limits(std::string_view(a).substr(10), opts.limites, error)) usage_error(error);
      } else if (a == "--limites")
        usage_error("--limites necesita sus valores: --limites=asentamiento=0.30,inclinacion=1/500,distorsion=1/300,"
                    "diferencial=0.05");
      else if (a == "--codificacion=utf8") utf8_files = true;
      else if (a == "--codificacion=latin1") utf8_files = false;
      else if (a.rfind("--codificacion", 0) == 0)
        usage_error("\"" + a + "\": se espera --codificacion=latin1 o --codificacion=utf8");
      else if (a == "--html") opts.html = true;
      else if (a.rfind("--estudio=", 0) == 0 && a.size() > 10) study.file = a.substr(10);
      else if (a.rfind("--estudio", 0) == 0) usage_error("\"" + a + "\": se espera --estudio=ARCHIVO_DE_ESTUDIO");
      else if (a.rfind("--hilos", 0) == 0) {
        const std::string v = a.size() > 8 && a[7] == '=' ? a.substr(8) : "";
        char* end = nullptr;
        const long n = v.empty() ? 0 : std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || n < 1 || n > 4096)
          usage_error("\"" + a + "\": se espera --hilos=N con N de 1 a 4096");
        study.threads = static_cast<int>(n);
      }
      else if (std::string bad; parse_method_option(a, m.method, bad)) {
        if (!bad.empty()) usage_error(bad);
      }
      else if (a.rfind("--", 0) == 0) {
        if (unknown.empty()) unknown = a;
      } else names.push_back(a);
    }
    if (help) {
      write_and_close(f.con, kUsage);
      return status::OK;
    }
    if (version) {
      write_and_close(f.con, std::string("korvant " KORVANT_VERSION " (ACTUALIZACION FEBRERO 2023)\n") +
                                 "gaussj: instrucciones " + gaussj_instruction_set() +
                                 ", elegidas al arrancar en este procesador\n");
      return status::OK;
    }
    if (!unknown.empty()) usage_error("opción desconocida: " + unknown);
    if (study.threads > 0 && study.file.empty()) usage_error("--hilos sólo sirve con --estudio=ARCHIVO_DE_ESTUDIO");
    if (m.method.sparse_solver() && !sparse_lu_built_in())
      usage_error("--solucion=dispersa: este programa se compiló sin el solucionador disperso (UMFPACK de "
                  "SuiteSparse); instale libsuitesparse-dev y vuelva a compilar, o use --solucion=gaussj");
    if (names.size() == 1) usage_error("falta el nombre del reporte (después de \"" + names[0] + "\")");
    if (names.size() > 2)
      usage_error("sobra \"" + names[2] + "\": se esperan sólo el archivo de datos y el reporte");

    if (names.size() == 2) {
      datos = names[0];
      reporte = names[1];
    } else {
      lst(f.err, "ARCHIVO DE DATOS DE ENTRADA");
      f.err.flush();
      datos = read_name_line("el nombre del archivo de datos");
      lst(f.err, "ARCHIVO DE RESULTADOS");
      f.err.flush();
      reporte = read_name_line("el nombre del reporte");
    }
    // The report, the log and the influence values in UTF-8, for a UTF-8 editor.
    for (OutFile* o : {&f.rep, &f.mem, &f.vinf}) o->set_file_utf8(utf8_files);
    if (!study.file.empty()) {
      if (names.size() != 2) usage_error("un estudio necesita en la línea de comandos el archivo de datos y el reporte");
      // The study and the model are read and checked before anything is written.
      study.limits = study_limits(opts.limites);
      PreparedStudy ps;
      prepare_study(study, datos, m.method, ps);
      catch_interruptions();
      if (!cluster.leader()) {
        run_samples(ps, study, reporte, cluster, f, nullptr);
        return status::OK;
      }
      run(datos, reporte, m, f, opts, nullptr, [&](Views& v) { run_samples(ps, study, reporte, cluster, f, &v); });
      f.con.close();
      f.err.close();
      return status::OK;
    }
    // From here on an interruption stops the run at its next safe point.
    catch_interruptions();
    // The line that says what a long run is doing, only for a person at a terminal.
    progress_enable(!silence && ::isatty(2) == 1, utf8);
    run(datos, reporte, m, f, opts);
    progress_hide();
    f.con.close();
    f.err.close();
    return status::OK;
  } catch (const Fatal& e) {
    progress_hide();
    // Every process of an MPI job finds a fault of the files alike; rank 0 says it.
    if (!cluster.leader()) {
      if (e.status == status::BAD_DATA || e.status == status::USAGE) return e.status;
      cluster.abort(e.status);
    }
    // Whatever ended the run, everything written so far reaches its file.
    for (OutFile* o : {&f.mem, &f.vinf, &f.rep, &f.msh, &f.res, &f.con}) o->close_quietly();
    if (!e.message.empty()) {
      f.err.put(e.message);
      f.err.end_line();
    }
    f.err.close_quietly();
    // The other processes of an MPI job end with it.
    if (cluster.size() > 1) cluster.abort(e.status);
    return e.status;
  } catch (const std::bad_alloc&) {
    progress_hide();
    // The tables of the model are given back before the message is made.
    const std::uint64_t need = peak_memory(m);
    m = Model();
    for (OutFile* o : {&f.mem, &f.vinf, &f.rep, &f.msh, &f.res, &f.con}) o->close_quietly();
    // Always in whole megabytes, rounded up: "se necesitan unos N MB".
    f.err.put("memoria insuficiente para este modelo: se necesitan unos " + std::to_string((need + (1u << 20) - 1) >> 20) +
              " MB");
    f.err.end_line();
    if (f.kept_earlier) {
      f.err.put(kKeptEarlier);
      f.err.end_line();
    }
    f.err.close_quietly();
    return status::MEMORY;
  }
}
