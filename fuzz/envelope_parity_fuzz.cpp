// Feeds the input, whole, as one frame payload to the envelope parser and to the
// reference parser it replaced. Invariant: both give the same verdict, the same
// reason code or the same envelope. The frame cutter is left out, so every input byte
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
  requireSameVerdict(Envelope::parse(payload), reference::parseEnvelope(payload), payload);
  return 0;
}
