// How the headless output is written: at once without a queue; with one, gathered and
// written in one go once the queue gets to it, a list's state printed once, as it is
// then, at the place of its last change.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "cli/event_printer.hpp"

namespace orvane::cli {
namespace {

// Standard output for one test, read back as text.
class CapturedOutput {
 public:
  CapturedOutput() : file_(open_memstream(&buffer_, &size_)) {}
  ~CapturedOutput() {
    std::fclose(file_);
    std::free(buffer_);
  }
  std::FILE* file() const { return file_; }
  std::string text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

Event named(const char* name) { return Event{{"event", name}}; }

class BatchedPrinterTest : public ::testing::Test {
 protected:
  EventPrinter::StateBuilder listOf(const int* count) {
    return EventPrinter::stateBuilder(
        [count]() -> std::optional<Event> { return Event{{"event", "list"}, {"count", *count}}; });
  }

  CapturedOutput out_;
  FakeClock clock_;
  std::shared_ptr<ManualQueue> queue_ = std::make_shared<ManualQueue>("main", clock_);
  std::shared_ptr<EventPrinter> printer_ = std::make_shared<EventPrinter>(true, out_.file(), queue_);
};

TEST_F(BatchedPrinterTest, EventsWaitForTheQueueAndAreWrittenInOrder) {
  printer_->print(named("a"));
  printer_->print(named("b"));
  EXPECT_EQ(out_.text(), "");
  EXPECT_EQ(queue_->pending(), 1u) << "one flush for the burst";
  queue_->runUntilIdle();
  EXPECT_EQ(out_.text(), "{\"event\":\"a\"}\n{\"event\":\"b\"}\n");
}

TEST_F(BatchedPrinterTest, AStateChangedAgainIsPrintedOnceWhereItLastChangedWithItsValueThen) {
  int count = 1;
  printer_->print(named("a"));
  printer_->printState("list", listOf(&count));
  printer_->print(named("b"));
  count = 2;
  printer_->printState("list", listOf(&count));
  printer_->printState("other", EventPrinter::stateBuilder([] { return std::optional<Event>(named("other")); }));
  printer_->print(named("c"));
  count = 3;  // as it is when written
  queue_->runUntilIdle();
  EXPECT_EQ(out_.text(),
            "{\"event\":\"a\"}\n{\"event\":\"b\"}\n{\"event\":\"list\",\"count\":3}\n{\"event\":\"other\"}\n"
            "{\"event\":\"c\"}\n");

  // The next burst prints the state again.
  printer_->printState("list", listOf(&count));
  queue_->runUntilIdle();
  EXPECT_TRUE(out_.text().ends_with("{\"event\":\"c\"}\n{\"event\":\"list\",\"count\":3}\n"));
}

TEST_F(BatchedPrinterTest, ALongBurstIsWrittenInPiecesUpToTheFirstStateStillOpen) {
  const Event big{{"event", "big"}, {"text", std::string(500, 'x')}};
  const std::string bigLine = big.dump() + "\n";
  int count = 1;
  // Everything before the state can be written while the burst goes on.
  for (int i = 0; i < 200; ++i) printer_->print(big);
  printer_->printState("list", listOf(&count));
  printer_->print(named("after"));
  const std::size_t early = out_.text().size();
  EXPECT_GE(early, 64u * 1024);
  EXPECT_EQ(early % bigLine.size(), 0u) << "whole lines only";
  queue_->runUntilIdle();
  std::string expected;
  for (int i = 0; i < 200; ++i) expected += bigLine;
  EXPECT_EQ(out_.text(), expected + "{\"event\":\"list\",\"count\":1}\n{\"event\":\"after\"}\n");

  // A state still open early in the burst holds everything after it until the flush:
  // its event may yet move.
  printer_->printState("list", listOf(&count));
  for (int i = 0; i < 200; ++i) printer_->print(big);
  EXPECT_EQ(out_.text().size(), expected.size() + 45);
  count = 2;
  // Moved to the end, the state no longer holds what came before its new place.
  printer_->printState("list", listOf(&count));
  EXPECT_EQ(out_.text().size(), expected.size() + 45 + 200 * bigLine.size());
  queue_->runUntilIdle();
  EXPECT_TRUE(out_.text().ends_with(bigLine + "{\"event\":\"list\",\"count\":2}\n"));
}

TEST_F(BatchedPrinterTest, AStateWhoseSourceIsGoneIsLeftOut) {
  printer_->printState("list", EventPrinter::stateBuilder([] { return std::optional<Event>(); }));
  printer_->print(named("a"));
  queue_->runUntilIdle();
  EXPECT_EQ(out_.text(), "{\"event\":\"a\"}\n");
}

TEST_F(BatchedPrinterTest, ANoteAndTheEndOfThePrinterWriteWhatWaits) {
  printer_->print(named("a"));
  printer_->flush();
  EXPECT_EQ(out_.text(), "{\"event\":\"a\"}\n");
  printer_->print(named("b"));
  printer_.reset();
  EXPECT_EQ(out_.text(), "{\"event\":\"a\"}\n{\"event\":\"b\"}\n");
  queue_->runUntilIdle();  // the flush posted for "b" finds the printer gone
}

TEST(UnbatchedPrinter, WritesEveryEventAndStateAtOnce) {
  CapturedOutput out;
  EventPrinter printer(true, out.file());
  int count = 1;
  const auto list = EventPrinter::stateBuilder(
      [&count]() -> std::optional<Event> { return Event{{"event", "list"}, {"count", count}}; });
  printer.printState("list", list);
  count = 2;
  printer.printState("list", list);
  EXPECT_EQ(out.text(), "{\"event\":\"list\",\"count\":1}\n{\"event\":\"list\",\"count\":2}\n");
}

}  // namespace
}  // namespace orvane::cli
