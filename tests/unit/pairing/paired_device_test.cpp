#include "pairing/paired_device.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::json;

// 2001-01-01 00:00:00 UTC, the zero of the stored date.
const WallTime referenceDate = WallTime{} + 978307200s;

PairedDevice sample() {
  return PairedDevice{"pixel-8-0f3a", "Anna\u2019s Pixel \U0001F4F1", "n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg=",
                      referenceDate + 786297600s + 250ms, "004211"};
}

std::set<std::string> keysOf(const Json& object) {
  std::set<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.insert(key);
  return keys;
}

TEST(PairedDeviceJSON, HasExactlyTheFiveKeysWithTheDateFrom2001) {
  const Json object = Json::parse(sample().toJSON());
  EXPECT_EQ(keysOf(object),
            (std::set<std::string>{"deviceID", "deviceName", "tokenHashB64", "pairedAt", "discoveryToken"}));
  EXPECT_EQ(object["deviceID"], "pixel-8-0f3a");
  EXPECT_EQ(object["deviceName"], "Anna\u2019s Pixel \U0001F4F1");
  EXPECT_EQ(object["tokenHashB64"], "n4bQgYhMfWWaL+qgxVrQFaO/TxsrC4Is0V1sFbDwCgg=");
  ASSERT_TRUE(object["pairedAt"].is_number_float());
  EXPECT_DOUBLE_EQ(object["pairedAt"].get<double>(), 786297600.25);
  EXPECT_EQ(object["discoveryToken"], "004211");
}

TEST(PairedDeviceJSON, LeavesOutAMissingDiscoveryToken) {
  PairedDevice device = sample();
  device.discoveryToken.reset();
  const Json object = Json::parse(device.toJSON());
  EXPECT_EQ(keysOf(object), (std::set<std::string>{"deviceID", "deviceName", "tokenHashB64", "pairedAt"}));
  EXPECT_EQ(PairedDevice::fromJSON(toBytes(device.toJSON())), device);
}

TEST(PairedDeviceJSON, RoundTripsAndReadsDatesBefore2001) {
  PairedDevice device = sample();
  EXPECT_EQ(PairedDevice::fromJSON(toBytes(device.toJSON())), device);
  device.pairedAt = referenceDate - 86400s - 500ms;
  EXPECT_DOUBLE_EQ(Json::parse(device.toJSON())["pairedAt"].get<double>(), -86400.5);
  EXPECT_EQ(PairedDevice::fromJSON(toBytes(device.toJSON())), device);
}

TEST(PairedDeviceJSON, ReadsARecordWrittenByTheEarlierVersion) {
  // Key order, spacing and an integer date as another encoder may write them.
  const std::string written =
      "{\n  \"pairedAt\" : 786297600,\n  \"tokenHashB64\" : \"AAAA\",\n  \"deviceName\" : \"Pixel\",\n"
      "  \"deviceID\" : \"d-1\"\n}";
  const auto device = PairedDevice::fromJSON(toBytes(written));
  ASSERT_TRUE(device);
  EXPECT_EQ(device->deviceID, "d-1");
  EXPECT_EQ(device->deviceName, "Pixel");
  EXPECT_EQ(device->tokenHashB64, "AAAA");
  EXPECT_EQ(device->pairedAt, WallTime{} + 1764604800s);  // 2025-12-01 16:00:00 UTC
  EXPECT_EQ(device->discoveryToken, std::nullopt);
}

TEST(PairedDeviceJSON, RefusesWhatIsNotARecord) {
  const std::string good = R"("deviceID":"d","deviceName":"n","tokenHashB64":"h","pairedAt":1.5)";
  struct Row {
    const char* name;
    std::string json;
    bool decodes;
  };
  const Row rows[] = {
      {"complete", "{" + good + "}", true},
      {"with discovery token", "{" + good + R"(,"discoveryToken":"123456"})", true},
      {"null discovery token counts as absent", "{" + good + R"(,"discoveryToken":null})", true},
      {"unknown keys are ignored", "{" + good + R"(,"future":[1,2]})", true},
      {"discovery token as a number", "{" + good + R"(,"discoveryToken":123456})", false},
      {"no deviceID", R"({"deviceName":"n","tokenHashB64":"h","pairedAt":1.5})", false},
      {"no deviceName", R"({"deviceID":"d","tokenHashB64":"h","pairedAt":1.5})", false},
      {"no tokenHashB64", R"({"deviceID":"d","deviceName":"n","pairedAt":1.5})", false},
      {"no pairedAt", R"({"deviceID":"d","deviceName":"n","tokenHashB64":"h"})", false},
      {"deviceID as a number", R"({"deviceID":7,"deviceName":"n","tokenHashB64":"h","pairedAt":1.5})", false},
      {"deviceName null", R"({"deviceID":"d","deviceName":null,"tokenHashB64":"h","pairedAt":1.5})", false},
      {"pairedAt as text", R"({"deviceID":"d","deviceName":"n","tokenHashB64":"h","pairedAt":"1.5"})", false},
      {"an array", "[{" + good + "}]", false},
      {"truncated", "{" + good, false},
      {"empty", "", false},
      {"invalid UTF-8 in a string", "{" + good + ",\"discoveryToken\":\"\xC3\x28\"}", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PairedDevice::fromJSON(toBytes(row.json)).has_value(), row.decodes);
  }
}

TEST(PairedDeviceJSON, ADateBeyondTheClockIsKeptNotOverflowed) {
  const std::string json = R"({"deviceID":"d","deviceName":"n","tokenHashB64":"h","pairedAt":1e300})";
  const auto device = PairedDevice::fromJSON(toBytes(json));
  ASSERT_TRUE(device);
  EXPECT_GT(device->pairedAt, WallTime{} + std::chrono::hours(24 * 365 * 250));
}

TEST(PairedDeviceDiscoveryToken, IsSixZeroPaddedDigits) {
  bool sawLeadingZero = false;
  std::set<std::string> seen;
  // A leading zero comes once in ten draws; missing it in 300 has odds below 1e-13.
  for (int i = 0; i < 300; ++i) {
    const std::string code = PairedDevice::newDiscoveryToken();
    SCOPED_TRACE(code);
    ASSERT_EQ(code.size(), 6u);
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos);
    sawLeadingZero = sawLeadingZero || code[0] == '0';
    seen.insert(code);
  }
  EXPECT_TRUE(sawLeadingZero);
  EXPECT_GT(seen.size(), 290u);
}

}  // namespace
}  // namespace orvane
