#include "platform/linux/net/asio_endpoint.hpp"

namespace orvane {

Endpoint toEndpoint(const asio::ip::tcp::endpoint& endpoint) {
  asio::ip::address address = endpoint.address();
  if (address.is_v6() && address.to_v6().is_v4_mapped()) {
    address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
  }
  return Endpoint{address.to_string(), endpoint.port()};
}

}  // namespace orvane
