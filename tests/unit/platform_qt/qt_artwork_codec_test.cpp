// Cover art through Qt's codecs, all the way into the `media_post` body: a small PNG
// kept as it is for the large image beside a re-encoded small JPEG, a large cover
// shrunk into both budgets, and bytes that are no image left out.
#include "platform/qt/gui/qt_artwork_codec.hpp"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <random>

#include "base/codec.hpp"
#include "features/media/artwork_rendition.hpp"
#include "features/media/media_feature.hpp"

namespace orvane {
namespace {

// A picture with some detail: gradients and a little noise, so that JPEG has work to do.
QImage cover(int width, int height, bool alpha = false) {
  QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> noise(-12, 12);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int r = std::clamp(x * 255 / width + noise(random), 0, 255);
      const int g = std::clamp(y * 255 / height + noise(random), 0, 255);
      const int b = std::clamp(((x / 16 + y / 16) % 2) * 200 + noise(random), 0, 255);
      image.setPixel(x, y, qRgba(r, g, b, alpha ? (x * 255 / width) : 255));
    }
  }
  return image;
}

Bytes encode(const QImage& image, const char* format, int quality = -1, const QString& padding = {}) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  if (!padding.isEmpty()) writer.setText(QStringLiteral("Comment"), padding);
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  return Bytes(data.begin(), data.end());
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A PNG of exactly `size` bytes: the picture, and a private chunk that decoders skip
// making up the rest, put just before the closing IEND chunk.
Bytes pngOfSize(const QImage& image, std::size_t size) {
  Bytes png = encode(image, "png");
  constexpr std::size_t chunkOverhead = 12;  // length, type, CRC
  constexpr std::size_t iendSize = 12;
  if (png.size() + chunkOverhead > size) {
    ADD_FAILURE() << "the picture alone is " << png.size() << " bytes";
    return {};
  }
  const std::size_t length = size - png.size() - chunkOverhead;
  Bytes chunk{static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
              static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 'o', 'r', 'V', 'n'};
  chunk.resize(chunk.size() + length, 0x5a);
  const std::uint32_t crc = crc32(chunk.data() + 4, chunk.size() - 4);
  for (int shift : {24, 16, 8, 0}) chunk.push_back(static_cast<std::uint8_t>(crc >> shift));
  png.insert(png.end() - iendSize, chunk.begin(), chunk.end());
  return png;
}

QImage decoded(const Bytes& data, QByteArray* format = nullptr) {
  QByteArray bytes(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (format) *format = reader.format();
  return image;
}

bool isJpeg(const Bytes& data) { return data.size() > 2 && data[0] == 0xFF && data[1] == 0xD8; }

TEST(QtArtworkCodec, InspectsSizeAndFormat) {
  QtArtworkCodec codec;
  auto png = codec.inspect(encode(cover(120, 90), "png"));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 120);
  EXPECT_EQ(png->height, 90);
  EXPECT_EQ(png->format, ArtworkCodec::Format::png);
  auto jpeg = codec.inspect(encode(cover(30, 40), "jpeg"));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->format, ArtworkCodec::Format::jpeg);
  auto other = codec.inspect(encode(cover(16, 16), "bmp"));
  ASSERT_TRUE(other);
  EXPECT_EQ(other->format, ArtworkCodec::Format::other);
  EXPECT_FALSE(codec.inspect(Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_FALSE(codec.inspect(Bytes{}));
}

TEST(QtArtworkCodec, ThumbnailsKeepTheShapeAndNeverGrow) {
  QtArtworkCodec codec;
  struct Row {
    int width, height, maxPixel, expectWidth, expectHeight;
  };
  const Row rows[] = {{1600, 1600, 144, 144, 144}, {50, 2000, 144, 4, 144}, {400, 300, 800, 400, 300},
                      {2000, 1, 96, 96, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    auto thumbnail = codec.thumbnail(encode(cover(row.width, row.height), "jpeg", 90), row.maxPixel);
    ASSERT_TRUE(thumbnail);
    auto jpeg = thumbnail->encodeJpeg(0.8);
    ASSERT_TRUE(jpeg);
    ASSERT_TRUE(isJpeg(*jpeg));
    const QImage image = decoded(*jpeg);
    EXPECT_EQ(image.width(), row.expectWidth);
    EXPECT_EQ(image.height(), row.expectHeight);
  }
}

TEST(QtArtworkCodec, LowerQualityMakesSmallerFiles) {
  QtArtworkCodec codec;
  auto thumbnail = codec.thumbnail(encode(cover(400, 400), "png"), 400);
  ASSERT_TRUE(thumbnail);
  const auto high = thumbnail->encodeJpeg(0.82);
  const auto low = thumbnail->encodeJpeg(0.42);
  ASSERT_TRUE(high && low);
  EXPECT_LT(low->size(), high->size());
}

TEST(QtArtworkCodec, TransparencyIsLaidOnWhite) {
  QtArtworkCodec codec;
  QImage clear(20, 20, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  auto thumbnail = codec.thumbnail(encode(clear, "png"), 144);
  ASSERT_TRUE(thumbnail);
  const QImage image = decoded(*thumbnail->encodeJpeg(0.9));
  EXPECT_GT(qGray(image.pixel(10, 10)), 240);
}

TEST(QtArtworkRenditions, A120PixelPngOf30000BytesGoesAsTheLargeImageUnchangedBesideASmallJpeg) {
  const Bytes png = pngOfSize(cover(120, 120), 30000);
  ASSERT_EQ(png.size(), 30000u);
  ArtworkRendition rendition(std::make_shared<QtArtworkCodec>());
  const ArtworkRenditions made = rendition.make(png);
  ASSERT_TRUE(made.large);
  EXPECT_EQ(*made.large, png) << "a PNG within 800 pixels and 40000 bytes is sent as it is";
  ASSERT_TRUE(made.small);
  EXPECT_TRUE(isJpeg(*made.small));
  EXPECT_LE(made.small->size(), 5500u);
  EXPECT_EQ(decoded(*made.small).size(), QSize(120, 120)) << "smaller than 144 pixels: kept at its size";

  MacNowPlaying media{"mpv", "Tone", std::nullopt, std::nullopt, true, made};
  const auto body = MediaFeature::macMediaBody(media);
  ASSERT_TRUE(body);
  EXPECT_EQ(body->at("art"), codec::base64Encode(*made.small));
  EXPECT_EQ(body->at("art_lg"), codec::base64Encode(png)) << "sent because it differs from the small one";
}

TEST(QtArtworkRenditions, ALargeJpegCoverIsShrunkIntoBothBudgets) {
  const Bytes jpeg = encode(cover(1500, 1500), "jpeg", 92);
  ArtworkRendition rendition(std::make_shared<QtArtworkCodec>());
  const ArtworkRenditions made = rendition.make(jpeg);
  ASSERT_TRUE(made.small);
  ASSERT_TRUE(made.large);
  EXPECT_LE(made.small->size(), 5500u);
  EXPECT_LE(made.large->size(), 40000u);
  EXPECT_LE(decoded(*made.small).width(), 144);
  EXPECT_LE(decoded(*made.large).width(), 800);
  EXPECT_GE(decoded(*made.large).width(), 300);
}

TEST(QtArtworkRenditions, BytesThatAreNoImageLeaveTheArtOut) {
  ArtworkRendition rendition(std::make_shared<QtArtworkCodec>());
  const Bytes garbage{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  const ArtworkRenditions made = rendition.make(garbage);
  EXPECT_FALSE(made.small);
  EXPECT_FALSE(made.large);
  const auto body = MediaFeature::macMediaBody(MacNowPlaying{"mpv", "Tone", "Band", std::nullopt, false, made});
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, (Body{{"app", "mpv"}, {"state", "paused"}, {"title", "Tone"}, {"artist", "Band"}}))
      << "the text still goes";
}

}  // namespace
}  // namespace orvane
