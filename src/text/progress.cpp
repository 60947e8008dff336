#include "text/progress.hpp"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "text/charset.hpp"
#include "text/out_file.hpp"

namespace korvant {

namespace {

using Clock = std::chrono::steady_clock;

// The one line of the process's error stream. Only the thread that turned it
// on (the run's) draws it: the samples of a study, solved on other threads,
// pass by without touching it.
struct State {
  std::atomic<bool> on{false};
  std::thread::id owner;
  bool utf8 = false, shown = false;
  Clock::time_point start = Clock::now(), drawn{};
  std::string pass, step;
  long done = 0, total = 0;
  std::string line;  // scratch, kept for the run
} g;

void draw(bool force) {
  const Clock::time_point now = Clock::now();
  if (!force && now - g.drawn < std::chrono::milliseconds(100)) return;
  g.drawn = now;
  const long s = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(now - g.start).count());
  std::string text = g.pass.empty() ? std::string("preparando el modelo") : g.pass;
  if (!g.step.empty()) text += ": " + g.step;
  if (g.total > 0) text += " " + std::to_string(g.done * 100 / g.total) + "%";
  char t[32];
  if (s >= 60) std::snprintf(t, sizeof t, " (%ld min %02ld s)", s / 60, s % 60);
  else std::snprintf(t, sizeof t, " (%ld s)", s);
  text += t;
  if (text.size() > 78) text.resize(78);
  g.line = "\r";
  if (g.utf8) latin1_to_utf8(g.line, text);
  else g.line += text;
  g.line += "\x1b[K";
  std::fflush(stderr);
  if (::write(2, g.line.data(), g.line.size()) < 0) g.on = false;
  g.shown = true;
}

bool mine() { return g.on.load(std::memory_order_acquire) && std::this_thread::get_id() == g.owner; }

}  // namespace

void progress_enable(bool on, bool utf8) {
  g.owner = std::this_thread::get_id();
  g.utf8 = utf8;
  g.start = Clock::now();
  g.on.store(on, std::memory_order_release);
}

void progress_pass(const std::string& what) {
  if (!mine()) return;
  g.pass = what;
  g.step.clear();
  g.total = 0;
  draw(false);
}

void progress_step(const std::string& what) {
  stop_if_interrupted();
  if (!mine()) return;
  g.step = what;
  g.total = 0;
  draw(false);
}

void progress_fraction(long done, long total) {
  stop_if_interrupted();
  if (!mine()) return;
  g.done = done;
  g.total = total;
  draw(false);
}

void progress_hide() noexcept {
  if (!mine() || !g.shown) return;
  g.shown = false;
  g.drawn = Clock::time_point{};
  static const char erase[] = "\r\x1b[K";
  if (::write(2, erase, sizeof erase - 1) < 0) g.on = false;
}

}  // namespace korvant
