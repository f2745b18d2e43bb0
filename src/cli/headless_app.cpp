#include "cli/headless_app.hpp"

#include <unistd.h>

#include <QCoreApplication>
#include <future>
#include <iostream>

#include "app/legal_state.hpp"
#include "base/thread_queue.hpp"
#include "features/chats/message_archive.hpp"
#include "app/legal_texts.hpp"
#include "base/text.hpp"
#include "cli/mac_media_services.hpp"
#include "platform/qt/mpris_media_key_output.hpp"
#include "app/mac_media_watcher.hpp"
#include "platform/linux/net/asio_serial_queue.hpp"
#include "platform/linux/net/asio_transport.hpp"
#include "platform/linux/avahi_advertiser.hpp"
#include "platform/linux/file_keychain.hpp"
#include "platform/linux/json_defaults_file.hpp"
#include "platform/linux/posix_host_info.hpp"
#include "platform/linux/sysfs_mac_health.hpp"
#include "platform/linux/syslog_sink.hpp"
#include "platform/linux/xdg_paths.hpp"
#include "platform/qt/freedesktop_notifications.hpp"
#include "platform/qt/logind_wake_signal.hpp"
#include "platform/qt/qt_main_queue.hpp"

namespace orvane::cli {

HeadlessApp::HeadlessApp(Options options, DesktopServices desktop)
    : options_(std::move(options)), desktop_(std::move(desktop)) {}

HeadlessApp::~HeadlessApp() {
  // Without an event loop left to finish a shutdown: stop the queue, then release.
  if (hub_ || server_ || serverQueue_) release();
}

bool HeadlessApp::passTermsGate(UserDefaults& defaults) {
  LegalState legal(std::shared_ptr<UserDefaults>(std::shared_ptr<void>(), &defaults));
  if (legal.isAccepted()) return true;
  if (options_.acceptTerms) {
    legal.accept();
    return true;
  }
  if (!isatty(STDIN_FILENO)) {
    std::cerr << "orvane: the terms of service have not been accepted yet; run once in a terminal, or pass "
                 "--accept-terms\n";
    return false;
  }
  std::cerr << LegalTexts::heading << "\n\n" << LegalTexts::intro << "\n\n";
  for (auto point : LegalTexts::points) std::cerr << "  \u2022 " << point << "\n";
  std::cerr << "\n" << LegalTexts::versionLine << "\n\n" << LegalTexts::agreement << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  answer = text::asciiLower(text::trim(answer));
  if (answer != "y" && answer != "yes") {
    std::cerr << "orvane: the terms were not accepted; Orvane does not start without them.\n";
    return false;
  }
  legal.accept();
  return true;
}

std::optional<int> HeadlessApp::start() {
  // The log comes first: opening the settings and the key store may have something
  // to say that the user must be able to see.
  auto log = std::make_shared<SyslogSink>(options_.verbose);
  auto defaults = JsonDefaultsFile::atDefaultLocation(Logger(log, "defaults"));
  if (!defaults) {
    std::cerr << "orvane: cannot open the settings file: " << defaults.error() << "\n";
    return 1;
  }
  defaults_ = *defaults;
  if (!passTermsGate(**defaults)) return 2;

  auto keychain = FileKeychain::atDefaultLocation();
  if (!keychain) {
    std::cerr << "orvane: cannot open the key store: " << keychain.error() << "\n";
    return 1;
  }
  auto support = xdg::appSupport();
  std::optional<std::filesystem::path> supportFolder;
  if (support) supportFolder = *support;

  mainQueue_ = std::make_shared<QtMainQueue>();
  // Events reach the output once the work of the moment is done, a burst in one write.
  printer_ = std::make_shared<EventPrinter>(options_.json, stdout, mainQueue_);
  serverQueue_ = std::make_shared<AsioSerialQueue>("zel.pairing-server", log);
  AsioTransportOptions transportOptions;
  transportOptions.advertiser = std::make_shared<AvahiAdvertiser>(Logger(log, "dnssd"));
  transport_ = std::make_shared<AsioTransport>(*serverQueue_, std::move(transportOptions));

  HeadlessView::QRSink qrSink;
  if (options_.qrPngPath) {
    qrSink = [path = *options_.qrPngPath, printer = printer_, write = desktop_.writeQrPng](const QRImage& image) {
      if (!write) {
        printer->note("orvane: cannot write " + path + ": this program was built without an image writer");
        return;
      }
      if (auto written = write(image, path); !written) printer->note("orvane: cannot write " + path + ": " + written.error());
    };
  }
  view_ = std::make_shared<HeadlessView>(printer_, std::move(qrSink));
  media_ = std::make_unique<MacMediaServices>(mainQueue_, log, desktop_.artworkCodec);

  PairingServerServices services;
  services.queue = serverQueue_;
  services.transport = transport_;
  services.defaults = *defaults;
  services.identities = std::make_shared<TLSIdentityManager>(*keychain, *defaults);
  services.pairingStore = std::make_shared<PairingStore>(supportFolder, *keychain, *defaults);
  services.host = std::make_shared<PosixHostInfo>();
  services.macHealth = std::make_shared<SysfsMacHealth>();
  services.mediaKeys = media_->mediaKeys();
  services.log = log;
  auto server = PairingServer::create(std::move(services));
  if (!server) {
    std::cerr << "orvane: " << server.error() << "\n";
    return 70;
  }
  server_ = std::move(*server);

  AppStateServices hub;
  hub.main = mainQueue_;
  hub.defaults = *defaults;
  hub.server = server_;
  hub.pasteboard = desktop_.makePasteboard(log);
  hub.wake = std::make_shared<LogindWakeSignal>(Logger(log, "wake"));
  hub.macMedia = media_->watcher();
  hub.workspace = desktop_.makeWorkspace(Logger(log, "workspace"), media_->canControlPlayers());
  hub.notifications = std::make_shared<FreedesktopNotifications>(Logger(log, "banners"));
  hub.log = log;
  hub_ = AppState::create(std::move(hub), false);
  // Accepted terms and a new device identifier reach the disk now: a signal before the
  // event loop runs ends the program at once, without the delayed write.
  defaults_->flush();

  // The chats file has one writer, on a thread of its own.
  archiveQueue_ = std::make_shared<ThreadQueue>("zel.message-archive", log);
  DeviceBridgeStoreServices storeServices;
  storeServices.main = mainQueue_;
  storeServices.defaults = *defaults;
  storeServices.archive = std::make_shared<MessageArchive>(archiveQueue_, [] { return xdg::appSupport(); });
  storeServices.accessibilityTrusted = *hub_->accessibilityTrusted;
  storeServices.log = log;
  store_ = DeviceBridgeStore::create(std::move(storeServices));
  bridge_ = StoreBridge::create(store_, hub_);
  commands_ = std::make_unique<HeadlessCommands>(store_, hub_, view_, printer_);

  // The view subscribes before the server starts, so that it prints the first state.
  view_->observe(*store_, *hub_);
  hub_->setEventListener(view_);
  hub_->startServer();
  return std::nullopt;
}

void HeadlessApp::handleCommand(const std::string& line) {
  // After quit the server is shutting down: a restart now would outlive its queue.
  if (!commands_ || quitting_) return;
  if (commands_->run(line) == HeadlessCommands::Outcome::quit) quit();
}

void HeadlessApp::quit() {
  if (quitting_) return;
  quitting_ = true;
  if (!hub_) {
    release();
    return;
  }
  // The server closes its connections and its listener on its own queue; the main
  // thread goes on with its event loop and finishes when told the server is done.
  std::weak_ptr<QtMainQueue> main = mainQueue_;
  hub_->shutdown([main, this] {
    if (auto queue = main.lock()) queue->post([this] { release(); });
  });
}

void HeadlessApp::release() {
  // The queue's thread ends first, so that nothing runs on it while the objects built
  // on its context are destroyed here; it must not be left waiting for this thread.
  if (hub_) hub_->closeMainPosts();
  if (serverQueue_) serverQueue_->stop();
  finishArchiveWrites();
  // The last events are written while the store their lists come from still exists.
  if (printer_) printer_->flush();
  commands_.reset();
  bridge_.reset();
  store_.reset();
  hub_.reset();
  // After the hub, its last user: the adapter's stream process ends here.
  media_.reset();
  view_.reset();
  server_.reset();
  transport_.reset();
  serverQueue_.reset();
  // Settings changed in the last moments are on disk before the program ends.
  if (defaults_) defaults_->flush();
  if (printer_) printer_->flush();
  if (auto* app = QCoreApplication::instance()) app->quit();
}

void HeadlessApp::finishArchiveWrites() {
  if (!archiveQueue_) return;
  // Saves still waiting reach the disk before the program ends: the writer runs them
  // in order, so once this marker has run they are done. A disk that hangs does not
  // hold the program forever.
  auto done = std::make_shared<std::promise<void>>();
  auto finished = done->get_future();
  archiveQueue_->post([done] { done->set_value(); });
  if (finished.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    printer_->note("orvane: the chats file is still being written; the last change may be lost");
    // Destroying the writer would wait for the write that hangs: it is left to the end
    // of the process instead, which takes its thread down with it.
    new std::shared_ptr<SerialQueue>(archiveQueue_);
  }
  archiveQueue_.reset();
}

}  // namespace orvane::cli
