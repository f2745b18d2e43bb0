#include "platform/qt/gui/qr_png_writer.hpp"

#include <QImage>
#include <QSaveFile>
#include <QString>

#include <cmath>

namespace orvane {

QImage qrPicture(const QRImage& image) {
  if (image.pixelSize <= 0) return {};
  const int margin = static_cast<int>(std::lround(4 * image.scale));
  const int side = image.pixelSize + 2 * margin;
  QImage out(side, side, QImage::Format_Grayscale8);
  out.fill(255);
  for (int y = 0; y < image.pixelSize; ++y) {
    uchar* row = out.scanLine(y + margin);
    for (int x = 0; x < image.pixelSize; ++x) {
      row[x + margin] = image.pixels[static_cast<std::size_t>(y) * image.pixelSize + x];
    }
  }
  return out;
}

expected<void, std::string> writeQRPng(const QRImage& image, const std::string& path) {
  const QImage out = qrPicture(image);
  if (out.isNull()) return unexpected(std::string("empty QR image"));
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return unexpected(file.errorString().toStdString());
  if (!out.save(&file, "PNG")) return unexpected(std::string("PNG encoding failed"));
  if (!file.commit()) return unexpected(file.errorString().toStdString());
  return {};
}

}  // namespace orvane
