#pragma once

// The held UDP port lives with the other test sockets.
#include "tests/support/loopback_peer.h"
