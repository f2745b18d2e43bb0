#pragma once

#include <QQmlPropertyMap>
#include <QString>
#include <QVariant>

// The stand-in for the shell's `orvane` object: every property the views read, with a
// neutral value until a state file sets it, and every method they call, which only
// writes the call to stderr.
class PreviewContext : public QQmlPropertyMap {
  Q_OBJECT

 public:
  explicit PreviewContext(QObject* parent = nullptr);

  Q_INVOKABLE void acceptTerms();
  Q_INVOKABLE void openHub();
  Q_INVOKABLE void openSettings();
  Q_INVOKABLE void quit();
  Q_INVOKABLE void setClipboard(bool on);
  Q_INVOKABLE void mediaPrevious();
  Q_INVOKABLE void mediaPlayPause();
  Q_INVOKABLE void mediaNext();
  Q_INVOKABLE void showPairingSheet();
  Q_INVOKABLE void dismissPairing();
  Q_INVOKABLE void approve();
  Q_INVOKABLE void deny();
  Q_INVOKABLE void newCode();
  Q_INVOKABLE void openPalette();
  Q_INVOKABLE void closePalette();
  Q_INVOKABLE void setPaletteQuery(const QString& query);
  Q_INVOKABLE void paletteKey(const QString& key);
  Q_INVOKABLE void paletteClick(int index);
  Q_INVOKABLE void selectTab(int index);
  Q_INVOKABLE void openPrivacy();
  Q_INVOKABLE void openTerms();

 private:
  void note(const char* method, const QString& argument = {});
};
