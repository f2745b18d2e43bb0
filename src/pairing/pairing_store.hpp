#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "base/user_defaults.hpp"
#include "pairing/keychain.hpp"
#include "pairing/paired_device.hpp"

namespace orvane {

// Persistence of the paired phone: pairing.json in the application-support folder
// "Orvane" (folder 0700, file 0600, atomic writes), with a one-time migration from the
// keychain item of earlier versions.
class PairingStore {
 public:
  static constexpr std::string_view fileName = "pairing.json";
  static constexpr std::string_view migratedKey = "zel.pairingMigratedToFile";
  static constexpr std::string_view legacyAccount = "paired-device";

  // `appSupport` is the "Orvane" folder; none when the platform reports no location.
  PairingStore(std::optional<std::filesystem::path> appSupport, std::shared_ptr<Keychain> keychain,
               std::shared_ptr<UserDefaults> defaults);
  virtual ~PairingStore() = default;

  // <appSupport>/pairing.json; makes the folder (0700) on the way, ignoring failure.
  std::optional<std::filesystem::path> fileURL() const;
  // Runs at most once per user ("zel.pairingMigratedToFile" is set before anything
  // else). Copies a decodable legacy item byte for byte into a missing file and then
  // deletes the item; an item that does not decode, or whose copy fails, stays.
  void migrateFromKeychainOnce();
  // Atomic write, file 0600. Fails with "No such file or directory" without a
  // location, or with the write's error.
  virtual expected<void, std::string> save(const PairedDevice& device);
  // Removes the file (failure ignored) and the legacy keychain item.
  void clear();
  // What a start finds: the paired phone, and whether a stored record could not be read.
  struct Loaded {
    std::optional<PairedDevice> device;
    // Set when pairing.json was there but unreadable: what happened, for the log. The
    // file was kept beside as "pairing.json.unreadable-<UTC time>".
    std::optional<std::string> problem;
  };
  // Removes temporaries of interrupted writes, migrates, then reads the file; a record
  // without a discovery token gains one (saved). An unreadable file is set aside.
  Loaded loadChecked(WallTime now);
  // The stored record as it is on disk, read without touching anything: for a view,
  // while the server owns the file. None when there is none or it does not decode.
  std::optional<PairedDevice> peek() const;
  // `loadChecked` for callers that only need the phone.
  std::optional<PairedDevice> load() { return loadChecked(std::chrono::system_clock::now()).device; }

 private:
  std::optional<std::filesystem::path> appSupport_;
  std::shared_ptr<Keychain> keychain_;
  std::shared_ptr<UserDefaults> defaults_;
};

}  // namespace orvane
