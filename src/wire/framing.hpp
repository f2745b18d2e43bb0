#pragma once

#include <cstdint>
#include <optional>

#include "base/bytes.hpp"
#include "base/expected.hpp"

// Frames on the TLS stream: a 4-byte big-endian payload length N (1..65536), then
// N bytes of envelope JSON. No magic, version, checksum or padding.
namespace orvane::Framing {

inline constexpr std::uint32_t maxPayload = 65536;
inline constexpr std::size_t headerSize = 4;

// The one error of the frame cutter: the length field as read (0 or above 65536).
struct Error {
  std::uint32_t invalidLength;
  bool operator==(const Error&) const = default;
};

// The frame for one encoded envelope; none when `json` is empty or longer than 65536 bytes.
std::optional<Bytes> encode(const Bytes& json);
std::optional<Bytes> encode(std::string_view json);

// The receive buffer of one connection. Bytes are appended at the back and whole
// frames are cut from the front.
class Buffer {
 public:
  void append(const std::uint8_t* data, std::size_t size);
  void append(const Bytes& chunk) { append(chunk.data(), chunk.size()); }

  // Removes and returns the first complete frame's payload, none when no complete
  // frame is buffered yet, or the error when the announced length is impossible
  // (checked as soon as the 4 header bytes are in; the buffer is then left as it was).
  expected<std::optional<Bytes>, Error> popFrame();

  std::size_t size() const { return data_.size() - start_; }
  // Bytes reserved by the buffer's storage; 0 after the buffer has emptied.
  std::size_t capacity() const { return data_.capacity(); }

 private:
  void compact();

  Bytes data_;
  std::size_t start_ = 0;  // consumed prefix not yet compacted
};

}  // namespace orvane::Framing
