#include "ui/viewmodels/desktop_model.hpp"

#include "app/legal_texts.hpp"
#include "ui/models/pair_device_sheet.hpp"
#include "ui/models/popover_device_row.hpp"
#include "ui/models/popover_now_playing.hpp"
#include "ui/models/popover_texts.hpp"
#include "ui/viewmodels/qt_text.hpp"

namespace orvane {
namespace {

QVariantList tabList() {
  QVariantList tabs;
  for (HubTab tab : hubTabs) {
    tabs.append(QVariantMap{{"id", qs(identifierOf(tab))}, {"title", qs(titleOf(tab))}, {"icon", qs(symbolOf(tab))}});
  }
  return tabs;
}

std::optional<CommandPalette::Key> paletteKeyNamed(const QString& name) {
  if (name == QLatin1String("up")) return CommandPalette::Key::up;
  if (name == QLatin1String("down")) return CommandPalette::Key::down;
  if (name == QLatin1String("escape")) return CommandPalette::Key::escape;
  if (name == QLatin1String("enter")) return CommandPalette::Key::enter;
  return std::nullopt;
}

}  // namespace

DesktopModel::DesktopModel(Setup setup, QObject* parent)
    : QObject(parent),
      setup_(std::move(setup)),
      store_(setup_.store),
      legal_(setup_.legal),
      notice_(setup_.hub->staleAuthAttempt, *store_),
      presenter_(*store_),
      palette_(*store_),
      tabs_(tabList()),
      legalHeading_(qs(LegalTexts::heading)),
      legalIntro_(qs(LegalTexts::intro)),
      legalAgreement_(qs(LegalTexts::agreement)),
      legalVersionLine_(qs(LegalTexts::versionLine)) {
  for (auto point : LegalTexts::points) legalPoints_.append(qs(point));
  auto& s = *store_;
  auto watch = [this](auto& value) {
    subscriptions_.push_back(value.subscribe([this](const auto&) { refresh(); }));
  };
  watch(s.connection);
  watch(s.device);
  watch(s.pendingDeviceName);
  watch(s.localAddress);
  watch(s.localPort);
  watch(s.phoneStatus);
  watch(s.pairing);
  watch(s.notifications);
  watch(s.features);
  watch(s.deviceAlias);
  watch(s.trafficPulse);
  watch(s.qrSecondsRemaining);
  watch(notice_.raised);
  watch(presenter_.showPairing);
  subscriptions_.push_back(s.qrImage.subscribe([this](const auto&) {
    ++qrRevision_;
    refresh();
  }));
  subscriptions_.push_back(s.media.subscribe([this](const std::optional<BridgeMedia>& media) {
    // A new address makes the views load the new cover rather than a cached one.
    if (media && media->artwork) ++artworkRevision_;
    refresh();
  }));
  refresh();
}

DesktopModel::~DesktopModel() {
  subscriptions_.clear();
  if (countdownShown_ && store_->perform) store_->perform(BridgeAction::showCountdown(false));
}

void DesktopModel::setDarkAppearance(bool dark) {
  if (setup_.darkAppearance == dark) return;
  setup_.darkAppearance = dark;
  emit changed();
}

void DesktopModel::setReduceMotion(bool reduced) {
  if (setup_.reduceMotion == reduced) return;
  setup_.reduceMotion = reduced;
  emit changed();
}

void DesktopModel::refresh() {
  const DeviceBridgeStore& s = *store_;
  const PopoverDeviceRow row = PopoverDeviceRow::of(s, *notice_.raised);
  deviceTitle_ = qs(row.title);
  statusWord_ = qs(row.statusWord);
  statusSummary_ = qs(row.statusSummary);
  const PopoverTexts texts = PopoverTexts::of(s, setup_.versionText);
  headerSubtitle_ = qs(texts.headerSubtitle);
  notificationsText_ = qs(texts.notificationsTrailing);
  versionText_ = qs(texts.versionLine);
  clipboardOn_ = s.features->clipboard;
  trafficPulse_ = static_cast<int>(*s.trafficPulse);
  oldPairing_ = *notice_.raised;

  const auto playing = PopoverNowPlaying::of(s);
  hasMedia_ = playing.has_value();
  mediaTitle_ = playing ? qs(playing->title) : QString();
  mediaSubtitle_ = playing ? qs(playing->subtitle) : QString();
  playPauseLabel_ = playing ? qs(playing->playPauseLabel) : QStringLiteral("Play");
  const bool artwork = s.media->has_value() && (*s.media)->artwork.has_value();
  mediaArtwork_ = artwork ? setup_.imageRoot + QStringLiteral("media/") + QString::number(artworkRevision_) : QString();

  showPairing_ = *presenter_.showPairing;
  const PairDeviceSheet sheet = PairDeviceSheet::of(s);
  pairingApprovalStep_ = sheet.isApproval();
  pairingSubtitle_ = qs(sheet.subtitle);
  pendingDeviceName_.clear();
  countdownText_.clear();
  if (const auto* code = std::get_if<PairDeviceSheet::CodeStep>(&sheet.step)) {
    countdownText_ = qs(code->countdown);
  } else if (const auto* approval = std::get_if<PairDeviceSheet::ApprovalStep>(&sheet.step)) {
    pendingDeviceName_ = qs(approval->deviceName);
  }
  // An invitation rendered to nothing has no picture to show.
  const bool code = s.qrImage->has_value() && (*s.qrImage)->pixelSize > 0;
  qrImageSource_ = code ? setup_.imageRoot + QStringLiteral("qr/") + QString::number(qrRevision_) : QString();
  pairingAddress_ = sheet.address ? qs(*sheet.address) : QString();

  // The countdown is kept current only while the code is on screen.
  const bool wantCountdown = showPairing_ && !pairingApprovalStep_;
  if (wantCountdown != countdownShown_ && store_->perform) {
    countdownShown_ = wantCountdown;
    store_->perform(BridgeAction::showCountdown(wantCountdown));
  }

  paletteOpen_ = palette_.isPresented();
  paletteQuery_ = qs(palette_.query());
  paletteIndex_ = static_cast<int>(palette_.index());
  paletteItems_.clear();
  for (const auto& item : palette_.items()) {
    paletteItems_.append(QVariantMap{{"id", qs(item.id)},
                                     {"title", qs(item.title)},
                                     {"detail", item.detail ? qs(*item.detail) : QString()},
                                     {"icon", qs(item.icon)}});
  }
  paletteEmptyText_ = palette_.emptyText() ? qs(*palette_.emptyText()) : QString();
  // Rendering the code and decoding the cover are left out of changes that touch neither
  // (every message moves the traffic pulse).
  if (const std::pair revisions{qrRevision_, artworkRevision_}; revisions != picturesHandedAt_) {
    picturesHandedAt_ = revisions;
    if (setup_.picturesChanged) setup_.picturesChanged(*this);
  }
  emit changed();
}

void DesktopModel::perform(const BridgeAction& action) {
  if (store_->perform) store_->perform(action);
}

void DesktopModel::acceptTerms() {
  LegalGate gate(*legal_, [this] { emit termsAccepted(); });
  gate.setAgreed(true);
  if (gate.agreeAndContinue()) emit changed();
}

void DesktopModel::openHub() {
  if (setup_.shell.openHub) setup_.shell.openHub();
}

void DesktopModel::openSettings() {
  if (setup_.shell.openSettings) setup_.shell.openSettings();
}

void DesktopModel::quit() {
  if (setup_.shell.quit) setup_.shell.quit();
}

void DesktopModel::setClipboard(bool on) { perform(BridgeAction::setClipboard(on)); }
void DesktopModel::mediaPrevious() { store_->mediaCommand(DeviceBridgeStore::MediaCommand::previous); }
void DesktopModel::mediaPlayPause() { store_->mediaCommand(DeviceBridgeStore::MediaCommand::playPause); }
void DesktopModel::mediaNext() { store_->mediaCommand(DeviceBridgeStore::MediaCommand::next); }

void DesktopModel::showPairingSheet() {
  openHub();
  presenter_.request();
}

void DesktopModel::dismissPairing() { presenter_.dismiss(); }
void DesktopModel::approve() { perform(BridgeAction::approve()); }
void DesktopModel::deny() { perform(BridgeAction::deny()); }
void DesktopModel::newCode() { perform(BridgeAction::regenerateInvite()); }

void DesktopModel::openPalette() {
  palette_.open();
  refresh();
}

void DesktopModel::closePalette() {
  palette_.press(CommandPalette::Key::escape);
  refresh();
}

void DesktopModel::setPaletteQuery(const QString& query) {
  palette_.setQuery(query.toStdString());
  refresh();
}

void DesktopModel::paletteKey(const QString& key) {
  const auto named = paletteKeyNamed(key);
  if (!named) return;
  const auto command = palette_.press(*named);
  refresh();
  if (command) carryOut(*command);
}

void DesktopModel::paletteClick(int row) {
  if (row < 0) return;
  const auto command = palette_.click(static_cast<std::size_t>(row));
  refresh();
  if (command) carryOut(*command);
}

void DesktopModel::carryOut(const PaletteCommand& command) {
  std::visit(
      [this](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, PaletteCommand::SelectTab>) {
          for (std::size_t i = 0; i < hubTabs.size(); ++i) {
            if (hubTabs[i] == value.tab) selectTab(static_cast<int>(i));
          }
        } else if constexpr (std::is_same_v<T, PaletteCommand::OpenSettings>) {
          openSettings();
        } else if constexpr (std::is_same_v<T, PaletteCommand::Pair>) {
          showPairingSheet();
        } else {
          perform(value.action);
        }
      },
      command.value);
}

void DesktopModel::selectTab(int index) {
  if (index < 0 || index >= static_cast<int>(hubTabs.size()) || index == selectedTab_) return;
  selectedTab_ = index;
  emit changed();
}

void DesktopModel::openPrivacy() {
  if (setup_.shell.openUrl) setup_.shell.openUrl(privacyDocument);
}

void DesktopModel::openTerms() {
  if (setup_.shell.openUrl) setup_.shell.openUrl(termsDocument);
}

}  // namespace orvane
