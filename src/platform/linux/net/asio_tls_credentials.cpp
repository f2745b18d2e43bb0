#include "platform/linux/net/asio_tls_credentials.hpp"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace orvane {

namespace {

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};
struct PkeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct Pkcs8Free {
  void operator()(PKCS8_PRIV_KEY_INFO* p) const { PKCS8_PRIV_KEY_INFO_free(p); }
};

// The DER must be used up entirely: bytes left over mean it is not the one object
// it was handed over as.
std::unique_ptr<X509, X509Free> parseCertificate(const Bytes& der) {
  const unsigned char* cursor = der.data();
  std::unique_ptr<X509, X509Free> cert(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
  if (!cert || cursor != der.data() + der.size()) return nullptr;
  return cert;
}

std::unique_ptr<EVP_PKEY, PkeyFree> parsePkcs8Key(const Bytes& der) {
  const unsigned char* cursor = der.data();
  std::unique_ptr<PKCS8_PRIV_KEY_INFO, Pkcs8Free> info(
      d2i_PKCS8_PRIV_KEY_INFO(nullptr, &cursor, static_cast<long>(der.size())));
  if (!info || cursor != der.data() + der.size()) return nullptr;
  return std::unique_ptr<EVP_PKEY, PkeyFree>(EVP_PKCS82PKEY(info.get()));
}

}  // namespace

std::shared_ptr<AsioTlsCredentials> AsioTlsCredentials::make(const TlsIdentityMaterial& material) {
  auto build = [&]() -> std::shared_ptr<AsioTlsCredentials> {
    auto cert = parseCertificate(material.certDER);
    auto key = parsePkcs8Key(material.privateKeyPkcs8);
    if (!cert || !key) return nullptr;

    SSL_CTX* raw = SSL_CTX_new(TLS_server_method());
    if (!raw) return nullptr;
    std::shared_ptr<AsioTlsCredentials> credentials(new AsioTlsCredentials(asio::ssl::context(raw)));  // owns raw
    if (SSL_CTX_set_min_proto_version(raw, TLS1_2_VERSION) != 1) return nullptr;
    if (SSL_CTX_use_certificate(raw, cert.get()) != 1) return nullptr;
    if (SSL_CTX_use_PrivateKey(raw, key.get()) != 1) return nullptr;
    if (SSL_CTX_check_private_key(raw) != 1) return nullptr;
    // The phone proves itself inside the protocol, not with a certificate.
    SSL_CTX_set_verify(raw, SSL_VERIFY_NONE, nullptr);
    // Renegotiation would only give a client a way to make the server redo handshakes.
    SSL_CTX_set_options(raw, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    return credentials;
  };
  auto credentials = build();
  // A refused certificate or key leaves entries in this thread's OpenSSL error queue;
  // they must not be mistaken later for the cause of an unrelated TLS failure.
  ERR_clear_error();
  return credentials;
}

}  // namespace orvane
