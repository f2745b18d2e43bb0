// orvane-hub-window-cost: the hub window holding a full day's worth — 50 notifications,
// 100 conversations, 40 clipboard entries, brought in by a scripted orvane-phone over the
// real link — measured in the real shell: time from showing the window to its first
// frame, the process's memory, and the frame times while the notifications column
// scrolls. Run on a private X server with Qt Quick's software renderer (scripts/bench.sh);
// figures, not pass/fail.
//
//   orvane-hub-window-cost BIN_DIR [--json-out FILE]
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <vector>

#include "desktop_driver.hpp"

namespace {

using orvane::driver::waitUntil;

constexpr int notificationCount = 50;
constexpr int conversationCount = 100;
constexpr int clipCount = 40;
constexpr int scrollFrames = 240;

// Resident memory of this process, in MiB.
double rssMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

QByteArray field(const char* name, const QByteArray& value) { return QByteArray("\"") + name + "\":\"" + value + "\""; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: orvane-hub-window-cost BIN_DIR [--json-out FILE]\n";
    return 64;
  }
  const QString bin = QString::fromLocal8Bit(argv[1]);
  std::string jsonOut;
  if (argc == 4 && std::string(argv[2]) == "--json-out") jsonOut = argv[3];
  const auto home = orvane::driver::useFreshHome("hub-cost");

  QApplication app(argc, argv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  orvane::DesktopShell shell({});
  if (auto failed = shell.start()) return *failed;
  QProcess phone;
  int status = 1;
  std::string report;
  [&] {
    auto* model = shell.model();
    auto* hub = shell.hubModel();
    QQuickWindow* window = shell.hubWindow();
    if (!waitUntil([&] { return window->isVisible(); })) return;
    model->acceptTerms();
    if (!orvane::driver::startPairingPhone(phone, shell, bin, home, "Bench")) return;
    if (!orvane::driver::approveAndConnect(shell)) return;
    model->setClipboard(true);

    // The conversations first, as message notifications from a hundred contacts (the
    // phone withdraws each before the next: only the chats stay), then the notifications
    // that stay in the column, then the clipboard.
    const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    auto send = [&](const QByteArray& line) { orvane::driver::sendFromPhone(phone, line); };
    for (int i = 0; i < conversationCount; ++i) {
      const QByteArray n = QByteArray::number(i);
      send("notif_post {" + field("id", "m-" + n) + "," + field("app", "Messages") + "," +
           field("title", "Contact " + n) + "," + field("text", "Message number " + n + " about the plans for tonight") +
           "," + field("time", QByteArray::number(static_cast<qlonglong>(nowMs - (conversationCount - i) * 60000))) +
           "," + field("reply", "1") + "}");
      send("notif_gone {" + field("id", "m-" + n) + "}");
    }
    for (int i = 0; i < notificationCount; ++i) {
      const QByteArray n = QByteArray::number(i);
      send("notif_post {" + field("id", "n-" + n) + "," + field("app", i % 3 == 0 ? "Calendar" : "Signal") + "," +
           field("title", "Notification " + n) + "," +
           field("text", "A notification body long enough to wrap onto a second line in the column, number " + n) +
           "," + field("time", QByteArray::number(static_cast<qlonglong>(nowMs - (notificationCount - i) * 30000))) +
           "," + field("reply", i % 2 ? "1" : "0") + "}");
    }
    for (int i = 0; i < clipCount; ++i) {
      const QByteArray n = QByteArray::number(i + 1);
      send("clipboard_update {" + field("clip_id", "c-" + n) + "," + field("origin", "phone") + "," + field("seq", n) +
           "," + field("text", "Clipboard text number " + n) + "}");
    }
    if (!waitUntil([&] {
          return hub->conversations()->count() >= conversationCount &&
                 hub->notifications()->count() >= notificationCount && hub->clips()->count() >= clipCount;
        })) {
      std::cerr << "orvane-hub-window-cost: " << hub->conversations()->count() << " conversations, "
                << hub->notifications()->count() << " notifications, " << hub->clips()->count()
                << " clipboard entries arrived\n";
      return;
    }

    // Showing the full window: from the request to its first frame.
    window->hide();
    QTest::qWait(300);
    bool swapped = false;
    QElapsedTimer shown;
    auto once = QObject::connect(window, &QQuickWindow::frameSwapped, [&] {
      if (!swapped) swapped = true;
    });
    shown.start();
    double firstFrameMs = 0;
    shell.openHub();
    if (!waitUntil([&] { return swapped; })) return;
    firstFrameMs = static_cast<double>(shown.nsecsElapsed()) / 1e6;
    QObject::disconnect(once);
    QTest::qWait(500);
    const double rss = rssMiB();

    // Scrolling the notifications column a few pixels a frame, down and back up.
    auto* list = window->findChild<QQuickItem*>(QStringLiteral("notificationList"));
    if (!list) return;
    const double range = list->property("contentHeight").toDouble() - list->height();
    if (range <= 0) return;
    std::vector<double> frames;
    QElapsedTimer clock;
    qint64 last = -1;
    int frame = 0;
    auto tick = QObject::connect(window, &QQuickWindow::frameSwapped, [&] {
      const qint64 now = clock.nsecsElapsed();
      if (last >= 0) frames.push_back(static_cast<double>(now - last) / 1e6);
      last = now;
      ++frame;
      const double phase = static_cast<double>(frame % scrollFrames) / scrollFrames;
      const double y = range * (phase < 0.5 ? 2 * phase : 2 * (1 - phase));
      list->setProperty("contentY", y);
    });
    clock.start();
    list->setProperty("contentY", 1.0);
    if (!waitUntil([&] { return frame >= scrollFrames * 2; }, 120)) return;
    QObject::disconnect(tick);

    const double median = percentile(frames, 0.5), p95 = percentile(frames, 0.95), worst = percentile(frames, 1.0);
    std::cout << "hub window with " << notificationCount << " notifications, " << conversationCount
              << " conversations, " << clipCount << " clipboard entries:\n"
              << "  show to first frame: " << firstFrameMs << " ms\n"
              << "  RSS: " << rss << " MiB\n"
              << "  scrolling the notifications, frame time: median " << median << " ms, p95 " << p95 << " ms, worst "
              << worst << " ms over " << frames.size() << " frames\n";
    report = "{\"notifications\": " + std::to_string(notificationCount) +
             ", \"conversations\": " + std::to_string(conversationCount) + ", \"clips\": " + std::to_string(clipCount) +
             ", \"first_frame_ms\": " + std::to_string(firstFrameMs) + ", \"rss_mib\": " + std::to_string(rss) +
             ", \"scroll_frame_ms\": {\"median\": " + std::to_string(median) + ", \"p95\": " + std::to_string(p95) +
             ", \"max\": " + std::to_string(worst) + ", \"frames\": " + std::to_string(frames.size()) + "}}\n";
    status = 0;
  }();
  phone.kill();
  phone.waitForFinished();
  shell.quit();
  QTest::qWait(500);
  std::filesystem::remove_all(home);
  if (status != 0) {
    std::cerr << "orvane-hub-window-cost: the window did not reach the state to be measured\n";
    return status;
  }
  if (!jsonOut.empty()) std::ofstream(jsonOut) << report;
  return 0;
}
