#include "session_command.hpp"

#include <nlohmann/json.hpp>
#include <optional>

#include "base/text.hpp"

namespace orvane::phone::SessionCommand {

namespace {

std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Hexadecimal digits in pairs; spaces between them are allowed so that a frame can
// be written as "00 00 00 05 ...".
expected<Bytes, std::string> hexDecode(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c != ' ' && c != '\t') digits.push_back(c);
  }
  if (digits.empty()) return unexpected(std::string("raw needs hexadecimal bytes"));
  if (digits.size() % 2 != 0) return unexpected(std::string("raw needs an even number of hexadecimal digits"));
  Bytes out;
  out.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const auto hi = hexDigit(digits[i]);
    const auto lo = hexDigit(digits[i + 1]);
    if (!hi || !lo) return unexpected("not a hexadecimal byte: " + digits.substr(i, 2));
    out.push_back(static_cast<std::uint8_t>(*hi * 16 + *lo));
  }
  return out;
}

expected<Body, std::string> bodyFrom(std::string_view text) {
  if (text.empty()) return Body{};
  const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return unexpected(std::string("the body must be a JSON object"));
  Body body;
  for (const auto& [key, value] : json.items()) {
    if (!value.is_string()) return unexpected("body values must be strings; \"" + key + "\" is not (use raw for that)");
    body.insert_or_assign(key, value.get<std::string>());
  }
  return body;
}

}  // namespace

expected<Command, std::string> parse(std::string_view raw) {
  const std::string line = text::trim(raw);
  const auto space = line.find(' ');
  const std::string word = line.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : text::trim(line.substr(space + 1));

  if (word == "send") {
    if (rest.empty()) return unexpected(std::string("send needs a message type"));
    const auto typeEnd = rest.find(' ');
    Send send{rest.substr(0, typeEnd), {}};
    auto body = bodyFrom(typeEnd == std::string::npos ? "" : text::trim(rest.substr(typeEnd + 1)));
    if (!body) return unexpected(body.error());
    send.body = std::move(*body);
    return send;
  }
  if (word == "raw") {
    auto bytes = hexDecode(rest);
    if (!bytes) return unexpected(bytes.error());
    return Raw{std::move(*bytes)};
  }
  if (word == "auto-ack") {
    if (rest != "on" && rest != "off") return unexpected(std::string("auto-ack takes on or off"));
    return AutoAck{rest == "on"};
  }
  if (!rest.empty() && (word == "forget" || word == "disconnect" || word == "quit"))
    return unexpected(word + " takes no argument");
  if (word == "forget") return Forget{};
  if (word == "disconnect") return Disconnect{};
  if (word == "quit") return Quit{};
  return unexpected("unknown command: " + line + " (try send TYPE JSON, raw HEX, auto-ack on|off, forget, disconnect, quit)");
}

}  // namespace orvane::phone::SessionCommand
