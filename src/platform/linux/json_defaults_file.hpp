#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/expected.hpp"
#include "base/log.hpp"
#include "base/serial_queue.hpp"
#include "base/user_defaults.hpp"

namespace orvane {

// The user's defaults as one JSON object in a file (folder 0700, file 0600). The
// file is read once, at construction. Values keep their type through the file:
//   string -> "text"   bool -> true   integer -> 42   double -> 4.5 (always with a
//   fraction or exponent)   data -> {"data": "<base64>"}
//   date -> {"date": <seconds since 1970 as a double>}, read back to the microsecond.
// A missing, unreadable or corrupt file reads as empty and stays untouched until the
// first change replaces it; members of an unknown shape are dropped. Thread-safe.
//
// Writes happen behind the caller. A change is in memory, and seen by every reader,
// when set/setMany/remove returns; the file is replaced (whole, atomically) on the
// writer queue `writeDelay` later, so that a burst of changes (one clipboard send
// makes several) costs one write instead of one fsync each, and never on the
// caller's queue. flush() writes at once; the destructor flushes.
class JsonDefaultsFile final : public UserDefaults {
 public:
  static constexpr Duration writeDelay = std::chrono::milliseconds(100);

  // `writer` runs the delayed writes; none gives the store a thread of its own.
  explicit JsonDefaultsFile(std::filesystem::path file, Logger log = {}, std::shared_ptr<SerialQueue> writer = nullptr);
  // Writes what is still pending.
  ~JsonDefaultsFile() override;
  JsonDefaultsFile(const JsonDefaultsFile&) = delete;
  JsonDefaultsFile& operator=(const JsonDefaultsFile&) = delete;

  // The file <configHome>/Orvane/defaults.json.
  static expected<std::shared_ptr<JsonDefaultsFile>, std::string> atDefaultLocation(
      Logger log = {}, std::shared_ptr<SerialQueue> writer = nullptr);

  std::optional<DefaultsValue> object(std::string_view key) const override;
  void set(std::string_view key, DefaultsValue value) override;
  void setMany(std::vector<std::pair<std::string, DefaultsValue>> values) override;
  void remove(std::string_view key) override;

  // Writes the changes not yet in the file, now, on the calling thread; returns once
  // they are on disk (or the write failed, see lastWriteError). Nothing to do when the
  // file is current. Safe from any thread, also while the writer queue is writing.
  void flush();

  const std::filesystem::path& file() const;
  // Why the last write failed; none after a successful one.
  std::optional<std::string> lastWriteError() const;
  // How many times this store has replaced the file.
  std::uint64_t writeCount() const;

 private:
  struct State;
  // Puts a write on the writer queue, unless one is already waiting there.
  void scheduleWrite();

  // Shared with the scheduled write, which holds it weakly: a write that comes due
  // after the store is gone finds nothing to do (the destructor has flushed).
  std::shared_ptr<State> state_;
  std::shared_ptr<SerialQueue> writer_;
};

}  // namespace orvane
