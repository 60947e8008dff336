// korvant: soil-structure interaction analysis of building foundations.
//
//   korvant                    asks for the data file and the report at the console
//   korvant DATOS REPORTE      takes both names from the command line
//   korvant --help             prints the usage
#include <cstdio>
#include <iostream>
#include <string>

#include "driver/run.hpp"
#include "model/fatal.hpp"
#include "output/free_format.hpp"

namespace {

const char* const kUsage =
    "Uso: korvant [ARCHIVO_DE_DATOS ARCHIVO_DE_RESULTADOS]\n"
    "\n"
    "Analisis de interaccion suelo-estructura de cimentaciones.\n"
    "Sin argumentos, el programa pregunta en la consola el nombre del archivo de\n"
    "datos y el del reporte de resultados. Escribe ademas, en la carpeta de trabajo,\n"
    "los archivos MEMORIA, VALINF, arch.msh y arch.res.\n"
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
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    const bool written = std::fputs(kUsage, stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? status::OK : status::OUTPUT;
  }
  if (argc != 1 && argc != 3) {
    std::fputs(kUsage, stderr);
    return status::USAGE;
  }

  Model m;
  try {
    if (argc == 3) {
      datos = argv[1];
      reporte = argv[2];
    } else {
      lst(f.err, "ARCHIVO DE DATOS DE ENTRADA");
      f.err.flush();
      datos = read_name_line();
      lst(f.err, "ARCHIVO DE RESULTADOS");
      f.err.flush();
      reporte = read_name_line();
    }
    run(datos, reporte, m, f);
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
