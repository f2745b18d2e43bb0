#include "pairing/qr_image.hpp"

#include <algorithm>
#include <cmath>
#include <memory>

#include <qrencode.h>

namespace orvane {

namespace {
// A bitmap larger than this is a caller's mistake, not a QR code anyone can show.
constexpr double maxPixelSize = 16384;
}  // namespace

std::optional<QRImage> QRImage::make(std::string_view text, double size) {
  if (!std::isfinite(size)) return std::nullopt;
  // Byte mode over the UTF-8 text, the smallest version that holds it, level M.
  std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
      QRcode_encodeData(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.data()), 0,
                        QR_ECLEVEL_M),
      &QRcode_free);
  if (!code || code->width <= 0) return std::nullopt;

  QRImage image;
  image.modules = code->width;
  const std::size_t count = static_cast<std::size_t>(image.modules) * static_cast<std::size_t>(image.modules);
  image.dark.resize(count);
  // libqrencode packs several facts into each byte; bit 0 alone says dark or light.
  for (std::size_t i = 0; i < count; ++i) image.dark[i] = (code->data[i] & 1) != 0;

  // The symbol is scaled by the same, possibly fractional, factor on both axes and
  // never shrunk. There is no quiet zone: whoever draws the image adds its own margin.
  const double scale = size / image.modules;
  image.scale = scale >= 1 ? scale : 1;
  if (image.modules * image.scale > maxPixelSize) return std::nullopt;
  image.pixelSize = static_cast<int>(std::lround(image.modules * image.scale));

  const auto side = static_cast<std::size_t>(image.pixelSize);
  image.pixels.resize(side * side);
  for (int py = 0; py < image.pixelSize; ++py) {
    // Rounding the side up can leave a last pixel row that maps just past the symbol.
    const int my = std::min(static_cast<int>(std::floor(py / image.scale)), image.modules - 1);
    for (int px = 0; px < image.pixelSize; ++px) {
      const int mx = std::min(static_cast<int>(std::floor(px / image.scale)), image.modules - 1);
      image.pixels[static_cast<std::size_t>(py) * side + static_cast<std::size_t>(px)] =
          image.isDark(mx, my) ? 0 : 255;
    }
  }
  return image;
}

}  // namespace orvane
