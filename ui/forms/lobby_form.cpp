#include "ui/forms/lobby_form.h"

#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "lobby/room_columns.h"
#include "protocol/des.h"
#include "protocol/message_kind.h"
#include "settings/local_network.h"
#include "settings/server_pins.h"
#include "settings/system_helpers.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/client.h"
#include "ui/forms/control_texts.h"

namespace ardentis::forms {
namespace {

using protocol::LobbyMessage;
using text::Gbk;
using text::shown;
using text::zh;

namespace sub = protocol::subcommand;
using namespace std::chrono_literals;

// How often the countdown to the next try is brought up to date.
constexpr int kRetryTickMs = 250;
// How long after the log-in the lists have to show the room the user comes back to.
constexpr int kRoomReturnMs = 5000;
// How often the virtual-LAN status is read again: a program connects or drops at any time.
constexpr int kVnnStatusMs = 5000;

constexpr int kStateColumn = lobby::room_columns::kState;
constexpr int kModNameColumn = lobby::room_columns::kModName;
constexpr int kPasswordColumn = lobby::room_columns::kPassword;
constexpr int kNetworkColumn = lobby::room_columns::kNetwork;

}  // namespace

TFormMain::TFormMain(Client& client, MainControls controls)
    : c(controls), client_(client), backoff_(std::random_device{}()) {
    c.MemRecev.setLineLimit(kChatLineLimit);
    c.window.onShow.set([this] { FormShow(); });
    c.window.onCloseQuery = [this] { return FormCloseQuery(); };
    c.window.onClose.set([this] { FormClose(); });
    c.BitBtn1.onClick.set([this] { BitBtn1Click(); });
    c.BitBtn2.onClick.set([this] { BitBtn2Click(); });
    c.BitBtn3.onClick.set([this] { BitBtn3Click(); });
    c.BitBtn4.onClick.set([this] { BitBtn4Click(); });
    c.bsSkinLinkImage1.onClick.set([this] { bsSkinLinkImage1Click(); });
    c.MemSend.onKeyDown = [this](int key) { MemSendKeyDown(key); };
    c.lvrooms.onDblClick.set([this] { lvroomsDblClick(); });
    client_.services.clientsocket1.setEvents(platform::SocketEvents{
        .onConnect = [this] { clientsocket1Connect(); },
        .onRead = [this] { clientsocket1Read(); },
        .onDisconnect = [this] { clientsocket1Disconnect(); },
        .onError = [this](const platform::OsError& error) { clientsocket1Error(error); },
    });
    wireFinder();
}

void TFormMain::wireFinder() {
    c.lvrooms.onColumnClick = [this](int column) {
        chooseColumn(finder_.roomColumn, finder_.roomDescending, column);
        arrangeLists(true);
    };
    c.lvlobby.onColumnClick = [this](int column) {
        chooseColumn(finder_.userColumn, finder_.userDescending, column);
        arrangeLists(true);
    };
    c.roomMod.onChange.set([this] {
        finder_.mod = c.roomMod.itemIndex() <= 0 ? Gbk() : c.roomMod.text();
        arrangeLists(true);
    });
    c.joinable.onClick.set([this] {
        finder_.joinableOnly = c.joinable.checked();
        arrangeLists(true);
    });
    c.noPassword.onClick.set([this] {
        finder_.hidePasswords = c.noPassword.checked();
        arrangeLists(true);
    });
    c.roomSearch.onChange.set([this] {
        finder_.roomSearch = c.roomSearch.text();
        arrangeLists(false);
    });
    c.userSearch.onChange.set([this] {
        finder_.userSearch = c.userSearch.text();
        arrangeLists(false);
    });
    client_.roomList.onRowAdded = [this](int row) {
        offerMod(client_.roomList.subItem(row, kModNameColumn));
    };
    // The user's own row stays marked: it is the selection of the user list.
    client_.userList.onRowAdded = [this](int row) {
        if (client_.userList.caption(row) == client_.FormLogin.c.usr.text()) {
            client_.userList.setSelected(row);
        }
    };
}

void TFormMain::offerMod(const Gbk& name) {
    for (int index = 0; index < c.roomMod.count(); ++index) {
        if (c.roomMod.item(index) == name) {
            return;
        }
    }
    if (!name.empty()) {
        c.roomMod.addItem(name);
    }
}

void TFormMain::arrangeLists(bool keep) {
    client_.roomList.arrange(finder_.roomColumn, finder_.roomDescending, roomFilter(finder_));
    const Gbk own = client_.FormLogin.c.usr.text();
    client_.userList.arrange(finder_.userColumn, finder_.userDescending, userFilter(finder_, own));
    if (const auto row = client_.userList.findCaption(own)) {
        client_.userList.setSelected(row);
    }
    if (keep) {
        saveFinderChoices(client_.services.registry, finder_);
    }
}

void TFormMain::FormCreate() {
    c.MemRecev.clear();
    c.MemSend.clear();
    client_.options = settings::Toptions{};
    ResetLobbyState();
    client_.options.vnnip = settings::GetVnnAddress(client_.services.network, client_.options);
    client_.workerAction = TClientDataThread::Action::LobbyChat;
    closeGuard = 1;
    c.window.setCaption(Gbk("Ardentis"));
    client_.Formslpash = std::make_unique<TFormslpash>(
        client_.splashControls, client_.services.loop, [this] { c.window.show(); });
    client_.Formslpash->Show();
    c.lver.setCaption(Gbk("Version:") + settings::GetFileVersionText(client_.services.system));
    vnnTimer_ = client_.services.loop.createTimer(kVnnStatusMs, true, [this] { showVnnStatus(); });
    showVnnStatus();

    // The finder as the user left it: every mod installed, the one chosen even if not.
    finder_ = loadFinderChoices(client_.services.registry);
    c.roomMod.clear();
    c.roomMod.addItem(shown<"全部MOD">());
    std::vector<Gbk> installed;
    client_.connection()->mods.FillInstalledMods(installed);
    for (const Gbk& name : installed) {
        offerMod(name);
    }
    offerMod(finder_.mod);
    c.roomMod.setItemIndex(0);
    for (int index = 1; index < c.roomMod.count(); ++index) {
        if (c.roomMod.item(index) == finder_.mod) {
            c.roomMod.setItemIndex(index);
        }
    }
    const FinderChoices stored = finder_;
    c.joinable.setChecked(stored.joinableOnly);
    c.noPassword.setChecked(stored.hidePasswords);
    finder_ = stored;
    arrangeLists(false);
}

void TFormMain::showVnnStatus() {
    const settings::Toptions& options = client_.options;
    const Gbk address = settings::GetVnnAddress(client_.services.network, options);
    Gbk software = client_.FormOptions.c.rgvnntype.item(options.vnntype);
    if (software.empty()) {
        software = shown<"未知">();
    }
    c.vnnstatus.setCaption(software + Gbk(": ") + (address.empty() ? shown<"未连接">() : address));
}

void TFormMain::FormShow() {
    const settings::Toptions& options = client_.options;
    OptionsControls& o = client_.FormOptions.c;
    o.TADir.setText(options.TAdir);
    o.SPCDir.setText(options.SPCdir);
    o.host.setText(options.host);
    o.port.setText(options.port);
    o.pwd1.setText(Gbk());
    o.pwd2.setText(Gbk());
    o.pwd3.setText(Gbk());
    o.checkfile.setChecked(options.checkfile != Gbk("0"));
    o.tls.setChecked(settings::tlsOn(options));
    o.tlsport.setText(options.tlsport);
    o.rgvnntype.setItemIndex(options.vnntype);
    o.language.setItemIndex(static_cast<int>(text::languageNamed(options.language)));
    client_.FormOptions.showNetwork(options.vnnaddr);
    if (settings::autoLoginOn(options)) {
        client_.FormLogin.c.usr.setText(options.usr);
        client_.FormLogin.c.pwd.setText(options.pwd);
        c.BitBtn1.setEnabled(false);
        client_.FormLogin.BitBtn1Click();
    }
}

bool TFormMain::FormCloseQuery() const {
    return closeGuard == 0;
}

void TFormMain::FormClose() {
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.leaveroom();
    }
}

void TFormMain::BitBtn1Click() {
    if (c.BitBtn1.caption() != shown<"连接">()) {
        userDisconnect();
        return;
    }
    const settings::Toptions& options = client_.options;
    if (options.autologin == Gbk("1")) {
        c.BitBtn1.setEnabled(false);
        client_.FormLogin.c.BitBtn1.setEnabled(true);
        client_.FormLogin.c.window.show();
        return;
    }
    client_.FormLogin.c.usr.setText(options.usr);
    client_.FormLogin.c.pwd.setText(options.pwd);
    c.BitBtn1.setEnabled(false);
    client_.FormLogin.BitBtn1Click();
}

void TFormMain::BitBtn2Click() {
    if (client_.currentUser.account.empty()) {
        return;  // a room needs a connection: whatever enabled the button, nobody is logged in
    }
    room::BattleroomControls& room = client_.FormBattleroom.c;
    c.BitBtn2.setEnabled(false);
    room.window.show();
    room.MemRecev.clear();
    room.lvRoom.clear();
    room.BitBtn1.setEnabled(true);
    client_.FormBattleroom.setcreatestatus();
    room.mods.setEnabled(true);
    room.gamecomments.setText(zh<"欢迎加入战斗">());
}

void TFormMain::BitBtn3Click() {
    client_.FormOptions.c.window.show();
}

void TFormMain::BitBtn4Click() {
    closeGuard = 0;
    c.window.requestClose();
}

void TFormMain::bsSkinLinkImage1Click() {
    if (client_.services.openUrl) {
        client_.services.openUrl(client_.services.communitySite);
    }
}

void TFormMain::MemSendKeyDown(int key) {
    if (key != Memo::kEnter || client_.currentUser.account.empty()) {
        return;
    }
    client_.workerAction = TClientDataThread::Action::LobbyChat;
    // The line just completed, read here on the window thread with the Enter applied.
    const Gbk line = c.MemSend.line(c.MemSend.caretLine() - 1);
    if (line.empty()) {
        return;
    }
    const auto connection = client_.connection();
    const LobbyMessage record = connection->lobby.chatRecord(line);
    const auto send = [connection, record] { connection->com.SendRecord(record); };
    if (!client_.workers.start(send, TClientDataThread::Order::InTurn)) {
        send();  // no thread to spare: the line still goes out, from here
    }
}

void TFormMain::lvroomsDblClick() {
    const auto connection = client_.connection();
    settings::Toptions& options = client_.options;
    const protocol::TcBaseFunctions& base = connection->base;
    lobby::tclobby& lobby = connection->lobby;

    options.vnnip = settings::GetVnnAddress(client_.services.network, options);
    if (lobby.myroom) {
        base.ShowInfo(shown<"要进入新房间请先退出目前所在房间!">());
        return;
    }
    const auto row = c.lvrooms.selected();
    if (!row) {
        return;
    }
    if (options.vnnip.empty()) {
        base.ShowInfo(shown<"您还没有登录虚拟网络!">());
        return;
    }
    const Gbk network = c.lvrooms.subItem(*row, kNetworkColumn);
    if (network == zh<"未知">()) {
        base.ShowInfo(shown<"这个房间使用的虚拟局域网软件本客户端不认识，请更新客户端。">());
        return;
    }
    if (client_.FormOptions.c.rgvnntype.item(options.vnntype) != network) {
        base.ShowInfo(shown<"请确保您登录了虚拟网络软件">() + network);
        return;
    }
    if (c.lvrooms.subItem(*row, kStateColumn) == zh<"战斗中">()) {
        base.ShowInfo(shown<"房间中已经开始战斗了，请战后再来!">());
        return;
    }
    const Gbk roomno = c.lvrooms.caption(*row);
    const Gbk code = lobby.roommod(roomno);
    Gbk name = connection->mods.GetNameByCode(code);
    if (name.empty()) {
        name = c.lvrooms.subItem(*row, kModNameColumn);
    }
    if (connection->mods.GetModExePath(code).empty()) {
        base.ShowInfo(shown<"你没有安装 ">() + name + shown<"，请到">() +
                      client_.services.communitySite + shown<"下载对应的mod。">());
        return;
    }
    if (!c.lvrooms.subItem(*row, kPasswordColumn).empty()) {
        const auto typed =
            client_.services.inputpassword.ask(shown<"请输入密码">(), shown<"请输入房间密码">());
        // The connection may have ended while the prompt was up.
        if (!typed || connection->roomContext.ended) {
            return;
        }
        if (!lobby.checkpassword(*typed, roomno)) {
            base.ShowInfo(shown<"密码输入错误。">());
            return;
        }
    }
    lobby.joinroom(roomno);
}

void TFormMain::ResetLobbyState() {
    client_.currentUser = protocol::UserRecord{};
    client_.renewConnection();
    client_.store.LoadOptions(client_.options);
    c.lvlobby.clear();
    c.lvrooms.clear();
}

void TFormMain::clientsocket1Connect() {
    const platform::TlsClientSocket& socket = client_.services.clientsocket1;
    if (const auto& peer = socket.peer(); socket.tls() && peer) {
        client_.services.log.LogText(Gbk("TLS: " + peer->protocol + ", " + peer->cipher +
                                         ", server certificate SHA-256 " + peer->fingerprint));
    }
    LobbyMessage login{};
    login.setKind(protocol::command::kLogin, sub::kLogin);
    login.sparam1.set(client_.FormLogin.c.usr.text());
    login.sparam2.set(protocol::des::EncryptHex(client_.FormLogin.c.pwd.text().view()));
    // Servers that know no tokens read only the account and password.
    if (!token_.first.empty() && token_.account == client_.FormLogin.c.usr.text() &&
        token_.host == socketHost && token_.port == socketPort) {
        login.sparam7.set(token_.first);
        login.sparam8.set(token_.second);
    }
    client_.connection()->com.SendRecord(login);
}

void TFormMain::keepResumeToken(const LobbyMessage& loginOk) {
    const std::string_view first = loginOk.sparam7.view();
    const std::string_view second = loginOk.sparam8.view();
    token_ = ResumeToken{};
    if (!first.empty() && !second.empty()) {
        token_ = ResumeToken{client_.FormLogin.c.usr.text(), socketHost, socketPort,
                             std::string(first), std::string(second)};
    }
}

void TFormMain::userDisconnect() {
    stopReconnecting();
    c.MemRecev.addLine(shown<"正在断开连接，请稍候......">());
    ResetLobbyState();
    c.BitBtn1.setCaption(shown<"连接">());
    client_.services.clientsocket1.close();
    c.BitBtn1.setEnabled(true);
}

void TFormMain::connectionLost() {
    const bool wasOnLine = !client_.currentUser.account.empty() && !std::exchange(refused_, false);
    if (wasOnLine) {
        const room::tcroom* room = client_.connection()->lobby.myroom.get();
        roomReturn_.reset();
        if (room != nullptr) {
            roomReturn_ = RoomReturn{room->info.roomno.gbk(),
                                     room->info.host.gbk() == client_.currentUser.account.gbk()};
        }
    }
    c.BitBtn1.setEnabled(true);
    c.BitBtn2.setEnabled(false);
    ResetLobbyState();
    if (!wasOnLine && !reconnecting_) {
        c.BitBtn1.setCaption(shown<"连接">());
        c.MemRecev.addLine(shown<"失去和服务器的联系,请重新连接!">());
        return;
    }
    if (!reconnecting_) {
        reconnecting_ = true;
        c.MemRecev.addLine(shown<"失去和服务器的联系,正在自动重新连接......">());
        client_.services.log.LogText(Gbk("connection lost: reconnecting"));
    }
    c.BitBtn1.setCaption(shown<"断开">());  // stops the tries
    scheduleRetry();
}

void TFormMain::scheduleRetry() {
    const auto wait = backoff_.next();
    retryAt_ = client_.services.loop.now() + wait;
    client_.services.log.LogText(Gbk("reconnect: try " + std::to_string(backoff_.tries()) + " in " +
                                     std::to_string(wait.count()) + " ms"));
    if (!retryTimer_) {
        retryTimer_ =
            client_.services.loop.createTimer(kRetryTickMs, false, [this] { retryTick(); });
    }
    retryTimer_->setEnabled(true);
    retryTick();
}

void TFormMain::retryTick() {
    const auto left = retryAt_ - client_.services.loop.now();
    if (left > 0ms) {
        const auto seconds = (left + 999ms) / 1000ms;
        c.prompt.setCaption(shown<"与服务器的连接已断开，">() + Gbk(std::to_string(seconds)) +
                            shown<" 秒后重新连接">());
        return;
    }
    retryTimer_->setEnabled(false);
    c.prompt.setCaption(shown<"正在重新连接服务器......">());
    client_.services.log.LogText(Gbk("reconnect: try " + std::to_string(backoff_.tries())));
    openSocket();
}

void TFormMain::stopReconnecting() {
    if (retryTimer_) {
        retryTimer_->setEnabled(false);
    }
    roomReturn_.reset();
    if (reconnecting_) {
        client_.services.log.LogText(Gbk("reconnect: stopped"));
    }
    reconnecting_ = false;
    backoff_.reset();
}

void TFormMain::refused() {
    stopReconnecting();
    refused_ = true;
}

void TFormMain::loggedIn() {
    refused_ = false;
    if (reconnecting_) {
        c.MemRecev.addLine(shown<"已重新连接到服务器。">());
        client_.services.log.LogText(
            Gbk("reconnect: back after " + std::to_string(backoff_.tries()) + " tries"));
        reconnecting_ = false;
        auto back = std::move(roomReturn_);
        stopReconnecting();
        if (back) {
            roomReturn_ = std::move(back);
            if (!returnTimer_) {
                returnTimer_ = client_.services.loop.createTimer(kRoomReturnMs, false,
                                                                 [this] { giveUpRoom(); });
            }
            returnTimer_->setEnabled(true);
        }
        return;
    }
    stopReconnecting();
}

void TFormMain::roomListed(const protocol::RoomRecord& room) {
    if (!roomReturn_ || room.roomno.gbk() != roomReturn_->roomno ||
        client_.currentUser.account.empty()) {
        return;
    }
    const RoomReturn back = *roomReturn_;
    roomReturn_.reset();
    returnTimer_->setEnabled(false);
    room::BattleroomControls& window = client_.FormBattleroom.c;
    if (!window.window.visible()) {
        return;  // the user closed the room's window meanwhile
    }
    client_.services.log.LogText(Gbk("reconnect: back to room ") + back.roomno);
    window.lvRoom.clear();
    lobby::tclobby& lobby = client_.connection()->lobby;
    if (back.host) {
        c.BitBtn2.setEnabled(false);
        lobby.createroom(room);
    } else {
        lobby.joinroom(back.roomno);
    }
}

void TFormMain::giveUpRoom() {
    returnTimer_->setEnabled(false);
    if (!std::exchange(roomReturn_, std::nullopt)) {
        return;
    }
    room::BattleroomControls& window = client_.FormBattleroom.c;
    window.MemSend.clear();
    window.MemRecev.clear();
    window.lvRoom.clear();
    window.window.hide();
    c.MemRecev.addLine(shown<"原来所在的房间已经关闭。">());
}

void TFormMain::clientsocket1Disconnect() {
    connectionLost();
}

void TFormMain::clientsocket1Error(const platform::OsError& /*error*/) {
    const platform::TlsClientSocket& socket = client_.services.clientsocket1;
    if (socket.tls() && !socket.failure().empty()) {
        client_.services.log.LogText(Gbk(socket.failure()));
    }
    if (socket.refused()) {
        // The user has been told why, or said no: another try would only ask again.
        stopReconnecting();
        refused_ = true;
        connectionLost();
        return;
    }
    if (reconnecting_ || !client_.currentUser.account.empty()) {
        connectionLost();  // tries come by themselves; the chat tells of it, no box
        return;
    }
    client_.connection()->base.ShowInfo(shown<"不能连接到服务器">() + socketHost +
                                        Gbk(":" + std::to_string(socketPort)) +
                                        shown<"，请尝试在选项中设置服务器地址和端口">());
    connectionLost();
}

void TFormMain::clientsocket1Read() {
    // Held for the whole step: a reset inside the dispatcher replaces the connection.
    const auto connection = client_.connection();
    connection->com.ReceiveStep(
        [this](const LobbyMessage& message) { client_.dispatcher.DispatchRecord(message); });
}

void TFormMain::openSocket() {
    const bool tls = settings::tlsOn(client_.options);
    const auto port = settings::portNumber(tls ? client_.options.tlsport : client_.options.port);
    if (!port) {
        // Connecting to some other port would only fail later with a misleading address.
        stopReconnecting();
        client_.connection()->base.ShowInfo(shown<"服务器端口 ">() +
                                            (tls ? client_.options.tlsport : client_.options.port) +
                                            shown<" 不是有效的端口号，请在选项中设置服务器端口">());
        c.BitBtn1.setCaption(shown<"连接">());
        c.BitBtn1.setEnabled(true);
        return;
    }
    socketHost = client_.options.host;
    socketPort = *port;
    if (tls) {
        client_.services.clientsocket1.useTls(
            [this](const platform::TlsPeer& peer) { return judgeServer(peer); });
    } else {
        client_.services.clientsocket1.usePlain();
    }
    client_.services.clientsocket1.open(socketHost.bytes(), socketPort);
}

bool TFormMain::judgeServer(const platform::TlsPeer& peer) {
    settings::ServerPins pins(client_.services.registry);
    const auto pinned = pins.pinned(socketHost.view(), socketPort);
    const Gbk server = socketHost + Gbk(":" + std::to_string(socketPort));
    switch (settings::judgeServer(peer, pinned)) {
        case settings::ServerTrust::Accept:
            return true;
        case settings::ServerTrust::AskFirst:
            if (!client_.services.infoBox.askYesNo(
                    shown<"服务器 ">() + server +
                    shown<" 的证书不是由受信任的机构签发的。\n证书指纹 (SHA-256):\n">() +
                    Gbk(peer.fingerprint) +
                    shown<"\n\n请向服务器的管理员核对这个指纹。信任这个服务器并继续连接吗？">())) {
                return false;
            }
            if (!pins.pin(socketHost.view(), socketPort, peer.fingerprint)) {
                client_.connection()->base.ShowInfo(shown<"不能保存服务器的证书指纹。">());
            }
            return true;
        case settings::ServerTrust::Mismatch:
            client_.connection()->base.ShowInfo(
                shown<"警告：服务器 ">() + server +
                shown<" 的证书和上次接受的不同，连接已中止，密码没有发送。\n上次接受的指纹:\n">() +
                Gbk(pinned.value_or("")) + shown<"\n这次收到的指纹:\n">() + Gbk(peer.fingerprint));
            return false;
    }
    return false;
}

}  // namespace ardentis::forms
