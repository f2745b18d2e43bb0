// Clipboard sync on the server's queue: what may be sent, and which updates from the
// phone are accepted, ordered by (seq, origin) without echoes.
#include "base/text.hpp"
#include "features/clipboard/clipboard_gate.hpp"
#include "server/pairing_server.hpp"

namespace orvane {

namespace {
constexpr std::size_t maxIdentifierLength = 64;

bool validIdentifier(std::optional<std::string_view> s) {
  return s && !s->empty() && !text::longerThan(*s, maxIdentifierLength);
}
}  // namespace

std::vector<InboundRoute> PairingServer::clipboardRoutes() {
  return {{"clipboard_update", true, &PairingServer::handleClipboardUpdate}};
}

void PairingServer::handleClipboardUpdate(const Envelope& envelope, Peer&, PeerID) {
  if (!clipEnabled_) return;
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
  if (!clipDedupe_.accept(id, *seq, from, *text)) return;
  withDelegate([&](PairingServerDelegate& d) { d.serverClipboardReceived(*text, id, from); });
}

void PairingServer::sendClipboardText(std::string text, std::string clipID, std::string origin) {
  onQueue([text = std::move(text), clipID = std::move(clipID), origin = std::move(origin)](PairingServer& s) {
    if (!s.clipEnabled_) return;
    Peer* peer = s.sessionPeer();
    if (!peer) return;
    if (!ClipboardGate::sendableText(text)) return;
    if (!validIdentifier(clipID) || !validIdentifier(origin)) return;
    if (!s.clipDedupe_.shouldSend(text)) return;
    // The number is used up from here on, whatever follows: only order matters.
    const std::int64_t seq = s.clipDedupe_.nextSeq();
    Envelope envelope =
        Envelope::make("clipboard_update", {{"clip_id", clipID}, {"origin", origin}, {"seq", std::to_string(seq)}, {"text", text}});
    auto frame = Framing::encode(envelope.encode());
    if (!frame) return;
    peer->lastTx = s.now();
    peer->conn->send(std::move(*frame), [](std::optional<std::string>) {});
    s.clipDedupe_.noteSent(text, seq, origin);
  });
}

void PairingServer::noteLocalClipboardApplied(std::string text) {
  onQueue([text = std::move(text)](PairingServer& s) { s.clipDedupe_.noteApplied(text); });
}

void PairingServer::setClipboardEnabled(bool on) {
  onQueue([on](PairingServer& s) {
    s.clipEnabled_ = on;
    if (!on) s.clipDedupe_.clearMemory();
  });
}

}  // namespace orvane
