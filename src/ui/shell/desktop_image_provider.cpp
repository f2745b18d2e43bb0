#include "ui/shell/desktop_image_provider.hpp"

#include "platform/qt/gui/qr_png_writer.hpp"
#include "ui/viewmodels/desktop_model.hpp"

namespace orvane {

void DesktopImageProvider::update(const DesktopModel& model) {
  QImage qr = model.qrImage() ? qrPicture(*model.qrImage()) : QImage();
  QImage cover;
  if (const auto& media = model.media(); media && media->artwork) {
    cover.loadFromData(reinterpret_cast<const uchar*>(media->artwork->data()), static_cast<int>(media->artwork->size()));
  }
  std::lock_guard lock(mutex_);
  qr_ = std::move(qr);
  cover_ = std::move(cover);
}

QImage DesktopImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
  QImage image;
  {
    std::lock_guard lock(mutex_);
    if (id.startsWith(QLatin1String("qr/"))) image = qr_;
    if (id.startsWith(QLatin1String("media/"))) image = cover_;
  }
  if (!image.isNull() && requestedSize.isValid() && !requestedSize.isEmpty()) {
    // A QR code stays sharp: whole modules, no smoothing.
    const bool qr = id.startsWith(QLatin1String("qr/"));
    image = image.scaled(requestedSize, Qt::KeepAspectRatio, qr ? Qt::FastTransformation : Qt::SmoothTransformation);
  }
  if (size) *size = image.size();
  return image;
}

}  // namespace orvane
