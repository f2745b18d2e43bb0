// The headless program's view of the hub: which changes of the hub's state become
// printed events, once each and in order.
#include <gtest/gtest.h>

#include <cstdio>

#include "../app/hub_fixture.hpp"
#include "cli/headless_view.hpp"

namespace orvane::testing {
namespace {

class HeadlessViewTest : public HubTest {
 protected:
  void SetUp() override {
    out_ = open_memstream(&buffer_, &size_);
    ASSERT_NE(out_, nullptr);
    view_ = std::make_shared<cli::HeadlessView>(std::make_shared<cli::EventPrinter>(true, out_));
    defaults->set("zel.clipboard.sync.enabled", true);
    build();
    view_->observe(*hub);
    hub->setEventListener(view_);
  }
  void TearDown() override {
    view_.reset();
    std::fclose(out_);
    std::free(buffer_);
  }
  // The lines printed since the last call.
  std::vector<std::string> printed() {
    std::fflush(out_);
    std::vector<std::string> lines;
    std::string all(buffer_, size_);
    std::size_t start = taken_;
    for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(all.substr(start, end - start));
    taken_ = start;
    return lines;
  }

  std::shared_ptr<cli::HeadlessView> view_;

 private:
  std::FILE* out_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::size_t taken_ = 0;
};

TEST_F(HeadlessViewTest, AnInvitationIsOneEventAndTheCountdownPrintsNothing) {
  hub->serverInvitationChanged("ZEL1|x", 300, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"invitation","qrText":"ZEL1|x","expiresIn":300.0,"ip":"192.0.2.1","port":17431,"allIPs":["192.0.2.1"]})"}));
  main->advance(std::chrono::seconds(3));
  EXPECT_TRUE(printed().empty());
}

TEST_F(HeadlessViewTest, PairingEventsCarryBothFieldsOfTheirPair) {
  hub->serverPendingRequest("Pixel 8", "p8");
  hub->serverPendingCleared();
  hub->serverPairedDeviceChanged("Pixel 8", "p8");
  hub->serverPairedDeviceChanged(std::nullopt, std::nullopt);
  main->runUntilIdle();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"pending","deviceName":"Pixel 8","deviceID":"p8"})",
                           R"({"event":"pendingCleared"})",
                           R"({"event":"pairedDevice","name":"Pixel 8","id":"p8"})",
                           R"({"event":"pairedDevice","name":null,"id":null})",
                       }));
}

TEST_F(HeadlessViewTest, EachNewHistoryEntryIsOneClipboardEvent) {
  connect();
  printed();
  pasteboard->setString("hello");
  main->advance(std::chrono::milliseconds(750));
  hub->serverClipboardReceived("from the phone", "c1", "phone");
  main->runUntilIdle();
  hub->clearClipHistory();
  EXPECT_EQ(printed(), (std::vector<std::string>{
                           R"({"event":"clipboard","direction":"sent","text":"hello"})",
                           R"({"event":"clipboard","direction":"received","text":"from the phone"})",
                       }))
      << "emptying the history prints nothing";
  // The same text again is a new entry at the top: printed again.
  pasteboard->setString("hello");
  main->advance(std::chrono::milliseconds(750));
  EXPECT_EQ(printed(), (std::vector<std::string>{R"({"event":"clipboard","direction":"sent","text":"hello"})"}));
}

TEST_F(HeadlessViewTest, AliasStaleAuthAndHistoryClearedAreReported) {
  hub->renameDevice("  Desk ");
  hub->serverAuthRefused("old", "credential_rejected");
  hub->serverHistoryCleared();
  main->runUntilIdle();
  const auto lines = printed();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       R"({"event":"alias","alias":"Desk"})",
                       R"({"event":"staleAuth","deviceID":"old","reason":"credential_rejected"})",
                       R"({"event":"messages","items":[]})",
                       R"({"event":"links","items":[]})",
                       R"({"event":"notifications","items":[]})",
                       R"({"event":"media","app":null,"title":null,"artist":null,"album":null,"playing":false,"artworkBytes":null})",
                       R"({"event":"historyCleared"})",
                   }));
}

}  // namespace
}  // namespace orvane::testing
