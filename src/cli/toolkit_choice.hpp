#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "cli/cli_options.hpp"

namespace orvane::cli {

// `orvane` is built without Qt's graphical library, which with its X11, OpenGL and font
// stack would double what a machine without a display keeps in memory for nothing.
// Where the run needs that library (a display's clipboard, covers of the players on a
// session bus, a QR picture), `orvane` hands over to the program built with it,
// `orvane-desktop`, with the same arguments.
inline constexpr const char* toolkitProgramName = "orvane-desktop";

// What around the program may call for the graphical library.
struct Surroundings {
  bool display = false;       // an X11 or Wayland display is named
  bool sessionBus = false;    // a session bus is there, where players may offer covers
  bool mediaAdapter = false;  // the outside now-playing adapter, which sends covers, is installed

  static Surroundings ofThisProcess();
};

// Why this run needs the graphical library, in words for the log; none when the program
// without it serves.
std::optional<std::string> whyToolkitIsNeeded(const Options& options, const Surroundings& around);

// Where the program with the graphical library is installed next to `self`: beside it
// (the build folder) or in ../libexec/orvane/; none when neither has it.
std::optional<std::filesystem::path> toolkitProgramBeside(const std::filesystem::path& self);

}  // namespace orvane::cli
