#include "wire/envelope.hpp"

#include <nlohmann/json.hpp>

#include "base/crypto.hpp"
#include "base/text.hpp"
#include "wire/envelope_decoder.hpp"
#include "wire/json_text.hpp"

namespace orvane {

namespace {

using Json = nlohmann::json;

EnvelopeError failure(std::string_view code) { return EnvelopeError{std::string(code)}; }

expected<Envelope, EnvelopeError> parseText(std::string_view payload) {
  std::optional<Envelope> decoded;
  try {
    // Any syntax error, invalid UTF-8 included, is "malformed": the decoder's own
    // message is of no use to the phone.
    decoded = EnvelopeDecoder::decode(payload);
  } catch (...) {
    // Only allocation failure can get here; treat the frame as unreadable.
    decoded.reset();
  }
  if (!decoded) return unexpected(failure(EnvelopeError::malformedEnvelope));
  return Envelope::checked(std::move(*decoded));
}

}  // namespace

expected<Envelope, EnvelopeError> Envelope::checked(Envelope e) {
  if (e.v != 1) return unexpected(failure(EnvelopeError::unsupportedVersion));
  if (e.id.empty() || text::longerThan(e.id, maxIDLength)) return unexpected(failure(EnvelopeError::badMessageID));
  if (e.type.empty() || text::longerThan(e.type, maxTypeLength)) {
    return unexpected(failure(EnvelopeError::badMessageType));
  }
  // Only "text" is bounded here; the gates bound every other field they read.
  if (const auto body = e.get("text"); body && text::longerThan(*body, maxTextLength))
    return unexpected(failure(EnvelopeError::messageTooLong));
  return e;
}

expected<Envelope, EnvelopeError> Envelope::parse(const Bytes& payload) {
  return parseText(std::string_view(reinterpret_cast<const char*>(payload.data()), payload.size()));
}

expected<Envelope, EnvelopeError> Envelope::parse(std::string_view payload) {
  return parseText(payload);
}

namespace {

using JsonText::appendQuoted;
using JsonText::isValidUtf8;

}  // namespace

std::string Envelope::encode() const {
  bool valid = isValidUtf8(id) && isValidUtf8(type);
  for (const auto& [key, value] : body) valid = valid && isValidUtf8(key) && isValidUtf8(value);
  if (!valid) {
    // Text from this computer is UTF-8 by construction; should a stray invalid byte slip
    // in, the JSON library writes it as U+FFFD rather than making the send fail.
    Json json = Json::object();
    json["v"] = v;
    json["id"] = id;
    json["type"] = type;
    Json& fields = json["body"] = Json::object();
    for (const auto& [key, value] : body) fields[key] = value;
    return json.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
  }
  // Written directly, members in the order of their names as the library orders them
  // ("body", "id", "type", "v"; body keys sorted): every envelope sent goes through here.
  std::size_t size = id.size() + type.size() + 48;
  for (const auto& [key, value] : body) size += key.size() + value.size() + 6;
  std::string out;
  out.reserve(size);
  out += "{\"body\":{";
  bool first = true;
  for (const auto& [key, value] : body) {
    if (!first) out.push_back(',');
    first = false;
    appendQuoted(out, key);
    out.push_back(':');
    appendQuoted(out, value);
  }
  out += "},\"id\":";
  appendQuoted(out, id);
  out += ",\"type\":";
  appendQuoted(out, type);
  out += ",\"v\":";
  out += std::to_string(v);
  out.push_back('}');
  return out;
}

Envelope Envelope::make(std::string type, Body body) {
  return Envelope{1, crypto::uuidString(), std::move(type), std::move(body)};
}

std::optional<std::string_view> Envelope::get(std::string_view key) const {
  const auto it = body.find(key);
  if (it == body.end()) return std::nullopt;
  return std::string_view(it->second);
}

}  // namespace orvane
