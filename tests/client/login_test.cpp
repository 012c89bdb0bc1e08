// Start-up, log-in, the options window and the ways a connection ends, on the headless client.
#include <gtest/gtest.h>

#include <string>

#include "headless_fixture.h"
#include "protocol/des.h"
#include "settings/options_store.h"
#include "text/shown.h"

namespace ardentis::forms::testing {
namespace {

using platform::RegistryHive;
using std::chrono::milliseconds;

const Gbk kLost = zh<"失去和服务器的联系,请重新连接!">();
const Gbk kRetrying = zh<"失去和服务器的联系,正在自动重新连接......">();

class LogIn : public HeadlessFixture {
  protected:
    void expectLoggedOut() {
        EXPECT_TRUE(main_.BitBtn1.caption() == zh<"连接">() && !main_.BitBtn2.enabled() &&
                    !inRoom())
            << "not logged out";
    }
    // 连接 (or the log-in window's OK) connects and sends this log-in; `accept` answers it.
    void connect(const char* account, const char* password, bool accept = false) {
        socket_.completeConnect();
        const auto sent = sentRecords();
        ASSERT_EQ(kinds(sent), (Kinds{{0, 0}}));
        EXPECT_EQ(sent[0].sparam1.text(), Gbk(account));
        EXPECT_EQ(sent[0].sparam2.text(), Gbk(protocol::des::EncryptHex(password)));
        if (accept) {
            acceptLogin(Gbk(account));
        }
    }
    MemoryLoginWindow& login_ = headless_.login;
    MemoryOptionsWindow& options_ = headless_.options;
};

// Each refusal shows why, reopens the log-in window, ends the connection and stores nothing; the
// account typed there then logs in and is stored.
TEST_F(LogIn, AutomaticAfterTheSplashRefusedTwiceThenTypedAndStored) {
    machine_.storeSettings(Gbk("bob"), Gbk("secret"), Gbk("127.0.0.1"), 8888, true);
    client_.start();
    loop_.advance(milliseconds(1999));
    EXPECT_TRUE(socket_.host().empty()) << "connected before the splash ended";
    loop_.advance(milliseconds(1));
    EXPECT_TRUE(!headless_.splash.window.visible() && socket_.host() == "127.0.0.1");
    connect("bob", "secret");
    const std::pair<std::int8_t, Gbk> refusals[] = {
        {sub::kLoginBad, zh<"帐号密码不对，登录失败!">()},
        {sub::kLoginDup, Gbk("carol") + zh<"已经在线，不能重复登录!">()}};  // as typed
    const auto writesBefore = machine_.registry.writes().size();
    for (const auto& [subcommand, message] : refusals) {
        SCOPED_TRACE(int(subcommand));
        options_.TabSheet2.setVisible(true);  // as an earlier session left it
        shown_.clear();
        const int closes = socket_.closeCalls();
        receive(userRecord({}, {}, subcommand, protocol::command::kLogin));
        EXPECT_EQ(shown_, Texts{message});
        EXPECT_TRUE(login_.window.visible() && login_.BitBtn1.enabled() &&
                    !options_.TabSheet2.visible());
        EXPECT_EQ(socket_.closeCalls() * 1000 + machine_.registry.writes().size(),
                  (closes + 1) * 1000 + writesBefore)
            << "one close, nothing stored";
        expectLoggedOut();
        login_.usr.type(Gbk("carol"));
        login_.pwd.type(Gbk("pw"));
        ASSERT_TRUE(login_.BitBtn1.click());
        connect("carol", "pw");
    }
    acceptLogin(Gbk("carol"));
    const auto& writes = machine_.registry.writes();
    ASSERT_EQ(writes.size(), writesBefore + 2);
    EXPECT_EQ(writes[writesBefore].name + writes[writesBefore + 1].name, "usrpwd");
    EXPECT_EQ((Texts{main_.BitBtn1.caption(), options_.nick.text()}),
              (Texts{zh<"断开">(), Gbk("carol-nick")}));
    EXPECT_TRUE(main_.BitBtn2.enabled());
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    main_.BitBtn2.click();
    battle_.BitBtn1.click();  // no game installed: no room
    EXPECT_EQ(shown_.back(), zh<"你还没有安装">() + zh<"，请到">() +
                                 Gbk("http://ardentis.invalid/") + zh<"下载对应的mod版本。">());
    EXPECT_TRUE(sentRecords().empty() && battle_.BitBtn1.enabled());
}

// Every way a connection ends, also in the middle of the client's own step (a room closing stops
// at the lost leave record, an update of the own room at the lost state record), resets its state.
TEST_F(LogIn, EndedMidStepOrAnyOtherWayTheConnectionEmptiesTheListsAndReloadsTheSettings) {
    logIn();
    machine_.registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, "host",
                              Gbk("127.0.0.9"));
    for (int way = 0; way < 5; ++way) {
        SCOPED_TRACE(way);
        receive(userRecord(Gbk("bob"), zh<"大厅">()));
        const RoomRecord room = joinRoom(openRoom(Gbk("carol")));
        shown_.clear();
        const int lines = main_.MemRecev.lineCount();
        if (way == 0) {
            socket_.failConnect(platform::OsError{"recv", 10054});
        } else if (way == 1) {
            main_.BitBtn1.click();
            EXPECT_EQ(main_.MemRecev.line(lines), zh<"正在断开连接，请稍候......">());
        } else if (way == 2) {
            socket_.peerClose();
        } else {
            socket_.scriptSends({100});  // the next record gets 100 bytes out, then the line ends
            socket_.dropAfterSent(socket_.sent().size() + 100);
            receive(roomRecord(room, way == 3 ? sub::kRoomClosed : sub::kRoomUpdate));
            socket_.dropAfterSent(SIZE_MAX);  // the next connection keeps its line
        }
        EXPECT_EQ(main_.lvlobby.rowCount() + main_.lvrooms.rowCount(), 0);
        EXPECT_TRUE(client_.currentUser.account.empty() && client_.currentUser.location.empty() &&
                    client_.connection()->lobby.users.empty());
        EXPECT_TRUE(way > 2 || sentRecords().empty()) << "the old room is dropped, not left";
        EXPECT_EQ(lastLine(main_.MemRecev), way == 1 ? kLost : kRetrying);
        EXPECT_EQ(client_.options.host, Gbk("127.0.0.9"));
        EXPECT_EQ(shown_, Texts{}) << "a drop is told in the chat, not in a box";
        if (way == 1) {
            expectLoggedOut();
            ASSERT_TRUE(main_.BitBtn1.click());
        } else {
            EXPECT_TRUE(main_.BitBtn1.caption() == zh<"断开">() && !main_.BitBtn2.enabled());
            loop_.advance(milliseconds(2000));  // the first try, within 2 s of every drop
        }
        socket_.completeConnect();
        acceptLogin();
        receive(userRecord(Gbk("alice"), zh<"大厅">()));
        consumed_ = socket_.sent().size();
    }

    // It ends while the room password is asked: nothing is joined. In a room, no room can be made
    // afterwards; 连接 logs in again at once and rooms can be joined.
    battle_.window.hide();  // left open by the last lost room
    RoomRecord locked = openRoom(Gbk("bob"));
    locked.password = Gbk("pw");
    receive(roomRecord(locked));
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    machine_.inputpassword.answers.emplace_back(Gbk("pw"));
    machine_.inputpassword.whileAsking = [this] { socket_.peerClose(); };
    doubleClickRoom(locked.roomno);
    EXPECT_FALSE(battle_.window.visible()) << "joined while the password was asked";

    loop_.advance(milliseconds(2000));
    connect("alice", "secret", true);
    (void)joinRoom(openRoom(Gbk("dave")));
    socket_.peerClose();
    ASSERT_TRUE(battle_.BitBtn3.click() && !main_.BitBtn2.enabled());  // 退出
    battle_.window.show();  // even a room window left open can't make one
    shown_.clear();
    ASSERT_TRUE(battle_.BitBtn1.click() && !inRoom());  // 创建
    EXPECT_EQ(shown_, Texts{kLost});

    loop_.advance(milliseconds(2000));
    connect("alice", "secret", true);
    receive(roomRecord(openRoom(Gbk("carol"))));
    doubleClickRoom(Gbk("R-carol"));
    EXPECT_EQ(shown_.size(), 1U) << "an old room blocks the join";
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, sub::kRoomJoin}}));
}

// After a drop the status line counts down to each try: the first within 2 s, then ever longer
// waits, never over a minute, a failed try showing no box. A try that logs in (the stored account)
// says the lobby is back, and the next drop starts afresh; 断开 or a refused log-in stops the
// tries.
TEST_F(LogIn, ADroppedConnectionIsTriedAgainUntilBackRefusedOrStopped) {
    logIn();
    // Advances the clock until the next try opens the socket; the time that took.
    const auto nextTry = [&] {
        const int opens = socket_.openCalls();
        milliseconds waited{};
        for (; socket_.openCalls() == opens && waited < milliseconds(120000);
             waited += milliseconds(50)) {
            loop_.advance(milliseconds(50));
        }
        return socket_.openCalls() == opens ? milliseconds::max() : waited;
    };
    const Gbk countdown = zh<"与服务器的连接已断开，">();
    socket_.peerClose();
    EXPECT_EQ(main_.prompt.caption().bytes().substr(0, countdown.size()), countdown.bytes());
    for (int failure = 0; failure < 8; ++failure) {
        const auto ceiling = std::min(milliseconds(2000 << failure), milliseconds(60000));
        const auto waited = nextTry();
        EXPECT_TRUE(waited >= ceiling / 2 - milliseconds(300) && waited <= ceiling)
            << failure << ": " << waited.count() << " ms";
        socket_.failConnect(platform::OsError{"connect", 10061});
    }
    EXPECT_EQ(shown_, Texts{});
    ASSERT_LE(nextTry(), milliseconds(60000));
    connect("alice", "secret");
    // The server hands over a token to come back with; the password still goes along.
    auto ok = userRecord(Gbk("alice"), zh<"大厅">(), sub::kLoginOk, protocol::command::kLogin);
    ok.sparam7.set("0123456789abcdef");
    ok.sparam8.set("fedcba9876543210");
    receive(ok);
    EXPECT_EQ(lastLine(main_.MemRecev), zh<"已重新连接到服务器。">());
    EXPECT_EQ(main_.prompt.caption(), zh<"用户:alice 位置:大厅">());
    socket_.peerClose();
    EXPECT_LE(nextTry(), milliseconds(2000)) << "a new drop starts from the shortest wait";
    socket_.completeConnect();
    const auto login = sentRecords().at(0);
    EXPECT_EQ(std::tuple(login.sparam1.view(), login.sparam7.view(), login.sparam8.view()),
              std::tuple("alice", "0123456789abcdef", "fedcba9876543210"));
    EXPECT_EQ(login.sparam2.view(), protocol::des::EncryptHex("secret"));
    receive(userRecord({}, {}, sub::kLoginBad, protocol::command::kLogin));
    EXPECT_EQ(shown_, Texts{zh<"帐号密码不对，登录失败!">()});
    EXPECT_EQ(nextTry(), milliseconds::max()) << "tried again after a refusal";
    login_.usr.type(Gbk("bob"));
    ASSERT_TRUE(login_.BitBtn1.click());
    socket_.completeConnect();
    EXPECT_EQ(sentRecords().at(0).sparam7.view(), "") << "alice's token went with bob's log-in";
    acceptLogin(Gbk("bob"));
    // Another copy of bob's logs in: this one is told so, and does not take him back.
    receive(userRecord({}, {}, sub::kLoginDup, protocol::command::kLogin));
    EXPECT_EQ(shown_.back(), Gbk("bob") + zh<"已经在线，不能重复登录!">());
    EXPECT_EQ(nextTry(), milliseconds::max()) << "took the user back";
    ASSERT_TRUE(login_.BitBtn1.click());
    connect("bob", "secret", true);
    socket_.peerClose();
    ASSERT_TRUE(main_.BitBtn1.click());  // 断开
    EXPECT_EQ(nextTry(), milliseconds::max()) << "tried again after 断开";
    expectLoggedOut();
    const std::string log = ardentis::testing::readFile(scratch_ / "traffic.log");
    for (const char* line : {"connection lost: reconnecting", "reconnect: try 9 in",
                             "reconnect: back after 9 tries", "reconnect: stopped"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}

// Back after a drop, the lists show the room the user was in: a member joins it again, a host
// takes it up again and its members come back as the server names them; a room the lists do not
// show within 5 s is given up, its window closed.
TEST_F(LogIn, BackAfterADropTheUserGoesBackIntoItsRoomOrLearnsItIsGone) {
    logIn();
    const auto back = [&] {
        socket_.peerClose();
        EXPECT_TRUE(battle_.window.visible()) << "the room's window waits";
        loop_.advance(milliseconds(2000));
        connect("alice", "secret", true);
        receive(roomRecord(openRoom(Gbk("dave"))));
    };
    const RoomRecord joined = joinRoom(openRoom(Gbk("carol")), {Gbk("bob")});
    back();
    EXPECT_EQ(sentRecords().size(), 0U) << "another room's record moves nothing";
    receive(roomRecord(joined));
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{4, sub::kRoomJoin}}));
    for (const Gbk& member : {Gbk("carol"), Gbk("bob")}) {
        receive(memberRecord(joined.roomno, member));
    }
    receive(memberRecord(joined.roomno, Gbk("alice"), sub::kRoomEnter));
    EXPECT_TRUE(inRoom() && battle_.lvRoom.rowCount() == 3);
    ASSERT_TRUE(battle_.BitBtn3.click());  // 退出
    const auto has = [](const Kinds& sent, int subcommand) {
        return std::ranges::count(sent, std::pair{4, subcommand}) == 1;
    };
    EXPECT_TRUE(has(kinds(sentRecords()), sub::kRoomLeave));

    const RoomRecord hosted = hostRoom({Gbk("bob")});
    back();
    receive(roomRecord(hosted));
    const auto sent = sentRecords();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(std::tuple(sent[0].command, sent[0].signedSubcommand(), sent[0].sparam3.text()),
              std::tuple(4, sub::kRoomUpdate, hosted.roomno));
    receive(memberRecord(hosted.roomno, Gbk("bob"), sub::kRoomEnter));
    EXPECT_TRUE(inRoom() && battle_.lvRoom.rowCount() == 2 && !main_.BitBtn2.enabled());
    EXPECT_TRUE(has(kinds(sentRecords()), sub::kRoomOptions))
        << "the member gets the host's options again";

    back();
    loop_.advance(milliseconds(4900));
    EXPECT_TRUE(battle_.window.visible());
    loop_.advance(milliseconds(200));
    EXPECT_FALSE(battle_.window.visible() || inRoom());
    EXPECT_EQ(lastLine(main_.MemRecev), zh<"原来所在的房间已经关闭。">());
}

// Without automatic log-in 连接 opens the log-in window, whose cancel sends nothing. The options
// window's network test reports each outcome and leaves the lobby alone; its cancel keeps the
// edits but stores nothing; OK checks the game directories (the TA check first) and saves each
// control's value with its polarity. A port that is no port number is named, nothing connected.
TEST_F(LogIn, WithoutAutomaticLogInTheLogInAndOptionsWindows) {
    start(false);
    ASSERT_TRUE(main_.BitBtn1.click() && !main_.BitBtn1.enabled() && login_.BitBtn2.click());
    EXPECT_TRUE(main_.BitBtn1.enabled()) << "the log-in window's cancel";
    auto& w = options_;
    EXPECT_EQ((Texts{w.usr.text(), w.pwd.text()}), (Texts{Gbk("alice"), Gbk("secret")}));
    ASSERT_TRUE(main_.BitBtn3.click());
    w.host.type(Gbk());
    ASSERT_TRUE(w.BitBtn4.click() && testSocket_.host().empty());
    w.host.type(Gbk("127.0.0.5"));
    w.BitBtn4.setEnabled(true);
    ASSERT_TRUE(w.BitBtn4.click());
    EXPECT_TRUE(testSocket_.port() == 8888 && !w.BitBtn4.enabled());
    testSocket_.failConnect(platform::OsError{"connect", 10061});
    w.port.type(Gbk("8899"));
    ASSERT_TRUE(w.BitBtn4.click()) << "not enabled again after the failure";
    EXPECT_EQ(testSocket_.port(), 8899);
    testSocket_.completeConnect();
    EXPECT_EQ(shown_,
              (Texts{zh<"请指定服务器和端口。">(),
                     zh<"不能和服务器取得联系,服务器地址或端口不对。Errorcode:">() + Gbk("10061"),
                     zh<"和服务器取得联系,网络设置正确，请保存设置。">()}));
    EXPECT_TRUE(testSocket_.closeCalls() == 2 && !w.BitBtn4.enabled());
    EXPECT_EQ(socket_.closeCalls(), 0) << "the lobby's connection";

    const auto writesBefore = machine_.registry.writes().size();
    ASSERT_TRUE(w.BitBtn2.click());
    EXPECT_TRUE(!w.window.visible() && client_.options.host == Gbk("127.0.0.1"));
    main_.BitBtn3.click();
    EXPECT_EQ(w.host.text(), Gbk("127.0.0.5"));
    shown_.clear();
    w.TADir.type(Gbk("C:\\TA"));  // the file name is joined to it as it stands
    w.SPCDir.type(Gbk("D:\\SC\\bin\\"));
    machine_.files.addFile(Gbk("C:\\TA\\totala.exe"));
    w.BitBtn1.click();
    machine_.files.addFile(Gbk("C:\\TAtotala.exe"));
    w.BitBtn1.click();
    EXPECT_EQ(shown_,
              (Texts{zh<"您指定了错误的TA安装目录">(), zh<"您指定了错误的最高指挥官安装目录">()}));
    EXPECT_TRUE(w.window.visible() && machine_.registry.writes().size() == writesBefore);
    machine_.files.addFile(Gbk("D:\\SC\\bin\\supremecommander.exe"));
    w.TADir.type(Gbk("C:\\TA\\"));
    w.cbauto.click();
    w.checkfile.click();
    w.rgvnntype.click(1);
    ASSERT_TRUE(w.BitBtn1.click() && !w.window.visible());
    const settings::Toptions& o = client_.options;
    EXPECT_EQ((Texts{o.autologin, o.checkfile, o.host, Gbk(std::to_string(o.vnntype))}),
              (Texts{Gbk("0"), Gbk("0"), Gbk("127.0.0.5"), Gbk("1")}));
    EXPECT_EQ(machine_.registry.text(RegistryHive::CurrentUser, settings::kOptionsSection, "host"),
              Gbk("127.0.0.5"))
        << "not saved";

    for (const char* port : {"88a8", "65536", "0", "-1", " 8888"}) {
        SCOPED_TRACE(port);
        client_.options.port = Gbk(port);
        shown_.clear();
        ASSERT_TRUE(main_.BitBtn1.click() && main_.BitBtn1.enabled());  // automatic log-in is on
        EXPECT_EQ(shown_, Texts{zh<"服务器端口 ">() + Gbk(port) +
                                zh<" 不是有效的端口号，请在选项中设置服务器端口">()});
    }
    EXPECT_TRUE(socket_.host().empty());

    // Encrypted, the lobby and the options window's test go to the TLS port.
    main_.BitBtn3.click();
    w.tls.click();
    w.tlsport.type(Gbk("9443"));
    w.BitBtn4.setEnabled(true);
    ASSERT_TRUE(w.BitBtn4.click() && w.BitBtn1.click());
    EXPECT_EQ(testSocket_.port(), 9443);
    EXPECT_EQ((Texts{o.tls, o.tlsport}), (Texts{Gbk("1"), Gbk("9443")}));
    ASSERT_TRUE(main_.BitBtn1.click());
    EXPECT_TRUE(socket_.port() == 9443 && client_.services.clientsocket1.tls());
}

// A whole client in one language, chosen before its windows are made (as at a start).
struct LanguageChoice {
    explicit LanguageChoice(text::Language language) { text::setLanguage(language); }
};
struct ClientIn : LanguageChoice, HeadlessFixture {
    explicit ClientIn(text::Language language) : LanguageChoice(language) {}
    void TestBody() override {}
    // Logs in through 连接, hosts a room, is refused another one; what was sent (the room number,
    // taken from the clock, blanked) and what the user read (the log-in window's caption, the
    // boxes).
    std::pair<std::string, Texts> logInHostAndJoinAnother() {
        machine_.installGame(Gbk(kTaDir));
        start(false);
        main_.BitBtn1.click();  // 连接, by its caption
        headless_.login.usr.type(Gbk("alice"));
        headless_.login.pwd.type(Gbk("secret"));
        const Gbk asked =
            headless_.login.window.visible() ? headless_.login.window.caption() : Gbk();
        headless_.login.BitBtn1.click();
        socket_.completeConnect();
        acceptLogin();
        receive(userRecord(Gbk("alice"), zh<"大厅">()));
        (void)sentRecords();
        const std::string roomno(hostRoom().roomno.view());
        receive(roomRecord(openRoom(Gbk("bob"))));
        doubleClickRoom(Gbk("R-bob"));
        const auto bytes = socket_.sent();
        std::string sent(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        for (auto at = sent.find(roomno); !roomno.empty() && at != std::string::npos;
             at = sent.find(roomno, at + roomno.size())) {
            sent.replace(at, roomno.size(), roomno.size(), '#');
        }
        Texts read{asked};
        read.insert(read.end(), shown_.begin(), shown_.end());
        return {sent, read};
    }
};

// English shows the user English texts; the records sent are the Chinese client's, byte for
// byte.
TEST(Language, EnglishShowsEnglishAndSendsTheSameBytes) {
    if (!text::englishText("确定")) {
        GTEST_SKIP() << "the English texts are in Ardentis.exe's resources (tests/app)";
    }
    const struct Restore {
        ~Restore() { text::setLanguage(text::Language::Chinese); }
    } restore;
    const auto chinese = ClientIn(text::Language::Chinese).logInHostAndJoinAnother();
    const auto english = ClientIn(text::Language::English).logInHostAndJoinAnother();
    EXPECT_EQ(chinese.second,
              (Texts{zh<"请输入帐号和密码">(), zh<"要进入新房间请先退出目前所在房间!">()}));
    EXPECT_EQ(english.second, (Texts{Gbk("Enter account and password"),
                                     Gbk("Leave your room before you join another one!")}));
    EXPECT_GT(english.first.size(), 2 * protocol::kRecordSize);  // the log-in and the room
    EXPECT_EQ(english.first, chinese.first);
}

}  // namespace
}  // namespace ardentis::forms::testing
