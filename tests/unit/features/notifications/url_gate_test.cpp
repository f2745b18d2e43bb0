#include "features/notifications/url_gate.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

using OptString = std::optional<std::string>;

std::string repeat(std::string_view unit, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += unit;
  return out;
}

struct UrlRow {
  const char* name;
  OptString input;
  OptString expected;
};

void checkRows(std::initializer_list<UrlRow> rows) {
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const auto out = UrlGate::normalizeUrl(row.input);
    EXPECT_EQ(out, row.expected);
    // What comes out is already canonical.
    if (out) {
      EXPECT_EQ(UrlGate::normalizeUrl(out), out);
    }
  }
}

TEST(UrlGateNormalizeUrl, KeepsWebLinksAsWritten) {
  checkRows({
      {"none", std::nullopt, std::nullopt},
      {"https link", "https://example.com/a?b=c#d", "https://example.com/a?b=c#d"},
      {"http link", "http://example.com", "http://example.com"},
      {"scheme in capitals kept as written", "HTTPS://Example.COM/Path", "HTTPS://Example.COM/Path"},
      {"mixed-case scheme", "hTTp://x.org", "hTTp://x.org"},
      {"trimmed at both ends", " \t https://example.com/\n", "https://example.com/"},
      {"trimmed of Unicode spaces", "\u00A0\u3000https://example.com\u2029", "https://example.com"},
      {"several words", "https://example.com and more", std::nullopt},
      {"inner tab", "https://exa\tmple.com", std::nullopt},
      {"inner no-break space", "https://example.com/a\u00A0b", std::nullopt},
      {"inner line separator", "https://example.com/a\u2028b", std::nullopt},
      {"empty", "", std::nullopt},
      {"white space only", " \n ", std::nullopt},
  });
}

TEST(UrlGateNormalizeUrl, CompletesBareHostsAndSchemeRelativeLinks) {
  checkRows({
      {"two labels", "example.com", "https://example.com"},
      {"with path and query", "example.com/path?q=1", "https://example.com/path?q=1"},
      {"several labels", "news.bbc.co.uk", "https://news.bbc.co.uk"},
      {"hyphen inside a label", "my-site.example.org", "https://my-site.example.org"},
      {"port after a name", "example.com:8443/x", "https://example.com:8443/x"},
      {"at sign after the host part", "example.com/@user", "https://example.com/@user"},
      {"fragment ends the host part", "example.com#top", "https://example.com#top"},
      {"scheme-relative", "//example.com/x", "https://example.com/x"},
      {"scheme-relative needs no host check", "//intranet", "https://intranet"},
      {"localhost with port and path", "localhost:8080/path", "https://localhost:8080/path"},
      {"localhost in capitals", "LocalHost", "https://LocalHost"},
      {"port of Arabic-Indic digits", "localhost:\u0668\u0660", "https://localhost:\u0668\u0660"},
      {"IPv4 address", "192.168.1.10", "https://192.168.1.10"},
      {"IPv4 with leading zeros", "010.000.001.002:80", "https://010.000.001.002:80"},
      {"IPv4 with a sign", "+1.2.3.4", "https://+1.2.3.4"},
  });
}

TEST(UrlGateNormalizeUrl, RefusesWhatIsNotAWebHost) {
  checkRows({
      {"other scheme", "ftp://example.com", std::nullopt},
      {"other scheme further in", "example.com/go?to=ftp://x", std::nullopt},
      {"scheme without slashes", "mailto:me@example.com", std::nullopt},
      {"user in the host part", "user@example.com", std::nullopt},
      {"at sign before the port", "example.com@evil.com/x", std::nullopt},
      {"single label", "intranet", std::nullopt},
      {"last label with a digit", "example.c0m", std::nullopt},
      {"last label of one letter", "example.c", std::nullopt},
      {"label beginning with a hyphen", "-example.com", std::nullopt},
      {"label ending with a hyphen", "example-.com", std::nullopt},
      {"two dots in a row", "example..com", std::nullopt},
      {"trailing dot", "example.com.", std::nullopt},
      {"leading dot", ".example.com", std::nullopt},
      {"underscore in a label", "ex_ample.com", std::nullopt},
      {"non-ASCII label", "b\u00FCcher.de", std::nullopt},
      {"several words", "visit example.com today", std::nullopt},
      {"empty host part", "/path", std::nullopt},
      {"name missing before the port", ":8080", std::nullopt},
      {"localhost with an empty port", "localhost:", std::nullopt},
      {"localhost with a letter in the port", "localhost:80a", std::nullopt},
      {"second colon in the port", "example.com:80:90", std::nullopt},
      {"address part above 255", "192.168.1.256", std::nullopt},
      {"three numbers", "1.2.3", std::nullopt},
      {"five numbers", "1.2.3.4.5", std::nullopt},
      {"negative address part", "-1.2.3.4", std::nullopt},
      {"scheme-relative with white space", "//example.com/a b", std::nullopt},
  });
}

TEST(UrlGateNormalizeUrl, LabelsAreAtMostSixtyThreeCharacters) {
  const std::string label63 = "a" + std::string(61, 'b') + "c";
  checkRows({
      {"63-character label", label63 + ".com", "https://" + label63 + ".com"},
      {"64-character label", label63 + "d.com", std::nullopt},
      {"one-character labels", "a.b.io", "https://a.b.io"},
  });
}

TEST(UrlGateNormalizeUrl, LinksAreAtMostTwoThousandFortyEightCharacters) {
  const std::string base = "https://example.com/";
  const std::string bare = "example.com/";
  checkRows({
      {"2048 characters", base + std::string(2048 - base.size(), 'a'), base + std::string(2048 - base.size(), 'a')},
      {"2049 characters", base + std::string(2049 - base.size(), 'a'), std::nullopt},
      // Characters, not bytes: "e" with a combining accent is one character of three bytes.
      {"2048 characters of several bytes", base + repeat("e\u0301", 2048 - base.size()),
       base + repeat("e\u0301", 2048 - base.size())},
      // The added prefix counts: a bare host of 2040 characters becomes a 2048-character link.
      {"bare host growing to 2048", bare + std::string(2040 - bare.size(), 'a'),
       "https://" + bare + std::string(2040 - bare.size(), 'a')},
      {"bare host growing to 2049", bare + std::string(2041 - bare.size(), 'a'), std::nullopt},
  });
}

TEST(UrlGateLooksLikeHost, JudgesOnlyTheHostPart) {
  struct Row {
    const char* input;
    bool expected;
  };
  const Row rows[] = {
      {"example.com", true},
      {"example.com?q", true},
      {"example.com/a@b", true},
      {"localhost", true},
      {"LOCALHOST:1", true},
      {"localhost.", false},
      {"1.2.3.4", true},
      {"255.255.255.255", true},
      {"256.1.1.1", false},
      {"1.2.3.4:", false},
      {"", false},
      {"a@b.com", false},
      {"example.com:", false},
      {"example.com:\u2167", true},   // ROMAN NUMERAL EIGHT: a letter number
      {"example.com:\u00BD", true},   // VULGAR FRACTION ONE HALF: an other number
      {"example.com:8\u0301", false}, // a combining mark is not a number
      {"example.com:\xFF", false},    // not UTF-8
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.input);
    EXPECT_EQ(UrlGate::looksLikeHost(row.input), row.expected);
  }
}

TEST(UrlGateCleanContext, CollapsesAndRefusesAboveFiveHundredTwelve) {
  struct Row {
    const char* name;
    OptString input;
    OptString expected;
  };
  std::string spaced;  // 520 characters before collapsing, 510 after
  for (int i = 0; i < 10; ++i) spaced += "ab  ";
  spaced += std::string(480, 'c');
  const std::string collapsed = repeat("ab ", 10) + std::string(480, 'c');
  const Row rows[] = {
      {"none", std::nullopt, std::nullopt},
      {"collapsed", "  Shared\nfrom   Chrome ", "Shared from Chrome"},
      {"white space only", "\t\n", std::nullopt},
      {"512 characters", std::string(512, 'x'), std::string(512, 'x')},
      {"600 characters refused, not cut", std::string(600, 'x'), std::nullopt},
      {"limit applies after collapsing", spaced, collapsed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UrlGate::cleanContext(row.input), row.expected);
  }
  EXPECT_EQ(UrlGate::cleanApp(" Chrome "), "Chrome");
}

}  // namespace
}  // namespace orvane
