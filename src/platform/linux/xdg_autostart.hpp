#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/login_item.hpp"

namespace orvane {

// Starting at login the freedesktop way: an entry in <configHome>/autostart, which the
// desktop's session starts when the user logs in. An entry the user switched off in the
// desktop's own settings (Hidden=true, or X-GNOME-Autostart-enabled=false) counts as
// off, and turning it on again writes it afresh.
class XdgAutostart final : public LoginItem {
 public:
  static constexpr const char* entryName = "orvane.desktop";

  // `command` is what the entry runs: the `orvane` program, by its full path where known.
  explicit XdgAutostart(std::string command);

  bool enabled() const override;
  expected<void, std::string> setEnabled(bool on) override;

  // <configHome>/autostart/orvane.desktop; none without a home folder.
  static std::optional<std::filesystem::path> entryPath();
  // The entry's text.
  std::string entryText() const;

 private:
  std::string command_;
};

}  // namespace orvane
