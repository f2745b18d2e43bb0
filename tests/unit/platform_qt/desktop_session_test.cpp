#include <gtest/gtest.h>

#include <vector>

#include "platform/qt/gui/desktop_pasteboard.hpp"

namespace orvane {
namespace {

TEST(DesktopSession, WaylandWhenQtRunsThereOrADisplayIsSet) {
  struct Row {
    const char* platform;
    const char* waylandDisplay;
    bool wayland;
  };
  const std::vector<Row> rows = {
      {"xcb", nullptr, false},       {"xcb", "", false},          {"offscreen", nullptr, false},
      {"xcb", "wayland-0", true},    {"wayland", nullptr, true},  {"wayland-egl", nullptr, true},
      {"wayland", "wayland-1", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.platform) + " / " + (row.waylandDisplay ? row.waylandDisplay : "unset"));
    EXPECT_EQ(isWaylandSession(row.platform, row.waylandDisplay), row.wayland);
  }
}

TEST(DesktopSession, QClipboardIsLimitedOnlyUnderWayland) {
  EXPECT_EQ(qtClipboardLimitation(false), std::nullopt);
  const std::optional<std::string> limitation = qtClipboardLimitation(true);
  ASSERT_TRUE(limitation.has_value());
  EXPECT_NE(limitation->find("focus"), std::string::npos);
  EXPECT_EQ(nameOf(DesktopPasteboardKind::qtClipboard), "QClipboard");
  EXPECT_EQ(nameOf(DesktopPasteboardKind::wlClipboard), "wl-clipboard");
}

}  // namespace
}  // namespace orvane
