// Moderating a running server through its control socket: kick, ban, mute, the message of the
// day, the socket itself and the admin command's answers.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <tuple>

#include "server/account_store.h"
#include "server/admin_command.h"
#include "tests/server/server_fixture.h"
#include "tests/server/shell_run.h"

namespace ardentis::server::testing {
namespace {

using Answer = std::tuple<int, std::string, std::string>;  // exit code, out, err

// A server with a control socket, and `admin` run against it as the program runs it.
struct Moderated {
    Moderated() : options(withControl(testOptions(dir))) {}
    static ServerOptions withControl(ServerOptions options) {
        options.controlSocket = options.database + ".control";
        return options;
    }
    Answer admin(std::vector<std::string_view> words) const {
        words.insert(words.begin(), {"admin", "--control-socket", options.controlSocket});
        const auto command = parseCommandLine(words);
        if (!command) {
            return {-1, "", command.error().message};
        }
        std::ostringstream out;
        std::ostringstream err;
        const int code = runAdminCommand(*command, out, err);
        return {code, out.str(), err.str()};
    }
    // Logs in afresh; the first record answering it.
    static LobbyMessage answerTo(std::uint16_t port, std::string_view account,
                                 std::string_view token = {}) {
        TestClient client(port);
        EXPECT_TRUE(client.send(loginRecord(account, "pw", token)));
        return client.next().value_or(LobbyMessage{});
    }

    const ScratchDirectory dir;
    const ServerOptions options;
    std::unique_ptr<RunningServer> server = std::make_unique<RunningServer>(options);
};

const Match kLoginOk = is(0, 0);
const Match kLoginBad = is(0, 1);

TEST(Admin, KickAndBanEndTheUserWhomTheOthersSeeLeaveABanRefusesUntilItEndsOrIsLifted) {
    Moderated m;
    const std::uint16_t port = m.server->port();
    auto a = loggedIn(port, "a");
    auto b = loggedIn(port, "b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(std::get<0>(m.admin({"kick", "a"})), 0);
    EXPECT_TRUE(a->waitClosed());
    EXPECT_TRUE(b->waitFor(is(2, 1, "a")));
    a = loggedIn(port, "a");
    ASSERT_TRUE(a);
    EXPECT_EQ(std::get<0>(m.admin({"ban", "a", "--for", "1h"})), 0);
    EXPECT_TRUE(a->waitClosed());
    EXPECT_TRUE(b->waitFor(is(2, 1, "a")));
    EXPECT_TRUE(kLoginBad(Moderated::answerTo(port, "a")));
    EXPECT_TRUE(kLoginBad(Moderated::answerTo(port, "a", a->token)));  // nor by its token
    EXPECT_EQ(std::get<0>(m.admin({"ban", "a", "--until", "2001-01-01T00:00:00Z"})), 0);
    EXPECT_TRUE(kLoginOk(Moderated::answerTo(port, "a")));  // the ban has ended
    EXPECT_EQ(std::get<0>(m.admin({"ban", "a"})), 0);
    EXPECT_TRUE(kLoginBad(Moderated::answerTo(port, "a")));
    EXPECT_EQ(m.admin({"unban", "a"}), Answer(0, "a unbanned\n", ""));
    EXPECT_TRUE(kLoginOk(Moderated::answerTo(port, "a")));
}

TEST(Admin, AMutedUsersChatIsDroppedSilentlyEvenAfterARestartTheRestGoesOn) {
    Moderated m;
    auto a = loggedIn(m.server->port(), "a");
    auto b = loggedIn(m.server->port(), "b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(std::get<0>(m.admin({"mute", "a", "--for", "30m"})), 0);
    m.server.reset();  // a mute outlives the server
    m.server = std::make_unique<RunningServer>(m.options);
    a = loggedIn(m.server->port(), "a");
    b = loggedIn(m.server->port(), "b");
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->send(roomRecord(0, "7", "a")));
    EXPECT_TRUE(b->waitFor(is(4, 0, "Map")));
    EXPECT_TRUE(b->send(record(4, 10, {"7"})));
    EXPECT_TRUE(sync(*b));  // b sits in a's room, and b's chat still goes
    EXPECT_TRUE(a->send(record(4, 5, {"a>>hush", "7", "a"})));
    const std::string hushed = mark(*a);
    EXPECT_TRUE(a->send(record(2, 0, {"a", "", "new nick"})));  // not chat: it goes out
    const Match renamed = [](const LobbyMessage& message) {
        return is(2, 0, "a")(message) && message.sparam3.view() == "new nick";
    };
    EXPECT_TRUE(a->waitFor(renamed) && b->waitFor(renamed));
    for (const TestClient* client : {a.get(), b.get()}) {
        EXPECT_FALSE(std::ranges::any_of(client->seen, is(1, 0, hushed)));
        EXPECT_FALSE(std::ranges::any_of(client->seen, is(4, 5, "a>>hush")));
    }
    EXPECT_EQ(std::get<0>(m.admin({"unmute", "a"})), 0);
    const std::string heard = mark(*a);
    EXPECT_TRUE(b->waitFor(is(1, 0, heard)));
}

TEST(Admin, TheMessageOfTheDayFollowsEachLogInAsALobbyLineFromNoAccountUntilCleared) {
    Moderated m;
    EXPECT_EQ(m.admin({"motd", "欢迎", "all"}), Answer(0, "message of the day set\n", ""));
    TestClient early(m.server->port());
    EXPECT_FALSE(early.next(200ms));  // nothing before a log-in
    EXPECT_TRUE(early.send(loginRecord("a", "pw")));
    EXPECT_TRUE(kLoginOk(early.next().value_or(LobbyMessage{})));
    EXPECT_TRUE(
        is(1, 0, ">>" + text::gbk("欢迎 all").bytes())(early.next().value_or(LobbyMessage{})));
    EXPECT_EQ(std::get<0>(m.admin({"motd", "--clear"})), 0);
    auto later = loggedIn(m.server->port(), "b");
    ASSERT_TRUE(later && sync(*later));
    EXPECT_FALSE(std::ranges::any_of(later->seen, [](const LobbyMessage& message) {
        return message.sparam1.view().starts_with(">>");
    }));
}

TEST(ControlSocket, IsTheServersUsersAloneALiveOneRefusesASecondServerAStaleOneIsTakenOver) {
    Moderated m;
    const std::string& path = m.options.controlSocket;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600);
    Server second(m.options, AccountStore::open(m.options.database).value());
    EXPECT_EQ(second.listenControl(), std::unexpected("another server answers at " + path));
    m.server.reset();
    EXPECT_NE(::stat(path.c_str(), &info), 0);  // gone with its server
    // A crashed server's socket: the file is there, nobody listens.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    m.server = std::make_unique<RunningServer>(m.options);
    EXPECT_TRUE(m.server->controlled());
}

TEST(AdminCommand, AnswersWithOneLineAndAnExitCodeForEachOutcome) {
    Moderated m;
    ASSERT_TRUE(loggedIn(m.server->port(), "a"));
    const std::string tooLong(99, 'x');
    for (const auto& [words, answer] :
         std::vector<std::pair<std::vector<std::string_view>, Answer>>{
             {{"mute", "a", "--until", "2030-01-02T03:04:05Z"},
              {0, "a muted until 2030-01-02T03:04:05Z\n", ""}},
             {{"kick", "nobody"}, {1, "", "ardentis-server: nobody is not on line\n"}},
             {{"ban", "nobody", "--for", "7d"}, {1, "", "ardentis-server: no account nobody\n"}},
             {{"unban", "a"}, {1, "", "ardentis-server: a is not banned\n"}},
             {{"unmute", "nobody"}, {1, "", "ardentis-server: no account nobody\n"}},
             {{"ban", "a", "--for", "3x"}, {2, "", "ardentis-server: bad duration: 3x\n"}},
             {{"mute", "a", "--until", "2030-13-01T00:00:00Z"},
              {2, "", "ardentis-server: bad time: 2030-13-01T00:00:00Z\n"}},
             {{"motd", tooLong}, {2, "", "ardentis-server: the text is 99 bytes in GBK; 98 fit\n"}},
             {{"motd", "\xff"},
              {2, "", "ardentis-server: the text has no GBK form: invalid input\n"}},
             {{"frob", "a"}, {2, "", "ardentis-server: unknown admin command: frob\n"}}}) {
        EXPECT_EQ(m.admin(words), answer) << words[0];
    }
    // The path found in the server's config file instead.
    m.dir.addFile("server.conf", "control-socket = " + m.options.controlSocket + "\n");
    const std::string config = (m.dir / "server.conf").string();
    const auto command =
        parseCommandLine(std::vector<std::string_view>{"admin", "--config", config, "unmute", "a"});
    ASSERT_TRUE(command);
    std::ostringstream out;
    EXPECT_EQ(runAdminCommand(*command, out, out), 0);
    EXPECT_EQ(out.str(), "a unmuted\n");
    m.server.reset();
    EXPECT_EQ(shell(ARDENTIS_SERVER_BINARY " admin --control-socket " + m.options.controlSocket +
                    " kick a 2>&1"),
              std::pair(3, "ardentis-server: no server answers at " + m.options.controlSocket +
                               ": No such file or directory\n"));
}

}  // namespace
}  // namespace ardentis::server::testing
