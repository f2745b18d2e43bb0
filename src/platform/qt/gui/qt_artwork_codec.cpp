#include "platform/qt/gui/qt_artwork_codec.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// The bytes as a QByteArray without a copy; they must outlive it.
QByteArray view(const Bytes& data) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

class QtThumbnail final : public ArtworkCodec::Thumbnail {
 public:
  explicit QtThumbnail(QImage image) : image_(std::move(image)) {}

  std::optional<Bytes> encodeJpeg(double quality) const override {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly)) return std::nullopt;
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(std::clamp(static_cast<int>(std::lround(quality * 100)), 0, 100));
    if (!writer.write(image_)) return std::nullopt;
    return Bytes(encoded.begin(), encoded.end());
  }

 private:
  QImage image_;
};

}  // namespace

std::optional<ArtworkCodec::SourceInfo> QtArtworkCodec::inspect(const Bytes& data) {
  if (data.empty()) return std::nullopt;
  QByteArray bytes = view(data);
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
  QImageReader reader(&buffer);
  if (!reader.canRead()) return std::nullopt;
  SourceInfo info;
  const QSize size = reader.size();
  if (size.isValid()) {
    info.width = size.width();
    info.height = size.height();
  }
  const QByteArray format = reader.format();
  if (format == "jpeg" || format == "jpg") {
    info.format = Format::jpeg;
  } else if (format == "png") {
    info.format = Format::png;
  }
  return info;
}

std::unique_ptr<ArtworkCodec::Thumbnail> QtArtworkCodec::thumbnail(const Bytes& data, int maxPixel) {
  if (data.empty() || maxPixel < 1) return nullptr;
  QByteArray bytes = view(data);
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  const int longest = size.isValid() ? std::max(size.width(), size.height()) : 0;
  if (longest > maxPixel) {
    // Rounded, never below one pixel: a long thin banner keeps its shape.
    const double scale = static_cast<double>(maxPixel) / longest;
    reader.setScaledSize(QSize(std::max(1, static_cast<int>(std::lround(size.width() * scale))),
                               std::max(1, static_cast<int>(std::lround(size.height() * scale)))));
  }
  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  // A format that gave no size beforehand is shrunk now.
  if (std::max(image.width(), image.height()) > maxPixel) {
    image = image.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  if (image.hasAlphaChannel()) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    image = std::move(flat);
  }
  return std::make_unique<QtThumbnail>(std::move(image));
}

}  // namespace orvane
