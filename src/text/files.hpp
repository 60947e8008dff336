// The files of one run, as the driver holds them.
#pragma once

#include "text/log.hpp"
#include "text/out_file.hpp"

namespace korvant {

// The files of one run.
struct Files {
  OutFile rep;   // the results report (name given by the user)
  OutFile msh;   // "arch.msh"
  OutFile res;   // "arch.res"
  OutFile mem;   // "MEMORIA"
  OutFile vinf;  // "VALINF"
  OutFile con;   // console output (standard output)
  OutFile err;   // console error stream (standard error)
  Log log{mem};  // the sink the computations write the log through
  bool large_log_warned = false;  // the warning of a MEMORIA or VALINF past 1 GB was given
  bool kept_earlier = false;      // the run ended after it began writing, and its files were discarded
};

// Said on the error stream when a run that began writing ends without its results.
inline constexpr const char* kKeptEarlier = "los resultados de la corrida anterior quedan como estaban";

}  // namespace korvant
