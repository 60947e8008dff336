#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "solve/solve.hpp"

namespace {

// The settings of the next solves.
korvant::GaussjSettings settings;
void gaussj_options(int block, long parallel_min, int isa) { settings = {block, parallel_min, isa}; }

// gaussj with work of its own; false when the matrix is singular.
bool gaussj(float* a, int n, int lda, float* b) {
  korvant::GaussjWork w(std::thread::hardware_concurrency());
  w.settings = settings;
  return korvant::gaussj(w, a, n, lda, b);
}

// Column-major n x n store with entries (i, j) from 1.
struct Mat {
  int n;
  std::vector<float> v;
  explicit Mat(int n_) : n(n_), v(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_), 0.0f) {}
  float& operator()(int i, int j) { return v[static_cast<std::size_t>((j - 1) * n + (i - 1))]; }
};

std::uint32_t bits(float x) {
  std::uint32_t u;
  std::memcpy(&u, &x, sizeof u);
  return u;
}

// The elimination written row by row, pivot search rows outer with >= (or >,
// to show that the choice among equal elements matters): the yardstick for
// the column-ordered routine. Returns 0, or -1 for a singular matrix (a zero
// pivot, or a search that takes no element because all are not numbers).
int textbook_gaussj(Mat& a, std::vector<float>& b, bool last_of_equals) {
  const int n = a.n;
  std::vector<int> ipiv(n + 1, 0), indxr(n + 1), indxc(n + 1);
  int irow = 1, icol = 1;
  for (int i = 1; i <= n; ++i) {
    float big = 0.0f;
    bool first = true;
    for (int j = 1; j <= n; ++j) {
      if (ipiv[j] == 1) continue;
      for (int k = 1; k <= n; ++k) {
        if (ipiv[k] != 0) continue;
        const float v = std::fabs(a(j, k));
        if (last_of_equals ? v >= big : (first ? v >= big : v > big)) {
          big = v;
          irow = j;
          icol = k;
          first = false;
        }
      }
    }
    if (first) return -1;
    ++ipiv[icol];
    if (irow != icol) {
      for (int l = 1; l <= n; ++l) std::swap(a(irow, l), a(icol, l));
      std::swap(b[irow - 1], b[icol - 1]);
    }
    indxr[i] = irow;
    indxc[i] = icol;
    if (a(icol, icol) == 0.0f) return -1;
    const float pivinv = 1.0f / a(icol, icol);
    a(icol, icol) = 1.0f;
    for (int l = 1; l <= n; ++l) a(icol, l) = a(icol, l) * pivinv;
    b[icol - 1] = b[icol - 1] * pivinv;
    for (int ll = 1; ll <= n; ++ll) {
      if (ll == icol) continue;
      const float dum = a(ll, icol);
      a(ll, icol) = 0.0f;
      for (int l = 1; l <= n; ++l) a(ll, l) = a(ll, l) - a(icol, l) * dum;
      b[ll - 1] = b[ll - 1] - b[icol - 1] * dum;
    }
  }
  for (int l = n; l >= 1; --l)
    if (indxr[l] != indxc[l])
      for (int k = 1; k <= n; ++k) std::swap(a(k, indxr[l]), a(k, indxc[l]));
  return 0;
}

bool same_bits(const std::vector<float>& x, const std::vector<float>& y) {
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (bits(x[i]) != bits(y[i])) return false;
  return true;
}

TEST(Gaussj, EmptySystemLeavesEverythingUntouched) {
  float a[1] = {7.0f}, b[1] = {3.0f};
  gaussj(a, 0, 1, b);
  EXPECT_EQ(a[0], 7.0f);
  EXPECT_EQ(b[0], 3.0f);
}

TEST(Gaussj, OrderOneGivesQuotientAndReciprocal) {
  float a[1] = {4.0f}, b[1] = {2.0f};
  gaussj(a, 1, 1, b);
  EXPECT_EQ(b[0], 0.5f);
  EXPECT_EQ(a[0], 0.25f);
}

TEST(Gaussj, LeadingDimensionLargerThanOrder) {
  // 2 x 2 system inside a 3-row store: the third row is never touched.
  std::vector<float> a = {2.0f, 1.0f, 99.0f, 1.0f, 3.0f, 99.0f};
  float b[2] = {3.0f, 4.0f};
  gaussj(a.data(), 2, 3, b);
  EXPECT_NEAR(b[0], 1.0f, 1e-6f);
  EXPECT_NEAR(b[1], 1.0f, 1e-6f);
  EXPECT_EQ(a[2], 99.0f);
  EXPECT_EQ(a[5], 99.0f);
  EXPECT_NEAR(a[0], 0.6f, 1e-6f);
  EXPECT_NEAR(a[4], 0.4f, 1e-6f);
  EXPECT_NEAR(a[1], -0.2f, 1e-6f);
  EXPECT_NEAR(a[3], -0.2f, 1e-6f);
}

TEST(Gaussj, PermutationMatrixInvertsIntoItsTranspose) {
  const int n = 5;
  const int p[n + 1] = {0, 3, 1, 5, 2, 4};  // row i has its 1 in column p[i]
  Mat a(n);
  for (int i = 1; i <= n; ++i) a(i, p[i]) = 1.0f;
  std::vector<float> b = {10.0f, 20.0f, 30.0f, 40.0f, 50.0f};
  gaussj(a.v.data(), n, n, b.data());
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) EXPECT_EQ(a(i, j), p[j] == i ? 1.0f : 0.0f) << i << "," << j;
  // x(p(i)) = b(i)
  for (int i = 1; i <= n; ++i) EXPECT_EQ(b[static_cast<std::size_t>(p[i] - 1)], 10.0f * static_cast<float>(i));
}

TEST(Gaussj, EqualLargestElementsTakeTheLastInRowOrder) {
  // Small integers give many equal candidates; the rounding of the result
  // depends on which of them is taken. The routine must agree to the bit with
  // the row-by-row elimination taking the last one, and on some of these
  // matrices the first-taken variant must give other bits (so the choice is seen).
  std::mt19937 gen(12345);
  std::uniform_int_distribution<int> d(-3, 3);
  int differing = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const int n = 3 + trial % 6;
    Mat a(n);
    std::vector<float> b(static_cast<std::size_t>(n));
    for (auto& x : a.v) x = static_cast<float>(d(gen));
    for (int i = 1; i <= n; ++i) a(i, i) = a(i, i) + 7.0f;  // keep it regular
    for (auto& x : b) x = static_cast<float>(d(gen)) + 0.1f;
    Mat a1 = a, a2 = a, a3 = a;
    std::vector<float> b1 = b, b2 = b, b3 = b;
    gaussj(a1.v.data(), n, n, b1.data());
    ASSERT_EQ(textbook_gaussj(a2, b2, true), 0);
    EXPECT_TRUE(same_bits(a1.v, a2.v)) << "trial " << trial;
    EXPECT_TRUE(same_bits(b1, b2)) << "trial " << trial;
    textbook_gaussj(a3, b3, false);
    if (!same_bits(a1.v, a3.v) || !same_bits(b1, b3)) ++differing;
  }
  EXPECT_GT(differing, 0);
}

TEST(Gaussj, TieBetweenColumnsOfTheSameRowTakesTheLaterColumn) {
  // |A| has its maximum 4 at (1,2), (2,1) and (2,3): the scan takes (2,3),
  // the later of two equal elements on the same row.
  Mat a(3);
  const float vals[3][3] = {{1, 4, 2}, {4, 1, -4}, {2, 2, 3}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) a(i, j) = vals[i - 1][j - 1];
  std::vector<float> b = {1.0f, 2.0f, 3.0f};
  Mat r = a;
  std::vector<float> rb = b;
  gaussj(a.v.data(), 3, 3, b.data());
  textbook_gaussj(r, rb, true);
  EXPECT_TRUE(same_bits(a.v, r.v));
  EXPECT_TRUE(same_bits(b, rb));
}

TEST(Gaussj, SingularMatrixIsReported) {
  // Two equal rows make a pivot exactly zero; a matrix of values that are not
  // numbers leaves the first search without any candidate.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float vals[2][3][3] = {{{1, 2, 3}, {1, 2, 3}, {0, 1, 5}}, {{nan, nan, nan}, {nan, nan, nan}, {nan, nan, nan}}};
  for (const auto& m : vals) {
    Mat a(3);
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) a(i, j) = m[i - 1][j - 1];
    std::vector<float> b = {1.0f, 1.0f, 1.0f};
    EXPECT_FALSE(gaussj(a.v.data(), 3, 3, b.data()));
  }
}

TEST(Gaussj, RandomSystemAgreesWithDoublePrecisionSolution) {
  std::mt19937 gen(2024);
  std::uniform_real_distribution<float> d(-1.0f, 1.0f);
  const int n = 60;
  Mat a(n);
  for (auto& x : a.v) x = d(gen);
  for (int i = 1; i <= n; ++i) a(i, i) = a(i, i) + 20.0f;
  std::vector<float> b(n);
  for (auto& x : b) x = d(gen);
  const Mat a0 = a;

  // Double-precision Gaussian elimination with partial pivoting.
  std::vector<double> A(static_cast<std::size_t>(n * n)), x(static_cast<std::size_t>(n));
  for (int i = 0; i < n * n; ++i) A[static_cast<std::size_t>(i)] = static_cast<double>(a.v[static_cast<std::size_t>(i)]);
  for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = static_cast<double>(b[static_cast<std::size_t>(i)]);
  auto at = [&](int i, int j) -> double& { return A[static_cast<std::size_t>(j * n + i)]; };
  for (int c = 0; c < n; ++c) {
    int p = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(at(r, c)) > std::fabs(at(p, c))) p = r;
    for (int j = 0; j < n; ++j) std::swap(at(c, j), at(p, j));
    std::swap(x[static_cast<std::size_t>(c)], x[static_cast<std::size_t>(p)]);
    for (int r = c + 1; r < n; ++r) {
      const double f = at(r, c) / at(c, c);
      for (int j = c; j < n; ++j) at(r, j) -= f * at(c, j);
      x[static_cast<std::size_t>(r)] -= f * x[static_cast<std::size_t>(c)];
    }
  }
  for (int r = n - 1; r >= 0; --r) {
    double s = x[static_cast<std::size_t>(r)];
    for (int j = r + 1; j < n; ++j) s -= at(r, j) * x[static_cast<std::size_t>(j)];
    x[static_cast<std::size_t>(r)] = s / at(r, r);
  }

  gaussj(a.v.data(), n, n, b.data());
  for (int i = 0; i < n; ++i)
    EXPECT_NEAR(static_cast<double>(b[static_cast<std::size_t>(i)]), x[static_cast<std::size_t>(i)], 1e-6) << i;
  // The store now holds the inverse: inverse times the original matrix is I.
  Mat inv = a;
  Mat orig = a0;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      double s = 0.0;
      for (int k = 1; k <= n; ++k) s += static_cast<double>(inv(i, k)) * static_cast<double>(orig(k, j));
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-5) << i << "," << j;
    }
}

}  // namespace

namespace {

// Matrices that exercise every shortcut of the blocked routine: many equal
// values, exact zeros (multipliers of 0 skip work), -0 entries and negative
// pivots (-0 * x and x - (-0) must keep their signs), values that are not
// numbers and infinities.
Mat awkward_matrix(int n, int kind, std::mt19937& gen) {
  Mat a(n);
  std::uniform_int_distribution<int> small(-3, 3);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::uniform_int_distribution<int> pick(0, 99);
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= n; ++i) {
      float v = 0.0f;
      switch (kind) {
        case 0: v = static_cast<float>(small(gen)); break;                   // ties everywhere
        case 1: v = pick(gen) < 85 ? 0.0f : u(gen); break;                  // mostly zeros
        case 2: v = pick(gen) < 30 ? -0.0f : (pick(gen) < 50 ? 0.0f : u(gen)); break;  // -0 and zeros
        case 5: v = static_cast<float>(small(gen)); break;
        default: v = u(gen); break;
      }
      a(i, j) = v;
    }
  for (int i = 1; i <= n; ++i) a(i, i) = a(i, i) + (kind == 2 && i % 3 == 0 ? -4.0f : 4.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  if (kind == 3) {
    a(1 + n / 2, 1 + n / 3) = nan;
    a(n, 1) = std::numeric_limits<float>::infinity();
  }
  if (kind == 4)  // two rows of values that are not numbers: a late search finds no candidate
    for (int j = 1; j <= n; ++j) a(n, j) = a(1 + n / 2, j) = nan;
  if (kind == 5 && n >= 2)  // two equal rows: a zero pivot ends the run
    for (int j = 1; j <= n; ++j) a(n, j) = a(1, j);
  return a;
}

}  // namespace

TEST(Gaussj, BlockedRoutineGivesTheBitsOfThePassByPassElimination) {
  // Every combination of block length, helper thread and vector width must
  // agree to the bit, and find the same matrices singular.
  std::mt19937 gen(777);
  struct Opt {
    int block;
    long par;
    int isa;
  };
  const Opt opts[] = {{24, 1L << 40, 2}, {1, 1L << 40, 2}, {3, 0, 1}, {64, 0, 0}, {7, 1L << 40, 1}, {17, 1L << 40, 0}};
  for (int n : {1, 2, 5, 9, 17, 40, 97, 160}) {
    for (int kind = 0; kind < 6; ++kind) {
      const Mat a0 = awkward_matrix(n, kind, gen);
      std::vector<float> b0(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) b0[static_cast<std::size_t>(i)] = static_cast<float>(i % 7) - 2.5f;
      Mat r = a0;
      std::vector<float> rb = b0;
      const int singular = textbook_gaussj(r, rb, true);
      for (const Opt& o : opts) {
        gaussj_options(o.block, o.par, o.isa);
        Mat x = a0;
        std::vector<float> xb = b0;
        const bool threw = !gaussj(x.v.data(), n, n, xb.data());
        const std::string what = "n=" + std::to_string(n) + " kind=" + std::to_string(kind) + " block=" + std::to_string(o.block);
        ASSERT_EQ(threw, singular < 0) << what;
        if (threw) continue;
        EXPECT_TRUE(same_bits(x.v, r.v)) << what;
        EXPECT_TRUE(same_bits(xb, rb)) << what;
      }
    }
  }
  gaussj_options(24, 200000, 2);
}

TEST(Gaussj, LeadingDimensionKeepsTheBlockedRoutineInsideTheMatrix) {
  // n = 37 inside a 41-row store, with the helper thread and short blocks:
  // rows 38..41 are never touched and the result is the same as with lda = n.
  std::mt19937 gen(5);
  const int n = 37, lda = 41;
  const Mat a0 = awkward_matrix(n, 1, gen);
  std::vector<float> big(static_cast<std::size_t>(lda) * n, 99.0f);
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= n; ++i) big[static_cast<std::size_t>((j - 1) * lda + (i - 1))] = a0.v[static_cast<std::size_t>((j - 1) * n + (i - 1))];
  std::vector<float> b(n, 1.0f), rb(n, 1.0f);
  Mat r = a0;
  textbook_gaussj(r, rb, true);
  gaussj_options(5, 0, 2);
  gaussj(big.data(), n, lda, b.data());
  gaussj_options(24, 200000, 2);
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i)
      ASSERT_EQ(bits(big[static_cast<std::size_t>((j - 1) * lda + (i - 1))]), bits(r(i, j))) << i << "," << j;
    for (int i = n + 1; i <= lda; ++i) ASSERT_EQ(big[static_cast<std::size_t>((j - 1) * lda + (i - 1))], 99.0f);
  }
  EXPECT_TRUE(same_bits(b, rb));
}

TEST(Gaussj, BlockedRoutineOnLargerMatricesOfEveryKind) {
  // Long enough for many blocks and for the searches to rely on bounds and on
  // values followed through the passes: banded matrices like a frame's
  // stiffness, with a dense corner like the soil's flexibility, and plain
  // random ones, where pivots fall on and off the diagonal.
  std::mt19937 gen(31);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::uniform_int_distribution<int> small(-2, 2);
  for (int kind = 0; kind < 3; ++kind) {
    const int n = 180 + 37 * kind;
    Mat a(n);
    for (int j = 1; j <= n; ++j)
      for (int i = 1; i <= n; ++i) {
        if (kind == 0) a(i, j) = u(gen);
        if (kind == 1 && std::abs(i - j) <= 6) a(i, j) = static_cast<float>(small(gen)) + (i == j ? 6.0f : 0.0f);
        if (kind == 2 && (std::abs(i - j) <= 4 || (i > n - 30 && j > n - 30))) a(i, j) = u(gen) * (i == j ? 50.0f : 1.0f);
      }
    std::vector<float> b(static_cast<std::size_t>(n));
    for (auto& x : b) x = u(gen);
    Mat r = a;
    std::vector<float> rb = b;
    ASSERT_EQ(textbook_gaussj(r, rb, true), 0);
    for (int block : {24, 5}) {
      gaussj_options(block, 1L << 40, 2);
      Mat x = a;
      std::vector<float> xb = b;
      gaussj(x.v.data(), n, n, xb.data());
      EXPECT_TRUE(same_bits(x.v, r.v)) << "kind " << kind << " block " << block;
      EXPECT_TRUE(same_bits(xb, rb)) << "kind " << kind << " block " << block;
    }
  }
  gaussj_options(24, 200000, 2);
}
