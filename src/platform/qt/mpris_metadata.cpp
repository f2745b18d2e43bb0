#include "platform/qt/mpris_metadata.hpp"

#include <QDBusArgument>
#include <QDBusVariant>
#include <QStringList>

namespace orvane {

namespace {

// A value as a plain Qt value: D-Bus variants unwrapped, marshalled maps and string
// lists read out.
QVariant plain(QVariant value) {
  if (value.userType() == qMetaTypeId<QDBusVariant>()) {
    value = value.value<QDBusVariant>().variant();
  }
  if (value.userType() == qMetaTypeId<QDBusArgument>()) {
    const auto argument = value.value<QDBusArgument>();
    // Read out only as the exact type it has: unpacking a map of strings as a map of
    // variants (any player on the bus may send one) brings libdbus down.
    const QString signature = argument.currentSignature();
    if (signature == QLatin1String("a{sv}")) {
      QVariantMap map;
      argument >> map;
      return map;
    }
    if (signature == QLatin1String("as")) {
      QStringList list;
      argument >> list;
      return list;
    }
    return {};
  }
  return value;
}

std::optional<std::string> text(const QVariantMap& map, const char* key) {
  const QVariant value = plain(map.value(QString::fromLatin1(key)));
  if (value.userType() != QMetaType::QString) return std::nullopt;
  const QString string = value.toString();
  if (string.isEmpty()) return std::nullopt;
  return string.toStdString();
}

}  // namespace

QVariantMap demarshalledMap(const QVariant& value) {
  const QVariant map = plain(value);
  if (map.userType() != QMetaType::QVariantMap) return {};
  QVariantMap result = map.toMap();
  for (auto it = result.begin(); it != result.end(); ++it) it.value() = plain(it.value());
  return result;
}

MprisMetadata readMprisMetadata(const QVariant& metadata) {
  const QVariantMap map = demarshalledMap(metadata);
  MprisMetadata read;
  read.title = text(map, "xesam:title");
  read.album = text(map, "xesam:album");
  read.artUrl = text(map, "mpris:artUrl");
  const QVariant artists = plain(map.value(QStringLiteral("xesam:artist")));
  if (artists.userType() == QMetaType::QStringList) {
    QStringList names;
    for (const QString& name : artists.toStringList())
      if (!name.trimmed().isEmpty()) names << name;
    if (!names.isEmpty()) read.artist = names.join(QStringLiteral(", ")).toStdString();
  } else if (artists.userType() == QMetaType::QString && !artists.toString().isEmpty()) {
    // Not what MPRIS prescribes, but some players send one string.
    read.artist = artists.toString().toStdString();
  }
  return read;
}

}  // namespace orvane
