#include "platform/qt/mpris_media_key_output.hpp"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "platform/qt/mpris_metadata.hpp"
#include "platform/qt/mpris_names.hpp"
#include "platform/qt/mpris_player_choice.hpp"

namespace orvane {

namespace {

QString methodFor(MediaGate::Command command) {
  switch (command) {
    case MediaGate::Command::play: return QStringLiteral("Play");
    case MediaGate::Command::pause: return QStringLiteral("Pause");
    case MediaGate::Command::toggle: return QStringLiteral("PlayPause");
    case MediaGate::Command::next: return QStringLiteral("Next");
    case MediaGate::Command::prev: return QStringLiteral("Previous");
  }
  return QStringLiteral("PlayPause");
}

}  // namespace

MprisMediaKeyOutput::MprisMediaKeyOutput(std::shared_ptr<MediaRemoteAdapter> adapter, Logger log)
    : adapter_(std::move(adapter)), log_(std::move(log)), bus_(QDBusConnection::sessionBus()) {}

bool MprisMediaKeyOutput::isTrusted() { return bus_.isConnected(); }

bool MprisMediaKeyOutput::sendToAdapter(int commandNumber) {
  if (!adapter_) return false;
  auto command = MediaRemoteAdapter::commandNumbered(commandNumber);
  return command && adapter_->send(*command);
}

bool MprisMediaKeyOutput::postMediaKey(MediaGate::Command command, int) {
  if (!bus_.isConnected()) return false;
  try {
    const QDBusReply<QStringList> names =
        bus_.call(QDBusMessage::createMethodCall(mpris::busService, mpris::busPath, mpris::busService,
                                                 QStringLiteral("ListNames")),
                  QDBus::Block, listTimeoutMs);
    if (!names.isValid()) {
      log_.error("the session bus did not list its players: " + names.error().message().toStdString());
      return false;
    }
    std::vector<MprisPlayerState> players;
    for (const QString& name : names.value()) {
      if (isMprisPlayerName(name.toStdString())) players.push_back({name.toStdString(), {}, false});
    }
    std::sort(players.begin(), players.end(),
              [](const MprisPlayerState& a, const MprisPlayerState& b) { return a.busName < b.busName; });
    // Every player is asked at once, so that hung players cost one wait together, not
    // one each: the phone's other messages wait behind this on the server's queue.
    std::vector<QDBusPendingCall> asked;
    asked.reserve(players.size());
    for (const MprisPlayerState& player : players) {
      QDBusMessage ask = QDBusMessage::createMethodCall(QString::fromStdString(player.busName), mpris::playerPath,
                                                        mpris::properties, QStringLiteral("GetAll"));
      ask << mpris::playerInterface;
      asked.push_back(bus_.asyncCall(ask, stateTimeoutMs));
    }
    for (std::size_t i = 0; i < players.size(); ++i) {
      MprisPlayerState& player = players[i];
      asked[i].waitForFinished();
      const QDBusReply<QVariantMap> state = asked[i].reply();
      if (!state.isValid()) continue;  // a player that cannot answer counts as stopped
      const QVariantMap properties = demarshalledMap(QVariant::fromValue(state.value()));
      player.playbackStatus = properties.value(QStringLiteral("PlaybackStatus")).toString().toStdString();
      player.canControl = properties.value(QStringLiteral("CanControl")).toBool();
    }
    const auto active = activeMprisPlayer(players);
    if (!active) {
      log_.info("no player plays or is paused: nothing to carry the command out");
      return false;
    }
    const MprisPlayerState& player = players[*active];
    if (!player.canControl) {
      log_.info(player.busName + " does not let itself be controlled");
      return false;
    }
    const QDBusMessage reply =
        bus_.call(QDBusMessage::createMethodCall(QString::fromStdString(player.busName), mpris::playerPath,
                                                 mpris::playerInterface, methodFor(command)),
                  QDBus::Block, commandTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
      log_.error(player.busName + " refused " + methodFor(command).toStdString() + ": " +
                 reply.errorMessage().toStdString());
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    log_.error(std::string("a playback command failed: ") + e.what());
    return false;
  } catch (...) {
    log_.error("a playback command failed");
    return false;
  }
}

}  // namespace orvane
