#pragma once

#include <asio/ip/tcp.hpp>

namespace orvane {

// Every connection of the link carries whole frames that should leave at once: Nagle's
// algorithm would hold a second frame sent back to back until the peer acknowledges
// the first (up to 40 ms with delayed acknowledgements). Failure is harmless: the
// connection only gets slower.
inline void sendFramesAtOnce(asio::ip::tcp::socket& socket) {
  asio::error_code ignored;
  socket.set_option(asio::ip::tcp::no_delay(true), ignored);
}

}  // namespace orvane
