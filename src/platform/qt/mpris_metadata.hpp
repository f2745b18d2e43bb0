#pragma once

#include <QVariantMap>

#include <optional>
#include <string>

namespace orvane {

// The members of an MPRIS player's Metadata that we show. Text is as the player gave
// it; the artists of a track are joined with ", ".
struct MprisMetadata {
  std::optional<std::string> title;   // xesam:title
  std::optional<std::string> artist;  // xesam:artist (a list)
  std::optional<std::string> album;   // xesam:album
  std::optional<std::string> artUrl;  // mpris:artUrl
  bool operator==(const MprisMetadata&) const = default;
};

// Reads the Metadata property, as Qt D-Bus hands it over (the a{sv} may still be
// marshalled, and so may a list of artists). Members of the wrong type are left out.
MprisMetadata readMprisMetadata(const QVariant& metadata);

// A property map (GetAll's a{sv}) with any marshalled value it holds read out.
QVariantMap demarshalledMap(const QVariant& value);

}  // namespace orvane
