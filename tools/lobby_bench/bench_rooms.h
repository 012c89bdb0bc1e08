#pragma once

// The rooms the lobby benches list and the updates they time, the same for the headless
// client and the real list view, so that their figures compare.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/room_record.h"
#include "text/gbk.h"

namespace ardentis::bench {

constexpr int kRooms = 2000;
constexpr int kUpdates = 6000;  // a minute of a hundred updates a second
constexpr int kMaxPlayers = 8;

inline text::Gbk account(int i) {
    return text::Gbk("user" + std::to_string(i));
}
inline text::Gbk roomNumber(int i) {
    return text::Gbk("room" + std::to_string(i));
}

// Room i, hosted by user i, open and discussing, with `players` in it.
inline protocol::RoomRecord room(int i, int players) {
    protocol::RoomRecord room;
    room.host = account(i);
    room.roomno = roomNumber(i);
    room.comment = text::Gbk("a room");
    room.map = text::Gbk("Comet Catcher");
    room.status = text::Gbk("0");
    room.modname = text::Gbk("Total Annihilation");
    room.modcode = text::Gbk("TA");
    room.maxplayers = kMaxPlayers;
    room.players = static_cast<std::int8_t>(players);
    return room;
}

// The timed update `i`: room updatedRoom(i) now holds updatedPlayers(i) (full at times).
constexpr int updatedRoom(int i) {
    return (i * 7919) % kRooms;
}
constexpr int updatedPlayers(int i) {
    return 1 + (i * 31) % kMaxPlayers;
}

// The user's choices while the updates are timed: by players (lobby::room_columns::kPlayers),
// most first, joinable rooms only, and a search that some hosts match.
inline const char* const kSearch = "user1";

struct Figures {
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};
inline Figures figures(std::vector<double> micros) {
    if (micros.empty()) {
        return {};
    }
    std::ranges::sort(micros);
    const auto at = [&](double share) {
        return micros[static_cast<std::size_t>(share * static_cast<double>(micros.size() - 1))];
    };
    return {at(0.5), at(0.99), micros.back()};
}

}  // namespace ardentis::bench
