#include "platform/linux/xdg_paths.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "base/atomic_file.hpp"

namespace orvane::xdg {

namespace {

namespace fs = std::filesystem;

constexpr mode_t privateFolderMode = 0700;

std::optional<fs::path> homeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return fs::path(home);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return fs::path(found->pw_dir);
  }
  return std::nullopt;
}

// A relative value is ignored, as the base-directory rules ask.
std::optional<fs::path> baseFolder(const char* variable, const fs::path& fallbackUnderHome) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return fs::path(value);
  std::optional<fs::path> home = homeFolder();
  if (!home) return std::nullopt;
  return *home / fallbackUnderHome;
}

expected<fs::path, std::string> ensured(std::optional<fs::path> base, const char* what, const fs::path& below) {
  if (!base) return unexpected(std::string("no home folder for the ") + what + " folder");
  fs::path dir = *base / below;
  if (auto made = files::ensureDirectory(dir, privateFolderMode); !made) return unexpected(made.error());
  return dir;
}

}  // namespace

std::optional<fs::path> configHome() { return baseFolder("XDG_CONFIG_HOME", ".config"); }

std::optional<fs::path> dataHome() { return baseFolder("XDG_DATA_HOME", fs::path(".local") / "share"); }

expected<fs::path, std::string> appSupport() { return ensured(dataHome(), "data", "Orvane"); }

expected<fs::path, std::string> keychainFolder() {
  return ensured(dataHome(), "data", fs::path("Orvane") / "keychain");
}

expected<fs::path, std::string> configFolder() { return ensured(configHome(), "config", "Orvane"); }

}  // namespace orvane::xdg
