// The desktop program's flows through its real windows and QML, on a private X server,
// with a real server on port 17431 and orvane-phone as the phone: the terms gate, a
// pairing approved from the sheet, the popover's clipboard switch and the palette's
// command, the tray icon's text; the hub's notifications column with a reply from a
// card, the keyboard's way between work areas and the disconnect question.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSystemTrayIcon>
#include <QTest>
#include <algorithm>
#include <functional>

#include "temp_dir.hpp"
#include "ui/shell/desktop_shell.hpp"

namespace orvane::testing {
namespace {

int timeScale() {
  const QByteArray scale = qgetenv("ORVANE_TEST_TIME_SCALE");
  return scale.isEmpty() ? 1 : std::max(1, scale.toInt());
}

// Runs the event loop until `done` holds or the deadline passes.
bool waitUntil(const std::function<bool()>& done, int seconds = 20) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > qint64(seconds) * 1000 * timeScale()) return false;
    QTest::qWait(20);
  }
  return true;
}

bool listening() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(17431);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

class DesktopFlows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(listening()) << "port 17431 is in use by another program; these tests need it";
    ::setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    ::setenv("HOME", home.path().c_str(), 1);
  }

  void TearDown() override {
    if (phone.state() != QProcess::NotRunning) {
      phone.kill();
      phone.waitForFinished();
    }
    if (shell) {
      shell->quit();
      waitUntil([] { return !listening(); });
      shell.reset();
    }
  }

  void launch() {
    shell = std::make_unique<DesktopShell>(DesktopShell::Options{});
    ASSERT_EQ(shell->start(), std::nullopt);
    ASSERT_TRUE(waitUntil([this] { return shell->hubWindow()->isVisible(); })) << "the hub comes forward at launch";
  }

  QQuickItem* item(QQuickWindow* window, const char* name) {
    auto* found = window->findChild<QQuickItem*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  void click(QQuickWindow* window, QQuickItem* target) {
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(waitUntil([&] { return target->isVisible() && target->width() > 0; }));
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
  }

  void acceptTerms() {
    QQuickWindow* hub = shell->hubWindow();
    QQuickItem* agree = item(hub, "legalAgree");
    QQuickItem* proceed = item(hub, "legalContinue");
    ASSERT_TRUE(agree && proceed);
    // The window has only just come forward: a click that lands before its first frame
    // is lost, as it would be for a person, so each step waits for what the last one did.
    ASSERT_TRUE(waitUntil([&] {
      if (!proceed->isEnabled()) click(hub, agree);
      return waitUntil([&] { return proceed->isEnabled(); }, 2);
    })) << "ticking the box enables \"Agree and continue\"";
    ASSERT_TRUE(waitUntil([&] {
      click(hub, proceed);
      return waitUntil([&] { return shell->model()->legalAccepted(); }, 2);
    })) << "the terms are accepted";
    ASSERT_TRUE(waitUntil(listening)) << "the server listens once the terms are accepted";
  }

  void startPhone(const std::string& qrText) {
    phone.setProcessChannelMode(QProcess::MergedChannels);
    phone.start(QStringLiteral(ORVANE_BIN_DIR "/orvane-phone"),
                {"--timeout", QString::number(120 * timeScale()), "--state", QString::fromStdString((home.path() / "phone.json").string()),
                 "pair", "--qr", QString::fromStdString(qrText), "--host", "127.0.0.1", "--name", "Test Phone"});
    ASSERT_TRUE(phone.waitForStarted());
  }

  // Pairs the phone through the sheet and waits for the link.
  void pairAndConnect() {
    ASSERT_TRUE(waitUntil([&] { return !shell->core().hub()->lastQRText->empty(); }));
    startPhone(*shell->core().hub()->lastQRText);
    ASSERT_TRUE(waitUntil([&] { return shell->model()->property("pairingApprovalStep").toBool(); }));
    QQuickWindow* hub = shell->hubWindow();
    click(hub, item(hub, "pairingApprove"));
    ASSERT_TRUE(waitUntil([&] { return shell->model()->connected(); }));
  }

  // Whether the phone has printed a line holding every one of `parts` (its output is
  // kept as it comes).
  bool phoneSaid(const std::vector<QByteArray>& parts) {
    phoneOutput += phone.readAll();
    for (const QByteArray& line : phoneOutput.split('\n')) {
      if (std::all_of(parts.begin(), parts.end(), [&](const QByteArray& p) { return line.contains(p); })) return true;
    }
    return false;
  }

  TempDir home;
  std::unique_ptr<DesktopShell> shell;
  QProcess phone;
  QByteArray phoneOutput;
};

TEST_F(DesktopFlows, TheTermsGateHoldsTheServerUntilTheBoxIsTickedAndAgreed) {
  launch();
  QQuickWindow* hub = shell->hubWindow();
  EXPECT_FALSE(listening()) << "nothing listens before the terms are accepted";
  QQuickItem* agree = item(hub, "legalContinue");
  ASSERT_NE(agree, nullptr);
  EXPECT_FALSE(agree->isEnabled()) << "\"Agree and continue\" waits for the box";
  click(hub, agree);
  QTest::qWait(200);
  EXPECT_FALSE(listening());

  click(hub, item(hub, "legalAgree"));
  ASSERT_TRUE(waitUntil([&] { return agree->isEnabled(); }));
  click(hub, agree);
  EXPECT_TRUE(waitUntil(listening)) << "the server listens without a restart";
  EXPECT_TRUE(waitUntil([&] { return shell->model()->legalAccepted(); }));
}

TEST_F(DesktopFlows, APairingRequestBringsUpTheApprovalAndApproveDismissesTheSheet) {
  launch();
  acceptTerms();
  ASSERT_TRUE(waitUntil([&] { return !shell->core().hub()->lastQRText->empty(); }));
  EXPECT_EQ(shell->trayIcon()->toolTip(), QStringLiteral("Orvane, phone disconnected"));
  startPhone(*shell->core().hub()->lastQRText);

  QQuickWindow* hub = shell->hubWindow();
  ASSERT_TRUE(waitUntil([&] { return shell->model()->property("pairingApprovalStep").toBool(); }));
  EXPECT_TRUE(shell->model()->property("showPairing").toBool());
  click(hub, item(hub, "pairingApprove"));
  ASSERT_TRUE(waitUntil([&] { return !shell->model()->property("showPairing").toBool(); }))
      << "pairing dismisses the sheet";
  ASSERT_TRUE(waitUntil([&] { return shell->model()->connected(); }));
  EXPECT_EQ(shell->trayIcon()->toolTip(), QStringLiteral("Orvane, phone connected"));

  // The popover's switch and the palette's command change the same setting.
  shell->togglePopover();
  QQuickWindow* popover = shell->popoverWindow();
  ASSERT_TRUE(waitUntil([&] { return popover->isVisible(); }));
  click(popover, item(popover, "clipboardSwitch"));
  ASSERT_TRUE(waitUntil([&] { return shell->model()->property("clipboardOn").toBool(); }));
  EXPECT_TRUE(*shell->core().hub()->clipboardEnabled);
  shell->model()->openPalette();
  shell->model()->setPaletteQuery(QStringLiteral("clipboard sync"));
  const auto items = shell->model()->property("paletteItems").toList();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0].toMap().value("title").toString(), QStringLiteral("Turn off clipboard sync"));
  shell->model()->paletteKey(QStringLiteral("enter"));
  ASSERT_TRUE(waitUntil([&] { return !shell->model()->property("clipboardOn").toBool(); }));
  EXPECT_FALSE(*shell->core().hub()->clipboardEnabled);
}

TEST_F(DesktopFlows, TheHubListsANotificationRepliesFromItsCardAndAsksBeforeDisconnecting) {
  launch();
  acceptTerms();
  pairAndConnect();
  QQuickWindow* hub = shell->hubWindow();
  HubModel* model = shell->hubModel();
  // Typing and shortcuts go to the active window.
  hub->requestActivate();
  ASSERT_TRUE(waitUntil([&] { return hub->isActive(); }));

  phone.write(R"(send notif_post {"id":"n-1","app":"Signal","title":"Ana","text":"Dinner at 8?","reply":"1"})" "\n");
  QQuickItem* list = item(hub, "notificationList");
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(waitUntil([&] { return list->property("count").toInt() == 1; })) << "the notification shows in the column";

  // A reply typed in the card and sent with Return reaches the phone, and the field empties.
  // A list's rows are not its children: the row is asked of the list.
  QQuickItem* card = nullptr;
  ASSERT_TRUE(waitUntil([&] {
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, card), Q_ARG(int, 0));
    return card != nullptr;
  }));
  auto* reply = card->findChild<QQuickItem*>(QStringLiteral("reply_n-1"));
  ASSERT_NE(reply, nullptr);
  click(hub, reply);
  ASSERT_TRUE(waitUntil([&] { return reply->hasActiveFocus(); }));
  for (char c : std::string("On my way")) QTest::keyClick(hub, c);
  QTest::keyClick(hub, Qt::Key_Return);
  EXPECT_TRUE(waitUntil([&] { return phoneSaid({R"("type":"notif_reply")", R"("id":"n-1")", "On my way"}); }))
      << phoneOutput.toStdString();
  EXPECT_TRUE(reply->property("text").toString().isEmpty());

  // Ctrl+2 selects Now Playing.
  QTest::keyClick(hub, Qt::Key_2, Qt::ControlModifier);
  EXPECT_TRUE(waitUntil([&] { return shell->model()->property("selectedTab").toInt() == 1; }));

  // Disconnecting asks first; "Cancel" keeps the link, "Disconnect" closes it.
  click(hub, item(hub, "railPrimary"));
  ASSERT_TRUE(waitUntil([&] { return !model->property("confirmTitle").toString().isEmpty(); }));
  EXPECT_EQ(model->property("confirmTitle").toString(), QStringLiteral("Disconnect from this phone?"));
  click(hub, item(hub, "confirmCancel"));
  ASSERT_TRUE(waitUntil([&] { return model->property("confirmTitle").toString().isEmpty(); }));
  QTest::qWait(100);
  EXPECT_TRUE(shell->model()->connected());
  click(hub, item(hub, "railPrimary"));
  ASSERT_TRUE(waitUntil([&] { return !model->property("confirmTitle").toString().isEmpty(); }));
  click(hub, item(hub, "confirmDestructive"));
  EXPECT_TRUE(waitUntil([&] { return !shell->model()->connected(); }));
  EXPECT_TRUE(waitUntil([&] { return phoneSaid({R"("event":"closed")"}) || phone.state() == QProcess::NotRunning; }));
  QQuickItem* pane = item(hub, "disconnectedPane");
  ASSERT_NE(pane, nullptr);
  EXPECT_TRUE(waitUntil([&] { return pane->isVisible(); })) << "the centre shows the link is down";
  EXPECT_EQ(shell->model()->property("selectedTab").toInt(), 1) << "the tab stays selected";
}

TEST_F(DesktopFlows, RenamingInSettingsRetitlesTheRailAndForgettingClearsBothSides) {
  launch();
  acceptTerms();
  pairAndConnect();
  shell->openSettings();
  QQuickWindow* settings = shell->settingsWindow();
  ASSERT_TRUE(waitUntil([&] { return settings->isVisible(); }));
  settings->requestActivate();
  ASSERT_TRUE(waitUntil([&] { return settings->isActive(); }));

  // A new name typed into the field and sent with Return titles the rail.
  QQuickItem* field = item(settings, "deviceNameField");
  ASSERT_NE(field, nullptr);
  click(settings, field);
  ASSERT_TRUE(waitUntil([&] { return field->hasActiveFocus(); }));
  QTest::keyClick(settings, Qt::Key_A, Qt::ControlModifier);
  for (char c : std::string("Work phone")) QTest::keyClick(settings, c);
  QTest::keyClick(settings, Qt::Key_Return);
  QQuickWindow* hub = shell->hubWindow();
  QQuickItem* title = item(hub, "railDeviceTitle");
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(waitUntil([&] { return title->property("text").toString() == QStringLiteral("Work phone"); }))
      << title->property("text").toString().toStdString();

  // "Forget" asks; "Cancel" keeps the pairing, "Forget device" removes it here and on the phone.
  // The buttons are at the foot of the section: the user scrolls down to them.
  QQuickItem* scroller = item(settings, "settingsScroller");
  ASSERT_NE(scroller, nullptr);
  scroller->setProperty("contentY", scroller->property("contentHeight").toDouble() - scroller->height());
  click(settings, item(settings, "forgetButton"));
  SettingsModel* model = shell->settingsModel();
  ASSERT_TRUE(waitUntil([&] { return model->property("confirmTitle").toString() == QStringLiteral("Forget this device?"); }));
  click(settings, item(settings, "confirmCancel"));
  ASSERT_TRUE(waitUntil([&] { return model->property("confirmTitle").toString().isEmpty(); }));
  EXPECT_TRUE(model->property("paired").toBool());
  click(settings, item(settings, "forgetButton"));
  ASSERT_TRUE(waitUntil([&] { return !model->property("confirmTitle").toString().isEmpty(); }));
  click(settings, item(settings, "confirmDestructive"));
  EXPECT_TRUE(waitUntil([&] { return phoneSaid({R"("event":"forgotten")"}); })) << phoneOutput.toStdString();
  EXPECT_TRUE(waitUntil([&] { return !model->property("paired").toBool(); })) << "the pairing is gone here";
  EXPECT_TRUE(waitUntil([&] { return title->property("text").toString() == QStringLiteral("No device paired"); }));
}

}  // namespace
}  // namespace orvane::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
