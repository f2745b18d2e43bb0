#include "wire/envelope_decoder.hpp"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "wire/json_text.hpp"

namespace orvane::EnvelopeDecoder {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

// Payloads up to this size go through a parser kept by each thread, which grows its
// buffers to the largest such payload. A larger one (album art, a long clipboard) gets
// a parser of its own, freed afterwards: a connection that once carried a 64 KiB frame
// should not hold about a megabyte of parser buffers for the rest of its life.
constexpr std::size_t kKeptCapacity = 16 * 1024;

simdjson::dom::parser& keptParser() {
  thread_local simdjson::dom::parser parser(kKeptCapacity);
  return parser;
}

// Parses `text` with `parser` and, when it is JSON, hands the root to `read` while
// the parser still holds the document.
template <class Read>
simdjson::error_code parseWith(simdjson::dom::parser& parser, std::string_view text, Read& read) {
  element root;
  // The parser copies the text into its own padded buffer, so the payload needs no
  // slack behind it.
  const simdjson::error_code error = parser.parse(text.data(), text.size()).get(root);
  if (error == simdjson::SUCCESS) read(root);
  return error;
}

template <class Read>
simdjson::error_code parseAnyDepth(std::string_view text, Read& read) {
  simdjson::error_code error;
  if (text.size() <= kKeptCapacity) {
    error = parseWith(keptParser(), text, read);
  } else {
    simdjson::dom::parser once;
    error = parseWith(once, text, read);
  }
  if (error != simdjson::DEPTH_ERROR) return error;
  // Nesting is bounded by the frame, not by the parser's usual limit of 1024 levels:
  // values under ignored keys may nest as deep as the payload allows (each level takes
  // a byte), and such a frame has always been read.
  simdjson::dom::parser deep;
  if (deep.allocate(text.size(), text.size() + 1) != simdjson::SUCCESS) return simdjson::MEMALLOC;
  return parseWith(deep, text, read);
}

// An integer that fits 64 signed bits; 1.0 or 1e0 is a JSON number but not an
// integer, and a version is always written as one.
std::optional<std::int64_t> integer(element value) {
  switch (value.type()) {
    case element_type::INT64: {
      std::int64_t n = 0;
      if (value.get_int64().get(n) != simdjson::SUCCESS) return std::nullopt;
      return n;
    }
    case element_type::UINT64: {
      std::uint64_t n = 0;
      if (value.get_uint64().get(n) != simdjson::SUCCESS) return std::nullopt;
      if (n > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
      return static_cast<std::int64_t>(n);
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::string_view> string(element value) {
  std::string_view s;
  if (value.get_string().get(s) != simdjson::SUCCESS) return std::nullopt;
  return s;
}

// An object whose values are all strings. A key's earlier value, of whatever type,
// is replaced by its later one, so only the last value of each key has to be a string.
std::optional<Body> body(element value) {
  simdjson::dom::object fields;
  if (value.get_object().get(fields) != simdjson::SUCCESS) return std::nullopt;
  Body out;
  std::vector<std::string_view> notStrings;  // keys whose latest value is not a string
  for (const simdjson::dom::key_value_pair field : fields) {
    const std::optional<std::string_view> text = string(field.value);
    const auto noted = std::find(notStrings.begin(), notStrings.end(), field.key);
    if (text) {
      if (noted != notStrings.end()) notStrings.erase(noted);
      auto [at, inserted] = out.try_emplace(std::string(field.key), *text);
      if (!inserted) at->second.assign(*text);
    } else {
      if (noted == notStrings.end()) notStrings.push_back(field.key);
      if (const auto at = out.find(field.key); at != out.end()) out.erase(at);
    }
  }
  if (!notStrings.empty()) return std::nullopt;
  return out;
}

std::optional<Envelope> envelope(element root) {
  simdjson::dom::object fields;
  if (root.get_object().get(fields) != simdjson::SUCCESS) return std::nullopt;
  // Each is decided by the last occurrence of its key: none when absent or of the wrong type.
  std::optional<std::int64_t> v;
  std::optional<std::string_view> id;
  std::optional<std::string_view> type;
  std::optional<Body> content;
  for (const simdjson::dom::key_value_pair field : fields) {
    if (field.key == "v") {
      v = integer(field.value);
    } else if (field.key == "id") {
      id = string(field.value);
    } else if (field.key == "type") {
      type = string(field.value);
    } else if (field.key == "body") {
      content = body(field.value);
    }
  }
  if (!v || !id || !type || !content) return std::nullopt;
  return Envelope{*v, std::string(*id), std::string(*type), std::move(*content)};
}

}  // namespace

std::optional<Envelope> decode(std::string_view payload) {
  const std::string_view text = JsonText::document(payload);
  // Never JSON; and an empty payload may have no storage at all to hand the parser.
  if (text.empty()) return std::nullopt;
  std::optional<Envelope> out;
  auto read = [&](element root) { out = envelope(root); };
  simdjson::error_code error = parseAnyDepth(text, read);
  if (error == simdjson::NUMBER_ERROR) {
    // simdjson refuses integers beyond 64 bits that JSON allows; read them as the
    // doubles they are, and refuse them only where a double cannot hold them.
    if (const std::optional<std::string> widened = JsonText::longIntegersAsFractions(text)) {
      error = parseAnyDepth(std::string_view(*widened), read);
    }
  }
  if (error != simdjson::SUCCESS) return std::nullopt;
  return out;
}

}  // namespace orvane::EnvelopeDecoder
