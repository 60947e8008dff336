// Gauss-Jordan elimination with full pivoting, in place: the right-hand side
// becomes the solution and the matrix its inverse.
//
// Every element receives exactly the single-precision operations of the
// textbook elimination, pivot by pivot, with the same operands in the same
// order, so the results are identical to the last bit; only the order in which
// elements are visited differs:
//  - pivot search: of the largest |A(j,k)| among unpivoted rows and columns, the
//    last one in row-major scan order (rows outer, >= comparisons) is taken. It
//    runs column by column, fused into the sweep that updates each column: per
//    column the last row holding the column's maximum, then among equal maxima
//    the larger row, and on the same row the larger column;
//  - the columns already pivoted take no part in the search, so their updates
//    are held back for a block of pivots and applied afterwards column by column
//    (each element loaded once, the held-back updates applied to it in their
//    order). A row about to be exchanged or to become the pivot row is first
//    brought up to date;
//  - a column whose pivot-row multiplier is 0 is left alone when that provably
//    changes no bit: x - (+-0)*d is x unless x is -0 or a signalling NaN or d is
//    not finite, so columns that may hold -0 or a signalling NaN are always
//    updated, and so is every column when the multipliers of the pass include a
//    value that is not finite;
//  - the arithmetic is written as a product followed by a difference (never
//    fused), eight or four lanes at a time (AVX2 when the processor has it,
//    SSE2 otherwise); large sweeps are shared with one helper thread, each
//    element being computed by exactly one of them.
// A pass that finds no usable candidate (only values that are not numbers) ends
// the fast path: the rest of the elimination runs pivot by pivot as written.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "model/fatal.hpp"
#include "output/free_format.hpp"
#include "solve/solve.hpp"

#pragma GCC diagnostic ignored "-Wpsabi"

namespace korvant {

namespace {

using std::size_t;

// ---- Options (tests only) ---------------------------------------------------
int g_block = 32;             // pivots whose updates of pivoted columns are held back
long g_parallel_min = 200000; // elements of a sweep worth sharing with the helper thread
bool g_force_sse2 = false;

void singular_line(OutFile& con) { lst(con, "singular matrix in gaussj"); }

// ---- Vector kernels ---------------------------------------------------------
// Written once with the compiler's vector types; each is compiled twice, for
// AVX2 and for the SSE2 baseline (no FMA in either: product, then difference).
typedef float v8 __attribute__((vector_size(32)));
typedef std::int32_t v8i __attribute__((vector_size(32)));

#define KV_INLINE static inline __attribute__((always_inline))

KV_INLINE v8 ld(const float* p) {
  v8 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
KV_INLINE void st(float* p, v8 v) { std::memcpy(p, &v, sizeof v); }
KV_INLINE v8 bc(float x) {  // x in every lane (through the integer unit: compiles to one broadcast)
  std::int32_t xi;
  std::memcpy(&xi, &x, sizeof xi);
  const v8i r = v8i{} | xi;
  v8 f;
  std::memcpy(&f, &r, sizeof f);
  return f;
}
KV_INLINE v8 absmask(v8 x, v8i m) {  // |x| where m is all ones, +0 elsewhere
  v8i b;
  std::memcpy(&b, &x, sizeof b);
  b = b & m & 0x7fffffff;
  v8 r;
  std::memcpy(&r, &b, sizeof r);
  return r;
}
KV_INLINE v8i ldi(const std::int32_t* p) {
  v8i v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
KV_INLINE float hmax(v8 acc) {  // acc holds no NaN
  float m = acc[0];
  for (int i = 1; i < 8; ++i) m = acc[i] > m ? acc[i] : m;
  return m;
}

// Column maximum over the rows of `mask` (all ones) like the row scan with >=:
// the largest value that is a number, and the last row holding it.
struct ColMax {
  float big = 0.0f;
  int row = 0;  // 1-based; 0 when no candidate
};

KV_INLINE void last_row_of(const float* a, const std::int32_t* mask, int n, float m, ColMax& r) {
  r.big = m;
  r.row = 0;
  for (int i = n - 1; i >= 0; --i)
    if (mask[i] != 0 && std::fabs(a[i]) == m) {
      r.row = i + 1;
      return;
    }
}

// a[i] = a[i] - p*d[i] for all n rows, then the column maximum.
KV_INLINE void k_update_max(float* a, const float* d, const std::int32_t* mask, int n, float p, ColMax& r) {
  const v8 pv = bc(p);
  v8 acc = bc(0.0f);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    v8 x = ld(a + i);
    v8 t = pv * ld(d + i);
    x = x - t;
    st(a + i, x);
    v8 v = absmask(x, ldi(mask + i));
    acc = v > acc ? v : acc;
  }
  float m = hmax(acc);
  for (; i < n; ++i) {
    const float t = p * d[i];
    a[i] = a[i] - t;
    if (mask[i] != 0) {
      const float v = std::fabs(a[i]);
      if (v > m) m = v;
    }
  }
  last_row_of(a, mask, n, m, r);
}

KV_INLINE void k_max(const float* a, const std::int32_t* mask, int n, ColMax& r) {
  v8 acc = bc(0.0f);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    v8 v = absmask(ld(a + i), ldi(mask + i));
    acc = v > acc ? v : acc;
  }
  float m = hmax(acc);
  for (; i < n; ++i)
    if (mask[i] != 0) {
      const float v = std::fabs(a[i]);
      if (v > m) m = v;
    }
  last_row_of(a, mask, n, m, r);
}

// Held-back updates of one column: for each listed pass t (in order),
// a[i] = a[i] - p[t]*D(slot[t], i). D is stored by blocks of eight rows:
// D(s, i) = dt[((i/8)*K + s)*8 + i%8].
KV_INLINE void k_apply(float* a, const float* dt, int K, const int* slot, const float* p, int nt, int n) {
  const int nb = n / 8;
  int b = 0;
  const std::size_t bs = static_cast<std::size_t>(K) * 8;
  for (; b + 4 <= nb; b += 4) {
    float* a0 = a + 8 * b;
    v8 x0 = ld(a0), x1 = ld(a0 + 8), x2 = ld(a0 + 16), x3 = ld(a0 + 24);
    const float* d0 = dt + static_cast<std::size_t>(b) * bs;
    for (int t = 0; t < nt; ++t) {
      const v8 pv = bc(p[t]);
      const std::size_t o = static_cast<std::size_t>(slot[t]) * 8;
      v8 t0 = pv * ld(d0 + o), t1 = pv * ld(d0 + bs + o), t2 = pv * ld(d0 + 2 * bs + o), t3 = pv * ld(d0 + 3 * bs + o);
      x0 = x0 - t0;
      x1 = x1 - t1;
      x2 = x2 - t2;
      x3 = x3 - t3;
    }
    st(a0, x0);
    st(a0 + 8, x1);
    st(a0 + 16, x2);
    st(a0 + 24, x3);
  }
  for (; b < nb; ++b) {
    float* a0 = a + 8 * b;
    v8 x0 = ld(a0);
    const float* d0 = dt + static_cast<std::size_t>(b) * bs;
    for (int t = 0; t < nt; ++t) {
      const v8 tt = bc(p[t]) * ld(d0 + static_cast<std::size_t>(slot[t]) * 8);
      x0 = x0 - tt;
    }
    st(a0, x0);
  }
  for (int i = 8 * nb; i < n; ++i) {
    const float* d0 = dt + static_cast<std::size_t>(nb) * bs + static_cast<std::size_t>(i - 8 * nb);
    float x = a[i];
    for (int t = 0; t < nt; ++t) {
      const float tt = p[t] * d0[static_cast<std::size_t>(slot[t]) * 8];
      x = x - tt;
    }
    a[i] = x;
  }
}

// Held-back passes 0..ns-1 applied to four columns c[0..3] at once over the
// row blocks [0, nb) (eight rows each), so that every multiplier loaded
// serves four columns: x = x - p[q][s]*D(s, i).
KV_INLINE void k_apply4(float* const* c, const float* const* p, const float* dt, int K, int ns, int nb) {
  const std::size_t bs = static_cast<std::size_t>(K) * 8;
  int b = 0;
  for (; b + 2 <= nb; b += 2) {
    const std::size_t o = 8 * static_cast<std::size_t>(b);
    v8 x0 = ld(c[0] + o), x1 = ld(c[1] + o), x2 = ld(c[2] + o), x3 = ld(c[3] + o);
    v8 y0 = ld(c[0] + o + 8), y1 = ld(c[1] + o + 8), y2 = ld(c[2] + o + 8), y3 = ld(c[3] + o + 8);
    const float* d0 = dt + static_cast<std::size_t>(b) * bs;
    for (int s = 0; s < ns; ++s) {
      const v8 dx = ld(d0 + static_cast<std::size_t>(s) * 8), dy = ld(d0 + bs + static_cast<std::size_t>(s) * 8);
      const v8 p0 = bc(p[0][s]), p1 = bc(p[1][s]), p2 = bc(p[2][s]), p3 = bc(p[3][s]);
      const v8 t0 = p0 * dx, t1 = p1 * dx, t2 = p2 * dx, t3 = p3 * dx;
      const v8 u0 = p0 * dy, u1 = p1 * dy, u2 = p2 * dy, u3 = p3 * dy;
      x0 = x0 - t0;
      x1 = x1 - t1;
      x2 = x2 - t2;
      x3 = x3 - t3;
      y0 = y0 - u0;
      y1 = y1 - u1;
      y2 = y2 - u2;
      y3 = y3 - u3;
    }
    st(c[0] + o, x0);
    st(c[1] + o, x1);
    st(c[2] + o, x2);
    st(c[3] + o, x3);
    st(c[0] + o + 8, y0);
    st(c[1] + o + 8, y1);
    st(c[2] + o + 8, y2);
    st(c[3] + o + 8, y3);
  }
  for (; b < nb; ++b) {
    const std::size_t o = 8 * static_cast<std::size_t>(b);
    const float* d0 = dt + static_cast<std::size_t>(b) * bs;
    for (int q = 0; q < 4; ++q) {
      v8 x = ld(c[q] + o);
      for (int s = 0; s < ns; ++s) {
        const v8 t = bc(p[q][s]) * ld(d0 + static_cast<std::size_t>(s) * 8);
        x = x - t;
      }
      st(c[q] + o, x);
    }
  }
}

// Row r of eight columns starting at e (stride ld): x = x - P(s, .)*dr[s] for
// the held-back passes s0..s1-1 (P(s, .) = p + s*pn).
KV_INLINE void k_row8(float* e, std::size_t stride, const float* p, std::size_t pn, const float* dr, int s0, int s1) {
  v8 x;
  for (int q = 0; q < 8; ++q) x[q] = e[static_cast<std::size_t>(q) * stride];
  for (int s = s0; s < s1; ++s) {
    const v8 t = ld(p + static_cast<std::size_t>(s) * pn) * bc(dr[s]);
    x = x - t;
  }
  for (int q = 0; q < 8; ++q) e[static_cast<std::size_t>(q) * stride] = x[q];
}

__attribute__((target("avx2"))) void row8_avx2(float* e, std::size_t l, const float* p, std::size_t pn, const float* dr, int s0, int s1) {
  k_row8(e, l, p, pn, dr, s0, s1);
}
void row8_sse2(float* e, std::size_t l, const float* p, std::size_t pn, const float* dr, int s0, int s1) { k_row8(e, l, p, pn, dr, s0, s1); }
__attribute__((target("avx2"))) void apply4_avx2(float* const* c, const float* const* p, const float* dt, int K, int ns, int nb) {
  k_apply4(c, p, dt, K, ns, nb);
}
void apply4_sse2(float* const* c, const float* const* p, const float* dt, int K, int ns, int nb) { k_apply4(c, p, dt, K, ns, nb); }
__attribute__((target("avx2"))) void update_max_avx2(float* a, const float* d, const std::int32_t* m, int n, float p, ColMax& r) {
  k_update_max(a, d, m, n, p, r);
}
void update_max_sse2(float* a, const float* d, const std::int32_t* m, int n, float p, ColMax& r) { k_update_max(a, d, m, n, p, r); }
__attribute__((target("avx2"))) void max_avx2(const float* a, const std::int32_t* m, int n, ColMax& r) { k_max(a, m, n, r); }
void max_sse2(const float* a, const std::int32_t* m, int n, ColMax& r) { k_max(a, m, n, r); }
__attribute__((target("avx2"))) void apply_avx2(float* a, const float* dt, int K, const int* s, const float* p, int nt, int n) {
  k_apply(a, dt, K, s, p, nt, n);
}
void apply_sse2(float* a, const float* dt, int K, const int* s, const float* p, int nt, int n) { k_apply(a, dt, K, s, p, nt, n); }

struct Kernels {
  void (*update_max)(float*, const float*, const std::int32_t*, int, float, ColMax&);
  void (*max)(const float*, const std::int32_t*, int, ColMax&);
  void (*apply)(float*, const float*, int, const int*, const float*, int, int);
  void (*row8)(float*, std::size_t, const float*, std::size_t, const float*, int, int);
  void (*apply4)(float* const*, const float* const*, const float*, int, int, int);
};

Kernels kernels() {
  if (!g_force_sse2 && __builtin_cpu_supports("avx2")) return {update_max_avx2, max_avx2, apply_avx2, row8_avx2, apply4_avx2};
  return {update_max_sse2, max_sse2, apply_sse2, row8_sse2, apply4_sse2};
}

// ---- Helper thread ----------------------------------------------------------
// One persistent helper: run(fn, ctx) calls fn(ctx, 1) on the helper and
// fn(ctx, 0) on the caller, and returns when both are done.
class Helper {
 public:
  using Fn = void (*)(void*, int);
  ~Helper() {
    if (!th_.joinable()) return;
    fn_ = nullptr;
    go_.fetch_add(1, std::memory_order_release);
    go_.notify_one();
    th_.join();
  }
  static bool available() { return std::thread::hardware_concurrency() >= 2; }
  void run(Fn fn, void* ctx) {
    if (!th_.joinable()) th_ = std::thread([this] { loop(); });
    fn_ = fn;
    ctx_ = ctx;
    const unsigned ticket = go_.fetch_add(1, std::memory_order_release) + 1;
    go_.notify_one();
    fn(ctx, 0);
    wait_for(done_, ticket);
  }

 private:
  static void wait_for(std::atomic<unsigned>& v, unsigned want) {
    for (int spin = 0; spin < 20000; ++spin) {
      if (v.load(std::memory_order_acquire) == want) return;
      __builtin_ia32_pause();
    }
    for (;;) {
      unsigned cur = v.load(std::memory_order_acquire);
      if (cur == want) return;
      v.wait(cur, std::memory_order_acquire);
    }
  }
  void loop() {
    unsigned seen = 0;
    for (;;) {
      wait_for(go_, seen + 1);
      ++seen;
      if (fn_ == nullptr) return;
      fn_(ctx_, 1);
      done_.store(seen, std::memory_order_release);
      done_.notify_one();
    }
  }
  std::thread th_;
  std::atomic<unsigned> go_{0}, done_{0};
  Fn fn_ = nullptr;
  void* ctx_ = nullptr;
};

Helper& helper() {
  static Helper h;
  return h;
}

// ---- Work arrays (grown on first need, kept for the run) --------------------
struct Work {
  std::vector<int> ipiv, indxr, indxc;
  std::vector<float> dum;                 // multipliers of the pass (index from 1)
  std::vector<float> d0;                  // multipliers, index from 0, pivot row 0
  std::vector<std::int32_t> rowmask;      // all ones for rows open to the search
  std::vector<unsigned char> unsafe;      // column may hold -0 or a signalling NaN
  std::vector<unsigned char> cur;         // open column whose maximum `cm` is exact
  std::vector<double> ub;                 // otherwise a bound on |A| over its open rows
  std::vector<int> col_stamp, row_stamp;  // pass up to which the column/row is current
  std::vector<int> special_mark;          // flush block in which a row was brought up to date
  std::vector<int> special;               // those rows
  std::vector<ColMax> cm;                 // column maxima over the open rows
  std::vector<float> P;                   // held-back pivot rows: P[s*n + l-1]
  std::vector<float> Dt;                  // held-back multipliers, blocks of eight rows
  std::vector<unsigned char> dfin;        // multipliers of the held-back pass all finite
  std::vector<int> todo;                  // columns of the current sweep
  std::vector<int> scols;                 // columns brought up to date one by one at a flush
  std::vector<int> bulk;                  // columns with every held-back pass to apply
  std::vector<float> Pt;                  // their held-back multipliers, by column
  std::vector<float> saved;               // their rows brought up to date on their own
  void size_to(int n, int K) {
    const std::size_t un = static_cast<std::size_t>(n) + 1;
    if (ipiv.size() < un) {
      for (auto* v : {&ipiv, &indxr, &indxc, &col_stamp, &row_stamp, &special_mark}) v->assign(un, 0);
      dum.assign(un, 0.0f);
      d0.assign(un + 8, 0.0f);
      rowmask.assign(un + 8, 0);
      unsafe.assign(un, 0);
      cur.assign(un, 0);
      ub.assign(un, 0.0);
      cm.assign(un, ColMax{});
      todo.reserve(un);
      scols.reserve(un);
      special.reserve(un);
    }
    const std::size_t nb = static_cast<std::size_t>(n + 7) / 8 + 1;
    if (P.size() < static_cast<std::size_t>(K) * static_cast<std::size_t>(n)) P.assign(static_cast<std::size_t>(K) * static_cast<std::size_t>(n), 0.0f);
    if (Dt.size() < nb * static_cast<std::size_t>(K) * 8) Dt.assign(nb * static_cast<std::size_t>(K) * 8, 0.0f);
    if (dfin.size() < static_cast<std::size_t>(K)) dfin.assign(static_cast<std::size_t>(K), 0);
    if (Pt.size() < static_cast<std::size_t>(K) * un) Pt.assign(static_cast<std::size_t>(K) * un, 0.0f);
    if (saved.size() < static_cast<std::size_t>(2 * K) * un) saved.assign(static_cast<std::size_t>(2 * K) * un, 0.0f);
    bulk.reserve(un);
  }
};

Work W;

bool is_neg_zero(float x) { return x == 0.0f && std::signbit(x); }
bool is_snan(float x) {
  std::uint32_t u;
  std::memcpy(&u, &x, sizeof u);
  return (u & 0x7f800000u) == 0x7f800000u && (u & 0x007fffffu) != 0 && (u & 0x00400000u) == 0;
}

// The straightforward pass (search, exchange, normalisation, reduction), used
// once a search has found no usable candidate.
void plain_pass(float* a, std::size_t ld, int n, float* b, OutFile& con, int i, int& irow, int& icol) {
  auto A = [a, ld](int j, int k) -> float& {
    return a[static_cast<std::size_t>(k - 1) * ld + static_cast<std::size_t>(j - 1)];
  };
  auto use = [](int k) -> int& { return W.ipiv[static_cast<std::size_t>(k)]; };
  int rows_open = 0;
  for (int j = 1; j <= n; ++j)
    if (use(j) != 1) ++rows_open;
  bool found = false;
  float big = 0.0f;
  int brow = 0, bcol = 0, over_used = 0;
  for (int k = 1; k <= n; ++k) {
    if (use(k) > 1) {
      ++over_used;
      continue;
    }
    if (use(k) != 0) continue;
    const float* colk = &A(1, k);
    bool cfound = false;
    float cbig = 0.0f;
    int crow = 0;
    for (int j = 1; j <= n; ++j) {
      if (use(j) == 1) continue;
      const float v = std::fabs(colk[j - 1]);
      if (v >= cbig) {
        cbig = v;
        crow = j;
        cfound = true;
      }
    }
    if (!cfound) continue;
    if (!found || cbig > big || (cbig == big && crow >= brow)) {
      big = cbig;
      brow = crow;
      bcol = k;
      found = true;
    }
  }
  // The row-by-row search meets every over-used column once in each open row.
  for (int c = 0; c < rows_open * over_used; ++c) singular_line(con);
  if (found) {
    irow = brow;
    icol = bcol;
  }
  ++use(icol);
  if (irow != icol) {
    for (int l = 1; l <= n; ++l) std::swap(A(irow, l), A(icol, l));
    std::swap(b[irow - 1], b[icol - 1]);
  }
  W.indxr[static_cast<std::size_t>(i)] = irow;
  W.indxc[static_cast<std::size_t>(i)] = icol;
  if (A(icol, icol) == 0.0f) {
    singular_line(con);
    throw Fatal{status::SINGULAR, ""};
  }
  const float pivinv = 1.0f / A(icol, icol);
  A(icol, icol) = 1.0f;
  for (int l = 1; l <= n; ++l) A(icol, l) = A(icol, l) * pivinv;
  b[icol - 1] = b[icol - 1] * pivinv;
  float* dm = W.dum.data();
  for (int ll = 1; ll <= n; ++ll) {
    if (ll == icol) continue;
    dm[ll] = A(ll, icol);
    A(ll, icol) = 0.0f;
  }
  for (int l = 1; l <= n; ++l) {
    float* coll = &A(1, l);
    const float piv = coll[icol - 1];
    for (int ll = 1; ll < icol; ++ll) coll[ll - 1] = coll[ll - 1] - piv * dm[ll];
    for (int ll = icol + 1; ll <= n; ++ll) coll[ll - 1] = coll[ll - 1] - piv * dm[ll];
  }
  const float bp = b[icol - 1];
  for (int ll = 1; ll <= n; ++ll) {
    if (ll == icol) continue;
    b[ll - 1] = b[ll - 1] - bp * dm[ll];
  }
}

// ---- The elimination with held-back updates -----------------------------------
// Every column, open or pivoted, is brought up to date only when needed: when
// it may hold the next pivot (its bound on the open rows reaches the best value
// known), when it is the pivot column, and at the end of each block of passes.
struct Elim {
  float* a;
  std::size_t ld;
  int n;
  float* b;
  OutFile& con;
  Kernels kv;
  int K;
  int k0 = 0;  // every update up to this pass is applied

  float* col(int l) const { return a + static_cast<std::size_t>(l - 1) * ld; }
  float& A(int j, int l) const { return col(l)[j - 1]; }
  int& use(int k) const { return W.ipiv[static_cast<std::size_t>(k)]; }
  static std::size_t z(int i) { return static_cast<std::size_t>(i); }
  float Pv(int j, int l) const { return W.P[z(j - k0 - 1) * z(n) + z(l - 1)]; }
  float Dv(int j, int r) const {
    const std::size_t i = z(r - 1);
    return W.Dt[((i / 8) * z(K) + z(j - k0 - 1)) * 8 + i % 8];
  }
  // The update of pass j changes no bit of column l.
  bool skip(int j, int l) const {
    return W.dfin[z(j - k0 - 1)] != 0 && W.unsafe[z(l)] == 0 && Pv(j, l) == 0.0f;
  }

  // Element (r, l) brought up to pass `upto`.
  void catch_up(int r, int l, int upto) {
    const int from = std::max({k0, W.col_stamp[z(l)], W.row_stamp[z(r)]}) + 1;
    if (from > upto) return;
    float x = A(r, l);
    for (int j = from; j <= upto; ++j) {
      if (skip(j, l)) continue;
      const float t = Pv(j, l) * Dv(j, r);
      x = x - t;
    }
    A(r, l) = x;
  }
  // Row r brought up to pass `upto` in every column, eight columns at a time
  // where they share the same passes to apply.
  void catch_up_row(int r, int upto) {
    const int base = std::max(k0, W.row_stamp[z(r)]);
    if (base >= upto) return;
    float dr[64];
    for (int j = base + 1; j <= upto; ++j) dr[j - k0 - 1] = Dv(j, r);
    const int s0 = base - k0, s1 = upto - k0;
    int l = 1;
    for (; l + 7 <= n; l += 8) {
      bool same = true;
      for (int q = 0; q < 8; ++q) same = same && W.col_stamp[z(l + q)] <= base;
      if (same) {
        kv.row8(&A(r, l), ld, W.P.data() + z(l - 1), z(n), dr, s0, s1);
      } else {
        for (int q = 0; q < 8; ++q) catch_up(r, l + q, upto);
      }
    }
    for (; l <= n; ++l) catch_up(r, l, upto);
  }
  void mark_special(int r) {
    if (W.special_mark[z(r)] != k0 + 1) {
      W.special_mark[z(r)] = k0 + 1;
      W.special.push_back(r);
    }
  }

  // Column l brought up to pass `upto` (rows brought up to date on their own
  // during the block are kept aside and caught up one by one); an open
  // column gets its exact maximum.
  void materialize(int l, int upto) {
    const int from = std::max(k0, W.col_stamp[z(l)]) + 1;
    if (from <= upto) {
      int slot[64];
      float pj[64];
      int nt = 0;
      for (int j = from; j <= upto; ++j) {
        if (skip(j, l)) continue;
        slot[nt] = j - k0 - 1;
        pj[nt] = Pv(j, l);
        ++nt;
      }
      if (nt > 0) {
        float saved[128];
        float* cl = col(l);
        const std::size_t ns = W.special.size();
        for (std::size_t q = 0; q < ns; ++q) saved[q] = cl[W.special[q] - 1];
        kv.apply(cl, W.Dt.data(), K, slot, pj, nt, n);
        for (std::size_t q = 0; q < ns; ++q) {
          const int r = W.special[q];
          cl[r - 1] = saved[q];
          catch_up(r, l, upto);
        }
      }
      W.col_stamp[z(l)] = upto;
    }
    if (use(l) == 0 && W.cur[z(l)] == 0) {
      kv.max(col(l), W.rowmask.data() + 1, n, W.cm[z(l)]);
      W.cur[z(l)] = 1;
    }
  }

  // Flush: the columns that need every pass of the block (all but those
  // brought up to date during it) take them in tiles of rows; the others one
  // by one. Rows brought up to date on their own are kept aside and caught up.
  struct FlushCtx {
    Elim* e;
    int split, bsplit, upto;
  };
  static void flush_part(void* vctx, int part) {
    auto* c = static_cast<FlushCtx*>(vctx);
    Elim& e = *c->e;
    const int lo = part == 0 ? 0 : c->split, hi = part == 0 ? c->split : static_cast<int>(W.scols.size());
    for (int t = lo; t < hi; ++t) e.materialize(W.scols[z(t)], c->upto);
    const int blo = part == 0 ? 0 : c->bsplit, bhi = part == 0 ? c->bsplit : static_cast<int>(W.bulk.size());
    e.flush_bulk(blo, bhi, c->upto);
  }
  void flush_bulk(int lo, int hi, int upto) {
    if (lo >= hi) return;
    const int ns = upto - k0;
    const std::size_t nsp = W.special.size();
    const std::size_t uK = z(K);
    for (int t = lo; t < hi; ++t) {
      const int l = W.bulk[z(t)];
      float* pl = W.Pt.data() + z(l - 1) * uK;
      for (int q = 0; q < ns; ++q) pl[q] = Pv(k0 + 1 + q, l);
      const float* cl = col(l);
      float* sv = W.saved.data() + z(t) * 2 * uK;
      for (std::size_t q = 0; q < nsp; ++q) sv[q] = cl[W.special[q] - 1];
    }
    const int nb = n / 8;
    int t4 = lo;
    for (; t4 + 4 <= hi; t4 += 4) {
      float* c4[4];
      const float* p4[4];
      for (int q = 0; q < 4; ++q) {
        const int l = W.bulk[z(t4 + q)];
        c4[q] = col(l);
        p4[q] = W.Pt.data() + z(l - 1) * uK;
      }
      kv.apply4(c4, p4, W.Dt.data(), K, ns, nb);
    }
    for (int t = lo; t < hi; ++t) {
      const int l = W.bulk[z(t)];
      float* cl = col(l);
      const float* pl = W.Pt.data() + z(l - 1) * uK;
      if (t >= t4) {
        int slot[64];
        for (int q = 0; q < ns; ++q) slot[q] = q;
        kv.apply(cl, W.Dt.data(), K, slot, pl, ns, 8 * nb);
      }
      for (int i = 8 * nb; i < n; ++i) {
        float x = cl[i];
        for (int q = 0; q < ns; ++q) {
          const float tq = pl[q] * Dv(k0 + 1 + q, i + 1);
          x = x - tq;
        }
        cl[i] = x;
      }
      const float* sv = W.saved.data() + z(t) * 2 * uK;
      for (std::size_t q = 0; q < nsp; ++q) {
        const int r = W.special[q];
        cl[r - 1] = sv[q];
        catch_up(r, l, upto);
      }
    }
    // Only after every row is caught up: the column stamps.
    for (int t = lo; t < hi; ++t) {
      const int l = W.bulk[z(t)];
      W.col_stamp[z(l)] = upto;
      if (use(l) == 0 && W.cur[z(l)] == 0) {
        kv.max(col(l), W.rowmask.data() + 1, n, W.cm[z(l)]);
        W.cur[z(l)] = 1;
      }
    }
  }
  // Every column brought up to pass `upto`; the block starts afresh.
  void flush(int upto) {
    if (upto <= k0) return;
    W.scols.clear();
    W.bulk.clear();
    long work = 0;
    for (int l = 1; l <= n; ++l) {
      const int cs = W.col_stamp[z(l)];
      if (cs >= upto) continue;
      if (cs <= k0) {
        W.bulk.push_back(l);
      } else {
        W.scols.push_back(l);
      }
      work += upto - std::max(k0, cs);
    }
    FlushCtx ctx{this, static_cast<int>(W.scols.size()), static_cast<int>(W.bulk.size()), upto};
    if (work * n >= g_parallel_min && W.scols.size() + W.bulk.size() >= 2 && Helper::available()) {
      ctx.split = static_cast<int>(W.scols.size()) / 2;
      ctx.bsplit = static_cast<int>(W.bulk.size()) / 2;
      helper().run(flush_part, &ctx);
    } else {
      flush_part(&ctx, 0);
    }
    for (int r : W.special) W.row_stamp[z(r)] = upto;
    W.special.clear();
    k0 = upto;
  }

  // Next pivot after pass i: the exact maxima of the open columns that are
  // current, then every other open column whose bound reaches the best value
  // so far, brought up to date. Equal values: the larger row, then the larger
  // column (the last in row-major scan order).
  bool search(int i, int& irow, int& icol) {
    bool found = false;
    float big = 0.0f;
    int brow = 0, bcol = 0;
    auto consider = [&](int l) {
      const ColMax& c = W.cm[z(l)];
      if (c.row == 0) return;
      if (!found || c.big > big || (c.big == big && (c.row > brow || (c.row == brow && l > bcol)))) {
        big = c.big;
        brow = c.row;
        bcol = l;
        found = true;
      }
    };
    for (int l = 1; l <= n; ++l)
      if (use(l) == 0 && W.cur[z(l)] != 0) consider(l);
    for (int l = 1; l <= n; ++l)
      if (use(l) == 0 && W.cur[z(l)] == 0 && (!found || !(W.ub[z(l)] < static_cast<double>(big)))) {
        materialize(l, i);
        consider(l);
      }
    if (found) {
      irow = brow;
      icol = bcol;
    }
    return found;
  }

  // Returns the pass at which the fast path had to stop (n + 1 when it did not).
  int run(int& irow, int& icol) {
    for (int k = 1; k <= n; ++k) {
      use(k) = 0;
      W.rowmask[z(k)] = -1;
      W.col_stamp[z(k)] = 0;
      W.row_stamp[z(k)] = 0;
      W.special_mark[z(k)] = 0;
      W.cur[z(k)] = 0;
      W.ub[z(k)] = HUGE_VAL;  // nothing known yet
    }
    for (int k = 1; k <= n; ++k) {
      unsigned char u = 0;
      const float* cl = col(k);
      for (int j = 0; j < n; ++j) u |= static_cast<unsigned char>(is_neg_zero(cl[j]) | is_snan(cl[j]));
      W.unsafe[z(k)] = u;
    }
    W.special.clear();
    k0 = 0;
    if (!search(0, irow, icol)) return 1;

    for (int i = 1; i <= n; ++i) {
      const int r = irow, c = icol;
      ++use(c);
      W.rowmask[z(c)] = 0;
      W.indxr[z(i)] = r;
      W.indxc[z(i)] = c;
      // The pivot column won the search: it is current.
      if (A(r, c) == 0.0f) {
        singular_line(con);
        throw Fatal{status::SINGULAR, ""};
      }
      const float pivinv = 1.0f / A(r, c);
      const std::size_t s = z(i - k0 - 1);
      float* Pk = W.P.data() + s * z(n);
      // Rows r and c brought up to date, exchanged and normalised; the pivot
      // row kept for the held-back updates.
      catch_up_row(c, i - 1);
      if (r != c) catch_up_row(r, i - 1);
      for (int l = 1; l <= n; ++l) {
        float* cl = col(l);
        if (r != c) std::swap(cl[r - 1], cl[c - 1]);
        if (l == c) cl[c - 1] = 1.0f;
        const float p = cl[c - 1] * pivinv;
        cl[c - 1] = p;
        Pk[l - 1] = p;
        if (is_neg_zero(p)) W.unsafe[z(l)] = 1;
      }
      if (r != c) std::swap(b[r - 1], b[c - 1]);
      b[c - 1] = b[c - 1] * pivinv;
      mark_special(c);
      W.row_stamp[z(c)] = i;
      if (r != c) {
        mark_special(r);
        W.row_stamp[z(r)] = i - 1;
      }
      // Multipliers: the pivot column (rows other than c); the column itself
      // becomes 0 - pivinv*dum.
      float* cc = col(c);
      bool fin = true;
      float dmax = 0.0f;
      const std::size_t bs = z(K) * 8;
      float* d = W.d0.data();
      for (int ll = 1; ll <= n; ++ll) {
        const std::size_t i0 = z(ll - 1);
        float dv = 0.0f;
        if (ll != c) {
          dv = cc[i0];
          fin = fin && std::isfinite(dv);
          dmax = std::max(dmax, std::fabs(dv));
          const float t = pivinv * dv;
          cc[i0] = 0.0f - t;
        }
        d[i0] = dv;
        W.Dt[(i0 / 8) * bs + s * 8 + i0 % 8] = dv;
      }
      W.dfin[s] = fin ? 1 : 0;
      W.col_stamp[z(c)] = i;
      // Every element freshly computed: only a pivot of -Infinity leaves a -0.
      W.unsafe[z(c)] = is_neg_zero(pivinv) ? 1 : 0;
      const float bp = b[c - 1];
      for (int ll = 1; ll <= n; ++ll) {
        if (ll == c) continue;
        const float t = bp * d[ll - 1];
        b[ll - 1] = b[ll - 1] - t;
      }
      // Open columns: a column the pass leaves unchanged keeps its maximum
      // (rows r and c exchanged, row c out of the search); any other one
      // grows its bound by |p|*max|dum| (with a margin for rounding).
      const double grow = fin ? static_cast<double>(dmax) : HUGE_VAL;
      for (int l = 1; l <= n; ++l) {
        if (use(l) != 0) continue;
        ColMax& cmx = W.cm[z(l)];
        const float p = Pk[l - 1];
        if (fin && W.unsafe[z(l)] == 0 && p == 0.0f) {
          if (W.cur[z(l)] == 0) continue;
          if (cmx.row == 0 || cmx.row == r || cmx.row == c) {
            kv.max(col(l), W.rowmask.data() + 1, n, cmx);
          } else if (r != c) {
            const float v = std::fabs(A(r, l));
            if (v > cmx.big || (v == cmx.big && r > cmx.row)) {
              cmx.big = v;
              cmx.row = r;
            }
          }
          continue;
        }
        double& u = W.ub[z(l)];
        if (W.cur[z(l)] != 0) {
          W.cur[z(l)] = 0;
          u = static_cast<double>(cmx.big);
        }
        u = (u + static_cast<double>(std::fabs(p)) * grow) * (1.0 + 0x1p-21) + 0x1p-126;
      }
      if (i - k0 == K || i == n) flush(i);
      if (i < n && !search(i, irow, icol)) {
        flush(i);
        return i + 1;
      }
    }
    return n + 1;
  }
};

}  // namespace

void gaussj_options(int block, long parallel_min, bool force_sse2) {
  g_block = std::clamp(block, 1, 64);
  g_parallel_min = parallel_min;
  g_force_sse2 = force_sse2;
}

void gaussj(float* a, int n, int lda, float* b, OutFile& con) {
  if (n < 1) return;
  const int K = g_block;
  W.size_to(n, K);
  const std::size_t ld = static_cast<std::size_t>(lda);
  int irow = 1, icol = 1;
  Elim e{a, ld, n, b, con, kernels(), K};
  const int from = e.run(irow, icol);
  // When a pass finds no usable candidate (only values that are not numbers),
  // the pivot of the pass before is taken again, pass by pass as written.
  for (int i = from; i <= n; ++i) plain_pass(a, ld, n, b, con, i, irow, icol);

  // Unscramble the inverse: undo the row exchanges by column exchanges.
  for (int l = n; l >= 1; --l) {
    const int r = W.indxr[static_cast<std::size_t>(l)], c = W.indxc[static_cast<std::size_t>(l)];
    if (r == c) continue;
    float* cr = a + static_cast<std::size_t>(r - 1) * ld;
    float* cc = a + static_cast<std::size_t>(c - 1) * ld;
    for (int k = 0; k < n; ++k) std::swap(cr[k], cc[k]);
  }
}

}  // namespace korvant
