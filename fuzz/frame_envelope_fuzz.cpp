// Feeds the input as a received byte stream, cut into chunks of pseudo-random sizes,
// through one connection's frame buffer and parses every frame it yields.
//
// Invariants: the buffer never holds more than one incomplete frame once drained and
// never keeps more storage than a few frames; a refused length is 0 or above 65536 and
// leaves the buffer untouched; every payload is 1..65536 bytes; a parse error is one of
// the five codes; the reference parser gives the same verdict (the same code, or the
// same envelope); an envelope that parses re-encodes to JSON that parses to the same
// envelope.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "envelope_parity.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"

namespace {

using namespace orvane;

constexpr std::size_t maxFrame = Framing::headerSize + Framing::maxPayload;
constexpr std::size_t maxChunk = 2 * maxFrame;

void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

bool isKnownReason(std::string_view r) {
  return r == EnvelopeError::malformedEnvelope || r == EnvelopeError::unsupportedVersion ||
         r == EnvelopeError::badMessageID || r == EnvelopeError::badMessageType || r == EnvelopeError::messageTooLong;
}

void checkPayload(const Bytes& payload) {
  require(!payload.empty() && payload.size() <= Framing::maxPayload, "payload size within 1..65536");
  const auto parsed = Envelope::parse(payload);
  requireSameVerdict(parsed, reference::parseEnvelope(payload), payload);
  if (!parsed) {
    require(isKnownReason(parsed.error().reason), "parse error is one of the five codes");
    return;
  }
  const std::string json = parsed->encode();
  const auto again = Envelope::parse(json);
  require(again.has_value(), "re-encoded envelope parses");
  require(*again == *parsed, "re-encoded envelope parses to the same envelope");
  require(json.find('\n') == std::string::npos, "encoding is compact");
}

// Chunk sizes: mostly small (as TLS records arrive), sometimes large.
struct ChunkSizes {
  std::uint32_t state;
  std::size_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    switch (state % 4) {
      case 0: return 1 + state / 4 % 4;
      case 1: return 1 + state / 4 % 64;
      case 2: return 1 + state / 4 % 4096;
      default: return 1 + state / 4 % maxChunk;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  // Integers are taken from the end of the input, so the stream keeps its front bytes.
  ChunkSizes sizes{provider.ConsumeIntegral<std::uint32_t>() | 1u};
  const std::vector<std::uint8_t> stream = provider.ConsumeRemainingBytes<std::uint8_t>();

  Framing::Buffer buffer;
  std::size_t offset = 0;
  std::size_t delivered = 0;
  std::size_t consumed = 0;
  while (offset < stream.size()) {
    const std::size_t n = std::min(sizes.next(), stream.size() - offset);
    buffer.append(stream.data() + offset, n);
    offset += n;
    delivered += n;

    while (true) {
      const std::size_t before = buffer.size();
      auto frame = buffer.popFrame();
      if (!frame) {
        const std::uint32_t length = frame.error().invalidLength;
        require(length == 0 || length > Framing::maxPayload, "refused length is impossible");
        require(buffer.size() == before, "refusal leaves the buffer as it was");
        auto again = buffer.popFrame();
        require(!again && again.error() == frame.error(), "refusal is repeatable");
        return 0;  // the connection would be closed here
      }
      if (!frame->has_value()) break;
      const Bytes& payload = **frame;
      consumed += Framing::headerSize + payload.size();
      require(buffer.size() == before - Framing::headerSize - payload.size(), "exactly one frame removed");
      checkPayload(payload);
    }
    require(consumed + buffer.size() == delivered, "no byte lost or invented");
    require(buffer.size() < maxFrame, "at most one incomplete frame is held");
    require(buffer.size() != 0 || buffer.capacity() == 0, "storage released when empty");
    require(buffer.capacity() <= 2 * maxFrame + maxChunk, "storage bounded by a few frames");
  }
  return 0;
}
