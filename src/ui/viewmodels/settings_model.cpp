#include "ui/viewmodels/settings_model.hpp"

#include "ui/models/confirmation.hpp"
#include "ui/models/settings_rows.hpp"
#include "ui/viewmodels/desktop_model.hpp"
#include "ui/viewmodels/qt_text.hpp"

namespace orvane {
namespace {

QVariantList sectionList() {
  QVariantList list;
  for (SettingsSection section : settingsSections) {
    list.append(QVariantMap{
        {"id", qs(identifierOf(section))}, {"title", qs(titleOf(section))}, {"icon", qs(symbolOf(section))}});
  }
  return list;
}

}  // namespace

SettingsModel::SettingsModel(Setup setup, QObject* parent)
    : QObject(parent),
      setup_(std::move(setup)),
      store_(setup_.store),
      history_(setup_.navigation, setup_.main),
      sections_(sectionList()),
      footer_(QStringLiteral("Orvane ") + (setup_.versionText ? qs(*setup_.versionText) : QString())),
      canOpenAtLogin_(setup_.loginItem != nullptr) {
  auto& s = *store_;
  auto watch = [this](auto& value) {
    subscriptions_.push_back(value.subscribe([this](const auto&) { refresh(); }));
  };
  watch(s.connection);
  watch(s.deviceAlias);
  watch(s.localAddress);
  watch(s.localPort);
  watch(s.phoneAddress);
  watch(s.phoneStatus);
  watch(s.features);
  watch(s.accessibilityTrusted);
  watch(s.lastMediaDispatch);
  watch(setup_.header->tabs);
  watch(setup_.header->quickActions);
  watch(setup_.navigation->selectedTab);
  if (setup_.hub) watch(setup_.hub->autoOpenLinks);
  // The token is read from the stored record only when the pairing may have changed it.
  auto readToken = [this] {
    storedToken_ = setup_.storedDiscoveryToken ? setup_.storedDiscoveryToken() : std::nullopt;
    refresh();
  };
  subscriptions_.push_back(s.pairing.subscribe([readToken](const auto&) { readToken(); }));
  subscriptions_.push_back(s.device.subscribe([readToken](const auto&) { readToken(); }));
  storedToken_ = setup_.storedDiscoveryToken ? setup_.storedDiscoveryToken() : std::nullopt;
  if (setup_.loginItem) openAtLogin_ = setup_.loginItem->enabled();
  // The window opens at the paired device.
  if (!setup_.navigation->selectedTab->has_value()) setup_.navigation->selectedTab = SettingsSection::devices;
  refresh();
}

SettingsModel::~SettingsModel() { subscriptions_.clear(); }

void SettingsModel::refresh() {
  const DeviceBridgeStore& s = *store_;
  const auto selected = *setup_.navigation->selectedTab;
  section_ = 0;
  for (std::size_t i = 0; i < settingsSections.size(); ++i) {
    if (selected == settingsSections[i]) section_ = static_cast<int>(i);
  }
  canGoBack_ = history_.canGoBack();
  canGoForward_ = history_.canGoForward();

  const DevicesSettings devices = DevicesSettings::of(s, storedToken_);
  device_ = qs(devices.device);
  nameDraft_ = qs(devices.nameDraft);
  connection_ = qs(devices.connection);
  connected_ = devices.connected;
  phoneStatus_.clear();
  for (const SettingsRow& row : devices.phoneStatus) {
    phoneStatus_.append(QVariantMap{{"title", qs(row.title)}, {"value", qs(row.value)}});
  }
  serverAddress_ = qs(devices.serverAddress);
  phoneAddress_ = qs(devices.phoneAddress);
  lanToken_ = devices.lanToken ? qs(*devices.lanToken) : QString();
  primaryTitle_ = qs(devices.primaryTitle);
  paired_ = devices.paired;

  clipboardOn_ = s.features->clipboard;
  headerTabs_ = *setup_.header->tabs;
  headerQuickActions_ = *setup_.header->quickActions;
  autoOpenLinks_ = setup_.hub ? *setup_.hub->autoOpenLinks : true;

  const bool playerAccess = setup_.systemPlayerAccess && setup_.systemPlayerAccess();
  const AboutSettings about = AboutSettings::of(s, setup_.versionText, playerAccess, *setup_.legal);
  version_ = qs(about.version);
  mediaBackend_ = qs(about.mediaBackend);
  pairingText_ = qs(about.pairing);
  terms_ = qs(about.terms);
  acceptedOn_ = about.acceptedOn ? qs(*about.acceptedOn) : QString();

  const AdvancedSettings advanced = AdvancedSettings::of(s);
  accessibility_ = qs(advanced.accessibility);
  lastMediaCommand_ = qs(advanced.lastMediaCommand);

  // A question about a link or a pairing that is gone has nothing left to ask.
  if ((question_ == Question::disconnect && !connected_) || (question_ == Question::forget && !paired_)) {
    question_ = Question::none;
  }
  switch (question_) {
    case Question::none:
      confirmTitle_.clear();
      confirmMessage_.clear();
      confirmButton_.clear();
      break;
    case Question::disconnect:
    case Question::forget: {
      const Confirmation c = question_ == Question::disconnect ? Confirmation::disconnect() : Confirmation::forget();
      confirmTitle_ = qs(c.title);
      confirmMessage_ = qs(c.message);
      confirmButton_ = qs(c.confirmTitle);
      break;
    }
    case Question::clearChats:
      confirmTitle_ = QString::fromUtf8(ClearChatsQuestion::title);
      confirmMessage_ = QString::fromUtf8(ClearChatsQuestion::message);
      confirmButton_ = QString::fromUtf8(ClearChatsQuestion::confirmTitle);
      break;
  }
  emit changed();
}

void SettingsModel::selectSection(int index) {
  if (index < 0 || index >= static_cast<int>(settingsSections.size())) return;
  setup_.navigation->selectedTab = settingsSections[static_cast<std::size_t>(index)];
  refresh();
}

void SettingsModel::back() {
  history_.back();
  refresh();
}

void SettingsModel::forward() {
  history_.forward();
  refresh();
}

bool SettingsModel::rename(const QString& name) {
  const auto sent = DevicesSettings::nameToSend(name.toStdString());
  if (!sent || !store_->perform) return false;
  store_->perform(BridgeAction::renameDevice(*sent));
  return true;
}

void SettingsModel::pair() {
  if (setup_.desktop) setup_.desktop->showPairingSheet();
}

void SettingsModel::pressPrimary() {
  switch (DevicesSettings::of(*store_, storedToken_).primary) {
    case DevicesSettings::Primary::disconnect:
      ask(Question::disconnect);
      break;
    case DevicesSettings::Primary::reconnect:
      if (store_->perform) store_->perform(BridgeAction::connect());
      break;
    case DevicesSettings::Primary::pair:
      pair();
      break;
  }
}

void SettingsModel::pairNewDevice() { pair(); }
void SettingsModel::forget() { ask(Question::forget); }
void SettingsModel::clearChats() { ask(Question::clearChats); }

void SettingsModel::ask(Question question) {
  question_ = question;
  refresh();
}

void SettingsModel::confirmAccept() {
  const Question question = question_;
  question_ = Question::none;
  switch (question) {
    case Question::none:
      break;
    case Question::disconnect:
      Confirmation::disconnect().confirm(*store_);
      break;
    case Question::forget:
      Confirmation::forget().confirm(*store_);
      break;
    case Question::clearChats:
      store_->clearMessages();
      break;
  }
  refresh();
}

void SettingsModel::confirmCancel() {
  question_ = Question::none;
  refresh();
}

void SettingsModel::setClipboard(bool on) {
  if (store_->perform) store_->perform(BridgeAction::setClipboard(on));
}

void SettingsModel::setHeaderTabs(bool on) { setup_.header->setTabs(on); }
void SettingsModel::setHeaderQuickActions(bool on) { setup_.header->setQuickActions(on); }

void SettingsModel::setAutoOpenLinks(bool on) {
  if (setup_.hub) setup_.hub->setAutoOpenLinks(on);
}

void SettingsModel::setOpenAtLogin(bool on) {
  if (!setup_.loginItem) return;
  const auto result = setup_.loginItem->setEnabled(on);
  openAtLoginError_ = result ? QString() : qs(result.error());
  openAtLogin_ = setup_.loginItem->enabled();
  emit changed();
}

void SettingsModel::openAccessibilitySettings() {
  if (store_->perform) store_->perform(BridgeAction::openAccessibilitySettings());
}

void SettingsModel::openPrivacy() {
  if (setup_.desktop) setup_.desktop->openPrivacy();
}

void SettingsModel::openTerms() {
  if (setup_.desktop) setup_.desktop->openTerms();
}

}  // namespace orvane
