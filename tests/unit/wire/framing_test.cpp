#include "wire/framing.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

Bytes header(std::uint32_t n) {
  return {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n)};
}

Bytes frameOf(const Bytes& payload) {
  Bytes out = header(static_cast<std::uint32_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Pops once and expects a complete frame.
Bytes popPayload(Framing::Buffer& buffer) {
  auto r = buffer.popFrame();
  EXPECT_TRUE(r.has_value()) << "unexpected invalidLength " << r.error().invalidLength;
  if (!r.has_value() || !r->has_value()) {
    ADD_FAILURE() << "expected a complete frame";
    return {};
  }
  return **r;
}

void expectNoFrame(Framing::Buffer& buffer) {
  auto r = buffer.popFrame();
  ASSERT_TRUE(r.has_value()) << "unexpected invalidLength " << r.error().invalidLength;
  EXPECT_FALSE(r->has_value());
}

TEST(FramingBuffer, FewerThanFourBytesAreKeptWithoutAFrame) {
  // A prefix of a header announcing 0 would be refused once complete: nothing may be
  // decided before all four bytes are in.
  const Bytes zeroHeader = header(0);
  for (std::size_t n = 0; n < Framing::headerSize; ++n) {
    SCOPED_TRACE("buffered bytes: " + std::to_string(n));
    Framing::Buffer buffer;
    buffer.append(Bytes(zeroHeader.begin(), zeroHeader.begin() + static_cast<std::ptrdiff_t>(n)));
    expectNoFrame(buffer);
    EXPECT_EQ(buffer.size(), n);
  }
}

TEST(FramingBuffer, AnnouncedLengthIsCheckedAsSoonAsTheHeaderIsIn) {
  struct Row {
    const char* name;
    std::uint32_t announced;
    std::size_t payloadPresent;
    bool valid;
  };
  const Row rows[] = {
      {"one byte", 1, 1, true},
      {"largest payload", 65536, 65536, true},
      {"one above the largest, header only", 65537, 0, false},
      {"one above the largest, with bytes behind", 65537, 100, false},
      {"zero", 0, 0, false},
      {"all bits set", 0xFFFFFFFFu, 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Framing::Buffer buffer;
    const Bytes payload(row.payloadPresent, 0x7B);
    buffer.append(concat({header(row.announced), payload}));
    const std::size_t before = buffer.size();
    auto r = buffer.popFrame();
    if (row.valid) {
      ASSERT_TRUE(r.has_value());
      ASSERT_TRUE(r->has_value());
      EXPECT_EQ(**r, payload);
      EXPECT_EQ(buffer.size(), 0u);
    } else {
      ASSERT_FALSE(r.has_value());
      EXPECT_EQ(r.error(), Framing::Error{row.announced});
      // Left as it was: the same error again, nothing consumed.
      EXPECT_EQ(buffer.size(), before);
      auto again = buffer.popFrame();
      ASSERT_FALSE(again.has_value());
      EXPECT_EQ(again.error(), Framing::Error{row.announced});
    }
  }
}

TEST(FramingBuffer, ErrorAfterAGoodFrameLeavesTheBadHeaderBuffered) {
  Framing::Buffer buffer;
  buffer.append(concat({frameOf(toBytes("ok")), header(70000), toBytes("xy")}));
  EXPECT_EQ(popPayload(buffer), toBytes("ok"));
  auto r = buffer.popFrame();
  ASSERT_FALSE(r.has_value());
  EXPECT_EQ(r.error().invalidLength, 70000u);
  EXPECT_EQ(buffer.size(), 6u);
}

TEST(FramingBuffer, CutsFramesInOrderAndKeepsThePartialTail) {
  const Bytes first = toBytes(R"({"v":1})");
  const Bytes second = toBytes("second payload");
  const Bytes third = toBytes("third");
  const Bytes thirdFrame = frameOf(third);

  Framing::Buffer buffer;
  buffer.append(concat({frameOf(first), frameOf(second), Bytes(thirdFrame.begin(), thirdFrame.begin() + 3)}));
  EXPECT_EQ(popPayload(buffer), first);
  EXPECT_EQ(popPayload(buffer), second);
  expectNoFrame(buffer);
  EXPECT_EQ(buffer.size(), 3u);

  buffer.append(Bytes(thirdFrame.begin() + 3, thirdFrame.end()));
  EXPECT_EQ(popPayload(buffer), third);
  expectNoFrame(buffer);
  EXPECT_EQ(buffer.size(), 0u);
}

TEST(FramingBuffer, FrameArrivingByteByByteIsReturnedOnceOnItsLastByte) {
  const Bytes payloads[] = {toBytes("a"), Bytes(300, 0x41), toBytes("end")};
  Bytes stream;
  for (const auto& p : payloads) stream = concat({stream, frameOf(p)});

  Framing::Buffer buffer;
  std::vector<Bytes> received;
  std::vector<std::size_t> completedAt;
  for (std::size_t i = 0; i < stream.size(); ++i) {
    buffer.append(&stream[i], 1);
    while (true) {
      auto r = buffer.popFrame();
      ASSERT_TRUE(r.has_value());
      if (!r->has_value()) break;
      received.push_back(**r);
      completedAt.push_back(i + 1);
    }
  }
  ASSERT_EQ(received.size(), 3u);
  std::size_t end = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE("frame " + std::to_string(k));
    end += Framing::headerSize + payloads[k].size();
    EXPECT_EQ(received[k], payloads[k]);
    EXPECT_EQ(completedAt[k], end);
  }
}

TEST(FramingBuffer, StorageIsReleasedWhenTheBufferEmpties) {
  Framing::Buffer buffer;
  const Bytes big(Framing::maxPayload, 0x20);
  const Bytes bigFrame = frameOf(big);
  buffer.append(bigFrame);
  EXPECT_GE(buffer.capacity(), bigFrame.size());
  EXPECT_EQ(popPayload(buffer), big);
  EXPECT_EQ(buffer.size(), 0u);
  EXPECT_EQ(buffer.capacity(), 0u);

  // With a partial frame behind, the storage is kept until that frame is taken too.
  const Bytes small = frameOf(toBytes("tail"));
  buffer.append(concat({bigFrame, Bytes(small.begin(), small.begin() + 5)}));
  EXPECT_EQ(popPayload(buffer), big);
  expectNoFrame(buffer);
  EXPECT_EQ(buffer.size(), 5u);
  EXPECT_GT(buffer.capacity(), 0u);
  buffer.append(Bytes(small.begin() + 5, small.end()));
  EXPECT_EQ(popPayload(buffer), toBytes("tail"));
  EXPECT_EQ(buffer.capacity(), 0u);
}

TEST(FramingBuffer, ConsumedFramesDoNotAccumulateAcrossBatches) {
  // Many frames each followed by a partial one: between batches the buffer holds only
  // the unfinished frame, not everything that was already cut.
  const Bytes frame = frameOf(Bytes(1000, 0x61));
  Framing::Buffer buffer;
  buffer.append(Bytes(frame.begin(), frame.begin() + 500));
  for (int round = 0; round < 200; ++round) {
    buffer.append(concat({Bytes(frame.begin() + 500, frame.end()), Bytes(frame.begin(), frame.begin() + 500)}));
    EXPECT_EQ(popPayload(buffer).size(), 1000u);
    expectNoFrame(buffer);
    ASSERT_EQ(buffer.size(), 500u);
  }
  EXPECT_LT(buffer.capacity(), 4 * frame.size());
}

TEST(FramingEncode, PrefixesTheBigEndianLengthWithinBounds) {
  struct Row {
    const char* name;
    std::size_t size;
    bool framed;
  };
  const Row rows[] = {
      {"empty", 0, false},
      {"one byte", 1, true},
      {"258 bytes", 258, true},
      {"largest payload", 65536, true},
      {"one above the largest", 65537, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Bytes json(row.size);
    for (std::size_t i = 0; i < json.size(); ++i) json[i] = static_cast<std::uint8_t>('a' + i % 26);
    const auto frame = Framing::encode(json);
    ASSERT_EQ(frame.has_value(), row.framed);
    if (!frame) continue;
    ASSERT_EQ(frame->size(), row.size + 4);
    EXPECT_EQ(Bytes(frame->begin(), frame->begin() + 4), header(static_cast<std::uint32_t>(row.size)));
    EXPECT_EQ(Bytes(frame->begin() + 4, frame->end()), json);
    EXPECT_EQ(Framing::encode(std::string(json.begin(), json.end())), frame);

    Framing::Buffer buffer;
    buffer.append(*frame);
    EXPECT_EQ(popPayload(buffer), json);
  }
}

TEST(FramingEncode, WritesTheLengthInNetworkOrder) {
  const auto frame = Framing::encode(std::string(0x0102, 'x'));
  ASSERT_TRUE(frame);
  EXPECT_EQ(Bytes(frame->begin(), frame->begin() + 4), (Bytes{0x00, 0x00, 0x01, 0x02}));
}

}  // namespace
}  // namespace orvane
