#include "ui/models/settings_rows.hpp"

#include <ctime>

#include "base/text.hpp"
#include "ui/models/status_tiles.hpp"

namespace orvane {

DevicesSettings DevicesSettings::of(const DeviceBridgeStore& store, const std::optional<std::string>& storedToken) {
  DevicesSettings s;
  s.device = store.deviceTitle();
  if (store.deviceAlias->has_value()) {
    s.nameDraft = **store.deviceAlias;
  } else if (store.device->has_value()) {
    s.nameDraft = (*store.device)->displayName();
  }
  s.connection = store.connection->title();
  s.connected = store.connection->isConnected();
  for (const StatusTile& tile : StatusTiles::of(store).inOrder()) s.phoneStatus.push_back({tile.label, tile.value});
  s.serverAddress = store.localAddress->empty() ? "\u2014" : *store.localAddress + ":" + std::to_string(*store.localPort);
  s.phoneAddress = store.phoneAddress->value_or("\u2014");
  if (storedToken && !storedToken->empty()) s.lanToken = storedToken;
  s.paired = *store.pairing != DeviceBridgeStore::PairingStatus::none;
  if (s.connected) {
    s.primary = Primary::disconnect;
    s.primaryTitle = "Disconnect";
  } else if (s.paired) {
    s.primary = Primary::reconnect;
    s.primaryTitle = "Reconnect";
  } else {
    s.primary = Primary::pair;
    s.primaryTitle = "Pair a device\u2026";
  }
  return s;
}

std::optional<std::string> DevicesSettings::nameToSend(std::string_view field) {
  std::string name = text::trim(field);
  if (name.empty()) return std::nullopt;
  return name;
}

AboutSettings AboutSettings::of(const DeviceBridgeStore& store, const std::optional<std::string>& versionText,
                                bool systemPlayerAccess, const LegalState& legal) {
  AboutSettings a;
  a.version = versionText ? *versionText : "\u2014";
  a.mediaBackend = systemPlayerAccess ? "System player access" : "Fallback (media keys)";
  a.pairing = *store.pairing == DeviceBridgeStore::PairingStatus::paired ? "Paired" : "Not paired";
  if (legal.isAccepted()) {
    a.terms = "Accepted (version " + std::to_string(legal.acceptedVersion()) + ")";
    if (const auto at = legal.acceptedAt()) a.acceptedOn = dayText(*at);
  } else {
    a.terms = "Not accepted";
  }
  return a;
}

AdvancedSettings AdvancedSettings::of(const DeviceBridgeStore& store) {
  AdvancedSettings a;
  a.accessibility = *store.accessibilityTrusted ? "Granted" : "Not granted";
  a.connection = store.connection->title();
  a.lastMediaCommand =
      store.lastMediaDispatch->has_value() ? std::string(MediaKeyPoster::caseName(**store.lastMediaDispatch)) : "None";
  return a;
}

std::string dayText(WallTime at) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%e %b %Y", &local);
  return text::trim(std::string_view(text, length));
}

}  // namespace orvane
