#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/app_state.hpp"
#include "cli/event_printer.hpp"

namespace orvane::cli {

// The headless front end's view of the hub: every change of the hub's state, and every
// event the hub reports, becomes one printed event, in the order the hub made them.
// Lives on the main thread, like the hub.
class HeadlessView final : public AppStateEvents {
 public:
  using QRSink = std::function<void(const QRImage&)>;
  HeadlessView(std::shared_ptr<EventPrinter> printer, QRSink qrSink = {});

  // Subscribes to the hub's published state; the subscriptions end with this view.
  void observe(AppState& hub);

  void notifPosted(const std::string& id, const std::string& app, const std::optional<std::string>& title,
                   const std::optional<std::string>& text, std::int64_t time, bool replyable) override;
  void notifGone(const std::string& id) override;
  void notifReplyResult(const std::string& id, bool ok, const std::optional<std::string>& reason) override;
  void messageReceived(const std::string& text) override;
  void urlReceived(const std::string& url, const std::optional<std::string>& context,
                   const std::optional<std::string>& app) override;
  void messageStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void urlStatus(const std::string& id, bool acked, const std::optional<std::string>& pendingID) override;
  void historyCleared() override;
  void wakeChecked(bool reconnecting) override;
  void replyRequested(const std::string& id) override;

  // The printed form of single pieces of state.
  static Event stateEvent(const LinkState& state);
  static Event phoneStatusEvent(const PhoneStatus& status);
  static Event mediaEvent(const std::optional<PhoneMedia>& media);
  static Event notificationsEvent(const std::vector<PhoneNotif>& notifs);
  static Event linksEvent(const std::vector<UrlLine>& urls);
  static Event messagesEvent(const std::vector<ChatLine>& lines);

 private:
  void print(const Event& event, const std::optional<QRImage>& qr = std::nullopt);

  std::shared_ptr<EventPrinter> printer_;
  QRSink qrSink_;
  std::vector<Subscription> subscriptions_;
  std::string lastClipID_;  // the newest history entry already printed
};

}  // namespace orvane::cli
