#include "cli/headless_main.hpp"

#include <memory>

#include "cli/command_reader.hpp"
#include "cli/headless_app.hpp"
#include "cli/quit_signals.hpp"
#include "platform/qt/qt_main_queue.hpp"

namespace orvane::cli {

int runHeadless(QCoreApplication& app, const Options& options, DesktopServices desktop) {
  QCoreApplication::setApplicationName("Orvane");
  HeadlessApp headless(options, std::move(desktop));
  catchQuitSignals(app, [&headless] { headless.quit(); });

  if (auto failed = headless.start()) return *failed;

  auto mainQueue = std::make_shared<QtMainQueue>();
  CommandReader reader(mainQueue, [&headless](std::string line) { headless.handleCommand(line); });
  reader.start();
  return app.exec();
}

}  // namespace orvane::cli
