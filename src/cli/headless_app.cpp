#include "cli/headless_app.hpp"

#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "app/legal_state.hpp"
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
#include "platform/qt/qr_png_writer.hpp"
#include "platform/qt/desktop_display.hpp"
#include "platform/qt/desktop_pasteboard.hpp"
#include "platform/qt/freedesktop_notifications.hpp"
#include "platform/qt/logind_wake_signal.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "platform/qt/qt_workspace.hpp"
#include "app/memory_pasteboard.hpp"
#include "features/notifications/url_gate.hpp"

namespace orvane::cli {

HeadlessApp::HeadlessApp(Options options) : options_(std::move(options)) {}

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
  printer_ = std::make_shared<EventPrinter>(options_.json);
  serverQueue_ = std::make_shared<AsioSerialQueue>("zel.pairing-server", log);
  AsioTransportOptions transportOptions;
  transportOptions.advertiser = std::make_shared<AvahiAdvertiser>(Logger(log, "dnssd"));
  transport_ = std::make_shared<AsioTransport>(*serverQueue_, std::move(transportOptions));

  HeadlessView::QRSink qrSink;
  if (options_.qrPngPath) {
    qrSink = [path = *options_.qrPngPath, printer = printer_](const QRImage& image) {
      if (auto written = writeQRPng(image, path); !written) printer->note("orvane: cannot write " + path + ": " + written.error());
    };
  }
  view_ = std::make_shared<HeadlessView>(printer_, std::move(qrSink));
  media_ = std::make_unique<MacMediaServices>(mainQueue_, log);

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
  hub.pasteboard = makePasteboard(log);
  hub.wake = std::make_shared<LogindWakeSignal>(Logger(log, "wake"));
  hub.macMedia = media_->watcher();
  hub.artworkRenditions = media_->renditions();
  hub.workspace = std::make_shared<QtWorkspace>(Logger(log, "workspace"), media_->canControlPlayers());
  hub.notifications = std::make_shared<FreedesktopNotifications>(Logger(log, "banners"));
  hub.log = log;
  // The view subscribes before the server starts, so that it prints the first state.
  hub_ = AppState::create(std::move(hub), false);
  // Accepted terms and a new device identifier reach the disk now: a signal before the
  // event loop runs ends the program at once, without the delayed write.
  defaults_->flush();
  view_->observe(*hub_);
  hub_->setEventListener(view_);
  hub_->startServer();
  return std::nullopt;
}

std::shared_ptr<Pasteboard> HeadlessApp::makePasteboard(const std::shared_ptr<LogSink>& log) {
  // Without a display (or with one Qt could not reach, where it falls back to a platform
  // of its own) there is no desktop clipboard: Orvane keeps one, which `copy` fills.
  if (!hasDesktopDisplay()) return std::make_shared<MemoryPasteboard>();
  Logger logger(log, "clipboard");
  DesktopPasteboard desktop = makeDesktopPasteboard(logger);
  logger.info("syncing the desktop's clipboard through " + std::string(nameOf(desktop.kind)));
  return std::shared_ptr<Pasteboard>(std::move(desktop.pasteboard));
}

void HeadlessApp::handleCommand(const std::string& raw) {
  const std::string line = text::trim(raw);
  // After quit the server is shutting down: a restart now would outlive its queue.
  if (line.empty() || !hub_ || quitting_) return;
  const auto space = line.find(' ');
  const std::string command = line.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : text::trim(line.substr(space + 1));

  if (command == "quit") {
    quit();
  } else if (command == "approve") {
    hub_->approvePending();
  } else if (command == "deny") {
    hub_->denyPending();
  } else if (command == "forget") {
    hub_->forget();
  } else if (command == "disconnect") {
    hub_->disconnectSession();
  } else if (command == "reconnect") {
    hub_->reconnectNow();
  } else if (command == "new-code") {
    hub_->regenerateInvitation();
  } else if ((command == "message" || command == "send-message") && !argument.empty()) {
    if (!hub_->linkState->isConnected()) {
      printer_->note("No phone is connected; the message was not sent");
    } else {
      hub_->send(argument);
    }
  } else if ((command == "link" || command == "send-link") && !argument.empty()) {
    if (!UrlGate::normalizeUrl(argument)) {
      printer_->note("Not a web link: " + argument);
    } else if (!hub_->linkState->isConnected()) {
      printer_->note("No phone is connected; the link was not sent");
    } else {
      hub_->sendUrl(argument);
    }
  } else if (command == "dismiss" && !argument.empty()) {
    if (!hub_->linkState->isConnected()) printer_->note("No phone is connected; nothing was dismissed");
    hub_->dismissNotif(argument);
  } else if (command == "reply" && !argument.empty()) {
    const auto gap = argument.find(' ');
    if (gap == std::string::npos) {
      printer_->note("Usage: reply ID TEXT");
    } else {
      hub_->replyNotif(argument.substr(0, gap), argument.substr(gap + 1));
    }
  } else if (command == "auto-open" && (argument == "on" || argument == "off")) {
    hub_->setAutoOpenLinks(argument == "on");
  } else if (command == "clipboard" && (argument == "on" || argument == "off")) {
    hub_->setClipboard(argument == "on");
  } else if (command == "copy" && !argument.empty()) {
    hub_->copyToPasteboard(argument);
  } else if (command == "send-clipboard" && argument.empty()) {
    if (!*hub_->clipboardEnabled) {
      printer_->note("Clipboard sync is off \u2014 type clipboard on first");
    } else if (!hub_->linkState->isConnected()) {
      printer_->note("No phone is connected; nothing was sent");
    } else {
      hub_->sendClipboardNow();
    }
  } else if (command == "rename") {
    hub_->renameDevice(argument);
  } else {
    printer_->note("Unknown command: " + line +
                   " (try approve, deny, forget, disconnect, reconnect, new-code, send-message TEXT, send-link URL, "
                   "dismiss ID, reply ID TEXT, auto-open on|off, clipboard on|off, copy TEXT, send-clipboard, "
                   "rename NAME, quit)");
  }
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
  // on its context are destroyed here.
  if (serverQueue_) serverQueue_->stop();
  hub_.reset();
  // After the hub, its last user: the adapter's stream process ends here.
  media_.reset();
  view_.reset();
  server_.reset();
  transport_.reset();
  serverQueue_.reset();
  // Settings changed in the last moments are on disk before the program ends.
  if (defaults_) defaults_->flush();
  if (auto* app = QCoreApplication::instance()) app->quit();
}

}  // namespace orvane::cli
