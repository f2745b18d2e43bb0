#include "pairing/invitation.hpp"

#include <gtest/gtest.h>

#include <set>

#include "base/codec.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;

const WallTime now = WallTime{} + 1767623400s + 250ms;

TEST(Invitation, TokenIs22Base64urlCharactersOf16RandomBytes) {
  std::set<std::string> seen;
  // Enough tokens that each of "+", "/" and "=" would show up if the encoding were
  // standard base64 or kept its padding.
  for (int i = 0; i < 64; ++i) {
    const Invitation invitation = Invitation::generate(now);
    SCOPED_TRACE(invitation.token);
    ASSERT_EQ(invitation.token.size(), 22u);
    EXPECT_EQ(invitation.token.find_first_of("+/="), std::string::npos);
    const auto decoded = codec::base64urlDecode(invitation.token);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), 16u);
    seen.insert(invitation.token);
  }
  EXPECT_EQ(seen.size(), 64u);
}

TEST(Invitation, LivesThreeHundredSecondsAndStartsUnused) {
  const Invitation invitation = Invitation::generate(now);
  EXPECT_EQ(invitation.expiresAt, now + 300s);
  EXPECT_FALSE(invitation.consumed);
  EXPECT_FALSE(invitation.isExpired(now + 300s - 1ns));
  EXPECT_TRUE(invitation.isExpired(now + 300s));  // at the moment itself it is over
  EXPECT_TRUE(invitation.isExpired(now + 301s));
}

}  // namespace
}  // namespace orvane
