#pragma once

#include <memory>

#include <asio/ssl/context.hpp>

#include "wire/transport.hpp"

namespace orvane {

// The server side of TLS: our certificate and private key in one OpenSSL context,
// minimum TLS 1.2, no client certificate asked for.
class AsioTlsCredentials final : public TlsCredentials {
 public:
  // None when the certificate or key does not parse, or they do not belong together.
  static std::shared_ptr<AsioTlsCredentials> make(const TlsIdentityMaterial& material);

  asio::ssl::context& context() { return context_; }

 private:
  explicit AsioTlsCredentials(asio::ssl::context context) : context_(std::move(context)) {}
  asio::ssl::context context_;
};

}  // namespace orvane
