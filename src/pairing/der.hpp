#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "base/bytes.hpp"
#include "base/clock.hpp"

// The small DER encoder that builds the self-signed certificate.
namespace orvane::DER {

// n < 128: one byte; otherwise 0x80 + count, then the minimal big-endian bytes of n.
Bytes length(std::size_t n);
Bytes tlv(std::uint8_t tag, const Bytes& content);
Bytes sequence(const std::vector<Bytes>& items);
// INTEGER of an unsigned big-endian value: leading zero bytes dropped while two or
// more remain, one 0x00 put in front when the top bit is set.
Bytes integerBytes(const Bytes& raw);
// OBJECT IDENTIFIER; at least two arcs, 40 * first + second below 256. Arcs that break
// that rule give empty bytes.
Bytes oid(const std::vector<std::uint64_t>& arcs);
Bytes utf8String(std::string_view s);
// UTCTime "yyMMddHHmmssZ" in GMT.
Bytes utcTime(WallTime t);

}  // namespace orvane::DER
