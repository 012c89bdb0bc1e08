#pragma once

#include <cstdint>

#include "text/fixed_text.h"

namespace ardentis::protocol {

// One battle room with its game options (radio groups as index + 1, sliders as position).
struct RoomRecord {
    text::FixedText<20> host;
    text::FixedText<20> roomno;
    text::FixedText<50> comment;
    text::FixedText<50> map;
    text::FixedText<1> status;
    text::FixedText<20> modname;
    text::FixedText<2> modcode;
    text::FixedText<10> password;
    text::FixedText<20> roomref;
    std::int8_t maxplayers = 0;
    std::int8_t players = 0;
    std::int8_t commander = 0;
    std::int8_t los = 0;
    std::int8_t watch = 0;
    std::int8_t cheat = 0;
    std::int8_t mapmode = 0;
    std::int8_t startpos = 0;
    std::int8_t unitlimit = 0;
    std::int8_t metal = 0;
    std::int8_t energy = 0;
    std::int8_t nettype = 0;

    friend bool operator==(const RoomRecord&, const RoomRecord&) = default;
};

}  // namespace ardentis::protocol
