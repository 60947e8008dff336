// The limits a design is judged against: the largest total settlement, the
// tilt, the angular distortion and the largest differential settlement between
// two foundation nodes. Without limits of the engineer's own, the usual ones
// for framed buildings hold (Bjerrum, 1963; Skempton and MacDonald, 1956):
// tilt 1/250, angular distortion 1/500; settlement and differential settlement
// are then not judged. The summary, the page and the studies share them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvant {

constexpr double DEFAULT_TILT_LIMIT = 1.0 / 250.0;
constexpr double DEFAULT_BETA_LIMIT = 1.0 / 500.0;

struct Limits {
  std::optional<double> asentamiento;  // largest total settlement (m, a magnitude)
  std::optional<double> inclinacion;   // tilt (rad)
  std::optional<double> distorsion;    // angular distortion beta
  std::optional<double> diferencial;   // largest difference of settlement between two foundation nodes (m)

  // The engineer's own (from --limites), or the defaults.
  bool own() const { return asentamiento || inclinacion || distorsion || diferencial; }
  double tilt() const { return inclinacion.value_or(DEFAULT_TILT_LIMIT); }
  double beta() const { return distorsion.value_or(DEFAULT_BETA_LIMIT); }
  // Where each limit comes from, as the lines that cite it say it (Latin-1):
  // "límite del proyecto" or the author of the default.
  const char* tilt_source() const;
  const char* beta_source() const;
  // Every limit in use, for a note: "asentamiento 0.3 m, inclinación 1/500, ...".
  std::string cited() const;
};

// Reads the text after "--limites=": comma-separated key=value pairs with the
// keys asentamiento, inclinacion (or inclinación), distorsion (or distorsión)
// and diferencial; a value is a positive number ("0.30") or a ratio ("1/500").
// On an unknown key or an unreadable value returns false and says what is
// wrong in `error` (Latin-1), naming it.
bool parse_limits(std::string_view text, Limits& out, std::string& error);

}  // namespace korvant
