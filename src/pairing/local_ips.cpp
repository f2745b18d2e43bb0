#include <algorithm>

#include "pairing/local_ips.hpp"

namespace orvane::LocalIPs {

namespace {

// Home networks first, then the larger private ranges. "172." is matched whatever the
// second octet, so 172.300.1.1 (not an address at all) still ranks before others.
int rank(const std::string& ip) {
  if (ip.starts_with("192.168.")) return 0;
  if (ip.starts_with("10.")) return 1;
  if (ip.starts_with("172.")) return 2;
  return 3;
}

}  // namespace

std::optional<std::string> preferred(const std::vector<std::string>& ips) {
  if (ips.empty()) return std::nullopt;
  std::vector<std::string> sorted = ips;
  // Stable: equal ranks keep the interfaces' enumeration order.
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
  return sorted.front();
}

}  // namespace orvane::LocalIPs
