#include "wire/framing.hpp"

#include <algorithm>

namespace orvane::Framing {

namespace {

// Largest frame a peer can send: header plus the biggest payload.
constexpr std::size_t maxFrame = headerSize + maxPayload;

std::optional<Bytes> frame(const std::uint8_t* json, std::size_t size) {
  if (size == 0 || size > maxPayload) return std::nullopt;
  Bytes out;
  out.reserve(headerSize + size);
  const auto n = static_cast<std::uint32_t>(size);
  out.push_back(static_cast<std::uint8_t>(n >> 24));
  out.push_back(static_cast<std::uint8_t>(n >> 16));
  out.push_back(static_cast<std::uint8_t>(n >> 8));
  out.push_back(static_cast<std::uint8_t>(n));
  out.insert(out.end(), json, json + size);
  return out;
}

}  // namespace

std::optional<Bytes> encode(const Bytes& json) { return frame(json.data(), json.size()); }

std::optional<Bytes> encode(std::string_view json) {
  return frame(reinterpret_cast<const std::uint8_t*>(json.data()), json.size());
}

void Buffer::append(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  data_.insert(data_.end(), data, data + size);
}

expected<std::optional<Bytes>, Error> Buffer::popFrame() {
  const std::size_t buffered = size();
  if (buffered < headerSize) {
    compact();
    return std::optional<Bytes>{};
  }

  const std::uint8_t* head = data_.data() + start_;
  const std::uint32_t length = (std::uint32_t{head[0]} << 24) | (std::uint32_t{head[1]} << 16) |
                               (std::uint32_t{head[2]} << 8) | std::uint32_t{head[3]};
  // Refused before the payload is awaited, so an impossible length never makes us
  // buffer up to 4 GiB; the buffer is left untouched.
  if (length == 0 || length > maxPayload) return unexpected(Error{length});

  if (buffered < headerSize + length) {
    compact();
    return std::optional<Bytes>{};
  }

  Bytes payload(head + headerSize, head + headerSize + length);
  start_ += headerSize + length;
  if (start_ == data_.size()) {
    // Drop the storage: a long-lived connection must not keep its largest frame's.
    Bytes().swap(data_);
    start_ = 0;
  }
  return std::optional<Bytes>{std::move(payload)};
}

// Called when no complete frame is left: the consumed prefix is dropped once per
// batch of frames instead of once per frame, so cutting stays linear. What remains
// is at most one incomplete frame, moved once.
void Buffer::compact() {
  if (start_ == 0) return;
  data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(start_));
  start_ = 0;
  // A burst of large chunks may have grown the storage well past one frame.
  if (data_.capacity() > maxFrame && data_.capacity() > 2 * data_.size()) data_.shrink_to_fit();
}

}  // namespace orvane::Framing
