// The model the windows read, over a real hub, store and bridge on a manual main queue:
// what the popover, the palette and the pairing sheet show, and that their actions
// reach the hub.
#include "ui/viewmodels/desktop_model.hpp"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "ui_store_fixture.hpp"

namespace orvane::testing {
namespace {

class DesktopModelTest : public UiStoreTest {
 protected:
  void SetUp() override {
    buildWithDesktop();
    settle();
  }


  // The palette row with this id, or -1.
  int paletteRow(const QString& id) const {
    const auto items = desktop->property("paletteItems").toList();
    for (int i = 0; i < items.size(); ++i) {
      if (items[i].toMap().value("id").toString() == id) return i;
    }
    return -1;
  }
  QString text(const char* property) const { return desktop->property(property).toString(); }

};

TEST_F(DesktopModelTest, ThePopoverSwitchAndThePaletteCommandChangeTheSameClipboardSetting) {
  connectPhone();
  EXPECT_FALSE(desktop->property("clipboardOn").toBool());
  desktop->setClipboard(true);
  settle();
  EXPECT_TRUE(*hub->clipboardEnabled);
  EXPECT_TRUE(desktop->property("clipboardOn").toBool());

  desktop->openPalette();
  const int clip = paletteRow("clip");
  ASSERT_GE(clip, 0);
  EXPECT_EQ(desktop->property("paletteItems").toList()[clip].toMap().value("title").toString(),
            QStringLiteral("Turn off clipboard sync"));
  desktop->paletteClick(clip);
  settle();
  EXPECT_FALSE(desktop->property("paletteOpen").toBool()) << "running an item closes the palette";
  EXPECT_FALSE(*hub->clipboardEnabled);
  EXPECT_FALSE(desktop->property("clipboardOn").toBool());
  EXPECT_EQ(server->calls.back(), "setClipboardEnabled 0");
}

TEST_F(DesktopModelTest, ThePaletteFollowsTheKeysAndRunsWhatTheShellDoes) {
  desktop->openPalette();
  // Not connected, not paired: the four tabs, settings and pairing.
  EXPECT_EQ(desktop->property("paletteItems").toList().size(), 6);
  desktop->setPaletteQuery(QStringLiteral("go to"));
  EXPECT_EQ(desktop->property("paletteItems").toList().size(), 4);
  for (int i = 0; i < 5; ++i) desktop->paletteKey(QStringLiteral("down"));
  EXPECT_EQ(desktop->property("paletteIndex").toInt(), 3) << "Down on the last row stays";
  desktop->paletteKey(QStringLiteral("enter"));
  EXPECT_EQ(desktop->property("selectedTab").toInt(), 3);
  EXPECT_FALSE(desktop->property("paletteOpen").toBool());

  desktop->openPalette();
  desktop->setPaletteQuery(QStringLiteral("zzz"));
  EXPECT_EQ(text("paletteEmptyText"), QStringLiteral("No matches"));
  desktop->paletteKey(QStringLiteral("enter"));
  EXPECT_TRUE(desktop->property("paletteOpen").toBool()) << "Return with an empty list does nothing";

  desktop->setPaletteQuery(QStringLiteral("settings"));
  desktop->paletteKey(QStringLiteral("enter"));
  EXPECT_EQ(settingsOpened, 1);
}

TEST_F(DesktopModelTest, ThePairingSheetCountsDownOnlyWhileItShowsTheCode) {
  hub->serverInvitationChanged("ZEL1|ip=192.0.2.5", 300, "192.0.2.5", 17431, {"192.0.2.5"},
                               QRImage::make("ZEL1|ip=192.0.2.5", 200));
  settle();
  EXPECT_FALSE(desktop->property("showPairing").toBool());
  clock.advance(std::chrono::seconds(10));

  desktop->showPairingSheet();
  settle();
  EXPECT_EQ(hubOpened, 1) << "pairing happens in the hub window";
  EXPECT_TRUE(desktop->property("showPairing").toBool());
  EXPECT_FALSE(text("qrImageSource").isEmpty());
  EXPECT_EQ(text("countdownText"), QStringLiteral("Expires in 290s"));
  main->advance(std::chrono::seconds(3));
  EXPECT_EQ(text("countdownText"), QStringLiteral("Expires in 287s"));
  EXPECT_EQ(text("pairingAddress"), QStringLiteral("192.0.2.5:17431"));

  desktop->dismissPairing();
  settle();
  main->advance(std::chrono::seconds(5));
  EXPECT_EQ(text("countdownText"), QStringLiteral("Expires in 287s")) << "no ticks while the code is not shown";
}

TEST_F(DesktopModelTest, APhoneAskingBringsUpTheApprovalStepAndApproveReachesTheServer) {
  hub->serverPendingRequest("Pixel 9", "phone-9");
  settle();
  EXPECT_TRUE(desktop->property("showPairing").toBool());
  EXPECT_TRUE(desktop->property("pairingApprovalStep").toBool());
  EXPECT_EQ(text("pendingDeviceName"), QStringLiteral("Pixel 9"));
  EXPECT_EQ(text("pairingSubtitle"), QStringLiteral("Confirm on this Mac"));
  desktop->approve();
  settle();
  EXPECT_EQ(server->calls.back(), "approvePending");

  hub->serverPendingCleared();
  hub->serverPairedDeviceChanged(std::string("Pixel 9"), std::string("phone-9"));
  settle();
  EXPECT_FALSE(desktop->property("showPairing").toBool()) << "a paired phone closes the sheet";
}

TEST_F(DesktopModelTest, AcceptingTheTermsRecordsThemOnceAndAsksForTheServer) {
  EXPECT_FALSE(desktop->property("legalAccepted").toBool());
  QSignalSpy accepted(desktop.get(), &DesktopModel::termsAccepted);
  desktop->acceptTerms();
  EXPECT_TRUE(desktop->property("legalAccepted").toBool());
  EXPECT_EQ(defaults->integer(std::string(LegalState::acceptedVersionKey)), 1);
  EXPECT_EQ(accepted.count(), 1);
  desktop->acceptTerms();
  EXPECT_EQ(accepted.count(), 1) << "accepted terms do not start the server again";
}

TEST_F(DesktopModelTest, ThePopoverSaysWhatTheLinkIs) {
  EXPECT_EQ(text("statusWord"), QStringLiteral("Unpaired"));
  EXPECT_EQ(text("headerSubtitle"), QStringLiteral("Menu bar agent"));
  EXPECT_EQ(text("versionText"), QStringLiteral("v0.1.0"));
  connectPhone();
  EXPECT_EQ(text("statusWord"), QStringLiteral("Live"));
  EXPECT_EQ(text("headerSubtitle"), QStringLiteral("Phone linked"));
  EXPECT_TRUE(desktop->property("connected").toBool());
  EXPECT_EQ(text("deviceTitle"), QStringLiteral("Pixel"));
}

}  // namespace
}  // namespace orvane::testing
