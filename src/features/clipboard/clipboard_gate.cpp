#include "features/clipboard/clipboard_gate.hpp"

#include "base/text.hpp"

namespace orvane::ClipboardGate {

std::optional<std::string> sendableText(const std::optional<std::string>& s) {
  if (!s || s->empty()) return std::nullopt;
  // Characters first: the count stops early, while the byte bound keeps a few thousand
  // very wide characters from filling a frame. Clipboard text is passed on exactly as
  // copied, white space included.
  if (text::longerThan(*s, maxCharacters)) return std::nullopt;
  if (s->size() > maxUTF8Bytes) return std::nullopt;
  return s;
}

}  // namespace orvane::ClipboardGate
