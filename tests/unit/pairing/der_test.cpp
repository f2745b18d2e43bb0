#include "pairing/der.hpp"

#include <gtest/gtest.h>

#include <chrono>

namespace orvane {
namespace {

TEST(DerLength, ShortFormBelow128LongFormWithMinimalBytesAbove) {
  struct Row {
    std::size_t n;
    Bytes expected;
  };
  const Row rows[] = {
      {0, {0x00}},
      {127, {0x7F}},
      {128, {0x81, 0x80}},
      {255, {0x81, 0xFF}},
      {256, {0x82, 0x01, 0x00}},
      {65536, {0x83, 0x01, 0x00, 0x00}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.n);
    EXPECT_EQ(DER::length(row.n), row.expected);
  }
}

TEST(DerTlv, SequenceWrapsConcatenatedItemsWithLongLength) {
  Bytes item(200, 0xAB);
  Bytes seq = DER::sequence({DER::tlv(0x04, item), DER::tlv(0x05, {})});
  // 3 bytes of header + 200 content for the first item, 2 for the empty NULL.
  ASSERT_EQ(seq.size(), 3u + 205u);
  EXPECT_EQ((Bytes{seq.begin(), seq.begin() + 6}), (Bytes{0x30, 0x81, 0xCD, 0x04, 0x81, 0xC8}));
  EXPECT_EQ((Bytes{seq.end() - 2, seq.end()}), (Bytes{0x05, 0x00}));
}

TEST(DerInteger, DropsLeadingZerosAndGuardsTheSignBit) {
  struct Row {
    const char* name;
    Bytes raw;
    Bytes expected;
  };
  const Row rows[] = {
      {"plain", {0x01, 0x02}, {0x02, 0x02, 0x01, 0x02}},
      {"leading zeros dropped", {0x00, 0x00, 0x7F, 0x01}, {0x02, 0x02, 0x7F, 0x01}},
      {"top bit set gets 0x00", {0x80, 0x01}, {0x02, 0x03, 0x00, 0x80, 0x01}},
      {"zeros dropped then 0x00 for top bit", {0x00, 0x00, 0xFF}, {0x02, 0x02, 0x00, 0xFF}},
      {"zero keeps one byte", {0x00, 0x00, 0x00}, {0x02, 0x01, 0x00}},
      {"empty is zero", {}, {0x02, 0x01, 0x00}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DER::integerBytes(row.raw), row.expected);
  }
}

TEST(DerOid, EncodesArcsInBase128) {
  struct Row {
    std::vector<std::uint64_t> arcs;
    Bytes expected;
  };
  const Row rows[] = {
      {{1, 2, 840, 10045, 2, 1}, {0x06, 0x07, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01}},
      {{1, 2, 840, 10045, 3, 1, 7}, {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07}},
      {{1, 2, 840, 10045, 4, 3, 2}, {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x04, 0x03, 0x02}},
      {{2, 5, 4, 3}, {0x06, 0x03, 0x55, 0x04, 0x03}},
      {{1, 3, 16384}, {0x06, 0x04, 0x2B, 0x81, 0x80, 0x00}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.arcs));
    EXPECT_EQ(DER::oid(row.arcs), row.expected);
  }
}

TEST(DerOid, ArcsThatCannotBeEncodedGiveNothing) {
  EXPECT_TRUE(DER::oid({1}).empty());
  EXPECT_TRUE(DER::oid({6, 16}).empty());  // 40 * 6 + 16 = 256
  EXPECT_EQ(DER::oid({6, 15}), (Bytes{0x06, 0x01, 0xFF}));
}

TEST(DerStrings, Utf8StringAndUtcTime) {
  EXPECT_EQ(DER::utf8String("Orvane-é"), (Bytes{0x0C, 0x09, 'O', 'r', 'v', 'a', 'n', 'e', '-', 0xC3, 0xA9}));

  // 2026-01-05 14:30:00.750 UTC: the fraction is cut off, not rounded.
  WallTime t = WallTime{} + std::chrono::seconds(1767623400) + std::chrono::milliseconds(750);
  EXPECT_EQ(DER::utcTime(t), DER::tlv(0x17, toBytes("260105143000Z")));
  // 1999-12-31 23:59:59 UTC: two-digit year.
  EXPECT_EQ(DER::utcTime(WallTime{} + std::chrono::seconds(946684799)), DER::tlv(0x17, toBytes("991231235959Z")));
}

}  // namespace
}  // namespace orvane
