#include "platform/linux/posix_host_info.hpp"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace orvane {
namespace {

// IPv4 addresses of the interfaces that are up, by the older ioctl interface, as a
// second opinion on getifaddrs.
std::vector<std::pair<std::string, bool>> addressesByIoctl() {
  std::vector<std::pair<std::string, bool>> out;  // address, loopback
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return out;
  std::vector<ifreq> requests(64);
  ifconf conf{};
  conf.ifc_len = static_cast<int>(requests.size() * sizeof(ifreq));
  conf.ifc_req = requests.data();
  if (::ioctl(fd, SIOCGIFCONF, &conf) == 0) {
    for (int i = 0; i < conf.ifc_len / static_cast<int>(sizeof(ifreq)); ++i) {
      ifreq& request = requests[static_cast<std::size_t>(i)];
      char text[INET_ADDRSTRLEN] = {};
      const auto* address = reinterpret_cast<const sockaddr_in*>(&request.ifr_addr);
      if (!::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) continue;
      ifreq flags = request;
      const bool loopback = ::ioctl(fd, SIOCGIFFLAGS, &flags) == 0 && (flags.ifr_flags & IFF_LOOPBACK) != 0;
      out.emplace_back(text, loopback);
    }
  }
  ::close(fd);
  return out;
}

TEST(PosixHostInfo, ListsEveryNonLoopbackIPv4AddressAsDottedText) {
  PosixHostInfo host;
  const auto ips = host.localIPv4();
  for (const std::string& ip : ips) {
    SCOPED_TRACE(ip);
    in_addr parsed{};
    EXPECT_EQ(::inet_pton(AF_INET, ip.c_str(), &parsed), 1);
    EXPECT_FALSE(ip.starts_with("127."));
  }
  const auto reference = addressesByIoctl();
  ASSERT_FALSE(reference.empty()) << "no IPv4 interface at all, not even loopback";
  for (const auto& [address, loopback] : reference) {
    SCOPED_TRACE(address);
    EXPECT_EQ(std::find(ips.begin(), ips.end(), address) != ips.end(), !loopback);
  }
}

TEST(PosixHostInfo, NameIsTheKernelHostName) {
  std::ifstream in("/proc/sys/kernel/hostname");
  std::string expected;
  std::getline(in, expected);
  PosixHostInfo host;
  if (expected.empty()) {
    EXPECT_EQ(host.localizedHostName(), std::nullopt);
  } else {
    EXPECT_EQ(host.localizedHostName(), expected);
  }
}

}  // namespace
}  // namespace orvane
