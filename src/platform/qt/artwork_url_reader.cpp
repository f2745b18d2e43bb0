#include "platform/qt/artwork_url_reader.hpp"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace orvane {

std::optional<Bytes> readArtworkUrl(const std::string& url, std::size_t maxBytes) {
  // Tolerant: some players write the path's spaces and accents unencoded.
  const QUrl parsed(QString::fromStdString(url), QUrl::TolerantMode);
  if (!parsed.isValid() || !parsed.isLocalFile()) return std::nullopt;
  // A file on another host is no local file, whatever the scheme says.
  if (!parsed.host().isEmpty() && parsed.host() != QStringLiteral("localhost")) return std::nullopt;
  const QString path = parsed.toLocalFile();
  const QFileInfo info(path);
  if (!info.isFile() || info.size() <= 0 || static_cast<std::size_t>(info.size()) > maxBytes) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  // Read one byte past the limit: a file that grew since we looked is refused too.
  const QByteArray data = file.read(static_cast<qint64>(maxBytes) + 1);
  if (data.isEmpty() || static_cast<std::size_t>(data.size()) > maxBytes) return std::nullopt;
  return Bytes(data.begin(), data.end());
}

}  // namespace orvane
