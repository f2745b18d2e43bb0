// The headless front end's printed events: the JSON that scripts and tests read, and
// the readable form for people.
#include <gtest/gtest.h>

#include "cli/cli_options.hpp"
#include "cli/event_printer.hpp"
#include "cli/headless_view.hpp"
#include "cli/qr_terminal.hpp"

namespace orvane::cli {
namespace {

TEST(HeadlessEvents, StateEventsCarryTheFieldOfTheirCase) {
  struct Row {
    BridgeConnection state;
    std::string json;
  } rows[] = {
      {BridgeConnection::disconnected("Listening on port 17431"),
       R"({"event":"state","state":"disconnected","title":"Not connected","detail":"Listening on port 17431"})"},
      {BridgeConnection::disconnected(), R"({"event":"state","state":"disconnected","title":"Not connected"})"},
      {BridgeConnection::failed("TLS identity unavailable"),
       R"({"event":"state","state":"failed","title":"Error","reason":"TLS identity unavailable"})"},
      {BridgeConnection::reconnecting(2),
       "{\"event\":\"state\",\"state\":\"reconnecting\",\"title\":\"Reconnecting\u2026 (2)\",\"attempt\":2}"},
      {BridgeConnection::awaitingApproval("Pixel 8"),
       R"({"event":"state","state":"awaitingApproval","title":"Awaiting approval","deviceName":"Pixel 8"})"},
      {BridgeConnection::connecting(), "{\"event\":\"state\",\"state\":\"connecting\",\"title\":\"Connecting\u2026\"}"},
      {BridgeConnection::connected(), R"({"event":"state","state":"connected","title":"Connected"})"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.json);
    EXPECT_EQ(HeadlessView::stateEvent(row.state).dump(), row.json);
  }
}

TEST(HeadlessEvents, PrinterWritesOneFlushedLinePerEvent) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  ASSERT_NE(out, nullptr);
  {
    EventPrinter json(true, out);
    json.print(HeadlessView::stateEvent(BridgeConnection::connected()));
    json.print(Event{{"event", "pendingCleared"}});
  }
  std::fclose(out);
  EXPECT_EQ(std::string(buffer, size),
            "{\"event\":\"state\",\"state\":\"connected\",\"title\":\"Connected\"}\n{\"event\":\"pendingCleared\"}\n");
  std::free(buffer);
}

TEST(HeadlessEvents, ReadableFormNamesWhatHappened) {
  EXPECT_EQ(readable(HeadlessView::stateEvent(BridgeConnection::disconnected("Phone went silent \u2014 still listening"))),
            "State: Not connected \u2014 Phone went silent \u2014 still listening");
  EXPECT_EQ(readable(HeadlessView::stateEvent(BridgeConnection::failed("Port 17431 is in use"))),
            "State: Error \u2014 Port 17431 is in use");
  ChatConversation chat{"messages|ana", "Messages", "Ana", WallTime{}, std::string("n1"), true, {}};
  chat.messages.push_back({"n1|Hi", std::string("n1"), "Hi", false, WallTime{}, ChatMessageLine::Delivery::incoming});
  chat.messages.push_back({"U", std::string("n1"), "Hello", true, WallTime{}, ChatMessageLine::Delivery::failed});
  EXPECT_EQ(readable(HeadlessView::chatsEvent({chat})),
            "Chats: 1 conversation\n  Ana in Messages (chat-reply messages|ana TEXT)\n    <- Hi\n    -> Hello (failed)");
  EXPECT_EQ(readable(HeadlessView::chatsEvent({})), "No chats.");
  EXPECT_EQ(readable(Event{{"event", "pending"}, {"deviceName", "Pixel 8"}, {"deviceID", "p8"}}),
            "Pixel 8 (p8) asks to pair \u2014 type approve or deny");
  EXPECT_EQ(readable(Event{{"event", "pairedDevice"}, {"name", nullptr}, {"id", nullptr}}), "No phone is paired.");
}

TEST(HeadlessEvents, TerminalQRHasAQuietZoneAndTwoModuleRowsPerLine) {
  auto qr = QRImage::make("ZEL1|ip=192.168.1.20|port=17431", 260);
  ASSERT_TRUE(qr);
  const std::string drawing = drawQR(*qr);
  const int side = qr->modules + 4;
  std::size_t lines = 0;
  for (char c : drawing) lines += c == '\n';
  EXPECT_EQ(lines, static_cast<std::size_t>((side + 1) / 2));
  // The first line is all quiet zone: full light blocks only.
  const std::string first = drawing.substr(0, drawing.find('\n'));
  std::string full;
  for (int i = 0; i < side; ++i) full += "\u2588";
  EXPECT_EQ(first, full);
}

TEST(CliOptions, ParsesTheSwitchesAndRefusesUnknownOnes) {
  auto ok = parseOptions({"--headless", "--json", "--accept-terms", "--qr-png", "/tmp/q.png"});
  ASSERT_FALSE(ok.error);
  EXPECT_TRUE(ok.options.headless && ok.options.json && ok.options.acceptTerms);
  EXPECT_EQ(ok.options.qrPngPath, "/tmp/q.png");
  EXPECT_TRUE(parseOptions({"--qr-png"}).error);
  EXPECT_TRUE(parseOptions({"--gui-magic"}).error);
}

}  // namespace
}  // namespace orvane::cli
