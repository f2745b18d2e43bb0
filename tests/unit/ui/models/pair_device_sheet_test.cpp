// The pairing sheet: the code step with its countdown, or the approval step once a
// phone asks, and the address under both.
#include "ui/models/pair_device_sheet.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

using Code = PairDeviceSheet::CodeStep;
using Approval = PairDeviceSheet::ApprovalStep;

class PairDeviceSheetTest : public ModelTest {
 protected:
  static QRImage anImage() { return *QRImage::make("ZEL1|ip=192.0.2.5", 120); }
};

TEST_F(PairDeviceSheetTest, TheStepAndItsTextsFollowThePendingRequestAndTheCode) {
  using Text = std::optional<std::string>;
  struct Row {
    Text pending;
    bool image;
    std::int64_t seconds;
    std::string subtitle;
    std::variant<Code, Approval> step;
  };
  const std::vector<Row> rows{
      {std::nullopt, false, 0, "Preparing code\u2026", Code{false, "Preparing code\u2026", "Expires in 0s"}},
      {std::nullopt, true, 300, "Scan the code with your phone", Code{true, std::nullopt, "Expires in 300s"}},
      {std::nullopt, true, 42, "Scan the code with your phone", Code{true, std::nullopt, "Expires in 42s"}},
      {std::nullopt, true, 1, "Scan the code with your phone", Code{true, std::nullopt, "Expires in 1s"}},
      {"Pixel 8", true, 42, "Confirm on this Mac", Approval{"Pixel 8"}},
      {"Pixel 8", false, 0, "Confirm on this Mac", Approval{"Pixel 8"}},  // a request needs no code on screen
      {"", true, 42, "Confirm on this Mac", Approval{""}},
  };
  for (const Row& row : rows) {
    store->pendingDeviceName = row.pending;
    store->qrImage = row.image ? std::optional<QRImage>(anImage()) : std::nullopt;
    store->qrSecondsRemaining = row.seconds;
    const PairDeviceSheet sheet = PairDeviceSheet::of(*store);
    const std::string story = row.pending.value_or("(no request)") + (row.image ? ", code" : ", no code");
    EXPECT_EQ(sheet.subtitle, row.subtitle) << story;
    EXPECT_EQ(sheet.step, row.step) << story;
  }
}

TEST_F(PairDeviceSheetTest, TheCountdownFollowsTheStoreEverySecond) {
  store->qrImage = anImage();
  for (std::int64_t seconds : {300, 299, 10, 9, 0}) {
    store->qrSecondsRemaining = seconds;
    const PairDeviceSheet sheet = PairDeviceSheet::of(*store);
    const auto* code = std::get_if<Code>(&sheet.step);
    ASSERT_TRUE(code);
    EXPECT_EQ(code->countdown, "Expires in " + std::to_string(seconds) + "s");
  }
}

TEST_F(PairDeviceSheetTest, ARequestTurnsTheSheetToApprovalAndItsEndTurnsItBack) {
  store->qrImage = anImage();
  EXPECT_FALSE(PairDeviceSheet::of(*store).isApproval());
  store->pendingDeviceName = std::string("Pixel 8");
  EXPECT_TRUE(PairDeviceSheet::of(*store).isApproval());
  store->pendingDeviceName = std::nullopt;  // denied: the server clears the request
  EXPECT_FALSE(PairDeviceSheet::of(*store).isApproval());
}

TEST_F(PairDeviceSheetTest, ReturnApprovesOnlyOnTheApprovalStep) {
  EXPECT_EQ(PairDeviceSheet::of(*store).returnAction(), std::nullopt);
  store->pendingDeviceName = std::string("Pixel 8");
  EXPECT_EQ(PairDeviceSheet::of(*store).returnAction(), BridgeAction::approve());
}

TEST_F(PairDeviceSheetTest, TheAddressIsShownOnceTheListenerHasOne) {
  const std::vector<std::tuple<std::string, std::uint16_t, std::optional<std::string>>> rows{
      {"", 17431, std::nullopt},
      {"192.0.2.5", 17431, "192.0.2.5:17431"},
      {"10.0.0.7", 40000, "10.0.0.7:40000"},
  };
  for (const auto& [address, port, shown] : rows) {
    store->localAddress = address;
    store->localPort = port;
    EXPECT_EQ(PairDeviceSheet::of(*store).address, shown) << address;
  }
}

}  // namespace
}  // namespace orvane::testing
