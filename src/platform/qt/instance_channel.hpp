#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/expected.hpp"

namespace orvane {

// The way a second start of the program reaches the one already running: a local
// socket only this user can use, <runtime dir>/orvane/instance.sock (mode 0600 in a
// 0700 folder). A message is one line of text; the running program reads it on its
// main thread. Messages: "raise" (bring the windows forward), "open <orvane: URL>"
// and "link <web link>" (send it to the phone).
class InstanceChannel final : public QObject {
 public:
  using OnMessage = std::function<void(const std::string& message)>;

  // $XDG_RUNTIME_DIR/orvane/instance.sock, or /tmp/orvane-<uid>/instance.sock without one.
  static std::filesystem::path socketPath();

  // Hands `message` to the running program; false when none is listening.
  static bool send(const std::string& message);

  // Starts listening; the error says why not (another program listens there already, or
  // the socket could not be made). A socket left by a program that ended is replaced.
  static expected<std::unique_ptr<InstanceChannel>, std::string> listen(OnMessage onMessage);

  ~InstanceChannel() override;

 private:
  InstanceChannel(int fd, std::filesystem::path path, OnMessage onMessage);
  void accept();

  int fd_;
  std::filesystem::path path_;
  OnMessage onMessage_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace orvane
