#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/pasteboard.hpp"
#include "base/expected.hpp"
#include "base/log.hpp"
#include "platform/qt/clipboard_change_counter.hpp"
#include "platform/qt/line_buffer.hpp"
#include "platform/qt/selection_log.hpp"

class QObject;
class QProcess;

namespace orvane {

// The clipboard of a Wayland compositor that offers the data-control protocol (wlroots
// compositors such as sway, KWin), through the wl-clipboard programs. A Wayland client
// learns of the clipboard only while it has keyboard focus; data control lets the
// long-running `wl-paste --watch` see every change, focused or not. Its protocol log
// (WAYLAND_DEBUG=1) tells us of each new content and the types it is offered in, which
// is how our own writes are told apart (ClipboardChangeCounter). Reads and writes run
// wl-paste and wl-copy once each and wait for them, bounded by a deadline.
//
// Main thread only; runs on the Qt event loop.
class WlClipboardPasteboard final : public Pasteboard {
 public:
  struct Options {
    std::string wlPaste = "wl-paste";
    std::string wlCopy = "wl-copy";
    Logger log;
  };

  // Starts the watch and returns once it has told what the clipboard holds, so the count
  // is 0 and stays there until something changes. An error says why not: a program
  // missing, the compositor without data control (wl-paste's own message), or no answer
  // within a few seconds.
  static expected<std::unique_ptr<WlClipboardPasteboard>, std::string> start(Options options);
  ~WlClipboardPasteboard() override;
  WlClipboardPasteboard(const WlClipboardPasteboard&) = delete;
  WlClipboardPasteboard& operator=(const WlClipboardPasteboard&) = delete;

  std::int64_t changeCount() override { return counter_.count(); }
  // Runs wl-paste twice (the types offered, then the text); none when there is no
  // plain text, when it is over 256 KiB or when the owner does not hand it over in time.
  std::optional<std::string> string() override;
  // Returns once the watch has told of the write (a few seconds at most), so that what
  // it told before, a copy made just before ours, has been counted by then. On failure
  // (wl-copy missing, refused, too slow) the clipboard and the count stay as they were
  // and the failure is logged.
  void setString(const std::string& text) override;
  std::optional<std::string> limitation() const override { return limitation_; }

 private:
  explicit WlClipboardPasteboard(Options options);
  expected<void, std::string> startWatch();
  // Takes what the watch has written to its log; returns whether the log told of a
  // selection (the clipboard's content at start, the first time).
  bool readLog(std::string* complaint = nullptr);
  void watchEnded();

  Options options_;
  ClipboardChangeCounter counter_;
  SelectionLog selections_;
  LineBuffer logLines_;
  bool started_ = false;  // the watch has told what the clipboard held at its start
  std::optional<std::string> limitation_;
  std::unique_ptr<QProcess> watch_;
  std::unique_ptr<QObject> context_;  // of the watch's connections; gone, they are too
};

}  // namespace orvane
