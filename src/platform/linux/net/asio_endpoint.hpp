#pragma once

#include <asio/ip/tcp.hpp>

#include "wire/transport.hpp"

namespace orvane {

// The endpoint as the core sees it: numeric host text and port. A dual-stack socket
// reports IPv4 peers as IPv4-mapped IPv6 addresses; those are shown as the dotted
// quad the phone really has.
Endpoint toEndpoint(const asio::ip::tcp::endpoint& endpoint);

}  // namespace orvane
