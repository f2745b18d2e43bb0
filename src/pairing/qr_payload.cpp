#include "pairing/qr_payload.hpp"

#include <map>
#include <optional>

#include "base/codec.hpp"
#include "base/text.hpp"

namespace orvane {

namespace {

constexpr std::string_view magic = "ZEL1";
constexpr std::size_t pinBytes = 32;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t from = 0;
  while (true) {
    const std::size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

}  // namespace

std::string QrPayload::format() const {
  return std::string(magic) + "|ip=" + ip + "|port=" + std::to_string(port) + "|pin=" + codec::base64Encode(pin) +
         "|tok=" + token + "|exp=" + std::to_string(expiresAt);
}

expected<QrPayload, std::string> QrPayload::parse(std::string_view text) {
  const auto parts = split(text, '|');
  if (parts.front() != magic) return unexpected(std::string("the QR text does not begin with ZEL1|"));

  std::map<std::string_view, std::string_view> fields;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const auto eq = parts[i].find('=');
    if (eq == std::string_view::npos) return unexpected("the QR field \"" + std::string(parts[i]) + "\" has no \"=\"");
    const auto key = parts[i].substr(0, eq);
    if (!fields.emplace(key, parts[i].substr(eq + 1)).second)
      return unexpected("the QR field " + std::string(key) + " appears twice");
  }
  for (const char* key : {"ip", "port", "pin", "tok", "exp"}) {
    if (!fields.contains(key)) return unexpected("the QR text has no " + std::string(key) + " field");
  }

  QrPayload qr;
  qr.ip = std::string(fields["ip"]);

  const auto port = text::parseInt64(fields["port"]);
  if (!port || *port < 1 || *port > 65535) return unexpected("the QR port is not a port number: " + std::string(fields["port"]));
  qr.port = static_cast<std::uint16_t>(*port);

  const auto pin = codec::base64Decode(fields["pin"]);
  if (!pin || pin->size() != pinBytes)
    return unexpected("the QR pin is not the base64 of a 32-byte SHA-256: " + std::string(fields["pin"]));
  qr.pin = *pin;

  qr.token = std::string(fields["tok"]);
  if (qr.token.empty()) return unexpected(std::string("the QR invitation token (tok) is empty"));

  const auto exp = text::parseInt64(fields["exp"]);
  if (!exp) return unexpected("the QR expiry is not a number of seconds: " + std::string(fields["exp"]));
  qr.expiresAt = *exp;
  return qr;
}

}  // namespace orvane
