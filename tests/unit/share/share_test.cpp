// Flingshare's rules: finding the first web link in shared text, choosing among shared
// items, and the hand-off URL with its query escaping.
#include <gtest/gtest.h>

#include "features/notifications/url_gate.hpp"
#include "share/share_handoff.hpp"
#include "share/shared_items.hpp"

namespace orvane {
namespace {

TEST(ExtractFirstUrl, FindsTheFirstWebLinkAndTrimsItsPunctuation) {
  struct Row {
    std::optional<std::string> text;
    std::optional<std::string> link;
  };
  const std::vector<Row> rows{
      {std::nullopt, std::nullopt},
      {"see https://example.org/a?b=1&c=2, ok", "https://example.org/a?b=1&c=2"},  // comma after the link
      {"(https://example.org/x)", "https://example.org/x)"},  // the closing parenthesis is kept
      {"read \"https://example.org/q\"!", "https://example.org/q"},
      {"first http://one.example then https://two.example", "http://one.example"},
      {"Say hello to example.com today", std::nullopt},  // a bare host in a sentence
      {"example.com", "https://example.com"},             // a whole text that is a host
      {"  https://example.org/whole  ", "https://example.org/whole"},
      {"nothing here", std::nullopt},
      {"HTTPS://EXAMPLE.ORG shouting", std::nullopt},  // the search is case-sensitive
      {"go to https://", std::nullopt},
      {"ftp://example.org/file and more", std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(UrlGate::extractFirstUrl(row.text), row.link) << row.text.value_or("(none)");
  }
  const std::string longLink = "https://example.org/" + std::string(2100, 'a');
  EXPECT_EQ(UrlGate::extractFirstUrl("look " + longLink), std::nullopt) << "over 2048 characters";
}

TEST(ShareHandoff, EscapesTheLinkAsAQueryAllowsAndRefusesWhatIsNoLink) {
  EXPECT_EQ(ShareHandoff::url("https://example.org/a?b=1&c=2"),
            "orvane://send-url?u=https://example.org/a?b=1&c=2");
  EXPECT_EQ(ShareHandoff::url("example.com/path"), "orvane://send-url?u=https://example.com/path");
  EXPECT_EQ(ShareHandoff::url("https://example.org/caf\u00e9#top"),
            "orvane://send-url?u=https://example.org/caf%C3%A9%23top");
  EXPECT_EQ(ShareHandoff::url("https://example.org/100%25"), "orvane://send-url?u=https://example.org/100%2525");
  EXPECT_EQ(ShareHandoff::url("https://example.org/a b"), std::nullopt) << "an inner space";
  EXPECT_EQ(ShareHandoff::url("file:///etc/passwd"), std::nullopt);
  EXPECT_EQ(ShareHandoff::url(""), std::nullopt);
  EXPECT_EQ(ShareHandoff::escapeForQuery("!$&'()*+,-./:;=?@_~ <>\"{}|\\^`[]"),
            "!$&'()*+,-./:;=?@_~%20%3C%3E%22%7B%7D%7C%5C%5E%60%5B%5D");
}

TEST(SharedItems, AUrlWinsOverTextAndTextGivesItsFirstLink) {
  using Kind = SharedItem::Kind;
  EXPECT_EQ(SharedItems::fromArguments({"https://a.example", "see this", "file:///tmp/x", "mailto:me@example.org"}),
            (std::vector<SharedItem>{{Kind::url, "https://a.example"},
                                     {Kind::text, "see this"},
                                     {Kind::url, "file:///tmp/x"},
                                     {Kind::url, "mailto:me@example.org"}}));
  struct Row {
    std::vector<std::string> arguments;
    std::optional<std::string> link;
  };
  const std::vector<Row> rows{
      {{}, std::nullopt},
      {{"see https://example.org/a, ok"}, "https://example.org/a"},
      {{"example.com"}, "https://example.com"},
      {{"a sentence with example.com in it"}, std::nullopt},
      {{"text first https://in.text", "https://the.url"}, "https://the.url"},  // the URL item wins
      {{"file:///tmp/notes.txt"}, "file:///tmp/notes.txt"},  // handed on; the hand-off refuses it
      {{"no link", "https://second.text"}, "https://second.text"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SharedItems::linkToShare(SharedItems::fromArguments(row.arguments)), row.link);
  }
  EXPECT_EQ(ShareHandoff::url(*SharedItems::linkToShare(SharedItems::fromArguments({"file:///tmp/notes.txt"}))),
            std::nullopt);
}

}  // namespace
}  // namespace orvane
