// Feeds the input, whole, as one frame payload to the envelope parser and to the
// reference parser it replaced. Invariant: both give the same verdict, the same
// reason code or the same envelope; and the encoder writes every envelope, and the
// input's bytes as fields, as the reference encoder does. The frame cutter is left out, so every input byte
// reaches the JSON parsers; the seeds and the dictionary steer towards the corners
// where JSON parsers differ (repeated keys, nesting, long integers, surrogates, byte
// order marks, NUL bytes).

#include <cstdint>
#include <string_view>

#include "envelope_parity.hpp"
#include "wire/framing.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  if (size == 0 || size > Framing::maxPayload) return 0;  // never a payload
  const std::string_view payload(reinterpret_cast<const char*>(data), size);
  const auto parsed = Envelope::parse(payload);
  requireSameVerdict(parsed, reference::parseEnvelope(payload), payload);
  if (parsed) requireSameEncoding(*parsed);
  // The raw bytes as every field of an envelope to send, valid UTF-8 or not: both
  // encoders must write them alike.
  requireSameEncoding(Envelope{1, std::string(payload), std::string(payload), {{std::string(payload), std::string(payload)}}});
  return 0;
}
