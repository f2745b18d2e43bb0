#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/legal_state.hpp"
#include "app/store/device_bridge_store.hpp"

// What the settings window's sections show, worked out from the store: every row's
// value, which buttons are there, and the words that depend on the state.
namespace orvane {

struct SettingsRow {
  std::string title;
  std::string value;
  bool operator==(const SettingsRow&) const = default;
};

// "Devices": the paired phone, its status, the network and what can be done.
struct DevicesSettings {
  enum class Primary { disconnect, reconnect, pair };

  std::string device;     // the device's title, or "No device paired"
  std::string nameDraft;  // what the name field starts with: the alias, else the device's name
  std::string connection;  // the connection's title
  bool connected = false;
  std::vector<SettingsRow> phoneStatus;  // "Battery", "Wi-Fi", "Cellular", "Bluetooth"
  std::string serverAddress;             // "192.0.2.5:17431", or "—" before there is an address
  std::string phoneAddress;              // or "—"
  std::optional<std::string> lanToken;   // only for a stored record that has one
  Primary primary = Primary::pair;
  std::string primaryTitle;  // "Disconnect", "Reconnect" or "Pair a device…"
  bool paired = false;       // "Pair new device…" and "Forget" are offered

  // `storedToken` is the discovery token of the stored paired-device record, if any.
  static DevicesSettings of(const DeviceBridgeStore& store, const std::optional<std::string>& storedToken);
  // Submitting the name field: the name trimmed of white space and newlines, or none
  // when nothing is left (nothing is sent, the alias stays).
  static std::optional<std::string> nameToSend(std::string_view field);
  bool operator==(const DevicesSettings&) const = default;
};

// "About": the build, the pairing and the terms.
struct AboutSettings {
  std::string version;       // the application version text, or "—"
  std::string mediaBackend;  // "System player access" or "Fallback (media keys)"
  std::string pairing;       // "Paired" or "Not paired"
  std::string terms;         // "Accepted (version N)" or "Not accepted"
  std::optional<std::string> acceptedOn;  // the day the terms were accepted

  static AboutSettings of(const DeviceBridgeStore& store, const std::optional<std::string>& versionText,
                          bool systemPlayerAccess, const LegalState& legal);
  bool operator==(const AboutSettings&) const = default;
};

// "Advanced": permissions and diagnostics.
struct AdvancedSettings {
  std::string accessibility;     // "Granted" or "Not granted"
  std::string connection;        // the connection's title
  std::string lastMediaCommand;  // the last media-key dispatch, or "None"

  static AdvancedSettings of(const DeviceBridgeStore& store);
  bool operator==(const AdvancedSettings&) const = default;
};

// The question before clearing the chats, which the store does itself.
struct ClearChatsQuestion {
  static constexpr const char* title = "Clear all chats in Messages?";
  static constexpr const char* message =
      "This permanently removes the chats saved by Orvane on this Mac. It does not delete messages from your phone.";
  static constexpr const char* confirmTitle = "Clear Chats";
};

// A day as the settings show it: "10 Dec 2026", in local time.
std::string dayText(WallTime at);

}  // namespace orvane
