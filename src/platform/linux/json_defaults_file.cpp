#include "platform/linux/json_defaults_file.hpp"

#include <cmath>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/atomic_file.hpp"
#include "base/codec.hpp"
#include "base/thread_queue.hpp"
#include "platform/linux/xdg_paths.hpp"

namespace orvane {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* dataMember = "data";
constexpr const char* dateMember = "date";

json encode(const DefaultsValue& value) {
  struct Encode {
    json operator()(const std::string& v) const { return v; }
    json operator()(bool v) const { return v; }
    json operator()(std::int64_t v) const { return v; }
    json operator()(double v) const { return v; }
    json operator()(const Bytes& v) const { return json{{dataMember, codec::base64Encode(v)}}; }
    json operator()(WallTime v) const {
      using namespace std::chrono;
      return json{{dateMember, duration_cast<duration<double>>(v.time_since_epoch()).count()}};
    }
  };
  return std::visit(Encode{}, value);
}

std::optional<DefaultsValue> decode(const json& value) {
  switch (value.type()) {
    case json::value_t::string:
      return value.get<std::string>();
    case json::value_t::boolean:
      return value.get<bool>();
    case json::value_t::number_integer:
      return value.get<std::int64_t>();
    case json::value_t::number_unsigned: {
      auto v = value.get<std::uint64_t>();
      if (v > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
      return static_cast<std::int64_t>(v);
    }
    case json::value_t::number_float:
      return value.get<double>();
    case json::value_t::object: {
      if (value.size() != 1) return std::nullopt;
      if (auto it = value.find(dataMember); it != value.end() && it->is_string()) {
        std::optional<Bytes> bytes = codec::base64Decode(it->get<std::string>());
        if (!bytes) return std::nullopt;
        return *bytes;
      }
      if (auto it = value.find(dateMember); it != value.end() && it->is_number()) {
        double seconds = it->get<double>();
        if (!std::isfinite(seconds) || std::fabs(seconds) > 9.0e9) return std::nullopt;
        auto micros = std::chrono::microseconds(std::llround(seconds * 1e6));
        return WallTime{} + std::chrono::duration_cast<WallTime::duration>(micros);
      }
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

using Values = std::map<std::string, DefaultsValue, std::less<>>;

std::string fileText(const Values& values) {
  json root = json::object();
  for (const auto& [key, value] : values) root[key] = encode(value);
  // Text that is not valid UTF-8 is written with U+FFFD in place of the bad bytes
  // rather than failing the whole file.
  return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace

struct JsonDefaultsFile::State {
  State(fs::path file, Logger log) : file(std::move(file)), log(std::move(log)) {}

  void load();
  // Applies `change` to the values (it says whether it changed anything); true when
  // the caller must schedule a write.
  template <class Change>
  bool update(Change&& change) {
    std::lock_guard lock(mutex);
    if (!change(values)) return false;
    dirty = true;
    return !std::exchange(writeScheduled, true);
  }
  void writeIfDirty();

  const fs::path file;
  const Logger log;
  // Held across a whole write, so that two writers (the writer queue and a flush)
  // replace the file one after the other, each with a snapshot newer than the last.
  std::mutex writing;
  // Guards everything below; never held during file I/O, so readers do not wait on a
  // disk.
  mutable std::mutex mutex;
  Values values;
  bool dirty = false;           // the values hold changes the file does not
  bool writeScheduled = false;  // a delayed write waits on the writer queue
  std::optional<std::string> lastWriteError;
  std::uint64_t writes = 0;
};

void JsonDefaultsFile::State::load() {
  files::removeLeftoverTemporaries(file);
  std::error_code missing;
  if (!fs::exists(file, missing)) return;
  std::optional<Bytes> content = files::readFile(file);
  json root = content ? json::parse(content->begin(), content->end(), nullptr, /*allow_exceptions=*/false)
                      : json(json::value_t::discarded);
  if (!root.is_object()) {
    // Kept for the user, never overwritten: it may hold what the program needs to be
    // recognised by the paired phone, and a later version may still read it.
    auto aside = files::setAside(file, std::chrono::system_clock::now());
    log.error("settings file " + file.string() + " could not be read; " +
              (aside ? "kept as " + aside->filename().string() : "not kept aside either: " + aside.error()) +
              "; starting with empty settings");
    return;
  }
  std::vector<std::string> dropped;
  {
    std::lock_guard lock(mutex);
    for (const auto& [key, value] : root.items()) {
      if (std::optional<DefaultsValue> decoded = decode(value)) {
        values.insert_or_assign(key, std::move(*decoded));
      } else {
        dropped.push_back(key);
      }
    }
  }
  if (dropped.empty()) return;
  // The next write would lose the values this version cannot read: a copy stays.
  auto aside = files::setAside(file, std::chrono::system_clock::now(), /*keepOriginal=*/true);
  std::string keys;
  for (const auto& key : dropped) keys += (keys.empty() ? "" : ", ") + key;
  log.error("settings file " + file.string() + ": values of unknown shape dropped (" + keys + "); " +
            (aside ? "the file is kept as " + aside->filename().string() : "no copy could be kept: " + aside.error()));
}

void JsonDefaultsFile::State::writeIfDirty() {
  std::lock_guard serial(writing);
  Values snapshot;
  {
    std::lock_guard lock(mutex);
    if (!dirty) return;
    snapshot = values;
    dirty = false;
  }
  expected<void, std::string> written = files::ensureDirectory(file.parent_path(), 0700);
  if (written) written = files::writeFileAtomically(file, toBytes(fileText(snapshot)), 0600);
  {
    std::lock_guard lock(mutex);
    if (written) {
      lastWriteError.reset();
      ++writes;
    } else {
      lastWriteError = written.error();
      // Still not in the file: the next change or flush tries again. No retry of its
      // own, which would spin on a disk that stays full.
      dirty = true;
    }
  }
  if (!written) log.error("defaults file not saved: " + written.error());
}

JsonDefaultsFile::JsonDefaultsFile(fs::path file, Logger log, std::shared_ptr<SerialQueue> writer)
    : state_(std::make_shared<State>(std::move(file), std::move(log))),
      writer_(writer ? std::move(writer) : std::make_shared<ThreadQueue>("orvane.defaults")) {
  state_->load();
}

JsonDefaultsFile::~JsonDefaultsFile() { flush(); }

expected<std::shared_ptr<JsonDefaultsFile>, std::string> JsonDefaultsFile::atDefaultLocation(
    Logger log, std::shared_ptr<SerialQueue> writer) {
  auto folder = xdg::configFolder();
  if (!folder) return unexpected(folder.error());
  return std::make_shared<JsonDefaultsFile>(*folder / "defaults.json", std::move(log), std::move(writer));
}

void JsonDefaultsFile::scheduleWrite() {
  writer_->postAfter(writeDelay, [weak = std::weak_ptr<State>(state_)] {
    const std::shared_ptr<State> state = weak.lock();
    if (!state) return;
    {
      // Cleared before the snapshot: a change from here on schedules a write of its
      // own rather than being lost behind this one.
      std::lock_guard lock(state->mutex);
      state->writeScheduled = false;
    }
    state->writeIfDirty();
  });
}

void JsonDefaultsFile::flush() { state_->writeIfDirty(); }

std::optional<DefaultsValue> JsonDefaultsFile::object(std::string_view key) const {
  std::lock_guard lock(state_->mutex);
  auto it = state_->values.find(key);
  if (it == state_->values.end()) return std::nullopt;
  return it->second;
}

namespace {
// Stores `value` under `key`; false when it was there already (nothing to write).
bool store(Values& values, std::string_view key, DefaultsValue&& value) {
  auto it = values.find(key);
  if (it == values.end()) {
    values.emplace(std::string(key), std::move(value));
    return true;
  }
  if (it->second == value) return false;
  it->second = std::move(value);
  return true;
}
}  // namespace

void JsonDefaultsFile::set(std::string_view key, DefaultsValue value) {
  if (state_->update([&](Values& values) { return store(values, key, std::move(value)); })) scheduleWrite();
}

void JsonDefaultsFile::setMany(std::vector<std::pair<std::string, DefaultsValue>> many) {
  if (state_->update([&](Values& values) {
        bool changed = false;
        for (auto& [key, value] : many) changed |= store(values, key, std::move(value));
        return changed;
      })) {
    scheduleWrite();
  }
}

void JsonDefaultsFile::remove(std::string_view key) {
  if (state_->update([&](Values& values) {
        auto it = values.find(key);
        if (it == values.end()) return false;
        values.erase(it);
        return true;
      })) {
    scheduleWrite();
  }
}

const fs::path& JsonDefaultsFile::file() const { return state_->file; }

std::optional<std::string> JsonDefaultsFile::lastWriteError() const {
  std::lock_guard lock(state_->mutex);
  return state_->lastWriteError;
}

std::uint64_t JsonDefaultsFile::writeCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->writes;
}

}  // namespace orvane
