#include "base/user_defaults.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orvane
