// The settings window's model over a real hub, store and bridge on a manual main queue:
// the section history, renaming, the questions before forgetting and clearing the chats,
// the switches and where they are kept, and starting at login.
#include "ui/viewmodels/settings_model.hpp"

#include <gtest/gtest.h>

#include "ui_store_fixture.hpp"
#include "ui/viewmodels/desktop_model.hpp"

namespace orvane::testing {
namespace {

// Starting at login as the desktop would hold it; `refuse` makes the next change fail.
class FakeLoginItem final : public LoginItem {
 public:
  bool enabled() const override { return on; }
  expected<void, std::string> setEnabled(bool value) override {
    if (refuse) return unexpected(std::string("The autostart folder is read-only."));
    on = value;
    return {};
  }
  bool on = false;
  bool refuse = false;
};

class SettingsModelTest : public UiStoreTest {
 protected:
  void SetUp() override {
    buildWithDesktop();
    SettingsModel::Setup setup;
    setup.store = store;
    setup.hub = hub;
    setup.legal = legal;
    setup.header = header;
    setup.main = main;
    setup.loginItem = login;
    setup.desktop = desktop.get();
    setup.versionText = "0.1.0";
    setup.systemPlayerAccess = [] { return true; };
    setup.storedDiscoveryToken = [this] { return token; };
    model = std::make_unique<SettingsModel>(std::move(setup));
    settle();
  }


  QString text(const char* property) const { return model->property(property).toString(); }

  std::shared_ptr<HeaderOptions> header = std::make_shared<HeaderOptions>(defaults);
  std::shared_ptr<FakeLoginItem> login = std::make_shared<FakeLoginItem>();
  std::optional<std::string> token;
  std::unique_ptr<SettingsModel> model;
};

TEST_F(SettingsModelTest, GoingBackThenSomewhereNewDropsTheStepAhead) {
  EXPECT_EQ(model->property("section").toInt(), 0) << "the window opens at Devices";
  EXPECT_FALSE(model->property("canGoBack").toBool());
  model->selectSection(1);  // Features
  model->back();
  settle();
  EXPECT_EQ(model->property("section").toInt(), 0);
  EXPECT_TRUE(model->property("canGoForward").toBool());
  model->selectSection(2);  // About
  settle();
  using S = SettingsSection;
  EXPECT_EQ(model->history().history(), (std::vector<S>{S::devices, S::about}));
  EXPECT_FALSE(model->property("canGoForward").toBool());
  EXPECT_TRUE(model->property("canGoBack").toBool());
  model->selectSection(2);
  EXPECT_EQ(model->history().history().size(), 2u) << "the same section again adds nothing";
}

TEST_F(SettingsModelTest, ANameOfOnlySpacesSendsNothingAndKeepsTheAlias) {
  connectPhone();
  EXPECT_TRUE(model->rename(QStringLiteral("  Work phone \n")));
  settle();
  EXPECT_EQ(text("device"), QStringLiteral("Work phone"));
  EXPECT_EQ(desktop->property("deviceTitle").toString(), QStringLiteral("Work phone")) << "the rail follows";
  EXPECT_FALSE(model->rename(QStringLiteral("   ")));
  settle();
  EXPECT_EQ(*hub->deviceAlias, std::optional<std::string>("Work phone"));
}

TEST_F(SettingsModelTest, ForgettingAsksFirstAndOnlyTheDestructiveButtonForgets) {
  connectPhone();
  EXPECT_TRUE(model->property("paired").toBool());
  model->forget();
  EXPECT_EQ(text("confirmTitle"), QStringLiteral("Forget this device?"));
  EXPECT_EQ(text("confirmMessage"),
            QStringLiteral("The pairing is deleted on both devices. Scan a new QR code to reconnect."));
  EXPECT_EQ(text("confirmButton"), QStringLiteral("Forget device"));
  model->confirmCancel();
  settle();
  EXPECT_TRUE(text("confirmTitle").isEmpty());
  EXPECT_TRUE(serverCalls("forgetPaired").empty()) << "cancelling sends nothing";

  model->forget();
  model->confirmAccept();
  settle();
  EXPECT_EQ(serverCalls("forgetPaired").size(), 1u);
}

TEST_F(SettingsModelTest, ThePrimaryButtonAsksBeforeDisconnectingAndPairsWithoutAPhone) {
  model->pressPrimary();
  EXPECT_EQ(hubOpened, 1) << "\"Pair a device\u2026\" opens the hub with the pairing sheet";
  EXPECT_TRUE(desktop->property("showPairing").toBool());
  desktop->dismissPairing();

  connectPhone();
  EXPECT_EQ(text("primaryTitle"), QStringLiteral("Disconnect"));
  model->pressPrimary();
  EXPECT_EQ(text("confirmTitle"), QStringLiteral("Disconnect from this phone?"));
  model->confirmAccept();
  settle();
  EXPECT_EQ(serverCalls("disconnectSession").size(), 1u);
}

TEST_F(SettingsModelTest, ClearingTheChatsAsksFirstThenEmptiesThem) {
  connectPhone();
  post("m-1", "Messages", std::string("Jonas"), "At the office?",
       std::chrono::duration_cast<std::chrono::milliseconds>(clock.wallNow().time_since_epoch()).count());
  ASSERT_EQ(store->chatConversations->size(), 1u);
  model->clearChats();
  EXPECT_EQ(text("confirmTitle"), QStringLiteral("Clear all chats in Messages?"));
  EXPECT_EQ(text("confirmButton"), QStringLiteral("Clear Chats"));
  model->confirmCancel();
  EXPECT_EQ(store->chatConversations->size(), 1u);
  model->clearChats();
  model->confirmAccept();
  settle();
  EXPECT_TRUE(store->chatConversations->empty());
}

TEST_F(SettingsModelTest, SwitchesWriteWhereTheRestOfTheProgramReads) {
  connectPhone();
  model->setClipboard(true);
  settle();
  EXPECT_TRUE(*hub->clipboardEnabled);
  EXPECT_TRUE(model->property("clipboardOn").toBool());
  EXPECT_EQ(serverCalls("setClipboardEnabled").back(), "setClipboardEnabled 1");

  model->setHeaderTabs(true);
  model->setHeaderQuickActions(true);
  EXPECT_TRUE(*header->tabs) << "the hub's header reads the same options";
  EXPECT_TRUE(defaults->boolOrFalse(HeaderOptions::quickActionsKey));
  EXPECT_TRUE(model->property("headerTabs").toBool());

  EXPECT_TRUE(model->property("autoOpenLinks").toBool());
  model->setAutoOpenLinks(false);
  EXPECT_FALSE(*hub->autoOpenLinks);
  EXPECT_EQ(defaults->boolean("orvane.links.autoOpen"), std::optional<bool>(false));
  EXPECT_FALSE(model->property("autoOpenLinks").toBool());
}

TEST_F(SettingsModelTest, OpenAtLoginShowsWhatTheDesktopHoldsAndWhyAChangeFailed) {
  EXPECT_TRUE(model->property("canOpenAtLogin").toBool());
  model->setOpenAtLogin(true);
  EXPECT_TRUE(login->on);
  EXPECT_TRUE(model->property("openAtLogin").toBool());
  login->refuse = true;
  model->setOpenAtLogin(false);
  EXPECT_TRUE(model->property("openAtLogin").toBool()) << "the switch shows it still starts at login";
  EXPECT_EQ(text("openAtLoginError"), QStringLiteral("The autostart folder is read-only."));
}

TEST_F(SettingsModelTest, TheLanTokenAndTheBuildRows) {
  EXPECT_TRUE(text("lanToken").isEmpty());
  token = "042917";
  connectPhone();
  EXPECT_EQ(text("lanToken"), QStringLiteral("042917")) << "read again once a phone is paired";
  EXPECT_EQ(text("footer"), QStringLiteral("Orvane 0.1.0"));
  EXPECT_EQ(text("version"), QStringLiteral("0.1.0"));
  EXPECT_EQ(text("mediaBackend"), QStringLiteral("System player access"));
  EXPECT_EQ(text("terms"), QStringLiteral("Not accepted"));
  EXPECT_EQ(text("lastMediaCommand"), QStringLiteral("None"));
}

}  // namespace
}  // namespace orvane::testing
