#pragma once

// The check that the fuzzers share: the product's envelope parser must give every
// payload the verdict of the reference parser it replaced.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "reference_codec.hpp"
#include "wire/envelope.hpp"

namespace orvane {

inline std::string describeVerdict(const expected<Envelope, EnvelopeError>& parsed) {
  if (!parsed) return parsed.error().reason;
  std::string out = "v " + std::to_string(parsed->v) + " id \"" + parsed->id + "\" type \"" + parsed->type + "\"";
  for (const auto& [key, value] : parsed->body) out += " [" + key + "]=\"" + value + "\"";
  return out;
}

// Aborts, naming both verdicts, when they differ in code or in the envelope parsed.
template <class Payload>
void requireSameVerdict(const expected<Envelope, EnvelopeError>& now,
                        const expected<Envelope, EnvelopeError>& before, const Payload& payload) {
  const bool same = now.has_value() == before.has_value() && (now ? *now == *before : now.error() == before.error());
  if (same) return;
  std::fprintf(stderr, "verdicts differ on a payload of %zu bytes\n  simdjson:  %s\n  reference: %s\n",
               payload.size(), describeVerdict(now).c_str(), describeVerdict(before).c_str());
  std::abort();
}

// Aborts when the product's encoder writes `envelope` otherwise than the reference.
inline void requireSameEncoding(const Envelope& envelope) {
  const std::string now = envelope.encode();
  const std::string before = reference::encodeEnvelope(envelope);
  if (now == before) return;
  std::fprintf(stderr, "encodings differ\n  product:   %s\n  reference: %s\n", now.c_str(), before.c_str());
  std::abort();
}

}  // namespace orvane
