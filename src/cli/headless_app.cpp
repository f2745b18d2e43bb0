#include "cli/headless_app.hpp"

#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "app/legal_state.hpp"
#include "app/legal_texts.hpp"
#include "base/text.hpp"
#include "platform/linux/json_defaults_file.hpp"
#include "platform/linux/syslog_sink.hpp"
#include "platform/qt/qt_main_queue.hpp"

namespace orvane::cli {

HeadlessApp::HeadlessApp(Options options, DesktopServices desktop)
    : options_(std::move(options)), desktop_(std::move(desktop)) {}

HeadlessApp::~HeadlessApp() {
  // Without an event loop left to finish a shutdown: release everything now.
  if (core_) core_->release([this] { writeLastEvents(); });
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
  if (!passTermsGate(**defaults)) return 2;

  auto core = ProgramCore::create(log, *defaults, std::move(desktop_), [this](const std::string& text) {
    if (printer_) printer_->note(text);
  });
  if (!core) {
    std::cerr << "orvane: " << core.error().message << "\n";
    return core.error().exitStatus;
  }
  core_ = std::move(*core);
  // The terms were accepted on the way in. Without windows there is nothing to raise.
  core_->listenForOtherStarts([] { return true; }, [this] {
    if (printer_) printer_->note("orvane: another start asked for the window; this one runs without windows");
  });

  // Events reach the output once the work of the moment is done, a burst in one write.
  printer_ = std::make_shared<EventPrinter>(options_.json, stdout, core_->mainQueue());
  HeadlessView::QRSink qrSink;
  if (options_.qrPngPath) {
    qrSink = [path = *options_.qrPngPath, printer = printer_, write = core_->desktop().writeQrPng](const QRImage& image) {
      if (!write) {
        printer->note("orvane: cannot write " + path + ": this program was built without an image writer");
        return;
      }
      if (auto written = write(image, path); !written) printer->note("orvane: cannot write " + path + ": " + written.error());
    };
  }
  view_ = std::make_shared<HeadlessView>(printer_, std::move(qrSink));
  commands_ = std::make_unique<HeadlessCommands>(core_->store(), core_->hub(), view_, printer_);

  // The view subscribes before the server starts, so that it prints the first state.
  view_->observe(*core_->store(), *core_->hub());
  core_->hub()->setEventListener(view_);
  core_->hub()->startServer();
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
  if (!core_) {
    release();
    return;
  }
  core_->shutdown([this] { writeLastEvents(); }, [this] { release(); });
}

void HeadlessApp::writeLastEvents() {
  // The last events are written while the store their lists come from still exists.
  if (printer_) printer_->flush();
  commands_.reset();
}

void HeadlessApp::release() {
  if (core_) core_->release([this] { writeLastEvents(); });
  commands_.reset();
  core_.reset();
  view_.reset();
  if (printer_) printer_->flush();
  if (auto* app = QCoreApplication::instance()) app->quit();
}

}  // namespace orvane::cli
