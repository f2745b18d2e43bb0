#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/bytes.hpp"
#include "base/clock.hpp"

// The plain values the views show, each compared field by field so that the store
// tells its observers only of real changes.
namespace orvane {

// What a player is playing: the phone's, or this computer's.
struct BridgeMedia {
  std::string app;
  std::optional<std::string> title;
  std::optional<std::string> artist;
  std::optional<std::string> album;
  bool isPlaying = false;
  std::optional<double> progress;
  std::optional<Bytes> artwork;
  WallTime receivedAt{};
  bool operator==(const BridgeMedia&) const = default;
};

// One of the phone's notifications.
struct BridgeNotification {
  std::string id;
  std::string app;
  std::optional<std::string> title;
  std::optional<std::string> body;
  WallTime receivedAt{};
  bool canReply = false;
  bool isRead = false;
  // How the last reply through it went (none before any reply, and again from the
  // moment a new reply is made until the phone answers), and the phone's reason when
  // it failed: a card shows the failure and offers to try again.
  std::optional<bool> replyResult;
  std::optional<std::string> replyDetail;
  // The hub's revision of the entry shown (0 when unknown): a row whose revision is
  // that of the hub's entry shows it already.
  std::uint64_t revision = 0;
  bool operator==(const BridgeNotification&) const = default;
};

// A link sent to the phone or received from it.
struct BridgeLink {
  std::string id;
  std::string url;
  bool outgoing = false;
  std::optional<bool> acked;
  std::optional<std::string> context;
  bool operator==(const BridgeLink&) const = default;
};

// A plain text message sent to the phone or received from it.
struct BridgeMessage {
  std::string id;
  bool outgoing = false;
  std::string text;
  std::optional<bool> acked;
  bool operator==(const BridgeMessage&) const = default;
};

// One clipboard text that crossed the link.
struct ClipEntry {
  std::string id;
  std::string text;
  WallTime at{};
  bool outgoing = false;
  bool operator==(const ClipEntry&) const = default;
};

// One thing the user sent, for the activity log.
struct BridgeActivity {
  enum class Kind { clipboard, notification, link, message, media };
  enum class Direction { toMac, toPhone };
  std::string id;
  Kind kind = Kind::clipboard;
  Direction direction = Direction::toPhone;
  std::string summary;
  WallTime at{};
  bool operator==(const BridgeActivity&) const = default;

  static const char* nameOf(Kind kind);
  static const char* nameOf(Direction direction);
};

// Which features the views show as on.
struct FeaturePolicy {
  bool clipboard = false;
  bool notifications = false;
  bool media = false;
  bool files = false;
  bool operator==(const FeaturePolicy&) const = default;
};

}  // namespace orvane
