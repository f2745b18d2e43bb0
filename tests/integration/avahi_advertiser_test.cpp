// The Avahi advertiser against a real avahi-daemon on a private system bus, which
// tests/integration/avahi_env.sh starts (and lets these tests stop and restart). What
// is published is read back the way a client on the network sees it: avahi-browse,
// and the TXT record's bytes as the responder sends them.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/linux/avahi_advertiser.hpp"
#include "temp_dir.hpp"
#include "time_scale.hpp"

namespace orvane {
namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kPort = 17431;
constexpr const char* kType = "_orvane._tcp";
constexpr const char* kDaemonAbsent =
    "DNS-SD unavailable: avahi-daemon is not running; listening without advertisement";
// Generous: mDNS announcements take about a second; only a fault takes this long.
const auto kPatience = scaledForBuild(20s);
// advertise() only hands the wish over; this is far more than that can take.
constexpr auto kPromptly = 250ms;

// The DNS-SD wire form of a TXT record: each string after its length byte.
Bytes txtRecord(const std::vector<std::string>& strings) {
  Bytes wire;
  for (const std::string& s : strings) {
    wire.push_back(static_cast<std::uint8_t>(s.size()));
    wire.insert(wire.end(), s.begin(), s.end());
  }
  return wire;
}

DiscoveryService service(std::string name, std::vector<std::string> txt) {
  return {std::move(name), kType, txtRecord(txt)};
}

// One resolved service as avahi-browse reports it.
struct Seen {
  std::uint16_t port = 0;
  std::vector<std::string> txt;  // sorted: avahi-browse does not keep the wire order
};
using Snapshot = std::map<std::string, Seen>;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// avahi-browse -p writes a name's spaces and punctuation as \ddd (decimal) or \c.
std::string unescaped(const std::string& name) {
  std::string plain;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && std::isdigit(static_cast<unsigned char>(name[i + 1]))) {
      plain += static_cast<char>(std::stoi(name.substr(i + 1, 3)));
      i += 3;
    } else if (name[i] == '\\' && i + 1 < name.size()) {
      plain += name[++i];
    } else {
      plain += name[i];
    }
  }
  return plain;
}

// The "=" lines of `avahi-browse -rpt`:
// =;lo;IPv4;Orvane-ab12;_orvane._tcp;local;vm.local;127.0.0.1;17431;"th=..." "v=1"
std::optional<Snapshot> browse() {
  FILE* pipe = ::popen("timeout 15 avahi-browse -rpt _orvane._tcp 2>/dev/null", "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (::pclose(pipe) != 0) return std::nullopt;
  Snapshot found;
  for (const std::string& line : split(output, '\n')) {
    if (!line.starts_with("=;")) continue;
    const std::vector<std::string> fields = split(line, ';');
    if (fields.size() < 10) continue;
    Seen seen;
    seen.port = static_cast<std::uint16_t>(std::stoi(fields[8]));
    // The TXT strings print as "a" "b"; none of ours holds a quote or a semicolon.
    std::string txt = fields[9];
    for (std::size_t i = 10; i < fields.size(); ++i) txt += ";" + fields[i];
    for (const std::string& quoted : split(txt, ' ')) {
      if (quoted.size() >= 2) seen.txt.push_back(quoted.substr(1, quoted.size() - 2));
    }
    std::sort(seen.txt.begin(), seen.txt.end());
    found[unescaped(fields[3])] = seen;
  }
  return found;
}

// Browses again until `wanted` holds; each browse itself waits for the network's
// answers, so this never spins. Returns the last snapshot for the failure message.
std::pair<bool, Snapshot> browseUntil(const std::function<bool(const Snapshot&)>& wanted) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  Snapshot last;
  do {
    if (std::optional<Snapshot> now = browse()) {
      last = *now;
      if (wanted(last)) return {true, last};
    }
  } while (std::chrono::steady_clock::now() < deadline);
  return {false, last};
}

std::string describe(const Snapshot& snapshot) {
  std::string text = "avahi-browse saw:";
  if (snapshot.empty()) text += " nothing";
  for (const auto& [name, seen] : snapshot) {
    text += " [" + name + " port " + std::to_string(seen.port);
    for (const std::string& s : seen.txt) text += " \"" + s + "\"";
    text += "]";
  }
  return text;
}

std::vector<std::string> sorted(std::vector<std::string> strings) {
  std::sort(strings.begin(), strings.end());
  return strings;
}

bool shows(const Snapshot& snapshot, const std::string& name, const std::vector<std::string>& txt) {
  auto it = snapshot.find(name);
  return it != snapshot.end() && it->second.port == kPort && it->second.txt == sorted(txt);
}

void appendName(Bytes& message, const std::string& name) {
  for (const std::string& label : split(name, '.')) {
    message.push_back(static_cast<std::uint8_t>(label.size()));
    message.insert(message.end(), label.begin(), label.end());
  }
  message.push_back(0);
}

std::size_t skipName(const Bytes& message, std::size_t at) {
  while (at < message.size()) {
    const std::uint8_t length = message[at];
    if (length == 0) return at + 1;
    if ((length & 0xC0) == 0xC0) return at + 2;  // a compression pointer ends the name
    at += 1 + length;
  }
  return message.size();
}

// The rdata of `instance`'s TXT record as the responder on loopback sends it, asked
// like a plain DNS resolver would (one question, from an ordinary port).
std::optional<Bytes> txtOnTheWire(const std::string& instance) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return std::nullopt;
  in_addr loopback{};
  ::inet_pton(AF_INET, "127.0.0.1", &loopback);
  ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback);
  timeval wait{.tv_sec = 5, .tv_usec = 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);

  Bytes query = {0x4f, 0x52, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};  // id, flags, one question
  appendName(query, instance);
  query.insert(query.end(), {0, 16, 0, 1});  // TXT, IN
  sockaddr_in mdns{.sin_family = AF_INET, .sin_port = htons(5353), .sin_addr = {}, .sin_zero = {}};
  ::inet_pton(AF_INET, "224.0.0.251", &mdns.sin_addr);
  std::optional<Bytes> rdata;
  if (::sendto(fd, query.data(), query.size(), 0, reinterpret_cast<sockaddr*>(&mdns), sizeof mdns) > 0) {
    Bytes reply(9000);
    const ssize_t got = ::recv(fd, reply.data(), reply.size(), 0);
    if (got >= 12 && reply[0] == 0x4f && reply[1] == 0x52) {
      reply.resize(static_cast<std::size_t>(got));
      const unsigned questions = reply[4] << 8 | reply[5];
      const unsigned answers = reply[6] << 8 | reply[7];
      std::size_t at = 12;
      for (unsigned i = 0; i < questions; ++i) at = skipName(reply, at) + 4;
      for (unsigned i = 0; i < answers && at + 10 <= reply.size(); ++i) {
        at = skipName(reply, at);
        if (at + 10 > reply.size()) break;
        const unsigned type = reply[at] << 8 | reply[at + 1];
        const std::size_t length = reply[at + 8] << 8 | reply[at + 9];
        at += 10;
        if (at + length > reply.size()) break;
        if (type == 16) rdata = Bytes(reply.begin() + at, reply.begin() + at + length);
        at += length;
      }
    }
  }
  ::close(fd);
  return rdata;
}

// Records the log and lets the test wait for an entry.
class WaitingLogSink final : public LogSink {
 public:
  void write(LogLevel level, std::string_view, std::string_view message) override {
    {
      std::lock_guard lock(mutex_);
      entries_.push_back({level, std::string(message)});
    }
    changed_.notify_all();
  }
  void systemLine(std::string_view) override {}

  bool waitFor(const std::string& message) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return countLocked(message) > 0; });
  }
  int count(const std::string& message) const {
    std::lock_guard lock(mutex_);
    return countLocked(message);
  }
  int countStartingWith(std::string_view prefix) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                          [&](const Entry& e) { return e.message.starts_with(prefix); }));
  }
  std::vector<std::string> errors() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> found;
    for (const Entry& e : entries_) {
      if (e.level == LogLevel::error) found.push_back(e.message);
    }
    return found;
  }

 private:
  struct Entry {
    LogLevel level;
    std::string message;
  };
  int countLocked(const std::string& message) const {
    return static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.message == message; }));
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Entry> entries_;
};

// Times one call.
std::chrono::steady_clock::duration timed(const std::function<void()>& call) {
  const auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::steady_clock::now() - start;
}

class AvahiAdvertiserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = std::getenv("ORVANE_AVAHI_ENV");
    if (env_ == nullptr) GTEST_SKIP() << "needs avahi-daemon: run under tests/integration/avahi_env.sh";
  }
  // Stops or starts the daemon through the environment script; returns once done.
  void daemon(const std::string& action) {
    ASSERT_EQ(std::system((std::string("'") + env_ + "' " + action).c_str()), 0) << action;
  }
  const char* env_ = nullptr;
};

// TXT strings shaped like the real one: "th=" and 43 characters of URL-safe base64.
const std::string kHashA = "th=47DEQpj8HBSa-_TImW-5JCeuQeRkm5NMpJWZG3hSuFU";
const std::string kHashB = "th=kbQ7e3ZBn0MBMhuDGEspuL3vlrQ3aNFoMvVj_pUIrY0";

TEST_F(AvahiAdvertiserTest, PublishesReplacesAndWithdrawsTheService) {
  auto sink = std::make_shared<WaitingLogSink>();
  auto advertiser = std::make_unique<AvahiAdvertiser>(Logger(sink, "dnssd"));
  std::optional<Snapshot> before = browse();
  ASSERT_TRUE(before) << "avahi-browse failed";
  EXPECT_TRUE(before->empty()) << "before any advertise(): " << describe(*before);

  struct Row {
    const char* what;
    std::string name;
    std::vector<std::string> txt;
  };
  const Row rows[] = {
      {"a paired phone's service", "Orvane-ab12", {kHashA}},
      {"a new discovery token replaces the TXT record", "Orvane-ab12", {kHashB}},
      {"a new name replaces the old one; several TXT strings keep their order", "Orvane-cd34", {kHashA, "v=1", "x"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const DiscoveryService wanted = service(row.name, row.txt);
    advertiser->advertise(wanted, kPort);
    auto [seen, snapshot] = browseUntil([&](const Snapshot& s) { return s.size() == 1 && shows(s, row.name, row.txt); });
    EXPECT_TRUE(seen) << describe(snapshot);
    EXPECT_EQ(txtOnTheWire(row.name + "." + kType + ".local"), wanted.txtRecord);
  }

  advertiser->advertise(std::nullopt, kPort);
  auto [withdrawn, afterNone] = browseUntil([](const Snapshot& s) { return s.empty(); });
  EXPECT_TRUE(withdrawn) << "after advertise(none): " << describe(afterNone);

  advertiser->advertise(service("Orvane-ab12", {kHashA}), kPort);
  auto [again, afterAgain] = browseUntil([](const Snapshot& s) { return shows(s, "Orvane-ab12", {kHashA}); });
  EXPECT_TRUE(again) << "advertised again after a withdrawal: " << describe(afterAgain);

  advertiser.reset();
  auto [gone, afterDestroy] = browseUntil([](const Snapshot& s) { return s.empty(); });
  EXPECT_TRUE(gone) << "after destruction: " << describe(afterDestroy);
  EXPECT_EQ(sink->errors(), std::vector<std::string>{});
}

TEST_F(AvahiAdvertiserTest, TakenNameMovesToAnAlternative) {
  auto firstSink = std::make_shared<WaitingLogSink>();
  auto secondSink = std::make_shared<WaitingLogSink>();
  AvahiAdvertiser first(Logger(firstSink, "dnssd"));
  AvahiAdvertiser second(Logger(secondSink, "dnssd"));
  first.advertise(service("Orvane-ab12", {kHashA}), kPort);
  ASSERT_TRUE(browseUntil([](const Snapshot& s) { return shows(s, "Orvane-ab12", {kHashA}); }).first);

  second.advertise(service("Orvane-ab12", {kHashB}), kPort);
  auto [both, snapshot] = browseUntil([](const Snapshot& s) {
    return shows(s, "Orvane-ab12", {kHashA}) && shows(s, "Orvane-ab12 #2", {kHashB});
  });
  EXPECT_TRUE(both) << describe(snapshot);
  EXPECT_EQ(secondSink->count("DNS-SD: the name \"Orvane-ab12\" is taken; trying \"Orvane-ab12 #2\""), 1);

  first.advertise(std::nullopt, kPort);
  second.advertise(std::nullopt, kPort);
  EXPECT_TRUE(browseUntil([](const Snapshot& s) { return s.empty(); }).first);
}

TEST_F(AvahiAdvertiserTest, WithoutTheDaemonLogsOnceAndPublishesWhenItRuns) {
  auto runningSink = std::make_shared<WaitingLogSink>();
  auto absentSink = std::make_shared<WaitingLogSink>();
  // One advertiser sees the daemon go; the other is made while it is away.
  AvahiAdvertiser running(Logger(runningSink, "dnssd"));
  running.advertise(service("Orvane-ab12", {kHashA}), kPort);
  ASSERT_TRUE(browseUntil([](const Snapshot& s) { return shows(s, "Orvane-ab12", {kHashA}); }).first);

  daemon("stop-daemon");
  ASSERT_TRUE(runningSink->waitFor(kDaemonAbsent));
  AvahiAdvertiser absent(Logger(absentSink, "dnssd"));
  EXPECT_EQ(absentSink->count(kDaemonAbsent), 1);

  // While the daemon is away every call returns at once; the last wish is kept.
  for (int i = 0; i < 3; ++i) {
    EXPECT_LT(timed([&] { running.advertise(service("Orvane-ab12", {kHashB}), kPort); }), kPromptly);
    EXPECT_LT(timed([&] { absent.advertise(service("Orvane-cd34", {"th=first"}), kPort); }), kPromptly);
    EXPECT_LT(timed([&] { absent.advertise(service("Orvane-cd34", {kHashA}), kPort); }), kPromptly);
  }

  daemon("start-daemon");
  auto [back, snapshot] = browseUntil([](const Snapshot& s) {
    return s.size() == 2 && shows(s, "Orvane-ab12", {kHashB}) && shows(s, "Orvane-cd34", {kHashA});
  });
  EXPECT_TRUE(back) << "after the daemon started again: " << describe(snapshot);
  EXPECT_EQ(runningSink->count(kDaemonAbsent), 1);
  EXPECT_EQ(absentSink->count(kDaemonAbsent), 1);

  running.advertise(std::nullopt, kPort);
  absent.advertise(std::nullopt, kPort);
  EXPECT_TRUE(browseUntil([](const Snapshot& s) { return s.empty(); }).first);
}

// Restores an environment variable when the test ends.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Needs no daemon: a machine without a system bus at all. libdbus reads the bus's
// address once per process, so this runs in a fresh one (gtest's "threadsafe" style
// starts the test binary again) and reports what it saw on standard error.
TEST(AvahiAdvertiser, WithoutASystemBusLogsOnceAndKeepsGoing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto withoutBus = [] {
    bool prompt = true;
    int unavailable = 0;
    std::size_t errors = 0;
    {
      testing::TempDir dir;
      ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (dir.path() / "no_bus_here").string());
      auto sink = std::make_shared<WaitingLogSink>();
      {
        AvahiAdvertiser advertiser(Logger(sink, "dnssd"));
        for (int i = 0; i < 3; ++i) {
          prompt = prompt && timed([&] { advertiser.advertise(service("Orvane-ab12", {kHashA}), kPort); }) < kPromptly;
          prompt = prompt && timed([&] { advertiser.advertise(std::nullopt, kPort); }) < kPromptly;
        }
      }
      unavailable = sink->countStartingWith("DNS-SD unavailable: cannot reach avahi-daemon (");
      errors = sink->errors().size();
    }
    std::fprintf(stderr, "prompt=%d unavailable=%d errors=%zu\n", prompt ? 1 : 0, unavailable, errors);
    std::exit(0);
  };
  EXPECT_EXIT(withoutBus(), ::testing::ExitedWithCode(0), "prompt=1 unavailable=1 errors=1");
}

}  // namespace
}  // namespace orvane
