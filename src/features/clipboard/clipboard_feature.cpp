#include "features/clipboard/clipboard_feature.hpp"

#include "base/text.hpp"
#include "features/clipboard/clip_epoch_store.hpp"
#include "features/clipboard/clipboard_gate.hpp"

namespace orvane {

namespace {
bool validIdentifier(std::optional<std::string_view> s) {
  return s && !s->empty() && !text::longerThan(*s, ClipboardFeature::maxIdentifierLength);
}
}  // namespace

ClipboardFeature::ClipboardFeature(LinkCore& link, std::shared_ptr<UserDefaults> defaults)
    : link_(link),
      dedupe_(ClipEpochStore(defaults).load(),
              [store = ClipEpochStore(defaults)](std::int64_t counter, std::int64_t maxSeq, const std::string& maxOrigin) {
                store.save(counter, maxSeq, maxOrigin);
              }) {}

expected<void, std::string> ClipboardFeature::registerRoutes(RouteRegistry& routes) {
  return routes.add("clipboard_update", true, [this](const Envelope& envelope, Peer&, PeerID) { onUpdate(envelope); });
}

// The phone was forgotten: the clock stops remembering its updates.
void ClipboardFeature::forgotten() { dedupe_.resetForForget(); }

void ClipboardFeature::onUpdate(const Envelope& envelope) {
  if (!enabled_) return;
  auto clipID = envelope.get("clip_id");
  auto origin = envelope.get("origin");
  if (!validIdentifier(clipID) || !validIdentifier(origin)) return;
  auto seqText = envelope.get("seq");
  if (!seqText) return;
  auto seq = text::parseInt64(*seqText);
  if (!seq || *seq < 0) return;
  auto text = ClipboardGate::sendableText(envelope.text("text"));
  if (!text) return;
  const std::string id(*clipID), from(*origin);
  if (!dedupe_.accept(id, *seq, from, *text)) return;
  observer_.notify([&](ClipboardObserver& o) { o.serverClipboardReceived(*text, id, from); });
}

void ClipboardFeature::sendClipboardText(const std::string& text, const std::string& clipID, const std::string& origin) {
  if (!enabled_) return;
  Peer* peer = link_.sessionPeer();
  if (!peer) return;
  if (!ClipboardGate::sendableText(text)) return;
  if (!validIdentifier(clipID) || !validIdentifier(origin)) return;
  if (!dedupe_.shouldSend(text)) return;
  // The number is used up from here on, whatever follows: only order matters.
  const std::int64_t seq = dedupe_.nextSeq();
  const Envelope envelope =
      Envelope::make("clipboard_update", {{"clip_id", clipID}, {"origin", origin}, {"seq", std::to_string(seq)}, {"text", text}});
  if (!link_.sendEnvelope(*peer, envelope)) return;
  dedupe_.noteSent(text, seq, origin);
}

void ClipboardFeature::noteLocalClipboardApplied(const std::string& text) { dedupe_.noteApplied(text); }

void ClipboardFeature::setClipboardEnabled(bool on) {
  enabled_ = on;
  if (!on) dedupe_.clearMemory();
}

}  // namespace orvane
