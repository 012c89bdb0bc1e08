#pragma once

#include "protocol/lobby_message.h"
#include "text/gbk.h"

namespace ardentis::protocol {

// The traffic log's rendering of a record: "4:16" and "sparam1:... iparam11:0", both
// trimmed of surrounding blanks. Field bytes are printed as they are, never re-interpreted.
[[nodiscard]] text::Gbk CommandText(const LobbyMessage& message);
[[nodiscard]] text::Gbk RecordText(const LobbyMessage& message);

}  // namespace ardentis::protocol
