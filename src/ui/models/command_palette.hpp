#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/store/device_bridge_store.hpp"
#include "ui/models/palette_command.hpp"

namespace orvane {

// The keyboard-driven list of commands over the main window (Command-K): the commands
// that fit the link's state, narrowed by what the user types, one of them selected.
// Reads the store afresh on every call, so a link that drops while the palette is open
// changes its list at once. Main thread only; the store must outlive it.
class CommandPalette {
 public:
  struct Item {
    std::string id;
    std::string title;
    std::optional<std::string> detail;
    std::string icon;
    PaletteCommand run;
    bool operator==(const Item&) const = default;
  };
  enum class Key { up, down, escape, enter };

  static constexpr const char* noMatches = "No matches";

  explicit CommandPalette(const DeviceBridgeStore& store) : store_(store) {}

  // Every command that fits the store's state, in the palette's order: the work areas,
  // the settings and pairing always; the clipboard switch and disconnecting while
  // connected; reconnecting while a paired phone is not connected.
  static std::vector<Item> allItems(const DeviceBridgeStore& store);
  // The items whose title or detail holds the query, ignoring case and the white space
  // around it; all of them for an empty query. The order stays.
  static std::vector<Item> filtered(std::vector<Item> items, std::string_view query);

  // Shows the palette afresh: nothing typed, the first row selected.
  void open();
  bool isPresented() const { return presented_; }

  const std::string& query() const { return query_; }
  // A new query selects the first row again: the row selected before may be gone.
  void setQuery(std::string query);
  std::size_t index() const { return index_; }

  // The rows shown now.
  std::vector<Item> items() const { return filtered(allItems(store_), query_); }
  // "No matches" when no row is left; none otherwise.
  std::optional<std::string> emptyText() const;

  // Up and Down move the selection within the rows; Escape closes the palette; Return
  // runs the selected row. Returns what to carry out, if anything.
  std::optional<PaletteCommand> press(Key key);
  // Runs the row clicked.
  std::optional<PaletteCommand> click(std::size_t row);

 private:
  // Closes the palette and hands back the row's command, when `row` is a row shown now.
  std::optional<PaletteCommand> run(std::size_t row);

  const DeviceBridgeStore& store_;
  bool presented_ = false;
  std::string query_;
  std::size_t index_ = 0;
};

}  // namespace orvane
