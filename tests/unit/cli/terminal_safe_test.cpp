// Text from the phone reaches a terminal in the readable output: it must not be able
// to drive the terminal (retitle, clear, move the cursor, reorder text) or fake a line.
#include <gtest/gtest.h>

#include "cli/event_printer.hpp"
#include "cli/terminal_safe.hpp"

namespace orvane::cli {
namespace {

struct Row {
  const char* name;
  std::string hostile;
  std::string shown;
};

const Row rows[] = {
    {"window title (OSC)", "\x1b]0;pwned\x07", "\\x1b]0;pwned\\x07"},
    {"clear screen", "\x1b[2J\x1b[H", "\\x1b[2J\\x1b[H"},
    {"fake state line", "hi\nState: Connected", "hi\\x0aState: Connected"},
    {"carriage return over a line", "ok\rState: Connected", "ok\\x0dState: Connected"},
    {"tab and DEL", "a\tb\x7f", "a\\x09b\\x7f"},
    {"NUL inside", std::string("a\0b", 3), "a\\x00b"},
    {"C1 CSI", "x\xc2\x9b" "2J", "x\\u009b2J"},
    {"right-to-left override", "file\xe2\x80\xaegpj.exe", "file\\u202egpj.exe"},
    {"isolates", "\xe2\x81\xa6x\xe2\x81\xa9", "\\u2066x\\u2069"},
    {"bytes that are not UTF-8", "a\xff\xc0\xafz", "a\\xff\\xc0\\xafz"},
    {"plain text, accents and emoji stay", "Caf\xc3\xa9 \xf0\x9f\x8e\xb5 \xe2\x80\x94 ok", "Caf\xc3\xa9 \xf0\x9f\x8e\xb5 \xe2\x80\x94 ok"},
};

TEST(TerminalSafe, ControlAndDirectionCharactersBecomeVisibleEscapes) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(terminalSafe(row.hostile), row.shown);
  }
}

TEST(TerminalSafe, ReadableEventsShowPhoneTextEscapedAndJsonStaysAsItIs) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Event notification{{"event", "notification"}, {"title", row.hostile}, {"text", "t"}};
    const std::string line = readable(notification);
    for (unsigned char c : line) EXPECT_FALSE(c < 0x20 || c == 0x7f) << "raw control byte " << int(c);
    EXPECT_NE(line.find(row.shown), std::string::npos);

    const Event pending{{"event", "pending"}, {"deviceName", row.hostile}, {"deviceID", "id"}};
    EXPECT_NE(readable(pending).find(row.shown), std::string::npos);
  }
  // JSON output escapes by itself and keeps the text exact.
  const Event e{{"event", "message"}, {"text", "\x1b]0;t\x07"}};
  EXPECT_EQ(e.dump(), R"({"event":"message","text":"\u001b]0;t\u0007"})");
}

}  // namespace
}  // namespace orvane::cli
