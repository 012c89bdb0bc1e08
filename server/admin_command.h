#pragma once

#include <iosfwd>

#include "server/options.h"

namespace ardentis::server {

// `admin kick|ban|unban|mute|unmute|motd ...`: one request to the running server's control
// socket. Accounts and texts are typed in UTF-8 and sent as GBK. The server's answer goes to
// `out` (done) or `err` (refused). Exit code: 0 done, 1 refused, 2 a bad command line,
// 3 no server at the socket.
[[nodiscard]] int runAdminCommand(const Command& command, std::ostream& out, std::ostream& err);

}  // namespace ardentis::server
