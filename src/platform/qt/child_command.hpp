#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/expected.hpp"

class QProcess;

namespace orvane {

// One run of a helper program (wl-paste, wl-copy) that must not hold up the main thread
// for long nor flood it: it gets a deadline and a cap on what it may print, and is killed
// and reaped when it passes either.
struct ChildCommand {
  std::string program;
  std::vector<std::string> arguments;
  // Written to the child's standard input, which is then closed; none gives it
  // /dev/null.
  std::optional<std::string> input;
  std::chrono::milliseconds deadline{3000};
  std::size_t outputLimit = 256 * 1024;
  // False sends standard output and error to /dev/null: for a program that leaves a
  // process of its own behind (wl-copy serves its text until replaced), which would
  // otherwise keep our pipes open for as long as it lives.
  bool keepsOutput = true;
};

struct ChildResult {
  int exitCode = 0;
  std::string output;  // standard output, at most outputLimit bytes
  std::string errors;  // the start of standard error, for messages
};

enum class ChildFailure { notStarted, crashed, overran, tooMuchOutput };

struct ChildError {
  ChildFailure failure;
  std::string message;
};

// Runs the command to its end on the calling thread without running the event loop.
// An exit with any status is a result; not starting, a crash, the deadline and the
// output cap are errors.
expected<ChildResult, ChildError> run(const ChildCommand& command);

// Makes `process` start its program with none of our descriptors beyond 0, 1 and 2.
// Sockets opened without close-on-exec (Asio's listening and connected sockets) would
// otherwise live on in wl-copy's server process after we quit, and keep our port taken.
void inheritNoDescriptors(QProcess& process);

}  // namespace orvane
