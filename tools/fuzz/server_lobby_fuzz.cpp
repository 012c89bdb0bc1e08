// Several logged-in peers sending whatever bytes they like, cut anywhere, into the server's
// lobby: nobody gets a password, nobody outside a room gets its records, no room outlives
// its people.
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"
#include "protocol/user_record.h"
#include "server/frame.h"
#include "server/frame_reader.h"
#include "server/lobby.h"
#include "server/member.h"
#include "server/peer.h"
#include "tools/fuzz/fuzz_input.h"

namespace ardentis::fuzz {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;

struct FuzzPeer;
// Whose record the lobby is handling while frames are delivered.
const FuzzPeer* sender = nullptr;

struct FuzzPeer final : server::Peer {
    server::Member* member = nullptr;
    server::FrameReader reader;

    void deliver(const server::Frame& frame) override;
};

bool roomScoped(const protocol::LobbyMessage& message) {
    if (message.command != cmd::kRoom) {
        return false;
    }
    const std::int8_t kind = message.signedSubcommand();
    return kind == sub::kRoomChat || kind == sub::kRoomOptions || kind == sub::kPlayerState ||
           kind == sub::kGameStart;
}

void FuzzPeer::deliver(const server::Frame& frame) {
    check(member != nullptr || sender == this, "a record reached a peer that is not on line");
    const auto message = protocol::LobbyMessage::fromBytes(*frame);
    if (message->command == cmd::kLogin || message->command == cmd::kUser) {
        check(message->sparam2.view().empty(), "a user record carried a password");
    }
    if (roomScoped(*message) && sender != nullptr) {
        check(member != nullptr && sender->member != nullptr && member->room != nullptr &&
                  member->room == sender->member->room,
              "a room's record reached someone outside the room");
    }
}

protocol::UserRecord userOf(std::size_t index) {
    protocol::UserRecord user;
    user.account = text::Gbk("player" + std::to_string(index));
    user.password = text::Gbk("secret");
    user.nickname = user.account;
    return user;
}

}  // namespace
}  // namespace ardentis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    fuzz::FuzzInput input(data, size);
    std::vector<fuzz::FuzzPeer> peers(2 + input.byte() % 3);
    server::Lobby lobby([](std::string_view, std::string_view) {});
    const auto enter = [&](std::size_t index) {
        fuzz::sender = &peers[index];
        peers[index].member = lobby.enter(peers[index], fuzz::userOf(index));
        fuzz::check(peers[index].member != nullptr, "a user could not log in");
        fuzz::sender = nullptr;
    };
    const auto leave = [&](std::size_t index) {
        server::Member* member = peers[index].member;
        peers[index].member = nullptr;
        peers[index].reader = server::FrameReader();
        fuzz::sender = &peers[index];  // whatever the leaver is still sent, its session drops
        lobby.leave(*member);
        fuzz::sender = nullptr;
    };
    for (std::size_t i = 0; i < peers.size(); ++i) {
        enter(i);
    }

    while (!input.empty()) {
        const std::uint8_t op = input.byte();
        const std::size_t index = op % peers.size();
        fuzz::FuzzPeer& peer = peers[index];
        if (op >= 240) {  // the connection ends, or a new one logs in
            if (peer.member != nullptr) {
                leave(index);
            } else {
                enter(index);
            }
            continue;
        }
        if (peer.member == nullptr) {
            continue;
        }
        // The next piece of this peer's stream, as one read got it.
        const auto piece = input.take(1 + input.byte() * 2U);
        const auto space = peer.reader.space();
        const std::size_t count = std::min(piece.size(), space.size());
        std::copy_n(piece.begin(), count, space.begin());
        bool failed = false;
        fuzz::sender = &peer;
        peer.reader.commit(count, [&](const protocol::LobbyMessage& message) {
            try {
                lobby.handle(*peer.member, message);
            } catch (const std::exception&) {
                failed = true;  // the session closes the connection
            }
            return !failed;
        });
        fuzz::sender = nullptr;
        if (failed) {
            leave(index);
        }
        std::size_t online = 0;
        for (const auto& each : peers) {
            online += each.member != nullptr ? 1 : 0;
        }
        fuzz::check(lobby.online() == online, "the roster and the connections disagree");
        fuzz::check(lobby.rooms() <= online, "a room outlived its host");
    }
    for (std::size_t i = 0; i < peers.size(); ++i) {
        if (peers[i].member != nullptr) {
            leave(i);
        }
    }
    fuzz::check(lobby.online() == 0 && lobby.rooms() == 0, "a user or a room outlived everyone");
    return 0;
}
