#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/file_append.h"
#include "protocol/record_channel.h"
#include "protocol/record_text.h"
#include "protocol/traffic_log.h"
#include "tests/support/doubles.h"
#include "tests/support/scratch_directory.h"

namespace ardentis::testing {

// A record whose fields are all set from `seed`, so that records differ everywhere.
inline protocol::LobbyMessage sampleRecord(int seed) {
    protocol::LobbyMessage message{};
    message.setKind(static_cast<std::uint8_t>(seed % 5), static_cast<std::int8_t>(seed % 21));
    message.sparam1.set("r" + std::to_string(seed) + " first field");
    message.sparam9.set("r" + std::to_string(seed) + "-9");
    message.iparam1.set(seed * 1000 + 7);
    message.iparam4.set(-seed);
    message.roomnettype.set(static_cast<std::int8_t>(seed % 3));
    return message;
}

inline std::vector<std::byte> bytesOf(std::initializer_list<protocol::LobbyMessage> records) {
    std::vector<std::byte> all;
    for (const protocol::LobbyMessage& record : records) {
        const auto bytes = record.toBytes();
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

// A record channel over `socket`, with its log, its flags and a sleeper that does not wait.
struct ChannelRig {
    explicit ChannelRig(platform::ClientSocket& socket) : com(socket, flags, base, sleeper) {}
    ~ChannelRig() {
        // Whatever happened, the next connection must find both flags free.
        EXPECT_EQ(flags.sendready.load(), 1);
        EXPECT_EQ(flags.recvready.load(), 1);
    }
    ChannelRig(const ChannelRig&) = delete;
    ChannelRig& operator=(const ChannelRig&) = delete;

    [[nodiscard]] std::vector<std::string> logLines() const { return lines(readFile(log.file())); }
    // How a record sent ("Send") or received ("Recv") is logged.
    [[nodiscard]] static std::string line(const char* direction, const protocol::LobbyMessage& m) {
        return std::string("2026-01-31 20:15:07 ") + direction + " " +
               protocol::CommandText(m).bytes() + " " + protocol::RecordText(m).bytes();
    }

    ScratchDirectory dir;
    FixedClock clock{platform::LocalTime{2026, 1, 31, 20, 15, 7, 0}};
    protocol::TrafficLog log{platform::appendFileAt(dir / "ardentisclient.log"), clock};
    RecordingInfoBox infoBox;
    protocol::TcBaseFunctions base{log, infoBox};
    RecordingSleeper sleeper;
    protocol::ChannelFlags flags;
    protocol::TCcom com;
};

}  // namespace ardentis::testing
