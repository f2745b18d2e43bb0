#pragma once

#include <memory>
#include <string>

#include "base/user_defaults.hpp"
#include "features/clipboard/clip_dedupe.hpp"
#include "features/clipboard/clipboard_observer.hpp"
#include "session/link_core.hpp"

namespace orvane {

// Clipboard text both ways: updates from the phone are accepted in (seq, origin)
// order without echoes, and this computer's text goes out numbered. Lives on the
// server's queue.
class ClipboardFeature final : public LinkModule {
 public:
  static constexpr std::size_t maxIdentifierLength = 64;

  ClipboardFeature(LinkCore& link, std::shared_ptr<UserDefaults> defaults);

  void setObserver(std::weak_ptr<ClipboardObserver> observer) { observer_.set(std::move(observer)); }
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override;
  void forgotten() override;

  void sendClipboardText(const std::string& text, const std::string& clipID, const std::string& origin);
  void noteLocalClipboardApplied(const std::string& text);
  void setClipboardEnabled(bool on);

  const ClipDedupe& dedupe() const { return dedupe_; }

 private:
  void onUpdate(const Envelope& envelope);

  LinkCore& link_;
  ObserverSlot<ClipboardObserver> observer_;
  bool enabled_ = false;
  ClipDedupe dedupe_;
};

}  // namespace orvane
