#include "server/lobby.h"

#include <utility>

#include "protocol/codec.h"
#include "protocol/message_kind.h"
#include "server/log.h"
#include "server/outgoing.h"
#include "server/resume_token.h"
#include "server/room_relay.h"

namespace ardentis::server {
namespace {

namespace cmd = protocol::command;
namespace sub = protocol::subcommand;

// Moves `next` through `items` (by the order they came) up to `last`, taking each one's
// announcement until `frames` holds `count`: the frames are shared, not encoded per newcomer.
// One gone since is skipped; one come since was announced to the newcomer already.
template <typename Ordered>
void take(const Ordered& items, std::uint64_t& next, std::uint64_t last, std::size_t count,
          std::vector<Frame>& frames) {
    for (auto it = items.lower_bound(next);
         it != items.end() && it->first <= last && frames.size() < count; ++it) {
        frames.push_back(it->second->announcement);
        next = it->first + 1;
    }
    if (frames.size() < count) {
        next = last + 1;
    }
}

}  // namespace

Lobby::Lobby(NicknameChanged nicknameChanged, LobbyRules rules, Schedule schedule, Muted muted)
    : nicknameChanged_(std::move(nicknameChanged)),
      rules_(rules),
      schedule_(std::move(schedule)),
      muted_(std::move(muted)) {}

void Lobby::setMotd(std::string_view text) {
    if (text.empty()) {
        motd_ = Frame();
        return;
    }
    protocol::LobbyMessage line = emptyMessage(cmd::kLobbyChat, sub::kLobbyChat);
    line.sparam1.set(">>" + std::string(text));
    motd_ = makeFrame(line);
}

Member* Lobby::enter(Peer& peer, const protocol::UserRecord& user, std::string_view token) {
    protocol::UserRecord record = user;
    record.password = text::Gbk();
    record.location = text::Gbk(lobbyLocation());
    if (Member* known = roster_.find(record.account.view()); known != nullptr) {
        if (known->peer != nullptr && !rules_.takeover) {
            return nullptr;
        }
        return takeOver(*known, peer, record, token);
    }
    Member* member = roster_.add(peer, record);
    member->announced = record;
    member->announcement = makeFrame(userMessage(cmd::kUser, sub::kUserUpdate, record));
    greet(*member, record, token);
    for (Member* other : roster_.members()) {
        if (other != member) {
            other->deliver(member->announcement);
        }
    }
    return member;
}

void Lobby::greet(Member& member, const protocol::UserRecord& record, std::string_view token) {
    protocol::LobbyMessage ok = userMessage(cmd::kLogin, sub::kLoginOk, record);
    resume_token::write(token, ok);
    member.deliver(makeFrame(ok));
    if (motd_) {
        member.deliver(motd_);
    }
    // The lists follow as the connection drains: a lobby of thousands must not land in one
    // queue at once, nor in every newcomer's at the same time.
    member.lists = ListCursor{.lastUser = roster_.latest(), .lastRoom = rooms_.latest()};
}

std::vector<Frame> Lobby::moreLists(Member& member, std::size_t count) {
    std::vector<Frame> frames;
    ListCursor& at = member.lists;
    take(roster_.inOrder(), at.nextUser, at.lastUser, count, frames);
    if (frames.size() < count) {
        take(rooms_.inOrder(), at.nextRoom, at.lastRoom, count, frames);
    }
    return frames;
}

Member* Lobby::takeOver(Member& member, Peer& peer, const protocol::UserRecord& record,
                        std::string_view token) {
    if (Peer* old = std::exchange(member.peer, &peer); old != nullptr) {
        old->replaced();
    } else {
        --held_;
        log::line(log::text(member.user.account.view()) + " back within the seat's grace");
    }
    // The client starts afresh in the lobby; the others see the same user as before.
    greet(member, record, token);
    if (member.room != nullptr) {
        if (rules_.seatGrace.count() > 0) {
            member.seatUnclaimed = true;
            holdSeat(member);
        } else {
            rooms_.leave(member);
        }
    }
    return &member;
}

void Lobby::leave(Member& member) {
    member.peer = nullptr;
    if (member.room == nullptr || rules_.seatGrace.count() <= 0) {
        depart(member);
        return;
    }
    ++held_;
    log::line(log::text(member.user.account.view()) + " dropped: seat in room " +
              log::text(member.room->record.roomno.view()) + " held");
    holdSeat(member);
}

void Lobby::holdSeat(Member& member) {
    const std::uint64_t ticket = ++nextTicket_;
    member.graceTicket = ticket;
    schedule_(rules_.seatGrace, [this, account = std::string(member.user.account.view()), ticket] {
        seatExpired(account, ticket);
    });
}

void Lobby::seatExpired(const std::string& account, std::uint64_t ticket) {
    Member* member = roster_.find(account);
    if (member == nullptr || member->graceTicket != ticket) {
        return;  // back and settled, or gone, since
    }
    if (member->peer == nullptr) {
        --held_;
        log::line(log::text(account) + " not back: seat given up");
        depart(*member);
    } else if (member->seatUnclaimed) {
        rooms_.leave(*member);
    }
}

void Lobby::depart(Member& member) {
    rooms_.leave(member);
    const Frame gone = makeFrame(userMessage(cmd::kUser, sub::kUserGone, member.user));
    roster_.remove(member);
    roster_.broadcast(gone);
}

void Lobby::handle(Member& sender, const protocol::LobbyMessage& message) {
    ++handled_[message.command];
    switch (message.command) {
        case cmd::kLobbyChat:
            if (!silenced(sender)) {
                lobbyChat(sender, message);
            }
            break;
        case cmd::kUser:
            if (message.signedSubcommand() == sub::kUserUpdate) {
                userUpdate(sender, message);
            }
            break;
        case cmd::kRoom:
            room(sender, message);
            break;
        default:
            break;  // a second log-in, or a kind nobody sends
    }
}

bool Lobby::silenced(const Member& sender) const {
    return muted_ && muted_(sender.user.account.view());
}

void Lobby::lobbyChat(Member& sender, const protocol::LobbyMessage& message) {
    if (!isOwnLobbyLine(sender.user.account.view(), message.sparam1.view())) {
        return;
    }
    protocol::LobbyMessage out = emptyMessage(cmd::kLobbyChat, sub::kLobbyChat);
    out.sparam1.set(message.sparam1.view());
    roster_.broadcast(makeFrame(out));
}

void Lobby::userUpdate(Member& sender, const protocol::LobbyMessage& message) {
    // The password field is never looked at: blank it so the codec has nothing to decipher.
    protocol::LobbyMessage copy = message;
    copy.sparam2.set("");
    const protocol::UserRecord incoming = protocol::DecodeUser(copy);
    if (incoming.nickname != sender.user.nickname) {
        sender.user.nickname = incoming.nickname;
        nicknameChanged_(sender.user.account.view(), sender.user.nickname.view());
    }
    // Clients repeat their record after every room update they see; only a change is news.
    if (sender.user == sender.announced) {
        return;
    }
    sender.announced = sender.user;
    sender.announcement = makeFrame(userMessage(cmd::kUser, sub::kUserUpdate, sender.user));
    roster_.broadcast(sender.announcement);
}

void Lobby::room(Member& sender, const protocol::LobbyMessage& message) {
    switch (message.signedSubcommand()) {
        case sub::kRoomUpdate:
            rooms_.update(sender, message);
            break;
        case sub::kRoomJoin:
            rooms_.join(sender, message);
            break;
        case sub::kRoomLeave:
            rooms_.leaveRequest(sender, message);
            break;
        case sub::kRoomChat:
            if (!silenced(sender)) {
                room_relay::chat(sender, message);
            }
            break;
        case sub::kRoomOptions:
            room_relay::options(sender, message);
            break;
        case sub::kPlayerState:
            room_relay::playerState(sender, message);
            break;
        case sub::kGameStart:
            room_relay::gameStart(sender, message);
            break;
        default:
            break;  // the server's own kinds and unknown ones
    }
}

}  // namespace ardentis::server
