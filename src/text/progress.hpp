// A line on the error stream that tells a person what a long run is doing
// (the case and pass, the step, how far the step is, the time so far),
// rewritten in place at most ten times a second. It is written only when the
// error stream is a terminal and the user did not ask for silence: files,
// pipes and tests see nothing of it.
//
// Every call of progress_fraction() is also a point where an interruption
// asked for by a signal ends the run (stop_if_interrupted), so that the long
// loops that call it (the pivots of gaussj, the rows of a flexibility matrix)
// obey Ctrl-C at once.
#pragma once

#include <string>

namespace korvant {

// From main: whether the line is drawn, and whether the terminal wants UTF-8.
void progress_enable(bool on, bool utf8);
// The case and pass being solved (Latin-1), from the driver.
void progress_pass(const std::string& what);
// The step of the pass ("flexibilidad", "solución", "Newton 3 de 20").
void progress_step(const std::string& what);
// How far the step is: `done` of `total`.
void progress_fraction(long done, long total);
// Erases the line (before other text reaches the console, and at the end).
void progress_hide() noexcept;

}  // namespace korvant
