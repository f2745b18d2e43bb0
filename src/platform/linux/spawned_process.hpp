#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/expected.hpp"

namespace orvane {

// A child program whose standard output we read through a pipe. Standard input and
// standard error are /dev/null: nothing is written to it, and what it says about its
// troubles is not ours to read (a pipe nobody reads fills up and stalls the child).
//
// The child gets none of our descriptors but the three (the server's sockets must not
// live on in it), its own process group, so that ending it ends whatever it started,
// and SIGTERM should this program die without ending it. Destroying the object ends
// a child still running and reaps it: no child outlives its owner, none stays a zombie.
class SpawnedProcess {
 public:
  // Starts `program` (a path; no search) with `arguments` (argv[0] included).
  static expected<SpawnedProcess, std::string> start(const std::string& program,
                                                     const std::vector<std::string>& arguments);

  SpawnedProcess(SpawnedProcess&& other) noexcept;
  SpawnedProcess& operator=(SpawnedProcess&& other) noexcept;
  SpawnedProcess(const SpawnedProcess&) = delete;
  SpawnedProcess& operator=(const SpawnedProcess&) = delete;
  ~SpawnedProcess();

  pid_t pid() const { return pid_; }
  // The read end of the child's standard output, non-blocking; -1 once closed.
  int output() const { return output_; }
  void closeOutput();

  // The wait status (as waitpid gives it) once the child has ended; none while it runs.
  std::optional<int> poll();
  // Asks the child (and its group) to end with SIGTERM, waits up to `grace` for it,
  // then kills it; returns once it is reaped.
  void terminate(std::chrono::milliseconds grace = std::chrono::milliseconds(1000));

 private:
  SpawnedProcess(pid_t pid, int output) : pid_(pid), output_(output) {}
  void release();

  pid_t pid_ = -1;
  int output_ = -1;
  std::optional<int> status_;
};

}  // namespace orvane
