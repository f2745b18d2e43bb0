#include "platform/linux/xdg_paths.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "file_mode.hpp"
#include "scoped_env.hpp"
#include "temp_dir.hpp"

namespace orvane {
namespace {

using test::modeOf;
using test::ScopedEnv;
using orvane::testing::TempDir;

TEST(XdgPaths, BaseFoldersFollowTheVariablesThenHome) {
  TempDir tmp;
  std::string home = (tmp.path() / "home").string();
  struct Row {
    const char* name;
    std::optional<std::string> config, data;
    std::filesystem::path expectConfig, expectData;
  };
  const Row rows[] = {
      {"variables set", (tmp.path() / "cfg").string(), (tmp.path() / "dat").string(), tmp.path() / "cfg",
       tmp.path() / "dat"},
      {"variables unset", std::nullopt, std::nullopt, std::filesystem::path(home) / ".config",
       std::filesystem::path(home) / ".local/share"},
      {"empty values fall back", std::string(), std::string(), std::filesystem::path(home) / ".config",
       std::filesystem::path(home) / ".local/share"},
      {"relative values are ignored", std::string("rel/cfg"), std::string("rel/dat"),
       std::filesystem::path(home) / ".config", std::filesystem::path(home) / ".local/share"},
  };
  ScopedEnv homeEnv("HOME", home);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScopedEnv config("XDG_CONFIG_HOME", row.config);
    ScopedEnv data("XDG_DATA_HOME", row.data);
    EXPECT_EQ(xdg::configHome(), row.expectConfig);
    EXPECT_EQ(xdg::dataHome(), row.expectData);
  }
}

TEST(XdgPaths, ProgramFoldersAreCreatedPrivate) {
  TempDir tmp;
  ScopedEnv data("XDG_DATA_HOME", (tmp.path() / "new" / "data").string());
  ScopedEnv config("XDG_CONFIG_HOME", (tmp.path() / "cfg").string());

  auto support = xdg::appSupport();
  ASSERT_TRUE(support.has_value()) << support.error();
  EXPECT_EQ(*support, tmp.path() / "new" / "data" / "Orvane");
  EXPECT_EQ(modeOf(*support), 0700);
  // Missing parents are made private too.
  EXPECT_EQ(modeOf(tmp.path() / "new"), 0700);

  auto keychain = xdg::keychainFolder();
  ASSERT_TRUE(keychain.has_value()) << keychain.error();
  EXPECT_EQ(*keychain, *support / "keychain");
  EXPECT_EQ(modeOf(*keychain), 0700);

  auto configFolder = xdg::configFolder();
  ASSERT_TRUE(configFolder.has_value()) << configFolder.error();
  EXPECT_EQ(*configFolder, tmp.path() / "cfg" / "Orvane");
  EXPECT_EQ(modeOf(*configFolder), 0700);
}

TEST(XdgPaths, ExistingFolderIsTightenedAndAFileInTheWayIsReported) {
  TempDir tmp;
  ScopedEnv data("XDG_DATA_HOME", tmp.path().string());
  std::filesystem::create_directory(tmp.path() / "Orvane");
  std::filesystem::permissions(tmp.path() / "Orvane", std::filesystem::perms::all);
  ASSERT_TRUE(xdg::appSupport().has_value());
  EXPECT_EQ(modeOf(tmp.path() / "Orvane"), 0700);

  ScopedEnv config("XDG_CONFIG_HOME", tmp.path().string());
  std::ofstream(tmp.path() / "Orvane" / "keychain") << "a file where the folder should be";
  auto keychain = xdg::keychainFolder();
  ASSERT_FALSE(keychain.has_value());
  EXPECT_NE(keychain.error().find("keychain"), std::string::npos) << keychain.error();
  EXPECT_TRUE(xdg::configFolder().has_value());  // the same Orvane folder, still fine
}

}  // namespace
}  // namespace orvane
