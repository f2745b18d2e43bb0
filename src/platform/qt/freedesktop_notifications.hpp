#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/user_notifications.hpp"
#include "base/log.hpp"

namespace orvane {

// Banners through the desktop's notification server: whoever owns
// org.freedesktop.Notifications on the session bus (dunst, GNOME Shell, Plasma, mako...).
//
// Every call to the server is asynchronous, so the main thread never waits on the bus.
// A banner is known by the request's identifier here and by the number the server gave
// it there; a request with the identifier of a banner still shown replaces it in place.
// A text input is answered in place where the server offers inline replies, and is
// otherwise a plain button that brings the hub forward.
//
// The server may be missing (no session bus, or no program owning the name): that is
// logged once, banners are dropped meanwhile, and a server that appears later is used.
// Signals are taken only from the name's owner, and only for banners posted here.
//
// Made and used on the main thread, with the QCoreApplication already made; responses
// reach the handler there too. Nothing here throws.
class FreedesktopNotifications final : public UserNotifications {
 public:
  explicit FreedesktopNotifications(Logger log);
  ~FreedesktopNotifications() override;
  FreedesktopNotifications(const FreedesktopNotifications&) = delete;
  FreedesktopNotifications& operator=(const FreedesktopNotifications&) = delete;

  void setResponseHandler(std::function<void(const NotificationResponse&)> handler) override;
  void setCategories(std::vector<NotificationCategory> categories) override;
  void requestAuthorization() override;
  void add(const NotificationRequest& request) override;
  void remove(const std::vector<std::string>& identifiers) override;

  // Whether a notification server has answered and is still on the bus.
  bool available() const;
  // Whether that server answers text inputs in place (its "inline-reply" capability).
  bool inlineReplies() const;
  // Whether every question and banner sent to the server has had its answer (a
  // withdrawal is sent without waiting for one).
  bool settled() const;

 private:
  class Client;
  std::unique_ptr<Client> client_;
};

}  // namespace orvane
