// Gauss-Jordan elimination with full pivoting, in place: the right-hand side
// becomes the solution and the matrix its inverse.
//
// The elimination is the textbook one, pivot by pivot; the loops only visit the
// column-major store column by column. Every element still receives exactly the
// same single operations with the same operands as in the row-by-row form, so the
// results are identical to the last bit:
//  - pivot search: of the largest |A(j,k)| among unpivoted rows and columns, the
//    last one in row-major scan order (rows outer, >= comparisons) is taken; a
//    column-by-column scan finds the same element by keeping, per column, the
//    last row holding the column's maximum and then preferring the larger row
//    (and, on the same row, the larger column) among equal maxima;
//  - reduction: each A(ll,l) -= A(icol,l)*dum(ll) is independent of the others,
//    the multipliers dum(ll) being taken before the pivot column is cleared.
#include <cmath>
#include <cstddef>
#include <vector>

#include "model/fatal.hpp"
#include "output/free_format.hpp"
#include "solve/solve.hpp"

namespace korvant {

namespace {

// Work arrays kept between calls (grown on first need, set afresh at every call).
std::vector<int> ipiv, indxr, indxc;
std::vector<float> dum;

void singular_line(OutFile& con) { lst(con, "singular matrix in gaussj"); }

}  // namespace

void gaussj(float* a, int n, int lda, float* b, OutFile& con) {
  if (n < 1) return;
  const std::size_t un = static_cast<std::size_t>(n);
  if (ipiv.size() < un + 1) {
    ipiv.resize(un + 1);
    indxr.resize(un + 1);
    indxc.resize(un + 1);
    dum.resize(un + 1);
  }
  const std::size_t ld = static_cast<std::size_t>(lda);
  // A(j,k), both from 1.
  auto A = [a, ld](int j, int k) -> float& {
    return a[static_cast<std::size_t>(k - 1) * ld + static_cast<std::size_t>(j - 1)];
  };
  auto B = [b](int j) -> float& { return b[j - 1]; };
  auto use = [](int k) -> int& { return ipiv[static_cast<std::size_t>(k)]; };

  for (int j = 1; j <= n; ++j) use(j) = 0;
  // When a pass finds no usable candidate (only values that are not numbers),
  // the pivot of the pass before is taken again.
  int irow = 1, icol = 1;

  for (int i = 1; i <= n; ++i) {
    // Pivot search.
    int rows_open = 0;  // rows whose use count is not 1
    for (int j = 1; j <= n; ++j)
      if (use(j) != 1) ++rows_open;
    bool found = false;
    float big = 0.0f;
    int brow = 0, bcol = 0;
    int over_used = 0;  // columns pivoted more than once
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
        if (v >= cbig) {  // false for a value that is not a number
          cbig = v;
          crow = j;
          cfound = true;
        }
      }
      if (!cfound) continue;
      // Equal maxima: the later row wins, and on the same row the later column.
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
      for (int l = 1; l <= n; ++l) {
        const float t = A(irow, l);
        A(irow, l) = A(icol, l);
        A(icol, l) = t;
      }
      const float t = B(irow);
      B(irow) = B(icol);
      B(icol) = t;
    }
    indxr[static_cast<std::size_t>(i)] = irow;
    indxc[static_cast<std::size_t>(i)] = icol;
    if (A(icol, icol) == 0.0f) {
      singular_line(con);
      throw Fatal{status::SINGULAR, ""};
    }
    const float pivinv = 1.0f / A(icol, icol);
    A(icol, icol) = 1.0f;
    for (int l = 1; l <= n; ++l) A(icol, l) = A(icol, l) * pivinv;
    B(icol) = B(icol) * pivinv;

    // Multipliers of every other row, then the pivot column cleared.
    for (int ll = 1; ll <= n; ++ll) {
      if (ll == icol) continue;
      dum[static_cast<std::size_t>(ll)] = A(ll, icol);
      A(ll, icol) = 0.0f;
    }
    const float* dm = dum.data();
    for (int l = 1; l <= n; ++l) {
      float* coll = &A(1, l);
      const float piv = coll[icol - 1];
      for (int ll = 1; ll < icol; ++ll) coll[ll - 1] = coll[ll - 1] - piv * dm[ll];
      for (int ll = icol + 1; ll <= n; ++ll) coll[ll - 1] = coll[ll - 1] - piv * dm[ll];
    }
    const float bp = B(icol);
    for (int ll = 1; ll <= n; ++ll) {
      if (ll == icol) continue;
      B(ll) = B(ll) - bp * dm[ll];
    }
  }

  // Unscramble the inverse: undo the row exchanges by column exchanges.
  for (int l = n; l >= 1; --l) {
    const int r = indxr[static_cast<std::size_t>(l)], c = indxc[static_cast<std::size_t>(l)];
    if (r == c) continue;
    float* cr = &A(1, r);
    float* cc = &A(1, c);
    for (int k = 0; k < n; ++k) {
      const float t = cr[k];
      cr[k] = cc[k];
      cc[k] = t;
    }
  }
}

}  // namespace korvant
