#include "platform/linux/spawned_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

namespace orvane {

namespace {

std::string systemError(const std::string& what, int error) { return what + ": " + std::strerror(error); }

void closeQuietly(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// The child's side, between fork and exec: async-signal-safe calls only. Never returns.
[[noreturn]] void becomeChild(pid_t parent, int devNull, int outputWrite, int errorWrite, const char* program,
                              char* const* argv) {
  ::setpgid(0, 0);
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  // The parent may have died before the line above: then nobody would ever end us.
  if (::getppid() != parent) ::_exit(127);
  // Our handlers and ignored signals are no business of the child's.
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  if (::dup2(devNull, STDIN_FILENO) < 0 || ::dup2(outputWrite, STDOUT_FILENO) < 0 ||
      ::dup2(devNull, STDERR_FILENO) < 0) {
    const int error = errno;
    [[maybe_unused]] auto n = ::write(errorWrite, &error, sizeof error);
    ::_exit(127);
  }
  // Everything else closes on exec, the error pipe too, whose closing tells the parent
  // that exec worked.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd < 65536; ++fd) {
      if (fd != errorWrite) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  ::execv(program, argv);
  const int error = errno;
  [[maybe_unused]] auto n = ::write(errorWrite, &error, sizeof error);
  ::_exit(127);
}

}  // namespace

expected<SpawnedProcess, std::string> SpawnedProcess::start(const std::string& program,
                                                            const std::vector<std::string>& arguments) {
  // Everything the child needs is made before fork: it may not allocate.
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (devNull < 0) return unexpected(systemError("cannot open /dev/null", errno));
  int output[2] = {-1, -1};
  int errors[2] = {-1, -1};
  if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errors, O_CLOEXEC) != 0) {
    const int error = errno;
    closeQuietly(devNull);
    for (int* fd : {&output[0], &output[1], &errors[0], &errors[1]}) closeQuietly(*fd);
    return unexpected(systemError("cannot make a pipe", error));
  }

  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) becomeChild(parent, devNull, output[1], errors[1], program.c_str(), argv.data());
  const int forkError = errno;
  closeQuietly(devNull);
  closeQuietly(output[1]);
  closeQuietly(errors[1]);
  if (pid < 0) {
    closeQuietly(output[0]);
    closeQuietly(errors[0]);
    return unexpected(systemError("cannot start " + program, forkError));
  }

  // The error pipe closes without a word when exec worked, or brings exec's errno.
  int childError = 0;
  ssize_t got = 0;
  do {
    got = ::read(errors[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  closeQuietly(errors[0]);
  SpawnedProcess process(pid, output[0]);
  if (got > 0) {
    process.terminate();
    return unexpected(systemError("cannot start " + program, childError));
  }
  ::fcntl(process.output_, F_SETFL, ::fcntl(process.output_, F_GETFL) | O_NONBLOCK);
  return process;
}

SpawnedProcess::SpawnedProcess(SpawnedProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), output_(std::exchange(other.output_, -1)),
      status_(std::exchange(other.status_, std::nullopt)) {}

SpawnedProcess& SpawnedProcess::operator=(SpawnedProcess&& other) noexcept {
  if (this != &other) {
    release();
    pid_ = std::exchange(other.pid_, -1);
    output_ = std::exchange(other.output_, -1);
    status_ = std::exchange(other.status_, std::nullopt);
  }
  return *this;
}

SpawnedProcess::~SpawnedProcess() { release(); }

void SpawnedProcess::release() {
  if (pid_ > 0 && !status_) terminate();
  closeOutput();
  pid_ = -1;
}

void SpawnedProcess::closeOutput() { closeQuietly(output_); }

std::optional<int> SpawnedProcess::poll() {
  if (status_ || pid_ <= 0) return status_;
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(pid_, &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == pid_) {
    status_ = status;
  } else if (done < 0) {
    // Reaped elsewhere (or never ours): it has ended as far as we can know.
    status_ = W_EXITCODE(127, 0);
  }
  return status_;
}

void SpawnedProcess::terminate(std::chrono::milliseconds grace) {
  if (pid_ <= 0 || poll()) return;
  // The whole group: whatever the child started goes with it. The child itself too,
  // should it not have made its group yet.
  ::kill(-pid_, SIGTERM);
  ::kill(pid_, SIGTERM);
  // Watched without reaping: until it is reaped its number cannot be handed to another
  // process, so the kill below cannot reach a stranger's group.
  const auto ended = [this] {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid_;
  };
  const auto end = std::chrono::steady_clock::now() + grace;
  while (!ended() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  status_ = done == pid_ ? status : W_EXITCODE(127, 0);
}

}  // namespace orvane
