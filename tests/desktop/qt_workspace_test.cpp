// Links open with the desktop's handler: on a real X display, with a stand-in xdg-open
// first on PATH that writes down what it was asked to open.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/qt/gui/qt_workspace.hpp"
#include "temp_dir.hpp"

namespace orvane::testing {
namespace {

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(X11Workspace, OpensALinkWithTheDesktopsHandlerAndRefusesWhatDoesNotParse) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run these tests through tests/desktop/x11_env.sh";
  TempDir dir;
  const auto asked = dir.path() / "asked";
  const auto handler = dir.path() / "xdg-open";
  {
    std::ofstream script(handler);
    script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << asked.string() << "'\n";
  }
  std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
  const std::string path = dir.path().string() + ":" + (getenv("PATH") ? getenv("PATH") : "");
  ::setenv("PATH", path.c_str(), 1);
  // No desktop environment of its own: Qt hands links to xdg-open.
  ::unsetenv("XDG_CURRENT_DESKTOP");
  ::unsetenv("DESKTOP_SESSION");

  QtWorkspace workspace(Logger{}, nullptr);
  EXPECT_TRUE(workspace.openURL("https://example.com/a?b=c"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (readAll(asked).empty() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  EXPECT_EQ(readAll(asked), "https://example.com/a?b=c");
  EXPECT_FALSE(workspace.openURL("http://exa mple.com/%zz")) << "not a URL: nothing is started";
  EXPECT_FALSE(workspace.isProcessTrusted()) << "no player can be controlled yet";
}

}  // namespace
}  // namespace orvane::testing
