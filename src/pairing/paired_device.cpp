#include "pairing/paired_device.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include <nlohmann/json.hpp>

#include "base/crypto.hpp"

namespace orvane {

namespace {

using Json = nlohmann::json;

// Records carry the date as the first versions wrote it, in their JSON coder's default:
// seconds relative to 2001-01-01 00:00:00 UTC as a floating-point number.
constexpr std::int64_t referenceDateUnixSeconds = 978307200;

// Whole seconds and the fraction are converted apart: nanoseconds since 1970 need
// more bits than a double holds, and a record must read back as the time it was
// written with.
double toReferenceSeconds(WallTime t) {
  using namespace std::chrono;
  const auto whole = floor<seconds>(t.time_since_epoch());
  const auto fraction = duration<double>(t.time_since_epoch() - whole);
  return static_cast<double>(whole.count() - referenceDateUnixSeconds) + fraction.count();
}

WallTime fromReferenceSeconds(double relative) {
  using namespace std::chrono;
  // The clock counts nanoseconds in 64 bits (about 292 years either side of 1970); a
  // date beyond that is kept at the nearest end instead of overflowing. The record
  // stays usable: pairedAt is only ever shown, never checked.
  constexpr double limit = 9.0e9;  // seconds, inside the clock's range
  const double unix = std::clamp(relative + static_cast<double>(referenceDateUnixSeconds), -limit, limit);
  const double whole = std::floor(unix);
  const auto fraction = round<WallTime::duration>(duration<double>(unix - whole));
  return WallTime(seconds(static_cast<std::int64_t>(whole)) + fraction);
}

const Json* member(const Json& object, const char* key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

}  // namespace

std::string PairedDevice::toJSON() const {
  Json object = {
      {"deviceID", deviceID},
      {"deviceName", deviceName},
      {"tokenHashB64", tokenHashB64},
      {"pairedAt", toReferenceSeconds(pairedAt)},
  };
  if (discoveryToken) object["discoveryToken"] = *discoveryToken;
  // Strings in the core are UTF-8; a byte sequence that is not is replaced rather than
  // letting the encoder throw.
  return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<PairedDevice> PairedDevice::fromJSON(const Bytes& json) {
  // No exceptions: a broken file means "no paired device", never a crash.
  const Json object = Json::parse(json.begin(), json.end(), nullptr, false);
  if (object.is_discarded() || !object.is_object()) return std::nullopt;

  const Json* id = member(object, "deviceID");
  const Json* name = member(object, "deviceName");
  const Json* hash = member(object, "tokenHashB64");
  const Json* date = member(object, "pairedAt");
  if (!id || !id->is_string() || !name || !name->is_string() || !hash || !hash->is_string() || !date ||
      !date->is_number()) {
    return std::nullopt;
  }
  const double seconds = date->get<double>();
  if (!std::isfinite(seconds)) return std::nullopt;

  PairedDevice device{id->get<std::string>(), name->get<std::string>(), hash->get<std::string>(),
                      fromReferenceSeconds(seconds), std::nullopt};
  // Optional: a missing key or null means absent; any other type makes the record
  // unreadable, as it would for the coder that wrote the first files. Unknown keys are
  // ignored, so a newer version's extra fields do not lose the pairing.
  if (const Json* token = member(object, "discoveryToken"); token && !token->is_null()) {
    if (!token->is_string()) return std::nullopt;
    device.discoveryToken = token->get<std::string>();
  }
  return device;
}

std::string PairedDevice::newDiscoveryToken() {
  constexpr std::uint32_t range = 1'000'000;
  // Values at or above the largest multiple of the range that fits in 32 bits are
  // drawn again, so that every code is equally likely (no modulo bias).
  constexpr std::uint64_t limit = (std::uint64_t{1} << 32) / range * range;
  std::uint32_t value = 0;
  for (;;) {
    auto bytes = crypto::secureRandom(4);
    if (!bytes) {
      // The secure source failed; the code is a discovery hint, not a credential.
      std::random_device device;
      value = std::uniform_int_distribution<std::uint32_t>(0, range - 1)(device);
      break;
    }
    const std::uint32_t draw = (std::uint32_t{(*bytes)[0]} << 24) | (std::uint32_t{(*bytes)[1]} << 16) |
                               (std::uint32_t{(*bytes)[2]} << 8) | std::uint32_t{(*bytes)[3]};
    if (draw < limit) {
      value = draw % range;
      break;
    }
  }
  char text[8];
  std::snprintf(text, sizeof text, "%06u", static_cast<unsigned>(value));
  return text;
}

}  // namespace orvane
