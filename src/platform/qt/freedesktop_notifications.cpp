#include "platform/qt/freedesktop_notifications.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <utility>

#include "platform/qt/freedesktop_actions.hpp"

namespace orvane {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// NotificationClosed's reason when the user dismissed the banner.
constexpr std::uint32_t kClosedByUser = 2;
// Urgency "normal", a byte on the wire.
constexpr uchar kNormalUrgency = 1;

QString q(const std::string& text) { return QString::fromStdString(text); }

QDBusMessage call(const QString& method) { return QDBusMessage::createMethodCall(kService, kPath, kInterface, method); }

}  // namespace

// The bus side: the calls in flight, the server's signals and the banners shown. A
// QObject living on the main thread, so that Qt D-Bus delivers signals and replies there.
class FreedesktopNotifications::Client final : public QObject {
  Q_OBJECT

 public:
  explicit Client(Logger log) : log_(std::move(log)), bus_(QDBusConnection::sessionBus()) {
    if (!bus_.isConnected()) {
      // Qt opens the session bus once per process: without it now there never is one.
      noServer("the session bus cannot be reached: " + bus_.lastError().message().toStdString());
      return;
    }
    // By service name, Qt takes signals only from the name's owner of the moment.
    const bool subscribed =
        bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                     SLOT(actionInvoked(uint, QString))) &&
        bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationReplied"), this,
                     SLOT(notificationReplied(uint, QString))) &&
        bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                     SLOT(notificationClosed(uint, uint)));
    if (!subscribed) log_.error("the session bus refused to pass on the notification server's signals");
    watcher_ = new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { serverChanged(!owner.isEmpty()); });
    probe();
  }

  ~Client() override {
    if (!bus_.isConnected()) return;
    bus_.disconnect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
    bus_.disconnect(kService, kPath, kInterface, QStringLiteral("NotificationReplied"), this,
                    SLOT(notificationReplied(uint, QString)));
    bus_.disconnect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
  }

  std::function<void(const NotificationResponse&)> handler;
  std::map<std::string, NotificationCategory> categories;

  bool available() const { return state_ == State::present; }
  bool inlineReplies() const { return inlineReply_; }
  bool settled() const { return inFlight_ == 0; }

  void add(const NotificationRequest& request) {
    switch (state_) {
      case State::absent:
        return;  // logged once when the server went; nothing to show the banner on
      case State::asking:
        // The server's capabilities decide the buttons: the banner waits for them.
        waiting_.insert_or_assign(request.identifier, request);
        return;
      case State::present:
        break;
    }
    auto found = banners_.find(request.identifier);
    if (found != banners_.end() && found->second.posting) {
      // One Notify per banner at a time, so that the replacement carries the number of
      // the banner it replaces: it goes out once that number is known.
      found->second.next = request;
      found->second.withdrawn = false;
      return;
    }
    Banner& banner = banners_[request.identifier];
    banner.userInfo = request.userInfo;
    banner.category = request.category;
    banner.answered = false;
    banner.posting = true;
    post(request, banner.serverId);
  }

  void remove(const std::vector<std::string>& identifiers) {
    for (const std::string& identifier : identifiers) {
      waiting_.erase(identifier);
      auto found = banners_.find(identifier);
      if (found == banners_.end()) continue;
      if (found->second.posting) {
        // Its number is not known yet: it is closed as soon as it is.
        found->second.withdrawn = true;
        found->second.next.reset();
        continue;
      }
      close(found->second.serverId);
      serverIds_.erase(found->second.serverId);
      banners_.erase(found);
    }
  }

 public slots:
  void actionInvoked(uint id, const QString& key) {
    Banner* banner = answer(id);
    if (banner == nullptr) return;
    deliver(id, responseAction(category(*banner), key.toStdString()), std::nullopt);
  }

  void notificationReplied(uint id, const QString& text) {
    Banner* banner = answer(id);
    if (banner == nullptr) return;
    std::string action = textInputAction(category(*banner));
    if (action.empty()) action = std::string(kInlineReplyKey);
    deliver(id, action, text.toStdString());
  }

  void notificationClosed(uint id, uint reason) {
    auto known = serverIds_.find(id);
    if (known == serverIds_.end()) return;
    const std::string identifier = known->second;
    Banner& banner = banners_.at(identifier);
    // Servers close a banner once one of its actions is chosen, giving the user as the
    // reason: that is the answer already delivered, not a dismissal.
    if (reason == kClosedByUser && !banner.answered) deliver(id, NotificationResponse::dismissAction, std::nullopt);
    serverIds_.erase(id);
    auto still = banners_.find(identifier);
    if (still == banners_.end()) return;  // the handler withdrew it
    if (still->second.serverId == id) still->second.serverId = 0;
    // A banner with its replacement under way lives on under the new number.
    if (!still->second.posting) banners_.erase(still);
  }

 private:
  enum class State { asking, present, absent };

  // One banner, by the request's identifier.
  struct Banner {
    std::uint32_t serverId = 0;  // the server's number for it; 0 before the first reply
    std::map<std::string, std::string> userInfo;
    std::string category;
    bool posting = false;    // a Notify for it is under way
    bool withdrawn = false;  // removed while posting: close once the number comes
    bool answered = false;   // an action was delivered; the server's close is no dismissal
    std::optional<NotificationRequest> next;  // a replacement asked for while posting
  };

  const NotificationCategory* category(const Banner& banner) const {
    auto found = categories.find(banner.category);
    return found == categories.end() ? nullptr : &found->second;
  }

  // The banner the server numbered `id`, marked answered; none for numbers not ours.
  Banner* answer(std::uint32_t id) {
    auto known = serverIds_.find(id);
    if (known == serverIds_.end()) return nullptr;
    Banner& banner = banners_.at(known->second);
    banner.answered = true;
    return &banner;
  }

  void deliver(std::uint32_t id, std::string action, std::optional<std::string> typedText) {
    auto known = serverIds_.find(id);
    if (known == serverIds_.end() || !handler) return;
    NotificationResponse response;
    response.requestIdentifier = known->second;
    response.actionIdentifier = std::move(action);
    response.userInfo = banners_.at(known->second).userInfo;
    response.typedText = std::move(typedText);
    // A copy, so that a handler that replaces itself is not destroyed while it runs.
    const auto run = handler;
    // Qt's event loop must not see an exception, or the program ends.
    try {
      run(response);
    } catch (const std::exception& e) {
      log_.error(std::string("the notification response handler failed: ") + e.what());
    } catch (...) {
      log_.error("the notification response handler failed");
    }
  }

  // Asks the server what it can do; its answer also tells that it is there.
  void probe() {
    state_ = State::asking;
    const std::uint64_t epoch = ++epoch_;
    ++inFlight_;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, epoch](QDBusPendingCallWatcher* w) {
      w->deleteLater();
      --inFlight_;
      if (epoch != epoch_) return;  // a server that has gone since
      QDBusPendingReply<QStringList> reply = *w;
      if (reply.isError()) {
        noServer("no notification server answers on the session bus: " + reply.error().message().toStdString());
        return;
      }
      inlineReply_ = reply.value().contains(QString::fromUtf8(kInlineReplyKey.data(), kInlineReplyKey.size()));
      bodyMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
      state_ = State::present;
      loggedAbsence_ = false;
      log_.info(inlineReply_ ? "banners go to the notification server, replies in place"
                             : "banners go to the notification server, replies in the hub's window");
      auto waiting = std::move(waiting_);
      waiting_.clear();
      for (const auto& [identifier, request] : waiting) add(request);
    });
  }

  void serverChanged(bool owned) {
    // Banners of the server before are gone with it, and so are the calls to it.
    banners_.clear();
    serverIds_.clear();
    inlineReply_ = false;
    bodyMarkup_ = false;
    if (owned) {
      probe();
    } else {
      ++epoch_;
      noServer("the notification server left the session bus");
    }
  }

  void noServer(const std::string& why) {
    state_ = State::absent;
    waiting_.clear();
    if (loggedAbsence_) return;
    loggedAbsence_ = true;
    log_.error("banners are not shown until a notification server appears: " + why);
  }

  void post(const NotificationRequest& request, std::uint32_t replaces) {
    const NotificationCategory* cat = nullptr;
    if (auto found = categories.find(request.category); found != categories.end()) cat = &found->second;
    QStringList actions;
    for (const std::string& entry : notifyActions(cat, inlineReply_)) actions << q(entry);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("orvane"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(kNormalUrgency));
    QDBusMessage message = call(QStringLiteral("Notify"));
    // The phone's app name is the sender; the banner's headline is the subtitle (the
    // conversation, the mail's subject) where there is one. No icon is made up.
    // A server that reads bodies as markup would take the phone's "<" and "&" (a link's
    // query string, a message) for tags: the body is escaped for it. Summaries are plain
    // text everywhere.
    QString body = q(request.body.value_or(std::string()));
    if (bodyMarkup_) body = body.toHtmlEscaped();
    message << q(request.title) << replaces << QString() << q(request.subtitle.value_or(request.title)) << body
            << actions << hints << std::int32_t{-1};
    const std::uint64_t epoch = epoch_;
    const std::string identifier = request.identifier;
    ++inFlight_;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, epoch, identifier](QDBusPendingCallWatcher* w) {
      w->deleteLater();
      --inFlight_;
      if (epoch != epoch_) return;
      QDBusPendingReply<uint> reply = *w;
      posted(identifier, reply.isError() ? std::nullopt : std::optional<std::uint32_t>(reply.value()),
             reply.isError() ? reply.error().message().toStdString() : std::string());
    });
  }

  void posted(const std::string& identifier, std::optional<std::uint32_t> id, const std::string& error) {
    auto found = banners_.find(identifier);
    if (found == banners_.end()) return;
    Banner& banner = found->second;
    banner.posting = false;
    if (!id) {
      log_.error("the notification server refused a banner: " + error);
    } else {
      if (banner.serverId != 0 && banner.serverId != *id) serverIds_.erase(banner.serverId);
      banner.serverId = *id;
      serverIds_[*id] = identifier;
    }
    if (banner.withdrawn) {
      if (banner.serverId != 0) {
        close(banner.serverId);
        serverIds_.erase(banner.serverId);
      }
      banners_.erase(found);
      return;
    }
    if (banner.next) {
      NotificationRequest next = std::move(*banner.next);
      banner.next.reset();
      add(next);
      return;
    }
    if (banner.serverId == 0) banners_.erase(found);
  }

  void close(std::uint32_t id) {
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << id;
    // Nothing waits on it; a banner already gone is no fault.
    bus_.asyncCall(message);
  }

  Logger log_;
  QDBusConnection bus_;
  QDBusServiceWatcher* watcher_ = nullptr;
  State state_ = State::absent;
  bool loggedAbsence_ = false;
  bool inlineReply_ = false;
  bool bodyMarkup_ = false;  // the server reads bodies as markup
  // Counts the servers seen, so that answers from one gone are dropped.
  std::uint64_t epoch_ = 0;
  int inFlight_ = 0;  // Notify and GetCapabilities calls not yet answered
  std::map<std::string, NotificationRequest> waiting_;  // while the server is asked
  std::map<std::string, Banner> banners_;
  std::map<std::uint32_t, std::string> serverIds_;  // the server's number → identifier
};

FreedesktopNotifications::FreedesktopNotifications(Logger log) : client_(std::make_unique<Client>(std::move(log))) {}

FreedesktopNotifications::~FreedesktopNotifications() = default;

void FreedesktopNotifications::setResponseHandler(std::function<void(const NotificationResponse&)> handler) {
  client_->handler = std::move(handler);
}

void FreedesktopNotifications::setCategories(std::vector<NotificationCategory> categories) {
  client_->categories.clear();
  for (NotificationCategory& category : categories) {
    std::string identifier = category.identifier;
    client_->categories.insert_or_assign(std::move(identifier), std::move(category));
  }
}

// The freedesktop server shows every client's banners; the desktop's settings, not a
// prompt, decide what is shown, so there is nothing to ask.
void FreedesktopNotifications::requestAuthorization() {}

void FreedesktopNotifications::add(const NotificationRequest& request) { client_->add(request); }

void FreedesktopNotifications::remove(const std::vector<std::string>& identifiers) { client_->remove(identifiers); }

bool FreedesktopNotifications::available() const { return client_->available(); }

bool FreedesktopNotifications::inlineReplies() const { return client_->inlineReplies(); }

bool FreedesktopNotifications::settled() const { return client_->settled(); }

}  // namespace orvane

#include "freedesktop_notifications.moc"
