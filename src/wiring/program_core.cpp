#include "wiring/program_core.hpp"

#include <QCoreApplication>
#include <future>

#include "base/thread_queue.hpp"
#include "features/chats/message_archive.hpp"
#include "platform/linux/avahi_advertiser.hpp"
#include "platform/linux/file_keychain.hpp"
#include "platform/linux/json_defaults_file.hpp"
#include "platform/linux/net/asio_serial_queue.hpp"
#include "platform/linux/net/asio_transport.hpp"
#include "platform/linux/posix_host_info.hpp"
#include "platform/linux/sysfs_mac_health.hpp"
#include "platform/linux/xdg_paths.hpp"
#include "platform/qt/freedesktop_notifications.hpp"
#include "platform/qt/instance_channel.hpp"
#include "platform/qt/logind_wake_signal.hpp"
#include "platform/qt/mpris_media_key_output.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "app/mac_media_watcher.hpp"
#include "wiring/instance_messages.hpp"
#include "wiring/mac_media_services.hpp"

namespace orvane {

expected<std::unique_ptr<ProgramCore>, ProgramCore::Failure> ProgramCore::create(
    std::shared_ptr<LogSink> log, std::shared_ptr<JsonDefaultsFile> defaults, DesktopServices desktop,
    std::function<void(const std::string&)> say) {
  auto keychain = FileKeychain::atDefaultLocation();
  if (!keychain) return unexpected(Failure{1, "cannot open the key store: " + keychain.error()});
  auto support = xdg::appSupport();
  std::optional<std::filesystem::path> supportFolder;
  if (support) supportFolder = *support;

  std::unique_ptr<ProgramCore> core(new ProgramCore());
  core->log_ = log;
  core->defaults_ = defaults;
  core->desktop_ = std::move(desktop);
  core->say_ = std::move(say);
  core->mainQueue_ = std::make_shared<QtMainQueue>();
  core->serverQueue_ = std::make_shared<AsioSerialQueue>("zel.pairing-server", log);
  AsioTransportOptions transportOptions;
  transportOptions.advertiser = std::make_shared<AvahiAdvertiser>(Logger(log, "dnssd"));
  core->transport_ = std::make_shared<AsioTransport>(*core->serverQueue_, std::move(transportOptions));
  core->media_ = std::make_unique<MacMediaServices>(core->mainQueue_, log, core->desktop_.artworkCodec);

  PairingServerServices services;
  services.queue = core->serverQueue_;
  services.transport = core->transport_;
  services.defaults = defaults;
  services.identities = std::make_shared<TLSIdentityManager>(*keychain, defaults);
  core->pairingStore_ = std::make_shared<PairingStore>(supportFolder, *keychain, defaults);
  services.pairingStore = core->pairingStore_;
  services.host = std::make_shared<PosixHostInfo>();
  services.macHealth = std::make_shared<SysfsMacHealth>();
  services.mediaKeys = core->media_->mediaKeys();
  services.log = log;
  auto server = PairingServer::create(std::move(services));
  if (!server) return unexpected(Failure{70, server.error()});
  core->server_ = std::move(*server);

  AppStateServices hub;
  hub.main = core->mainQueue_;
  hub.defaults = defaults;
  hub.server = core->server_;
  hub.pasteboard = core->desktop_.makePasteboard(log);
  hub.wake = std::make_shared<LogindWakeSignal>(Logger(log, "wake"));
  hub.macMedia = core->media_->watcher();
  hub.workspace = core->desktop_.makeWorkspace(Logger(log, "workspace"), core->media_->canControlPlayers());
  hub.notifications = std::make_shared<FreedesktopNotifications>(Logger(log, "banners"));
  hub.log = log;
  core->hub_ = AppState::create(std::move(hub), false);
  // Accepted terms and a new device identifier reach the disk now: a signal before the
  // event loop runs ends the program at once, without the delayed write.
  defaults->flush();

  // The chats file has one writer, on a thread of its own.
  core->archiveQueue_ = std::make_shared<ThreadQueue>("zel.message-archive", log);
  DeviceBridgeStoreServices storeServices;
  storeServices.main = core->mainQueue_;
  storeServices.defaults = defaults;
  storeServices.archive = std::make_shared<MessageArchive>(core->archiveQueue_, [] { return xdg::appSupport(); });
  storeServices.accessibilityTrusted = *core->hub_->accessibilityTrusted;
  storeServices.log = log;
  core->store_ = DeviceBridgeStore::create(std::move(storeServices));
  core->bridge_ = StoreBridge::create(core->store_, core->hub_);
  return core;
}

ProgramCore::~ProgramCore() {
  // Without an event loop left to finish a shutdown: stop the queue, then release.
  release();
}

void ProgramCore::shutdown(std::function<void()> whileStoreLives, std::function<void()> released) {
  if (!hub_) {
    release(whileStoreLives);
    if (released) released();
    return;
  }
  // The server closes its connections and its listener on its own queue; the main
  // thread goes on with its event loop and releases everything when the server is done.
  std::weak_ptr<QtMainQueue> main = mainQueue_;
  hub_->shutdown([main, this, whileStoreLives = std::move(whileStoreLives), released = std::move(released)] {
    if (auto queue = main.lock()) {
      queue->post([this, whileStoreLives, released] {
        release(whileStoreLives);
        if (released) released();
      });
    }
  });
}

void ProgramCore::release(const std::function<void()>& whileStoreLives) {
  if (released_) return;
  released_ = true;
  // Later starts find no one from here on; its messages needed the store.
  instanceChannel_.reset();
  // The queue's thread ends first, so that nothing runs on it while the objects built
  // on its context are destroyed here; it must not be left waiting for this thread.
  if (hub_) hub_->closeMainPosts();
  if (serverQueue_) serverQueue_->stop();
  finishArchiveWrites();
  if (whileStoreLives) whileStoreLives();
  bridge_.reset();
  store_.reset();
  hub_.reset();
  // After the hub, its last user: the adapter's stream process ends here.
  media_.reset();
  server_.reset();
  transport_.reset();
  serverQueue_.reset();
  // Settings changed in the last moments are on disk before the program ends.
  if (defaults_) defaults_->flush();
}

void ProgramCore::finishArchiveWrites() {
  if (!archiveQueue_) return;
  // Saves still waiting reach the disk before the program ends: the writer runs them
  // in order, so once this marker has run they are done. A disk that hangs does not
  // hold the program forever.
  auto done = std::make_shared<std::promise<void>>();
  auto finished = done->get_future();
  archiveQueue_->post([done] { done->set_value(); });
  if (finished.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    if (say_) say_("orvane: the chats file is still being written; the last change may be lost");
    // Destroying the writer would wait for the write that hangs: it is left to the end
    // of the process instead, which takes its thread down with it.
    new std::shared_ptr<SerialQueue>(archiveQueue_);
  }
  archiveQueue_.reset();
}

bool ProgramCore::listenForOtherStarts(std::function<bool()> termsAccepted, std::function<void()> raise) {
  auto channel = InstanceChannel::listen(
      [this, termsAccepted = std::move(termsAccepted), raise = std::move(raise)](const std::string& message) {
        Logger log(log_, "instance");
        handleInstanceMessage(message, *store_, termsAccepted && termsAccepted(), raise, log);
      });
  if (!channel) {
    Logger(log_, "instance").error("later starts cannot reach this one: " + channel.error());
    return false;
  }
  instanceChannel_ = std::move(*channel);
  return true;
}

}  // namespace orvane
