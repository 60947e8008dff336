// Gauss-Jordan elimination with full pivoting, in place: the right-hand side
// becomes the solution and the matrix its inverse.
//
// Every element receives exactly the single-precision operations of the
// textbook elimination, pivot by pivot, with the same operands in the same
// order, so the results are identical to the last bit; only the moment at
// which each operation is carried out differs:
//  - updates are held back for a block of pivots (each pass keeps its pivot
//    row and its multipliers) and applied at the end of the block column by
//    column, four columns at a time, every element loaded once and given the
//    held-back updates in their order;
//  - the pivot search needs the current values of the open (unpivoted) block:
//    a column that is up to date has its exact maximum over the open rows (the
//    largest value that is a number, and the last row holding it); any other
//    keeps a bound on it, grown at each pass by |pivot-row entry|*max|multiplier|
//    with a margin for rounding. A search brings up to date only the columns
//    whose bound reaches the best value found, and takes, of the largest
//    values, the larger row, then the larger column: the last element in
//    row-major scan order with >= comparisons, as the textbook scan does;
//  - the row exchange moves row c's content to row r as it stands, with its
//    held-back multipliers; row r's content is brought up to date as it
//    becomes the pivot row. A pivot row's earlier multipliers are then set to
//    0, which changes no bit of it (x - p*0 is x) unless its column may hold
//    -0 or has a pivot-row entry that is not finite: there it is redone from
//    the value it got at its pass;
//  - an update whose pivot-row entry is 0 is left out when that provably
//    changes no bit: x - (+-0)*d is x unless x is -0 or a signalling NaN or d
//    is not finite, so it is done anyway in columns that may hold -0 or a
//    signalling NaN, and in every column when the pass has a multiplier that is
//    not finite;
//  - the arithmetic is written as a product followed by a difference (never
//    fused); large block updates are shared with one helper thread, each
//    element being computed by exactly one of them.
// A search that finds no usable candidate (every open element is not a
// number) means a singular system, ended like a zero pivot.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "solve/solve.hpp"
#include "text/progress.hpp"

namespace korvant {

namespace {

using std::size_t;

// ---- Vector kernels ---------------------------------------------------------
// Written once with the compiler's vector types; each is compiled for AVX-512,
// AVX2 and the SSE2 baseline, and the widest the processor has is chosen at
// run time. None uses a fused multiply-add: a product, then a difference.
//
// The held-back multipliers are stored by blocks of RB = 16 rows: multiplier
// of row i (from 0) for held-back pass s is D(s, i) = dt[((i/16)*K + s)*16 + i%16].
constexpr int RB = 16;

typedef float v8 __attribute__((vector_size(32)));
typedef std::int32_t v8i __attribute__((vector_size(32)));
typedef float v16 __attribute__((vector_size(64)));
typedef std::int32_t v16i __attribute__((vector_size(64)));

#define KV_INLINE static inline __attribute__((always_inline))

template <class V>
KV_INLINE V ld(const float* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class V>
KV_INLINE void st(float* p, V v) {
  std::memcpy(p, &v, sizeof v);
}
// x in every lane (through the integer unit: compiles to one broadcast).
template <class V, class VI>
KV_INLINE V bc(float x) {
  std::int32_t xi;
  std::memcpy(&xi, &x, sizeof xi);
  const VI r = VI{} | xi;
  V f;
  std::memcpy(&f, &r, sizeof f);
  return f;
}
KV_INLINE v8 bc8(float x) { return bc<v8, v8i>(x); }
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

KV_INLINE void k_max(const float* a, const std::int32_t* mask, int n, ColMax& r) {
  v8 acc = bc8(0.0f);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    v8 v = absmask(ld<v8>(a + i), ldi(mask + i));
    acc = v > acc ? v : acc;
  }
  float m = hmax(acc);
  for (; i < n; ++i)
    if (mask[i] != 0) {
      const float v = std::fabs(a[i]);
      if (v > m) m = v;
    }
  r.big = m;
  r.row = 0;
  for (int j = n - 1; j >= 0; --j)
    if (mask[j] != 0 && std::fabs(a[j]) == m) {
      r.row = j + 1;
      return;
    }
}

// Rows of the blocks [0, nb) of one column: the listed held-back passes t in
// order, x = x - p[t]*D(slot[t], i), L rows (one vector) at a time, two
// vectors in flight.
template <class V, class VI>
KV_INLINE void k_apply(float* a, const float* dt, int K, const int* slot, const float* p, int nt, int nb) {
  constexpr int L = sizeof(V) / sizeof(float);
  const std::size_t bs = static_cast<std::size_t>(K) * RB;
  const int nch = nb * (RB / L);
  auto dch = [&](int k) { return dt + static_cast<std::size_t>(k * L / RB) * bs + static_cast<std::size_t>(k * L % RB); };
  int k = 0;
  for (; k + 2 <= nch; k += 2) {
    float* a0 = a + L * k;
    V x0 = ld<V>(a0), x1 = ld<V>(a0 + L);
    const float* d0 = dch(k);
    const float* d1 = dch(k + 1);
    for (int t = 0; t < nt; ++t) {
      const V pv = bc<V, VI>(p[t]);
      const std::size_t o = static_cast<std::size_t>(slot[t]) * RB;
      const V t0 = pv * ld<V>(d0 + o), t1 = pv * ld<V>(d1 + o);
      x0 = x0 - t0;
      x1 = x1 - t1;
    }
    st(a0, x0);
    st(a0 + L, x1);
  }
  for (; k < nch; ++k) {
    float* a0 = a + L * k;
    V x0 = ld<V>(a0);
    const float* d0 = dch(k);
    for (int t = 0; t < nt; ++t) {
      const V t0 = bc<V, VI>(p[t]) * ld<V>(d0 + static_cast<std::size_t>(slot[t]) * RB);
      x0 = x0 - t0;
    }
    st(a0, x0);
  }
}

// The listed held-back passes s = slot[t] applied to four columns c[0..3] at
// once over the row blocks [0, nb), so that every multiplier loaded serves
// four columns: x = x - p[q][s*pn]*D(s, i). TWO takes two vectors of rows at a time (eight
// accumulators), otherwise one (four).
#define KV_STEP(X, P, D)  \
  {                       \
    const V t_ = P * D;   \
    X = X - t_;           \
  }
template <class V, class VI, bool TWO>
KV_INLINE void k_apply4(float* const* c, const float* const* p, std::size_t pn, const float* dt, int K, const int* slot, int ns,
                        int nb) {
  constexpr int L = sizeof(V) / sizeof(float);
  const std::size_t bs = static_cast<std::size_t>(K) * RB;
  const int nch = nb * (RB / L);
  auto dch = [&](int k) { return dt + static_cast<std::size_t>(k * L / RB) * bs + static_cast<std::size_t>(k * L % RB); };
  float* const c0 = c[0];
  float* const c1 = c[1];
  float* const c2 = c[2];
  float* const c3 = c[3];
  const float* const p0 = p[0];
  const float* const p1 = p[1];
  const float* const p2 = p[2];
  const float* const p3 = p[3];
  int k = 0;
  if (TWO) {
    for (; k + 2 <= nch; k += 2) {
      const std::size_t o = static_cast<std::size_t>(L) * static_cast<std::size_t>(k);
      V x0 = ld<V>(c0 + o), x1 = ld<V>(c1 + o), x2 = ld<V>(c2 + o), x3 = ld<V>(c3 + o);
      V y0 = ld<V>(c0 + o + L), y1 = ld<V>(c1 + o + L), y2 = ld<V>(c2 + o + L), y3 = ld<V>(c3 + o + L);
      const float* dx0 = dch(k);
      const float* dy0 = dch(k + 1);
      for (int t = 0; t < ns; ++t) {
        const std::size_t sp = static_cast<std::size_t>(slot[t]) * pn;
        const std::size_t so = static_cast<std::size_t>(slot[t]) * RB;
        const V dx = ld<V>(dx0 + so), dy = ld<V>(dy0 + so);
        const V q0 = bc<V, VI>(p0[sp]), q1 = bc<V, VI>(p1[sp]), q2 = bc<V, VI>(p2[sp]), q3 = bc<V, VI>(p3[sp]);
        KV_STEP(x0, q0, dx) KV_STEP(x1, q1, dx) KV_STEP(x2, q2, dx) KV_STEP(x3, q3, dx)
        KV_STEP(y0, q0, dy) KV_STEP(y1, q1, dy) KV_STEP(y2, q2, dy) KV_STEP(y3, q3, dy)
      }
      st(c0 + o, x0);
      st(c1 + o, x1);
      st(c2 + o, x2);
      st(c3 + o, x3);
      st(c0 + o + L, y0);
      st(c1 + o + L, y1);
      st(c2 + o + L, y2);
      st(c3 + o + L, y3);
    }
  }
  for (; k < nch; ++k) {
    const std::size_t o = static_cast<std::size_t>(L) * static_cast<std::size_t>(k);
    V x0 = ld<V>(c0 + o), x1 = ld<V>(c1 + o), x2 = ld<V>(c2 + o), x3 = ld<V>(c3 + o);
    const float* dx0 = dch(k);
    for (int t = 0; t < ns; ++t) {
      const std::size_t sp = static_cast<std::size_t>(slot[t]) * pn;
      const V dx = ld<V>(dx0 + static_cast<std::size_t>(slot[t]) * RB);
      const V q0 = bc<V, VI>(p0[sp]), q1 = bc<V, VI>(p1[sp]), q2 = bc<V, VI>(p2[sp]), q3 = bc<V, VI>(p3[sp]);
      KV_STEP(x0, q0, dx) KV_STEP(x1, q1, dx) KV_STEP(x2, q2, dx) KV_STEP(x3, q3, dx)
    }
    st(c0 + o, x0);
    st(c1 + o, x1);
    st(c2 + o, x2);
    st(c3 + o, x3);
  }
}

// The pass's row exchange and pivot row in sixteen columns starting at er (row
// r) and ec (row c), stride `stride`: row r's content, brought up to date (in
// column q the held-back passes first[q]..s1-1, x = x - P(s, q)*dr[s]), set to
// 1 in the pivot column (lane lc, if any), times pivinv, goes to row c and to
// pk; row c's content goes to row r as it stands. er == ec when r == c.
template <class V, class VI>
KV_INLINE void k_pivrow(float* er, float* ec, std::size_t stride, const float* p, std::size_t pn, const float* dr, const std::int32_t* first,
                        int s0, int s1, int lc, float pivinv, float* pk) {
  constexpr int L = sizeof(V) / sizeof(float);
  for (int h = 0; h < 16; h += L) {
    float* rh = er + static_cast<std::size_t>(h) * stride;
    float* ch = ec + static_cast<std::size_t>(h) * stride;
    V x, y;
    for (int q = 0; q < L; ++q) {
      x[q] = rh[static_cast<std::size_t>(q) * stride];
      y[q] = ch[static_cast<std::size_t>(q) * stride];
    }
    VI f;
    std::memcpy(&f, first + h, sizeof f);
    for (int s = s0; s < s1; ++s) {
      const V t = ld<V>(p + static_cast<std::size_t>(s) * pn + static_cast<std::size_t>(h)) * bc<V, VI>(dr[s]);
      const V u = x - t;
      x = f <= s ? u : x;
    }
    if (lc >= h && lc < h + L) x[lc - h] = 1.0f;
    const V pv = x * bc<V, VI>(pivinv);
    st(pk + h, pv);
    for (int q = 0; q < L; ++q) rh[static_cast<std::size_t>(q) * stride] = y[q];
    for (int q = 0; q < L; ++q) ch[static_cast<std::size_t>(q) * stride] = pv[q];
  }
}

// Pivot row of pass slot j0 in sixteen columns starting at e, at the end of a
// block: a column that took every pass of the block (incl) starts again from
// the value the row got at its pass, P(j0, q), and takes the passes after it;
// the others keep what they hold.
template <class V, class VI>
KV_INLINE void k_rowp(float* e, std::size_t stride, const float* p, std::size_t pn, const float* dr, const std::int32_t* incl, int j0,
                      int s1) {
  constexpr int L = sizeof(V) / sizeof(float);
  for (int h = 0; h < 16; h += L) {
    float* eh = e + static_cast<std::size_t>(h) * stride;
    const V p0 = ld<V>(p + static_cast<std::size_t>(j0) * pn + static_cast<std::size_t>(h));
    VI f;
    std::memcpy(&f, incl + h, sizeof f);
    bool all = true;
    for (int q = 0; q < L; ++q) all = all && incl[h + q] != 0;
    V x = p0;
    if (!all)
      for (int q = 0; q < L; ++q)
        if (incl[h + q] == 0) x[q] = eh[static_cast<std::size_t>(q) * stride];
    for (int s = j0 + 1; s < s1; ++s) {
      const V t = ld<V>(p + static_cast<std::size_t>(s) * pn + static_cast<std::size_t>(h)) * bc<V, VI>(dr[s]);
      const V y = x - t;
      x = f != 0 ? y : x;
    }
    for (int q = 0; q < L; ++q)
      if (incl[h + q] != 0) eh[static_cast<std::size_t>(q) * stride] = x[q];
  }
}

#define KV_VARIANTS(SUFFIX, TARGET, V, VI, TWO)                                                                                    \
  TARGET void max_##SUFFIX(const float* a, const std::int32_t* m, int n, ColMax& r) { k_max(a, m, n, r); }                     \
  TARGET void apply_##SUFFIX(float* a, const float* dt, int K, const int* s, const float* p, int nt, int nb) {                 \
    k_apply<V, VI>(a, dt, K, s, p, nt, nb);                                                                                    \
  }                                                                                                                            \
  TARGET void apply4_##SUFFIX(float* const* c, const float* const* p, std::size_t pn, const float* dt, int K, const int* sl,    \
                              int ns, int nb) {                                                                                \
    k_apply4<V, VI, TWO>(c, p, pn, dt, K, sl, ns, nb);                                                                         \
  }                                                                                                                            \
  TARGET void pivrow_##SUFFIX(float* er, float* ec, std::size_t l, const float* p, std::size_t pn, const float* dr,            \
                              const std::int32_t* f, int s0, int s1, int lc, float pivinv, float* pk) {                        \
    k_pivrow<V, VI>(er, ec, l, p, pn, dr, f, s0, s1, lc, pivinv, pk);                                                         \
  }                                                                                                                            \
  TARGET void rowp_##SUFFIX(float* e, std::size_t l, const float* p, std::size_t pn, const float* dr, const std::int32_t* f,   \
                            int j0, int s1) {                                                                                  \
    k_rowp<V, VI>(e, l, p, pn, dr, f, j0, s1);                                                                                 \
  }

KV_VARIANTS(avx512, __attribute__((target("avx512f"))), v16, v16i, true)
KV_VARIANTS(avx2, __attribute__((target("avx2"))), v8, v8i, true)
KV_VARIANTS(sse2, , v8, v8i, false)

struct Kernels {
  void (*max)(const float*, const std::int32_t*, int, ColMax&);
  void (*apply)(float*, const float*, int, const int*, const float*, int, int);
  void (*apply4)(float* const*, const float* const*, std::size_t, const float*, int, const int*, int, int);
  void (*rowp)(float*, std::size_t, const float*, std::size_t, const float*, const std::int32_t*, int, int);
  void (*pivrow)(float*, float*, std::size_t, const float*, std::size_t, const float*, const std::int32_t*, int, int, int, float, float*);
};

// The widest vector code allowed (`allowed`: 2 AVX-512, 1 AVX2, 0 SSE2) that
// the processor has.
int isa_in_use(int allowed) {
  if (allowed >= 2 && __builtin_cpu_supports("avx512f")) return 2;
  if (allowed >= 1 && __builtin_cpu_supports("avx2")) return 1;
  return 0;
}

Kernels kernels(int allowed) {
  const int isa = isa_in_use(allowed);
  if (isa == 2) return {max_avx512, apply_avx512, apply4_avx512, rowp_avx512, pivrow_avx512};
  if (isa == 1) return {max_avx2, apply_avx2, apply4_avx2, rowp_avx2, pivrow_avx2};
  return {max_sse2, apply_sse2, apply4_sse2, rowp_sse2, pivrow_sse2};
}

// ---- Helper thread ----------------------------------------------------------
// One persistent helper: run(fn, ctx) calls fn(ctx, 1) on the helper and
// fn(ctx, 0) on the caller, and returns when both are done.
class Helper {
 public:
  using Fn = void (*)(void*, int);
  ~Helper() {
    if (!th_.joinable()) return;
    post(nullptr, nullptr);
    th_.join();
  }
  // fn must share its work through its own counters, so that either thread
  // alone can finish it: a helper that has not started by the time the caller
  // is done is told not to start at all.
  void run(Fn fn, void* ctx) {
    if (!th_.joinable()) {
      // Without room for a thread (an address-space limit), the caller works alone.
      try {
        th_ = std::thread([this] { loop(); });
      } catch (const std::system_error&) {
        fn(ctx, 0);
        return;
      }
    }
    const std::uint64_t ticket = post(fn, ctx);
    fn(ctx, 0);
    std::uint64_t expected = ticket * 4 + kPosted;
    if (state_.compare_exchange_strong(expected, ticket * 4 + kCancelled, std::memory_order_acq_rel)) return;
    wait_until(done_, ticket);
  }

 private:
  // state_ = ticket*4 + what became of that job; only the newest job counts.
  enum : std::uint64_t { kPosted = 1, kTaken = 2, kCancelled = 3 };
  std::uint64_t post(Fn fn, void* ctx) {
    const std::uint64_t ticket = go_.load(std::memory_order_relaxed) + 1;
    fn_ = fn;
    ctx_ = ctx;
    state_.store(ticket * 4 + kPosted, std::memory_order_release);
    go_.store(ticket, std::memory_order_release);
    go_.notify_one();
    return ticket;
  }
  // Spins a little, then sleeps, until v holds `want` (or, with `differ`,
  // anything but `want`); returns what it holds.
  static std::uint64_t wait_until(std::atomic<std::uint64_t>& v, std::uint64_t want, bool differ = false) {
    for (int spin = 0;; ++spin) {
      const std::uint64_t cur = v.load(std::memory_order_acquire);
      if ((cur == want) != differ) return cur;
      if (spin < 4000) {
        __builtin_ia32_pause();
      } else {
        v.wait(cur, std::memory_order_acquire);
      }
    }
  }
  void loop() {
    std::uint64_t seen = 0;
    for (;;) {
      seen = wait_until(go_, seen, true);
      // Take job `seen` unless it was withdrawn or a newer one replaced it
      // (then the loop sees the newer one).
      std::uint64_t expected = seen * 4 + kPosted;
      if (!state_.compare_exchange_strong(expected, seen * 4 + kTaken, std::memory_order_acq_rel)) continue;
      if (fn_ == nullptr) return;
      fn_(ctx_, 1);
      done_.store(seen, std::memory_order_release);
      done_.notify_one();
    }
  }
  std::thread th_;
  std::atomic<std::uint64_t> go_{0}, done_{0}, state_{0};
  Fn fn_ = nullptr;
  void* ctx_ = nullptr;
};

// ---- Work arrays (grown on first need, kept for the run) --------------------
struct Work {
  std::vector<int> ipiv, indxr, indxc;
  std::vector<float> d0;                  // multipliers, index from 0, pivot row 0
  std::vector<std::int32_t> rowmask;      // all ones for rows open to the search
  std::vector<unsigned char> unsafe;      // column may hold -0 or a signalling NaN
  std::vector<unsigned char> cur;         // open column whose maximum `cm` is exact
  std::vector<int> trow;                  // open row followed exactly in a column (0 none)
  std::vector<float> tval;                //   and its current value when the column is not current
  std::vector<double> ubo;                // bound on |A| over the column's other open rows
  std::vector<int> col_stamp, row_stamp;  // pass up to which the column/row is current
  std::vector<int> special_mark;          // flush block in which a row was brought up to date
  std::vector<int> special;               // those rows
  std::vector<ColMax> cm;                 // column maxima over the open rows
  std::vector<float> P;                   // held-back pivot rows: P[s*n + l-1]
  std::vector<float> Dt;                  // held-back multipliers, by blocks of RB rows
  std::vector<unsigned char> dfin;        // multipliers of the held-back pass all finite
  std::vector<int> todo;                  // open columns a search may have to bring up to date
  std::vector<int> scols;                 // columns brought up to date one by one at a flush
  std::vector<int> bulk;                  // columns with every held-back pass to apply
  int flush_to = 0;                       // pass the flush brings everything up to
  void size_to(int n, int K) {
    const std::size_t un = static_cast<std::size_t>(n) + 1;
    if (ipiv.size() < un) {
      for (auto* v : {&ipiv, &indxr, &indxc, &col_stamp, &row_stamp, &special_mark}) v->assign(un, 0);
      d0.assign(un + 8, 0.0f);
      rowmask.assign(un + 8, 0);
      unsafe.assign(un, 0);
      cur.assign(un, 0);
      trow.assign(un, 0);
      tval.assign(un, 0.0f);
      ubo.assign(un, 0.0);
      cm.assign(un, ColMax{});
      todo.reserve(un);
      scols.reserve(un);
      special.reserve(un);
    }
    const std::size_t nb = static_cast<std::size_t>(n + RB - 1) / RB + 1;
    if (P.size() < static_cast<std::size_t>(K) * static_cast<std::size_t>(n)) P.assign(static_cast<std::size_t>(K) * static_cast<std::size_t>(n), 0.0f);
    if (Dt.size() < nb * static_cast<std::size_t>(K) * RB) Dt.assign(nb * static_cast<std::size_t>(K) * RB, 0.0f);
    if (dfin.size() < static_cast<std::size_t>(K)) dfin.assign(static_cast<std::size_t>(K), 0);
    bulk.reserve(un);
  }
};

bool is_neg_zero(float x) { return x == 0.0f && std::signbit(x); }
bool is_snan(float x) {
  std::uint32_t u;
  std::memcpy(&u, &x, sizeof u);
  return (u & 0x7f800000u) == 0x7f800000u && (u & 0x007fffffu) != 0 && (u & 0x00400000u) == 0;
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
  Work& W;
  Helper& helper;
  bool helper_pays;  // a second core is there and the settings allow sharing
  long parallel_min;
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
    return W.Dt[((i / RB) * z(K) + z(j - k0 - 1)) * RB + i % RB];
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
  void mark_special(int r) {
    if (W.special_mark[z(r)] != k0 + 1) {
      W.special_mark[z(r)] = k0 + 1;
      W.special.push_back(r);
    }
  }

  // The listed held-back passes applied to every row of a column.
  void apply_column(float* cl, const int* slot, const float* pj, int nt) const {
    const int nb = n / RB;
    kv.apply(cl, W.Dt.data(), K, slot, pj, nt, nb);
    for (int i = RB * nb; i < n; ++i) {
      const std::size_t i0 = z(i);
      const float* d0 = W.Dt.data() + (i0 / RB) * z(K) * RB + i0 % RB;
      float x = cl[i];
      for (int t = 0; t < nt; ++t) {
        const float tt = pj[t] * d0[z(slot[t]) * RB];
        x = x - tt;
      }
      cl[i] = x;
    }
  }

  // Column l brought up to pass `upto` (in an unsafe column the pivot rows of
  // the block are kept aside and caught up one by one); an open column gets
  // its exact maximum.
  void materialize(int l, int upto, bool want_max = true) {
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
        // Pivot rows of the block have 0 as their earlier multipliers, which
        // changes no bit of them unless the column is unsafe: then they are
        // kept aside and caught up on their own.
        float saved[128];
        float* cl = col(l);
        const std::size_t ns = W.unsafe[z(l)] != 0 ? W.special.size() : 0;
        for (std::size_t q = 0; q < ns; ++q) saved[q] = cl[W.special[q] - 1];
        apply_column(cl, slot, pj, nt);
        for (std::size_t q = 0; q < ns; ++q) {
          const int r = W.special[q];
          cl[r - 1] = saved[q];
          catch_up(r, l, upto);
        }
      }
      W.col_stamp[z(l)] = upto;
    }
    if (want_max && use(l) == 0 && W.cur[z(l)] == 0) {
      exact_max(l);
      W.cur[z(l)] = 1;
    }
  }
  // Exact maximum of a current open column and the largest |A| of its other
  // open rows (searches only: the row mask is borrowed for a moment).
  void exact_max(int l) {
    ColMax& cmx = W.cm[z(l)];
    const std::int32_t* mask = W.rowmask.data() + 1;
    kv.max(col(l), mask, n, cmx);
    double others = 0.0;
    if (cmx.row != 0) {
      W.rowmask[z(cmx.row)] = 0;
      ColMax o;
      kv.max(col(l), mask, n, o);
      W.rowmask[z(cmx.row)] = -1;
      others = static_cast<double>(o.big);
    }
    W.ubo[z(l)] = others;
  }

  // Flush: the columns that need every pass of the block (all but those
  // brought up to date during it) take them four at a time over the whole
  // column; the others one by one. In the unsafe ones the pivot rows of the
  // block are then redone. An open column keeps its bound: its maximum is
  // found only if a search needs it. The work is handed out in small pieces to
  // whichever thread is free (the helper may be held up by other work on the
  // machine).
  struct FlushCtx {
    Elim* e;
    int upto;
    std::atomic<int> next_s{0}, next_b{0}, next_r{0};
  };
  static constexpr int kBulkPiece = 16;  // columns (a multiple of four)
  static void flush_part(void* vctx, int) {
    auto* c = static_cast<FlushCtx*>(vctx);
    Elim& e = *c->e;
    Work& W = e.W;
    const int ns = static_cast<int>(W.scols.size()), nbk = static_cast<int>(W.bulk.size());
    for (;;) {
      const int t = c->next_s.fetch_add(1, std::memory_order_relaxed);
      if (t >= ns) break;
      e.materialize(W.scols[z(t)], c->upto, false);
    }
    for (;;) {
      const int t = c->next_b.fetch_add(kBulkPiece, std::memory_order_relaxed);
      if (t >= nbk) break;
      e.flush_bulk(t, std::min(t + kBulkPiece, nbk));
    }
  }
  static void flush_rows(void* vctx, int) {
    auto* c = static_cast<FlushCtx*>(vctx);
    const Work& W = c->e->W;
    const int nsp = static_cast<int>(W.special.size());
    for (;;) {
      const int t = c->next_r.fetch_add(1, std::memory_order_relaxed);
      if (t >= nsp) break;
      c->e->redo_pivot_row(W.special[z(t)], c->upto);
    }
  }
  // Pivot row r of this block, in the columns that took every pass: its value
  // at its pass (kept in P) and the passes after it.
  void redo_pivot_row(int r, int upto) {
    const int j = W.row_stamp[z(r)];
    const int j0 = j - k0 - 1, s1 = upto - k0;
    float dr[64];
    for (int q = j + 1; q <= upto; ++q) dr[q - k0 - 1] = Dv(q, r);
    int l = 1;
    for (; l + 15 <= n; l += 16) {
      std::int32_t incl[16];
      bool any = false;
      for (int q = 0; q < 16; ++q) {
        incl[q] = W.col_stamp[z(l + q)] <= k0 && W.unsafe[z(l + q)] != 0 ? -1 : 0;
        any = any || incl[q] != 0;
      }
      if (any) kv.rowp(&A(r, l), ld, W.P.data() + z(l - 1), z(n), dr, incl, j0, s1);
    }
    for (; l <= n; ++l) {
      if (W.col_stamp[z(l)] > k0 || W.unsafe[z(l)] == 0) continue;
      float x = Pv(j, l);
      for (int q = j + 1; q <= upto; ++q) {
        const float t = Pv(q, l) * dr[q - k0 - 1];
        x = x - t;
      }
      A(r, l) = x;
    }
  }
  void flush_bulk(int lo, int hi) {
    if (lo >= hi) return;
    const int ns = W.flush_to - k0;
    const int nb = n / RB;
    int t4 = lo;
    for (; t4 + 4 <= hi; t4 += 4) {
      float* c4[4];
      const float* p4[4];
      for (int q = 0; q < 4; ++q) {
        const int l = W.bulk[z(t4 + q)];
        c4[q] = col(l);
        p4[q] = W.P.data() + z(l - 1);
      }
      // The passes that change any of the four (the others change no bit).
      int slot[64];
      int nt = 0;
      for (int j = k0 + 1; j <= W.flush_to; ++j) {
        bool any = false;
        for (int q = 0; q < 4; ++q) any = any || !skip(j, W.bulk[z(t4 + q)]);
        if (any) slot[nt++] = j - k0 - 1;
      }
      kv.apply4(c4, p4, z(n), W.Dt.data(), K, slot, nt, nb);
    }
    for (int t = lo; t < hi; ++t) {
      const int l = W.bulk[z(t)];
      float* cl = col(l);
      float pl[64];
      int slot[64];
      for (int q = 0; q < ns; ++q) {
        pl[q] = Pv(k0 + 1 + q, l);
        slot[q] = q;
      }
      if (t >= t4) {
        apply_column(cl, slot, pl, ns);
      } else {
        for (int i = RB * nb; i < n; ++i) {
          float x = cl[i];
          for (int q = 0; q < ns; ++q) {
            const float tq = pl[q] * Dv(k0 + 1 + q, i + 1);
            x = x - tq;
          }
          cl[i] = x;
        }
      }
    }
  }
  // Every column brought up to pass `upto`; the block starts afresh.
  void flush(int upto) {
    if (upto <= k0) return;
    W.scols.clear();
    W.bulk.clear();
    W.flush_to = upto;
    long work = 0;
    for (int l = 1; l <= n; ++l) {
      const int cs = W.col_stamp[z(l)];
      if (cs >= upto) continue;
      if (cs <= k0) {
        bool any = false;
        for (int j = k0 + 1; j <= upto && !any; ++j) any = !skip(j, l);
        if (!any) {  // the block changed no bit of the column
          W.col_stamp[z(l)] = upto;
          continue;
        }
        W.bulk.push_back(l);
      } else {
        W.scols.push_back(l);
      }
      work += upto - std::max(k0, cs);
    }
    const bool two = helper_pays && work * n >= parallel_min;
    FlushCtx ctx;
    ctx.e = this;
    ctx.upto = upto;
    if (two) {
      helper.run(flush_part, &ctx);
    } else {
      flush_part(&ctx, 0);
    }
    // The pivot rows of the block in the unsafe columns that took every pass
    // (in the others the block's update changed no bit of them).
    bool redo = false;
    for (int l : W.bulk) redo = redo || W.unsafe[z(l)] != 0;
    if (redo) {
      if (two && W.special.size() >= 2) {
        helper.run(flush_rows, &ctx);
      } else {
        flush_rows(&ctx, 0);
      }
    }
    for (int l : W.bulk) W.col_stamp[z(l)] = upto;
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
    // A value certainly present in the open block: the best exact maximum, or
    // a followed value of a column that is not current, whichever is larger.
    bool any = found;
    float known = big;
    for (int l = 1; l <= n; ++l) {
      if (use(l) != 0 || W.cur[z(l)] != 0 || W.trow[z(l)] == 0) continue;
      const float v = std::fabs(W.tval[z(l)]);
      if (!any || v > known) {
        known = v;
        any = true;
      }
    }
    // Every other column whose followed value or bound reaches it is brought
    // up to date (a bound that is not a number reaches everything).
    for (int l = 1; l <= n; ++l) {
      if (use(l) != 0 || W.cur[z(l)] != 0) continue;
      if (any) {
        const double f = static_cast<double>(known);
        const bool below = W.ubo[z(l)] < f && (W.trow[z(l)] == 0 || static_cast<double>(std::fabs(W.tval[z(l)])) < f);
        if (below) continue;
      }
      materialize(l, i);
      consider(l);
    }
    if (found) {
      irow = brow;
      icol = bcol;
    }
    return found;
  }

  // The row exchange and pivot row of pass i over the columns, in pieces.
  struct PivCtx {
    Elim* e;
    int r, c, i, base;
    float pivinv;
    float* Pk;
    float dr[64];
    std::atomic<int> next{0};
  };
  static constexpr int kPivPiece = 256;  // columns (a multiple of sixteen)
  static void pivrow_part(void* vctx, int) {
    auto* pc = static_cast<PivCtx*>(vctx);
    const int n = pc->e->n;
    for (;;) {
      const int l0 = 1 + pc->next.fetch_add(kPivPiece, std::memory_order_relaxed);
      if (l0 > n) break;
      pc->e->pivrow_columns(*pc, l0, std::min(n, l0 + kPivPiece - 1));
    }
  }
  void pivrow_columns(const PivCtx& pc, int lo, int hi) {
    const int r = pc.r, c = pc.c, i = pc.i, base = pc.base;
    const int s1 = i - 1 - k0;
    int l = lo;
    for (; l + 15 <= hi; l += 16) {
      std::int32_t first[16];
      int low = s1;
      for (int q = 0; q < 16; ++q) {
        first[q] = std::max(base, W.col_stamp[z(l + q)]) - k0;
        low = std::min(low, static_cast<int>(first[q]));
      }
      kv.pivrow(&A(r, l), &A(c, l), ld, W.P.data() + z(l - 1), z(n), pc.dr, first, low, s1, c - l, pc.pivinv, pc.Pk + (l - 1));
    }
    for (; l <= hi; ++l) {
      catch_up(r, l, i - 1);
      float* cl = col(l);
      const float x = l == c ? 1.0f : cl[r - 1];
      const float y = cl[c - 1];
      const float p = x * pc.pivinv;
      cl[r - 1] = y;
      cl[c - 1] = p;
      pc.Pk[l - 1] = p;
    }
  }

  // Returns the pass whose search found no usable candidate or whose pivot is
  // 0 (n + 1 when none).
  int run(int& irow, int& icol) {
    for (int k = 1; k <= n; ++k) {
      use(k) = 0;
      W.rowmask[z(k)] = -1;
      W.col_stamp[z(k)] = 0;
      W.row_stamp[z(k)] = 0;
      W.special_mark[z(k)] = 0;
      W.cur[z(k)] = 0;
      W.trow[z(k)] = 0;
      W.ubo[z(k)] = HUGE_VAL;  // nothing known yet
    }
    for (int k = 1; k <= n; ++k) {
      unsigned char u = 0;
      const float* cl = col(k);
      for (int j = 0; j < n; ++j) u |= static_cast<unsigned char>(is_neg_zero(cl[j]) || is_snan(cl[j]));
      W.unsafe[z(k)] = u;
    }
    W.special.clear();
    k0 = 0;
    if (!search(0, irow, icol)) return 1;

    for (int i = 1; i <= n; ++i) {
      if ((i & 15) == 0) progress_fraction(i, n);
      const int r = irow, c = icol;
      ++use(c);
      W.rowmask[z(c)] = 0;
      W.indxr[z(i)] = r;
      W.indxc[z(i)] = c;
      // The pivot column won the search: it is current.
      if (A(r, c) == 0.0f) return i;
      const float pivinv = 1.0f / A(r, c);
      const std::size_t s = z(i - k0 - 1);
      float* Pk = W.P.data() + s * z(n);
      // Row exchange and pivot row in one pass over the columns: row r's
      // content brought up to date, normalised and kept for the held-back
      // updates goes to row c; row c's content goes to row r as it stands,
      // its held-back multipliers and stamp with it (both are open rows,
      // neither a pivot row of this block).
      {
        PivCtx pc;
        pc.e = this;
        pc.r = r;
        pc.c = c;
        pc.i = i;
        pc.base = std::max(k0, W.row_stamp[z(r)]);
        pc.pivinv = pivinv;
        pc.Pk = Pk;
        for (int j = pc.base + 1; j <= i - 1; ++j) pc.dr[j - k0 - 1] = Dv(j, r);
        // Large passes are shared with the helper, in pieces of columns.
        if (helper_pays && static_cast<long>(n) * 128 >= parallel_min && n >= 2 * kPivPiece) {
          helper.run(pivrow_part, &pc);
        } else {
          pivrow_part(&pc, 0);
        }
      }
      for (int l = 1; l <= n; ++l)
        if (is_neg_zero(Pk[l - 1]) || !std::isfinite(Pk[l - 1])) W.unsafe[z(l)] = 1;
      if (r != c) {
        for (int j = k0 + 1; j < i; ++j) {
          const std::size_t sj = z(j - k0 - 1) * RB;
          std::swap(W.Dt[(z(r - 1) / RB) * z(K) * RB + sj + z(r - 1) % RB], W.Dt[(z(c - 1) / RB) * z(K) * RB + sj + z(c - 1) % RB]);
        }
        std::swap(W.row_stamp[z(r)], W.row_stamp[z(c)]);
        std::swap(b[r - 1], b[c - 1]);
      }
      // The pivot row is current: its earlier held-back multipliers become 0.
      for (int j = k0 + 1; j < i; ++j) W.Dt[(z(c - 1) / RB) * z(K) * RB + z(j - k0 - 1) * RB + z(c - 1) % RB] = 0.0f;
      b[c - 1] = b[c - 1] * pivinv;
      mark_special(c);
      W.row_stamp[z(c)] = i;
      // Multipliers: the pivot column (rows other than c); the column itself
      // becomes 0 - pivinv*dum.
      float* cc = col(c);
      bool fin = true;
      float dmax = 0.0f;
      const std::size_t bs = z(K) * RB;
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
        W.Dt[(i0 / RB) * bs + s * RB + i0 % RB] = dv;
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
      // Open columns. One that is current and that the pass leaves unchanged
      // keeps its maximum (rows r and c exchanged, row c out of the search).
      // Any other follows one open row exactly (its value gets the pass's own
      // operation) and bounds the others: a new value is fl(x - fl(p*dum)), at
      // most (|x| + |p|*|dum|)*(1 + 2^-24)*(1 + 2^-23) in magnitude, so growing
      // the bound by |p|*max|dum| with the factor 1 + 2^-22 (and 2^-126 for
      // values below the normal range) keeps it a bound. Row c's content moved
      // to row r; row r's became the pivot row.
      const double grow = fin ? static_cast<double>(dmax) : HUGE_VAL;
      for (int l = 1; l <= n; ++l) {
        if (use(l) != 0) continue;
        ColMax& cmx = W.cm[z(l)];
        const float p = Pk[l - 1];
        const bool unchanged = fin && W.unsafe[z(l)] == 0 && p == 0.0f;
        int& t = W.trow[z(l)];
        double& u = W.ubo[z(l)];
        if (W.cur[z(l)] != 0) {
          if (unchanged) {
            if (cmx.row == 0 || cmx.row == r || cmx.row == c) {
              exact_max(l);
            } else if (r != c) {
              const float v = std::fabs(A(r, l));
              if (v > cmx.big || (v == cmx.big && r > cmx.row)) {
                u = std::max(u, static_cast<double>(cmx.big));
                cmx.big = v;
                cmx.row = r;
              }
            }
            continue;
          }
          W.cur[z(l)] = 0;
          t = cmx.row;
          if (t == r) {  // its content became the pivot row
            u = std::max(u, static_cast<double>(cmx.big));
            t = 0;
          } else if (t == c) {
            t = r;
          }
          if (t != 0) W.tval[z(l)] = A(t, l);
        } else {
          if (t != 0 && t == r) {
            u = std::max(u, static_cast<double>(std::fabs(W.tval[z(l)])));
            if (!(u >= 0.0)) u = HUGE_VAL;
            t = 0;
          } else if (t == c) {
            t = r;
          }
          if (unchanged) continue;
        }
        if (t != 0) {
          const float tt = p * d[t - 1];
          W.tval[z(l)] = W.tval[z(l)] - tt;
        }
        u = (u + static_cast<double>(std::fabs(p)) * grow) * (1.0 + 0x1p-22) + 0x1p-126;
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

struct GaussjWork::Impl {
  Work work;
  Helper helper;
};

GaussjWork::GaussjWork(unsigned cores) : cores_(cores), impl_(std::make_unique<Impl>()) {}
GaussjWork::~GaussjWork() = default;

void GaussjWork::reserve(int n) { impl_->work.size_to(n, std::clamp(settings.block, 1, 64)); }

const char* gaussj_instruction_set(int allowed) {
  static const char* const names[] = {"SSE2", "AVX2", "AVX-512"};
  return names[isa_in_use(allowed)];
}

bool gaussj(GaussjWork& w, float* a, int n, int lda, float* b) {
  if (n < 1) return true;
  const GaussjSettings& s = w.settings;
  const int K = std::clamp(s.block, 1, 64);
  Work& W = w.impl_->work;
  W.size_to(n, K);
  const std::size_t ld = static_cast<std::size_t>(lda);
  int irow = 1, icol = 1;
  Elim e{a, ld, n, b, W, w.impl_->helper, w.cores_ >= 2, s.parallel_min, kernels(std::clamp(s.isa, 0, 2)), K};
  if (e.run(irow, icol) <= n) return false;

  // Unscramble the inverse: undo the row exchanges by column exchanges.
  for (int l = n; l >= 1; --l) {
    const int r = W.indxr[static_cast<std::size_t>(l)], c = W.indxc[static_cast<std::size_t>(l)];
    if (r == c) continue;
    float* cr = a + static_cast<std::size_t>(r - 1) * ld;
    float* cc = a + static_cast<std::size_t>(c - 1) * ld;
    for (int k = 0; k < n; ++k) std::swap(cr[k], cc[k]);
  }
  return true;
}

}  // namespace korvant
