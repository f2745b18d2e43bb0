#include "platform/qt/clipboard_change_counter.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

// One step of a scenario: a selection comes with these types (or the clipboard is
// emptied), or we write (the type the write is offered in is remembered by its serial).
struct Step {
  enum Kind { selection, cleared, write } kind;
  std::vector<std::string> types;
  std::int64_t count;       // the count after the step
  bool latestSeen = true;   // whether our latest write's selection has come after it
};

const std::vector<std::string> text = {"text/plain", "UTF8_STRING"};
std::vector<std::string> ours(int serial) {
  return {"text/plain;charset=utf-8;orvane-write=7-" + std::to_string(serial), "text/plain", "UTF8_STRING"};
}

Step copied(std::vector<std::string> types, std::int64_t count, bool latestSeen = true) {
  return {Step::selection, std::move(types), count, latestSeen};
}
Step emptied(std::int64_t count) { return {Step::cleared, {}, count}; }
Step wrote(std::int64_t count) { return {Step::write, {}, count, false}; }

TEST(ClipboardChangeCounter, Scenarios) {
  struct Scenario {
    const char* what;
    std::vector<Step> steps;
  };
  const std::vector<Scenario> scenarios = {
      {"what was there at start is no change, all after is",
       {copied(text, 0), copied(text, 1), copied({"image/png"}, 2), emptied(3), copied(text, 4)}},
      {"an empty clipboard at start", {emptied(0), copied(text, 1)}},
      {"our write counts once, when made", {copied(text, 0), wrote(1), copied(ours(1), 1), copied(text, 2)}},
      {"a copy made just before ours counts, ours not",
       {copied(text, 0), wrote(1), copied(text, 2, false), copied(ours(1), 2), copied(text, 3)}},
      {"two writes before either selection came",
       {copied(text, 0), wrote(1), wrote(2), copied(ours(1), 2, false), copied(ours(2), 2), copied(text, 3)}},
      {"our latest write offered again while it holds", {copied(text, 0), wrote(1), copied(ours(1), 1),
                                                          copied(ours(1), 1)}},
      {"our latest write brought back after another copy",
       {copied(text, 0), wrote(1), copied(ours(1), 1), copied(text, 2), copied(ours(1), 3)}},
      {"an older write of ours brought back",
       {copied(text, 0), wrote(1), copied(ours(1), 1), wrote(2), copied(ours(2), 2), copied(ours(1), 3)}},
      {"another program's mark, or a write we never made",
       {copied(text, 0), copied({"text/plain;charset=utf-8;orvane-write=8-1"}, 1), copied(ours(1), 2),
        copied({"text/plain;charset=utf-8;orvane-write=7-x"}, 3)}},
      {"our mark at start, from before", {copied(ours(1), 0), wrote(1), copied(ours(1), 1)}},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.what);
    ClipboardChangeCounter counter("orvane-write=7-");
    int writes = 0;
    for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
      const Step& step = scenario.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      switch (step.kind) {
        case Step::selection:
          counter.take(Selection{.types = step.types});
          break;
        case Step::cleared:
          counter.take(Selection{.cleared = true});
          break;
        case Step::write:
          EXPECT_EQ(counter.nextWriteType(), ours(++writes).front());
          counter.wrote();
          break;
      }
      EXPECT_EQ(counter.count(), step.count);
      EXPECT_EQ(counter.latestWriteSeen(), step.latestSeen);
    }
  }
}

}  // namespace
}  // namespace orvane
