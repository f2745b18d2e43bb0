// The link inside a hand-off URL: only "orvane://send-url?u=" with a web link counts,
// the link's own query characters ride along unescaped, and anything else is refused.
#include "app/handoff_link.hpp"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(HandoffLink, OnlyAWellFormedHandOffOfAWebLinkGivesItsLink) {
  struct Row {
    std::string url;
    std::optional<std::string> link;
  };
  const std::vector<Row> rows{
      {"orvane://send-url?u=https://example.org/a?b=1&c=2", "https://example.org/a?b=1&c=2"},
      {"orvane://send-url?u=https://example.org/caf%C3%A9%23top", "https://example.org/caf\u00e9#top"},
      {"ORVANE://SEND-URL?u=https://example.org", "https://example.org"},  // scheme and host in any case
      {"orvane://send-url?u=example.com", "https://example.com"},          // made canonical by the link gate
      {"orvane://send-url?u=https://example.org/a%20b", std::nullopt},     // a space inside
      {"orvane://send-url?u=file:///etc/passwd", std::nullopt},
      {"orvane://send-url?u=javascript:alert(1)", std::nullopt},
      {"orvane://send-url?u=", std::nullopt},
      {"orvane://send-url?x=1&u=https://example.org", std::nullopt},
      {"orvane://send-url", std::nullopt},
      {"orvane://evil.example?u=https://example.org", std::nullopt},  // another host
      {"orvane://send-urls?u=https://example.org", std::nullopt},
      {"https://send-url?u=https://example.org", std::nullopt},  // another scheme
      {"orvane://send-url?u=https://example.org/%zz", std::nullopt},  // a broken escape
      {"orvane://send-url?u=https://example.org/%4", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(linkFromHandoff(row.url), row.link) << row.url;
}

}  // namespace
}  // namespace orvane
