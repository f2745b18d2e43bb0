#include "platform/linux/avahi_advertiser.hpp"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>
#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>

#include "base/backoff.hpp"

namespace orvane {
namespace {

constexpr const char* kDaemonAbsent =
    "DNS-SD unavailable: avahi-daemon is not running; listening without advertisement";
// Without a system bus there is nothing to tell us when one appears, so we ask again:
// soon at first, then ever less often, so that a machine without a bus (or without the
// daemon) is not woken every few seconds for as long as the program runs.
constexpr auto kFirstRetry = std::chrono::seconds(5);
constexpr auto kLongestRetry = std::chrono::minutes(5);

using StringList = std::unique_ptr<AvahiStringList, decltype(&avahi_string_list_free)>;

// Splits the DNS-SD wire form (each string one length byte, then that many bytes)
// into Avahi's list, each string kept as raw bytes. None when a length runs past the
// end: publishing a cut record would only mislead the phone.
std::optional<StringList> txtStrings(const Bytes& wire) {
  StringList list(nullptr, &avahi_string_list_free);
  for (std::size_t at = 0; at < wire.size();) {
    const std::size_t length = wire[at++];
    if (length > wire.size() - at) return std::nullopt;
    // Avahi keeps the list newest first and serialises it oldest first, so adding in
    // wire order keeps the wire order.
    AvahiStringList* grown = avahi_string_list_add_arbitrary(list.get(), wire.data() + at, length);
    if (grown == nullptr) return std::nullopt;
    static_cast<void>(list.release());
    list.reset(grown);
    at += length;
  }
  return list;
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

struct AvahiAdvertiser::Engine {
  struct Wish {
    std::optional<DiscoveryService> service;
    std::uint16_t port = 0;
    bool operator==(const Wish&) const = default;
  };

  explicit Engine(Logger logger) : log(std::move(logger)) {}

  Logger log;
  int wakeFd = -1;
  AvahiThreadedPoll* poll = nullptr;
  AvahiWatch* wakeWatch = nullptr;
  AvahiTimeout* reconnectTimer = nullptr;

  // From the start of the poll thread on, touched only on it.
  AvahiClient* client = nullptr;
  AvahiEntryGroup* group = nullptr;
  Wish published;          // what the entry group was last given
  std::string nameInUse;   // the published name, an alternative after a collision
  bool absenceLogged = false;
  Backoff retries{kFirstRetry, kLongestRetry};  // reset once the daemon runs

  std::mutex mutex;
  Wish wanted;  // guarded by mutex: written by advertise(), read on the poll thread

  const AvahiPoll* api() const { return avahi_threaded_poll_get(poll); }

  void reportAbsent(const std::string& message) {
    if (absenceLogged) return;
    absenceLogged = true;
    log.error(message);
  }

  void connect() {
    int error = 0;
    AvahiClient* made = avahi_client_new(api(), AVAHI_CLIENT_NO_FAIL, &Engine::onClientState, this, &error);
    if (made == nullptr) {
      // The callback may already have run and stored objects that Avahi has freed.
      client = nullptr;
      group = nullptr;
      published = {};
      reportAbsent(std::string("DNS-SD unavailable: cannot reach avahi-daemon (") + avahi_strerror(error) +
                   "); listening without advertisement");
      scheduleReconnect();
      return;
    }
    client = made;
  }

  // Frees the client with its entry group; the daemon withdraws the group's records.
  void dropClient() {
    if (client != nullptr) avahi_client_free(client);
    client = nullptr;
    group = nullptr;
    published = {};
  }

  void scheduleReconnect() {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(retries.next());
    timeval when{};
    avahi_elapse_time(&when, static_cast<unsigned>(wait.count()), 0);
    if (reconnectTimer == nullptr) {
      reconnectTimer = api()->timeout_new(api(), &when, &Engine::onReconnectTimer, this);
      if (reconnectTimer == nullptr) log.error("DNS-SD: cannot arm the reconnection timer");
    } else {
      api()->timeout_update(reconnectTimer, &when);
    }
  }

  // Brings the entry group to the latest wish, once the daemon runs.
  void apply() {
    if (client == nullptr || avahi_client_get_state(client) != AVAHI_CLIENT_S_RUNNING) return;
    Wish next;
    {
      std::lock_guard lock(mutex);
      next = wanted;
    }
    if (!next.service) next.port = 0;  // nothing published on any port
    if (next == published) return;
    const bool wasPublished = published.service.has_value();
    // Recorded before trying, so that a service Avahi refuses is not retried in a
    // loop; the next advertise() or a daemon restart tries again.
    published = next;
    if (!next.service) {
      if (group != nullptr) avahi_entry_group_reset(group);
      if (wasPublished) log.info("DNS-SD: advertisement withdrawn");
      return;
    }
    nameInUse = next.service->name;
    publish();
  }

  // (Re)fills the entry group with `published` under `nameInUse` and commits it.
  void publish() {
    const DiscoveryService& service = *published.service;
    std::optional<StringList> txt = txtStrings(service.txtRecord);
    if (!txt) {
      log.error("DNS-SD: the TXT record for " + quoted(service.name) + " is malformed; not advertising");
      if (group != nullptr) avahi_entry_group_reset(group);
      return;
    }
    if (group == nullptr) {
      group = avahi_entry_group_new(client, &Engine::onGroupState, this);
      if (group == nullptr) {
        log.error(std::string("DNS-SD: cannot create an entry group: ") + avahi_strerror(avahi_client_errno(client)));
        return;
      }
    } else {
      avahi_entry_group_reset(group);
    }
    int result = AVAHI_OK;
    // A name taken by another service of this host is reported at once.
    for (int renames = 0; renames <= 16; ++renames) {
      result = avahi_entry_group_add_service_strlst(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                                    nameInUse.c_str(), service.type.c_str(), nullptr, nullptr,
                                                    published.port, txt->get());
      if (result != AVAHI_ERR_COLLISION) break;
      rename();
    }
    if (result >= 0) result = avahi_entry_group_commit(group);
    if (result < 0) {
      log.error("DNS-SD: cannot advertise " + quoted(nameInUse) + ": " + avahi_strerror(result));
      avahi_entry_group_reset(group);
    }
  }

  void rename() {
    char* alternative = avahi_alternative_service_name(nameInUse.c_str());
    if (alternative == nullptr) return;
    log.info("DNS-SD: the name " + quoted(nameInUse) + " is taken; trying " + quoted(alternative));
    nameInUse = alternative;
    avahi_free(alternative);
  }

  static void onClientState(AvahiClient* c, AvahiClientState state, void* userdata) {
    auto& self = *static_cast<Engine*>(userdata);
    // The first call comes from inside avahi_client_new, before it has returned.
    self.client = c;
    switch (state) {
      case AVAHI_CLIENT_S_RUNNING:
        self.retries.reset();
        if (self.absenceLogged) {
          self.absenceLogged = false;
          self.log.info("DNS-SD available: avahi-daemon is running");
        }
        self.apply();
        break;
      case AVAHI_CLIENT_S_REGISTERING:
      case AVAHI_CLIENT_S_COLLISION:
        // The daemon is (re)registering its host name and has dropped our records; they
        // go back in once it runs.
        if (self.group != nullptr) avahi_entry_group_reset(self.group);
        self.published = {};
        break;
      case AVAHI_CLIENT_CONNECTING:
        self.reportAbsent(kDaemonAbsent);
        break;
      case AVAHI_CLIENT_FAILURE: {
        const int error = avahi_client_errno(c);
        self.dropClient();
        if (error == AVAHI_ERR_DISCONNECTED) {
          // The daemon (or the bus) went away; a new client waits for it to come back.
          self.reportAbsent(kDaemonAbsent);
          self.connect();
        } else {
          self.reportAbsent(std::string("DNS-SD unavailable: ") + avahi_strerror(error) +
                            "; listening without advertisement");
          self.scheduleReconnect();
        }
        break;
      }
    }
  }

  static void onGroupState(AvahiEntryGroup* g, AvahiEntryGroupState state, void* userdata) {
    auto& self = *static_cast<Engine*>(userdata);
    // The first call comes from inside avahi_entry_group_new, before it has returned.
    self.group = g;
    switch (state) {
      case AVAHI_ENTRY_GROUP_ESTABLISHED:
        if (self.published.service) {
          self.log.info("DNS-SD: advertising " + quoted(self.nameInUse) + " (" + self.published.service->type +
                        ") on port " + std::to_string(self.published.port));
        }
        break;
      case AVAHI_ENTRY_GROUP_COLLISION:
        // Another host on the network has the name.
        if (self.published.service) {
          self.rename();
          self.publish();
        }
        break;
      case AVAHI_ENTRY_GROUP_FAILURE:
        self.log.error("DNS-SD: advertising " + quoted(self.nameInUse) +
                       " failed: " + avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(g))));
        break;
      case AVAHI_ENTRY_GROUP_UNCOMMITED:
      case AVAHI_ENTRY_GROUP_REGISTERING:
        break;
    }
  }

  static void onWake(AvahiWatch*, int fd, AvahiWatchEvent, void* userdata) {
    std::uint64_t count = 0;
    // Only clears the counter; several wake-ups before this one are one apply().
    static_cast<void>(::read(fd, &count, sizeof count));
    static_cast<Engine*>(userdata)->apply();
  }

  static void onReconnectTimer(AvahiTimeout*, void* userdata) {
    auto& self = *static_cast<Engine*>(userdata);
    if (self.client == nullptr) self.connect();
  }
};

AvahiAdvertiser::AvahiAdvertiser(Logger log) : engine_(std::make_unique<Engine>(std::move(log))) {
  Engine& e = *engine_;
  e.wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (e.wakeFd < 0) {
    e.log.error(std::string("DNS-SD unavailable: cannot make a wake-up descriptor: ") + std::strerror(errno));
    return;
  }
  e.poll = avahi_threaded_poll_new();
  if (e.poll == nullptr) {
    e.log.error("DNS-SD unavailable: cannot make the Avahi event loop");
    return;
  }
  // The loop's thread is not running yet, so these need no lock.
  e.wakeWatch = e.api()->watch_new(e.api(), e.wakeFd, AVAHI_WATCH_IN, &Engine::onWake, &e);
  if (e.wakeWatch == nullptr) {
    e.log.error("DNS-SD unavailable: cannot watch the wake-up descriptor");
    return;
  }
  e.connect();
  if (avahi_threaded_poll_start(e.poll) < 0) e.log.error("DNS-SD unavailable: cannot start the Avahi event loop");
}

AvahiAdvertiser::~AvahiAdvertiser() {
  Engine& e = *engine_;
  if (e.poll != nullptr) {
    // Joins the loop's thread (a no-op when it never started); then everything is ours.
    avahi_threaded_poll_stop(e.poll);
    e.dropClient();
    if (e.reconnectTimer != nullptr) e.api()->timeout_free(e.reconnectTimer);
    if (e.wakeWatch != nullptr) e.api()->watch_free(e.wakeWatch);
    avahi_threaded_poll_free(e.poll);
  }
  if (e.wakeFd >= 0) ::close(e.wakeFd);
}

void AvahiAdvertiser::advertise(std::optional<DiscoveryService> service, std::uint16_t port) {
  Engine& e = *engine_;
  {
    std::lock_guard lock(e.mutex);
    e.wanted = {std::move(service), port};
  }
  if (e.wakeFd < 0) return;
  const std::uint64_t one = 1;
  // Never blocks: the descriptor is non-blocking and its counter cannot fill up here.
  static_cast<void>(::write(e.wakeFd, &one, sizeof one));
}

}  // namespace orvane
