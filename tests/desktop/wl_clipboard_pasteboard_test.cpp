// What only the wl-clipboard pasteboard does, on a real headless sway: the watch's report
// of what was there at start, clears, the bound on what it reads. Run through
// sway_env.sh (Sway*).
#include "platform/qt/wl_clipboard_pasteboard.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop_test_support.hpp"
#include "desktops.hpp"

namespace orvane::testing {
namespace {

class SwayWlClipboardPasteboard : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "wayland") << "run these tests through tests/desktop/sway_env.sh";
  }

  static std::unique_ptr<WlClipboardPasteboard> start() {
    auto started = WlClipboardPasteboard::start({});
    if (!started) {
      ADD_FAILURE() << started.error();
      return nullptr;
    }
    return std::move(*started);
  }

  static bool clear() { return runTool("wl-copy", {"--clear"}).exitCode == 0; }
  static bool copyBytes(const std::string& bytes) {
    return runTool("wl-copy", {"--type", "text/plain;charset=utf-8"}, bytes).exitCode == 0;
  }
};

TEST_F(SwayWlClipboardPasteboard, WhatWasThereAtStartIsNoChange) {
  struct Row {
    const char* what;
    std::function<bool()> prepare;
    std::optional<std::string> text;
  };
  const std::vector<Row> rows = {
      {"text", [] { return swayDesktop().copyText("copied before"); }, "copied before"},
      {"an image", [] { return swayDesktop().copyImage(); }, std::nullopt},
      {"nothing", [] { return clear(); }, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(row.prepare());
    std::unique_ptr<WlClipboardPasteboard> pasteboard = start();
    ASSERT_NE(pasteboard, nullptr);
    EXPECT_EQ(pasteboard->changeCount(), 0);
    EXPECT_EQ(pasteboard->string(), row.text);
    expectCountThroughLaterCopy(swayDesktop(), *pasteboard, 0);
  }
}

TEST_F(SwayWlClipboardPasteboard, AClearIsAChange) {
  std::unique_ptr<WlClipboardPasteboard> pasteboard = start();
  ASSERT_NE(pasteboard, nullptr);
  struct Row {
    const char* what;
    std::function<bool(WlClipboardPasteboard&)> fill;
  };
  const std::vector<Row> rows = {
      {"another program's copy", [](WlClipboardPasteboard&) { return swayDesktop().copyText("to be cleared"); }},
      {"our own write",
       [](WlClipboardPasteboard& p) {
         p.setString("to be cleared");
         return true;
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::int64_t empty = pasteboard->changeCount();
    ASSERT_TRUE(row.fill(*pasteboard));
    ASSERT_TRUE(waitUntil([&] { return pasteboard->changeCount() != empty; }));
    ASSERT_EQ(pasteboard->string(), "to be cleared");
    const std::int64_t before = pasteboard->changeCount();
    ASSERT_TRUE(clear());
    ASSERT_TRUE(waitUntil([&] { return pasteboard->changeCount() != before; })) << "the clear was not seen";
    EXPECT_EQ(pasteboard->string(), std::nullopt);
    expectCountThroughLaterCopy(swayDesktop(), *pasteboard, before + 1);
  }
}

TEST_F(SwayWlClipboardPasteboard, ReadsUpTo256KiBOfUtf8) {
  struct Row {
    const char* what;
    std::string copied;
    std::optional<std::string> read;
  };
  const std::string limit(256 * 1024, 'x');
  const std::vector<Row> rows = {
      {"exactly the limit", limit, limit},
      {"one byte over", limit + "x", std::nullopt},
      {"several times over", std::string(1024 * 1024, 'y'), std::nullopt},
      {"a byte that is no UTF-8", "a\xFF" "b", "a\xEF\xBF\xBD" "b"},
  };
  std::unique_ptr<WlClipboardPasteboard> pasteboard = start();
  ASSERT_NE(pasteboard, nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::int64_t before = pasteboard->changeCount();
    ASSERT_TRUE(copyBytes(row.copied));
    ASSERT_TRUE(waitUntil([&] { return pasteboard->changeCount() != before; }));
    EXPECT_EQ(pasteboard->string(), row.read);
    expectCountThroughLaterCopy(swayDesktop(), *pasteboard, before + 1);
  }
}

}  // namespace
}  // namespace orvane::testing
