#include "views/limits.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace korvant {

namespace {

// A positive finite number: "0.30", "2e-3" or a ratio "1/500".
bool read_value(std::string_view v, double& out) {
  auto number = [](std::string_view s, double& x) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), x);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(x);
  };
  const std::size_t slash = v.find('/');
  double x = 0.0;
  if (slash == std::string_view::npos) {
    if (!number(v, x)) return false;
  } else {
    double a = 0.0, b = 0.0;
    if (!number(v.substr(0, slash), a) || !number(v.substr(slash + 1), b) || b == 0.0) return false;
    x = a / b;
  }
  if (!(x > 0.0) || !std::isfinite(x)) return false;
  out = x;
  return true;
}

std::string ratio(double v) {
  char b[64];
  const double n = 1.0 / v;
  if (n >= 1.5 && std::fabs(n - std::round(n)) < 1e-6 * n)
    std::snprintf(b, sizeof b, "1/%.0f", n);
  else
    std::snprintf(b, sizeof b, "%g", v);
  return b;
}

std::string metres(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%g m", v);
  return b;
}

}  // namespace

const char* Limits::tilt_source() const { return inclinacion ? "límite del proyecto" : "Bjerrum"; }
const char* Limits::beta_source() const { return distorsion ? "límite del proyecto" : "Bjerrum; Skempton y MacDonald"; }

std::string Limits::cited() const {
  std::string s;
  if (asentamiento) s += "asentamiento total " + metres(*asentamiento) + ", ";
  s += "inclinación " + ratio(tilt()) + " (" + tilt_source() + "), ";
  s += "distorsión angular " + ratio(beta()) + " (" + beta_source() + ")";
  if (diferencial) s += ", asentamiento diferencial " + metres(*diferencial);
  return s;
}

bool parse_limits(std::string_view text, Limits& out, std::string& error) {
  Limits l;
  if (text.empty()) {
    error = "--limites= sin límites: se espera por ejemplo --limites=asentamiento=0.30,inclinacion=1/500";
    return false;
  }
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(at, end - at);
    const std::size_t eq = item.find('=');
    const std::string_view key = item.substr(0, eq);
    std::optional<double>* slot = nullptr;
    // The keys with or without their accent, as a UTF-8 or a Latin-1 terminal types it.
    if (key == "asentamiento") slot = &l.asentamiento;
    else if (key == "inclinacion" || key == "inclinaci\xC3\xB3n" || key == "inclinaci\xF3n") slot = &l.inclinacion;
    else if (key == "distorsion" || key == "distorsi\xC3\xB3n" || key == "distorsi\xF3n") slot = &l.distorsion;
    else if (key == "diferencial") slot = &l.diferencial;
    if (slot == nullptr) {
      error = "--limites: clave desconocida \"" + std::string(key) +
              "\"; se esperan asentamiento, inclinacion, distorsion y diferencial";
      return false;
    }
    double v = 0.0;
    if (eq == std::string_view::npos || !read_value(item.substr(eq + 1), v)) {
      const std::string value = eq == std::string_view::npos ? std::string() : std::string(item.substr(eq + 1));
      error = "--limites: el valor de " + std::string(key) + ", \"" + value +
              "\", no se entiende; se espera un número positivo (0.30) o una razón (1/500)";
      return false;
    }
    *slot = v;
    at = end + 1;
  }
  out = l;
  return true;
}

}  // namespace korvant
