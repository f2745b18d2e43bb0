#include "ui/shell/menu_bar_image.hpp"

#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

namespace orvane {

QImage MenuBarImage::draw(bool connected, bool darkPanel, double scale) {
  const QSize pixels(static_cast<int>(std::lround(width * scale)), static_cast<int>(std::lround(height * scale)));
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  image.setDevicePixelRatio(scale);

  // The symbol is drawn on its own, then filled with the tint where it has paint.
  QImage symbol(pixels, QImage::Format_ARGB32_Premultiplied);
  symbol.fill(Qt::transparent);
  {
    QSvgRenderer renderer(QStringLiteral(":/orvane/shell/laptop-and-phone.svg"));
    QPainter painter(&symbol);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels.width(), pixels.height()));
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(symbol.rect(), darkPanel ? Qt::white : Qt::black);
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawImage(QRectF(0, 0, width, height), symbol);
  painter.setPen(Qt::NoPen);
  painter.setBrush(connected ? connectedColor() : disconnectedColor());
  // Lower right, half a point in from the edges.
  painter.drawEllipse(QRectF(width - dotSide - 0.5, height - dotSide - 0.5, dotSide, dotSide));
  return image;
}

}  // namespace orvane
