#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/expected.hpp"

namespace orvane::phone {

// The command line of orvane-phone: one command word and its options, in any order.
struct PhoneOptions {
  enum class Command { pair, connect, probe, listenNudge, help };

  Command command = Command::help;
  std::optional<std::string> statePath;
  std::optional<double> timeoutSeconds;

  std::optional<std::string> qr;        // pair, probe
  std::optional<std::string> name;      // pair
  std::optional<std::string> deviceID;  // pair
  std::optional<std::string> host;      // pair, connect, probe
  std::optional<std::uint16_t> port;    // pair, connect, probe: the computer's; listen-nudge: our own
  std::optional<std::string> pinB64;    // probe
  bool insecure = false;                // probe
  bool exitAfterPair = false;           // pair
  std::optional<std::string> bind;      // listen-nudge
  bool once = false;                    // listen-nudge

  // The error is one sentence for the user; usage() follows it.
  static expected<PhoneOptions, std::string> parse(const std::vector<std::string>& args);
  static std::string usage();
};

}  // namespace orvane::phone
