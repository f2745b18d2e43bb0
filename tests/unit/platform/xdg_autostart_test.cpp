// Starting at login through the freedesktop autostart folder, in a temporary config home:
// the entry written and removed, one the user switched off in the desktop counted as
// off, a command with spaces quoted, and the reason when the folder cannot be made.
#include "platform/linux/xdg_autostart.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "scoped_env.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

class XdgAutostartTest : public ::testing::Test {
 protected:
  std::filesystem::path entry() const { return home.path() / "autostart" / "orvane.desktop"; }
  std::string read() const {
    std::ifstream in(entry());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  testing::TempDir home;
  test::ScopedEnv config{"XDG_CONFIG_HOME", home.path().string()};
};

TEST_F(XdgAutostartTest, TurningItOnWritesTheEntryAndOffRemovesIt) {
  XdgAutostart login("/opt/orvane/bin/orvane");
  EXPECT_FALSE(login.enabled());
  ASSERT_TRUE(login.setEnabled(true));
  EXPECT_TRUE(login.enabled());
  const std::string text = read();
  EXPECT_NE(text.find("Exec=/opt/orvane/bin/orvane\n"), std::string::npos) << text;
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  struct stat info {};
  ASSERT_EQ(::stat(entry().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  ASSERT_TRUE(login.setEnabled(false));
  EXPECT_FALSE(std::filesystem::exists(entry()));
  EXPECT_FALSE(login.enabled());
  EXPECT_TRUE(login.setEnabled(false)) << "turning off what is off is no error";
}

TEST_F(XdgAutostartTest, AnEntryTheUserSwitchedOffCountsAsOffAndIsWrittenAfreshWhenTurnedOn) {
  for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
    std::filesystem::create_directories(entry().parent_path());
    std::ofstream(entry()) << "[Desktop Entry]\nType=Application\nExec=orvane\n" << off << "\n";
    XdgAutostart login("orvane");
    EXPECT_FALSE(login.enabled()) << off;
    ASSERT_TRUE(login.setEnabled(true));
    EXPECT_TRUE(login.enabled()) << off;
    EXPECT_EQ(read().find(off), std::string::npos);
  }
}

TEST_F(XdgAutostartTest, ACommandWithSpacesIsQuotedForTheDesktop) {
  XdgAutostart login("/home/ana/My Apps/orvane");
  ASSERT_TRUE(login.setEnabled(true));
  EXPECT_NE(read().find("Exec=\"/home/ana/My Apps/orvane\"\n"), std::string::npos) << read();
}

TEST_F(XdgAutostartTest, AnAutostartFolderThatCannotBeMadeGivesTheReason) {
  // A file stands where the folder would be.
  std::ofstream(home.path() / "autostart") << "not a folder";
  XdgAutostart login("orvane");
  const auto result = login.setEnabled(true);
  ASSERT_FALSE(result);
  EXPECT_NE(result.error().find("The autostart folder could not be made"), std::string::npos) << result.error();
  EXPECT_FALSE(login.enabled());
}

}  // namespace
}  // namespace orvane
