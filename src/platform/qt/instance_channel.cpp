#include "platform/qt/instance_channel.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/atomic_file.hpp"

namespace orvane {

namespace {

// A message longer than this is not one of ours.
constexpr std::size_t maxMessage = 16 * 1024;
// How long the running program waits for a sender to finish its line.
constexpr int readTimeoutMs = 500;

std::optional<sockaddr_un> addressOf(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return address;
}

// A connected socket to a program listening at `path`, or -1.
int connectTo(const std::filesystem::path& path) {
  const auto address = addressOf(path);
  if (!address) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::filesystem::path InstanceChannel::socketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::filesystem::path base = runtime && *runtime == '/'
                                         ? std::filesystem::path(runtime) / "orvane"
                                         : std::filesystem::path("/tmp") / ("orvane-" + std::to_string(::getuid()));
  return base / "instance.sock";
}

bool InstanceChannel::send(const std::string& message) {
  const int fd = connectTo(socketPath());
  if (fd < 0) return false;
  const std::string line = message + "\n";
  std::size_t sent = 0;
  while (sent < line.size()) {
    const ssize_t n = ::send(fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return sent == line.size();
}

expected<std::unique_ptr<InstanceChannel>, std::string> InstanceChannel::listen(OnMessage onMessage) {
  const std::filesystem::path path = socketPath();
  if (auto made = files::ensureDirectory(path.parent_path(), 0700); !made) return unexpected(made.error());
  const auto address = addressOf(path);
  if (!address) return unexpected("the socket path is too long: " + path.string());
  if (const int other = connectTo(path); other >= 0) {
    ::close(other);
    return unexpected(std::string("another Orvane is running"));
  }
  ::unlink(path.c_str());  // left by a program that ended
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return unexpected(std::string("cannot make a socket: ") + std::strerror(errno));
  // Made without any access for others from the start, not opened up and closed after.
  const mode_t old = ::umask(0177);
  const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
  ::umask(old);
  if (bound != 0 || ::listen(fd, 8) != 0) {
    const std::string why = std::strerror(errno);
    ::close(fd);
    return unexpected("cannot listen on " + path.string() + ": " + why);
  }
  return std::unique_ptr<InstanceChannel>(new InstanceChannel(fd, path, std::move(onMessage)));
}

InstanceChannel::InstanceChannel(int fd, std::filesystem::path path, OnMessage onMessage)
    : fd_(fd), path_(std::move(path)), onMessage_(std::move(onMessage)) {
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { accept(); });
}

InstanceChannel::~InstanceChannel() {
  notifier_.reset();
  ::close(fd_);
  ::unlink(path_.c_str());
}

void InstanceChannel::accept() {
  const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return;
  // Only this user can reach the socket; still, a message comes from the same user id.
  ucred peer{};
  socklen_t length = sizeof peer;
  if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid()) {
    ::close(client);
    return;
  }
  std::string message;
  char buffer[1024];
  while (message.size() <= maxMessage && message.find('\n') == std::string::npos) {
    pollfd ready{client, POLLIN, 0};
    if (::poll(&ready, 1, readTimeoutMs) <= 0) break;
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    message.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(client);
  const std::size_t end = message.find('\n');
  if (end == std::string::npos || end > maxMessage) return;
  message.resize(end);
  if (onMessage_) onMessage_(message);
}

}  // namespace orvane
