#include "pairing/pairing_store.hpp"

#include <sys/stat.h>

#include "base/atomic_file.hpp"
#include "pairing/secure_store.hpp"

namespace orvane {

namespace fs = std::filesystem;

namespace {
constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;
}  // namespace

PairingStore::PairingStore(std::optional<fs::path> appSupport, std::shared_ptr<Keychain> keychain,
                           std::shared_ptr<UserDefaults> defaults)
    : appSupport_(std::move(appSupport)), keychain_(std::move(keychain)), defaults_(std::move(defaults)) {}

std::optional<fs::path> PairingStore::fileURL() const {
  if (!appSupport_) return std::nullopt;
  // A folder that cannot be made shows up as a failed write or a missing file later;
  // nothing useful can be done about it here.
  (void)files::ensureDirectory(*appSupport_, folderMode);
  return *appSupport_ / fileName;
}

expected<void, std::string> PairingStore::save(const PairedDevice& device) {
  const auto url = fileURL();
  if (!url) return unexpected(std::string("No such file or directory"));
  const std::string json = device.toJSON();
  if (auto written = files::writeFileAtomically(*url, toBytes(json), fileMode); !written) return written;
  // The file was created with 0600 already; this only repairs what another tool changed.
  (void)::chmod(url->c_str(), fileMode);
  return {};
}

void PairingStore::clear() {
  if (const auto url = fileURL()) {
    // A file that cannot be removed is read again at the next start; the caller has
    // forgotten the phone in memory either way.
    std::error_code ignored;
    fs::remove(*url, ignored);
  }
  if (keychain_) SecureStore(keychain_).deleteItem(legacyAccount);
}

void PairingStore::migrateFromKeychainOnce() {
  if (defaults_->boolOrFalse(migratedKey)) return;
  // Set first: a legacy item that does not decode, or a write that fails, is not tried
  // again at every start.
  defaults_->set(migratedKey, true);

  const auto url = fileURL();
  if (!url || !keychain_) return;
  std::error_code error;
  if (fs::exists(*url, error) || error) return;

  const SecureStore legacy(keychain_);
  const auto bytes = legacy.get(legacyAccount);
  if (!bytes || !PairedDevice::fromJSON(*bytes)) return;
  // The same bytes as the old version wrote, so nothing is re-encoded on the way. When
  // the write fails the keychain item stays: the pairing is not lost, only unused.
  if (!files::writeFileAtomically(*url, *bytes, fileMode)) return;
  (void)::chmod(url->c_str(), fileMode);
  legacy.deleteItem(legacyAccount);
}

PairingStore::Loaded PairingStore::loadChecked(WallTime now) {
  const auto url = fileURL();
  if (url) files::removeLeftoverTemporaries(*url);
  migrateFromKeychainOnce();
  if (!url) return {};
  std::error_code statError;
  const bool present = fs::exists(*url, statError);
  if (statError) return {std::nullopt, "pairing.json could not be looked at: " + statError.message()};
  if (!present) return {};
  const auto bytes = files::readFile(*url);
  // A read that fails (no permission, an I/O error) may pass: the file stays for the
  // next start. Only content that was read and makes no record is set aside.
  if (!bytes) return {std::nullopt, "pairing.json could not be read; left in place"};
  auto device = PairedDevice::fromJSON(*bytes);
  if (!device) {
    // Never overwritten by the next pairing: the user (or a later version) may still
    // make something of it.
    auto aside = files::setAside(*url, now);
    return {std::nullopt, aside ? "pairing.json could not be read; kept as " + aside->filename().string()
                                : "pairing.json could not be read, nor kept aside: " + aside.error()};
  }
  if (!device->discoveryToken) {
    // Records from before discovery tokens: give them one now and keep it, so the
    // advertised hash stays the same from this start on. A failed save only means the
    // code changes again at the next start.
    device->discoveryToken = PairedDevice::newDiscoveryToken();
    (void)save(*device);
  }
  return {std::move(device), std::nullopt};
}

std::optional<PairedDevice> PairingStore::peek() const {
  if (!appSupport_) return std::nullopt;
  const auto bytes = files::readFile(*appSupport_ / fileName);
  if (!bytes) return std::nullopt;
  return PairedDevice::fromJSON(*bytes);
}

}  // namespace orvane
