// The pasteboard contract on a real desktop, the same cases for QtPasteboard on an X
// server (Xvfb) and WlClipboardPasteboard on a Wayland compositor (headless sway), with
// another program copying and pasting beside it. Run through x11_env.sh (X11/*) and
// sway_env.sh (Sway/*).
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/pasteboard.hpp"
#include "desktop_test_support.hpp"
#include "desktops.hpp"

namespace orvane::testing {
namespace {

using namespace std::chrono_literals;

const std::string utf8Text = "Grüße — ✓";

class PasteboardContract : public ::testing::TestWithParam<const Desktop*> {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName().toStdString(), desktop().qtPlatform())
        << "run these tests through " << desktop().script();
    pasteboard_ = desktop().makePasteboard();
    ASSERT_NE(pasteboard_, nullptr);
  }

  const Desktop& desktop() const { return *GetParam(); }
  Pasteboard& pasteboard() { return *pasteboard_; }
  std::int64_t count() { return pasteboard_->changeCount(); }

  void expectCountThroughLaterCopy(std::int64_t expected) {
    orvane::testing::expectCountThroughLaterCopy(desktop(), pasteboard(), expected);
  }

 private:
  std::unique_ptr<Pasteboard> pasteboard_;
};

TEST_P(PasteboardContract, AnotherProgramsCopyMovesTheCountOnceAndReadsBack) {
  struct Row {
    const char* what;
    std::function<bool(const Desktop&)> copy;
    std::optional<std::string> text;
  };
  const std::vector<Row> rows = {
      {"UTF-8 text", [](const Desktop& d) { return d.copyText(utf8Text); }, utf8Text},
      {"text that looks like an option", [](const Desktop& d) { return d.copyText("-n --help"); }, "-n --help"},
      {"lines with a final newline", [](const Desktop& d) { return d.copyText("one\ntwo\n"); }, "one\ntwo\n"},
      {"an image only", [](const Desktop& d) { return d.copyImage(); }, std::nullopt},
      {"text again after the image", [](const Desktop& d) { return d.copyText("back to text"); }, "back to text"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::int64_t before = count();
    ASSERT_TRUE(row.copy(desktop()));
    ASSERT_TRUE(waitUntil([&] { return count() != before; })) << "the copy was not seen";
    EXPECT_EQ(pasteboard().string(), row.text);
    expectCountThroughLaterCopy(before + 1);
  }
}

TEST_P(PasteboardContract, OwnWriteReachesOtherProgramsAndMovesTheCountOnce) {
  const std::vector<std::string> texts = {utf8Text, "-n --help", "one\ntwo\n", ""};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::int64_t before = count();
    pasteboard().setString(text);
    EXPECT_EQ(count(), before + 1) << "setString must have moved the count when it returns";
    EXPECT_EQ(desktop().pasteText(), text);
    EXPECT_EQ(pasteboard().string(), text);
    expectCountThroughLaterCopy(before + 1);
  }
}

TEST_P(PasteboardContract, ReadingMovesNothing) {
  ASSERT_TRUE(desktop().copyText(utf8Text));
  ASSERT_TRUE(waitUntil([&] { return count() == 1; }));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(pasteboard().string(), utf8Text);
    EXPECT_EQ(desktop().pasteText(), utf8Text);
  }
  EXPECT_EQ(count(), 1);
  expectCountThroughLaterCopy(1);
}

TEST_P(PasteboardContract, AnotherCopyRightAfterOwnWriteIsAChange) {
  pasteboard().setString("ours");
  const std::int64_t afterWrite = count();
  ASSERT_TRUE(desktop().copyText("theirs"));
  ASSERT_TRUE(waitUntil([&] { return count() != afterWrite; })) << "their copy was not seen";
  EXPECT_EQ(pasteboard().string(), "theirs");
  expectCountThroughLaterCopy(afterWrite + 1);
}

TEST_P(PasteboardContract, AnotherCopyRightBeforeOwnWriteShowsAfterItOnlyIfItStays) {
  // Their copy is done, but our event loop has not run since. It may be counted while
  // setString runs, or not at all once it is gone; after setString has returned it may
  // count only if it is still what the clipboard holds (on X11 the server refuses our
  // claim, as it is older than theirs): the hub would otherwise take its own text for a
  // copy made by the user.
  const std::int64_t before = count();
  ASSERT_TRUE(desktop().copyText("theirs"));
  pasteboard().setString("ours");
  const std::int64_t afterWrite = count();
  EXPECT_GE(afterWrite, before + 1);
  EXPECT_LE(afterWrite, before + 2);
  const std::optional<std::string> held = pasteboard().string();
  if (held == "ours") {
    SCOPED_TRACE("our write stayed");
    expectCountThroughLaterCopy(afterWrite);
  } else {
    SCOPED_TRACE("their copy stayed");
    EXPECT_EQ(held, "theirs");
    ASSERT_TRUE(waitUntil([&] { return count() != afterWrite; })) << "the clipboard is not ours, yet nothing changed";
    expectCountThroughLaterCopy(afterWrite + 1);
  }
}

std::string platformOf(const ::testing::TestParamInfo<const Desktop*>& info) { return info.param->qtPlatform(); }

INSTANTIATE_TEST_SUITE_P(X11, PasteboardContract, ::testing::Values(&x11Desktop()), platformOf);
INSTANTIATE_TEST_SUITE_P(Sway, PasteboardContract, ::testing::Values(&swayDesktop()), platformOf);

}  // namespace
}  // namespace orvane::testing
