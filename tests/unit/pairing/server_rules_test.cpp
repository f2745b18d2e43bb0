#include "pairing/server_rules.hpp"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <functional>

#include "base/codec.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using ServerRules::Accept;
using ServerRules::Decision;
using ServerRules::Reject;

std::string repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

Bytes pattern(std::size_t n) {
  // High bytes so that the base64 forms contain "+" and "/" (and "-" and "_").
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(0xF8 + i * 37);
  return out;
}

Bytes independentSha256(const Bytes& data) {
  Bytes out(SHA256_DIGEST_LENGTH);
  SHA256(data.data(), data.size(), out.data());
  return out;
}

const WallTime now = WallTime{} + 1767623400s;
const std::string inviteToken = "q1w2e3r4t5y6u7i8o9p0aZ";
const std::string phoneToken = codec::base64urlEncode(pattern(32));  // 43 characters, no "="

// One pair request against the server's state.
struct Scenario {
  std::optional<Invitation> invitation = Invitation{inviteToken, now + 300s, false};
  std::optional<std::string> pairedID;
  bool pending = false;
  Body body{{"invitation_token", inviteToken},
            {"device_id", "pixel-8-0f3a"},
            {"device_name", "Pixel 8"},
            {"phone_token", phoneToken}};

  Decision decide() { return ServerRules::decidePairRequest(invitation, pairedID, pending, body, now); }
};

std::string describe(const Decision& d) {
  if (auto* r = std::get_if<Reject>(&d)) return "reject " + r->code;
  const auto& a = std::get<Accept>(d);
  return "accept " + a.deviceID + " / " + a.deviceName;
}

TEST(DecidePairRequest, ChecksInOrderAndConsumesOnlyAfterTheTokenMatched) {
  const Accept accepted{"pixel-8-0f3a", "Pixel 8", phoneToken};
  struct Row {
    const char* name;
    std::function<void(Scenario&)> change;
    Decision expected;
    bool consumedAfter;
  };
  const Row rows[] = {
      {"valid request", [](Scenario&) {}, accepted, true},
      {"no invitation", [](Scenario& s) { s.invitation.reset(); }, Reject{"invalid_or_expired_invitation"}, false},
      {"already consumed", [](Scenario& s) { s.invitation->consumed = true; }, Reject{"invalid_or_expired_invitation"},
       true},
      {"expiresAt equals now", [](Scenario& s) { s.invitation->expiresAt = now; },
       Reject{"invalid_or_expired_invitation"}, false},
      {"expired a second ago", [](Scenario& s) { s.invitation->expiresAt = now - 1s; },
       Reject{"invalid_or_expired_invitation"}, false},
      {"one nanosecond left", [](Scenario& s) { s.invitation->expiresAt = now + 1ns; }, accepted, true},
      {"empty body", [](Scenario& s) { s.body.clear(); }, Reject{"invalid_or_expired_invitation"}, false},
      {"no invitation_token", [](Scenario& s) { s.body.erase("invitation_token"); },
       Reject{"invalid_or_expired_invitation"}, false},
      {"empty invitation_token", [](Scenario& s) { s.body["invitation_token"] = ""; },
       Reject{"invalid_or_expired_invitation"}, false},
      {"wrong token, same length", [](Scenario& s) { s.body["invitation_token"] = "q1w2e3r4t5y6u7i8o9p0aY"; },
       Reject{"invalid_or_expired_invitation"}, false},
      {"prefix of the token", [](Scenario& s) { s.body["invitation_token"] = inviteToken.substr(0, 21); },
       Reject{"invalid_or_expired_invitation"}, false},
      {"expired beats a bad body", [](Scenario& s) {
         s.invitation->expiresAt = now;
         s.body.erase("device_name");
       },
       Reject{"invalid_or_expired_invitation"}, false},
      {"no device_id", [](Scenario& s) { s.body.erase("device_id"); }, Reject{"bad_request"}, true},
      {"empty device_id", [](Scenario& s) { s.body["device_id"] = ""; }, Reject{"bad_request"}, true},
      {"device_id of 64 characters", [](Scenario& s) { s.body["device_id"] = repeat("d", 64); },
       Accept{repeat("d", 64), "Pixel 8", phoneToken}, true},
      {"device_id of 65 characters", [](Scenario& s) { s.body["device_id"] = repeat("d", 65); },
       Reject{"bad_request"}, true},
      // Characters, not bytes: 64 two-byte letters are 128 bytes and still allowed.
      {"device_id of 64 two-byte characters", [](Scenario& s) { s.body["device_id"] = repeat("\u00e9", 64); },
       Accept{repeat("\u00e9", 64), "Pixel 8", phoneToken}, true},
      {"device_id of 65 two-byte characters", [](Scenario& s) { s.body["device_id"] = repeat("\u00e9", 65); },
       Reject{"bad_request"}, true},
      {"no device_name", [](Scenario& s) { s.body.erase("device_name"); }, Reject{"bad_request"}, true},
      {"empty device_name", [](Scenario& s) { s.body["device_name"] = ""; }, Reject{"bad_request"}, true},
      {"no phone_token", [](Scenario& s) { s.body.erase("phone_token"); }, Reject{"bad_request"}, true},
      {"empty phone_token", [](Scenario& s) { s.body["phone_token"] = ""; }, Reject{"bad_request"}, true},
      {"bad body beats paired and pending", [](Scenario& s) {
         s.body["device_name"] = "";
         s.pairedID = "other";
         s.pending = true;
       },
       Reject{"bad_request"}, true},
      {"phone_token of 31 bytes", [](Scenario& s) { s.body["phone_token"] = codec::base64urlEncode(pattern(31)); },
       Reject{"invalid_credential"}, true},
      {"phone_token of 33 bytes", [](Scenario& s) { s.body["phone_token"] = codec::base64urlEncode(pattern(33)); },
       Reject{"invalid_credential"}, true},
      {"phone_token not base64", [](Scenario& s) { s.body["phone_token"] = "not a token!"; },
       Reject{"invalid_credential"}, true},
      {"bad credential beats paired and pending", [](Scenario& s) {
         s.body["phone_token"] = codec::base64urlEncode(pattern(31));
         s.pairedID = "other";
         s.pending = true;
       },
       Reject{"invalid_credential"}, true},
      {"a phone is paired", [](Scenario& s) { s.pairedID = "other"; }, Reject{"already_paired"}, true},
      {"paired beats pending", [](Scenario& s) {
         s.pairedID = "other";
         s.pending = true;
       },
       Reject{"already_paired"}, true},
      {"a request is pending", [](Scenario& s) { s.pending = true; }, Reject{"approval_busy"}, true},
      {"unknown keys are ignored", [](Scenario& s) { s.body["extra"] = "x"; }, accepted, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Scenario s;
    row.change(s);
    const Decision decision = s.decide();
    EXPECT_EQ(decision, row.expected) << describe(decision);
    if (s.invitation) {
      EXPECT_EQ(s.invitation->consumed, row.consumedAfter);
      EXPECT_EQ(s.invitation->token, inviteToken);  // nothing else of it changes
    } else {
      EXPECT_FALSE(row.consumedAfter);
    }
  }
}

TEST(DecidePairRequest, ABadRequestUsesUpTheCode) {
  Scenario s;
  s.body["device_name"] = "";
  EXPECT_EQ(s.decide(), Decision(Reject{"bad_request"}));
  s.body["device_name"] = "Pixel 8";
  EXPECT_EQ(s.decide(), Decision(Reject{"invalid_or_expired_invitation"}));
}

TEST(DecidePairRequest, AnExpiredCodeIsNotUsedUp) {
  Scenario s;
  s.invitation->expiresAt = now;
  EXPECT_EQ(s.decide(), Decision(Reject{"invalid_or_expired_invitation"}));
  s.invitation->expiresAt = now + 1s;  // as if the clock had been set back
  EXPECT_TRUE(std::holds_alternative<Accept>(s.decide()));
}

TEST(DecidePairRequest, ASecondRequestWhilePendingMeetsTheConsumedCodeFirst) {
  Scenario s;
  ASSERT_TRUE(std::holds_alternative<Accept>(s.decide()));
  // The server now holds the request as pending; the same QR code scanned again is
  // turned away for the code, before the pending check is reached.
  s.pending = true;
  s.body["device_id"] = "second-phone";
  EXPECT_EQ(s.decide(), Decision(Reject{"invalid_or_expired_invitation"}));
}

TEST(DecidePairRequest, LongNamesAreCutToTheirFirst128Characters) {
  struct Row {
    const char* name;
    std::string character;  // one user-perceived character
  };
  const Row rows[] = {
      {"ASCII", "a"},
      {"two-byte letter", "\u00e9"},
      {"letter with combining accent", "e\u0301"},
      {"flag of two regional indicators", "\U0001F1E9\U0001F1EA"},
      {"emoji with skin tone", "\U0001F44D\U0001F3FD"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Scenario s;
    s.body["device_name"] = repeat(row.character, 200);
    const Decision decision = s.decide();
    ASSERT_TRUE(std::holds_alternative<Accept>(decision)) << describe(decision);
    EXPECT_EQ(std::get<Accept>(decision).deviceName, repeat(row.character, 128));

    Scenario exact;
    exact.body["device_name"] = repeat(row.character, 128);
    EXPECT_EQ(std::get<Accept>(exact.decide()).deviceName, repeat(row.character, 128));
  }
}

TEST(TokenHash, IsTheSha256OfExactly32DecodedBytes) {
  const Bytes raw = pattern(32);
  const std::string url = codec::base64urlEncode(raw);
  const std::string standard = codec::base64Encode(raw);
  // The two spellings really differ, or the test proves nothing.
  ASSERT_NE(url.find_first_of("-_"), std::string::npos);
  ASSERT_NE(standard.find_first_of("+/"), std::string::npos);
  ASSERT_EQ(standard.back(), '=');

  const Bytes expected = independentSha256(raw);
  for (const std::string& spelling : {url, standard, url + "="}) {
    SCOPED_TRACE(spelling);
    EXPECT_EQ(ServerRules::tokenHash(spelling), expected);
  }
}

TEST(TokenHash, RefusesOtherLengthsAndBrokenText) {
  struct Row {
    const char* name;
    std::string token;
  };
  const Row rows[] = {
      {"31 bytes", codec::base64urlEncode(pattern(31))},
      {"33 bytes", codec::base64urlEncode(pattern(33))},
      {"empty", ""},
      {"one stray character", codec::base64urlEncode(pattern(32)) + "A"},
      {"inner white space", codec::base64urlEncode(pattern(32)).insert(10, " ")},
      {"too much padding", codec::base64urlEncode(pattern(32)) + "=="},
      {"not base64", "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ServerRules::tokenHash(row.token), std::nullopt);
  }
}

TEST(ConstantTimeEqual, EqualOnlyForTheSameBytes) {
  struct Row {
    const char* name;
    Bytes a, b;
    bool equal;
  };
  const Row rows[] = {
      {"same", {1, 2, 3, 4}, {1, 2, 3, 4}, true},
      {"both empty", {}, {}, true},
      {"first byte differs", {9, 2, 3, 4}, {1, 2, 3, 4}, false},
      {"last byte differs", {1, 2, 3, 4}, {1, 2, 3, 5}, false},
      {"one bit differs", {0x80}, {0x00}, false},
      {"prefix", {1, 2, 3}, {1, 2, 3, 4}, false},
      {"empty against one byte", {}, {0}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(constantTimeEqual(row.a, row.b), row.equal);
    EXPECT_EQ(constantTimeEqual(row.b, row.a), row.equal);
  }
}

}  // namespace
}  // namespace orvane
