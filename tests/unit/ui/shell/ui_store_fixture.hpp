#pragma once

#include <string>
#include <vector>

#include "../../app/store/store_fixture.hpp"

namespace orvane::testing {

// The store fixture with what the windows' model tests share: a phone paired and
// connected as the server reports it, and the server's calls picked out by name.
class UiStoreTest : public StoreTest {
 protected:
  void connectPhone() {
    hub->serverPairedDeviceChanged(std::string("Pixel"), std::string("phone-1"));
    connect();
    settle();
  }

  std::vector<std::string> serverCalls(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& call : server->calls) {
      if (call.rfind(prefix, 0) == 0) found.push_back(call);
    }
    return found;
  }
};

}  // namespace orvane::testing
