#include "pairing/der.hpp"

#include <ctime>

namespace orvane::DER {

Bytes length(std::size_t n) {
  if (n < 128) return {static_cast<std::uint8_t>(n)};
  Bytes digits;
  for (std::size_t v = n; v != 0; v >>= 8) digits.insert(digits.begin(), static_cast<std::uint8_t>(v & 0xFF));
  digits.insert(digits.begin(), static_cast<std::uint8_t>(0x80 + digits.size()));
  return digits;
}

Bytes tlv(std::uint8_t tag, const Bytes& content) {
  Bytes out{tag};
  Bytes len = length(content.size());
  out.insert(out.end(), len.begin(), len.end());
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

Bytes sequence(const std::vector<Bytes>& items) {
  Bytes content;
  for (const Bytes& item : items) content.insert(content.end(), item.begin(), item.end());
  return tlv(0x30, content);
}

Bytes integerBytes(const Bytes& raw) {
  std::size_t start = 0;
  while (raw.size() - start >= 2 && raw[start] == 0x00) ++start;
  Bytes content(raw.begin() + static_cast<std::ptrdiff_t>(start), raw.end());
  // An empty value is zero; a set top bit would read as negative without the 0x00.
  if (content.empty() || (content.front() & 0x80) != 0) content.insert(content.begin(), 0x00);
  return tlv(0x02, content);
}

Bytes oid(const std::vector<std::uint64_t>& arcs) {
  if (arcs.size() < 2 || arcs[0] > 6 || arcs[1] >= 256 || 40 * arcs[0] + arcs[1] >= 256) return {};
  Bytes content{static_cast<std::uint8_t>(40 * arcs[0] + arcs[1])};
  for (std::size_t i = 2; i < arcs.size(); ++i) {
    Bytes groups;
    std::uint64_t v = arcs[i];
    groups.push_back(static_cast<std::uint8_t>(v & 0x7F));
    for (v >>= 7; v != 0; v >>= 7) groups.insert(groups.begin(), static_cast<std::uint8_t>(0x80 | (v & 0x7F)));
    content.insert(content.end(), groups.begin(), groups.end());
  }
  return tlv(0x06, content);
}

Bytes utf8String(std::string_view s) { return tlv(0x0C, Bytes(s.begin(), s.end())); }

Bytes utcTime(WallTime t) {
  std::time_t seconds = static_cast<std::time_t>(unixSeconds(t));
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[16];
  std::strftime(text, sizeof text, "%y%m%d%H%M%SZ", &parts);
  return tlv(0x17, toBytes(text));
}

}  // namespace orvane::DER
