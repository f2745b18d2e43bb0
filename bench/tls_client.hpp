#pragma once

// A blocking TLS client on a plain POSIX socket, standing in for the phone in
// benchmarks and transport tests. It does not check the server's certificate: the
// caller compares the presented certificate itself. Header-only so that benchmarks
// and tests can share it.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include "base/bytes.hpp"
#include "base/expected.hpp"

namespace orvane::bench {

struct TlsClientOptions {
  int minVersion = TLS1_2_VERSION;
  int maxVersion = 0;      // 0: the newest OpenSSL offers
  int securityLevel = -1;  // -1: OpenSSL's default; 0 lets the client offer old protocol versions
  std::chrono::milliseconds ioTimeout{5000};  // every blocking call gives up after this
};

// The last OpenSSL error (or errno) as text, for failure messages.
inline std::string lastTlsError(const char* what) {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return std::string(what) + ": " + std::strerror(errno);
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  return std::string(what) + ": " + text;
}

// A connected blocking IPv4 TCP socket (Nagle off), or the error text.
inline expected<int, std::string> connectTcp(const std::string& host, std::uint16_t port,
                                             std::chrono::milliseconds ioTimeout) {
  // OpenSSL writes to the socket with write(2): a server that closes the connection
  // must show up as a failed write, not end the whole process with SIGPIPE.
  static const bool sigpipeIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  (void)sigpipeIgnored;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return unexpected("not an IPv4 address: " + host);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return unexpected(std::string("socket: ") + std::strerror(errno));
  timeval timeout{};
  timeout.tv_sec = static_cast<time_t>(ioTimeout.count() / 1000);
  timeout.tv_usec = static_cast<suseconds_t>((ioTimeout.count() % 1000) * 1000);
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    ::close(fd);
    return unexpected(std::string("connect: ") + std::strerror(error));
  }
  return fd;
}

class TlsClient {
 public:
  static expected<TlsClient, std::string> connect(const std::string& host, std::uint16_t port,
                                                  TlsClientOptions options = {}) {
    auto fd = connectTcp(host, port, options.ioTimeout);
    if (!fd) return unexpected(fd.error());
    TlsClient client(*fd);
    client.context_ = SSL_CTX_new(TLS_client_method());
    if (!client.context_) return unexpected(lastTlsError("SSL_CTX_new"));
    if (options.securityLevel >= 0) SSL_CTX_set_security_level(client.context_, options.securityLevel);
    if (SSL_CTX_set_min_proto_version(client.context_, options.minVersion) != 1 ||
        SSL_CTX_set_max_proto_version(client.context_, options.maxVersion) != 1) {
      return unexpected(lastTlsError("protocol version"));
    }
    SSL_CTX_set_verify(client.context_, SSL_VERIFY_NONE, nullptr);
    client.ssl_ = SSL_new(client.context_);
    if (!client.ssl_ || SSL_set_fd(client.ssl_, client.fd_) != 1) return unexpected(lastTlsError("SSL_new"));
    if (SSL_connect(client.ssl_) != 1) return unexpected(lastTlsError("SSL_connect"));
    return client;
  }

  TlsClient(TlsClient&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)),
        context_(std::exchange(other.context_, nullptr)),
        ssl_(std::exchange(other.ssl_, nullptr)) {}
  TlsClient& operator=(TlsClient&& other) noexcept {
    if (this != &other) {
      release();
      fd_ = std::exchange(other.fd_, -1);
      context_ = std::exchange(other.context_, nullptr);
      ssl_ = std::exchange(other.ssl_, nullptr);
    }
    return *this;
  }
  TlsClient(const TlsClient&) = delete;
  TlsClient& operator=(const TlsClient&) = delete;
  ~TlsClient() { release(); }

  bool writeAll(const Bytes& data) {
    std::size_t written = 0;
    return data.empty() || (SSL_write_ex(ssl_, data.data(), data.size(), &written) == 1 && written == data.size());
  }

  // Exactly `count` bytes, or none when the stream ends, fails or times out first.
  std::optional<Bytes> readExact(std::size_t count) {
    Bytes data(count);
    std::size_t have = 0;
    while (have < count) {
      std::size_t got = 0;
      if (SSL_read_ex(ssl_, data.data() + have, count - have, &got) != 1) return std::nullopt;
      have += got;
    }
    return data;
  }

  // Reads until the server ends the connection; false when data arrives instead or
  // the wait times out.
  bool waitForClose() {
    std::uint8_t byte = 0;
    std::size_t got = 0;
    if (SSL_read_ex(ssl_, &byte, 1, &got) == 1) return false;
    const int reason = SSL_get_error(ssl_, 0);
    ERR_clear_error();
    const bool timedOut = reason == SSL_ERROR_SYSCALL && (errno == EAGAIN || errno == EWOULDBLOCK);
    return !timedOut;
  }

  // Whether the server has ended the connection, without waiting for it: whatever
  // has already arrived (session tickets, say) is read and dropped on the way.
  bool closedByPeer() {
    if (fd_ < 0) return true;
    const int flags = ::fcntl(fd_, F_GETFL);
    ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    bool closed = false;
    for (;;) {
      std::uint8_t chunk[4096];
      std::size_t got = 0;
      if (SSL_read_ex(ssl_, chunk, sizeof chunk, &got) == 1) continue;
      const int reason = SSL_get_error(ssl_, 0);
      ERR_clear_error();
      closed = reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE;
      break;
    }
    ::fcntl(fd_, F_SETFL, flags);
    return closed;
  }

  // Ends the stream properly (close_notify), keeping the socket open.
  void shutdown() { SSL_shutdown(ssl_); }
  // Ends the stream without close_notify, as a phone that loses its network would.
  void closeAbruptly() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

  std::string version() const { return SSL_get_version(ssl_); }

  Bytes peerCertificateDer() const {
    X509* cert = SSL_get1_peer_certificate(ssl_);
    if (!cert) return {};
    Bytes der(static_cast<std::size_t>(std::max(i2d_X509(cert, nullptr), 0)));
    unsigned char* out = der.data();
    i2d_X509(cert, &out);
    X509_free(cert);
    return der;
  }

  std::uint16_t localPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
  }

 private:
  explicit TlsClient(int fd) : fd_(fd) {}
  void release() {
    if (ssl_) SSL_free(std::exchange(ssl_, nullptr));
    if (context_) SSL_CTX_free(std::exchange(context_, nullptr));
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

  int fd_ = -1;
  SSL_CTX* context_ = nullptr;
  SSL* ssl_ = nullptr;
};

}  // namespace orvane::bench
