#include "ui/models/hub_tab.hpp"

#include "ui/models/shown_names.hpp"

namespace orvane {

namespace {
// In the order of the enumeration.
constexpr ShownNames names[] = {
    {"messages", "Messages", "bubble.left.and.bubble.right"},
    {"nowPlaying", "Now Playing", "play.circle"},
    {"clipboard", "Clipboard", "doc.on.clipboard"},
    {"links", "Links", "link"},
};
}  // namespace

std::string_view identifierOf(HubTab tab) { return names[static_cast<int>(tab)].identifier; }
std::string_view titleOf(HubTab tab) { return names[static_cast<int>(tab)].title; }
std::string_view symbolOf(HubTab tab) { return names[static_cast<int>(tab)].symbol; }

}  // namespace orvane
