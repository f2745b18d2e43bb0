#pragma once

#include <cstddef>
#include <vector>

#include "app/phone_notif.hpp"
#include "app/store/bridge_records.hpp"

namespace orvane {

// The store's row for one of the hub's notifications.
BridgeNotification notificationRow(const PhoneNotif& notif);

// Makes `rows` show `notifs`, row by row, in place: a row whose notification is
// unchanged is moved, not rebuilt, so the usual change (one notification in, the oldest
// out) costs no copy of the other forty-nine. Appends to `changed` the index, in the
// new rows, of every row that is new or shows something new. Returns false, with `rows`
// untouched, when they show `notifs` already.
bool mirrorNotifications(std::vector<BridgeNotification>& rows, const std::vector<PhoneNotif>& notifs,
                         std::vector<std::size_t>& changed);

}  // namespace orvane
