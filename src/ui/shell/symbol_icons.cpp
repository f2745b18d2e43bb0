#include "ui/shell/symbol_icons.hpp"

#include <QFile>
#include <array>
#include <utility>

namespace orvane {
namespace {

// Only names from the freedesktop icon naming that mean the same thing; a symbol with
// no such name is drawn from the bundle everywhere.
constexpr std::array<std::pair<std::string_view, std::string_view>, 20> themeNames{{
    {"arrow.clockwise", "view-refresh"},
    {"backward.fill", "media-skip-backward"},
    {"chevron.right", "go-next"},
    {"doc.on.clipboard", "edit-paste"},
    {"exclamationmark.triangle", "dialog-warning"},
    {"forward.fill", "media-skip-forward"},
    {"gearshape", "preferences-system"},
    {"info.circle", "dialog-information"},
    {"iphone.gen3", "phone"},
    {"laptopcomputer.and.iphone", "computer"},
    {"link", "insert-link"},
    {"macwindow", "preferences-system-windows"},
    {"magnifyingglass", "edit-find"},
    {"music.note", "audio-x-generic"},
    {"pause.fill", "media-playback-pause"},
    {"play.circle", "media-playback-start"},
    {"play.fill", "media-playback-start"},
    {"power", "system-shutdown"},
    {"wrench.and.screwdriver", "applications-engineering"},
    {"xmark", "window-close"},
}};

}  // namespace

std::optional<std::string_view> freedesktopIconName(std::string_view symbol) {
  for (const auto& [name, themed] : themeNames) {
    if (name == symbol) return themed;
  }
  return std::nullopt;
}

QString bundledSymbolPath(std::string_view symbol, bool dark) {
  const QString path = QStringLiteral(":/qt/qml/Orvane/icons/") + (dark ? "ink-dark/" : "ink-light/") +
                       QString::fromUtf8(symbol.data(), static_cast<qsizetype>(symbol.size())) + ".svg";
  return QFile::exists(path) ? path : QString();
}

QIcon symbolIcon(std::string_view symbol, bool dark) {
  const QString bundled = bundledSymbolPath(symbol, dark);
  const QIcon fallback = bundled.isEmpty() ? QIcon() : QIcon(bundled);
  const auto themed = freedesktopIconName(symbol);
  if (!themed) return fallback;
  return QIcon::fromTheme(QString::fromUtf8(themed->data(), static_cast<qsizetype>(themed->size())), fallback);
}

}  // namespace orvane
