#pragma once

#include <iosfwd>

#include "server/options.h"

namespace ardentis::server {

// `user add NAME` and `user passwd NAME` (password on the input), `user list`,
// `user remove NAME`. Names and passwords are typed in UTF-8 and stored as GBK, as clients
// send them. Exit code.
[[nodiscard]] int runUserCommand(const Command& command, std::istream& in, std::ostream& out,
                                 std::ostream& err);

}  // namespace ardentis::server
