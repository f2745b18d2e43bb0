#include "preview_context.hpp"

#include <QVariantList>
#include <cstdio>

PreviewContext::PreviewContext(QObject* parent) : QQmlPropertyMap(this, parent) {
  const QString empty;
  for (const char* key : {"legalAccepted", "darkAppearance", "reduceMotion", "connected", "clipboardOn", "hasMedia",
                          "oldPairing", "showPairing", "pairingApprovalStep", "paletteOpen"}) {
    insert(QString::fromLatin1(key), false);
  }
  for (const char* key :
       {"deviceTitle", "statusWord", "statusSummary", "headerSubtitle", "notificationsText", "mediaTitle",
        "mediaSubtitle", "playPauseLabel", "mediaArtwork", "versionText", "pairingSubtitle", "qrImageSource",
        "countdownText", "pendingDeviceName", "pairingAddress", "paletteQuery", "paletteEmptyText", "legalHeading",
        "legalIntro", "legalAgreement", "legalVersionLine"}) {
    insert(QString::fromLatin1(key), empty);
  }
  for (const char* key : {"trafficPulse", "paletteIndex", "selectedTab"}) {
    insert(QString::fromLatin1(key), 0);
  }
  for (const char* key : {"paletteItems", "tabs", "legalPoints"}) {
    insert(QString::fromLatin1(key), QVariantList{});
  }
}

void PreviewContext::note(const char* method, const QString& argument) {
  std::fprintf(stderr, "orvane.%s(%s)\n", method, argument.toLocal8Bit().constData());
}

void PreviewContext::acceptTerms() { note("acceptTerms"); }
void PreviewContext::openHub() { note("openHub"); }
void PreviewContext::openSettings() { note("openSettings"); }
void PreviewContext::quit() { note("quit"); }
void PreviewContext::setClipboard(bool on) { note("setClipboard", on ? QStringLiteral("true") : QStringLiteral("false")); }
void PreviewContext::mediaPrevious() { note("mediaPrevious"); }
void PreviewContext::mediaPlayPause() { note("mediaPlayPause"); }
void PreviewContext::mediaNext() { note("mediaNext"); }
void PreviewContext::showPairingSheet() { note("showPairingSheet"); }
void PreviewContext::dismissPairing() { note("dismissPairing"); }
void PreviewContext::approve() { note("approve"); }
void PreviewContext::deny() { note("deny"); }
void PreviewContext::newCode() { note("newCode"); }
void PreviewContext::openPalette() { note("openPalette"); }
void PreviewContext::closePalette() { note("closePalette"); }
void PreviewContext::setPaletteQuery(const QString& query) { note("setPaletteQuery", query); }
void PreviewContext::paletteKey(const QString& key) { note("paletteKey", key); }
void PreviewContext::paletteClick(int index) { note("paletteClick", QString::number(index)); }
void PreviewContext::selectTab(int index) { note("selectTab", QString::number(index)); }
void PreviewContext::openPrivacy() { note("openPrivacy"); }
void PreviewContext::openTerms() { note("openTerms"); }
