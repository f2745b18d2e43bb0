#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane::cli {

struct Options {
  bool headless = false;
  bool json = false;
  bool acceptTerms = false;
  bool verbose = false;
  bool help = false;
  std::optional<std::string> qrPngPath;
  // An orvane: URL given as the argument (the desktop's URL handler passes one).
  std::optional<std::string> handoffUrl;
  // --send-link URL: a link for the running program to send to the phone.
  std::optional<std::string> sendLink;
};

// Parses the command line; an error text for an unknown or incomplete option.
struct ParseResult {
  Options options;
  std::optional<std::string> error;
};
ParseResult parseOptions(const std::vector<std::string>& args);

std::string usage();

// The options of this run, or the exit status when it ends here: after the usage for
// --help, or after an error and the usage on standard error.
struct CommandLine {
  Options options;
  std::optional<int> exitNow;
};
CommandLine readCommandLine(int argc, char** argv);

}  // namespace orvane::cli
