// Observable values: the hub's hear every assignment, the store's only real changes; both
// in subscription order, and observers may come and go while one is being told.
#include "base/observable.hpp"
#include "base/published.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace orvane {
namespace {

TEST(Published, EveryAssignmentIsHeardEvenOfAnEqualValue) {
  Published<std::string> state("Starting\u2026");
  std::vector<std::string> heard;
  auto sub = state.subscribe([&](const std::string& v) { heard.push_back(v); });
  EXPECT_TRUE(heard.empty()) << "subscribing alone tells nothing";
  state = "Connected";
  state = "Connected";
  state.set("Not connected");
  EXPECT_EQ(heard, (std::vector<std::string>{"Connected", "Connected", "Not connected"}));
  EXPECT_EQ(*state, "Not connected");
}

TEST(Published, PrimingTellsTheCurrentValueFirst) {
  Published<int> port(17431);
  std::vector<int> heard;
  auto sub = port.subscribeAndPrime([&](int v) { heard.push_back(v); });
  port = 17432;
  EXPECT_EQ(heard, (std::vector<int>{17431, 17432}));
}

TEST(Published, ObserversRunInOrderAndStopWhenTheirSubscriptionEnds) {
  Published<int> value;
  std::vector<std::string> calls;
  auto a = value.subscribe([&](int) { calls.push_back("a"); });
  std::optional<Subscription> b = value.subscribe([&](int) { calls.push_back("b"); });
  auto c = value.subscribe([&](int) { calls.push_back("c"); });
  value = 1;
  b.reset();
  value = 2;
  c.reset();
  value = 3;
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "b", "c", "a", "c", "a"}));
  EXPECT_EQ(value.observerCount(), 1u);
}

TEST(Published, ObserversMayComeAndGoWhileOneIsTold) {
  Published<int> value;
  std::vector<std::string> calls;
  Subscription second;
  Subscription late;
  Subscription first = value.subscribe([&](int v) {
    calls.push_back("first " + std::to_string(v));
    if (v == 1) {
      second.reset();  // removed before its turn: not told
      late = value.subscribe([&](int w) { calls.push_back("late " + std::to_string(w)); });
    }
    if (v == 2) first.reset();  // removes itself while it runs
  });
  second = value.subscribe([&](int v) { calls.push_back("second " + std::to_string(v)); });
  value = 1;
  value = 2;
  value = 3;
  EXPECT_EQ(calls, (std::vector<std::string>{"first 1", "first 2", "late 2", "late 3"}));
}

TEST(Published, ManyObserversAreAllToldInOrderAndOneRemovedMidwayIsNot) {
  Published<int> value(0);
  std::vector<int> told;
  std::vector<Subscription> subscriptions(12);
  for (int i = 0; i < 12; ++i) {
    subscriptions[static_cast<std::size_t>(i)] = value.subscribe([&, i](int) {
      told.push_back(i);
      if (i == 9) subscriptions[11].reset();  // beyond the first eight
    });
  }
  value = 1;
  EXPECT_EQ(told, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(Published, AMovedSubscriptionStaysOneObserver) {
  Published<int> value;
  int heard = 0;
  Subscription moved = value.subscribe([&](int) { ++heard; });
  Subscription target;
  target = std::move(moved);
  moved.reset();  // the moved-from handle holds nothing
  value = 1;
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(value.observerCount(), 1u);
  target.reset();
  value = 2;
  EXPECT_EQ(heard, 1);
  EXPECT_EQ(value.observerCount(), 0u);
}

TEST(Published, AnObserverThatDestroysTheValueEndsTheRound) {
  auto value = std::make_unique<Published<int>>(0);
  int laterCalls = 0;
  auto first = value->subscribe([&](int) { value.reset(); });
  auto second = value->subscribe([&](int) { ++laterCalls; });
  value->set(1);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(laterCalls, 0);
}

TEST(Published, AnUpdateInPlaceIsHeardOnlyWhenItSaysItChanged) {
  Published<std::vector<int>> list;
  std::vector<std::vector<int>> heard;
  auto watching = list.subscribe([&](const std::vector<int>& v) { heard.push_back(v); });
  EXPECT_FALSE(list.update([](std::vector<int>&) { return false; }));
  EXPECT_TRUE(list.update([](std::vector<int>& v) {
    v.push_back(7);
    return true;
  }));
  EXPECT_EQ(heard, (std::vector<std::vector<int>>{{7}}));
}

TEST(Observable, OnlyARealChangeIsHeard) {
  Observable<std::string> name{"a"};
  std::vector<std::string> heard;
  auto watching = name.subscribe([&](const std::string& v) { heard.push_back(v); });
  EXPECT_FALSE(name.set("a"));
  EXPECT_TRUE(name.set("b"));
  name = "b";
  EXPECT_FALSE(name.modify([](std::string& v) { v = "b"; }));
  EXPECT_TRUE(name.modify([](std::string& v) { v += "c"; }));
  EXPECT_EQ(heard, (std::vector<std::string>{"b", "bc"}));
}

}  // namespace
}  // namespace orvane
