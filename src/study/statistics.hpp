// Statistics of the results of a study's samples.
#pragma once

#include <vector>

namespace korvant {

// Mean, standard deviation (n - 1) and percentiles of the finite values;
// n = 0 leaves every figure NaN.
struct Stats {
  int n = 0;
  double mean, sd, p5, p50, p95, min, max;
};
Stats statistics(std::vector<double> v);

// The value below which a share q of the sorted values lies, interpolated
// between neighbours (the definition of most spreadsheets).
double percentile(const std::vector<double>& sorted, double q);

// The probability of exceeding a limit, estimated as k of n samples, with its
// 95 % confidence interval (Wilson's score interval, sound also at k = 0 and k = n).
struct Exceedance {
  int k = 0, n = 0;
  double p = 0, lo = 0, hi = 0;
};
Exceedance exceedance(int k, int n);

}  // namespace korvant
