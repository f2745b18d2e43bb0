#include "platform/linux/json_defaults_file.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

#include "base/atomic_file.hpp"
#include "base/codec.hpp"
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

}  // namespace

JsonDefaultsFile::JsonDefaultsFile(fs::path file, Logger log) : file_(std::move(file)), log_(std::move(log)) {
  load();
}

expected<std::shared_ptr<JsonDefaultsFile>, std::string> JsonDefaultsFile::atDefaultLocation(Logger log) {
  auto folder = xdg::configFolder();
  if (!folder) return unexpected(folder.error());
  return std::make_shared<JsonDefaultsFile>(*folder / "defaults.json", std::move(log));
}

void JsonDefaultsFile::load() {
  std::optional<Bytes> content = files::readFile(file_);
  if (!content) return;
  json root = json::parse(content->begin(), content->end(), nullptr, /*allow_exceptions=*/false);
  if (!root.is_object()) {
    log_.error("defaults file " + file_.string() + " is not a JSON object; starting empty");
    return;
  }
  for (const auto& [key, value] : root.items()) {
    if (std::optional<DefaultsValue> decoded = decode(value)) {
      values_.insert_or_assign(key, std::move(*decoded));
    } else {
      log_.error("defaults file: dropped the value of " + key + " (unknown shape)");
    }
  }
}

void JsonDefaultsFile::save() {
  json root = json::object();
  for (const auto& [key, value] : values_) root[key] = encode(value);
  // Text that is not valid UTF-8 is written with U+FFFD in place of the bad bytes
  // rather than failing the whole file.
  std::string text = root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";

  expected<void, std::string> written = files::ensureDirectory(file_.parent_path(), 0700);
  if (written) written = files::writeFileAtomically(file_, toBytes(text), 0600);
  if (written) {
    lastWriteError_.reset();
  } else {
    lastWriteError_ = written.error();
    log_.error("defaults file not saved: " + written.error());
  }
}

std::optional<DefaultsValue> JsonDefaultsFile::object(std::string_view key) const {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void JsonDefaultsFile::set(std::string_view key, DefaultsValue value) {
  std::lock_guard lock(mutex_);
  values_.insert_or_assign(std::string(key), std::move(value));
  save();
}

void JsonDefaultsFile::remove(std::string_view key) {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  if (it == values_.end()) return;
  values_.erase(it);
  save();
}

std::optional<std::string> JsonDefaultsFile::lastWriteError() const {
  std::lock_guard lock(mutex_);
  return lastWriteError_;
}

}  // namespace orvane
