#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/qt/selection_log.hpp"

namespace orvane {

// The change count of a clipboard watched through its selections (SelectionLog), with
// our own writes told apart by the type they are offered in. Each write of ours offers
// its text, beside the usual text types, in one of its own,
// "text/plain;charset=utf-8;<tag><serial>", which no other program offers, so that its
// selection is known as ours wherever it comes among the others.
//
// The first selection is what the clipboard held when we started to watch: not a change.
// A write of ours moves the count when it is made, and its selection later does not, nor
// does our latest write offered again while it still holds the clipboard; every other
// selection moves it, an emptied clipboard and an older write of ours brought back too. Once the selection of our
// latest write has come, every selection before it has too: setString waits for that,
// so that a copy made just before our write is counted before setString returns, never
// after it.
class ClipboardChangeCounter {
 public:
  // `tag` tells this program's writes from another's (an "orvane-write=<pid>-").
  explicit ClipboardChangeCounter(std::string tag) : tag_(std::move(tag)) {}

  std::int64_t count() const { return count_; }
  // The type to offer our next write in.
  std::string nextWriteType();
  // That write has been made: a change.
  void wrote() { ++count_; }
  // Whether the selection of our latest write has come.
  bool latestWriteSeen() const { return seen_ >= issued_; }
  // A selection the log told of.
  void take(const Selection& selection);

 private:
  std::string tag_;
  std::uint64_t issued_ = 0;  // serial of the latest write type given out
  std::uint64_t seen_ = 0;    // serial of the latest write whose selection came
  bool holdsLatest_ = false;  // the clipboard holds our latest write, as we last heard
  bool started_ = false;
  std::int64_t count_ = 0;
};

}  // namespace orvane
