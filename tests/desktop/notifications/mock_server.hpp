#pragma once

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <string>
#include <vector>

#include "base/expected.hpp"

namespace orvane::testing {

// One Notify as the stand-in server received it.
struct NotifyCall {
  QString appName;
  std::uint32_t replacesId = 0;
  QString appIcon;
  QString summary;
  QString body;
  QStringList actions;
  QVariantMap hints;
  std::int32_t expireTimeout = 0;
};

// Drives python-dbusmock's notification daemon, which session_env.sh runs, through the
// mock's own interface on a connection of the test's own (so not the adapter's): what
// it was called with, and signals sent from it as the server. The same connection plays
// the impostor, which sends the server's signals without owning its name.
class MockServer {
 public:
  MockServer();
  ~MockServer();
  // Whether the connection is up and the helper method is in place.
  const expected<void, std::string>& ready() const { return ready_; }

  expected<void, std::string> clearCalls() const;
  expected<std::vector<NotifyCall>, std::string> notifyCalls() const;
  // The ids given to CloseNotification, oldest first.
  expected<std::vector<std::uint32_t>, std::string> closeCalls() const;
  // The id the mock gave to the latest new banner.
  expected<std::uint32_t, std::string> lastId() const;

  // ActionInvoked(id, key), NotificationReplied(id, text), NotificationClosed(id, reason)
  // from the server. Each returns once the mock has sent the signal.
  expected<void, std::string> actionInvoked(std::uint32_t id, const std::string& key) const;
  expected<void, std::string> replied(std::uint32_t id, const std::string& text) const;
  expected<void, std::string> closed(std::uint32_t id, std::uint32_t reason) const;
  // ActionInvoked from this connection, on the server's path and interface.
  expected<void, std::string> actionInvokedByImpostor(std::uint32_t id, const std::string& key) const;

 private:
  expected<QList<QVariant>, std::string> mockCall(const QString& method, const QList<QVariant>& args) const;
  expected<void, std::string> emitSignal(const QString& name, const QString& signature, const QList<QVariant>& args) const;

  QDBusConnection bus_;
  expected<void, std::string> ready_;
};

}  // namespace orvane::testing
