#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane::testing {

// A fresh directory under /tmp, removed with everything in it when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The permission bits of a file or folder; none when it cannot be read.
std::optional<mode_t> fileMode(const std::filesystem::path& path);
// The names in a folder, sorted.
std::vector<std::string> fileNamesIn(const std::filesystem::path& dir);

}  // namespace orvane::testing
