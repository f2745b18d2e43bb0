#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.hpp"

namespace orvane::codec {

// Standard base64 ("+", "/", "=" padding).
std::string base64Encode(const Bytes& data);
// Strict decoder: length a multiple of 4, padding required, no white space or other
// stray characters, padding only at the end. None when the text is not valid.
std::optional<Bytes> base64Decode(std::string_view text);

// base64url ("-", "_") without trailing "=".
std::string base64urlEncode(const Bytes& data);
// Accepts base64url with or without padding; none when invalid.
std::optional<Bytes> base64urlDecode(std::string_view text);

// Lower-case hexadecimal, two digits a byte.
std::string hexEncode(const Bytes& data);

}  // namespace orvane::codec
