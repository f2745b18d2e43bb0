#include "ui/shell/reduced_motion.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <sstream>

namespace orvane {

std::optional<bool> ReducedMotion::fromKdeGlobals(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  bool inKde = false;
  std::optional<bool> answer;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with('[')) {
      inKde = line == "[KDE]";
      continue;
    }
    constexpr std::string_view key = "AnimationDurationFactor=";
    if (!inKde || !line.starts_with(key)) continue;
    try {
      answer = std::stod(line.substr(key.size())) == 0.0;
    } catch (...) {
      answer = std::nullopt;
    }
  }
  return answer;
}

void ReducedMotion::ask(std::function<void(bool reduced)> onAnswer) {
  const QString globals = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kdeglobals";
  if (QFile file(globals); file.open(QIODevice::ReadOnly)) {
    if (auto kde = fromKdeGlobals(file.readAll().toStdString())) onAnswer(*kde);
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage read = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
  read << QStringLiteral("org.gnome.desktop.interface") << QStringLiteral("enable-animations");
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read, 2000), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [onAnswer](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    QDBusPendingReply<QDBusVariant> reply = *call;
    if (reply.isError()) return;  // no portal, or a desktop that keeps no such setting
    // The portal wraps the value once more.
    QVariant value = reply.value().variant();
    if (value.canConvert<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
    if (value.typeId() == QMetaType::Bool) onAnswer(!value.toBool());
  });
}

}  // namespace orvane
