// The chooser on a real X server and a real Wayland compositor. Run through
// x11_env.sh (X11*) and sway_env.sh (Sway*).
#include "platform/qt/gui/desktop_pasteboard.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <memory>
#include <string>

#include "base/log.hpp"
#include "desktop_test_support.hpp"
#include "desktops.hpp"

namespace orvane::testing {
namespace {

class DesktopChooser : public ::testing::Test {
 protected:
  // How many log entries contain `text`.
  std::size_t logged(const std::string& text) const {
    std::size_t n = 0;
    for (const auto& entry : sink_->entries()) n += entry.message.find(text) != std::string::npos ? 1 : 0;
    return n;
  }

  std::shared_ptr<RecordingLogSink> sink_ = std::make_shared<RecordingLogSink>();
  Logger log_{sink_, "clipboard"};
};

class X11DesktopChooser : public DesktopChooser {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run these tests through tests/desktop/x11_env.sh";
  }
};

class SwayDesktopChooser : public DesktopChooser {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "wayland") << "run these tests through tests/desktop/sway_env.sh";
  }
};

TEST_F(X11DesktopChooser, PicksQClipboardWithoutLimitation) {
  const DesktopSession session = DesktopSession::current();
  EXPECT_FALSE(session.wayland);
  DesktopPasteboard chosen = makeDesktopPasteboard(log_, session);
  ASSERT_NE(chosen.pasteboard, nullptr);
  EXPECT_EQ(chosen.kind, DesktopPasteboardKind::qtClipboard);
  EXPECT_EQ(chosen.pasteboard->limitation(), std::nullopt);
  EXPECT_EQ(logged("Clipboard: QClipboard"), 1u);
  // The one chosen sees another program's copy.
  ASSERT_TRUE(x11Desktop().copyText("seen"));
  EXPECT_TRUE(waitUntil([&] { return chosen.pasteboard->changeCount() == 1; }));
  EXPECT_EQ(chosen.pasteboard->string(), "seen");
}

// A Wayland session whose compositor lacks data control, played by a stand-in for
// wl-paste that fails its watch the way the real one does there; QClipboard stands in
// on the X server.
TEST_F(X11DesktopChooser, FallsBackToQClipboardWhenTheWatchCannotRun) {
  struct Row {
    const char* what;
    std::string wlPaste;
    std::string reason;  // what the log must say of why
  };
  const std::vector<Row> rows = {
      {"no data control", std::string(ORVANE_DESKTOP_TESTS) + "/wl_paste_without_data_control.sh",
       "requires a compositor that supports wlroots data-control protocol"},
      {"wl-paste missing", "/nonexistent/wl-paste", "/nonexistent/wl-paste is not installed"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sink_->clear();
    DesktopSession session;
    session.wayland = true;
    session.wlPaste = row.wlPaste;
    DesktopPasteboard chosen = makeDesktopPasteboard(log_, session);
    ASSERT_NE(chosen.pasteboard, nullptr);
    EXPECT_EQ(chosen.kind, DesktopPasteboardKind::qtClipboard);
    const std::optional<std::string> limitation = chosen.pasteboard->limitation();
    ASSERT_TRUE(limitation.has_value());
    EXPECT_EQ(limitation, qtClipboardLimitation(true));
    EXPECT_EQ(logged(*limitation), 1u) << "the limitation is logged once";
    EXPECT_EQ(logged(row.reason), 1u);
  }
}

TEST_F(SwayDesktopChooser, PicksWlClipboard) {
  const DesktopSession session = DesktopSession::current();
  EXPECT_TRUE(session.wayland);
  DesktopPasteboard chosen = makeDesktopPasteboard(log_, session);
  ASSERT_NE(chosen.pasteboard, nullptr);
  EXPECT_EQ(chosen.kind, DesktopPasteboardKind::wlClipboard);
  EXPECT_EQ(nameOf(chosen.kind), "wl-clipboard");
  EXPECT_EQ(chosen.pasteboard->limitation(), std::nullopt);
  EXPECT_EQ(logged("Clipboard: wl-clipboard"), 1u);
  ASSERT_TRUE(swayDesktop().copyText("seen"));
  EXPECT_TRUE(waitUntil([&] { return chosen.pasteboard->changeCount() == 1; }));
  EXPECT_EQ(chosen.pasteboard->string(), "seen");
}

}  // namespace
}  // namespace orvane::testing
