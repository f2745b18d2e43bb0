#pragma once

// A throwaway server identity for benchmarks and tests: a fresh EC P-256 key and a
// self-signed certificate, in the forms the transport takes (certificate DER and
// PKCS#8 DER). Header-only so that benchmarks and tests can share it.

#include <memory>
#include <optional>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include "wire/transport.hpp"

namespace orvane::bench {

inline std::optional<TlsIdentityMaterial> makeTestIdentity(const char* commonName = "Orvane test") {
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
  if (!key || !cert) return std::nullopt;

  X509_NAME* name = X509_get_subject_name(cert.get());
  const bool built =
      X509_set_version(cert.get(), X509_VERSION_3) == 1 &&
      ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1) == 1 &&
      X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr &&
      X509_gmtime_adj(X509_getm_notAfter(cert.get()), 24 * 3600) != nullptr &&
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName), -1,
                                 -1, 0) == 1 &&
      X509_set_issuer_name(cert.get(), name) == 1 && X509_set_pubkey(cert.get(), key.get()) == 1 &&
      X509_sign(cert.get(), key.get(), EVP_sha256()) > 0;
  if (!built) return std::nullopt;

  TlsIdentityMaterial material;
  const int certLength = i2d_X509(cert.get(), nullptr);
  if (certLength <= 0) return std::nullopt;
  material.certDER.resize(static_cast<std::size_t>(certLength));
  unsigned char* out = material.certDER.data();
  i2d_X509(cert.get(), &out);

  std::unique_ptr<PKCS8_PRIV_KEY_INFO, decltype(&PKCS8_PRIV_KEY_INFO_free)> pkcs8(EVP_PKEY2PKCS8(key.get()),
                                                                                  PKCS8_PRIV_KEY_INFO_free);
  if (!pkcs8) return std::nullopt;
  const int keyLength = i2d_PKCS8_PRIV_KEY_INFO(pkcs8.get(), nullptr);
  if (keyLength <= 0) return std::nullopt;
  material.privateKeyPkcs8.resize(static_cast<std::size_t>(keyLength));
  out = material.privateKeyPkcs8.data();
  i2d_PKCS8_PRIV_KEY_INFO(pkcs8.get(), &out);
  return material;
}

}  // namespace orvane::bench
