#include "base/codec.hpp"

#include <array>
#include <cstdint>

namespace orvane::codec {

namespace {

constexpr std::string_view kStandardAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kUrlAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

constexpr std::uint8_t kInvalid = 0xFF;

using DecodeTable = std::array<std::uint8_t, 256>;

constexpr DecodeTable makeTable(std::string_view alphabet) {
  DecodeTable table{};
  for (auto& entry : table) entry = kInvalid;
  for (std::size_t i = 0; i < alphabet.size(); ++i) table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
  return table;
}

constexpr DecodeTable kStandardTable = makeTable(kStandardAlphabet);
constexpr DecodeTable kUrlTable = makeTable(kUrlAlphabet);

std::string encode(const Bytes& data, std::string_view alphabet, bool pad) {
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= data.size(); i += 3) {
    const std::uint32_t v = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) | data[i + 2];
    out.push_back(alphabet[(v >> 18) & 0x3F]);
    out.push_back(alphabet[(v >> 12) & 0x3F]);
    out.push_back(alphabet[(v >> 6) & 0x3F]);
    out.push_back(alphabet[v & 0x3F]);
  }
  const std::size_t rest = data.size() - i;
  if (rest == 1) {
    const std::uint32_t v = std::uint32_t{data[i]} << 16;
    out.push_back(alphabet[(v >> 18) & 0x3F]);
    out.push_back(alphabet[(v >> 12) & 0x3F]);
    if (pad) out.append("==");
  } else if (rest == 2) {
    const std::uint32_t v = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8);
    out.push_back(alphabet[(v >> 18) & 0x3F]);
    out.push_back(alphabet[(v >> 12) & 0x3F]);
    out.push_back(alphabet[(v >> 6) & 0x3F]);
    if (pad) out.push_back('=');
  }
  return out;
}

// Decodes base64 text that carries no padding. A last group of one character cannot
// hold a byte and is refused; unused low bits of the last character are ignored, as
// Foundation does.
std::optional<Bytes> decodeUnpadded(std::string_view text, const DecodeTable& table) {
  if (text.size() % 4 == 1) return std::nullopt;
  Bytes out;
  out.reserve(text.size() / 4 * 3 + 2);
  std::uint32_t acc = 0;
  int bits = 0;
  for (char c : text) {
    const std::uint8_t v = table[static_cast<unsigned char>(c)];
    if (v == kInvalid) return std::nullopt;
    acc = (acc << 6) | v;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<std::uint8_t>((acc >> bits) & 0xFF));
    }
  }
  return out;
}

// Number of trailing "=" (at most two are looked at).
std::size_t paddingLength(std::string_view text) {
  std::size_t pad = 0;
  while (pad < 2 && pad < text.size() && text[text.size() - 1 - pad] == '=') ++pad;
  return pad;
}

}  // namespace

std::string base64Encode(const Bytes& data) { return encode(data, kStandardAlphabet, true); }

std::optional<Bytes> base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  const std::size_t pad = paddingLength(text);
  // A third "=" or one in the middle is left in the body and fails there.
  return decodeUnpadded(text.substr(0, text.size() - pad), kStandardTable);
}

std::string base64urlEncode(const Bytes& data) { return encode(data, kUrlAlphabet, false); }

std::optional<Bytes> base64urlDecode(std::string_view text) {
  const std::size_t pad = paddingLength(text);
  // Padding, when present, must complete the last group of four exactly.
  if (pad > 0 && text.size() % 4 != 0) return std::nullopt;
  return decodeUnpadded(text.substr(0, text.size() - pad), kUrlTable);
}

std::string hexEncode(const Bytes& data) {
  constexpr std::string_view digits = "0123456789abcdef";
  std::string out;
  out.reserve(data.size() * 2);
  for (std::uint8_t b : data) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 0x0F]);
  }
  return out;
}

}  // namespace orvane::codec
