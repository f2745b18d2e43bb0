#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.hpp"
#include "base/expected.hpp"

namespace orvane {

using Body = std::map<std::string, std::string, std::less<>>;

// Why an incoming frame is not a usable envelope; `reason` is sent back in an `error`.
struct EnvelopeError {
  std::string reason;  // one of the five codes below
  bool operator==(const EnvelopeError&) const = default;

  static constexpr std::string_view malformedEnvelope = "malformed_envelope";
  static constexpr std::string_view unsupportedVersion = "unsupported_version";
  static constexpr std::string_view badMessageID = "bad_message_id";
  static constexpr std::string_view badMessageType = "bad_message_type";
  static constexpr std::string_view messageTooLong = "message_too_long";
};

// The one wire message record.
struct Envelope {
  std::int64_t v = 1;
  std::string id;
  std::string type;
  Body body;

  static constexpr std::size_t maxIDLength = 64;     // characters
  static constexpr std::size_t maxTypeLength = 32;   // characters
  static constexpr std::size_t maxTextLength = 4096; // characters, body key "text"

  // Decodes and validates one frame payload; checks run in the order of the codes above.
  static expected<Envelope, EnvelopeError> parse(const Bytes& payload);
  static expected<Envelope, EnvelopeError> parse(std::string_view payload);
  // The checks that follow decoding, in the order of the codes above (version, id,
  // type, text length): `decoded` when it passes them all. Every decoder of envelopes
  // ends here, so that the rules and their order live in one place.
  static expected<Envelope, EnvelopeError> checked(Envelope decoded);

  // Compact JSON with the keys "v", "id", "type", "body".
  std::string encode() const;

  // A new outgoing envelope: v 1, a fresh upper-case UUID as id.
  static Envelope make(std::string type, Body body = {});

  // The body value under `key`, none when absent.
  std::optional<std::string_view> get(std::string_view key) const;
  // The same as an owned string, the form the gates take.
  std::optional<std::string> text(std::string_view key) const {
    auto v = get(key);
    return v ? std::optional<std::string>(*v) : std::nullopt;
  }
  // A flag: true only for "1".
  bool flag(std::string_view key) const { return get(key) == std::optional<std::string_view>("1"); }

  bool operator==(const Envelope&) const = default;
};

}  // namespace orvane
