// The words and rows of the hub's panes: the rail's detail line, the pane shown while the
// link is down, the empty states, the player cards, the link composer, and the rows made
// from notifications, chats, clipboard entries and links.
#include <gtest/gtest.h>

#include "model_fixture.hpp"
#include "ui/models/hub_pane_rows.hpp"
#include "ui/models/hub_pane_texts.hpp"
#include "ui/models/notification_card.hpp"

namespace orvane::testing {
namespace {

using Pairing = DeviceBridgeStore::PairingStatus;

class HubPaneTextsTest : public ModelTest {};

TEST_F(HubPaneTextsTest, TheRailDetailAndTheDisconnectedPaneFollowThePairingThenTheLink) {
  struct Row {
    Pairing pairing;
    bool connected;
    std::string detail;
    std::string paneTitle;
    DisconnectedPane::Button button;
  };
  const std::vector<Row> rows{
      {Pairing::none, false, "Pair your phone to begin", "No device paired", DisconnectedPane::Button::pair},
      {Pairing::paired, false, "Paired \u00b7 not connected", "Not connected", DisconnectedPane::Button::reconnect},
      {Pairing::revoked, false, "Paired \u00b7 not connected", "Not connected", DisconnectedPane::Button::reconnect},
      {Pairing::paired, true, "Paired \u00b7 same network", "Not connected", DisconnectedPane::Button::reconnect},
  };
  for (const Row& row : rows) {
    store->pairing = row.pairing;
    store->connection = row.connected ? BridgeConnection::connected() : BridgeConnection::disconnected();
    EXPECT_EQ(railDetail(*store), row.detail);
    const DisconnectedPane pane = DisconnectedPane::of(*store);
    EXPECT_EQ(pane.title, row.paneTitle);
    EXPECT_EQ(pane.button, row.button);
    EXPECT_EQ(pane.buttonTitle, row.button == DisconnectedPane::Button::pair ? "Pair a device" : "Reconnect");
  }
  store->pairing = Pairing::paired;
  EXPECT_EQ(DisconnectedPane::of(*store).detail,
            "Your phone is paired but unreachable. Check that both devices are on the same Wi-Fi.");
  store->pairing = Pairing::none;
  EXPECT_EQ(DisconnectedPane::of(*store).detail, "Open Orvane on your Android phone and scan the QR code to begin.");
}

TEST(HubPaneTexts, EmptyStatesOfTheClipboardAndMessagesPanes) {
  EXPECT_EQ(clipboardEmptyState(false),
            (EmptyState{"Clipboard sync is off", "Turn sync on above to start collecting copies."}));
  EXPECT_EQ(clipboardEmptyState(true),
            (EmptyState{"Nothing copied yet", "Copy text on either device and it lands here."}));
  EXPECT_EQ(messagesEmptyState(false, false),
            (EmptyState{"No chats yet", "New message notifications from your phone will appear here."}));
  EXPECT_EQ(messagesEmptyState(true, false),
            (EmptyState{"Choose a chat", "Select a recent conversation to view its messages."}));
  EXPECT_EQ(messagesEmptyState(true, true), std::nullopt);
}

TEST(HubPaneTexts, PlayerCardsNameTheTrackOrThePlayerAndSayWhereItPlays) {
  BridgeMedia media;
  media.app = "Spotify";
  media.title = "Quiet Trains";
  media.artist = "Lumen Harbor";
  media.isPlaying = true;
  PlayerCard phone = PlayerCard::phone(media);
  EXPECT_EQ(phone.title, "Quiet Trains");
  EXPECT_EQ(phone.state, "PLAYING ON YOUR PHONE");
  EXPECT_EQ(phone.playPauseLabel, "Pause");
  EXPECT_EQ(phone.album, "");

  media.isPlaying = false;
  media.title = std::nullopt;
  phone = PlayerCard::phone(media);
  EXPECT_EQ(phone.title, "Spotify") << "a track without a title shows its player";
  EXPECT_EQ(phone.state, "PAUSED ON YOUR PHONE");
  EXPECT_EQ(phone.playPauseLabel, "Play");
  EXPECT_EQ(PlayerCard::computer(media).state, "Paused");
}

TEST(HubPaneTexts, TheLinkComposerSendsTrimmedTextAndNothingForBlanks) {
  struct Row {
    std::string field;
    bool canSend;
    std::optional<std::string> sent;
  };
  const std::vector<Row> rows{
      {"", false, std::nullopt},
      {"   ", false, std::nullopt},
      {" \t ", false, std::nullopt},
      // Newlines count for the button (only spaces and tabs leave it off) but are trimmed
      // away when sending, so nothing goes.
      {"\n", true, std::nullopt},
      {"  https://example.org/a?b=1  ", true, "https://example.org/a?b=1"},
      {"\thttps://example.org\n", true, "https://example.org"},
      {"not a link", true, "not a link"},  // the store's gate decides what a link is
  };
  for (const Row& row : rows) {
    EXPECT_EQ(LinkComposer::canSend(row.field), row.canSend) << "[" << row.field << "]";
    EXPECT_EQ(LinkComposer::linkToSend(row.field), row.sent) << "[" << row.field << "]";
  }
}

TEST(NotificationCardTest, ReadsTheNotificationAndSaysWhyAReplyFailed) {
  const WallTime now = WallTime{std::chrono::seconds(1'800'000'000)};
  BridgeNotification n{"n-1", "Signal", "Ana", "Dinner at 8?", now - std::chrono::milliseconds(59'900), true};
  NotificationCard card = NotificationCard::of(n, now);
  EXPECT_EQ(card.app, "Signal");
  EXPECT_EQ(card.title, "Ana");
  EXPECT_EQ(card.age, "59s ago");
  EXPECT_FALSE(card.replyFailed);
  EXPECT_EQ(card.replyFailure, "");

  n.receivedAt = now - std::chrono::seconds(60);
  EXPECT_EQ(NotificationCard::of(n, now).age, "1m ago");
  n.receivedAt = WallTime{};
  EXPECT_EQ(NotificationCard::of(n, now).age, "") << "a notification the phone sent without a time has no age";

  struct Row {
    std::optional<bool> result;
    std::optional<std::string> detail;
    bool failed;
    std::string failure;
  };
  const std::vector<Row> rows{
      {std::nullopt, std::nullopt, false, ""},
      {true, std::nullopt, false, ""},
      {false, std::string("offline"), true, "Reply not sent: offline"},
      {false, std::string("  app closed \n"), true, "Reply not sent: app closed"},
      {false, std::string("   "), true, "Reply not sent"},
      {false, std::nullopt, true, "Reply not sent"},
  };
  for (const Row& row : rows) {
    n.replyResult = row.result;
    n.replyDetail = row.detail;
    card = NotificationCard::of(n, now);
    EXPECT_EQ(card.replyFailed, row.failed);
    EXPECT_EQ(card.replyFailure, row.failure);
  }
}

TEST(NotificationCardTest, AReplyIsTrimmedAndABlankOneIsNotSent) {
  EXPECT_EQ(NotificationCard::replyText(""), std::nullopt);
  EXPECT_EQ(NotificationCard::replyText(" \n\t "), std::nullopt);
  EXPECT_EQ(NotificationCard::replyText("  On my way\n"), "On my way");
  EXPECT_EQ(NotificationCard::replyText("a  b"), "a  b") << "inner spacing is the user's";
}

TEST(HubPaneRows, ChatBubblesMarkEachDeliveryStateAndAFailureGivesThePhonesReason) {
  const WallTime now = WallTime{std::chrono::seconds(1'800'000'000)};
  using Delivery = ChatMessageLine::Delivery;
  using Mark = ChatBubble::Mark;
  struct Row {
    Delivery delivery;
    std::optional<std::string> reason;
    Mark mark;
    std::string text;
  };
  const std::vector<Row> rows{
      {Delivery::incoming, std::nullopt, Mark::none, ""},
      {Delivery::sending, std::nullopt, Mark::sending, "Sending"},
      {Delivery::sent, std::nullopt, Mark::sent, ""},
      {Delivery::failed, std::nullopt, Mark::failed, "Reply may not have sent"},
      {Delivery::failed, std::string("offline"), Mark::failed, "Reply may not have sent: offline"},
      {Delivery::failed, std::string(" "), Mark::failed, "Reply may not have sent"},
  };
  for (const Row& row : rows) {
    ChatMessageLine line{"l-1", std::string("n-9"), "On my way", row.delivery != Delivery::incoming, now,
                         row.delivery};
    std::string asked;
    const ChatBubble bubble = ChatBubble::of(line, now, [&](const std::string& id) {
      asked = id;
      return row.reason;
    });
    EXPECT_EQ(bubble.mark, row.mark);
    EXPECT_EQ(bubble.markText, row.text);
    if (row.delivery == Delivery::failed) EXPECT_EQ(asked, "n-9") << "the reason is looked up by its notification";
  }
}

TEST(HubPaneRows, LinkRowsSayWhetherTheirLinkArrived) {
  struct Row {
    bool outgoing;
    std::optional<bool> acked;
    LinkRow::State state;
    std::string text;
  };
  const std::vector<Row> rows{
      {false, std::nullopt, LinkRow::State::received, ""},
      {true, std::nullopt, LinkRow::State::waiting, "Waiting"},
      {true, true, LinkRow::State::delivered, "Delivered"},
      {true, false, LinkRow::State::notDelivered, "Not delivered"},
  };
  for (const Row& row : rows) {
    const LinkRow link = LinkRow::of(BridgeLink{"u-1", "https://example.org", row.outgoing, row.acked, std::nullopt});
    EXPECT_EQ(link.state, row.state);
    EXPECT_EQ(link.stateText, row.text);
  }
}

TEST(HubPaneRows, AChatRowShowsItsLastLineOnOneLineAndAClipCardItsDirection) {
  const WallTime now = WallTime{std::chrono::seconds(1'800'000'000)};
  ChatConversation c{"messages|jonas", "Messages", "Jonas", now - std::chrono::minutes(3), std::nullopt, true, {}};
  EXPECT_EQ(ChatRow::of(c, now).lastMessage, "");
  c.messages.push_back({"a", std::nullopt, "first", false, now, ChatMessageLine::Delivery::incoming});
  c.messages.push_back({"b", std::nullopt, "see you\nat  eight", false, now, ChatMessageLine::Delivery::incoming});
  const ChatRow row = ChatRow::of(c, now);
  EXPECT_EQ(row.lastMessage, "see you at eight");
  EXPECT_EQ(row.time, "3m ago");

  EXPECT_EQ(ClipCard::of({"c", "text", now, true}, now).direction, "Sent to phone");
  EXPECT_EQ(ClipCard::of({"c", "text", now, false}, now).direction, "From phone");
}

}  // namespace
}  // namespace orvane::testing
