#include "base/user_defaults.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orvane {
namespace {

using namespace std::chrono_literals;

class MemoryUserDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults_.set("string", std::string("text"));
    defaults_.set("bool", true);
    defaults_.set("integer", std::int64_t{1});
    defaults_.set("double", 1.0);
    defaults_.set("data", Bytes{0x01, 0x02});
    defaults_.set("date", date_);
  }

  const WallTime date_ = WallTime{} + 1767623400s;
  MemoryUserDefaults defaults_;
};

// Each reader gives a value only for its own type: an integer 1 is not true, a double
// 1.0 is not an integer, a string is not data.
TEST_F(MemoryUserDefaultsTest, TypedReadersMatchOnlyTheirType) {
  struct Row {
    const char* key;
    bool string, boolean, integer, data, date;
  };
  const std::vector<Row> rows = {
      {"string", true, false, false, false, false},  {"bool", false, true, false, false, false},
      {"integer", false, false, true, false, false}, {"double", false, false, false, false, false},
      {"data", false, false, false, true, false},    {"date", false, false, false, false, true},
      {"missing", false, false, false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    EXPECT_EQ(defaults_.string(row.key).has_value(), row.string);
    EXPECT_EQ(defaults_.boolean(row.key).has_value(), row.boolean);
    EXPECT_EQ(defaults_.integer(row.key).has_value(), row.integer);
    EXPECT_EQ(defaults_.data(row.key).has_value(), row.data);
    EXPECT_EQ(defaults_.date(row.key).has_value(), row.date);
    EXPECT_EQ(defaults_.boolOrFalse(row.key), row.boolean);
    EXPECT_EQ(defaults_.object(row.key).has_value(), std::string_view(row.key) != "missing");
  }
  EXPECT_EQ(defaults_.string("string"), "text");
  EXPECT_EQ(defaults_.boolean("bool"), true);
  EXPECT_EQ(defaults_.integer("integer"), 1);
  EXPECT_EQ(defaults_.data("data"), (Bytes{0x01, 0x02}));
  EXPECT_EQ(defaults_.date("date"), date_);
}

TEST_F(MemoryUserDefaultsTest, SetReplacesAndRemoveForgets) {
  defaults_.set("bool", false);
  EXPECT_EQ(defaults_.boolean("bool"), false);
  EXPECT_FALSE(defaults_.boolOrFalse("bool"));

  defaults_.set("integer", std::string("1"));  // a new type replaces the old value
  EXPECT_EQ(defaults_.integer("integer"), std::nullopt);
  EXPECT_EQ(defaults_.string("integer"), "1");
  EXPECT_EQ(defaults_.size(), 6u);

  defaults_.remove("string");
  defaults_.remove("string");
  defaults_.remove("never set");
  EXPECT_EQ(defaults_.string("string"), std::nullopt);
  EXPECT_EQ(defaults_.size(), 5u);
}

TEST_F(MemoryUserDefaultsTest, SetManyStoresEveryPairAndTheLastOfAKeyWins) {
  defaults_.setMany({{"string", std::string("new")},
                     {"fresh", std::int64_t{7}},
                     {"bool", false},
                     {"fresh", std::int64_t{8}}});
  EXPECT_EQ(defaults_.string("string"), "new");
  EXPECT_EQ(defaults_.boolean("bool"), false);
  EXPECT_EQ(defaults_.integer("fresh"), 8);
  EXPECT_EQ(defaults_.data("data"), (Bytes{0x01, 0x02}));  // untouched
  EXPECT_EQ(defaults_.size(), 7u);

  defaults_.setMany({});
  EXPECT_EQ(defaults_.size(), 7u);
}

// A reader on another thread sees a batch whole or not at all. Each batch stores the
// same counter under every key, first to last; the reader reads the first key and
// then the last, so the last can never be behind unless it caught a half-applied
// batch.
TEST(MemoryUserDefaultsBatch, ReaderNeverSeesHalfABatch) {
  const std::vector<std::string> keys = {"k0", "k1", "k2", "k3", "k4", "k5", "k6", "k7"};
  auto batch = [&](std::int64_t counter) {
    std::vector<std::pair<std::string, DefaultsValue>> values;
    for (const std::string& key : keys) values.emplace_back(key, counter);
    return values;
  };
  MemoryUserDefaults defaults;
  defaults.setMany(batch(0));
  constexpr std::int64_t rounds = 20000;
  std::atomic<bool> done = false;
  std::thread writer([&] {
    for (std::int64_t i = 1; i <= rounds; ++i) defaults.setMany(batch(i));
    done = true;
  });
  std::int64_t torn = 0;
  std::int64_t reads = 0;
  while (!done || reads == 0) {
    const std::int64_t first = defaults.integer(keys.front()).value_or(-1);
    const std::int64_t last = defaults.integer(keys.back()).value_or(-1);
    if (last < first) ++torn;
    ++reads;
  }
  writer.join();
  EXPECT_EQ(torn, 0) << "of " << reads << " reads";
  EXPECT_EQ(defaults.integer(keys.back()), rounds);
}

// The port's own setMany, for stores that do not batch: one set per pair, in order.
TEST(UserDefaultsSetMany, DefaultSetsEachPairInOrder) {
  class Recording final : public UserDefaults {
   public:
    std::optional<DefaultsValue> object(std::string_view key) const override { return memory.object(key); }
    void set(std::string_view key, DefaultsValue value) override {
      calls.emplace_back(key);
      memory.set(key, std::move(value));
    }
    void remove(std::string_view key) override { memory.remove(key); }
    std::vector<std::string> calls;
    MemoryUserDefaults memory;
  };
  Recording defaults;
  defaults.setMany({{"b", std::string("x")}, {"a", true}, {"b", std::string("y")}});
  EXPECT_EQ(defaults.calls, (std::vector<std::string>{"b", "a", "b"}));
  EXPECT_EQ(defaults.string("b"), "y");
  EXPECT_EQ(defaults.boolean("a"), true);
}

}  // namespace
}  // namespace orvane
