#include "pairing/qr_image.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace orvane {
namespace {

namespace fs = std::filesystem;

// The shape of the pairing server's text: 122 bytes, which fills a version 7 symbol
// (45 modules) at level M exactly.
const std::string pairingText =
    "ZEL1|ip=192.168.1.20|port=17431|pin=3q2+7wAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA="
    "|tok=q1w2e3r4t5y6u7i8o9p0aZ|exp=1767623700";

// A finder pattern: a dark 7x7 ring, a light ring, a dark 3x3 core, and a light
// separator on the sides that face the symbol.
void expectFinderAt(const QRImage& image, int left, int top) {
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      const int ring = std::max(std::abs(x - 3), std::abs(y - 3));
      const bool dark = ring != 2;
      EXPECT_EQ(image.isDark(left + x, top + y), dark) << "module " << left + x << "," << top + y;
    }
  }
}

TEST(QRImage, ScalesTheSymbolByAFractionalFactorWithoutAQuietZone) {
  const auto image = QRImage::make(pairingText, 260);
  ASSERT_TRUE(image);
  ASSERT_EQ(pairingText.size(), 122u);
  EXPECT_EQ(image->modules, 45);
  EXPECT_DOUBLE_EQ(image->scale, 260.0 / 45);
  EXPECT_EQ(image->pixelSize, 260);
  ASSERT_EQ(image->dark.size(), 45u * 45u);
  ASSERT_EQ(image->pixels.size(), 260u * 260u);

  const int last = image->modules - 7;
  expectFinderAt(*image, 0, 0);
  expectFinderAt(*image, last, 0);
  expectFinderAt(*image, 0, last);
  // The separators beside the top-left pattern are light, so the pattern starts at
  // the very first pixel: there is no margin in the bitmap.
  for (int i = 0; i < 8; ++i) {
    EXPECT_FALSE(image->isDark(7, i));
    EXPECT_FALSE(image->isDark(i, 7));
  }
  EXPECT_EQ(image->pixels[0], 0);
  EXPECT_EQ(image->pixels[259], 0);            // top-right corner: dark ring
  EXPECT_EQ(image->pixels[259u * 260u], 0);    // bottom-left corner
  // Module 1 (light ring) spans pixels 5.78 to 11.56: pixel 6 is in it, pixel 5 not.
  EXPECT_EQ(image->pixels[1 * 260 + 5], 0);
  EXPECT_EQ(image->pixels[6 * 260 + 6], 255);
  EXPECT_EQ(image->pixels[11 * 260 + 11], 255);
  EXPECT_EQ(image->pixels[12 * 260 + 12], 0);  // module 2: the core
}

TEST(QRImage, NearestNeighbourEveryPixel) {
  const auto image = QRImage::make("A", 100);  // version 1: 21 modules, scale 4.76
  ASSERT_TRUE(image);
  ASSERT_EQ(image->modules, 21);
  ASSERT_EQ(image->pixelSize, 100);
  int mismatches = 0;
  for (int py = 0; py < 100; ++py) {
    for (int px = 0; px < 100; ++px) {
      const bool dark = image->isDark(static_cast<int>(px * 21 / 100), static_cast<int>(py * 21 / 100));
      mismatches += (image->pixels[py * 100 + px] == 0) != dark;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(QRImage, NeverShrinksBelowOnePixelAModule) {
  struct Row {
    double size;
    double scale;
    int pixelSize;
  };
  const Row rows[] = {{10, 1, 21}, {21, 1, 21}, {0, 1, 21}, {-5, 1, 21}, {31.5, 1.5, 32}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    const auto image = QRImage::make("A", row.size);
    ASSERT_TRUE(image);
    EXPECT_DOUBLE_EQ(image->scale, row.scale);
    EXPECT_EQ(image->pixelSize, row.pixelSize);
    EXPECT_EQ(image->pixels.size(), static_cast<std::size_t>(row.pixelSize) * row.pixelSize);
  }
}

TEST(QRImage, NoneWhenTheTextDoesNotFitOrTheSizeIsNotFinite) {
  EXPECT_EQ(QRImage::make(std::string(3000, 'x'), 260), std::nullopt);  // beyond version 40 at level M
  EXPECT_FALSE(QRImage::make("A", std::nan("")));
  EXPECT_FALSE(QRImage::make("A", INFINITY));
}

// Writes the bitmap as a binary PGM with a light margin of `margin` pixels, as a
// renderer would show it.
void writePgm(const fs::path& path, const QRImage& image, int margin) {
  const int side = image.pixelSize + 2 * margin;
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << side << " " << side << "\n255\n";
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const int px = x - margin, py = y - margin;
      const bool inside = px >= 0 && py >= 0 && px < image.pixelSize && py < image.pixelSize;
      out.put(static_cast<char>(inside ? image.pixels[py * image.pixelSize + px] : 255));
    }
  }
}

std::optional<std::string> run(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[512];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

TEST(QRImage, AScannerReadsTheTextBack) {
  if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) GTEST_SKIP() << "zbarimg is not installed";
  char pattern[] = "/tmp/orvane-qr-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;

  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"pairing text", pairingText},
      {"no address", "ZEL1|ip=|port=17431|pin=3q2+7wAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=|tok=x|exp=1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto image = QRImage::make(row.text, 260);
    ASSERT_TRUE(image);
    const fs::path file = dir / "code.pgm";
    writePgm(file, *image, 4 * static_cast<int>(std::ceil(image->scale)));
    const auto decoded = run("zbarimg --quiet --raw '" + file.string() + "' 2>/dev/null");
    ASSERT_TRUE(decoded) << "zbarimg found no code";
    EXPECT_EQ(*decoded, row.text + "\n");
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace orvane
