// The floor under `orvane --headless`: a program that loads and starts the libraries the
// headless program stands on (Qt's core event loop and D-Bus on the system bus, OpenSSL
// with a TLS server context, ICU's grapheme and normalisation data, an Avahi client on
// its own thread) and then idles. Its memory is the reference beside the program's own
// idle figures: what no change inside Orvane can go below.
#include <avahi-client/client.h>
#include <avahi-common/thread-watch.h>
#include <openssl/ssl.h>
#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const bool bus = QDBusConnection::systemBus().isConnected();

  SSL_CTX* tls = SSL_CTX_new(TLS_server_method());
  SSL_CTX_set_min_proto_version(tls, TLS1_2_VERSION);

  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> graphemes(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  const icu::UnicodeString sample = icu::UnicodeString::fromUTF8("e\u0301 and 👍🏽");
  graphemes->setText(sample);
  int clusters = 0;
  while (graphemes->next() != icu::BreakIterator::DONE) ++clusters;
  const bool normalised = nfc && nfc->isNormalized(sample, status);

  AvahiThreadedPoll* poll = avahi_threaded_poll_new();
  int avahiError = 0;
  AvahiClient* client = avahi_client_new(avahi_threaded_poll_get(poll), AVAHI_CLIENT_NO_FAIL,
                                         [](AvahiClient*, AvahiClientState, void*) {}, nullptr, &avahiError);
  avahi_threaded_poll_start(poll);

  std::printf("ready bus=%d tls=%d graphemes=%d nfc=%d avahi=%d\n", bus, tls != nullptr, clusters, normalised,
              client != nullptr);
  std::fflush(stdout);
  const int status_ = app.exec();
  avahi_threaded_poll_stop(poll);
  if (client) avahi_client_free(client);
  avahi_threaded_poll_free(poll);
  SSL_CTX_free(tls);
  return status_;
}
