#include "mock_server.hpp"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace orvane::testing {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kConnection = QStringLiteral("orvane-test-mock-server");
// A helper the tests add to the mock: the template numbers banners itself and says so nowhere.
const QString kHelper = QStringLiteral("org.orvane.Test");

QString q(const std::string& text) { return QString::fromStdString(text); }

// The arguments of each call that GetMethodCalls lists, a(tav), oldest first.
std::vector<QVariantList> callArguments(const QVariant& reply) {
  std::vector<QVariantList> calls;
  const auto list = reply.value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    list.beginStructure();
    qulonglong when = 0;
    QVariantList args;
    list >> when >> args;
    list.endStructure();
    calls.push_back(args);
  }
  list.endArray();
  return calls;
}

// A value that came in a variant: simple ones as themselves, containers as QDBusArgument.
template <class T>
T unwrap(const QVariant& value) {
  if (value.canConvert<QDBusArgument>() && value.userType() == qMetaTypeId<QDBusArgument>()) {
    return qdbus_cast<T>(value.value<QDBusArgument>());
  }
  return value.value<T>();
}

}  // namespace

MockServer::MockServer() : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection)) {
  if (!bus_.isConnected()) {
    ready_ = unexpected("no session bus: " + bus_.lastError().message().toStdString());
    return;
  }
  auto added = mockCall(QStringLiteral("AddMethod"),
                        {kHelper, QStringLiteral("LastId"), QString(), QStringLiteral("u"),
                         QStringLiteral("ret = self.next_id - 1")});
  if (!added) ready_ = unexpected(added.error());
}

MockServer::~MockServer() { QDBusConnection::disconnectFromBus(kConnection); }

expected<QList<QVariant>, std::string> MockServer::mockCall(const QString& method, const QList<QVariant>& args) const {
  QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kMock, method);
  message.setArguments(args);
  const QDBusMessage reply = bus_.call(message);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    return unexpected(method.toStdString() + ": " + reply.errorMessage().toStdString());
  }
  return reply.arguments();
}

expected<void, std::string> MockServer::clearCalls() const {
  auto done = mockCall(QStringLiteral("ClearCalls"), {});
  if (!done) return unexpected(done.error());
  return {};
}

expected<std::vector<NotifyCall>, std::string> MockServer::notifyCalls() const {
  auto reply = mockCall(QStringLiteral("GetMethodCalls"), {QStringLiteral("Notify")});
  if (!reply) return unexpected(reply.error());
  std::vector<NotifyCall> calls;
  for (const QVariantList& args : callArguments(reply->value(0))) {
    if (args.size() != 8) return unexpected("Notify with " + std::to_string(args.size()) + " arguments");
    calls.push_back({args[0].toString(), args[1].toUInt(), args[2].toString(), args[3].toString(),
                     args[4].toString(), unwrap<QStringList>(args[5]), unwrap<QVariantMap>(args[6]),
                     args[7].toInt()});
  }
  return calls;
}

expected<std::vector<std::uint32_t>, std::string> MockServer::closeCalls() const {
  auto reply = mockCall(QStringLiteral("GetMethodCalls"), {QStringLiteral("CloseNotification")});
  if (!reply) return unexpected(reply.error());
  std::vector<std::uint32_t> ids;
  for (const QVariantList& args : callArguments(reply->value(0))) {
    if (args.size() != 1) return unexpected(std::string("CloseNotification with a wrong number of arguments"));
    ids.push_back(args[0].toUInt());
  }
  return ids;
}

expected<std::uint32_t, std::string> MockServer::lastId() const {
  QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kHelper, QStringLiteral("LastId"));
  const QDBusMessage reply = bus_.call(message);
  if (reply.type() == QDBusMessage::ErrorMessage) return unexpected("LastId: " + reply.errorMessage().toStdString());
  return reply.arguments().value(0).toUInt();
}

expected<void, std::string> MockServer::emitSignal(const QString& name, const QString& signature,
                                                   const QList<QVariant>& args) const {
  // EmitSignal takes the signal's arguments as variants, av.
  auto done = mockCall(QStringLiteral("EmitSignal"), {kInterface, name, signature, QVariant::fromValue(args)});
  if (!done) return unexpected(done.error());
  return {};
}

expected<void, std::string> MockServer::actionInvoked(std::uint32_t id, const std::string& key) const {
  return emitSignal(QStringLiteral("ActionInvoked"), QStringLiteral("us"), {QVariant::fromValue(id), q(key)});
}

expected<void, std::string> MockServer::replied(std::uint32_t id, const std::string& text) const {
  return emitSignal(QStringLiteral("NotificationReplied"), QStringLiteral("us"), {QVariant::fromValue(id), q(text)});
}

expected<void, std::string> MockServer::closed(std::uint32_t id, std::uint32_t reason) const {
  return emitSignal(QStringLiteral("NotificationClosed"), QStringLiteral("uu"),
                    {QVariant::fromValue(id), QVariant::fromValue(reason)});
}

expected<void, std::string> MockServer::actionInvokedByImpostor(std::uint32_t id, const std::string& key) const {
  QDBusMessage message = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ActionInvoked"));
  message << id << q(key);
  if (!bus_.send(message)) return unexpected(std::string("the impostor's signal was not sent"));
  return {};
}

}  // namespace orvane::testing
