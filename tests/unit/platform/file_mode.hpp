#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <optional>

namespace orvane::test {

// The permission bits of a file or folder; none when it does not exist.
inline std::optional<mode_t> modeOf(const std::filesystem::path& p) {
  struct stat info{};
  if (::stat(p.c_str(), &info) != 0) return std::nullopt;
  return info.st_mode & 07777;
}

}  // namespace orvane::test
