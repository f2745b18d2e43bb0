#pragma once

#include <QImage>
#include <QQuickImageProvider>
#include <mutex>

namespace orvane {
class DesktopModel;

// The pictures the windows show that exist only in memory: the pairing QR code
// ("qr/…") and the cover of what the phone plays ("media/…"). The part after the slash
// only changes the address when the picture changes. The pictures are taken from the
// model on the main thread (`update`), so that a view loading on another thread never
// reads the store.
class DesktopImageProvider final : public QQuickImageProvider {
 public:
  DesktopImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

  void update(const DesktopModel& model);
  QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

 private:
  std::mutex mutex_;
  QImage qr_;
  QImage cover_;
};

}  // namespace orvane
