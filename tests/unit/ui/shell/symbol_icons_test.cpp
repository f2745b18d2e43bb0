#include "ui/shell/symbol_icons.hpp"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace orvane {
namespace {

// Every symbol the views and menus name.
constexpr std::string_view symbols[] = {
    "arrow.clockwise", "backward.fill", "bell", "bubble.left.and.bubble.right", "checkmark", "checkmark.circle",
    "chevron.right", "doc.on.clipboard", "exclamationmark.triangle", "forward.fill", "gearshape", "info.circle",
    "iphone.gen3", "laptopcomputer.and.iphone", "link", "macwindow", "magnifyingglass", "music.note", "pause.fill",
    "play.circle", "play.fill", "power", "qrcode", "qrcode.viewfinder", "slider.horizontal.3",
    "wrench.and.screwdriver", "xmark"};

TEST(SymbolIcons, EverySymbolIsDrawnInBothInksAndNeverComesOutBlank) {
  for (std::string_view symbol : symbols) {
    for (bool dark : {false, true}) {
      EXPECT_FALSE(bundledSymbolPath(symbol, dark).isEmpty()) << symbol;
      EXPECT_FALSE(symbolIcon(symbol, dark).isNull()) << symbol;
    }
  }
  EXPECT_TRUE(bundledSymbolPath("no.such.symbol", false).isEmpty());
  EXPECT_TRUE(symbolIcon("no.such.symbol", false).isNull());
}

TEST(SymbolIcons, ThemeNamesFollowTheFreedesktopNaming) {
  const QRegularExpression naming(QStringLiteral("^[a-z]+(-[a-z]+)*$"));
  int named = 0;
  for (std::string_view symbol : symbols) {
    const auto themed = freedesktopIconName(symbol);
    if (!themed) continue;
    ++named;
    EXPECT_TRUE(naming.match(QString::fromUtf8(themed->data(), themed->size())).hasMatch()) << *themed;
  }
  EXPECT_GE(named, 15);
  EXPECT_EQ(freedesktopIconName("gearshape"), "preferences-system");
  EXPECT_EQ(freedesktopIconName("qrcode"), std::nullopt) << "no theme has a QR code: always the bundled one";
}

}  // namespace
}  // namespace orvane
