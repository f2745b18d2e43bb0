// Every symbol the windows can show has its picture: the names the views spell out and
// the names the models hand them, looked up among the icons built into the program in
// every tint. A name without a file would draw as an empty square.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <set>

#include "../../app/store/store_fixture.hpp"
#include "ui/models/hub_tab.hpp"
#include "ui/models/rail_primary_action.hpp"
#include "ui/models/settings_history.hpp"
#include "ui/models/status_tiles.hpp"
#include "ui/viewmodels/desktop_model.hpp"

namespace orvane::testing {
namespace {

const char* const tints[] = {"ink-light", "ink-dark", "muted-light", "muted-dark", "accent-light", "accent-dark",
                             "white", "positive", "negative", "warning"};

std::set<std::string> missingFiles(const std::set<std::string>& names) {
  std::set<std::string> missing;
  for (const auto& name : names) {
    for (const char* tint : tints) {
      if (!QFile::exists(QStringLiteral(":/qt/qml/Orvane/icons/%1/%2.svg").arg(tint, QString::fromStdString(name)))) {
        missing.insert(name + " (" + tint + ")");
      }
    }
  }
  return missing;
}

TEST(SymbolFiles, EveryNameTheViewsSpellOutHasItsFile) {
  const QDir views(QStringLiteral(ORVANE_SOURCE_DIR "/src/ui/qml"));
  const QRegularExpression literal(QStringLiteral(R"re(\b(?:name|symbol|icon)\s*:\s*"([a-z][a-z0-9]*(?:\.[a-z0-9]+)*)")re"));
  // The names inside a choice such as `a ? "pause.fill" : "play.fill"` as well.
  const QRegularExpression choice(QStringLiteral(R"re(\b(?:name|symbol)\s*:[^\n]*\?[^\n]*)re"));
  const QRegularExpression quoted(QStringLiteral(R"re("([a-z]+(?:\.[a-z0-9]+)+)")re"));
  std::set<std::string> names;
  const auto files = views.entryList({QStringLiteral("*.qml")});
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    QFile source(views.filePath(file));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(source.readAll());
    for (auto m = literal.globalMatch(text); m.hasNext();) names.insert(m.next().captured(1).toStdString());
    for (auto m = choice.globalMatch(text); m.hasNext();) {
      const QString line = m.next().captured(0);
      for (auto q = quoted.globalMatch(line); q.hasNext();) names.insert(q.next().captured(1).toStdString());
    }
  }
  EXPECT_GT(names.size(), 20u) << "the views name their symbols as expected";
  EXPECT_EQ(missingFiles(names), std::set<std::string>{});
}

class ModelSymbols : public StoreTest {};

TEST_F(ModelSymbols, EveryNameTheModelsHandOverHasItsFile) {
  std::set<std::string> names;
  for (HubTab tab : hubTabs) names.insert(std::string(symbolOf(tab)));
  for (SettingsSection section : settingsSections) names.insert(std::string(symbolOf(section)));
  for (int battery : {-1, 0, 14, 15, 39, 40, 69, 70, 89, 90, 100}) {
    for (bool on : {false, true}) {
      PhoneStatus status;
      if (battery >= 0) status.batteryPercent = battery;
      status.charging = on && battery == 100;
      status.wifi = status.wifiEnabled = on;
      status.simReady = on;
      status.signalLevel = on ? 3 : 0;
      status.bluetooth = on;
      for (const StatusTile& tile : StatusTiles::of(status).inOrder()) names.insert(tile.symbol);
    }
  }
  buildAll(false);
  names.insert(RailPrimaryAction::of(*store).symbol);
  hub->serverPairedDeviceChanged(std::string("Pixel"), std::string("phone-1"));
  settle();
  names.insert(RailPrimaryAction::of(*store).symbol);
  connect();
  settle();
  names.insert(RailPrimaryAction::of(*store).symbol);
  EXPECT_EQ(names.count("battery.100.bolt"), 1u);
  EXPECT_EQ(missingFiles(names), std::set<std::string>{});
}

}  // namespace
}  // namespace orvane::testing
