// The one way a run ends early: a Fatal carries the exit status and the message
// for the console. It is thrown where the condition is found and caught by main,
// which writes the message, flushes every file written so far and exits.
#pragma once

#include <string>

namespace korvant {

// Exit statuses of the program.
namespace status {
constexpr int OK = 0;
constexpr int BAD_DATA = 1;     // data file that cannot be read or is rejected
constexpr int USAGE = 2;        // wrong command-line use
constexpr int SINGULAR = 3;     // singular system in gaussj
constexpr int OUTPUT = 4;       // output file that cannot be created or written
}  // namespace status

struct Fatal {
  int status;
  std::string message;  // Latin-1; empty when the message was already written
};

}  // namespace korvant
