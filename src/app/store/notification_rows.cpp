#include "app/store/notification_rows.hpp"

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

namespace orvane {

namespace {

constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

WallTime receivedAt(const PhoneNotif& notif) { return WallTime{std::chrono::milliseconds(notif.time)}; }

bool shows(const BridgeNotification& row, const PhoneNotif& notif) {
  // The hub revises an entry on every change of it: equal revisions need no look at
  // the texts, which would otherwise be compared for every row on every change.
  if (notif.revision != 0 && row.revision == notif.revision) return row.id == notif.id && !row.isRead;
  return row.revision == notif.revision && row.id == notif.id && row.app == notif.app && row.title == notif.title &&
         row.body == notif.text && row.receivedAt == receivedAt(notif) && row.canReply == notif.replyable &&
         !row.isRead && row.replyResult == notif.replyResult && row.replyDetail == notif.replyDetail;
}

bool sameEntry(const BridgeNotification& row, const PhoneNotif& notif) {
  // Revisions are never reused: one that matches names the same entry.
  if (notif.revision != 0 && row.revision == notif.revision) return true;
  return row.id == notif.id;
}

// Where the row of `id` is, looked for first just after the row found last: lists move
// along by one at a time, so that is nearly always where it is.
std::size_t findRow(const std::vector<BridgeNotification>& rows, const std::string& id, std::size_t hint) {
  if (hint < rows.size() && rows[hint].id == id) return hint;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].id == id) return i;
  }
  return none;
}

}  // namespace

BridgeNotification notificationRow(const PhoneNotif& notif) {
  return {notif.id,        notif.app, notif.title,       notif.text,        receivedAt(notif),
          notif.replyable, false,     notif.replyResult, notif.replyDetail, notif.revision};
}

bool mirrorNotifications(std::vector<BridgeNotification>& rows, const std::vector<PhoneNotif>& notifs,
                         std::vector<std::size_t>& changed) {
  // The usual change slides the window: the oldest rows leave at the front and new
  // ones come at the end, the rest in order. That, and no change at all, is found and
  // done in place, without a list of its own.
  const std::size_t dropped = notifs.empty() ? rows.size() : std::min(findRow(rows, notifs[0].id, 0), rows.size());
  std::size_t kept = 0;
  while (kept < notifs.size() && dropped + kept < rows.size() && sameEntry(rows[dropped + kept], notifs[kept])) ++kept;
  bool slides = dropped + kept == rows.size();
  // An entry that comes after the kept ones but had a row among those dropped has only
  // moved: that is no slide. (Its id among the kept rows would be the same id twice in
  // the list, which the slide mirrors as well: the later one gets a row of its own.)
  for (std::size_t i = kept; slides && i < notifs.size(); ++i) {
    for (std::size_t r = 0; slides && r < dropped; ++r) slides = rows[r].id != notifs[i].id;
  }
  if (slides) {
    if (dropped == 0 && kept == notifs.size()) {
      bool same = true;
      for (std::size_t i = 0; same && i < kept; ++i) same = shows(rows[i], notifs[i]);
      if (same) return false;
    }
    rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(dropped));
    for (std::size_t i = 0; i < notifs.size(); ++i) {
      if (i < kept && shows(rows[i], notifs[i])) continue;
      if (i < kept) {
        rows[i] = notificationRow(notifs[i]);
      } else {
        rows.push_back(notificationRow(notifs[i]));
      }
      changed.push_back(i);
    }
    return true;
  }

  // Any other change (reordered, removed from the middle, an id twice): rows are moved
  // to their new places, those not moved are made anew.
  std::vector<std::size_t> source(notifs.size(), none);
  std::size_t hint = 0;
  for (std::size_t i = 0; i < notifs.size(); ++i) {
    const std::size_t at = findRow(rows, notifs[i].id, hint);
    source[i] = at;
    if (at != none) hint = at + 1;
  }
  std::vector<BridgeNotification> next;
  next.reserve(notifs.size());
  std::vector<bool> taken(rows.size(), false);
  for (std::size_t i = 0; i < notifs.size(); ++i) {
    const std::size_t at = source[i];
    // The hub keeps one entry per id; should an id come twice, its row is moved once.
    if (at != none && !taken[at] && shows(rows[at], notifs[i])) {
      taken[at] = true;
      next.push_back(std::move(rows[at]));
      continue;
    }
    next.push_back(notificationRow(notifs[i]));
    changed.push_back(i);
  }
  rows = std::move(next);
  return true;
}

}  // namespace orvane
