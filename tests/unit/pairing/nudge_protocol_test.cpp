#include "pairing/nudge_protocol.hpp"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <sstream>
#include <vector>

#include "base/codec.hpp"

namespace orvane {
namespace {

Bytes keyOf(std::size_t n) {
  Bytes key(n);
  for (std::size_t i = 0; i < n; ++i) key[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 29));
  return key;
}

// HMAC-SHA256 in base64url without "=", computed with OpenSSL directly.
std::string expectedMac(const Bytes& key, const std::string& message) {
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(message.data()),
       message.size(), mac, &length);
  EXPECT_EQ(length, 32u);
  unsigned char text[64] = {};
  const int written = EVP_EncodeBlock(text, mac, static_cast<int>(length));
  std::string out(reinterpret_cast<char*>(text), static_cast<std::size_t>(written));
  for (char& c : out) c = c == '+' ? '-' : c == '/' ? '_' : c;
  while (!out.empty() && out.back() == '=') out.pop_back();
  return out;
}

std::vector<std::string> splitOnSpaces(const std::string& line) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(line);
  while (std::getline(in, part, ' ')) parts.push_back(part);
  return parts;
}

TEST(NudgeProtocolLine, FourFieldsSignedOverThePipeJoinedText) {
  struct Row {
    const char* name;
    std::string deviceID;
    std::int64_t stamp;
  };
  const Row rows[] = {
      {"typical", "pixel-8-0f3a", 1767623400},
      {"non-ASCII identifier", "t\u00e9l\u00e9phone-\U0001F4F1", 1767623400},
      {"early stamp", "d", 7},
  };
  const Bytes key = keyOf(32);
  const std::string keyB64 = codec::base64Encode(key);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto line = NudgeProtocol::line(row.deviceID, row.stamp, keyB64);
    ASSERT_TRUE(line);
    const std::string stamp = std::to_string(row.stamp);
    const std::string mac = expectedMac(key, "WKN1|" + row.deviceID + "|" + stamp);
    EXPECT_EQ(mac.size(), 43u);
    EXPECT_EQ(*line, "WKN1 " + row.deviceID + " " + stamp + " " + mac);
    EXPECT_EQ(splitOnSpaces(*line).size(), 4u);
    EXPECT_EQ(line->find('\n'), std::string::npos);
  }
}

TEST(NudgeProtocolLine, TheStampAndTheIdentifierAreBothSigned) {
  const std::string keyB64 = codec::base64Encode(keyOf(32));
  const auto a = NudgeProtocol::line("d", 1767623400, keyB64);
  const auto b = NudgeProtocol::line("d", 1767623401, keyB64);
  const auto c = NudgeProtocol::line("e", 1767623400, keyB64);
  ASSERT_TRUE(a && b && c);
  EXPECT_NE(splitOnSpaces(*a)[3], splitOnSpaces(*b)[3]);
  EXPECT_NE(splitOnSpaces(*a)[3], splitOnSpaces(*c)[3]);
}

TEST(NudgeProtocolLine, NoneUnlessTheStoredHashIs32BytesOfStandardBase64) {
  const std::string url = codec::base64urlEncode(keyOf(32));
  ASSERT_NE(url.find_first_of("-_"), std::string::npos);  // really a different spelling
  struct Row {
    const char* name;
    std::string tokenHashB64;
  };
  const Row rows[] = {
      {"31 bytes", codec::base64Encode(keyOf(31))},
      {"33 bytes", codec::base64Encode(keyOf(33))},
      {"empty", ""},
      {"base64url spelling", url},
      {"padding dropped", codec::base64Encode(keyOf(32)).substr(0, 43)},
      {"not base64", "this is not a hash"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(NudgeProtocol::line("d", 1767623400, row.tokenHashB64), std::nullopt);
  }
}

}  // namespace
}  // namespace orvane
