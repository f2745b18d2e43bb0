#pragma once

#include <string>
#include <string_view>

#include "base/bytes.hpp"
#include "base/expected.hpp"
#include "wire/envelope.hpp"

// The envelope parser as it was before the wire moved to simdjson: nlohmann/json
// decoding followed by the same checks. Nothing the programs link uses it; it is the
// oracle that the fuzzers, the wire tests and the codec benchmark hold the product's
// parser against, so that every frame keeps the verdict it had.
namespace orvane::reference {

expected<Envelope, EnvelopeError> parseEnvelope(std::string_view payload);
expected<Envelope, EnvelopeError> parseEnvelope(const Bytes& payload);
// The encoder as it was: the JSON library's compact dump, invalid UTF-8 as U+FFFD.
std::string encodeEnvelope(const Envelope& envelope);

}  // namespace orvane::reference
