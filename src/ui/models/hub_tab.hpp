#pragma once

#include <array>
#include <string_view>

namespace orvane {

// The work areas of the main window.
enum class HubTab { messages, nowPlaying, clipboard, links };

// In the window's order: the rail's rows, Command-1 to Command-4, the palette's items.
inline constexpr std::array<HubTab, 4> hubTabs = {HubTab::messages, HubTab::nowPlaying, HubTab::clipboard,
                                                  HubTab::links};

// "messages", "nowPlaying", "clipboard", "links".
std::string_view identifierOf(HubTab tab);
// "Messages", "Now Playing", "Clipboard", "Links".
std::string_view titleOf(HubTab tab);
// The symbol shown beside the title.
std::string_view symbolOf(HubTab tab);

}  // namespace orvane
