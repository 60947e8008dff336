#include "model/memory.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>
#include <utility>

#include "text/fatal.hpp"

namespace korvant {

namespace {

using u64 = std::uint64_t;

u64 cnt(int v) { return v > 0 ? static_cast<u64>(v) : 0; }

// a*b*..., saturating at the largest value instead of wrapping around.
u64 mul(u64 a, u64 b) {
  if (a != 0 && b > std::numeric_limits<u64>::max() / a) return std::numeric_limits<u64>::max();
  return a * b;
}
u64 add(u64 a, u64 b) { return b > std::numeric_limits<u64>::max() - a ? std::numeric_limits<u64>::max() : a + b; }

// A whole number with an optional K, M, G or T (powers of 1024); 0 when the
// text is not one.
u64 parse_size(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  u64 v = 0;
  std::size_t i = 0;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
    if (v > (std::numeric_limits<u64>::max() - 9) / 10) return 0;
    v = v * 10 + static_cast<u64>(s[i] - '0');
  }
  if (i == 0) return 0;
  u64 unit = 1;
  if (i < s.size()) {
    switch (std::toupper(static_cast<unsigned char>(s[i]))) {
      case 'K': unit = u64{1} << 10; break;
      case 'M': unit = u64{1} << 20; break;
      case 'G': unit = u64{1} << 30; break;
      case 'T': unit = u64{1} << 40; break;
      default: return 0;
    }
    ++i;
    if (i < s.size() && std::toupper(static_cast<unsigned char>(s[i])) == 'B') ++i;
  }
  if (i != s.size()) return 0;
  return mul(v, unit);
}

// First number of a file, or 0 when there is none ("max" of a cgroup without limit).
u64 read_number(const std::string& path) {
  std::ifstream in(path);
  std::string s;
  if (!(in >> s)) return 0;
  u64 v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    if (v > (std::numeric_limits<u64>::max() - 9) / 10) return 0;
    v = v * 10 + static_cast<u64>(c - '0');
  }
  return v;
}

// The smallest memory limit of the cgroups of this process (version 2 and
// version 1), walking up from its own group; 0 when there is none.
u64 cgroup_limit() {
  u64 best = 0;
  auto take = [&](u64 v) {
    // Version 1 writes "no limit" as a number near 2^63.
    if (v != 0 && v < (u64{1} << 60) && (best == 0 || v < best)) best = v;
  };
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t a = line.find(':'), b = a == std::string::npos ? a : line.find(':', a + 1);
    if (b == std::string::npos) continue;
    const std::string controllers = line.substr(a + 1, b - a - 1);
    std::string path = line.substr(b + 1);
    std::string root, file;
    if (controllers.empty()) {
      root = "/sys/fs/cgroup";
      file = "memory.max";
    } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
      root = "/sys/fs/cgroup/memory";
      file = "memory.limit_in_bytes";
    } else {
      continue;
    }
    // In a container the group's path may be the host's: the root of the
    // mount is then the group itself; both are looked at.
    take(read_number(root + "/" + file));
    while (!path.empty() && path != "/") {
      take(read_number(root + path + "/" + file));
      path.resize(path.rfind('/'));
    }
  }
  return best;
}

}  // namespace

u64 peak_memory(const Model& m) {
  const u64 NN = cnt(m.NN), NB = cnt(m.NB), NLOS = cnt(m.NLOS), NZAP = cnt(m.NZAP);
  const u64 NGRED = cnt(m.NGRED), NR = cnt(m.NR), MR = cnt(m.MR);
  const u64 S = std::max<u64>(cnt(strata_width(m)), 1);
  const u64 NTOT = NGRED + NR + MR;
  const u64 f4 = sizeof(float);

  u64 b = u64{12} << 20;  // the program, its libraries and the buffers of its files
  // Tables by node and by degree of freedom (six per node), by bar (its
  // geometry, loads, numbering and end forces, and its section's name), by
  // slab, by footing, by material and section, by profile and stratum, by axis.
  b = add(b, mul(NN, 512));
  b = add(b, mul(NB, 320));
  b = add(b, mul(NLOS, 128));
  b = add(b, mul(NZAP, 64));
  b = add(b, mul(cnt(m.NMAT) + cnt(m.NSEC), 160));
  b = add(b, mul(mul(cnt(m.NPS) + NR, S), 160));
  b = add(b, mul(cnt(m.NEJES), 128));
  if (m.method.sparse_solver()) {
    // The sparse path: akr by compressed columns (a bar couples 12 degrees of
    // freedom; a foundation bar also loads two reaction columns), the coupled
    // matrix in double with its dense soil block of NR + MR reactions, and its
    // LU: the frame block's fill-in (14 times the frame's entries, index and
    // value) plus the dense soil block, L and U with UMFPACK's frontal
    // workspace (6 doubles per entry). Measured peaks: 293 MB for a
    // 30 x 30 x 2 building (estimate 366 MB), 1.47 GB for a 50 x 50 x 1 grid
    // (estimate between 1.4 and 1.6 GB).
    const u64 NRT = NR + MR;
    const u64 frame = mul(NB, 12 * 12 + 2 * 12) + MR;
    b = add(b, mul(frame, 8));
    b = add(b, mul(add(frame, mul(NRT, NRT)), 12));
    b = add(b, mul(mul(frame, 14), 16));
    b = add(b, mul(mul(NRT, NRT), 48));
    b = add(b, mul(NTOT, 8 * 16));
  } else {
    // The frame matrix akr (NGRED rows, NTOT columns) and the square work
    // matrix of the solve, both held while the system is solved.
    b = add(b, mul(mul(NGRED, NTOT), f4));
    b = add(b, mul(mul(NTOT, NTOT), f4));
    // Vectors of the solve and of the elimination (held-back pivot rows and
    // multipliers of up to 64 pivots, marks by row and column).
    b = add(b, mul(NTOT, 2 * 64 * f4 + 160));
  }
  // FLEX, and the influence tables IX, IY, IZ, AINF (point, stratum,
  // reaction, two directions) with their sums.
  b = add(b, mul(mul(NR + MR, NR + MR), f4));
  // Layered footings add a point and a rectangle per footing reaction.
  const u64 NI = NR + (m.method.layered_footings() ? MR : 0);
  b = add(b, mul(mul(mul(mul(NI, NI), S), 4 * 2), f4));
  return b;
}

namespace {

// The limits the process was given on its address space and its data
// (ulimit -v, ulimit -d): a run cannot take more, whatever the machine has.
void take_process_limits(Available& r) {
  const std::pair<int, const char*> limits[] = {{RLIMIT_AS, "límite de memoria del proceso, ulimit -v"},
                                                {RLIMIT_DATA, "límite de datos del proceso, ulimit -d"}};
  for (const auto& [which, source] : limits) {
    rlimit lim{};
    if (::getrlimit(which, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY) continue;
    const u64 v = static_cast<u64>(lim.rlim_cur);
    if (v < r.bytes) {
      r.bytes = v;
      r.source = source;
    }
  }
}

}  // namespace

std::uint64_t size_setting(std::string_view text) { return parse_size(text); }

Available available_memory() {
  Available r;
  if (const char* v = std::getenv(kMemoryVariable); v != nullptr) {
    r.source = std::string("la variable ") + kMemoryVariable;
    r.bytes = parse_size(v);
    if (r.bytes == 0)
      throw Fatal{status::USAGE, std::string("Error: la variable de entorno ") + kMemoryVariable + " vale \"" + v +
                                     "\"; debe ser un número de bytes, con K, M, G o T si se quiere (por ejemplo 8G)"};
    take_process_limits(r);
    return r;
  }
  const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
  r.bytes = pages > 0 && page > 0 ? mul(static_cast<u64>(pages), static_cast<u64>(page)) : 0;
  r.source = "memoria física";
  const u64 cg = cgroup_limit();
  if (cg != 0 && (r.bytes == 0 || cg < r.bytes)) {
    r.bytes = cg;
    r.source = "límite de memoria del contenedor";
  }
  if (r.bytes == 0) r.bytes = std::numeric_limits<u64>::max();
  take_process_limits(r);
  return r;
}

std::string memory_shortfall(const Model& m, u64 extra) {
  const Available a = available_memory();
  const u64 need = add(peak_memory(m), extra);
  if (need <= a.bytes) return {};
  return "el análisis necesita unos " + size_text(need) + " de memoria y hay " + size_text(a.bytes) + " (" + a.source +
         "); reduzca el modelo o, si sabe que la máquina tiene más, dé la memoria en la variable de entorno " +
         kMemoryVariable + " (por ejemplo " + kMemoryVariable + "=64G)";
}

std::string size_text(u64 bytes) {
  static const char* const units[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};
  double v = static_cast<double>(bytes);
  int u = 0;
  while (v >= 1024.0 && u < 6) {
    v /= 1024.0;
    ++u;
  }
  char buf[32];
  if (u == 0) std::snprintf(buf, sizeof buf, "%llu bytes", static_cast<unsigned long long>(bytes));
  else if (v < 100.0) std::snprintf(buf, sizeof buf, "%.1f %s", v, units[u]);
  else std::snprintf(buf, sizeof buf, "%.0f %s", v, units[u]);
  std::string s = buf;
  // Decimal comma, as in the rest of the messages.
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

}  // namespace korvant
