#include "app/store/bridge_records.hpp"

namespace orvane {

const char* BridgeActivity::nameOf(Kind kind) {
  switch (kind) {
    case Kind::clipboard: return "clipboard";
    case Kind::notification: return "notification";
    case Kind::link: return "link";
    case Kind::message: return "message";
    case Kind::media: return "media";
  }
  return "clipboard";
}

const char* BridgeActivity::nameOf(Direction direction) {
  return direction == Direction::toMac ? "toMac" : "toPhone";
}

}  // namespace orvane
