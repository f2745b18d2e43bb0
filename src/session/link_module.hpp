#pragma once

#include <string>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "session/peer.hpp"
#include "session/route_registry.hpp"

namespace orvane {

// A part of the server that plugs into the link core: it brings its rows of the
// message catalogue and hears the link's moments it cares about. Every hook runs on
// the server's queue.
class LinkModule {
 public:
  virtual ~LinkModule() = default;

  virtual expected<void, std::string> registerRoutes(RouteRegistry& routes) = 0;

  // Every housekeeping tick while running, before the connections are checked.
  virtual void tick(SteadyTime) {}
  // Every tick, for the authenticated session that stays open (after its keep-alive).
  virtual void sessionTick(Peer&, SteadyTime) {}
  // A connection has just authenticated with its stored credential.
  virtual void sessionStarted(Peer&) {}
  // Whether this module keeps `peerID` for a reason of its own (a pairing request
  // waiting for the user), so that it is not closed to make room.
  virtual bool holdsPeer(PeerID) const { return false; }
  // A connection left the link, after the session-end steps when it was the session.
  virtual void peerRetired(PeerID) {}
  // The link stopped: every connection was closed without any report.
  virtual void stopped() {}
  // The pairing was forgotten, on either side.
  virtual void forgotten() {}
};

}  // namespace orvane
