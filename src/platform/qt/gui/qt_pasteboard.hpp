#pragma once

#include <QMetaObject>

#include <cstdint>
#include <optional>
#include <string>

#include "app/pasteboard.hpp"

class QClipboard;

namespace orvane {

// The desktop's clipboard through Qt (QGuiApplication::clipboard(), its Clipboard mode,
// not the X11 primary selection). On X11 Qt learns of every owner change through XFixes
// and emits dataChanged, so every copy is seen. Under Wayland a client hears of the
// clipboard only while one of its windows has keyboard focus, which `limitation` then
// says.
//
// Our own setText makes Qt emit dataChanged at once, inside the call, and that notice
// is not counted: setString moves the count itself. On X11 nothing follows later, as Qt
// drops the XFixes notice of an owner change to itself, so every other notice is someone
// else's. Qt's belief that it owns the clipboard is no guide there: when another program
// took the clipboard just before and Qt has not yet seen the event, the server refuses
// Qt's claim, which is older by the server's clock, yet Qt goes on believing it owns it;
// the other program's notice then comes after setString, and counts, as the text on the
// clipboard is not ours. Under Wayland the compositor hands our own selection back as a
// new one, which comes while our data source is the selection, and is not counted.
//
// Reading another program's clipboard asks that program for the data and waits for it
// inside Qt; on X11 each step (the types, then the text) is bounded by Qt's own 5 s
// time-out, so string() can block the main thread that long for an owner that hangs.
//
// Needs the QGuiApplication; main thread only.
class QtPasteboard final : public Pasteboard {
 public:
  explicit QtPasteboard(std::optional<std::string> limitation = std::nullopt);
  ~QtPasteboard() override;
  QtPasteboard(const QtPasteboard&) = delete;
  QtPasteboard& operator=(const QtPasteboard&) = delete;

  std::int64_t changeCount() override { return count_; }
  // The clipboard's text when it offers text; none for an image or an empty clipboard.
  std::optional<std::string> string() override;
  void setString(const std::string& text) override;
  std::optional<std::string> limitation() const override { return limitation_; }

 private:
  QClipboard* clipboard_;
  QMetaObject::Connection changed_;
  std::int64_t count_ = 0;
  bool writing_ = false;
  bool x11_;  // Qt on xcb, which never reports our own writes after setText
  std::optional<std::string> limitation_;
};

}  // namespace orvane
