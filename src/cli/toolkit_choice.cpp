#include "cli/toolkit_choice.hpp"

#include <unistd.h>

#include <cstdlib>

#include "platform/linux/perl_media_remote_adapter.hpp"

namespace orvane::cli {
namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

bool isExecutable(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

Surroundings Surroundings::ofThisProcess() {
  Surroundings around;
  around.display = isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
  // D-Bus finds the user's bus at $XDG_RUNTIME_DIR/bus when no address is given.
  std::error_code error;
  around.sessionBus = isSet("DBUS_SESSION_BUS_ADDRESS") ||
                      (isSet("XDG_RUNTIME_DIR") &&
                       std::filesystem::exists(std::filesystem::path(std::getenv("XDG_RUNTIME_DIR")) / "bus", error));
  around.mediaAdapter = PerlMediaRemoteAdapter(PerlMediaRemoteAdapter::besideProgram(), nullptr).isAvailable();
  return around;
}

std::optional<std::string> whyToolkitIsNeeded(const Options& options, const Surroundings& around) {
  if (around.display) return "a display is there, whose clipboard is synced";
  if (options.qrPngPath) return "the QR code is written as a picture";
  if (around.sessionBus) return "players on the session bus may have covers to send";
  if (around.mediaAdapter) return "the now-playing adapter may send covers";
  return std::nullopt;
}

std::optional<std::filesystem::path> toolkitProgramBeside(const std::filesystem::path& self) {
  const std::filesystem::path folder = self.parent_path();
  for (const auto& candidate :
       {folder / toolkitProgramName, folder / ".." / "libexec" / "orvane" / toolkitProgramName}) {
    if (isExecutable(candidate)) return candidate.lexically_normal();
  }
  return std::nullopt;
}

}  // namespace orvane::cli
