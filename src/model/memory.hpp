// The memory a run needs and the memory the machine gives it. The tables of the
// model store are sized to the model, so the only limit on a model's size is
// memory: before the tables of a count are made, the run's peak is estimated
// from the counts known so far and compared with what is available.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/model.hpp"

namespace korvant {

// Name of the environment variable that sets the memory available to a run
// (bytes, or a number followed by K, M, G or T), instead of the machine's.
inline constexpr const char* kMemoryVariable = "KORVANT_MEMORIA";

// Estimated peak memory of the run, in bytes, from the counts of `m` known so
// far (a count not yet read is 0): the model store, the frame matrix `akr`, the
// square work matrix of the solvers, `FLEX`, the influence tables and the
// working vectors of the solve, plus the program itself.
std::uint64_t peak_memory(const Model& m);

struct Available {
  std::uint64_t bytes = 0;
  std::string source;  // "memoria física", "límite de memoria del contenedor" or the variable
};
// Memory available to the run: the variable when set, else the smaller of the
// machine's physical memory and the container's (cgroup) limit. Throws
// Fatal{status::USAGE} when the variable is set to something that is not a size.
Available available_memory();

// Empty when the estimated peak of the run fits the memory available; else the
// what of the message that rejects the model: the estimate, the memory
// available and where that figure comes from; `extra` bytes are added to the
// estimate.
std::string memory_shortfall(const Model& m, std::uint64_t extra = 0);

// A size as the variables take it: a whole number of bytes, optionally followed
// by K, M, G or T (powers of 1024); 0 when the text is not one.
std::uint64_t size_setting(std::string_view text);

// "1,5 GB", "230 MB", "12 KB": a size for messages (units of 1024, as the
// variable takes them; one decimal below 100 of a unit).
std::string size_text(std::uint64_t bytes);

}  // namespace korvant
