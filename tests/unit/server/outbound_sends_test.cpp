// What this computer sends to the phone on its own: now-playing state with its artwork
// rules, media commands, dismissals and replies. Each goes only to the session.
#include <gtest/gtest.h>

#include "base/codec.hpp"
#include "server_harness.hpp"

namespace orvane::testing {
namespace {

Bytes bytes(std::size_t n, std::uint8_t fill) { return Bytes(n, fill); }
std::string b64(const Bytes& b) { return codec::base64Encode(b); }

// A paired phone that has authenticated; what the server sent so far is forgotten.
std::shared_ptr<FakeConnection> pairedPhoneWithNothingSent(ServerHarness& h) {
  h.storePairedDevice();
  h.start();
  auto phone = h.authenticatedConnection();
  phone->clearSent();
  return phone;
}

struct MediaCase {
  const char* name;
  std::optional<std::string> app, title, artist, album;
  bool playing;
  std::optional<ArtworkRenditions> artwork;
  std::string type;  // what the phone receives
  Body body;
};

TEST(OutboundSends, MacMediaFollowsTheArtworkRulesAndFallsBackToGone) {
  const Bytes small = bytes(100, 1), large = bytes(40000, 2), tooLarge = bytes(40001, 3);
  const MediaCase cases[] = {
      {"title only, paused", "Music", "Song", std::nullopt, std::nullopt, false, std::nullopt, "media_post",
       {{"app", "Music"}, {"state", "paused"}, {"title", "Song"}}},
      {"fields are cleaned like the phone's", "  Music ", " Song\n\n Title ", "Artist", "  ", true, std::nullopt,
       "media_post", {{"app", "Music"}, {"state", "playing"}, {"title", "Song Title"}, {"artist", "Artist"}}},
      {"small and a different large of 40000 bytes", "Music", "Song", std::nullopt, std::nullopt, true,
       ArtworkRenditions{small, large}, "media_post",
       {{"app", "Music"}, {"state", "playing"}, {"title", "Song"}, {"art", b64(small)}, {"art_lg", b64(large)}}},
      {"a large rendition over 40000 bytes is left out", "Music", "Song", std::nullopt, std::nullopt, true,
       ArtworkRenditions{small, tooLarge}, "media_post",
       {{"app", "Music"}, {"state", "playing"}, {"title", "Song"}, {"art", b64(small)}}},
      {"the same rendition twice goes once", "Music", "Song", std::nullopt, std::nullopt, true,
       ArtworkRenditions{small, small}, "media_post",
       {{"app", "Music"}, {"state", "playing"}, {"title", "Song"}, {"art", b64(small)}}},
      {"only a large rendition becomes art, whatever its size", "Music", "Song", std::nullopt, std::nullopt, true,
       ArtworkRenditions{std::nullopt, tooLarge}, "media_post",
       {{"app", "Music"}, {"state", "playing"}, {"title", "Song"}, {"art", b64(tooLarge)}}},
      {"no application", std::nullopt, "Song", "Artist", "Album", true, std::nullopt, "media_gone", {}},
      {"nothing to show", "Music", " ", std::nullopt, "", true, ArtworkRenditions{small, large}, "media_gone", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServerHarness h;
    auto phone = pairedPhoneWithNothingSent(h);
    h.server->sendMacMedia(c.app, c.title, c.artist, c.album, c.playing, c.artwork);
    h.run();
    ASSERT_EQ(phone->sentEnvelopes().size(), 1u);
    EXPECT_EQ(phone->lastSent()->type, c.type);
    EXPECT_EQ(phone->lastSent()->body, c.body);
  }
}

struct SendCase {
  const char* name;
  void (*send)(PairingServer& s);
  std::optional<Envelope> expected;  // type and body; none when nothing may go out
};

TEST(OutboundSends, CommandsDismissalsAndRepliesGoToTheSessionAsGiven) {
  const SendCase cases[] = {
      {"play", [](PairingServer& s) { s.sendMediaCommand("play"); }, Envelope{1, "", "media_cmd", {{"cmd", "play"}}}},
      {"prev", [](PairingServer& s) { s.sendMediaCommand("prev"); }, Envelope{1, "", "media_cmd", {{"cmd", "prev"}}}},
      {"toggle", [](PairingServer& s) { s.sendMediaCommand("toggle"); }, Envelope{1, "", "media_cmd", {{"cmd", "toggle"}}}},
      {"the word as given, after the gate trims it for the check",
       [](PairingServer& s) { s.sendMediaCommand(" next"); }, Envelope{1, "", "media_cmd", {{"cmd", " next"}}}},
      {"a word outside the five", [](PairingServer& s) { s.sendMediaCommand("stop"); }, std::nullopt},
      {"a capitalised word", [](PairingServer& s) { s.sendMediaCommand("Play"); }, std::nullopt},
      {"media request", [](PairingServer& s) { s.requestMedia(); }, Envelope{1, "", "media_req", {}}},
      {"unavailable", [](PairingServer& s) { s.sendMacMediaUnavailable(); }, Envelope{1, "", "media_unavailable", {}}},
      {"dismiss", [](PairingServer& s) { s.sendNotifDismiss("n-1"); }, Envelope{1, "", "notif_dismiss", {{"id", "n-1"}}}},
      {"reply", [](PairingServer& s) { s.sendNotifReply("n-1", "On my way"); },
       Envelope{1, "", "notif_reply", {{"id", "n-1"}, {"text", "On my way"}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServerHarness h;
    auto phone = pairedPhoneWithNothingSent(h);
    c.send(*h.server);
    h.run();
    if (!c.expected) {
      EXPECT_TRUE(phone->sentEnvelopes().empty());
      continue;
    }
    ASSERT_EQ(phone->sentEnvelopes().size(), 1u);
    EXPECT_EQ(phone->lastSent()->type, c.expected->type);
    EXPECT_EQ(phone->lastSent()->body, c.expected->body);

    // Without a session the same send is dropped without a trace.
    h.server->disconnectSession();
    h.run();
    phone->clearSent();
    c.send(*h.server);
    h.run();
    EXPECT_TRUE(phone->sentEnvelopes().empty());
  }
}

}  // namespace
}  // namespace orvane::testing
