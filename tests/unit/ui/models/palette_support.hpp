#pragma once

#include <string>
#include <vector>

#include "app/store/bridge_connection.hpp"
#include "ui/models/command_palette.hpp"

namespace orvane::testing {

// The ids of the rows, in order: what a table of expected rows compares with.
inline std::vector<std::string> idsOf(const std::vector<CommandPalette::Item>& items) {
  std::vector<std::string> ids;
  for (const auto& item : items) ids.push_back(item.id);
  return ids;
}

inline std::string joined(const std::vector<std::string>& words) {
  std::string all;
  for (const auto& word : words) all += (all.empty() ? "" : " ") + word;
  return all;
}

inline const std::vector<std::string> tabIDs{"tab.messages", "tab.nowPlaying", "tab.clipboard", "tab.links"};

// `first` followed by `more`.
inline std::vector<std::string> plus(std::vector<std::string> first, const std::vector<std::string>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

}  // namespace orvane::testing
