#include "reference_codec.hpp"

#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

namespace orvane::reference {

namespace {

using Json = nlohmann::json;

EnvelopeError failure(std::string_view code) { return EnvelopeError{std::string(code)}; }

// The envelope's shape: an object with "v" a JSON integer that fits 64 signed bits,
// "id" and "type" strings and "body" an object of strings. Other keys are ignored.
std::optional<Envelope> decode(const Json& json) {
  if (!json.is_object()) return std::nullopt;
  const auto v = json.find("v");
  const auto id = json.find("id");
  const auto type = json.find("type");
  const auto body = json.find("body");
  if (v == json.end() || id == json.end() || type == json.end() || body == json.end()) return std::nullopt;

  Envelope out;
  // 1.0 or 1e0 is a JSON number but not an integer; a version is always written as one.
  if (v->is_number_unsigned()) {
    const auto value = v->get<std::uint64_t>();
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    out.v = static_cast<std::int64_t>(value);
  } else if (v->is_number_integer()) {
    out.v = v->get<std::int64_t>();
  } else {
    return std::nullopt;
  }

  if (!id->is_string() || !type->is_string() || !body->is_object()) return std::nullopt;
  out.id = id->get<std::string>();
  out.type = type->get<std::string>();
  for (const auto& [key, value] : body->items()) {
    if (!value.is_string()) return std::nullopt;
    out.body.insert_or_assign(key, value.get<std::string>());
  }
  return out;
}

expected<Envelope, EnvelopeError> parseText(const char* begin, const char* end) {
  std::optional<Envelope> decoded;
  try {
    // Without exceptions a syntax error, including invalid UTF-8 inside a string,
    // comes back as a discarded value; the decoder's own message is of no use to the phone.
    const Json json = Json::parse(begin, end, nullptr, /*allow_exceptions=*/false);
    if (!json.is_discarded()) decoded = decode(json);
  } catch (...) {
    // Only allocation failure can get here; treat the frame as unreadable.
    decoded.reset();
  }
  if (!decoded) return unexpected(failure(EnvelopeError::malformedEnvelope));
  // The checks after decoding are the product's own: what is compared is the decoding.
  return Envelope::checked(std::move(*decoded));
}

}  // namespace

expected<Envelope, EnvelopeError> parseEnvelope(std::string_view payload) {
  return parseText(payload.data(), payload.data() + payload.size());
}

expected<Envelope, EnvelopeError> parseEnvelope(const Bytes& payload) {
  const auto* begin = reinterpret_cast<const char*>(payload.data());
  return parseText(begin, begin + payload.size());
}

std::string encodeEnvelope(const Envelope& envelope) {
  nlohmann::json json = nlohmann::json::object();
  json["v"] = envelope.v;
  json["id"] = envelope.id;
  json["type"] = envelope.type;
  nlohmann::json& fields = json["body"] = nlohmann::json::object();
  for (const auto& [key, value] : envelope.body) fields[key] = value;
  return json.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
}

}  // namespace orvane::reference
