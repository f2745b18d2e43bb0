#include "platform/linux/posix_host_info.hpp"

#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {

std::optional<std::string> PosixHostInfo::localizedHostName() {
  char name[1025] = {};
  // gethostname does not promise a terminator when the name is cut; the last byte
  // stays zero because it is never handed over.
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
  return std::string(name);
}

std::vector<std::string> PosixHostInfo::localIPv4() {
  std::vector<std::string> out;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return out;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    // Only loopback is left out: an interface that is down but has an address may be
    // up again by the time the phone scans the code.
    if ((entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
    char host[1025];
    if (::getnameinfo(entry->ifa_addr, sizeof(sockaddr_in), host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) {
      continue;
    }
    out.emplace_back(host);
  }
  ::freeifaddrs(list);
  return out;
}

}  // namespace orvane
