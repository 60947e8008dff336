// Tables of the model store: 1-based, column-major, sized to the model being run.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace korvant {

// A table entry written outside its table: a fault of the program, not of the data.
[[noreturn]] inline void out_of_bounds(int i, int j, int n1, int n2) {
  std::fprintf(stderr, "korvant: entrada (%d, %d) fuera de una tabla de %d x %d\n", i, j, n1, n2);
  std::abort();
}

// One-dimensional table indexed from 1. `size_to(n)` makes entries 1..n (all `init`).
template <class T>
struct Tab1 {
  std::vector<T> v;
  void size_to(int n, T init = T{}) { v.assign(static_cast<std::size_t>(n < 0 ? 0 : n) + 1, init); }
  void fill(T x) { for (auto& e : v) e = x; }
  int size() const { return v.empty() ? 0 : static_cast<int>(v.size()) - 1; }
  T& operator()(int i) {
    assert(i >= 1 && i < static_cast<int>(v.size()));
    return v[static_cast<std::size_t>(i)];
  }
  const T& operator()(int i) const {
    assert(i >= 1 && i < static_cast<int>(v.size()));
    return v[static_cast<std::size_t>(i)];
  }
  T* data1() { return v.data() + 1; }  // pointer to entry 1
  const T* data1() const { return v.data() + 1; }
};

// Two-dimensional table (i, j), both from 1, stored column by column.
template <class T>
struct Tab2 {
  std::vector<T> v;
  int n1 = 0, n2 = 0;
  void size_to(int a, int b, T init = T{}) {
    n1 = a < 0 ? 0 : a;
    n2 = b < 0 ? 0 : b;
    v.assign(static_cast<std::size_t>(n1) * static_cast<std::size_t>(n2), init);
  }
  void fill(T x) { for (auto& e : v) e = x; }
  // Columns up to b, the new ones all `init`; the entries already there keep
  // their places (the store is column by column).
  void widen_to(int b, T init = T{}) {
    if (b <= n2) return;
    v.resize(static_cast<std::size_t>(n1) * static_cast<std::size_t>(b), init);
    n2 = b;
  }
  T& operator()(int i, int j) {
    assert(i >= 1 && i <= n1 && j >= 1 && j <= n2);
    return v[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n1) + static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(int i, int j) const {
    assert(i >= 1 && i <= n1 && j >= 1 && j <= n2);
    return v[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n1) + static_cast<std::size_t>(i - 1)];
  }
  T* col(int j) { return v.data() + static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(n1); }  // &(1, j)
  // (i, j) checked in every build, for the places that fill a table from the
  // data file: an entry outside the table ends the program at once.
  T& checked(int i, int j) {
    if (!(i >= 1 && i <= n1 && j >= 1 && j <= n2)) out_of_bounds(i, j, n1, n2);
    return (*this)(i, j);
  }
};

// Three-dimensional table (i, j, k), first index fastest.
template <class T>
struct Tab3 {
  std::vector<T> v;
  int n1 = 0, n2 = 0, n3 = 0;
  void size_to(int a, int b, int c, T init = T{}) {
    n1 = a < 0 ? 0 : a;
    n2 = b < 0 ? 0 : b;
    n3 = c < 0 ? 0 : c;
    v.assign(static_cast<std::size_t>(n1) * n2 * n3, init);
  }
  void fill(T x) { for (auto& e : v) e = x; }
  T& operator()(int i, int j, int k) {
    assert(i >= 1 && i <= n1 && j >= 1 && j <= n2 && k >= 1 && k <= n3);
    return v[(static_cast<std::size_t>(k - 1) * n2 + static_cast<std::size_t>(j - 1)) * n1 + static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(int i, int j, int k) const {
    assert(i >= 1 && i <= n1 && j >= 1 && j <= n2 && k >= 1 && k <= n3);
    return v[(static_cast<std::size_t>(k - 1) * n2 + static_cast<std::size_t>(j - 1)) * n1 + static_cast<std::size_t>(i - 1)];
  }
};

// Four-dimensional table (i, j, k, l), first index fastest.
template <class T>
struct Tab4 {
  std::vector<T> v;
  int n1 = 0, n2 = 0, n3 = 0, n4 = 0;
  void size_to(int a, int b, int c, int d, T init = T{}) {
    n1 = a < 0 ? 0 : a;
    n2 = b < 0 ? 0 : b;
    n3 = c < 0 ? 0 : c;
    n4 = d < 0 ? 0 : d;
    v.assign(static_cast<std::size_t>(n1) * n2 * n3 * n4, init);
  }
  void fill(T x) { for (auto& e : v) e = x; }
  std::size_t at(int i, int j, int k, int l) const {
    assert(i >= 1 && i <= n1 && j >= 1 && j <= n2 && k >= 1 && k <= n3 && l >= 1 && l <= n4);
    return ((static_cast<std::size_t>(l - 1) * n3 + static_cast<std::size_t>(k - 1)) * n2 + static_cast<std::size_t>(j - 1)) * n1 +
           static_cast<std::size_t>(i - 1);
  }
  T& operator()(int i, int j, int k, int l) { return v[at(i, j, k, l)]; }
  const T& operator()(int i, int j, int k, int l) const { return v[at(i, j, k, l)]; }
};

// Lists of entries, one list per row i, each only as long as it is: entry k of
// list i is (i, k), both from 1. The lists lie one after another in one array,
// so the table holds the entries listed plus one offset per list.
template <class T>
struct ListTab {
  std::vector<T> v;
  std::vector<std::size_t> start{0};  // list i is v[start[i - 1] .. start[i])
  void clear() {
    v.clear();
    start.assign(1, 0);
  }
  int lists() const { return static_cast<int>(start.size()) - 1; }
  // Appends list lists() + 1 with n entries (none when n < 1), all `init`.
  void add_list(int n, T init = T{}) {
    v.resize(v.size() + static_cast<std::size_t>(n < 0 ? 0 : n), init);
    start.push_back(v.size());
  }
  int size(int i) const {
    assert(i >= 1 && i <= lists());
    return static_cast<int>(start[static_cast<std::size_t>(i)] - start[static_cast<std::size_t>(i - 1)]);
  }
  std::size_t entries() const { return v.size(); }
  T& operator()(int i, int k) {
    assert(i >= 1 && i <= lists() && k >= 1 && k <= size(i));
    return v[start[static_cast<std::size_t>(i - 1)] + static_cast<std::size_t>(k - 1)];
  }
  const T& operator()(int i, int k) const {
    assert(i >= 1 && i <= lists() && k >= 1 && k <= size(i));
    return v[start[static_cast<std::size_t>(i - 1)] + static_cast<std::size_t>(k - 1)];
  }
};

// A matrix by compressed columns, indexed from 1: column j holds values[k] in
// rows row[k] (ascending), k = col_start[j - 1] .. col_start[j] - 1. The
// pattern is made once; entries outside it read as 0 and cannot be written.
template <class T>
struct SparseTab {
  int n1 = 0, n2 = 0;
  std::vector<int> col_start, row;
  std::vector<T> values;
  // Position of (i, j) in `values`, -1 outside the pattern.
  long find(int i, int j) const {
    if (j < 1 || j > n2) return -1;
    int lo = col_start[static_cast<std::size_t>(j - 1)], hi = col_start[static_cast<std::size_t>(j)];
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (row[static_cast<std::size_t>(mid)] < i) lo = mid + 1;
      else hi = mid;
    }
    return lo < col_start[static_cast<std::size_t>(j)] && row[static_cast<std::size_t>(lo)] == i ? lo : -1;
  }
  T operator()(int i, int j) const {
    const long p = find(i, j);
    return p < 0 ? T{} : values[static_cast<std::size_t>(p)];
  }
  // (i, j) to be written; outside the pattern it is a fault of the program.
  T& at(int i, int j) {
    const long p = find(i, j);
    if (p < 0) out_of_bounds(i, j, n1, n2);
    return values[static_cast<std::size_t>(p)];
  }
  std::size_t nonzeros() const { return values.size(); }
};

}  // namespace korvant
