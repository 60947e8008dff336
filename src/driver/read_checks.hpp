// Checks made while the data file is read: counts that fit the memory, references to nodes, bars, sections and materials that exist,
// and values that the computations would divide by. A failed check ends the run
// through the reader, naming the line, the item, the value and what is allowed.
#pragma once

#include <string>
#include <string_view>

#include "driver/data_reader.hpp"
#include "model/memory.hpp"
#include "model/model.hpp"
#include "text/fatal.hpp"

namespace korvant {

// A name without its trailing blanks, for messages.
inline std::string trimmed(std::string_view s) {
  std::size_t n = s.find_last_not_of(' ');
  return std::string(n == std::string_view::npos ? std::string_view() : s.substr(0, n + 1));
}

// A count read from the data file must lie in 0..cap.
inline void check_count(const DataReader& rd, int v, int cap, std::string_view item, std::string_view why = {}) {
  if (v >= 0 && v <= cap) return;
  std::string what = out_of_range(v, 0, cap);
  if (!why.empty()) what += " (" + std::string(why) + ")";
  rd.fail(item, what);
}

// A count without a capacity (a number of lines to read) must not be negative.
inline void check_not_negative(const DataReader& rd, int v, std::string_view item) {
  if (v >= 0) return;
  rd.fail(item, "se leyó " + std::to_string(v) + "; no puede ser negativo");
}

// The run's peak memory, estimated from the counts read so far (the last of
// them `item`), must fit the memory available: checked before the tables of a
// count are made.
inline void check_memory(const DataReader& rd, const Model& m, std::string_view item, std::uint64_t extra = 0) {
  const std::string what = memory_shortfall(m, extra);
  if (!what.empty()) rd.fail(item, what);
}

// A count of entries that each take a line of their own at least: more of them
// than bytes left in the file is a typo, refused before its tables are made.
inline void check_count_fits_file(const DataReader& rd, int v, std::string_view item) {
  if (static_cast<std::size_t>(v) <= rd.bytes_left()) return;
  std::string name(item.substr(0, item.find(' ')));
  rd.fail(item, name + " = " + std::to_string(v) + ", pero al archivo le quedan " + std::to_string(rd.bytes_left()) +
                    " bytes, y cada uno ocupa por lo menos un renglón");
}

// A count bounded only by memory: not negative, the model with it must fit the
// memory available, and no more entries than the file can hold.
inline void check_count_memory(const DataReader& rd, const Model& m, int v, std::string_view item) {
  check_not_negative(rd, v, item);
  check_memory(rd, m, item);
  check_count_fits_file(rd, v, item);
}

// A reference to an entry of a table of n entries (a node, a bar) must lie in
// 1..n; count_name names n in the messages ("NN", "NB").
inline void check_ref(const DataReader& rd, int v, int n, std::string_view item, std::string_view count_name) {
  if (v >= 1 && v <= n) return;
  std::string what = "se leyó " + std::to_string(v) + "; ";
  if (n < 1)
    what += "no hay ninguno (" + std::string(count_name) + " = " + std::to_string(n) + ")";
  else
    what += "debe estar entre 1 y " + std::to_string(n) + " (" + std::string(count_name) + ")";
  rd.fail(item, what);
}

// A real that no material or soil has negative (a unit weight).
inline void check_not_negative_real(const DataReader& rd, float v, std::string_view item, int line = 0) {
  if (v >= 0.0f) return;
  rd.fail_at(line > 0 ? line : rd.line(), item, "se leyó " + real_text(v) + "; no puede ser negativo");
}

// A size (a width, a depth) that areas and stiffnesses are made of must be
// greater than zero.
inline void check_positive(const DataReader& rd, float v, std::string_view item) {
  if (v > 0.0f) return;
  rd.fail(item, "se leyó " + real_text(v) + "; debe ser mayor que 0");
}

}  // namespace korvant
