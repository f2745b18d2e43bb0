#include "platform/linux/net/asio_stream_connection.hpp"

#include <atomic>

namespace orvane {

PeerID nextPeerID() {
  static std::atomic<PeerID> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace orvane
