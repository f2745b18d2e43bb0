#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orvane {

// A QR code (error-correction level M) as a square grey-scale bitmap. The bitmap has no
// quiet zone around the symbol: a renderer adds its own light margin (at least four
// modules wide) before showing it, or a scanner may not find the code.
struct QRImage {
  int modules = 0;           // modules per side of the symbol
  double scale = 1;          // max(size / modules, 1), not rounded
  int pixelSize = 0;         // side of the bitmap: round(modules * scale)
  std::vector<bool> dark;    // modules * modules, row-major: true = dark module
  // pixelSize * pixelSize grey values (0 dark, 255 light), row-major; pixel (px, py)
  // shows module (floor(px / scale), floor(py / scale)).
  std::vector<std::uint8_t> pixels;

  bool operator==(const QRImage&) const = default;
  bool isDark(int x, int y) const { return dark[static_cast<std::size_t>(y) * modules + x]; }

  // The UTF-8 bytes of `text` encoded at level M in the smallest version that holds
  // them, scaled to `size` points; none when the encoder fails (text too long) or the
  // size is not finite or would give a side above 16384 pixels.
  static std::optional<QRImage> make(std::string_view text, double size);
};

}  // namespace orvane
