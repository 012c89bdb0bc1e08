#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/lobby_message.h"
#include "protocol/user_record.h"
#include "server/member.h"
#include "server/rooms.h"
#include "server/roster.h"

namespace ardentis::server {

struct LobbyRules {
    bool takeover = true;                   // a log-in replaces the account's open session
    std::chrono::milliseconds seatGrace{};  // zero: a dropped member leaves at once
};

// The logged-in users and what their records do. Account fields always come from the
// member, never from a record.
class Lobby {
  public:
    // Called when a user changes the nickname, to keep it with the account.
    using NicknameChanged =
        std::function<void(std::string_view account, std::string_view nickname)>;
    // Runs the work once after the delay, on the lobby's thread.
    using Schedule = std::function<void(std::chrono::milliseconds, std::function<void()>)>;
    // Whether an account's chat is dropped (lobby and room alike).
    using Muted = std::function<bool(std::string_view account)>;

    explicit Lobby(NicknameChanged nicknameChanged, LobbyRules rules = {}, Schedule schedule = {},
                   Muted muted = {});

    // Takes a user who has just logged in: LoginOk (with the user's resumption token, when
    // there is one) and the lists go to the newcomer, the newcomer's record to everyone
    // else. A user still on line (or whose seat is held) is taken over: nobody else hears
    // of it, and a seat in a room waits for the user to ask for it again. nullptr when the
    // account is on line and takeover is off.
    [[nodiscard]] Member* enter(Peer& peer, const protocol::UserRecord& user,
                                std::string_view token = {});
    void handle(Member& sender, const protocol::LobbyMessage& message);
    // Up to `count` more records of the lists a newcomer is owed (every user, then every room,
    // as they are now), taken as its connection has room for them; empty once all went.
    [[nodiscard]] std::vector<Frame> moreLists(Member& member, std::size_t count);
    // The connection is gone: the user leaves its room and everyone hears it, after the
    // seat's grace when the user is in a room.
    void leave(Member& member);
    // The message of the day (GBK), one lobby chat line to each user after LoginOk; empty:
    // none. It comes from a sender with no name, which no account can have.
    void setMotd(std::string_view text);

    // Users on line, those whose seats are held included.
    [[nodiscard]] std::size_t online() const noexcept { return roster_.size(); }
    // Users without a connection whose seats are held.
    [[nodiscard]] std::size_t held() const noexcept { return held_; }
    [[nodiscard]] std::size_t rooms() const noexcept { return rooms_.size(); }
    [[nodiscard]] const Rooms& roomList() const noexcept { return rooms_; }
    // Records handle() has taken, by command byte.
    [[nodiscard]] std::span<const std::uint64_t> handled() const noexcept { return handled_; }

  private:
    void greet(Member& member, const protocol::UserRecord& record, std::string_view token);
    Member* takeOver(Member& member, Peer& peer, const protocol::UserRecord& record,
                     std::string_view token);
    void holdSeat(Member& member);
    void seatExpired(const std::string& account, std::uint64_t ticket);
    void depart(Member& member);
    [[nodiscard]] bool silenced(const Member& sender) const;
    void lobbyChat(Member& sender, const protocol::LobbyMessage& message);
    void userUpdate(Member& sender, const protocol::LobbyMessage& message);
    void room(Member& sender, const protocol::LobbyMessage& message);

    NicknameChanged nicknameChanged_;
    LobbyRules rules_;
    Schedule schedule_;
    Muted muted_;
    Frame motd_;  // none while there is no message of the day
    std::uint64_t nextTicket_ = 0;
    std::size_t held_ = 0;
    std::array<std::uint64_t, 256> handled_{};
    Roster roster_;
    Rooms rooms_{roster_};
};

}  // namespace ardentis::server
