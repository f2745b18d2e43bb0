#pragma once

#include <array>
#include <string_view>

// What the terms gate shows, in the desktop program and in the terminal alike.
namespace orvane::LegalTexts {

inline constexpr std::string_view heading = "Before you start";
inline constexpr std::string_view intro =
    "Everything stays on your own network. Please read and accept the Privacy Policy and Terms of Service before "
    "continuing.";
inline constexpr std::array<std::string_view, 4> points = {
    "No account, no sign-up, and no server holding your data.",
    "Clipboard, notifications, media and links move only between your paired devices.",
    "The QR scanner uses Google ML Kit, which sends limited diagnostics to Google.",
    "Phone-to-Mac clipboard sync needs the app to be focused.",
};
inline constexpr std::string_view agreement = "I have read and agree to the Privacy Policy and Terms of Service.";
inline constexpr std::string_view versionLine =
    "Version 1 \u00b7 Effective 1 November 2026. You must accept to use Orvane.";

}  // namespace orvane::LegalTexts
