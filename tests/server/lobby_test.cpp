// Who is who and hears what (the lobby's rules), who gets in and what no client may do to others.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "server/account_store.h"
#include "server/connection.h"
#include "server/frame_reader.h"
#include "server/lobby.h"
#include "server/log.h"
#include "server/member.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

// Room records: {roomno, account}; chat {line, roomno, account}; start {roomno, ip, account}.
constexpr std::int8_t kChat = 5, kJoin = 10, kLeave = 12, kOptions = 15, kState = 16, kStart = 20;

using Lines = std::vector<std::string>;

const std::string kCipher = protocol::des::EncryptHex("secret");

// Keeps records in brief ("4,0 Map|7|host 8/1"); none may carry the users' password, in any form.
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
    void replaced() override { seen.emplace_back("replaced"); }
    const std::string lobby = text::gbk("大厅").bytes();
    Lines seen;
};

class Authority : public ::testing::Test {
  protected:
    Member& enter(std::string_view account) {
        protocol::UserRecord user;
        user.account = user.nickname = text::Gbk(account);
        user.password = text::Gbk("secret");
        Member& member = *lobby.enter(inboxes.emplace_back(), user);  // crashes when refused
        for (const Frame& frame : lobby.moreLists(member, 1000)) {
            inboxes.back().deliver(frame);
        }
        return member;
    }
    static Lines take(const Member& member) {
        return std::exchange(static_cast<Inbox*>(member.peer)->seen, {});
    }
    void clear() {
        std::ranges::for_each(inboxes, [](Inbox& inbox) { inbox.seen.clear(); });
    }
    // The grace of the first `count` seats held ends now (of all by default).
    void expire(std::size_t count = SIZE_MAX) {
        const auto end = due.begin() + static_cast<std::ptrdiff_t>(std::min(count, due.size()));
        const std::vector<std::function<void()>> ending(due.begin(), end);
        due.erase(due.begin(), end);
        std::ranges::for_each(ending, [](const auto& work) { work(); });
    }

    std::deque<Inbox> inboxes;
    std::map<std::string, std::string, std::less<>> nicknames;  // as kept with the accounts
    std::vector<std::function<void()>> due;                     // the seats' grace expiries
    Lobby lobby{[this](std::string_view account, std::string_view nickname) {
                    nicknames[std::string(account)] = nickname;
                },
                LobbyRules{.takeover = true, .seatGrace = 1s},
                [this](std::chrono::milliseconds, std::function<void()> work) {
                    due.push_back(std::move(work));
                }};
};

// Chat goes out only in the sender's own name; an update takes only the nickname, kept with the
// account; a newcomer gets LoginOk and the lists, each user as last announced.
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
}

// Host, players and members are the server's, whatever a record claims; one room per user.
TEST_F(Authority, ARoomFromOpeningToClosingItsRecordsReachOnlyItsMembersAsTheSenders) {
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
    // Full: only the late one hears of it.
    lobby.handle(late, record(4, kJoin, {"7", "late"}));
    EXPECT_EQ(take(late), (Lines{"4,0 Map|7|host 3/3", "4,10 Map|7|host 3/3"}));
    // Room records reach only the room, with the sender as account. Naming another room, the
    // host's records from a member, a second room and kinds not for clients go nowhere.
    lobby.handle(late, roomRecord(0, "2", "late"));
    clear();
    lobby.handle(first, record(4, kChat, {"first>>hi room", "7", "host"}));
    lobby.handle(first, record(4, kState, {"7", "host"}, -1));
    lobby.handle(host, record(4, kStart, {"7", "10.1.2.3", "first"}));
    lobby.handle(host, roomRecord(kOptions, "7", "mallory"));
    for (const LobbyMessage& m :
         {record(4, kChat, {"host>>let me in", "2", "host"}), record(4, kState, {"2", "host"}),
          record(4, kStart, {"2", "10.0.0.1", "host"}), record(4, kLeave, {"2", "late"}),
          roomRecord(0, "2", "host"), roomRecord(0, "5", "host"), roomRecord(2, "7", "host"),
          roomRecord(9, "7", "host"), roomRecord(11, "7", "host"), roomRecord(7, "7", "host"),
          roomRecord(-1, "7", "host"), record(3, 0), record(5, 0), record(200, 7)}) {
        lobby.handle(host, m);
    }
    forged.sparam1.set("Lava Run");
    for (const LobbyMessage& m :
         {roomRecord(kOptions, "7", "first"), forged, record(4, kStart, {"7", "10.0.0.2", "first"}),
          roomRecord(0, "3", "first")}) {
        lobby.handle(first, m);
    }
    EXPECT_EQ(take(host), (Lines{"4,5 first>>hi room|7|first", "4,16 7|first -1/0"}));
    EXPECT_EQ(take(first),
              (Lines{"4,5 first>>hi room|7|first", "4,20 7|10.1.2.3|host", "4,15 Map|7|host 8/3"}));
    EXPECT_EQ(take(late), Lines{});
    lobby.handle(host, forged);
    EXPECT_EQ(take(late), (Lines{"4,0 Lava Run|7|host 3/3"}));
    // Leaving in another's name takes the sender out; dropping leaves too; the host closes it.
    clear();
    lobby.handle(second, record(4, kLeave, {"7", "first"}));
    lobby.handle(second, record(4, kChat, {"second>>still here?", "7", "second"}));
    lobby.handle(second, roomRecord(0, "4", "second"));
    EXPECT_EQ(take(first),
              (Lines{"4,12 7|second", "4,0 Lava Run|7|host 3/2", "4,0 Map|4|second 8/1"}));
    lobby.leave(first);
    expire();
    EXPECT_EQ(take(host),
              (Lines{"4,12 7|second", "4,0 Lava Run|7|host 3/2", "4,0 Map|4|second 8/1",
                     "4,12 7|first", "4,0 Lava Run|7|host 3/1", "2,1 first|first|lobby"}));
    lobby.handle(host, record(4, kLeave, {"7", "host"}));
    lobby.leave(second);
    expire();
    lobby.handle(host, record(4, kChat, {"host>>gone?", "7", "host"}));
    lobby.handle(host, roomRecord(0, "7", "host"));
    EXPECT_EQ(take(late),
              (Lines{"4,0 Lava Run|7|host 3/2", "4,0 Map|4|second 8/1", "4,0 Lava Run|7|host 3/1",
                     "2,1 first|first|lobby", "4,9 Lava Run|7|host 3/1", "4,9 Map|4|second 8/1",
                     "2,1 second|second|lobby", "4,0 Map|7|host 8/1"}));
}

// A second log-in takes the user over unseen by the others. A dropped member's seat waits for
// the user, who asks for it back by joining (a member) or updating (the host) the room, or gives
// it up by going elsewhere; when the grace ends first, the others hear the leave as always.
TEST_F(Authority, ATakenOverOrDroppedUserKeepsItsSeatUntilTheGraceEnds) {
    Member& host = enter("host");
    Member& first = enter("first");
    Member& second = enter("second");
    Member& late = enter("late");
    lobby.handle(host, roomRecord(0, "7", "host", 3));
    lobby.handle(first, record(4, kJoin, {"7"}));
    lobby.handle(second, record(4, kJoin, {"7"}));
    clear();
    Inbox& corpse = *static_cast<Inbox*>(first.peer);
    EXPECT_EQ(&enter("first"), &first);
    EXPECT_EQ(corpse.seen, Lines{"replaced"});
    lobby.handle(host, record(4, kChat, {"host>>first?", "7", "host"}));  // not for first yet
    EXPECT_EQ(take(first),
              (Lines{"0,0 first|first|lobby", "2,0 host|host|lobby", "2,0 first|first|lobby",
                     "2,0 second|second|lobby", "2,0 late|late|lobby", "4,0 Map|7|host 3/3"}));
    lobby.handle(first, record(4, kJoin, {"7"}));
    lobby.handle(first, record(4, kJoin, {"7"}));  // back already: a join like any other
    EXPECT_EQ(take(first), (Lines{"4,11 host|host|7|7", "4,2 first|first|7|7",
                                  "4,11 second|second|7|7", "4,0 Map|7|host 3/3"}));
    lobby.leave(second);
    EXPECT_EQ(lobby.held(), 1U);
    EXPECT_EQ(&enter("second"), &second);
    lobby.handle(second, roomRecord(0, "4", "second"));
    lobby.handle(late, record(4, kJoin, {"4"}));
    lobby.leave(host);  // nothing new while the seats wait
    const Lines seatGoneRoomOpened{"4,12 7|second", "4,0 Map|7|host 3/2", "4,0 Map|4|second 8/1",
                                   "4,0 Map|4|second 8/2"};
    EXPECT_EQ(take(first), seatGoneRoomOpened);
    expire();  // all but the host's are out of date
    EXPECT_EQ(take(first), (Lines{"4,12 7|host", "4,9 Map|7|host 3/2", "2,1 host|host|lobby"}));
    EXPECT_EQ(std::tuple(lobby.held(), lobby.online(), lobby.rooms()), std::tuple(0U, 3U, 1U));
    // The host of room 4 and its member are back, the host asks for its room, the member not.
    lobby.leave(second);
    Inbox& replaced = *static_cast<Inbox*>(late.peer);
    (void)enter("second");
    (void)enter("late");
    EXPECT_EQ(replaced.seen.back(), "replaced");
    clear();
    lobby.handle(second, roomRecord(0, "4", "second"));
    EXPECT_EQ(take(second), (Lines{"4,2 late|late|4|4", "4,0 Map|4|second 8/2"}));
    // The host drops once more: only the grace of its latest drop may end its room.
    lobby.leave(second);
    expire(due.size() - 1);
    EXPECT_EQ(take(first), (Lines{"4,0 Map|4|second 8/2", "4,0 Map|4|second 8/1"}));
    expire();
    EXPECT_EQ(take(first), (Lines{"4,9 Map|4|second 8/1", "2,1 second|second|lobby"}));
    EXPECT_EQ(lobby.online(), 2U);
    // Back and joining another room: the held seat gives way.
    Member& third = enter("third");
    lobby.handle(third, roomRecord(0, "5", "third"));
    lobby.handle(late, roomRecord(0, "6", "late"));
    lobby.handle(first, record(4, kJoin, {"5"}));
    (void)enter("first");
    clear();
    lobby.handle(first, record(4, kJoin, {"6"}));
    EXPECT_EQ(take(third), (Lines{"4,12 5|first", "4,0 Map|5|third 8/1", "4,0 Map|6|late 8/2"}));
    // A host back that joins its own room gives it up as any other going elsewhere: it closes.
    lobby.leave(late);
    (void)enter("late");
    clear();
    lobby.handle(late, record(4, kJoin, {"6"}));
    lobby.handle(first, record(4, kChat, {"first>>anyone?", "6", "first"}));
    EXPECT_EQ(std::tuple(late.room, first.room, lobby.rooms()), std::tuple(nullptr, nullptr, 1U));
    EXPECT_EQ(take(first), (Lines{"4,12 6|late", "4,9 Map|6|late 8/2"}));
}

// A newcomer's lists come in pieces as its connection takes them: every user, then every room, as
// they are when the piece is taken; one gone since is skipped, one come since is not repeated.
TEST_F(Authority, ANewcomersListsComeInPiecesAsTheyAreWhenTaken) {
    Member& a = enter("a");
    Member& b = enter("b");
    (void)enter("c");
    lobby.handle(a, roomRecord(0, "7", "a"));
    protocol::UserRecord user;
    user.account = user.nickname = text::Gbk("new");
    Inbox& inbox = inboxes.emplace_back();
    Member& newcomer = *lobby.enter(inbox, user);
    const auto piece = [&](std::size_t count) {
        for (const Frame& frame : lobby.moreLists(newcomer, count)) {
            inbox.deliver(frame);
        }
        return std::exchange(inbox.seen, {});
    };
    EXPECT_EQ(piece(1), (Lines{"0,0 new|new|lobby", "2,0 a|a|lobby"}));
    lobby.leave(b);
    (void)enter("d");
    lobby.handle(a, record(2, 0, {"a", "", "a2"}));
    EXPECT_EQ(piece(10), (Lines{"2,1 b|b|lobby", "2,0 d|d|lobby", "2,0 a|a2|7", "2,0 c|c|lobby",
                                "2,0 new|new|lobby", "4,0 Map|7|a 8/1"}));
    EXPECT_TRUE(piece(10).empty() && newcomer.lists.done());
}

TEST(LobbyRules, WithTakeoverOffOnlyAUserWhoseSeatIsHeldComesBackInASecondSession) {
    std::deque<Inbox> inboxes(4);
    Lobby lobby({}, LobbyRules{.takeover = false, .seatGrace = 1s}, [](auto, auto) {});
    protocol::UserRecord user;
    user.account = user.nickname = text::Gbk("a");
    Member* a = lobby.enter(inboxes[0], user);
    lobby.handle(*a, roomRecord(0, "7", "a"));
    EXPECT_EQ(lobby.enter(inboxes[1], user), nullptr);
    lobby.leave(*a);
    EXPECT_EQ(lobby.enter(inboxes[2], user), a);
    EXPECT_EQ(lobby.enter(inboxes[3], user), nullptr);
}

// The answer to a log-in record (command 99 when none comes).
LobbyMessage answer(TestClient& client, const LobbyMessage& login) {
    EXPECT_TRUE(client.send(login));
    return client.waitFor([](auto& m) { return m.command == 0; }).value_or(record(99, 0));
}

// The third failure from one address ends its attempts, even good ones; chat floods are cut.
TEST(Session, LoginBadGetsLoginBadGoodItsRecordOnLineLoginDupThenThrottledChatFloodDropped) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.autoRegister = false;
    options.takeover = false;
    options.loginFailures = 3;
    options.chatRate = 1;
    options.chatBurst = 5;
    ASSERT_TRUE(AccountStore::open(options.database)
                    ->add({"alice", PasswordHasher::hash("secret", HashCost::Minimum).value(),
                           "Alice A", 3, 77, 0, 0}));
    const RunningServer server(options);
    TestClient client(server.port());
    client.account = "alice";
    // Records before the log-in count for nothing.
    ASSERT_TRUE(client.send(record(1, 0, {"alice>>too soon"})));
    ASSERT_TRUE(client.send(roomRecord(0, "7", "alice")));
    for (const LobbyMessage& bad : {loginRecord("alice", "guess"), loginRecord("nobody", "secret"),
                                    record(0, 0, {"alice", "not hex at all"})}) {
        EXPECT_TRUE(is(0, 1)(answer(client, bad))) << bad.sparam1.view();
    }
    const LobbyMessage ok = answer(client, loginRecord("alice", "secret"));
    EXPECT_EQ(std::tuple(ok.signedSubcommand(), ok.sparam1.view(), ok.sparam3.view(),
                         ok.iparam1.get(), ok.iparam2.get()),
              std::tuple(0, "alice", "Alice A", 3, 77));
    client.seen.clear();
    ASSERT_TRUE(client.waitFor(is(1, 0, mark(client))));
    EXPECT_EQ(client.seen.size(), 2U) << "alice in the list and her marker, nothing from before";
    TestClient second(server.port());
    EXPECT_TRUE(is(0, -1)(answer(second, loginRecord("alice", "secret")))) << "alice is on line";
    EXPECT_TRUE(is(0, 1)(answer(second, loginRecord("alice", "wrong"))));
    EXPECT_TRUE(is(0, 1)(answer(second, loginRecord("alice", "secret")))) << "throttled";
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(client.send(record(1, 0, {"alice>>" + std::to_string(i)})));
    }
    // Not chat, so it passes; once alice sees it, all her lines have been judged.
    ASSERT_TRUE(client.send(roomRecord(0, "8", "alice")));
    client.seen.clear();
    ASSERT_TRUE(client.waitFor(is(4, 0))) << "the first stays on";
    const auto lines = std::ranges::count_if(client.seen, is(1, 0));
    EXPECT_GE(lines, 4);  // the burst, less the marker line
    EXPECT_LT(lines, 30);
}

// A session the server still believes alive (its client vanished without a FIN) is taken over
// by a new log-in; a member whose connection ends keeps its seat for the grace, unseen by the room.
TEST(Session, ANewLogInTakesOverAStaleSessionAndADroppedMembersSeatWaitsForIt) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.seatGrace = 1500ms;
    const RunningServer server(options);
    auto host = loggedIn(server.port(), "host");
    auto stale = loggedIn(server.port(), "member");
    ASSERT_TRUE(host && stale);
    ASSERT_TRUE(host->send(roomRecord(0, "7", "host")) && stale->send(record(4, 10, {"7"})));
    ASSERT_TRUE(host->waitFor(is(4, 2, "member")) && sync(*host));
    auto fresh = loggedIn(server.port(), "member");
    ASSERT_TRUE(fresh && fresh->send(record(4, 10, {"7"})));
    EXPECT_TRUE(fresh->waitFor(is(4, 2, "member"))) << "back in the room";
    // Closed as soon as that is written, not at the end of the wait given a vanished reader.
    EXPECT_TRUE(stale->waitFor(is(0, -1)) && stale->waitClosed(2s)) << "told why, then closed";
    fresh->close();
    auto back = loggedIn(server.port(), "member");
    ASSERT_TRUE(back && back->send(record(4, 10, {"7"})) && back->waitFor(is(4, 2, "member")));
    host->seen.clear();
    ASSERT_TRUE(sync(*host));
    EXPECT_EQ(host->seen.size(), 1U) << "the room saw nothing of it, only the host's marker";
    back->close();
    EXPECT_TRUE(host->waitFor(is(2, 1, "member"))) << "gone once the grace is over";
    EXPECT_EQ(std::ranges::count_if(host->seen, is(4, 12, "7")), 1);
}

// A silent connection holds a place until the log-in timeout; half a record, then gone, is
// dropped; a reader that stops is cut off; the server's ends probe idle peers.
TEST(Session, SurplusSilentAndSlowConnectionsAreClosedTheOthersGetEverythingInOrder) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.maxClients = 3;
    options.loginTimeout = 500ms;
    options.keepAliveIdle = 17s;
    options.queueBytes = 64 * protocol::kRecordSize;
    options.slowReader = 200ms;
    const RunningServer server(options);
    auto talker = loggedIn(server.port(), "talker");
    auto reader = loggedIn(server.port(), "reader");
    ASSERT_TRUE(talker && reader);
    TestClient silent(server.port());
    EXPECT_FALSE(loggedIn(server.port(), "beyond"));
    EXPECT_TRUE(silent.waitClosed());
    std::unique_ptr<TestClient> fourth;
    for (int attempt = 0; attempt < 100 && !fourth; ++attempt) {
        std::this_thread::sleep_for(20ms);
        fourth = loggedIn(server.port(), "fourth");
    }
    const auto half = record(1, 0, {"fourth>>half"}).toBytes();
    ASSERT_TRUE(fourth && fourth->trySend(std::span(half).first(150)));
    fourth->close();
    ASSERT_TRUE(reader->waitFor(is(2, 1, "fourth")));
    EXPECT_EQ(std::ranges::count_if(reader->seen, is(1, 0, "fourth>>half")), 0);
    TestClient slow(server.port(), 4096);
    ASSERT_TRUE(slow.send(loginRecord("slow", "pw")) && slow.next());  // then it reads nothing
    int sent = 0;
    int received = 0;
    bool cut = false;  // once it is, the talker stops and the reader catches up
    for (int round = 0; round < 5000 && (!cut || received < sent); ++round) {
        for (int i = 0; !cut && i < 50; ++i) {
            ASSERT_TRUE(talker->send(record(1, 0, {"talker>>" + std::to_string(sent++)})));
        }
        while (talker->next(0ms)) {  // the talker hears itself and must keep up too
        }
        while (auto m = reader->next(received + 100 < sent ? TestClient::kWait : 1ms)) {
            cut = cut || is(2, 1, "slow")(*m);
            if (is(1, 0)(*m)) {
                ASSERT_EQ(m->sparam1.view(), "talker>>" + std::to_string(received++));
            }
        }
    }
    EXPECT_TRUE(cut && slow.waitClosed()) << "the slow reader was never cut off";
    EXPECT_EQ(received, sent);
    // The server's ends live in this process, the only sockets that probe idle peers.
    EXPECT_EQ(ardentis::testing::keepAliveIdleTimes(), (std::vector<int>{17, 17}))
        << "the talker's and the reader's";
}

// Records queued behind a write cut a reader off only once it has taken nothing for the set time
// with the bound's worth waiting, or at once with sixteen times that: a burst every connection
// gets at once is no sign of a slow reader.
TEST(SlowReader, IsCutOffOnlyWhenItTookNothingForAWhileOrFallsFarBehind) {
    struct Probe final : Connection {
        using Connection::batchWritten;
        using Connection::Connection;
        using Connection::queue;
        void checkLogin(LoginAttempt /*attempt*/) override {}
        void flushSoon() override {}
        void closeSoon() override { cut = true; }
        void ended() override {}
        void lingerAtMost() override {}
        [[nodiscard]] Clock::time_point now() const override { return at; }
        // Delivers until cut off; how many records then wait behind the write under way.
        std::size_t fill(std::size_t most) {
            const Frame frame = makeFrame(record(1, 0, {"a>>b"}));
            if (!queue().writing()) {
                deliver(frame);
                (void)queue().startBatch();
            }
            for (std::size_t i = 0; i < most && !cut; ++i) {
                deliver(frame);
            }
            return queue().pending();
        }
        Clock::time_point at;
        bool cut = false;
    };
    ServerOptions options;
    options.queueBytes = 4 * protocol::kRecordSize;
    options.slowReader = 100ms;
    Lobby lobby({});
    Probe reading(options, lobby, {});
    EXPECT_EQ(reading.fill(63), 63U) << "it took a batch just now";
    EXPECT_FALSE(reading.cut);
    EXPECT_EQ(reading.fill(2), 64U);
    EXPECT_TRUE(reading.cut) << "sixteen times the bound";
    Probe stopped(options, lobby, {});
    stopped.at += 99ms;
    (void)stopped.fill(10);
    EXPECT_FALSE(stopped.cut);
    stopped.at += 1ms;
    EXPECT_EQ(stopped.fill(10), 10U);
    EXPECT_TRUE(stopped.cut);
    Probe again(options, lobby, {});
    again.at += 1s;
    again.batchWritten(again.at);  // took something just now
    (void)again.fill(10);
    EXPECT_FALSE(again.cut);
}

// Records come out whole, once, in order, whatever the first read's size (later reads are as
// large as the reader offers), and none after the handler says stop.
TEST(FrameReader, RecordsComeOutWholeOnceInOrderAtEverySplitPointUntilTheHandlerStops) {
    std::vector<std::byte> stream;
    for (const char* line : {"one", "two", "three"}) {
        std::ranges::copy(record(1, 0, {line}).toBytes(), std::back_inserter(stream));
    }
    const auto feed = [&](std::size_t first, std::size_t stopAfter) {
        FrameReader reader;
        std::vector<std::string> lines;
        for (std::size_t at = 0, size = 0; at < stream.size(); at += size, first = 9999) {
            size = std::min({first, reader.space().size(), stream.size() - at});
            std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), size,
                        reader.space().begin());
            reader.commit(size, [&](const LobbyMessage& m) {
                lines.emplace_back(m.sparam1.view());
                return lines.size() < stopAfter;
            });
        }
        return lines;
    };
    for (std::size_t split = 1; split <= stream.size(); ++split) {
        ASSERT_EQ(feed(split, 9), (std::vector<std::string>{"one", "two", "three"})) << split;
    }
    EXPECT_EQ(feed(stream.size(), 2), (std::vector<std::string>{"one", "two"}));
}

TEST(CommandLine, TakesEveryOptionAndRefusesBadValues) {
    using Args = std::vector<std::string_view>;
    const auto command = parseCommandLine(
        Args{"--listen",         "[::1]:0", "--db=x.db",          "--auto-register",
             "--max-clients",    "5",       "--login-timeout-ms", "200",
             "--hash-cost",      "min",     "--queue-limit",      "64",
             "--keepalive-idle", "7",       "--chat-burst",       "3",
             "--takeover",       "off",     "--seat-grace-ms",    "0",
             "--slow-reader-ms", "300",     "--token-days",       "0"});
    ASSERT_TRUE(command);
    const ServerOptions& o = command->options;
    EXPECT_EQ(std::tuple(command->kind, o.host, o.port, o.database, o.autoRegister, o.maxClients),
              std::tuple(CommandKind::Serve, "::1", 0, "x.db", true, 5U));
    EXPECT_EQ(std::tuple(o.loginTimeout, o.hashCost, o.keepAliveIdle, o.chatBurst, o.queueBytes,
                         o.takeover, o.seatGrace, o.slowReader, o.tokenLifetime),
              std::tuple(200ms, HashCost::Minimum, 7s, 3.0, 64U * 376, false, 0ms, 300ms, 0s));
    EXPECT_EQ(parseCommandLine(Args{"--token-days", "30"})->options.tokenLifetime, 30 * 24h);
    // clang-format off
    for (const Args& refused : std::vector<Args>{
             {"--listen", "8888"}, {"--listen", "host:65536"}, {"--max-clients", "0"},
             {"--hash-cost", "cheap"}, {"--queue-limit"}, {"--login-timeout-ms", "-5"},
             {"--frobnicate", "1"}, {"--takeover", "yes"}, {"user", "remove"}, {"user", "list", "--nickname", "x"},
             {"user", "rename", "bob"}, {"--token-days", "3651"}, {"user", "passwd"},
             {"--tls-listen", "4443"}, {"tls", "make-cert", "--name", "h"}, {"tls", "make-cert", "--out", "d"},
             {"tls", "mint"}, {"--out", "d"}, {"user", "list", "--name", "h"}}) {
        // clang-format on
        EXPECT_FALSE(parseCommandLine(refused)) << refused[0] << " " << refused.back();
    }
    EXPECT_TRUE(parseCommandLine(Args{"--listen", "host:65535"}));
    const auto add = parseCommandLine(Args{"user", "add", "bob", "--nickname", "Bobby"});
    ASSERT_TRUE(add);
    EXPECT_EQ(std::tuple(add->kind, add->name, add->nickname),
              std::tuple(CommandKind::UserAdd, "bob", "Bobby"));
    const auto tls = parseCommandLine(
        Args{"--tls-listen", "[::1]:4443", "--tls-cert", "c.pem", "--tls-key=k.pem"});
    ASSERT_TRUE(tls);
    EXPECT_EQ(std::tuple(tls->options.tlsHost, tls->options.tlsPort, tls->options.tlsCert,
                         tls->options.tlsKey, tls->options.port),
              std::tuple("::1", 4443, "c.pem", "k.pem", 8888));
    const auto cert = parseCommandLine(Args{"tls", "make-cert", "--out", "d", "--name", "h"});
    ASSERT_TRUE(cert);
    EXPECT_EQ(std::tuple(cert->kind, cert->certName, cert->outDirectory),
              std::tuple(CommandKind::TlsMakeCert, "h", "d"));
    const auto passwd = parseCommandLine(Args{"user", "passwd", "bob", "--db", "x.db"});
    ASSERT_TRUE(passwd);
    EXPECT_EQ(std::tuple(passwd->kind, passwd->name, passwd->options.database),
              std::tuple(CommandKind::UserPasswd, "bob", "x.db"));
}

TEST(LogText, ControlCharactersBackslashesAndBrokenBytesAreEscapedGbkShownAsUtf8) {
    EXPECT_EQ(log::plain("a\nb\tc\\d\x7f"), "a\\x0ab\\x09c\\x5cd\\x7f");
    EXPECT_EQ(log::text(std::string("x\0y", 3)), "x\\x00y");
    EXPECT_EQ(log::text(text::gbk("大厅").bytes()), "大厅");
    EXPECT_EQ(log::text("\xff\xfe"), "\\xff\\xfe");
}

}  // namespace
}  // namespace ardentis::server::testing
