#pragma once

#include "server/frame.h"

namespace ardentis::server {

// The lobby's view of one connection: somewhere to deliver records. Delivering never
// removes anyone from the lobby on the spot, so callers may deliver while iterating.
class Peer {
  public:
    virtual ~Peer() = default;
    virtual void deliver(const Frame& frame) = 0;
};

}  // namespace ardentis::server
