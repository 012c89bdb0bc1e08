// Who gets in, what the server bounds or refuses so that one client cannot harm the others, and
// its socket-free parts: framing, command line, log text.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "server/account_store.h"
#include "server/frame_reader.h"
#include "server/log.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

using Login = LobbyTest;
using Limits = LobbyTest;

// The answer to a log-in record (command 99 when none comes).
LobbyMessage answer(TestClient& client, const LobbyMessage& login) {
    EXPECT_TRUE(client.send(login));
    return client.waitFor([](auto& m) { return m.command == 0; }).value_or(record(99, 0));
}

// Failures from one address are counted: the third ends the attempts, even good ones. Chat
// beyond the burst is dropped, other records pass.
TEST_F(Login, BadGetsLoginBadGoodItsRecordOnLineLoginDupThenThrottledChatFloodDropped) {
    options.autoRegister = false;
    options.loginFailures = 3;
    options.chatRate = 1;
    options.chatBurst = 5;
    TestClient client(port());
    ASSERT_TRUE(AccountStore::open(options.database)
                    ->add({"alice", PasswordHasher::hash("secret", HashCost::Minimum).value(),
                           "Alice A", 3, 77, 0, 0}));
    client.account = "alice";
    // Records before the log-in count for nothing.
    ASSERT_TRUE(client.send(record(1, 0, {"alice>>too soon"})));
    ASSERT_TRUE(client.send(roomRecord(0, "7", "alice")));
    LobbyMessage notHex = loginRecord("alice", "secret");
    notHex.sparam2.set("not hex at all");
    for (const LobbyMessage& bad :
         {loginRecord("alice", "guess"), loginRecord("nobody", "secret"), notHex}) {
        EXPECT_TRUE(is(0, 1)(answer(client, bad))) << bad.sparam1.view();
    }
    const LobbyMessage ok = answer(client, loginRecord("alice", "secret"));
    ASSERT_TRUE(is(0, 0, "alice")(ok));
    EXPECT_EQ(std::tuple(ok.sparam3.view(), ok.iparam1.get(), ok.iparam2.get()),
              std::tuple("Alice A", 3, 77));
    Seen seen;
    ASSERT_TRUE(client.waitFor(is(1, 0, mark(client)), &seen));
    EXPECT_EQ(count(seen, is(4, 0)) + count(seen, is(1, 0, "alice>>too soon")), 0U);
    TestClient second(port());
    EXPECT_TRUE(is(0, -1)(answer(second, loginRecord("alice", "secret")))) << "alice is on line";
    EXPECT_TRUE(is(0, 1)(answer(second, loginRecord("alice", "wrong"))));
    EXPECT_TRUE(is(0, 1)(answer(second, loginRecord("alice", "secret")))) << "throttled";
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(client.send(record(1, 0, {"alice>>" + std::to_string(i)})));
    }
    // Not chat, so it passes; once alice sees it, all her lines have been judged.
    ASSERT_TRUE(client.send(roomRecord(0, "8", "alice")));
    seen.clear();
    ASSERT_TRUE(client.waitFor(is(4, 0), &seen)) << "the first stays on";
    EXPECT_GE(count(seen, is(1, 0)), 4U);  // the burst, less the marker line
    EXPECT_LT(count(seen, is(1, 0)), 30U);
}

// A silent connection holds a place until the log-in timeout closes it; half a record, then
// gone, is dropped; the server's end of a connection probes an idle peer.
TEST_F(Limits, ConnectionsBeyondTheLimitAreClosedUntilTheSilentOneTimesOutIdlePeersProbed) {
    options.maxClients = 2;
    options.loginTimeout = 500ms;
    options.keepAliveIdle = 17s;
    auto first = loggedIn(port(), "first");
    ASSERT_TRUE(first);
    TestClient silent(port());
    EXPECT_FALSE(loggedIn(port(), "third"));
    EXPECT_TRUE(silent.waitClosed());
    std::unique_ptr<TestClient> fourth;
    for (int attempt = 0; attempt < 100 && !fourth; ++attempt) {
        std::this_thread::sleep_for(20ms);
        fourth = loggedIn(port(), "fourth");
    }
    // Half a record, then gone: nothing of it is relayed, and the server carries on.
    const auto half = record(1, 0, {"fourth>>half"}).toBytes();
    ASSERT_TRUE(fourth && fourth->trySend(std::span(half).first(150)));
    fourth->close();
    Seen seen;
    ASSERT_TRUE(first->waitFor(is(2, 1, "fourth"), &seen));
    EXPECT_EQ(count(seen, is(1, 0, "fourth>>half")), 0U);
    EXPECT_TRUE(sync(*first)) << "who logged in in time stays";
    // The server's ends live in this process, the only sockets that probe idle peers: first's
    // alone is left.
    std::vector<int> idle;
    for (int fd = 3; fd < 1024; ++fd) {
        int on = 0;
        int seconds = 0;
        socklen_t length = sizeof on;
        if (::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, &length) == 0 && on == 1) {
            ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &seconds, &length);
            idle.push_back(seconds);
        }
    }
    EXPECT_EQ(idle, std::vector<int>{17});
}

TEST_F(Limits, SlowReaderIsCutOffWhileTheOthersGetEverythingInOrder) {
    options.queueLimit = 64;
    auto talker = loggedIn(port(), "talker");
    auto reader = loggedIn(port(), "reader");
    TestClient slow(port(), 4096);
    ASSERT_TRUE(talker && reader && slow.send(loginRecord("slow", "pw")) && slow.next());
    int sent = 0;  // from now on the slow one reads nothing
    int received = 0;
    bool cut = false;
    const auto read = [&](int behind) {  // until at most `behind` lines are missing
        while (auto m = reader->next(received + behind < sent ? TestClient::kWait : 1ms)) {
            cut = cut || is(2, 1, "slow")(*m);
            if (is(1, 0)(*m)) {
                ASSERT_EQ(m->sparam1.view(), "talker>>" + std::to_string(received++));
            }
        }
    };
    while (!cut && sent < 200000) {
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(talker->send(record(1, 0, {"talker>>" + std::to_string(sent++)})));
        }
        while (talker->next(0ms)) {  // the talker hears itself and must keep up too
        }
        read(100);
    }
    ASSERT_TRUE(cut) << "the slow reader was never cut off";
    EXPECT_TRUE(slow.waitClosed());
    read(0);
    EXPECT_EQ(received, sent);
}

// Three records, a first read of `first` bytes, then reads as large as the reader offers; the
// handler stops after `stopAfter` records. The chat lines that came out.
std::vector<std::string> feed(std::size_t first, std::size_t stopAfter = 9) {
    std::vector<std::byte> stream;
    for (const char* line : {"one", "two", "three"}) {
        const auto bytes = record(1, 0, {line}).toBytes();
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    FrameReader reader;
    std::vector<std::string> lines;
    for (std::size_t offset = 0, size = 0; offset < stream.size(); offset += size, first = 9999) {
        size = std::min({first, reader.space().size(), stream.size() - offset});
        std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(offset), size,
                    reader.space().begin());
        reader.commit(size, [&](const LobbyMessage& m) {
            lines.emplace_back(m.sparam1.view());
            return lines.size() < stopAfter;
        });
    }
    return lines;
}

TEST(FrameReader, RecordsComeOutWholeOnceInOrderAtEverySplitPoint) {
    for (std::size_t split = 1; split <= 3 * protocol::kRecordSize; ++split) {
        ASSERT_EQ(feed(split), (std::vector<std::string>{"one", "two", "three"})) << split;
    }
    EXPECT_EQ(feed(3 * protocol::kRecordSize, 2), (std::vector<std::string>{"one", "two"}));
}

std::expected<Command, UsageError> parse(std::vector<std::string_view> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, TakesEveryOptionAndRefusesBadValues) {
    const auto command =
        parse({"--listen", "[::1]:0", "--db=x.db", "--auto-register", "--max-clients", "5",
               "--login-timeout-ms", "200", "--hash-cost", "min", "--queue-limit", "64",
               "--keepalive-idle", "7", "--chat-burst", "3"});
    ASSERT_TRUE(command);
    const ServerOptions& o = command->options;
    EXPECT_EQ(command->kind, CommandKind::Serve);
    EXPECT_EQ(std::tuple(o.host, o.port, o.database, o.autoRegister, o.maxClients, o.queueLimit),
              std::tuple("::1", 0, "x.db", true, 5U, 64U));
    EXPECT_EQ(std::tuple(o.loginTimeout, o.hashCost, o.keepAliveIdle, o.chatBurst),
              std::tuple(200ms, HashCost::Minimum, 7s, 3.0));
    // clang-format off
    for (const std::vector<std::string_view>& refused : std::vector<std::vector<std::string_view>>{
             {"--listen", "8888"}, {"--listen", "host:65536"}, {"--max-clients", "0"},
             {"--hash-cost", "cheap"}, {"--queue-limit"}, {"--login-timeout-ms", "-5"},
             {"--frobnicate", "1"}, {"user", "remove"}, {"user", "list", "--nickname", "x"},
             {"user", "rename", "bob"}}) {
        // clang-format on
        EXPECT_FALSE(parse(refused)) << refused[0] << " " << refused.back();
    }
    EXPECT_TRUE(parse({"--listen", "host:65535"}));
    const auto add = parse({"user", "add", "bob", "--nickname", "Bobby"});
    ASSERT_TRUE(add);
    EXPECT_EQ(std::tuple(add->kind, add->name, add->nickname),
              std::tuple(CommandKind::UserAdd, "bob", "Bobby"));
}

TEST(LogText, ControlCharactersBackslashesAndBrokenBytesAreEscapedGbkShownAsUtf8) {
    EXPECT_EQ(log::plain("a\nb\tc\\d\x7f"), "a\\x0ab\\x09c\\x5cd\\x7f");
    EXPECT_EQ(log::text(std::string("x\0y", 3)), "x\\x00y");
    EXPECT_EQ(log::text(text::gbk("大厅").bytes()), "大厅");
    EXPECT_EQ(log::text("\xff\xfe"), "\\xff\\xfe");
}

}  // namespace
}  // namespace ardentis::server::testing
