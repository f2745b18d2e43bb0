#pragma once

#include <string>
#include <vector>

#include "../../app/store/store_fixture.hpp"
#include "app/legal_state.hpp"
#include "ui/viewmodels/desktop_model.hpp"

namespace orvane::testing {

// The store fixture with what the windows' model tests share: the desktop model over
// it, a phone paired and connected as the server reports it, and the server's calls
// picked out by name.
class UiStoreTest : public StoreTest {
 protected:
  // The hub, the store and the model every window reads, not started; `hubOpened` and
  // `settingsOpened` count the times the shell was asked to bring those windows forward.
  void buildWithDesktop() {
    buildAll(false);
    legal = std::make_shared<LegalState>(defaults, clock);
    DesktopModel::Setup setup;
    setup.store = store;
    setup.hub = hub;
    setup.legal = legal;
    setup.shell.openHub = [this] { ++hubOpened; };
    setup.shell.openSettings = [this] { ++settingsOpened; };
    setup.versionText = "0.1.0";
    desktop = std::make_unique<DesktopModel>(std::move(setup));
  }

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

  std::shared_ptr<LegalState> legal;
  std::unique_ptr<DesktopModel> desktop;
  int hubOpened = 0;
  int settingsOpened = 0;
};

}  // namespace orvane::testing
