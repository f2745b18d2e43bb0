#include "platform/qt/logind_wake_signal.hpp"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <QString>
#include <QThread>

#include <exception>
#include <utility>

namespace orvane {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSignal = QStringLiteral("PrepareForSleep");

// Why the system bus is out of reach, in words for the log.
std::string busProblem(const QDBusConnection& bus) {
  const QDBusError error = bus.lastError();
  if (!error.isValid()) return "the system bus cannot be reached";
  return "the system bus cannot be reached: " + error.message().toStdString();
}

}  // namespace

// The slot Qt D-Bus calls. It lives on the thread it is made on, which the constructor
// has made sure is the application's: Qt D-Bus delivers each signal to its receiver's
// thread, and that is where the handler must run.
class LogindWakeSignal::Receiver final : public QObject {
  Q_OBJECT

 public:
  explicit Receiver(LogindWakeSignal& owner) : owner_(owner) {}

 public slots:
  // logind sends `start` true before the computer sleeps and false once it has woken.
  void prepareForSleep(bool start) {
    if (start) return;
    // A copy, so that a handler that replaces itself is not destroyed while it runs.
    const std::function<void()> handler = owner_.handler_;
    if (!handler) return;
    // Qt's event loop must not see an exception, or the program ends.
    try {
      handler();
    } catch (const std::exception& e) {
      owner_.log_.error(std::string("the wake handler failed: ") + e.what());
    } catch (...) {
      owner_.log_.error("the wake handler failed");
    }
  }

 private:
  LogindWakeSignal& owner_;
};

LogindWakeSignal::LogindWakeSignal(Logger log) : log_(std::move(log)) {
  auto notListening = [this](const std::string& why) {
    listening_ = unexpected(why);
    log_.error("wake from sleep will go unnoticed: " + why);
  };
  const QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) {
    notListening("there is no Qt application object to deliver logind's signals");
    return;
  }
  if (QThread::currentThread() != app->thread()) {
    notListening("made off the main thread, where logind's signals could not reach the handler");
    return;
  }
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) {
    notListening(busProblem(bus));
    return;
  }
  auto receiver = std::make_unique<Receiver>(*this);
  // By service name, Qt asks the bus for signals from whoever owns the name at the
  // time and follows the name from one owner to the next.
  if (!bus.connect(kService, kPath, kInterface, kSignal, receiver.get(), SLOT(prepareForSleep(bool)))) {
    notListening("the system bus refused to pass on logind's PrepareForSleep: " +
                 bus.lastError().message().toStdString());
    return;
  }
  receiver_ = std::move(receiver);
}

LogindWakeSignal::~LogindWakeSignal() {
  if (receiver_) {
    QDBusConnection::systemBus().disconnect(kService, kPath, kInterface, kSignal, receiver_.get(),
                                            SLOT(prepareForSleep(bool)));
  }
}

void LogindWakeSignal::setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

const expected<void, std::string>& LogindWakeSignal::listening() const { return listening_; }

}  // namespace orvane

#include "logind_wake_signal.moc"
