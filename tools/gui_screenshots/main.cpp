// orvane-gui-screenshots: pictures of every surface of the desktop program, in light and
// dark, taken from its real windows with a scripted orvane-phone as the phone. Run by
// `make screenshots` on a private display; writes PNGs into the folder it is given.
//
//   orvane-gui-screenshots OUT_DIR BIN_DIR
#include <QApplication>
#include <chrono>
#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>

#include "desktop_driver.hpp"

namespace {

using orvane::driver::waitUntil;

// A cover for the phone's player: a soft gradient with a disc, as JPEG in base64.
QByteArray coverArt() {
  QImage cover(300, 300, QImage::Format_RGB32);
  QPainter painter(&cover);
  QLinearGradient gradient(0, 0, 300, 300);
  gradient.setColorAt(0, QColor(255, 138, 101));
  gradient.setColorAt(1, QColor(106, 61, 232));
  painter.fillRect(cover.rect(), gradient);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(255, 255, 255, 60));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(150, 150), 95, 95);
  painter.setBrush(QColor(20, 20, 30, 200));
  painter.drawEllipse(QPointF(150, 150), 14, 14);
  painter.end();
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  cover.save(&buffer, "JPEG", 88);
  return jpeg.toBase64();
}

class Photographer {
 public:
  Photographer(QString out, orvane::DesktopShell& shell) : out_(std::move(out)), shell_(shell) {}

  // Both appearances of `window`, as NAME-light.png and NAME-dark.png.
  bool shoot(const QString& name, QQuickWindow* window) {
    // The pointer rests in the window's corner, where it lights up no row.
    QCursor::setPos(window->mapToGlobal(QPoint(0, 0)));
    QTest::mouseMove(window, QPoint(0, 0));
    for (bool dark : {false, true}) {
      shell_.model()->setDarkAppearance(dark);
      QTest::qWait(400);  // let the change and its fades settle
      const QImage picture = window->grabWindow();
      const QString path = out_ + "/" + name + (dark ? "-dark.png" : "-light.png");
      if (picture.isNull() || !picture.save(path)) {
        std::cerr << "orvane-gui-screenshots: cannot take " << path.toStdString() << "\n";
        return false;
      }
      std::cout << "screenshots: " << path.toStdString() << std::endl;
    }
    shell_.model()->setDarkAppearance(false);
    return true;
  }

 private:
  QString out_;
  orvane::DesktopShell& shell_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: orvane-gui-screenshots OUT_DIR BIN_DIR\n";
    return 64;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString bin = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  // A home of its own: first launch, no pairing, nothing of the user's touched.
  const auto home = orvane::driver::useFreshHome("shots");

  QApplication app(argc, argv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  orvane::DesktopShell shell({});
  if (auto failed = shell.start()) return *failed;
  Photographer camera(out, shell);
  QProcess phone;
  int status = 1;
  [&] {
    auto* model = shell.model();
    if (!waitUntil([&] { return shell.hubWindow()->isVisible(); })) return;
    if (!camera.shoot("legal-gate", shell.hubWindow())) return;
    shell.togglePopover();
    if (!waitUntil([&] { return shell.popoverWindow()->isVisible(); })) return;
    if (!camera.shoot("popover-legal", shell.popoverWindow())) return;
    shell.togglePopover();

    model->acceptTerms();
    if (!waitUntil([&] { return !shell.core().hub()->lastQRText->empty(); })) return;
    shell.togglePopover();
    if (!waitUntil([&] { return shell.popoverWindow()->isVisible(); })) return;
    if (!camera.shoot("popover-unpaired", shell.popoverWindow())) return;
    shell.togglePopover();

    auto* hub = shell.hubModel();
    if (!camera.shoot("hub-unpaired", shell.hubWindow())) return;

    model->showPairingSheet();
    if (!camera.shoot("pairing-code", shell.hubWindow())) return;

    if (!orvane::driver::startPairingPhone(phone, shell, bin, home, "Pixel 8")) return;
    if (!waitUntil([&] { return model->property("pairingApprovalStep").toBool(); })) return;
    if (!camera.shoot("pairing-approve", shell.hubWindow())) return;
    if (!orvane::driver::approveAndConnect(shell)) return;

    auto send = [&](const QByteArray& line) { orvane::driver::sendFromPhone(phone, line); };
    // Every work area before anything arrived.
    const std::pair<int, const char*> emptyPanes[] = {
        {0, "hub-messages-empty"}, {1, "hub-now-playing-empty"}, {2, "hub-clipboard-off"}, {3, "hub-links-empty"}};
    for (const auto& [tab, name] : emptyPanes) {
      model->selectTab(tab);
      if (!camera.shoot(name, shell.hubWindow())) return;
    }
    model->selectTab(0);

    send(R"(phone_status {"battery":"76","charging":"1","wifi":"1","wifi_enabled":"1","wifi_level":"3","cellular":"1","sim":"1","signal":"3","bluetooth":"1"})");
    // A notification as the phone posts it, `minutesAgo` before now.
    auto notif = [&](const char* id, const char* app, const char* title, const char* text, int minutesAgo, bool reply) {
      const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch() - std::chrono::minutes(minutesAgo))
                          .count();
      send(QByteArray("notif_post {\"id\":\"") + id + "\",\"app\":\"" + app + "\",\"title\":\"" + title +
           "\",\"text\":\"" + text + "\",\"time\":\"" + QByteArray::number(static_cast<qlonglong>(at)) +
           "\",\"reply\":\"" + (reply ? "1" : "0") + "\"}");
    };
    notif("n-1", "Signal", "Ana Lima", "Dinner at 8? I booked the place by the river.", 2, true);
    notif("n-2", "Calendar", "Stand-up", "In 10 minutes", 14, false);
    notif("n-3", "Gmail", "Your order has shipped", "Arrives Thursday", 95, false);
    notif("m-1", "Messages", "Jonas Berg", "Are you still at the office?", 6, true);
    notif("m-2", "Messages", "Jonas Berg", "I can pick up the keys on my way.", 3, true);
    notif("m-3", "Messages", "Mia", "Photos from Saturday are up!", 41, true);
    send("media_post {\"app\":\"Spotify\",\"title\":\"Quiet Trains\",\"artist\":\"Lumen Harbor\",\"album\":\"Night Lines\","
         "\"state\":\"playing\",\"art\":\"" + coverArt() + "\"}");
    if (!waitUntil([&] { return model->property("hasMedia").toBool() && model->property("statusSummary").toString().contains("%"); })) return;
    if (!waitUntil([&] { return hub->conversations()->count() >= 2; })) return;
    model->setClipboard(true);
    shell.togglePopover();
    if (!waitUntil([&] { return shell.popoverWindow()->isVisible(); })) return;
    if (!camera.shoot("popover-connected", shell.popoverWindow())) return;
    shell.togglePopover();

    shell.openHub();
    model->openPalette();
    if (!camera.shoot("palette", shell.hubWindow())) return;
    model->setPaletteQuery("clip");
    if (!camera.shoot("palette-filtered", shell.hubWindow())) return;
    model->closePalette();
    // Chats there, none chosen yet.
    if (!camera.shoot("hub-messages-choose", shell.hubWindow())) return;

    // A reply through the Signal card that the phone could not send.
    hub->replyToNotification("n-1", "On my way");
    send(R"(notif_reply_result {"id":"n-1","ok":"0","reason":"The app closed the conversation"})");
    // A chat opened, with a reply on its way.
    hub->selectConversation(hub->conversations()->row(0).value(0).toString());
    if (!waitUntil([&] { return hub->notifications()->count() > 0 &&
                                hub->notifications()->value("n-1", "replyFailed").toBool(); })) return;
    if (!camera.shoot("hub-messages", shell.hubWindow())) return;

    model->selectTab(1);
    if (!camera.shoot("hub-now-playing", shell.hubWindow())) return;

    model->selectTab(2);
    int seq = 1;
    for (const char* text : {"Meet at the north entrance", "https://maps.example.org/p/8812",
                             "Confirmation code: 4F7-22Q"}) {
      send(QByteArray("clipboard_update {\"clip_id\":\"c-") + QByteArray::number(seq) +
           "\",\"origin\":\"phone\",\"seq\":\"" + QByteArray::number(seq) + "\",\"text\":\"" + text + "\"}");
      ++seq;
    }
    // Copied here once the phone's copies are in, so that none of them replaces it.
    if (!waitUntil([&] { return hub->clips()->count() >= 3; }, 15)) return;
    shell.core().hub()->copyToPasteboard("Quarterly report draft, page 3 needs the new figures");
    if (!waitUntil([&] { return hub->clips()->count() >= 4; }, 15)) {
      std::cerr << "orvane-gui-screenshots: " << hub->clips()->count() << " clipboard entries arrived of 4\n";
      return;
    }
    hub->copyClip(hub->clips()->row(1).value(0).toString());
    if (!camera.shoot("hub-clipboard", shell.hubWindow())) return;

    model->selectTab(3);
    shell.core().hub()->setAutoOpenLinks(false);
    send(R"(url_share {"url":"https://www.example.com/articles/night-trains-of-europe","context":"Chrome"})");
    hub->sendLink("https://orvane.example/release-notes");
    hub->sendLink("https://docs.example.org/guide/getting-started#install");
    if (!waitUntil([&] { return hub->links()->count() >= 3; })) return;
    if (!camera.shoot("hub-links", shell.hubWindow())) return;

    // The header with the section tabs and the quick actions the settings can turn on.
    shell.headerOptions()->setTabs(true);
    shell.headerOptions()->setQuickActions(true);
    if (!camera.shoot("hub-header-options", shell.hubWindow())) return;
    shell.headerOptions()->setTabs(false);
    shell.headerOptions()->setQuickActions(false);

    model->selectTab(0);
    hub->toggleNotifications();
    if (!camera.shoot("hub-notifications-collapsed", shell.hubWindow())) return;
    hub->toggleNotifications();
    hub->pressPrimary();
    if (!camera.shoot("hub-disconnect-confirm", shell.hubWindow())) return;
    hub->confirmCancel();

    shell.openSettings();
    auto* settings = shell.settingsModel();
    const char* sections[] = {"settings-devices", "settings-features", "settings-about", "settings-advanced"};
    for (int i = 0; i < 4; ++i) {
      settings->selectSection(i);
      if (!camera.shoot(sections[i], shell.settingsWindow())) return;
    }
    // The sections longer than the window, scrolled to their ends: the pairing's buttons
    // under Devices; links, mirroring, starting at login and the chats under Features.
    const std::pair<int, const char*> longSections[] = {{0, "settings-devices-end"}, {1, "settings-features-end"}};
    for (const auto& [index, name] : longSections) {
      settings->selectSection(index);
      QTest::qWait(100);
      auto* scroller = shell.settingsWindow()->findChild<QQuickItem*>(QStringLiteral("settingsScroller"));
      if (!scroller) return;
      scroller->setProperty("contentY", scroller->property("contentHeight").toDouble() - scroller->height());
      if (!camera.shoot(name, shell.settingsWindow())) return;
    }
    settings->selectSection(0);
    settings->forget();
    if (!camera.shoot("settings-forget-confirm", shell.settingsWindow())) return;
    settings->confirmCancel();
    // The link drops: the centre says so whatever tab is selected.
    phone.kill();
    phone.waitForFinished();
    shell.settingsWindow()->hide();
    shell.openHub();
    if (!waitUntil([&] { return !model->connected(); })) return;
    if (!camera.shoot("hub-disconnected", shell.hubWindow())) return;
    status = 0;
  }();
  phone.kill();
  phone.waitForFinished();
  shell.quit();
  // The server closes its listener on its own queue; the release comes back here.
  QTest::qWait(500);
  std::filesystem::remove_all(home);
  if (status != 0) std::cerr << "orvane-gui-screenshots: a surface did not reach the state to be taken in\n";
  return status;
}
