// The settings window's rows for every state of the link and the pairing: the devices
// section's values and buttons, the name field, the about and advanced sections.
#include "ui/models/settings_rows.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

using Pairing = DeviceBridgeStore::PairingStatus;
using Primary = DevicesSettings::Primary;

class SettingsRowsTest : public ModelTest {
 protected:
  SettingsRowsTest() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
};

TEST_F(SettingsRowsTest, TheDevicesButtonsFollowTheLinkThenThePairing) {
  struct Row {
    bool paired;
    bool connected;
    std::string device;
    Primary primary;
    std::string primaryTitle;
  };
  const std::vector<Row> rows{
      {false, false, "No device paired", Primary::pair, "Pair a device\u2026"},
      {true, false, "Pixel", Primary::reconnect, "Reconnect"},
      {true, true, "Pixel", Primary::disconnect, "Disconnect"},
  };
  for (const Row& row : rows) {
    if (row.paired) {
      pair("Pixel");
    } else {
      store->device = std::nullopt;
      store->pairing = Pairing::none;
    }
    store->connection = row.connected ? BridgeConnection::connected() : BridgeConnection::disconnected();
    const DevicesSettings s = DevicesSettings::of(*store, std::nullopt);
    EXPECT_EQ(s.device, row.device);
    EXPECT_EQ(s.primary, row.primary);
    EXPECT_EQ(s.primaryTitle, row.primaryTitle);
    EXPECT_EQ(s.paired, row.paired) << "\"Pair new device\u2026\" and \"Forget\" come with a pairing";
    EXPECT_EQ(s.connection, row.connected ? "Connected" : "Not connected");
  }
  // A pairing the phone revoked is still one to forget.
  store->pairing = Pairing::revoked;
  store->connection = BridgeConnection::disconnected();
  EXPECT_TRUE(DevicesSettings::of(*store, std::nullopt).paired);
}

TEST_F(SettingsRowsTest, AddressesTheTokenAndTheNameFieldsFirstText) {
  pair("Pixel 8");
  DevicesSettings s = DevicesSettings::of(*store, std::nullopt);
  EXPECT_EQ(s.serverAddress, "\u2014") << "no address yet";
  EXPECT_EQ(s.phoneAddress, "\u2014");
  EXPECT_EQ(s.lanToken, std::nullopt);
  EXPECT_EQ(s.nameDraft, "Pixel 8");

  store->localAddress = std::string("192.0.2.5");
  store->phoneAddress = std::string("192.0.2.9");
  store->deviceAlias = std::string("Work phone");
  s = DevicesSettings::of(*store, std::string("042917"));
  EXPECT_EQ(s.serverAddress, "192.0.2.5:17431");
  EXPECT_EQ(s.phoneAddress, "192.0.2.9");
  EXPECT_EQ(s.lanToken, "042917");
  EXPECT_EQ(s.nameDraft, "Work phone") << "the alias comes first";
  EXPECT_EQ(DevicesSettings::of(*store, std::string()).lanToken, std::nullopt) << "an empty token is not shown";

  ASSERT_EQ(s.phoneStatus.size(), 4u);
  EXPECT_EQ(s.phoneStatus[0], (SettingsRow{"Battery", "\u2014"}));
  EXPECT_EQ(s.phoneStatus[2].title, "Cellular");
}

TEST(DevicesSettingsName, ASubmittedNameIsTrimmedAndABlankOneSendsNothing) {
  EXPECT_EQ(DevicesSettings::nameToSend(""), std::nullopt);
  EXPECT_EQ(DevicesSettings::nameToSend("   \n"), std::nullopt);
  EXPECT_EQ(DevicesSettings::nameToSend("  Work phone\n"), "Work phone");
}

TEST_F(SettingsRowsTest, AboutNamesTheVersionThePlayerAccessThePairingAndTheTerms) {
  auto legal = std::make_shared<LegalState>(defaults, clock);
  AboutSettings about = AboutSettings::of(*store, std::nullopt, false, *legal);
  EXPECT_EQ(about.version, "\u2014");
  EXPECT_EQ(about.mediaBackend, "Fallback (media keys)");
  EXPECT_EQ(about.pairing, "Not paired");
  EXPECT_EQ(about.terms, "Not accepted");
  EXPECT_EQ(about.acceptedOn, std::nullopt);

  pair("Pixel");
  legal->accept();
  about = AboutSettings::of(*store, std::string("0.1.0 (7)"), true, *legal);
  EXPECT_EQ(about.version, "0.1.0 (7)");
  EXPECT_EQ(about.mediaBackend, "System player access");
  EXPECT_EQ(about.pairing, "Paired");
  EXPECT_EQ(about.terms, "Accepted (version 1)");
  EXPECT_EQ(about.acceptedOn, dayText(clock.wallNow()));

  store->pairing = Pairing::revoked;
  EXPECT_EQ(AboutSettings::of(*store, std::nullopt, true, *legal).pairing, "Not paired");
}

TEST_F(SettingsRowsTest, AdvancedSaysWhetherMediaKeysMayBePostedAndWhatTheLastCommandDid) {
  AdvancedSettings advanced = AdvancedSettings::of(*store);
  EXPECT_EQ(advanced.accessibility, "Not granted");
  EXPECT_EQ(advanced.lastMediaCommand, "None");
  store->accessibilityTrusted = true;
  store->lastMediaDispatch = MediaKeyPoster::Dispatch::noChangeNeeded;
  advanced = AdvancedSettings::of(*store);
  EXPECT_EQ(advanced.accessibility, "Granted");
  EXPECT_EQ(advanced.lastMediaCommand, "noChangeNeeded");
}

TEST(SettingsDayText, ADayReadsAsDayMonthYear) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(dayText(WallTime{std::chrono::seconds(1'796'860'800)}), "10 Dec 2026");
  EXPECT_EQ(dayText(WallTime{std::chrono::seconds(1'767'225'599)}), "31 Dec 2025");
}

}  // namespace
}  // namespace orvane::testing
