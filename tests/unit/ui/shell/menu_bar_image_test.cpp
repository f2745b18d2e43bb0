#include "ui/shell/menu_bar_image.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace orvane {
namespace {

QColor dotCentre(const QImage& image, double scale) {
  const double x = (MenuBarImage::width - MenuBarImage::dotSide / 2 - 0.5) * scale;
  const double y = (MenuBarImage::height - MenuBarImage::dotSide / 2 - 0.5) * scale;
  return image.pixelColor(static_cast<int>(x), static_cast<int>(y));
}

bool near(const QColor& a, const QColor& b) {
  return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 && std::abs(a.blue() - b.blue()) <= 2;
}

TEST(MenuBarImage, TheDotIsGreenExactlyWhileConnectedAndTheSymbolTakesThePanelsColour) {
  for (double scale : {1.0, 2.0}) {
    for (bool dark : {false, true}) {
      const QImage connected = MenuBarImage::draw(true, dark, scale);
      const QImage disconnected = MenuBarImage::draw(false, dark, scale);
      EXPECT_EQ(connected.size(), QSize(static_cast<int>(26 * scale), static_cast<int>(18 * scale)));
      EXPECT_TRUE(near(dotCentre(connected, scale), MenuBarImage::connectedColor())) << scale;
      EXPECT_TRUE(near(dotCentre(disconnected, scale), MenuBarImage::disconnectedColor())) << scale;

      // Every painted pixel of the symbol (away from the dot) is the tint.
      int painted = 0;
      for (int y = 0; y < connected.height(); ++y) {
        for (int x = 0; x < connected.width() * 2 / 3; ++x) {
          const QColor pixel = connected.pixelColor(x, y);
          if (pixel.alpha() < 250) continue;
          ++painted;
          EXPECT_EQ(pixel.rgb(), dark ? QColor(Qt::white).rgb() : QColor(Qt::black).rgb()) << x << "," << y;
        }
      }
      EXPECT_GT(painted, 10) << "the symbol was drawn";
    }
  }
}

}  // namespace
}  // namespace orvane
