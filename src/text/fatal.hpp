// The one way a run ends early: a Fatal carries the exit status and the message
// for the console. It is thrown where the condition is found and caught by main,
// which writes the message, flushes every file written so far and exits.
#pragma once

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

namespace korvant {

// Exit statuses of the program.
namespace status {
constexpr int OK = 0;
constexpr int BAD_DATA = 1;     // data file that cannot be read or is rejected
constexpr int USAGE = 2;        // wrong command-line use
constexpr int SINGULAR = 3;     // singular system in gaussj
constexpr int OUTPUT = 4;       // output file that cannot be created or written
constexpr int MEMORY = 5;       // the memory ran out
constexpr int INTERRUPTED = 128;  // plus the number of the signal: 129 SIGHUP, 130 SIGINT, 143 SIGTERM
}  // namespace status

struct Fatal {
  int status;
  std::string message;  // Latin-1; empty when the message was already written
};

// The message of a rejected data file, the same wherever the fault is found:
//   Error en el archivo de datos "<file>", línea <n>, <item>: <what>
// or, when no single line is at fault (line < 1),
//   Error en el archivo de datos "<file>": <item>: <what>
// The same message for any input file of the run; kind names the file ("datos", "estudio").
inline std::string bad_file_message(std::string_view kind, std::string_view file, int line, std::string_view item,
                                    std::string_view what) {
  std::string msg = "Error en el archivo de ";
  msg += kind;
  msg += " \"";
  msg += file;
  msg += '"';
  if (line > 0) msg += ", línea " + std::to_string(line) + ", ";
  else msg += ": ";
  msg += item;
  msg += ": ";
  msg += what;
  return msg;
}

inline std::string bad_data_message(std::string_view file, int line, std::string_view item, std::string_view what) {
  return bad_file_message("datos", file, line, item, what);
}

[[noreturn]] inline void reject_data(std::string_view file, int line, std::string_view item, std::string_view what) {
  throw Fatal{status::BAD_DATA, bad_data_message(file, line, item, what)};
}

// A real value as typed back to the user: the shortest text that reads as the same float.
inline std::string real_text(float v) {
  char b[32];
  auto r = std::to_chars(b, b + sizeof b, v);
  return std::string(b, r.ptr);
}

// "se leyó <v>; debe estar entre <lo> y <hi>": the what of a value read out of its range.
inline std::string out_of_range(long long v, long long lo, long long hi) {
  return "se leyó " + std::to_string(v) + "; debe estar entre " + std::to_string(lo) + " y " + std::to_string(hi);
}

// Why a file operation failed, in the words of the messages (errno value).
inline std::string system_reason(int err) {
  switch (err) {
    case ENOENT: return "no existe el archivo o la carpeta";
    case ENOSPC: return "no queda espacio en el disco";
#ifdef EDQUOT
    case EDQUOT: return "se agotó la cuota de disco";
#endif
    case EACCES:
    case EPERM: return "permiso denegado";
    case EROFS: return "el sistema de archivos es de solo lectura";
    case EISDIR: return "es una carpeta";
    case ENOTDIR: return "una parte de la ruta no es una carpeta";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    case EIO: return "error de entrada/salida";
    case EFBIG: return "el archivo es demasiado grande";
    default: return std::strerror(err);
  }
}

}  // namespace korvant
