// The largest MEMORIA and VALINF a model can give (their bounds from the counts
// and the caps of the iterations), and the check that their file systems can
// hold them, made before they grow.
#pragma once

#include <cstdint>
#include <string>

#include "model/model.hpp"
#include "text/files.hpp"

namespace korvant {

// Under --memoria=resumida, VALINF is written whole up to this size; a larger
// one keeps only its headings and says so.
inline constexpr std::uint64_t kValinfSummaryCap = std::uint64_t{100} << 20;

// Name of the environment variable that gives the free space of the file
// systems of MEMORIA and VALINF (bytes, or a number followed by K, M, G or T)
// instead of asking the system: for trying the check without filling a disk.
inline constexpr const char* kFreeSpaceVariable = "KORVANT_ESPACIO_LIBRE";

// Upper bounds of the bytes of MEMORIA and VALINF at a log level, from the
// counts of `m` known so far (the axes add to MEMORIA once read).
std::uint64_t memoria_bound(const Model& m, LogLevel level);
std::uint64_t valinf_bound(const Model& m, LogLevel level);

// Free bytes of the file system that holds `file` (the variable when set;
// Fatal{status::USAGE} when it is set to something that is not a size).
std::uint64_t free_space(const std::string& file);

// Throws Fatal{status::OUTPUT} naming the file, its bound and the options that
// write less when MEMORIA or VALINF may not fit the free space of its file
// system (the two together when they share one).
void check_output_space(const Model& m, Files& f);

}  // namespace korvant
