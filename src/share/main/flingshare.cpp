// flingshare: sends a link to the phone through Orvane, from any program. It takes what
// was shared — the command line's arguments, or standard input when there are none —
// finds one web link in it and asks the desktop to open the hand-off URL
// "orvane://send-url?u=…", which the running Orvane receives. It shows nothing and
// finishes at once.
//
//   flingshare [TEXT-OR-URL ...]
//   some-program | flingshare
//
// The desktop's opener is xdg-open; ORVANE_URL_OPENER names another program, given the
// URL as its one argument.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "share/share_handoff.hpp"
#include "share/shared_items.hpp"

extern char** environ;

namespace {

// Runs `opener URL` and waits for it; the error says what went wrong.
std::string openWith(const std::string& opener, const std::string& url) {
  std::vector<char*> argv{const_cast<char*>(opener.c_str()), const_cast<char*>(url.c_str()), nullptr};
  pid_t pid = 0;
  if (const int error = ::posix_spawnp(&pid, opener.c_str(), nullptr, nullptr, argv.data(), environ); error != 0) {
    return "cannot run " + opener + ": " + std::strerror(error);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return "lost track of " + opener + ": " + std::strerror(errno);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return opener + " could not open the hand-off URL (is Orvane installed as the handler of orvane: links?)";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "-h" || arguments[0] == "--help")) {
    std::cout << "usage: flingshare [TEXT-OR-URL ...]\n"
                 "Sends the first web link found to your phone through Orvane. Without arguments\n"
                 "the text is read from standard input.\n";
    return 0;
  }
  std::vector<orvane::SharedItem> items;
  if (arguments.empty() || (arguments.size() == 1 && arguments[0] == "-")) {
    std::string text(std::istreambuf_iterator<char>(std::cin), {});
    items.push_back({orvane::SharedItem::Kind::text, std::move(text)});
  } else {
    items = orvane::SharedItems::fromArguments(arguments);
  }
  const auto link = orvane::SharedItems::linkToShare(items);
  const auto handoff = link ? orvane::ShareHandoff::url(*link) : std::nullopt;
  if (!handoff) {
    std::cerr << "flingshare: nothing to send \u2014 no web link (http or https) in what was shared\n";
    return 1;
  }
  const char* configured = std::getenv("ORVANE_URL_OPENER");
  const std::string opener = configured && *configured ? configured : "xdg-open";
  if (const std::string failed = openWith(opener, *handoff); !failed.empty()) {
    std::cerr << "flingshare: " << failed << "\n";
    return 1;
  }
  return 0;
}
