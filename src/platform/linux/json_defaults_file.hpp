#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/expected.hpp"
#include "base/log.hpp"
#include "base/user_defaults.hpp"

namespace orvane {

// The user's defaults as one JSON object in a file (folder 0700, file 0600). The
// file is read once, at construction; every change replaces it atomically with the
// whole in-memory map. Values keep their type through the file:
//   string -> "text"   bool -> true   integer -> 42   double -> 4.5 (always with a
//   fraction or exponent)   data -> {"data": "<base64>"}
//   date -> {"date": <seconds since 1970 as a double>}, read back to the microsecond.
// A missing, unreadable or corrupt file reads as empty and stays untouched until the
// first change replaces it; members of an unknown shape are dropped. Thread-safe.
class JsonDefaultsFile final : public UserDefaults {
 public:
  explicit JsonDefaultsFile(std::filesystem::path file, Logger log = {});
  // The file <configHome>/Orvane/defaults.json.
  static expected<std::shared_ptr<JsonDefaultsFile>, std::string> atDefaultLocation(Logger log = {});

  std::optional<DefaultsValue> object(std::string_view key) const override;
  void set(std::string_view key, DefaultsValue value) override;
  void remove(std::string_view key) override;

  const std::filesystem::path& file() const { return file_; }
  // Why the last write failed; none after a successful one.
  std::optional<std::string> lastWriteError() const;

 private:
  void load();
  void save();  // with mutex_ held

  std::filesystem::path file_;
  Logger log_;
  mutable std::mutex mutex_;
  std::map<std::string, DefaultsValue, std::less<>> values_;
  std::optional<std::string> lastWriteError_;
};

}  // namespace orvane
