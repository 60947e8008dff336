// korvant: soil-structure interaction analysis of building foundations.
//
//   korvant                    asks for the data file and the report at the console
//   korvant DATOS REPORTE      takes both names from the command line
//   korvant --help             prints the usage
//
// --vtk, --csv and --svg, anywhere on the line and with either form, add files
// to look at for each solved case and pass.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.hpp"
#include "text/fatal.hpp"
#include "text/free_format.hpp"

namespace {

const char* const kUsage =
    "Uso: korvant [--vtk] [--csv] [--svg] [--memoria=completa|resumida|no]\n"
    "             [ARCHIVO_DE_DATOS ARCHIVO_DE_RESULTADOS]\n"
    "\n"
    "Analisis de interaccion suelo-estructura de cimentaciones.\n"
    "Sin los dos nombres, el programa pregunta en la consola el nombre del archivo\n"
    "de datos y el del reporte de resultados. Escribe ademas, en la carpeta de\n"
    "trabajo, los archivos MEMORIA, VALINF, arch.msh y arch.res.\n"
    "\n"
    "Opciones: archivos para mirar los resultados, uno por cada caso y pasada\n"
    "resueltos, con el nombre del reporte (sin su extension), el caso y la pasada,\n"
    "por ejemplo REPORTE_caso2_campo-nodo:\n"
    "  --vtk  malla VTK (.vtu) para ParaView: barras, losas, desplazamientos, giros,\n"
    "         reacciones, hundimientos, elementos mecanicos y material (1 barra de\n"
    "         cimentacion, 2 superestructura, 3 losa); REPORTE.pvd los reune en orden.\n"
    "  --csv  tablas CSV (coma, punto decimal, encabezado): _reacciones.csv,\n"
    "         _nodos.csv, _barras.csv y _diagramas.csv.\n"
    "  --svg  dibujo .svg: planta de la cimentacion coloreada por hundimiento y\n"
    "         diagramas de cortante y momento de cada eje.\n"
    "Pasadas: campo-centro, campo-nodo y laboratorio (casos 1 y 2 lineales),\n"
    "iterativo (ultima pasada), no-lineal, lineal (casos 3 y 4).\n"
    "\n"
    "  --memoria=completa  MEMORIA y VALINF completos (lo normal).\n"
    "  --memoria=resumida  MEMORIA sin matrices, vectores de cada solucion e\n"
    "                      iteracion ni renglones por reaccion, estrato y llamada;\n"
    "                      VALINF completo.\n"
    "  --memoria=no        ni MEMORIA ni VALINF (se borran los de una corrida anterior).\n"
    "Memoria: el programa estima la que necesita el modelo y se detiene si no cabe;\n"
    "la variable KORVANT_MEMORIA (por ejemplo 64G) fija la disponible.\n"
    "\n"
    "Estados de salida: 0 terminado; 1 archivo de datos ilegible o rechazado;\n"
    "2 uso incorrecto de la linea de comandos; 3 sistema singular;\n"
    "4 archivo de salida que no se puede crear o escribir.\n";

// One line of the console input as an (A50) field, trailing blanks dropped.
std::string read_name_line() {
  std::string line;
  if (!std::getline(std::cin, line)) line.clear();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > 50) line.resize(50);
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvant;
  std::string datos, reporte;
  Files f;
  f.con.attach(stdout, "consola");
  f.err.attach(stderr, "consola de errores");
  ViewOptions opts;
  std::vector<std::string> names;
  bool help = false, unknown = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") help = true;
    else if (a == "--vtk") opts.vtk = true;
    else if (a == "--csv") opts.csv = true;
    else if (a == "--svg") opts.svg = true;
    else if (a == "--memoria=completa") f.log = LogLevel::Full;
    else if (a == "--memoria=resumida") f.log = LogLevel::Summary;
    else if (a == "--memoria=no") f.log = LogLevel::None;
    else if (a.rfind("--", 0) == 0) unknown = true;
    else names.push_back(a);
  }
  if (help && !unknown && names.empty()) {
    const bool written = std::fputs(kUsage, stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? status::OK : status::OUTPUT;
  }
  if (help || unknown || (names.size() != 0 && names.size() != 2)) {
    std::fputs(kUsage, stderr);
    return status::USAGE;
  }

  Model m;
  try {
    if (names.size() == 2) {
      datos = names[0];
      reporte = names[1];
    } else {
      lst(f.err, "ARCHIVO DE DATOS DE ENTRADA");
      f.err.flush();
      datos = read_name_line();
      lst(f.err, "ARCHIVO DE RESULTADOS");
      f.err.flush();
      reporte = read_name_line();
    }
    run(datos, reporte, m, f, opts);
    f.con.close();
    f.err.close();
    return status::OK;
  } catch (const Fatal& e) {
    // Whatever ended the run, everything written so far reaches its file.
    for (OutFile* o : {&f.mem, &f.vinf, &f.rep, &f.msh, &f.res, &f.con}) o->close_quietly();
    if (!e.message.empty()) {
      f.err.put(e.message);
      f.err.end_line();
    }
    f.err.close_quietly();
    return e.status;
  }
}
