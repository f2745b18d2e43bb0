#include "server/pairing_server.hpp"

#include "pairing/discovery_record.hpp"

namespace orvane {

expected<std::shared_ptr<PairingServer>, std::string> PairingServer::create(PairingServerServices services) {
  std::shared_ptr<PairingServer> server(new PairingServer(std::move(services)));
  // The link's callbacks reach into the modules, which are members of the server.
  server->link_->setOwner(server);
  if (auto registered = server->registerModules(); !registered) return unexpected(registered.error());
  return server;
}

PairingServer::PairingServer(PairingServerServices services)
    : services_(std::move(services)),
      log_(services_.log, "link"),
      link_(LinkCore::create({services_.queue, services_.clock, services_.log})),
      nudge_(*link_, services_.transport, services_.defaults),
      pairing_(*link_, nudge_, {services_.pairingStore, services_.host, port, [this] { updateAdvertisement(); }}),
      clipboard_(*link_, services_.defaults),
      media_(*link_, services_.mediaKeys),
      notifications_(*link_),
      status_(*link_, services_.macHealth) {}

// The modules in the order their hooks run: pairing first, so that a tick renews a
// spent invitation before the connections are checked.
expected<void, std::string> PairingServer::registerModules() {
  for (LinkModule* module : std::initializer_list<LinkModule*>{&pairing_, &clipboard_, &media_, &notifications_, &status_}) {
    if (auto added = link_->addModule(*module); !added) return added;
  }
  return {};
}

PairingServer::~PairingServer() {
  if (listener_) listener_->cancel();
}

void PairingServer::setDelegate(std::weak_ptr<PairingServerDelegate> delegate) {
  onQueue([delegate = std::move(delegate)](PairingServer& s) {
    s.link_->setObserver(delegate);
    s.nudge_.setObserver(delegate);
    s.pairing_.setObserver(delegate);
    s.clipboard_.setObserver(delegate);
    s.media_.setObserver(delegate);
    s.notifications_.setObserver(delegate);
    s.status_.setObserver(delegate);
  });
}

// ---- Lifecycle ----

void PairingServer::start() {
  onQueue([](PairingServer& s) { s.startOnQueue(); });
}

void PairingServer::restart() {
  onQueue([](PairingServer& s) {
    s.stopOnQueue();
    s.startOnQueue();
  });
}

void PairingServer::shutdown(std::function<void()> done) {
  onQueue([done = std::move(done)](PairingServer& s) {
    s.stopOnQueue();
    s.nudge_.cancelAll();
    if (done) done();
  });
}

void PairingServer::startOnQueue() {
  if (!link_->begin()) return;

  auto identity = services_.identities->loadOrCreate();
  if (!identity) {
    link_->setState(LinkState::error(identity.error().description()));
    return;
  }
  identity_ = *identity;
  pairing_.setIdentity(*identity_);

  const bool pairingReadable = pairing_.loadPaired();
  if (identity_->created && pairing_.paired()) {
    // The phone pins the old certificate: it can no longer reconnect.
    log_.error("a new TLS identity was made while a phone is paired; it must pair again");
  }
  nudge_.loadAddresses();
  // The hub hears of the paired phone before anything else of this start.
  pairing_.announcePaired();

  auto credentials = services_.transport->makeTlsCredentials(identity_->secIdentity);
  if (!credentials) {
    log_.systemLine("ZEL: sec_identity_create failed (cert " + identity_->fingerprintText() + ")");
    link_->setState(LinkState::error("TLS identity unavailable"));
    return;
  }
  log_.systemLine("ZEL: listener identity " + identity_->fingerprintText());

  auto listener = services_.transport->makeListener(credentials, port);
  if (!listener) {
    link_->setState(LinkState::error(listener.error()));
    return;
  }
  listener_ = std::move(*listener);
  std::weak_ptr<PairingServer> weak = weak_from_this();
  // The listener's callbacks already arrive on the queue; they hold the server weakly.
  // A listener that fails later is not restarted: its connections carry on.
  listener_->setStateHandler([weak](ListenerState state, const std::string& error) {
    auto self = weak.lock();
    if (!self || state != ListenerState::failed) return;
    self->link_->setState(LinkState::error("Listener failed: " + error));
  });
  listener_->setNewConnectionHandler([weak](std::shared_ptr<Connection> conn) {
    if (auto self = weak.lock()) self->link_->accept(std::move(conn));
  });
  listener_->setService(discoveryService());
  listener_->start();

  regenerateInvitation();
  link_->startTick();

  if (!pairingReadable) {
    // The phone is refused as unknown from now on; the user has to know why.
    link_->setState(LinkState::disconnected("Stored pairing could not be read \u2014 pair again"));
  } else if (const auto& paired = pairing_.paired()) {
    link_->setState(LinkState::disconnected("Listening \u2014 " + paired->deviceName + " paired"));
  } else {
    link_->setState(LinkState::disconnected("Listening on port " + std::to_string(port)));
  }
}

void PairingServer::stopOnQueue() {
  link_->stop();
  if (listener_) {
    listener_->cancel();
    listener_.reset();
  }
}

void PairingServer::disconnectSession() {
  onQueue([](PairingServer& s) { s.link_->disconnectSession(); });
}

// ---- DNS-SD ----

std::optional<DiscoveryService> PairingServer::discoveryService() const {
  assertOnQueue(*services_.queue);
  return DiscoveryRecord::service(pairing_.paired(), services_.identities->installID());
}

void PairingServer::updateAdvertisement() {
  if (listener_) listener_->setService(discoveryService());
}

// ---- Pairing ----

void PairingServer::regenerateInvitation() {
  onQueue([](PairingServer& s) { s.pairing_.regenerateInvitation(); });
}

void PairingServer::approvePending() {
  onQueue([](PairingServer& s) { s.pairing_.approve(); });
}

void PairingServer::denyPending() {
  onQueue([](PairingServer& s) { s.pairing_.deny(); });
}

void PairingServer::forgetPaired() {
  onQueue([](PairingServer& s) { s.pairing_.forget(); });
}

void PairingServer::requestPhoneReconnect() {
  onQueue([](PairingServer& s) { s.nudge_.request(s.pairing_.paired()); });
}

// ---- Messages, media and clipboard ----

void PairingServer::sendTestMessage(std::string text, std::optional<std::string> pendingID) {
  onQueue([text = std::move(text), pendingID = std::move(pendingID)](PairingServer& s) {
    s.notifications_.sendTestMessage(text, pendingID);
  });
}

void PairingServer::sendTestUrl(std::string url, std::optional<std::string> pendingID) {
  onQueue([url = std::move(url), pendingID = std::move(pendingID)](PairingServer& s) {
    s.notifications_.sendTestUrl(url, pendingID);
  });
}

void PairingServer::sendNotifDismiss(std::string id) {
  onQueue([id = std::move(id)](PairingServer& s) { s.notifications_.sendNotifDismiss(id); });
}

void PairingServer::sendNotifReply(std::string id, std::string text) {
  onQueue([id = std::move(id), text = std::move(text)](PairingServer& s) { s.notifications_.sendNotifReply(id, text); });
}

void PairingServer::sendMediaCommand(std::string cmd) {
  onQueue([cmd = std::move(cmd)](PairingServer& s) { s.media_.sendMediaCommand(cmd); });
}

void PairingServer::requestMedia() {
  onQueue([](PairingServer& s) { s.media_.requestMedia(); });
}

void PairingServer::sendMacMedia(std::optional<std::string> app, std::optional<std::string> title,
                                 std::optional<std::string> artist, std::optional<std::string> album, bool playing,
                                 std::optional<ArtworkRenditions> artwork) {
  MacNowPlaying media{std::move(app), std::move(title), std::move(artist), std::move(album), playing, std::move(artwork)};
  onQueue([media = std::move(media)](PairingServer& s) { s.media_.sendMacMedia(media); });
}

void PairingServer::sendMacMediaUnavailable() {
  onQueue([](PairingServer& s) { s.media_.sendMacMediaUnavailable(); });
}

void PairingServer::sendClipboardText(std::string text, std::string clipID, std::string origin) {
  onQueue([text = std::move(text), clipID = std::move(clipID), origin = std::move(origin)](PairingServer& s) {
    s.clipboard_.sendClipboardText(text, clipID, origin);
  });
}

void PairingServer::noteLocalClipboardApplied(std::string text) {
  onQueue([text = std::move(text)](PairingServer& s) { s.clipboard_.noteLocalClipboardApplied(text); });
}

void PairingServer::setClipboardEnabled(bool on) {
  onQueue([on](PairingServer& s) { s.clipboard_.setClipboardEnabled(on); });
}

// ---- Diagnostics ----

PairingServer::Diagnostics PairingServer::diagnostics() const {
  assertOnQueue(*services_.queue);
  return Diagnostics{link_->isRunning(),
                     link_->authedPeerID(),
                     link_->socketGen(),
                     link_->peerCount(),
                     link_->waitingAckCount(),
                     pairing_.invitation(),
                     pairing_.pending(),
                     pairing_.paired(),
                     nudge_.lastPhoneAddress(),
                     nudge_.lastLocalAddress(),
                     nudge_.inFlight(),
                     clipboard_.dedupe()};
}

bool PairingServer::hasPeer(PeerID id) const {
  assertOnQueue(*services_.queue);
  return link_->hasPeer(id);
}

}  // namespace orvane
