#include "platform/qt/mpris_now_playing_reader.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVariantMap>

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/qt/artwork_url_reader.hpp"
#include "platform/qt/mpris_metadata.hpp"
#include "platform/qt/mpris_names.hpp"
#include "platform/qt/mpris_player_choice.hpp"

namespace orvane {

namespace {

// Properties whose change alters nothing we report.
bool onlyUnshownChanges(const QVariantMap& changed, const QStringList& invalidated) {
  if (!invalidated.isEmpty()) return false;
  for (auto it = changed.begin(); it != changed.end(); ++it) {
    if (it.key() != QStringLiteral("Volume") && it.key() != QStringLiteral("Position") &&
        it.key() != QStringLiteral("Rate") && it.key() != QStringLiteral("Shuffle") &&
        it.key() != QStringLiteral("LoopStatus")) {
      return false;
    }
  }
  return true;
}

// The player's own name where it gives none: org.mpris.MediaPlayer2.vlc → vlc (an
// instance suffix such as .instance1234 is dropped).
std::string nameFromBus(const std::string& busName) {
  constexpr std::string_view prefix = "org.mpris.MediaPlayer2.";
  std::string name = busName.substr(prefix.size());
  if (auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
  return name;
}

}  // namespace

// The bus side, a QObject on the main thread so that Qt D-Bus delivers replies and
// signals there.
class MprisNowPlayingReader::Client final : public QObject {
  Q_OBJECT

 public:
  Client(Logger log, int callTimeoutMs)
      : log_(std::move(log)), bus_(QDBusConnection::sessionBus()), callTimeoutMs_(callTimeoutMs) {
    if (!bus_.isConnected()) {
      log_.info("no session bus: what this computer plays cannot be read (" +
                bus_.lastError().message().toStdString() + ")");
    }
    burst_.setSingleShot(true);
    burst_.setInterval(changeBurstMs);
    connect(&burst_, &QTimer::timeout, this, [this] {
      if (!changed_) return;
      const auto changed = changed_;
      guarded("the change handler", [&] { changed(); });
    });
  }

  ~Client() override {
    if (!watching_) return;
    bus_.disconnect(QString(), mpris::playerPath, mpris::properties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    bus_.disconnect(mpris::busService, mpris::busPath, mpris::busService, QStringLiteral("NameOwnerChanged"), this,
                    SLOT(nameOwnerChanged(QString, QString, QString)));
  }

  bool connected() const { return bus_.isConnected(); }

  bool watch(std::function<void()> changed) {
    changed_ = std::move(changed);
    if (!bus_.isConnected()) return false;
    if (watching_) return true;
    // Any sender: every player publishes on the same path.
    const bool properties =
        bus_.connect(QString(), mpris::playerPath, mpris::properties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    const bool owners =
        bus_.connect(mpris::busService, mpris::busPath, mpris::busService, QStringLiteral("NameOwnerChanged"), this,
                     SLOT(nameOwnerChanged(QString, QString, QString)));
    watching_ = properties && owners;
    if (!watching_) log_.error("the session bus refused to pass on the players' changes; they are polled instead");
    return watching_;
  }

  void startRead(Completion completion) {
    const std::uint64_t id = ++nextRead_;
    Read& read = reads_[id];
    read.completion = std::move(completion);
    if (!bus_.isConnected()) {
      finish(id, std::nullopt);
      return;
    }
    read.timer = new QTimer(this);
    read.timer->setInterval(checkIntervalMs);
    connect(read.timer, &QTimer::timeout, this, [this, id] { check(id); });
    read.timer->start();
    listPlayers(id);
    check(id);  // the first check is at once
  }

 public slots:
  void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated) {
    if (interface != mpris::playerInterface && interface != mpris::rootInterface) return;
    if (interface == mpris::playerInterface && onlyUnshownChanges(changed, invalidated)) return;
    noteChange();
  }

  void nameOwnerChanged(const QString& name, const QString&, const QString&) {
    if (isMprisPlayerName(name.toStdString())) noteChange();
  }

 private:
  struct Read {
    Completion completion;
    QTimer* timer = nullptr;
    int misses = 0;
    int waiting = 0;  // players whose state has not come yet
    std::vector<MprisPlayerState> players;
    std::vector<MprisMetadata> metadata;
  };

  template <class F>
  void guarded(const char* what, F&& call) {
    // Qt's event loop must not see an exception, or the program ends.
    try {
      call();
    } catch (const std::exception& e) {
      log_.error(std::string(what) + " failed: " + e.what());
    } catch (...) {
      log_.error(std::string(what) + " failed");
    }
  }

  void noteChange() {
    if (!burst_.isActive()) burst_.start();
  }

  Read* find(std::uint64_t id) {
    auto found = reads_.find(id);
    return found == reads_.end() ? nullptr : &found->second;
  }

  void check(std::uint64_t id) {
    Read* read = find(id);
    if (read == nullptr) return;
    if (++read->misses >= checksBeforeGivingUp) finish(id, std::nullopt);
  }

  void finish(std::uint64_t id, std::optional<Response> response) {
    auto found = reads_.find(id);
    if (found == reads_.end()) return;
    Read read = std::move(found->second);
    reads_.erase(found);
    if (read.timer != nullptr) read.timer->deleteLater();
    if (read.completion) guarded("the now-playing completion", [&] { read.completion(response); });
  }

  template <class F>
  void ask(const QDBusMessage& message, F onReply) {
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(message, callTimeoutMs_), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [onReply = std::move(onReply)](QDBusPendingCallWatcher* w) {
              w->deleteLater();
              onReply(*w);
            });
  }

  void listPlayers(std::uint64_t id) {
    ask(QDBusMessage::createMethodCall(mpris::busService, mpris::busPath, mpris::busService,
                                       QStringLiteral("ListNames")),
        [this, id](QDBusPendingCallWatcher& w) {
          Read* read = find(id);
          if (read == nullptr) return;
          QDBusPendingReply<QStringList> reply = w;
          if (reply.isError()) {
            finish(id, std::nullopt);
            return;
          }
          std::vector<std::string> names;
          for (const QString& name : reply.value()) {
            if (isMprisPlayerName(name.toStdString())) names.push_back(name.toStdString());
          }
          std::sort(names.begin(), names.end());
          if (names.empty()) {
            finish(id, std::nullopt);
            return;
          }
          read->players.resize(names.size());
          read->metadata.resize(names.size());
          read->waiting = static_cast<int>(names.size());
          for (std::size_t i = 0; i < names.size(); ++i) {
            read->players[i].busName = names[i];
            askPlayer(id, i);
          }
        });
  }

  void askPlayer(std::uint64_t id, std::size_t index) {
    const QString name = QString::fromStdString(find(id)->players[index].busName);
    QDBusMessage message =
        QDBusMessage::createMethodCall(name, mpris::playerPath, mpris::properties, QStringLiteral("GetAll"));
    message << mpris::playerInterface;
    ask(message, [this, id, index](QDBusPendingCallWatcher& w) {
      Read* read = find(id);
      if (read == nullptr) return;
      QDBusPendingReply<QVariantMap> reply = w;
      // A player that cannot answer counts as stopped.
      if (!reply.isError()) {
        const QVariantMap properties = demarshalledMap(QVariant::fromValue(reply.value()));
        read->players[index].playbackStatus =
            properties.value(QStringLiteral("PlaybackStatus")).toString().toStdString();
        read->players[index].canControl = properties.value(QStringLiteral("CanControl")).toBool();
        read->metadata[index] = readMprisMetadata(properties.value(QStringLiteral("Metadata")));
      }
      if (--read->waiting == 0) chooseAndName(id);
    });
  }

  void chooseAndName(std::uint64_t id) {
    Read* read = find(id);
    const auto active = activeMprisPlayer(read->players);
    if (!active) {
      finish(id, std::nullopt);
      return;
    }
    const std::string busName = read->players[*active].busName;
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromStdString(busName), mpris::playerPath,
                                                          mpris::properties, QStringLiteral("Get"));
    message << mpris::rootInterface << QStringLiteral("Identity");
    ask(message, [this, id, index = *active](QDBusPendingCallWatcher& w) {
      Read* read = find(id);
      if (read == nullptr) return;
      QDBusPendingReply<QDBusVariant> reply = w;
      std::optional<std::string> identity;
      if (!reply.isError()) {
        const QString name = reply.value().variant().toString().trimmed();
        if (!name.isEmpty()) identity = name.toStdString();
      }
      const MprisPlayerState& player = read->players[index];
      const MprisMetadata& metadata = read->metadata[index];
      Response response;
      response.title = metadata.title;
      response.trackArtistName = metadata.artist;
      response.albumName = metadata.album;
      response.playing = player.playbackStatus == "Playing";
      response.app = identity ? identity : nameFromBus(player.busName);
      response.artworkURL = metadata.artUrl;
      finish(id, std::move(response));
    });
  }

  Logger log_;
  QDBusConnection bus_;
  int callTimeoutMs_;
  std::function<void()> changed_;
  bool watching_ = false;
  QTimer burst_;
  std::uint64_t nextRead_ = 0;
  std::map<std::uint64_t, Read> reads_;
};

MprisNowPlayingReader::MprisNowPlayingReader(std::shared_ptr<SerialQueue> main, Logger log,
                                             std::chrono::milliseconds callTimeout)
    : main_(std::move(main)),
      client_(new Client(std::move(log), static_cast<int>(callTimeout.count())), [](Client* client) {
        // The bus side belongs to the main thread; from anywhere else it is handed back there.
        if (QThread::currentThread() == client->thread()) {
          delete client;
        } else {
          client->deleteLater();
        }
      }) {}

MprisNowPlayingReader::~MprisNowPlayingReader() = default;

void MprisNowPlayingReader::readNowPlaying(Completion completion) {
  // Through our own queue rather than Qt's queued calls: what the task carries is then
  // handed over under a lock of ours, which the race detector sees.
  main_->post([weak = std::weak_ptr<Client>(client_), completion = std::move(completion)]() mutable {
    if (auto client = weak.lock()) {
      client->startRead(std::move(completion));
    }
  });
}

bool MprisNowPlayingReader::watchChanges(std::function<void()> changed) { return client_->watch(std::move(changed)); }

bool MprisNowPlayingReader::canAnswer() const { return client_->connected(); }

std::optional<Bytes> MprisNowPlayingReader::loadArtwork(const std::string& url) {
  return readArtworkUrl(url, maxArtworkBytes);
}

}  // namespace orvane

#include "mpris_now_playing_reader.moc"
