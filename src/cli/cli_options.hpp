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
};

// Parses the command line; an error text for an unknown or incomplete option.
struct ParseResult {
  Options options;
  std::optional<std::string> error;
};
ParseResult parseOptions(const std::vector<std::string>& args);

std::string usage();

}  // namespace orvane::cli
