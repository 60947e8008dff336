// The study's own random numbers and inverse distribution functions, the same
// on every machine and standard library: splitmix64 and Wichura's algorithm
// AS 241 for the inverse of the normal distribution.
#pragma once

#include <cstdint>

namespace korvant {

// splitmix64: a 64-bit state advanced by a constant and mixed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // A share in the open interval (0, 1), on a grid of 2^-53.
  double share() { return (static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53; }
  // An integer in 0..n-1 (n >= 1), without the bias of a plain remainder.
  std::uint32_t below(std::uint32_t n);

 private:
  std::uint64_t s_;
};

// The seed of the stream of numbers of (seed, a, b): each pair of a parameter
// and a sample has its own stream.
std::uint64_t stream_seed(std::uint64_t seed, std::uint64_t a, std::uint64_t b);

// The standard normal distribution: its inverse (0 < p < 1) and itself.
double normal_quantile(double p);
double normal_cdf(double z);

}  // namespace korvant
