#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// The hub's events as they happen, beside the state they change: the phone's
// notifications, messages and links and their delivery, the clearing of the phone's
// history, the wake check, and a Reply chosen on a banner that cannot take the text in
// place. A front end that reports events as they happen listens here. Called on the
// main thread, after the hub has applied the event.
class AppStateEvents {
 public:
  virtual ~AppStateEvents() = default;
  virtual void notifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                           const std::optional<std::string>& text, std::int64_t time, bool replyable) = 0;
  virtual void notifGone(const std::string& id) = 0;
  virtual void notifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) = 0;
  virtual void messageReceived(const std::string& text) = 0;
  virtual void urlReceived(const std::string& url, const std::optional<std::string>& context,
                           const std::optional<std::string>& app) = 0;
  virtual void messageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) = 0;
  virtual void urlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) = 0;
  virtual void historyCleared() = 0;
  // The check after the computer woke from sleep has run: `reconnecting` when it
  // restarted the link and asked the phone to come back.
  virtual void wakeChecked(bool reconnecting) = 0;
  // The user chose Reply on the banner of notification `id`: the window opens on it.
  virtual void replyRequested(const std::string& id) = 0;
};

}  // namespace orvane
