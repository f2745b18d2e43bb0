#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "base/bytes.hpp"

namespace orvane {

// Reads the cover art a player names by URL (MPRIS's mpris:artUrl), where that is a
// local file: file:// URLs only, a regular file of at most `maxBytes`. Web addresses
// are not fetched (a player on the desktop must not make us contact a server), and
// data of any other kind is left alone. None whenever the bytes cannot be had.
std::optional<Bytes> readArtworkUrl(const std::string& url, std::size_t maxBytes);

}  // namespace orvane
