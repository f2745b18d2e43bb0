#include "cli/qr_terminal.hpp"

namespace orvane::cli {

std::string drawQR(const QRImage& image) {
  constexpr int quiet = 2;
  const int side = image.modules + 2 * quiet;
  auto light = [&](int x, int y) {
    const int mx = x - quiet, my = y - quiet;
    if (mx < 0 || my < 0 || mx >= image.modules || my >= image.modules) return true;
    return !image.isDark(mx, my);
  };
  std::string out;
  for (int y = 0; y < side; y += 2) {
    for (int x = 0; x < side; ++x) {
      const bool top = light(x, y);
      const bool bottom = y + 1 < side ? light(x, y + 1) : false;
      if (top && bottom) {
        out += "\u2588";
      } else if (top) {
        out += "\u2580";
      } else if (bottom) {
        out += "\u2584";
      } else {
        out += " ";
      }
    }
    out += "\n";
  }
  return out;
}

}  // namespace orvane::cli
