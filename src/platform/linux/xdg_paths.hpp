#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/expected.hpp"

// Where the program keeps its files, after the XDG base-directory rules. Tests point
// XDG_CONFIG_HOME and XDG_DATA_HOME at a temporary folder.
namespace orvane::xdg {

// $XDG_CONFIG_HOME when set to an absolute path, otherwise ~/.config; none when
// there is no home folder either.
std::optional<std::filesystem::path> configHome();
// $XDG_DATA_HOME when set to an absolute path, otherwise ~/.local/share.
std::optional<std::filesystem::path> dataHome();

// The program's own folders. Each is created with mode 0700 when missing, missing
// parents too, and set to 0700 when it exists with a wider mode.
// <dataHome>/Orvane: the Application Support folder (pairing record, chat archive).
expected<std::filesystem::path, std::string> appSupport();
// <dataHome>/Orvane/keychain: the file keychain.
expected<std::filesystem::path, std::string> keychainFolder();
// <configHome>/Orvane: the defaults file.
expected<std::filesystem::path, std::string> configFolder();

}  // namespace orvane::xdg
