#include "cli/cli_options.hpp"

#include <iostream>

namespace orvane::cli {

ParseResult parseOptions(const std::vector<std::string>& args) {
  ParseResult r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--headless") {
      r.options.headless = true;
    } else if (a == "--json") {
      r.options.json = true;
    } else if (a == "--accept-terms") {
      r.options.acceptTerms = true;
    } else if (a == "--verbose") {
      r.options.verbose = true;
    } else if (a == "--help" || a == "-h") {
      r.options.help = true;
    } else if (a == "--qr-png") {
      if (i + 1 >= args.size()) {
        r.error = "--qr-png needs a file path";
        return r;
      }
      r.options.qrPngPath = args[++i];
    } else if (a == "--send-link") {
      if (i + 1 >= args.size()) {
        r.error = "--send-link needs a link";
        return r;
      }
      r.options.sendLink = args[++i];
    } else if (a.size() > 7 && (a.compare(0, 7, "orvane:") == 0 || a.compare(0, 7, "ORVANE:") == 0)) {
      r.options.handoffUrl = a;
    } else {
      r.error = "unknown option: " + a;
      return r;
    }
  }
  return r;
}

std::string usage() {
  return "Usage: orvane --headless [--json] [--accept-terms] [--qr-png PATH] [--verbose]\n"
         "       orvane --send-link URL | orvane orvane://send-url?u=LINK\n"
         "\n"
         "Links this computer with one Android phone over the local network.\n"
         "\n"
         "  --headless      run in this terminal, without windows (with a display there,\n"
         "                  its clipboard is the one synced with the phone)\n"
         "  --json          print one JSON object per line for every event\n"
         "  --accept-terms  accept the terms of service without asking\n"
         "  --qr-png PATH   also write each pairing QR code as a PNG image to PATH\n"
         "  --verbose       copy the log to standard error\n"
         "  --send-link URL hand a web link to the running Orvane, which sends it to the phone\n"
         "\n"
         "Started again while it runs, orvane brings the running one's window forward; with\n"
         "an orvane://send-url?u=LINK argument (from Flingshare) it hands the link over.\n"
         "\n"
         "Commands on standard input, one per line:\n"
         "  approve      approve the phone that asks to pair\n"
         "  deny         deny it\n"
         "  forget       forget the paired phone\n"
         "  disconnect   end the current session\n"
         "  reconnect    restart the listener and ask the paired phone to reconnect\n"
         "  new-code     make a fresh pairing code\n"
         "  send-message TEXT (or message TEXT)\n"
         "               send a chat message to the phone\n"
         "  send-link URL (or link URL)\n"
         "               send a web link to the phone\n"
         "  dismiss ID   dismiss the phone's notification ID\n"
         "  reply ID TEXT\n"
         "               answer the phone's notification ID\n"
         "  auto-open on|off\n"
         "               open links from the phone in the browser by themselves, or not\n"
         "  clipboard on|off\n"
         "               turn clipboard sync with the phone on or off\n"
         "  copy TEXT    put TEXT on the clipboard, as if copied here\n"
         "  send-clipboard\n"
         "               send what is on the clipboard now, even if sent before\n"
         "  rename NAME  name the phone on this computer (no NAME: no name)\n"
         "  quit         stop Orvane\n"
         "\n"
         "State lives in $XDG_CONFIG_HOME/Orvane (settings) and $XDG_DATA_HOME/Orvane\n"
         "(identity, pairing record).\n";
}

CommandLine readCommandLine(int argc, char** argv) {
  auto parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.error) {
    std::cerr << "orvane: " << *parsed.error << "\n\n" << usage();
    return {parsed.options, 64};
  }
  if (parsed.options.help) {
    std::cout << usage();
    return {parsed.options, 0};
  }
  return {parsed.options, std::nullopt};
}

}  // namespace orvane::cli
