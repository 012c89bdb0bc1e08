#pragma once

#include "server/frame.h"

namespace ardentis::server {

// The lobby's view of one connection: somewhere to deliver records. Delivering never
// removes anyone from the lobby on the spot, so callers may deliver while iterating.
class Peer {
  public:
    virtual ~Peer() = default;
    virtual void deliver(const Frame& frame) = 0;
    // A new log-in of the same account has taken the user over: the connection ends without
    // the user leaving the lobby.
    virtual void replaced() = 0;
};

}  // namespace ardentis::server
