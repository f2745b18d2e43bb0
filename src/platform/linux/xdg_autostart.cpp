#include "platform/linux/xdg_autostart.hpp"

#include <sstream>
#include <system_error>

#include "base/atomic_file.hpp"
#include "platform/linux/xdg_paths.hpp"

namespace orvane {

namespace {

// A value of an Exec key: quoted when it holds anything the desktop would split or
// expand, with the characters the desktop entry format reserves inside quotes escaped.
std::string execArgument(const std::string& s) {
  if (s.find_first_of(" \t\n\"'\\$`%<>~|&;*?#()") == std::string::npos) return s;
  std::string quoted = "\"";
  for (char c : s) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

XdgAutostart::XdgAutostart(std::string command) : command_(std::move(command)) {}

std::optional<std::filesystem::path> XdgAutostart::entryPath() {
  const auto config = xdg::configHome();
  if (!config) return std::nullopt;
  return *config / "autostart" / entryName;
}

std::string XdgAutostart::entryText() const {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.4\n"
         "Name=Orvane\n"
         "Comment=Your phone's notifications, clipboard, media and links on this computer\n"
         "Exec=" + execArgument(command_) + "\n"
         "Icon=orvane\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool XdgAutostart::enabled() const {
  const auto path = entryPath();
  if (!path) return false;
  const auto bytes = files::readFile(*path);
  if (!bytes) return false;
  std::istringstream lines(std::string(bytes->begin(), bytes->end()));
  for (std::string line; std::getline(lines, line);) {
    if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
  }
  return true;
}

expected<void, std::string> XdgAutostart::setEnabled(bool on) {
  const auto path = entryPath();
  if (!path) return unexpected(std::string("There is no home folder to keep the login entry in."));
  std::error_code error;
  if (!on) {
    std::filesystem::remove(*path, error);
    if (error) return unexpected("The login entry could not be removed: " + error.message() + ".");
    return {};
  }
  // The autostart folder is the desktop's: made when missing, its mode left as it is.
  std::filesystem::create_directories(path->parent_path(), error);
  if (error) return unexpected("The autostart folder could not be made: " + error.message() + ".");
  const std::string text = entryText();
  if (auto written = files::writeFileAtomically(*path, Bytes(text.begin(), text.end()), 0644); !written) {
    return unexpected("The login entry could not be written: " + written.error() + ".");
  }
  return {};
}

}  // namespace orvane
