// Clipboard updates in both directions: ordering by (seq, origin), echo suppression
// and the persisted clock.
#include <gtest/gtest.h>

#include "server_harness.hpp"

namespace orvane::testing {
namespace {

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    h.storePairedDevice();
    h.start();
    h.server->setClipboardEnabled(true);
    conn = h.authenticatedConnection();
    conn->clearSent();
    h.delegate->clear();
  }
  void receive(const std::string& clipID, const std::string& seq, const std::string& origin, const std::string& text) {
    conn->deliverEnvelope("clipboard_update", {{"clip_id", clipID}, {"seq", seq}, {"origin", origin}, {"text", text}});
    h.run();
  }
  bool accepted(const std::string& text) const {
    for (const auto& e : h.delegate->eventsStartingWith("clip "))
      if (e.starts_with("clip " + text + " ")) return true;
    return false;
  }
  std::vector<Envelope> clipsSent() const {
    std::vector<Envelope> out;
    for (const auto& e : conn->sentEnvelopes())
      if (e.type == "clipboard_update") out.push_back(e);
    return out;
  }
  void sendFromMac(const std::string& text, const std::string& clipID = "M") {
    h.server->sendClipboardText(text, clipID, "MAC-ORIGIN");
    h.run();
  }
  ServerHarness h;
  std::shared_ptr<FakeConnection> conn;
};

TEST_F(Clipboard, SendsWithTheNextSequenceNumberAndPersistsTheClock) {
  sendFromMac("hello");
  auto sent = clipsSent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].body, (Body{{"clip_id", "M"}, {"origin", "MAC-ORIGIN"}, {"seq", "1"}, {"text", "hello"}}));
  EXPECT_EQ(h.defaults->integer("zel.clipCounter"), 1);
  EXPECT_EQ(h.defaults->integer("zel.clipMaxSeq"), 1);
  EXPECT_EQ(h.defaults->string("zel.clipMaxOrigin"), "MAC-ORIGIN");
  sendFromMac("hello", "M2");
  EXPECT_EQ(clipsSent().size(), 1u) << "the same text is not sent twice in a row";
}

TEST_F(Clipboard, TheMacsOwnUpdateComingBackIsIgnoredAndOriginBreaksTies) {
  sendFromMac("mine");
  receive("M", "1", "MAC-ORIGIN", "mine");  // echo: same id
  receive("E2", "1", "MAC-ORIGIN", "mine"); // same seq and origin: stale
  EXPECT_TRUE(h.delegate->eventsStartingWith("clip ").empty());
  receive("P1", "1", "AAA", "smaller origin");
  EXPECT_FALSE(accepted("smaller origin"));
  receive("P2", "1", "ZZZ", "larger origin");
  EXPECT_TRUE(accepted("larger origin"));
}

TEST_F(Clipboard, AReceivedSequenceIsAdoptedByTheClock) {
  for (int i = 0; i < 7; ++i) sendFromMac("m" + std::to_string(i), "M" + std::to_string(i));
  EXPECT_EQ(h.inspect().clipDedupe.epoch().counter, 7);
  receive("P", "500", "phone", "from phone");
  EXPECT_TRUE(accepted("from phone"));
  sendFromMac("after");
  EXPECT_EQ(clipsSent().back().body.at("seq"), "501");
}

TEST_F(Clipboard, TextJustReceivedIsNeverEchoedBack) {
  receive("P", "3", "phone", "shared");
  ASSERT_TRUE(accepted("shared"));
  sendFromMac("shared");
  EXPECT_TRUE(clipsSent().empty());
}

TEST_F(Clipboard, TextTheComputerPutOnItsOwnPasteboardIsNotSentBack) {
  receive("P", "3", "phone", "newest from the phone");
  // The hub puts an older history item back on the pasteboard; its poll then reads it.
  h.server->noteLocalClipboardApplied("picked from history");
  sendFromMac("picked from history");
  EXPECT_TRUE(clipsSent().empty()) << "what the computer applied itself is no new copy";
  sendFromMac("typed by the user", "M2");
  ASSERT_EQ(clipsSent().size(), 1u);
  EXPECT_EQ(clipsSent()[0].body.at("text"), "typed by the user");
}

TEST_F(Clipboard, SequenceMustBeAStrictNonNegativeDecimal) {
  struct Row {
    const char* seq;
    bool accepted;
  } rows[] = {{"+12", true}, {" 12", false}, {"4x", false}, {"-3", false}, {"", false}, {"99999999999999999999", false}};
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seq);
    const std::string text = "t" + std::to_string(n);
    receive("id" + std::to_string(n++), row.seq, "phone", text);
    EXPECT_EQ(accepted(text), row.accepted);
  }
}

TEST_F(Clipboard, IdentifiersAndTextAreChecked) {
  receive("", "10", "phone", "no id");
  receive(std::string(65, 'x'), "11", "phone", "long id");
  receive("ok", "12", "", "no origin");
  receive("ok2", "13", "phone", "");
  EXPECT_TRUE(h.delegate->eventsStartingWith("clip ").empty());
}

TEST_F(Clipboard, The65thIdentifierPushesOutTheFirst) {
  for (int i = 0; i < 64; ++i) receive("id" + std::to_string(i), std::to_string(100 + i), "phone", "x" + std::to_string(i));
  EXPECT_EQ(h.inspect().clipDedupe.seenCount(), 64u);
  receive("id0", "1000", "phone", "repeat while remembered");
  EXPECT_FALSE(accepted("repeat while remembered"));
  receive("id64", "1001", "phone", "the 65th");
  EXPECT_TRUE(accepted("the 65th"));
  receive("id0", "1002", "phone", "repeat after eviction");
  EXPECT_TRUE(accepted("repeat after eviction")) << "judged by the ordering rule alone";
}

TEST_F(Clipboard, SwitchingOffDropsBothWaysAndForgetsTexts) {
  sendFromMac("before");
  h.server->setClipboardEnabled(false);
  h.run();
  receive("P", "50", "phone", "while off");
  sendFromMac("while off from mac");
  EXPECT_FALSE(accepted("while off"));
  EXPECT_EQ(clipsSent().size(), 1u);
  EXPECT_FALSE(h.inspect().clipDedupe.lastSent());
  EXPECT_EQ(h.inspect().clipDedupe.epoch().counter, 1) << "the clock is kept";
}

TEST_F(Clipboard, ForgettingRewindsTheNewestKnownUpdateButNotTheCounter) {
  receive("P", "40", "phone", "x");
  h.server->forgetPaired();
  h.run();
  const auto& epoch = h.inspect().clipDedupe.epoch();
  EXPECT_EQ(epoch.maxSeq, -1);
  EXPECT_EQ(epoch.maxOrigin, "");
  EXPECT_EQ(epoch.counter, 40);
  EXPECT_EQ(h.defaults->integer("zel.clipMaxSeq"), -1);
}

TEST(ClipboardStore, MissingOrMistypedValuesLoadAsDefaults) {
  auto defaults = std::make_shared<MemoryUserDefaults>();
  defaults->set("zel.clipCounter", std::string("12"));
  defaults->set("zel.clipMaxSeq", true);
  ClipEpochStore store(defaults);
  EXPECT_EQ(store.load(), (ClipEpoch{0, -1, ""}));
  store.save(5, 9, "o");
  EXPECT_EQ(store.load(), (ClipEpoch{5, 9, "o"}));
}

}  // namespace
}  // namespace orvane::testing
