#pragma once

#include <memory>
#include <optional>
#include <string>

#include "features/notifications/notifications_observer.hpp"
#include "session/link_core.hpp"

namespace orvane {

// The phone's notifications (posted, gone, reply results), plain messages and links
// in; dismissals, replies, and acknowledged messages and links out.
class NotificationsFeature final : public LinkModule {
 public:
  explicit NotificationsFeature(LinkCore& link) : link_(link) {}

  void setObserver(std::weak_ptr<NotificationsObserver> observer) { observer_.set(std::move(observer)); }
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override;

  // Acknowledged sends: "sent:" + id at once, then acked or failed.
  void sendTestMessage(const std::string& text, const std::optional<std::string>& pendingID);
  void sendTestUrl(const std::string& url, const std::optional<std::string>& pendingID);
  void sendNotifDismiss(const std::string& id);
  void sendNotifReply(const std::string& id, const std::string& text);

 private:
  enum class Kind { message, url };
  void sendTracked(Kind kind, std::string type, Body body, const std::optional<std::string>& pendingID);
  void report(Kind kind, const std::string& id, AckOutcome outcome);

  void onMessage(const Envelope& envelope, Peer& peer);
  void onUrlShare(const Envelope& envelope, Peer& peer);
  void onNotifPost(const Envelope& envelope);
  void onNotifReplyResult(const Envelope& envelope);
  void onNotifGone(const Envelope& envelope);

  LinkCore& link_;
  ObserverSlot<NotificationsObserver> observer_;
};

}  // namespace orvane
