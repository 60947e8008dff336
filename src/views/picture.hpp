// Bounds of the pictures of an axis: however long the axis, a diagram is drawn
// through a bounded number of points. The tables (CSV, report) keep every value.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace korvant {

// Points of one line of a picture (a diagram, a profile, a side of an envelope).
constexpr std::size_t kLinePoints = 2000;
// Points of the walk along one axis that a picture samples.
constexpr long long kWalkPoints = 20000;
// Bar ends marked along one diagram.
constexpr int kBarMarks = 200;
// Axes a picture draws (the first ones): past them a picture says how many it
// left out, and the report and the CSV keep the diagrams of every axis.
constexpr int kAxesDrawn = 100;

inline int drawn_axes(const Model& m) { return std::clamp(m.NEJES, 0, kAxesDrawn); }

// The line a picture gives under its diagrams when it leaves axes out; empty when it draws them all.
inline std::string axes_left_out(const Model& m) {
  if (m.NEJES <= kAxesDrawn) return {};
  return "Se dibujan los primeros " + std::to_string(kAxesDrawn) + " de los " + std::to_string(m.NEJES) +
         " ejes; los diagramas de todos están en el reporte y en los archivos _diagramas.csv (--csv).";
}

// Cuts of each bar of axis a in the pictures: each division of the bar cut in
// finer steps, up to 24 steps per bar, while the walk stays within kWalkPoints;
// at least the diagram's own points. An axis that no picture draws is not
// walked for them (0).
inline int picture_fine(const Model& m, int a) {
  if (a > kAxesDrawn) return 0;
  if (m.NDIV >= 24) return 1;
  int fine = (24 + m.NDIV - 1) / m.NDIV;
  const long long bars = std::max(m.NBEJE(a), 1);
  while (fine > 1 && bars * (static_cast<long long>(m.NDIV) * fine + 1) > kWalkPoints) --fine;
  return fine;
}

// The indices of n points (value(i) their value) that a line draws: all of
// them up to kLinePoints; past that, of each of kLinePoints / 4 runs of
// consecutive points, the first, the smallest, the largest and the last
// (finite ones), in order, so that every peak stays where it is.
template <class Value>
void drawn_points(std::size_t n, Value value, std::vector<std::size_t>& out) {
  out.clear();
  if (n <= kLinePoints) {
    for (std::size_t i = 0; i < n; ++i) out.push_back(i);
    return;
  }
  const std::size_t runs = kLinePoints / 4;
  for (std::size_t r = 0; r < runs; ++r) {
    const std::size_t b = n * r / runs, e = n * (r + 1) / runs;
    std::size_t first = e, last = e, lo = e, hi = e;
    for (std::size_t i = b; i < e; ++i) {
      const double v = static_cast<double>(value(i));
      if (!std::isfinite(v)) continue;
      if (first == e) first = lo = hi = i;
      last = i;
      if (v < static_cast<double>(value(lo))) lo = i;
      if (v > static_cast<double>(value(hi))) hi = i;
    }
    if (first == e) continue;
    std::size_t k[4] = {first, lo, hi, last};
    std::sort(k, k + 4);
    for (std::size_t i : k)
      if (out.empty() || out.back() != i) out.push_back(i);
  }
}

}  // namespace korvant
