// When the pairing sheet comes up and goes away by itself.
#include "ui/models/pairing_sheet_presenter.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

enum class Step { request, dismiss, phoneAsks, requestCleared, paired, forgotten };

const char* nameOf(Step step) {
  static constexpr const char* names[] = {"request", "dismiss", "phoneAsks", "requestCleared", "paired", "forgotten"};
  return names[static_cast<int>(step)];
}

class PairingSheetPresenterTest : public ModelTest {
 protected:
  void take(Step step, PairingSheetPresenter& presenter) {
    switch (step) {
      case Step::request:
        presenter.request();
        break;
      case Step::dismiss:
        presenter.dismiss();
        break;
      case Step::phoneAsks:
        store->pendingDeviceName = std::string("Pixel 8");
        break;
      case Step::requestCleared:
        store->pendingDeviceName = std::nullopt;
        break;
      case Step::paired:
        store->pairing = DeviceBridgeStore::PairingStatus::paired;
        break;
      case Step::forgotten:
        store->pairing = DeviceBridgeStore::PairingStatus::none;
        break;
    }
  }
};

TEST_F(PairingSheetPresenterTest, ShownOnRequestOrWhenAPhoneAsksAndGoneOncePaired) {
  struct Row {
    std::vector<Step> steps;
    bool shown;
  };
  const std::vector<Row> rows{
      {{}, false},
      {{Step::request}, true},
      {{Step::request, Step::dismiss}, false},
      {{Step::phoneAsks}, true},                        // a phone asking brings the sheet up for approval
      {{Step::phoneAsks, Step::requestCleared}, true},  // denied: back to the code, still shown
      {{Step::request, Step::phoneAsks, Step::requestCleared, Step::paired}, false},
      {{Step::phoneAsks, Step::paired}, false},
      {{Step::phoneAsks, Step::dismiss}, false},
      {{Step::phoneAsks, Step::dismiss, Step::requestCleared, Step::phoneAsks}, true},
      {{Step::paired, Step::request}, true},  // "Pair new device…" with a phone paired already
      {{Step::paired, Step::request, Step::forgotten}, true},
      {{Step::paired, Step::forgotten, Step::request, Step::paired}, false},
  };
  for (const Row& row : rows) {
    store->pendingDeviceName = std::nullopt;
    store->pairing = DeviceBridgeStore::PairingStatus::none;
    PairingSheetPresenter presenter(*store);
    std::string story;
    for (Step step : row.steps) {
      take(step, presenter);
      story += std::string(nameOf(step)) + " ";
    }
    EXPECT_EQ(*presenter.showPairing, row.shown) << story;
  }
}

}  // namespace
}  // namespace orvane::testing
