// The server decides who is who and who hears what, whatever a record claims: the lobby's rules,
// on connections that keep what they are sent.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "server/lobby.h"
#include "server/member.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

// Room sub-commands a client sends: {roomno, account}, chat {line, roomno, account}, player state
// {roomno, account} + state, game start {roomno, address, account}.
constexpr std::int8_t kChat = 5, kJoin = 10, kLeave = 12, kOptions = 15, kState = 16, kStart = 20;

using Lines = std::vector<std::string>;

// Every user logs in with this password; no record may carry it, in any form.
const std::string kCipher = protocol::des::EncryptHex("secret");

// Keeps each record in brief: "command,sub", the texts that are not empty ("lobby" for 大厅),
// then iparam1/iparam2 unless both are 0: "4,0 Map|7|host 8/1".
struct Inbox final : Peer {
    void deliver(const Frame& frame) override {
        const std::string_view bytes(reinterpret_cast<const char*>(frame->data()), frame->size());
        EXPECT_EQ(bytes.find(kCipher), std::string_view::npos) << bytes.substr(0, 2);
        const LobbyMessage m = *LobbyMessage::fromBytes(*frame);
        std::string line = std::to_string(m.command) + "," + std::to_string(m.signedSubcommand());
        char separator = ' ';
        for (std::string_view text : {m.sparam1.view(), m.sparam2.view(), m.sparam3.view(),
                                      m.sparam4.view(), m.sparam5.view(), m.sparam6.view(),
                                      m.sparam7.view(), m.sparam8.view(), m.sparam9.view()}) {
            if (!text.empty()) {
                line += separator + std::string(text == lobby ? "lobby" : text);
                separator = '|';
            }
        }
        if (m.iparam1.get() != 0 || m.iparam2.get() != 0) {
            line += " " + std::to_string(m.iparam1.get()) + "/" + std::to_string(m.iparam2.get());
        }
        seen.push_back(line);
    }
    const std::string lobby = text::gbk("大厅").bytes();
    Lines seen;
};

class Authority : public ::testing::Test {
  protected:
    Member& enter(std::string_view account) {
        protocol::UserRecord user;
        user.account = user.nickname = text::Gbk(account);
        user.password = text::Gbk("secret");
        Member* member = lobby.enter(inboxes.emplace_back(), user);
        EXPECT_NE(member, nullptr) << account;
        return *member;
    }
    // What the member has been sent since the last look.
    static Lines take(const Member& member) {
        return std::exchange(static_cast<Inbox&>(member.peer).seen, {});
    }
    void clear() {
        for (Inbox& inbox : inboxes) {
            inbox.seen.clear();
        }
    }

    std::deque<Inbox> inboxes;
    std::map<std::string, std::string, std::less<>> nicknames;  // as kept with the accounts
    Lobby lobby{[this](std::string_view account, std::string_view nickname) {
        nicknames[std::string(account)] = nickname;
    }};
};
using Rooms = Authority;

// Chat goes out only in the sender's own name; an update takes only the nickname, which is kept
// with the account; a newcomer gets LoginOk and the lists, each user as last announced; no
// record ever carries a password (every Inbox checks).
TEST_F(Authority, ChatUpdatesAndListsCarryOnlyTheSendersOwnNameAndNeverAPassword) {
    Member& a = enter("a");
    Member& b = enter("b");
    Member& host = enter("host");
    auto update = record(2, 0, {"a", kCipher, "a", {}, {}, "999"}, 9);
    lobby.handle(a, update);  // nothing new: not news
    EXPECT_EQ(take(b),
              (Lines{"0,0 b|b|lobby", "2,0 a|a|lobby", "2,0 b|b|lobby", "2,0 host|host|lobby"}));
    lobby.handle(host, roomRecord(0, "9", "host"));
    lobby.handle(a, record(4, kJoin, {"9"}));
    clear();
    const std::string notice = text::gbk("作战指挥室>>").bytes();
    for (const char* line : {"b>>I am b", "ab>>close but not mine", "a> >no", "a>>mine"}) {
        lobby.handle(a, record(1, 0, {line}));
    }
    for (const std::string& line :
         Lines{"host>>I am the host", notice + "host starts", "a>>mine", notice + "a is ready"}) {
        lobby.handle(a, record(4, kChat, {line, "9", "host"}));
    }
    EXPECT_EQ(take(b), Lines{"1,0 a>>mine"});
    EXPECT_EQ(take(host),
              (Lines{"1,0 a>>mine", "4,5 a>>mine|9|a", "4,5 " + notice + "a is ready|9|a"}));
    update.sparam1.set("mallory");
    update.sparam3.set("new nick");
    update.iparam2.set(12345);
    lobby.handle(a, update);
    lobby.handle(a, loginRecord("a", "secret"));  // a log-in once in goes nowhere
    lobby.handle(a, record(2, 1, {"a"}));
    EXPECT_EQ(take(b), Lines{"2,0 a|new nick|9"});  // where the server has the user
    EXPECT_EQ(nicknames, (decltype(nicknames){{"a", "new nick"}}));
    Member& c = enter("c");
    EXPECT_EQ(take(c), (Lines{"0,0 c|c|lobby", "2,0 a|new nick|9", "2,0 b|b|lobby",
                              "2,0 host|host|lobby", "2,0 c|c|lobby", "4,0 Map|9|host 8/2"}));
    EXPECT_EQ(take(b), Lines{"2,0 c|c|lobby"});
    lobby.handle(c, record(4, kJoin, {"9"}));  // the room shows a again
}

TEST_F(Authority, RoomRecordsReachOnlyTheirRoomWithTheSenderAsAccount) {
    Member& h1 = enter("h1");
    Member& m1 = enter("m1");
    Member& h2 = enter("h2");
    Member& m2 = enter("m2");
    Member& outsider = enter("o");
    lobby.handle(h1, roomRecord(0, "1", "h1"));
    lobby.handle(m1, record(4, kJoin, {"1"}));
    lobby.handle(h2, roomRecord(0, "2", "h2"));
    lobby.handle(m2, record(4, kJoin, {"2"}));
    clear();
    lobby.handle(m1, record(4, kChat, {"m1>>hi room one", "1", "h1"}));
    lobby.handle(m1, record(4, kState, {"1", "h1"}, -1));
    lobby.handle(h1, record(4, kStart, {"1", "10.1.2.3", "m1"}));
    lobby.handle(h1, roomRecord(kOptions, "1", "mallory"));
    // Naming a room one is not in, the host's records from a member, kinds only the server sends
    // and unknown ones reach nobody.
    for (const LobbyMessage& m :
         {record(4, kChat, {"h1>>let me in", "2", "h1"}), record(4, kState, {"2", "h1"}),
          record(4, kStart, {"2", "10.0.0.1", "h1"}), record(4, kLeave, {"2", "m2"}),
          roomRecord(0, "2", "h1"), roomRecord(2, "1", "h1"), roomRecord(9, "1", "h1"),
          roomRecord(11, "1", "h1"), roomRecord(7, "1", "h1"), roomRecord(-1, "1", "h1"),
          record(3, 0), record(5, 0), record(200, 7)}) {
        lobby.handle(h1, m);
    }
    for (const LobbyMessage& m :
         {roomRecord(kOptions, "2", "h2"), record(4, kStart, {"2", "10.0.0.2", "h2"}),
          roomRecord(0, "2", "h2", 4)}) {
        lobby.handle(m2, m);
    }
    EXPECT_EQ(take(h1), (Lines{"4,5 m1>>hi room one|1|m1", "4,16 1|m1 -1/0"}));
    EXPECT_EQ(take(m1),
              (Lines{"4,5 m1>>hi room one|1|m1", "4,20 1|10.1.2.3|h1", "4,15 Map|1|h1 8/2"}));
    for (const Member* other : {&h2, &m2, &outsider}) {
        EXPECT_EQ(take(*other), Lines{});
    }
}

// Host, players and members are the server's, whatever a record claims; a user hosts or sits in
// one room at most; leaving or dropping frees the place, and the host going closes the room.
TEST_F(Rooms, LifeOfARoomFromOpeningToClosing) {
    Member& host = enter("host");
    Member& first = enter("first");
    Member& second = enter("second");
    Member& late = enter("late");
    auto forged = roomRecord(0, "7", "mallory", 3);
    forged.iparam2.set(6);
    clear();
    lobby.handle(host, forged);
    lobby.handle(first, record(4, kJoin, {"7"}));
    EXPECT_EQ(take(late), (Lines{"4,0 Map|7|host 3/1", "4,0 Map|7|host 3/2"}));
    clear();
    // The joiner learns every member, itself last; the members learn the joiner.
    lobby.handle(second, record(4, kJoin, {"7", "outsider"}));
    EXPECT_EQ(take(second), (Lines{"4,11 host|host|7|7", "4,11 first|first|7|7",
                                   "4,2 second|second|7|7", "4,0 Map|7|host 3/3"}));
    for (const Member* member : {&host, &first}) {
        EXPECT_EQ(take(*member), (Lines{"4,2 second|second|7|7", "4,0 Map|7|host 3/3"}));
    }
    // Full: only the late one hears of it. A member's change of the room, and a second room
    // from its host or a member, reach nobody.
    lobby.handle(late, record(4, kJoin, {"7", "late"}));
    EXPECT_EQ(take(late), (Lines{"4,0 Map|7|host 3/3", "4,10 Map|7|host 3/3"}));
    forged.sparam1.set("Lava Run");
    lobby.handle(first, forged);
    lobby.handle(first, roomRecord(0, "3", "first"));
    lobby.handle(host, roomRecord(0, "2", "host"));
    lobby.handle(host, forged);
    EXPECT_EQ(take(late), (Lines{"4,0 Lava Run|7|host 3/3"}));
    // Leaving in another's name still takes the sender out: its room chat reaches nobody, and
    // it may open a room. Dropping leaves too; the host going closes the room and frees its
    // number.
    clear();
    lobby.handle(second, record(4, kLeave, {"7", "first"}));
    lobby.handle(second, record(4, kChat, {"second>>still here?", "7", "second"}));
    lobby.handle(second, roomRecord(0, "4", "second"));
    EXPECT_EQ(take(first),
              (Lines{"4,12 7|second", "4,0 Lava Run|7|host 3/2", "4,0 Map|4|second 8/1"}));
    lobby.leave(first);
    EXPECT_EQ(take(host),
              (Lines{"4,12 7|second", "4,0 Lava Run|7|host 3/2", "4,0 Map|4|second 8/1",
                     "4,12 7|first", "4,0 Lava Run|7|host 3/1", "2,1 first|first|lobby"}));
    lobby.handle(host, record(4, kLeave, {"7", "host"}));
    lobby.leave(second);
    lobby.handle(host, record(4, kChat, {"host>>gone?", "7", "host"}));
    lobby.handle(host, roomRecord(0, "7", "host"));
    EXPECT_EQ(take(late),
              (Lines{"4,0 Lava Run|7|host 3/2", "4,0 Map|4|second 8/1", "4,0 Lava Run|7|host 3/1",
                     "2,1 first|first|lobby", "4,9 Lava Run|7|host 3/1", "4,9 Map|4|second 8/1",
                     "2,1 second|second|lobby", "4,0 Map|7|host 8/1"}));
}

}  // namespace
}  // namespace ardentis::server::testing
