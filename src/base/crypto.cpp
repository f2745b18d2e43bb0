#include "base/crypto.hpp"

#include <openssl/core_names.h>
#include <openssl/decoder.h>
#include <openssl/encoder.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <pthread.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <random>

namespace orvane::crypto {

namespace {

constexpr std::size_t kRawPointSize = 65;
// OpenSSL's name for P-256 (secp256r1).
constexpr const char* kCurveName = "prime256v1";

struct PkeyFree {
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct PkeyCtxFree {
  void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
};
struct EncoderCtxFree {
  void operator()(OSSL_ENCODER_CTX* p) const { OSSL_ENCODER_CTX_free(p); }
};
struct DecoderCtxFree {
  void operator()(OSSL_DECODER_CTX* p) const { OSSL_DECODER_CTX_free(p); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;
using PkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree>;
using MdCtxPtr = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;
using EncoderCtxPtr = std::unique_ptr<OSSL_ENCODER_CTX, EncoderCtxFree>;
using DecoderCtxPtr = std::unique_ptr<OSSL_DECODER_CTX, DecoderCtxFree>;

// The oldest queued OpenSSL error as text (and the queue cleared), for error values.
std::string openSslError(std::string_view what) {
  std::string text(what);
  const unsigned long code = ERR_get_error();
  if (code != 0) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    text += ": ";
    text += buffer;
  }
  ERR_clear_error();
  return text;
}

bool isP256(EVP_PKEY* key) {
  if (EVP_PKEY_is_a(key, "EC") != 1) return false;
  char group[64] = {};
  std::size_t length = 0;
  if (EVP_PKEY_get_group_name(key, group, sizeof group, &length) != 1) return false;
  return std::string_view(group, length) == kCurveName;
}

// Makes the key write its public point uncompressed (a key read from DER keeps the
// form it was stored in). Done before the key is shared, so it never changes later.
bool useUncompressedPoints(EVP_PKEY* key) {
  return EVP_PKEY_set_utf8_string_param(key, OSSL_PKEY_PARAM_EC_POINT_CONVERSION_FORMAT,
                                        OSSL_PKEY_EC_POINT_CONVERSION_FORMAT_UNCOMPRESSED) == 1;
}

std::shared_ptr<void> share(PkeyPtr key) {
  return std::shared_ptr<void>(key.release(), [](void* p) { EVP_PKEY_free(static_cast<EVP_PKEY*>(p)); });
}

// Reads a private P-256 key in PKCS#8 ("PrivateKeyInfo") form, DER or PEM.
PkeyPtr decodePrivateKey(const unsigned char* data, std::size_t size, const char* inputType) {
  EVP_PKEY* raw = nullptr;
  DecoderCtxPtr ctx(OSSL_DECODER_CTX_new_for_pkey(&raw, inputType, "PrivateKeyInfo", "EC", EVP_PKEY_KEYPAIR, nullptr, nullptr));
  if (!ctx) return nullptr;
  const unsigned char* cursor = data;
  std::size_t left = size;
  const int ok = OSSL_DECODER_from_data(ctx.get(), &cursor, &left);
  PkeyPtr key(raw);
  ERR_clear_error();
  if (ok != 1 || !key) return nullptr;
  // DER is exact: bytes after the key mean the stored item is not what we wrote.
  // PEM may carry text around its armour, as PEM files commonly do.
  if (std::string_view(inputType) == "DER" && left != 0) return nullptr;
  if (!isP256(key.get()) || !useUncompressedPoints(key.get())) return nullptr;
  return key;
}

std::optional<std::string> encodePrivateKey(EVP_PKEY* key, const char* outputType) {
  EncoderCtxPtr ctx(OSSL_ENCODER_CTX_new_for_pkey(key, EVP_PKEY_KEYPAIR, outputType, "PrivateKeyInfo", nullptr));
  if (!ctx || OSSL_ENCODER_CTX_get_num_encoders(ctx.get()) == 0) return std::nullopt;
  unsigned char* data = nullptr;
  std::size_t length = 0;
  if (OSSL_ENCODER_to_data(ctx.get(), &data, &length) != 1) {
    ERR_clear_error();
    return std::nullopt;
  }
  std::string out(reinterpret_cast<const char*>(data), length);
  OPENSSL_free(data);
  return out;
}

PkeyPtr publicKeyFromPoint(const Bytes& point) {
  if (point.size() != kRawPointSize || point[0] != 0x04) return nullptr;
  PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  if (!ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1) return nullptr;
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, const_cast<char*>(kCurveName), 0),
      OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, const_cast<std::uint8_t*>(point.data()), point.size()),
      OSSL_PARAM_construct_end(),
  };
  EVP_PKEY* raw = nullptr;
  // Decoding the point checks that it lies on the curve.
  const int ok = EVP_PKEY_fromdata(ctx.get(), &raw, EVP_PKEY_PUBLIC_KEY, params);
  PkeyPtr key(raw);
  if (ok != 1) {
    ERR_clear_error();
    return nullptr;
  }
  return key;
}

}  // namespace

Bytes sha256(const Bytes& data) {
  Bytes digest(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  // Only an exhausted allocator fails here; the empty result then matches nothing.
  if (EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
    ERR_clear_error();
    return {};
  }
  digest.resize(length);
  return digest;
}

Bytes sha256(std::string_view data) { return sha256(toBytes(data)); }

Bytes hmacSha256(const Bytes& key, std::string_view message) {
  static const std::uint8_t kNoKey = 0;
  // An empty key is a valid HMAC key, but a null pointer would mean "no key set".
  const std::uint8_t* keyData = key.empty() ? &kNoKey : key.data();
  Bytes mac(EVP_MAX_MD_SIZE);
  std::size_t length = 0;
  if (EVP_Q_mac(nullptr, "HMAC", nullptr, "SHA256", nullptr, keyData, key.size(),
                reinterpret_cast<const unsigned char*>(message.data()), message.size(), mac.data(), mac.size(),
                &length) == nullptr) {
    ERR_clear_error();
    return {};
  }
  mac.resize(length);
  return mac;
}

std::optional<Bytes> secureRandom(std::size_t count) {
  Bytes out(count);
  std::size_t done = 0;
  while (done < count) {
    const std::size_t chunk = std::min<std::size_t>(count - done, INT_MAX);
    if (RAND_bytes(out.data() + done, static_cast<int>(chunk)) != 1) {
      ERR_clear_error();
      return std::nullopt;
    }
    done += chunk;
  }
  return out;
}

namespace {

// Random bytes for UUIDs, drawn from OpenSSL's generator a kilobyte at a time: every
// envelope sent takes a UUID, and one call to the generator per UUID cost more than
// all the rest of answering a ping. Per thread, so that no lock is shared; the bytes
// are handed out once and wiped as they go. A child made by fork() draws afresh, so
// that it never repeats its parent's UUIDs.
std::atomic<std::uint64_t> forkGeneration{0};

class UuidRandomPool {
 public:
  std::optional<std::array<std::uint8_t, 16>> take() {
    static const bool watchingForks =
        pthread_atfork(nullptr, nullptr, [] { forkGeneration.fetch_add(1, std::memory_order_relaxed); }) == 0;
    const std::uint64_t generation = forkGeneration.load(std::memory_order_relaxed);
    if (!watchingForks || generation != generation_) {
      next_ = pool_.size();
      generation_ = generation;
    }
    if (next_ == pool_.size()) {
      if (RAND_bytes(pool_.data(), static_cast<int>(pool_.size())) != 1) return std::nullopt;
      next_ = watchingForks ? 0 : pool_.size() - 16;  // without fork watching, one UUID per draw
    }
    std::array<std::uint8_t, 16> out{};
    std::copy_n(pool_.begin() + static_cast<std::ptrdiff_t>(next_), out.size(), out.begin());
    OPENSSL_cleanse(pool_.data() + next_, out.size());
    next_ += out.size();
    return out;
  }

 private:
  std::array<std::uint8_t, 1024> pool_{};
  std::size_t next_ = pool_.size();
  std::uint64_t generation_ = 0;
};

}  // namespace

std::string uuidString() {
  thread_local UuidRandomPool pool;
  Bytes b;
  if (const auto drawn = pool.take()) b.assign(drawn->begin(), drawn->end());
  if (b.size() != 16) {
    // A UUID needs uniqueness, not secrecy: the kernel's source through the standard
    // library is good enough when OpenSSL's generator is unavailable.
    std::random_device device;
    b.resize(16);
    for (auto& byte : b) byte = static_cast<std::uint8_t>(device());
  }
  b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
  constexpr std::string_view digits = "0123456789ABCDEF";
  std::string out;
  out.reserve(36);
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    out.push_back(digits[b[i] >> 4]);
    out.push_back(digits[b[i] & 0x0F]);
  }
  return out;
}

expected<EcPrivateKey, std::string> EcPrivateKey::generate() {
  PkeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", kCurveName));
  if (!key) return unexpected(openSslError("P-256 key generation failed"));
  if (!useUncompressedPoints(key.get())) return unexpected(openSslError("P-256 key set-up failed"));
  return EcPrivateKey(share(std::move(key)));
}

std::optional<EcPrivateKey> EcPrivateKey::fromPkcs8Der(const Bytes& der) {
  if (der.empty()) return std::nullopt;
  PkeyPtr key = decodePrivateKey(der.data(), der.size(), "DER");
  if (!key) return std::nullopt;
  return EcPrivateKey(share(std::move(key)));
}

std::optional<EcPrivateKey> EcPrivateKey::fromPem(std::string_view pem) {
  if (pem.empty()) return std::nullopt;
  PkeyPtr key = decodePrivateKey(reinterpret_cast<const unsigned char*>(pem.data()), pem.size(), "PEM");
  if (!key) return std::nullopt;
  return EcPrivateKey(share(std::move(key)));
}

Bytes EcPrivateKey::toPkcs8Der() const {
  const std::optional<std::string> der = encodePrivateKey(static_cast<EVP_PKEY*>(key_.get()), "DER");
  return der ? toBytes(*der) : Bytes{};
}

std::string EcPrivateKey::toPem() const {
  return encodePrivateKey(static_cast<EVP_PKEY*>(key_.get()), "PEM").value_or(std::string{});
}

Bytes EcPrivateKey::publicKeyRaw() const {
  Bytes point(kRawPointSize);
  std::size_t length = 0;
  if (EVP_PKEY_get_octet_string_param(static_cast<EVP_PKEY*>(key_.get()), OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY,
                                      point.data(), point.size(), &length) != 1 ||
      length != kRawPointSize) {
    ERR_clear_error();
    return {};
  }
  return point;
}

expected<Bytes, std::string> EcPrivateKey::sign(const Bytes& message) const {
  MdCtxPtr ctx(EVP_MD_CTX_new());
  if (!ctx) return unexpected(std::string("out of memory"));
  if (EVP_DigestSignInit_ex(ctx.get(), nullptr, "SHA256", nullptr, nullptr, static_cast<EVP_PKEY*>(key_.get()),
                            nullptr) != 1) {
    return unexpected(openSslError("ECDSA signing set-up failed"));
  }
  std::size_t length = 0;
  if (EVP_DigestSign(ctx.get(), nullptr, &length, message.data(), message.size()) != 1) {
    return unexpected(openSslError("ECDSA signing failed"));
  }
  Bytes signature(length);
  if (EVP_DigestSign(ctx.get(), signature.data(), &length, message.data(), message.size()) != 1) {
    return unexpected(openSslError("ECDSA signing failed"));
  }
  // The DER form of (r, s) is often shorter than the maximum asked for above.
  signature.resize(length);
  return signature;
}

bool verifyP256(const Bytes& publicKeyRaw, const Bytes& message, const Bytes& derSignature) {
  if (derSignature.empty()) return false;
  PkeyPtr key = publicKeyFromPoint(publicKeyRaw);
  if (!key) return false;
  MdCtxPtr ctx(EVP_MD_CTX_new());
  if (!ctx) return false;
  bool valid = false;
  if (EVP_DigestVerifyInit_ex(ctx.get(), nullptr, "SHA256", nullptr, nullptr, key.get(), nullptr) == 1) {
    valid = EVP_DigestVerify(ctx.get(), derSignature.data(), derSignature.size(), message.data(), message.size()) == 1;
  }
  ERR_clear_error();
  return valid;
}

}  // namespace orvane::crypto
