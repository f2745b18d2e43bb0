#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/bytes.hpp"
#include "base/clock.hpp"

namespace orvane {

// One stored value of the user's defaults, typed as the program wrote it.
using DefaultsValue = std::variant<std::string, bool, std::int64_t, double, Bytes, WallTime>;

// The user-defaults store shared by the server queue and the main thread. Every
// implementation is thread-safe. Typed readers give none when the key is missing or
// holds a value of another type (an integer is not a bool, a string is not data).
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  virtual std::optional<DefaultsValue> object(std::string_view key) const = 0;
  virtual void set(std::string_view key, DefaultsValue value) = 0;
  virtual void remove(std::string_view key) = 0;
  // Stores several values as one change: a store that persists writes them together,
  // and one that locks takes its lock once. Later pairs win over earlier ones with the
  // same key. The default sets them one by one.
  virtual void setMany(std::vector<std::pair<std::string, DefaultsValue>> values);

  std::optional<std::string> string(std::string_view key) const;
  std::optional<bool> boolean(std::string_view key) const;
  // boolForKey: a missing or non-bool value reads as false.
  bool boolOrFalse(std::string_view key) const { return boolean(key).value_or(false); }
  std::optional<std::int64_t> integer(std::string_view key) const;
  std::optional<Bytes> data(std::string_view key) const;
  std::optional<WallTime> date(std::string_view key) const;
};

// In-memory defaults, for tests and for a program that must not persist.
class MemoryUserDefaults final : public UserDefaults {
 public:
  std::optional<DefaultsValue> object(std::string_view key) const override;
  void set(std::string_view key, DefaultsValue value) override;
  void remove(std::string_view key) override;
  // All under one lock: a reader on another thread sees none of them or all.
  void setMany(std::vector<std::pair<std::string, DefaultsValue>> values) override;
  std::size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, DefaultsValue, std::less<>> values_;
};

}  // namespace orvane
