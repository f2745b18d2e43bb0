// normalizeUrl on arbitrary text: whatever it returns is a valid web link (non-empty,
// at most 2048 characters, no white space, http:// or https:// in any case) and is
// returned unchanged when normalised again.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.hpp"
#include "features/notifications/url_gate.hpp"

namespace {

void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  (void)orvane::UrlGate::looksLikeHost(input);

  const auto out = orvane::UrlGate::normalizeUrl(input);
  if (!out) return 0;

  require(!out->empty(), "link is not empty");
  require(!orvane::text::longerThan(*out, orvane::UrlGate::maxUrlLength), "link has at most 2048 characters");
  require(!orvane::text::containsWhiteSpace(*out), "link has no white space");
  const std::string lower = orvane::text::asciiLower(*out);
  require(lower.starts_with("http://") || lower.starts_with("https://"), "link is http or https");

  const auto again = orvane::UrlGate::normalizeUrl(out);
  require(again == out, "normalizeUrl is idempotent on its output");
  return 0;
}
