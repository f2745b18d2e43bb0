#pragma once

#include <QProcess>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>

#include "ui/shell/desktop_shell.hpp"

// Driving the desktop program from a tool, with orvane-phone as a scripted phone: used by
// the screenshots and the hub window's benchmark, which both need a paired, connected
// phone in a home of their own.
namespace orvane::driver {

// Runs the event loop until `done` holds; false when `seconds` passed first.
bool waitUntil(const std::function<bool()>& done, int seconds = 30);

// Makes a home of its own in the temporary folder ("orvane-<tag>-<pid>") and points the
// program's settings and data at it, so that it starts as on a first launch and touches
// nothing of the user's; the caller removes it at the end.
std::filesystem::path useFreshHome(const std::string& tag);

// Starts orvane-phone from `binDir`, pairing with the shell's current QR code under
// `name`, keeping its state in `home`; false when it could not start.
bool startPairingPhone(QProcess& phone, DesktopShell& shell, const QString& binDir, const std::filesystem::path& home,
                       const QString& name);

// Waits for the phone's request, approves it and waits for the link; false on a time-out.
bool approveAndConnect(DesktopShell& shell);

// Writes one session command to the phone: "send TYPE JSON".
void sendFromPhone(QProcess& phone, const QByteArray& envelope);

}  // namespace orvane::driver
