#pragma once

#include <QString>

// The D-Bus names every MPRIS client here uses: the bus itself, where a player lives,
// and its interfaces.
namespace orvane::mpris {

inline const QString busService = QStringLiteral("org.freedesktop.DBus");
inline const QString busPath = QStringLiteral("/org/freedesktop/DBus");
inline const QString playerPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
inline const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

}  // namespace orvane::mpris
