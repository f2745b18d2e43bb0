#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// Hears the phone's notifications, messages and links, and the delivery of the
// messages and links this computer sent. Called on the server's queue; returns at once.
class NotificationsObserver {
 public:
  virtual ~NotificationsObserver() = default;
  virtual void serverNotifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                                 const std::optional<std::string>& text, std::int64_t time, bool replyable) = 0;
  virtual void serverNotifGone(const std::string& id) = 0;
  virtual void serverNotifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) = 0;
  virtual void serverMessageReceived(const std::string& text) = 0;
  virtual void serverUrlReceived(const std::string& url, const std::optional<std::string>& context,
                                 const std::optional<std::string>& app) = 0;
  // Delivery state of a tracked `message`. The first report of each send has the id
  // "sent:" + envelope id and carries the caller's pending line id, so that each
  // line is bound to its own envelope even with several sends in flight.
  virtual void serverMessageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) = 0;
  virtual void serverUrlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) = 0;
};

}  // namespace orvane
