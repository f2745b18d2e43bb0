#include "platform/qt/gui/qt_pasteboard.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

namespace orvane {

QtPasteboard::QtPasteboard(std::optional<std::string> limitation)
    : clipboard_(QGuiApplication::clipboard()),
      x11_(QGuiApplication::platformName() == "xcb"),
      limitation_(std::move(limitation)) {
  changed_ = QObject::connect(clipboard_, &QClipboard::dataChanged, [this] {
    if (writing_) return;
    if (!x11_ && clipboard_->ownsClipboard()) return;
    ++count_;
  });
}

QtPasteboard::~QtPasteboard() { QObject::disconnect(changed_); }

std::optional<std::string> QtPasteboard::string() {
  const QMimeData* data = clipboard_->mimeData(QClipboard::Clipboard);
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return data->text().toStdString();
}

void QtPasteboard::setString(const std::string& text) {
  writing_ = true;
  clipboard_->setText(QString::fromStdString(text), QClipboard::Clipboard);
  writing_ = false;
  ++count_;
}

}  // namespace orvane
