#include "platform/qt/selection_log.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

using Types = std::vector<std::string>;

// What the log made of its lines: "cleared", or the types of each selection joined by
// ", " in brackets.
std::vector<std::string> selectionsOf(const std::vector<std::string>& lines) {
  SelectionLog log;
  std::vector<std::string> told;
  for (const std::string& line : lines) {
    if (std::optional<Selection> selection = log.take(line)) {
      if (selection->cleared) {
        told.push_back("cleared");
        continue;
      }
      std::string joined;
      for (const std::string& type : selection->types) joined += (joined.empty() ? "" : ", ") + type;
      told.push_back("[" + joined + "]");
    }
  }
  return told;
}

TEST(SelectionLog, TellsEachSelectionWithItsTypes) {
  struct Row {
    const char* what;
    std::vector<std::string> lines;
    std::vector<std::string> selections;
  };
  // The first rows are as wl-paste 2.1 with libwayland 1.21 writes them.
  const std::vector<Row> rows = {
      {"wl-copy's text, our own requests between",
       {"[ 830811.177]  -> zwlr_data_control_manager_v1@8.get_data_device(new id zwlr_data_control_device_v1@3, "
        "wl_seat@10)",
        "[ 830811.216] zwlr_data_control_device_v1@3.data_offer(new id zwlr_data_control_offer_v1@4278190080)",
        "[ 830811.220] zwlr_data_control_offer_v1@4278190080.offer(\"text/plain;charset=utf-8\")",
        "[ 830811.223] zwlr_data_control_offer_v1@4278190080.offer(\"text/plain\")",
        "[ 830811.226] zwlr_data_control_offer_v1@4278190080.offer(\"UTF8_STRING\")",
        "[ 830811.241] zwlr_data_control_device_v1@3.selection(zwlr_data_control_offer_v1@4278190080)",
        "[ 830811.258]  -> zwlr_data_control_offer_v1@4278190080.receive(\"text/plain;charset=utf-8\", fd 6)",
        "[ 830811.267] zwlr_data_control_device_v1@3.primary_selection(nil)",
        "[ 830829.649]  -> zwlr_data_control_offer_v1@4278190080.destroy()"},
       {"[text/plain;charset=utf-8, text/plain, UTF8_STRING]"}},
      {"an emptied clipboard", {"[1339317.560] zwlr_data_control_device_v1@3.selection(nil)"}, {"cleared"}},
      {"an offer number given out again",
       {"[1.0] zwlr_data_control_device_v1@3.data_offer(new id zwlr_data_control_offer_v1@4278190080)",
        "[1.1] zwlr_data_control_offer_v1@4278190080.offer(\"image/png\")",
        "[1.2] zwlr_data_control_device_v1@3.selection(zwlr_data_control_offer_v1@4278190080)",
        "[2.0] zwlr_data_control_device_v1@3.data_offer(new id zwlr_data_control_offer_v1@4278190080)",
        "[2.1] zwlr_data_control_offer_v1@4278190080.offer(\"text/plain\")",
        "[2.2] zwlr_data_control_device_v1@3.selection(zwlr_data_control_offer_v1@4278190080)"},
       {"[image/png]", "[text/plain]"}},
      {"the primary selection's offer is not the clipboard's",
       {"[1.0] zwlr_data_control_device_v1@3.data_offer(new id zwlr_data_control_offer_v1@4278190081)",
        "[1.1] zwlr_data_control_offer_v1@4278190081.offer(\"text/plain\")",
        "[1.2] zwlr_data_control_device_v1@3.primary_selection(zwlr_data_control_offer_v1@4278190081)",
        "[2.0] zwlr_data_control_device_v1@3.data_offer(new id zwlr_data_control_offer_v1@4278190082)",
        "[2.1] zwlr_data_control_offer_v1@4278190082.offer(\"text/html\")",
        "[2.2] zwlr_data_control_device_v1@3.selection(zwlr_data_control_offer_v1@4278190082)"},
       {"[text/html]"}},
      {"newer libwayland with its queue name, and the ext_ protocol",
       {"[1234.567] {Default Queue} ext_data_control_device_v1@12.data_offer(new id ext_data_control_offer_v1@77)",
        "[1234.568] {Default Queue} ext_data_control_offer_v1@77.offer(\"text/plain\")",
        "[1234.569] {Default Queue} ext_data_control_device_v1@12.selection(ext_data_control_offer_v1@77)",
        "[1234.570] {Default Queue} ext_data_control_device_v1@12.selection(nil)"},
       {"[text/plain]", "cleared"}},
      {"a selection of an offer never announced is a selection still",
       {"[1.0] zwlr_data_control_device_v1@3.selection(zwlr_data_control_offer_v1@5)"}, {"[]"}},
      {"a type that reads like a selection is a type",
       {"[1.0] zwlr_data_control_device_v1@3.data_offer(new id zwlr_data_control_offer_v1@5)",
        "[1.1] zwlr_data_control_offer_v1@5.offer(\"x/zwlr_data_control_device_v1@3.selection(nil)\")",
        "[1.2] zwlr_data_control_device_v1@3.selection(zwlr_data_control_offer_v1@5)"},
       {"[x/zwlr_data_control_device_v1@3.selection(nil)]"}},
      {"not a data-control line",
       {"Watch mode requires a compositor that supports wlroots data-control protocol",
        "[ 688707.621] wl_data_device@5.selection(nil)", "[1] zwlr_data_control_device_v1@.selection(nil)",
        "[ 830811.177]  -> zwlr_data_control_device_v1@3.set_selection(nil)", ""},
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(selectionsOf(row.lines), row.selections);
  }
}

}  // namespace
}  // namespace orvane
