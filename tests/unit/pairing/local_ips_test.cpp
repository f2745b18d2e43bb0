#include "pairing/local_ips.hpp"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(LocalIPsPreferred, HomeNetworkFirstThenTenThen172ThenTheRest) {
  struct Row {
    const char* name;
    std::vector<std::string> ips;
    std::optional<std::string> expected;
  };
  const Row rows[] = {
      {"192.168 wins from last place", {"172.20.0.5", "10.0.0.2", "192.168.0.9"}, "192.168.0.9"},
      {"172 with any second octet beats others", {"8.8.4.4", "172.300.1.1"}, "172.300.1.1"},
      {"two 10 addresses keep their order", {"10.9.9.9", "10.0.0.1"}, "10.9.9.9"},
      {"10 beats 172", {"172.16.0.1", "10.1.1.1"}, "10.1.1.1"},
      {"two 192.168 addresses keep their order", {"8.8.8.8", "192.168.5.5", "192.168.1.1"}, "192.168.5.5"},
      {"prefix must match from the start", {"1.192.168.1", "8.8.8.8"}, "1.192.168.1"},
      {"only others: first one", {"100.64.0.1", "169.254.1.1"}, "100.64.0.1"},
      {"192.169 is not a home network", {"192.169.0.1", "172.16.0.1"}, "172.16.0.1"},
      {"single address", {"203.0.113.7"}, "203.0.113.7"},
      {"empty list", {}, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LocalIPs::preferred(row.ips), row.expected);
  }
}

}  // namespace
}  // namespace orvane
