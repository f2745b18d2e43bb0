#pragma once

#include <optional>
#include <string_view>

#include "wire/envelope.hpp"

// Reads the JSON of one frame payload into the envelope's shape, with simdjson: the
// whole JSON text (JsonText::document) is validated, strict UTF-8 everywhere and the
// syntax of every value, even under keys that are ignored, before anything is taken
// from it.
namespace orvane::EnvelopeDecoder {

// The envelope in `payload`; none when it is not JSON of the envelope's shape: an
// object with "v" an integer that fits 64 signed bits, "id" and "type" strings and
// "body" an object of strings. Other keys are ignored. A key given twice counts with
// its last value, in the object and in the body alike. The lengths and the version
// are not checked here.
std::optional<Envelope> decode(std::string_view payload);

}  // namespace orvane::EnvelopeDecoder
