#pragma once

#include "features/clipboard/clipboard_observer.hpp"
#include "features/media/media_observer.hpp"
#include "features/notifications/notifications_observer.hpp"
#include "features/status/status_observer.hpp"
#include "pairing/pairing_observer.hpp"
#include "session/link_observer.hpp"

namespace orvane {

// Receiver of every event of the pairing server (the application hub): the observers
// of the link, of pairing and of each feature, in one. The server calls it on its own
// queue; every callback but `serverMacIsPlaying` must return at once and move its work
// to the main thread.
class PairingServerDelegate : public LinkObserver,
                              public PairingObserver,
                              public ClipboardObserver,
                              public MediaObserver,
                              public NotificationsObserver,
                              public StatusObserver {};

}  // namespace orvane
