#include "cli/toolkit_choice.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "temp_dir.hpp"

namespace orvane::cli {
namespace {

TEST(ToolkitChoice, OnlyWhatNeedsTheGraphicalLibraryHandsOver) {
  Options plain;
  plain.headless = true;
  Options withPicture = plain;
  withPicture.qrPngPath = "/tmp/qr.png";
  const Options windows;
  struct Row {
    const char* what;
    Options options;
    Surroundings around;
    std::optional<std::string> reason;
  };
  const Row rows[] = {
      {"nothing around", plain, {}, std::nullopt},
      {"windows asked for, no display", windows, {}, std::nullopt},
      {"a display", plain, {.display = true}, "a display is there, whose clipboard is synced"},
      {"a QR picture", withPicture, {}, "the QR code is written as a picture"},
      {"a session bus", plain, {.sessionBus = true}, "players on the session bus may have covers to send"},
      {"the media adapter", plain, {.mediaAdapter = true}, "the now-playing adapter may send covers"},
      {"a display comes first", withPicture, {.display = true, .sessionBus = true},
       "a display is there, whose clipboard is synced"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(whyToolkitIsNeeded(row.options, row.around), row.reason) << row.what;
  }
}

class ToolkitProgramPlace : public ::testing::Test {
 protected:
  void place(const std::filesystem::path& path, mode_t mode) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n";
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
  }
  testing::TempDir dir;
  std::filesystem::path bin() const { return std::filesystem::path(dir.path()) / "bin"; }
  std::filesystem::path self() const { return bin() / "orvane"; }
};

TEST_F(ToolkitProgramPlace, BesideTheProgramFirstThenLibexec) {
  const auto libexec = std::filesystem::path(dir.path()) / "libexec" / "orvane" / toolkitProgramName;
  place(self(), 0755);
  EXPECT_EQ(toolkitProgramBeside(self()), std::nullopt);

  place(libexec, 0755);
  EXPECT_EQ(toolkitProgramBeside(self()), libexec.lexically_normal());

  place(bin() / toolkitProgramName, 0755);
  EXPECT_EQ(toolkitProgramBeside(self()), (bin() / toolkitProgramName).lexically_normal());
}

TEST_F(ToolkitProgramPlace, AFileThatCannotRunIsNoProgram) {
  place(self(), 0755);
  place(bin() / toolkitProgramName, 0644);
  EXPECT_EQ(toolkitProgramBeside(self()), std::nullopt);
  std::filesystem::create_directories(std::filesystem::path(dir.path()) / "libexec" / "orvane" / toolkitProgramName);
  EXPECT_EQ(toolkitProgramBeside(self()), std::nullopt);
}

}  // namespace
}  // namespace orvane::cli
