#include "desktops.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "desktop_test_support.hpp"
#include "platform/qt/gui/qt_pasteboard.hpp"
#include "platform/qt/wl_clipboard_pasteboard.hpp"

namespace orvane::testing {

namespace {

class X11Desktop final : public Desktop {
 public:
  std::string qtPlatform() const override { return "xcb"; }
  std::string script() const override { return "tests/desktop/x11_env.sh"; }
  std::unique_ptr<Pasteboard> makePasteboard() const override { return std::make_unique<QtPasteboard>(); }
  bool copyText(const std::string& text) const override { return copy("UTF8_STRING", text); }
  bool copyImage() const override { return copy("image/png", tinyPng()); }
  std::optional<std::string> pasteText() const override { return paste("UTF8_STRING", Loop::runs); }

 private:
  static std::optional<std::string> paste(const char* type, Loop loop) {
    ToolRun run = runTool("xclip", {"-o", "-selection", "clipboard", "-t", type}, std::nullopt, loop);
    if (run.exitCode != 0) return std::nullopt;
    return run.output;
  }
  // xclip returns before the process it leaves behind has taken the clipboard; the copy
  // is done once the clipboard hands out what was copied. Our event loop does not run
  // meanwhile, so Qt's notice of the copy is still to come when this returns, as it
  // would be for a copy made just before the hub writes.
  static bool copy(const char* type, const std::string& bytes) {
    if (runTool("xclip", {"-selection", "clipboard", "-t", type, "-i"}, bytes, Loop::waits).exitCode != 0) {
      return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + scaledForBuild(std::chrono::seconds(5));
    while (paste(type, Loop::waits) != bytes) {
      if (std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
  }
};

class SwayDesktop final : public Desktop {
 public:
  std::string qtPlatform() const override { return "wayland"; }
  std::string script() const override { return "tests/desktop/sway_env.sh"; }
  std::unique_ptr<Pasteboard> makePasteboard() const override {
    auto started = WlClipboardPasteboard::start({});
    if (!started) {
      ADD_FAILURE() << "the wl-clipboard pasteboard did not start: " << started.error();
      return nullptr;
    }
    return std::move(*started);
  }
  // wl-copy returns once the compositor has the copy. Our event loop does not run
  // meanwhile, so the watch's word of the copy is still to be read when this returns,
  // as it would be for a copy made just before the hub writes.
  bool copyText(const std::string& text) const override {
    return runTool("wl-copy", {}, text, Loop::waits).exitCode == 0;
  }
  bool copyImage() const override {
    return runTool("wl-copy", {"--type", "image/png"}, tinyPng(), Loop::waits).exitCode == 0;
  }
  std::optional<std::string> pasteText() const override {
    ToolRun run = runTool("wl-paste", {"--no-newline", "--type", "text/plain;charset=utf-8"});
    if (run.exitCode != 0) return std::nullopt;
    return run.output;
  }
};

}  // namespace

void expectCountThroughLaterCopy(const Desktop& desktop, Pasteboard& pasteboard, std::int64_t expected) {
  using namespace std::chrono_literals;
  static int copies = 0;
  const std::string mark = "later copy " + std::to_string(++copies);
  ASSERT_TRUE(desktop.copyText(mark));
  ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > expected; })) << "the later copy was not seen";
  EXPECT_FALSE(waitUntil([&] { return pasteboard.changeCount() > expected + 1; }, 300ms)) << "a late change was counted";
  EXPECT_EQ(pasteboard.changeCount(), expected + 1);
  EXPECT_EQ(pasteboard.string(), mark);
}

const Desktop& x11Desktop() {
  static const X11Desktop desktop;
  return desktop;
}

const Desktop& swayDesktop() {
  static const SwayDesktop desktop;
  return desktop;
}

}  // namespace orvane::testing
