#pragma once

#include <QString>

namespace orvane::testing {

// Where the stand-in logind lives on the private system bus, as the real one does.
inline const QString kLogindService = QStringLiteral("org.freedesktop.login1");
inline const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
inline const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
// A signal of the tests' own that the stand-in sends on request, as a fence.
inline const QString kFenceInterface = QStringLiteral("org.orvane.Test");
inline const QString kFenceSignal = QStringLiteral("Fence");

}  // namespace orvane::testing
