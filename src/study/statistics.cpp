#include "study/statistics.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvant {

double percentile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return std::numeric_limits<double>::quiet_NaN();
  const double h = q * static_cast<double>(sorted.size() - 1);
  const std::size_t lo = static_cast<std::size_t>(std::floor(h));
  const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
  return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

Stats statistics(std::vector<double> v) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Stats s{0, nan, nan, nan, nan, nan, nan, nan};
  v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return !std::isfinite(x); }), v.end());
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  s.n = static_cast<int>(v.size());
  double sum = 0;
  for (double x : v) sum += x;
  s.mean = sum / static_cast<double>(s.n);
  double ss = 0;
  for (double x : v) ss += (x - s.mean) * (x - s.mean);
  s.sd = s.n > 1 ? std::sqrt(ss / static_cast<double>(s.n - 1)) : 0.0;
  s.p5 = percentile(v, 0.05);
  s.p50 = percentile(v, 0.50);
  s.p95 = percentile(v, 0.95);
  s.min = v.front();
  s.max = v.back();
  return s;
}

Exceedance exceedance(int k, int n) {
  Exceedance e;
  e.k = k;
  e.n = n;
  if (n <= 0) return e;
  const double z = 1.959963984540054;
  const double nn = static_cast<double>(n), p = static_cast<double>(k) / nn;
  const double den = 1.0 + z * z / nn;
  const double mid = (p + z * z / (2.0 * nn)) / den;
  const double half = z * std::sqrt(p * (1.0 - p) / nn + z * z / (4.0 * nn * nn)) / den;
  e.p = p;
  e.lo = k == 0 ? 0.0 : std::max(0.0, mid - half);
  e.hi = k == n ? 1.0 : std::min(1.0, mid + half);
  return e;
}

}  // namespace korvant
