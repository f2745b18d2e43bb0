// orvane: links this computer with one Android phone over the local network. This is
// the program without Qt's graphical library; where a run needs it, it hands over to
// orvane-desktop.
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "wiring/displayless_services.hpp"
#include "cli/headless_main.hpp"
#include "cli/running_instance.hpp"
#include "cli/toolkit_choice.hpp"

namespace {

// Replaces this process with the program built with the graphical library, with the
// same arguments; returns only when that failed, having said why.
void handOverToToolkitProgram(char** argv, const std::string& why) {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  const auto program = error ? std::nullopt : orvane::cli::toolkitProgramBeside(self);
  if (!program) {
    std::cerr << "orvane: " << orvane::cli::toolkitProgramName << " is not installed beside this program, though "
              << why << "; going on without the desktop's clipboard, links and pictures.\n";
    return;
  }
  const std::string path = program->string();
  argv[0] = const_cast<char*>(path.c_str());
  ::execv(path.c_str(), argv);
  std::cerr << "orvane: cannot start " << path << ": " << std::strerror(errno)
            << "; going on without the desktop's clipboard, links and pictures.\n";
}

}  // namespace

int main(int argc, char** argv) {
  auto commandLine = orvane::cli::readCommandLine(argc, argv);
  if (commandLine.exitNow) return *commandLine.exitNow;
  auto& options = commandLine.options;
  // A second start hands its request to the running program, before anything starts.
  if (auto handed = orvane::cli::handToRunningInstance(options)) return *handed;

  if (auto why = orvane::cli::whyToolkitIsNeeded(options, orvane::cli::Surroundings::ofThisProcess())) {
    handOverToToolkitProgram(argv, *why);
  }
  if (!options.headless) {
    std::cerr << "orvane: there is no display to show windows on; running headless.\n";
    options.headless = true;
  }
  QCoreApplication app(argc, argv);
  return orvane::cli::runHeadless(app, options, orvane::displaylessServices());
}
