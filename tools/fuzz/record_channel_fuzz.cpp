// A peer's byte stream cut anywhere, read through the client's record channel: only whole
// records come out, each once, in the order they were sent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/fake/instant_sleeper.h"
#include "platform/fake/scripted_socket.h"
#include "protocol/channel_flags.h"
#include "protocol/connection_helpers.h"
#include "protocol/record_channel.h"
#include "protocol/traffic_log.h"
#include "tests/support/doubles.h"
#include "tools/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    using protocol::kRecordSize;
    fuzz::FuzzInput input(data, size);
    // The pieces the stream arrives in, and how much each receive call takes.
    std::vector<std::size_t> pieces(1 + input.byte() % 8);
    for (auto& piece : pieces) {
        piece = 1 + input.byte() * 3U;
    }
    std::vector<int> steps(input.byte() % 16);
    for (int& step : steps) {
        const std::uint8_t value = input.byte();
        step = value == 0 ? platform::ScriptedSocket::kBlock : value;
    }
    const auto stream = input.rest();

    const testing::FixedClock clock;
    const protocol::TrafficLog log(std::make_unique<testing::DiscardingFile>(), clock);
    testing::RecordingInfoBox box;
    const protocol::TcBaseFunctions base(log, box);
    platform::ScriptedSocket socket;
    socket.open("127.0.0.1", 8888);
    socket.completeConnect();
    socket.scriptReceives(steps);
    platform::InstantSleeper sleeper;
    protocol::ChannelFlags flags;
    protocol::TCcom com(socket, flags, base, sleeper);

    std::size_t records = 0;
    const protocol::TCcom::Dispatch take = [&](const protocol::LobbyMessage& message) {
        const auto expected = stream.subspan(records * kRecordSize, kRecordSize);
        const auto got = message.toBytes();
        fuzz::check(std::ranges::equal(got, expected),
                    "a record came out that was not the next one sent");
        ++records;
    };
    // Every read event takes at most one record; a step may take none while the script
    // blocks, so each piece gets a bounded number of events.
    std::size_t fed = 0;
    for (std::size_t i = 0; fed < stream.size(); ++i) {
        const auto piece =
            stream.subspan(fed).first(std::min(pieces[i % pieces.size()], stream.size() - fed));
        socket.feed(piece);
        fed += piece.size();
        for (std::size_t event = 0; event < piece.size() / kRecordSize + steps.size() + 2;
             ++event) {
            com.ReceiveStep(take);
        }
    }
    for (std::size_t event = 0; socket.bytesWaiting() >= kRecordSize; ++event) {
        fuzz::check(event <= stream.size() / kRecordSize + steps.size(),
                    "whole records stay queued");
        com.ReceiveStep(take);
    }
    fuzz::check(records == stream.size() / kRecordSize, "a whole record was lost");
    fuzz::check(flags.recvready.load() == 1, "the receive flag was left taken");
    return 0;
}
