// The rendition steps (quality first, then size), the preference for the source
// itself, and the one-entry cache, against a codec whose encoded sizes the test sets.
#include "features/media/artwork_rendition.hpp"

#include "base/codec.hpp"
#include "features/media/media_feature.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace orvane {
namespace {

struct Attempt {
  int px;
  int quality;  // percent, rounded
  bool operator==(const Attempt&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Attempt& a) { return out << a.px << "@" << a.quality; }

class ScriptedCodec final : public ArtworkCodec {
 public:
  std::optional<SourceInfo> info = SourceInfo{3000, 3000, Format::jpeg};
  // The size of the JPEG made at a size and quality; none: encoding fails.
  std::function<std::optional<std::size_t>(int px, double quality)> jpegSize = [](int, double) {
    return std::optional<std::size_t>(1000000);
  };
  bool thumbnailFails = false;
  std::vector<Attempt> attempts;
  std::vector<int> thumbnails;
  std::atomic<int> inspections{0};

  std::optional<SourceInfo> inspect(const Bytes&) override {
    ++inspections;
    return info;
  }
  std::unique_ptr<Thumbnail> thumbnail(const Bytes&, int maxPixel) override {
    thumbnails.push_back(maxPixel);
    if (thumbnailFails) return nullptr;
    return std::make_unique<Scripted>(*this, maxPixel);
  }

 private:
  class Scripted final : public Thumbnail {
   public:
    Scripted(ScriptedCodec& codec, int px) : codec_(codec), px_(px) {}
    std::optional<Bytes> encodeJpeg(double quality) const override {
      codec_.attempts.push_back({px_, static_cast<int>(std::lround(quality * 100))});
      auto size = codec_.jpegSize(px_, quality);
      if (!size) return std::nullopt;
      return Bytes(*size, static_cast<std::uint8_t>(px_ & 0xff));
    }

   private:
    ScriptedCodec& codec_;
    int px_;
  };
};

const Bytes source(100, 7);

TEST(ArtworkRenditionEncode, SmallLowersQualityThenSizeAndGivesUpBelow97Pixels) {
  auto codec = std::make_shared<ScriptedCodec>();
  ArtworkRendition rendition(codec);
  EXPECT_EQ(rendition.encode(source, 144, 0.62, 5500, false), std::nullopt);
  const std::vector<Attempt> ladder{{144, 62}, {144, 54}, {144, 46}, {122, 46}, {103, 46}, {96, 46}};
  EXPECT_EQ(codec->attempts, ladder);
  EXPECT_EQ(codec->thumbnails, (std::vector<int>{144, 122, 103, 96})) << "one thumbnail a size";
}

TEST(ArtworkRenditionEncode, LargeTakesTwelveAttemptsWithOneMoreQualityStepAfterAHairAboveHalf) {
  auto codec = std::make_shared<ScriptedCodec>();
  ArtworkRendition rendition(codec);
  EXPECT_EQ(rendition.encode(source, 800, 0.82, 40000, true), std::nullopt);
  const std::vector<Attempt> ladder{{800, 82}, {800, 74}, {800, 66}, {800, 58}, {800, 50}, {800, 42},
                                    {680, 42}, {578, 42}, {491, 42}, {417, 42}, {354, 42}, {300, 42}};
  EXPECT_EQ(codec->attempts, ladder);
}

TEST(ArtworkRenditionEncode, ReturnsTheFirstJpegWithinTheBudget) {
  auto codec = std::make_shared<ScriptedCodec>();
  codec->jpegSize = [](int px, double quality) -> std::optional<std::size_t> {
    return px == 122 ? 5500 : (quality < 0.5 ? 9000 : 20000);
  };
  ArtworkRendition rendition(codec);
  auto made = rendition.encode(source, 144, 0.62, 5500, false);
  ASSERT_TRUE(made);
  EXPECT_EQ(made->size(), 5500u) << "exactly the budget fits";
  EXPECT_EQ(codec->attempts.back(), (Attempt{122, 46}));
}

TEST(ArtworkRenditionEncode, AnImageSmallerThanTheLimitStartsAtItsOwnSize) {
  auto codec = std::make_shared<ScriptedCodec>();
  codec->info = ArtworkCodec::SourceInfo{90, 120, ArtworkCodec::Format::png};
  ArtworkRendition rendition(codec);
  rendition.encode(source, 144, 0.62, 5500, false);
  ASSERT_FALSE(codec->attempts.empty());
  EXPECT_EQ(codec->attempts.front(), (Attempt{120, 62}));
  EXPECT_EQ(codec->attempts.back(), (Attempt{96, 46})) << "120, then 102, then 96";
}

TEST(ArtworkRenditionEncode, TheSourceItselfWhenItIsAJpegOrPngWithinBothLimits) {
  struct Row {
    const char* name;
    ArtworkCodec::SourceInfo info;
    std::size_t bytes;
    bool preferOriginal;
    bool sentAsIs;
  };
  using F = ArtworkCodec::Format;
  const Row rows[] = {
      {"png 120 px, 30000 bytes", {120, 120, F::png}, 30000, true, true},
      {"jpeg 800 px, 40000 bytes", {800, 600, F::jpeg}, 40000, true, true},
      {"1 px", {1, 1, F::png}, 10, true, true},
      {"not when re-encoding is asked for", {120, 120, F::png}, 30000, false, false},
      {"gif", {120, 120, F::other}, 3000, true, false},
      {"801 px", {801, 20, F::jpeg}, 3000, true, false},
      {"one byte over", {120, 120, F::png}, 40001, true, false},
      {"size unknown", {0, 0, F::png}, 3000, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto codec = std::make_shared<ScriptedCodec>();
    codec->info = row.info;
    codec->jpegSize = [](int, double) { return std::optional<std::size_t>(100); };
    ArtworkRendition rendition(codec);
    const Bytes data(row.bytes, 1);
    auto made = rendition.encode(data, 800, 0.82, 40000, row.preferOriginal);
    ASSERT_TRUE(made);
    EXPECT_EQ(*made == data, row.sentAsIs);
    EXPECT_EQ(codec->attempts.empty(), row.sentAsIs);
  }
}

TEST(ArtworkRenditionEncode, AnyCodecFailureGivesNothing) {
  {
    auto codec = std::make_shared<ScriptedCodec>();
    codec->info = std::nullopt;
    EXPECT_EQ(ArtworkRendition(codec).encode(source, 144, 0.62, 5500, false), std::nullopt) << "not an image";
  }
  {
    auto codec = std::make_shared<ScriptedCodec>();
    codec->thumbnailFails = true;
    EXPECT_EQ(ArtworkRendition(codec).encode(source, 144, 0.62, 5500, false), std::nullopt) << "no thumbnail";
    EXPECT_EQ(codec->thumbnails.size(), 1u);
  }
  {
    auto codec = std::make_shared<ScriptedCodec>();
    codec->jpegSize = [](int, double) { return std::optional<std::size_t>(); };
    EXPECT_EQ(ArtworkRendition(codec).encode(source, 144, 0.62, 5500, false), std::nullopt) << "no JPEG";
    EXPECT_EQ(codec->attempts.size(), 1u) << "the first failure ends it";
  }
}

TEST(ArtworkRenditionMake, SmallAndLargeByTheirOwnLimits) {
  auto codec = std::make_shared<ScriptedCodec>();
  codec->jpegSize = [](int px, double) { return std::optional<std::size_t>(px <= 144 ? 5000 : 39000); };
  auto made = ArtworkRendition(codec).make(source);
  ASSERT_TRUE(made.small);
  ASSERT_TRUE(made.large);
  EXPECT_EQ(made.small->size(), 5000u);
  EXPECT_EQ(made.large->size(), 39000u);
  EXPECT_EQ(codec->attempts, (std::vector<Attempt>{{144, 62}, {800, 82}}));
}

TEST(ArtworkRenditionMake, OnlyLargeWhenNoSmallFitsWhichThenGoesAsArtWithoutArtLg) {
  auto codec = std::make_shared<ScriptedCodec>();
  codec->jpegSize = [](int px, double) { return std::optional<std::size_t>(px <= 144 ? 6000 : 30000); };
  auto made = ArtworkRendition(codec).make(source);
  EXPECT_FALSE(made.small);
  ASSERT_TRUE(made.large);
  const auto body = MediaFeature::macMediaBody(MacNowPlaying{"Music", "Song", std::nullopt, std::nullopt, true, made});
  ASSERT_TRUE(body);
  EXPECT_EQ(body->at("art"), codec::base64Encode(*made.large));
  EXPECT_FALSE(body->contains("art_lg"));
}

TEST(ArtworkRenditionMake, KeepsTheLastSourceOnly) {
  auto codec = std::make_shared<ScriptedCodec>();
  ArtworkRendition rendition(codec);
  const Bytes other(50, 3);
  rendition.make(source);
  EXPECT_EQ(codec->inspections, 2) << "small and large";
  rendition.make(source);
  EXPECT_EQ(codec->inspections, 2) << "the same cover again comes from the cache";
  rendition.make(other);
  EXPECT_EQ(codec->inspections, 4);
  rendition.make(source);
  EXPECT_EQ(codec->inspections, 6) << "one entry: the first cover was replaced";
}

TEST(ArtworkRenditionMake, CallersWithTheSameCoverAtOnceComputeItOnce) {
  auto codec = std::make_shared<ScriptedCodec>();
  codec->jpegSize = [](int, double) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));  // long enough for the others to queue up
    return std::optional<std::size_t>(100);
  };
  ArtworkRendition rendition(codec);
  std::vector<std::thread> callers;
  std::vector<ArtworkRenditions> results(4);
  for (int i = 0; i < 4; ++i) callers.emplace_back([&, i] { results[i] = rendition.make(source); });
  for (auto& caller : callers) caller.join();
  EXPECT_EQ(codec->inspections, 2);
  for (const auto& result : results) EXPECT_TRUE(result.small && result.large);
}

}  // namespace
}  // namespace orvane
