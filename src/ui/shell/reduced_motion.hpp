#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

// Whether the desktop asks for less motion: KDE's animation speed set to instant
// (AnimationDurationFactor=0 in kdeglobals), or GNOME's animations switched off, read
// through the desktop portal's settings. The answer may come after start (the portal
// answers asynchronously); `onAnswer` then runs on the main thread.
class ReducedMotion final : public QObject {
  Q_OBJECT

 public:
  // KDE's answer from the text of a kdeglobals file: none when it does not say.
  static std::optional<bool> fromKdeGlobals(const std::string& text);

  // Reads kdeglobals now and asks the portal; `onAnswer` hears each answer found.
  void ask(std::function<void(bool reduced)> onAnswer);
};

}  // namespace orvane
