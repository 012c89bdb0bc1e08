#include "ui/forms/battle_room_form.h"

#include <algorithm>
#include <string>
#include <vector>

#include "game/game_start.h"
#include "protocol/message_kind.h"
#include "settings/local_network.h"
#include "settings/system_helpers.h"
#include "settings/virtual_lan.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/client.h"
#include "ui/forms/control_texts.h"

namespace ardentis::forms {
namespace {

using text::Gbk;
using text::shown;
using text::zh;

Gbk decimal(int value) {
    return Gbk(std::to_string(value));
}

}  // namespace

TFormBattleroom::TFormBattleroom(Client& client, room::BattleroomControls controls)
    : c(controls), client_(client) {
    c.MemRecev.setLineLimit(kChatLineLimit);
    c.window.onShow.set([this] { FormShow(); });
    c.window.onHide.set([this] { FormHide(); });
    c.window.onCloseQuery = [this] { return FormCloseQuery(); };
    c.BitBtn1.onClick.set([this] { BitBtn1Click(); });
    c.BitBtn2.onClick.set([this] { BitBtn2Click(); });
    c.BitBtn3.onClick.set([this] { BitBtn3Click(); });
    c.CheckBox1.onClick.set([this] { CheckBox1Click(); });
    c.MemSend.onKeyDown = [this](int key) { MemSendKeyDown(key); };
    c.lvRoom.onClick.set([this] { lvRoomClick(); });
    c.RGcommander.onClick.set([this] { RGcommanderClick(); });
    c.rglos.onClick.set([this] { rglosClick(); });
    c.rgpos.onClick.set([this] { rgposClick(); });
    c.rgwatch.onClick.set([this] { rgwatchClick(); });
    c.RGcheat.onClick.set([this] { RGcheatClick(); });
    c.RGMapmode.onClick.set([this] { RGMapmodeClick(); });
    c.Trackmetal.onChange.set([this] { TrackmetalChange(); });
    c.Trackenergy.onChange.set([this] { TrackenergyChange(); });
    c.Trackulimited.onChange.set([this] { TrackulimitedChange(); });
    c.Trackplayers.onChange.set([this] { trackerlimitedChange(); });
    c.mods.onChange.set([this] { modsChange(); });
    c.gamecomments.onChange.set([this] { gamecommentsChange(); });
    c.pwd.onChange.set([this] { pwdChange(); });
    c.MapList.onChange.set([this] { ComboBox1Change(); });
}

void TFormBattleroom::FormCreate() {
    c.MemRecev.clear();
    c.MemSend.clear();
    std::vector<Gbk> installed;
    client_.connection()->mods.FillInstalledMods(installed);
    c.mods.clear();
    for (const Gbk& name : installed) {
        c.mods.addItem(name);
    }
    c.mods.setItemIndex(0);
    c.gamecomments.setText(zh<"欢迎加入战斗">());
    c.MapList.setItemIndex(0);
    startSent = false;
    const Services& services = client_.services;
    autoClicker =
        std::make_unique<game::TAutoClicker>(services.loop, services.gameWindows, services.system,
                                             services.log, [this] { sendTAstart(); });
    taHook =
        std::make_unique<game::TTAHook>(services.loop, services.gameWindows, services.sharedMemory,
                                        services.system, services.log, *this);
    spcHook = std::make_unique<game::TSPCHook>(services.loop, services.gameWindows,
                                               services.network, services.system, *this);
}

void TFormBattleroom::FormShow() {
    c.MemRecev.clear();
    startSent = false;
    startGuard = false;
    c.CheckBox1.setEnabled(true);
    c.CheckBox1.setChecked(false);
}

void TFormBattleroom::FormHide() {
    if (taHook) {
        taHook->Stop();
    }
    c.mods.setEnabled(true);
    c.BitBtn2.setEnabled(true);
}

void TFormBattleroom::setcreatestatus() {
    for (forms::RadioGroup* group :
         {&c.RGcommander, &c.rglos, &c.RGMapmode, &c.RGcheat, &c.rgwatch, &c.rgpos}) {
        group->setEnabled(true);
    }
    for (forms::Slider* slider :
         {&c.Trackmetal, &c.Trackenergy, &c.Trackplayers, &c.Trackulimited}) {
        slider->setEnabled(true);
    }
    c.pwd.setEnabled(true);
    c.gamecomments.setEnabled(true);
    c.MapList.setEnabled(true);
    c.mods.setEnabled(false);
    c.CheckBox1.setVisible(false);
    c.BitBtn2.setEnabled(false);
    c.BitBtn2.setVisible(true);
    startGuard = false;
}

void TFormBattleroom::setjoinstatus() {
    for (forms::RadioGroup* group :
         {&c.RGcommander, &c.rglos, &c.RGMapmode, &c.RGcheat, &c.rgwatch, &c.rgpos}) {
        group->setEnabled(false);
    }
    for (forms::Slider* slider :
         {&c.Trackmetal, &c.Trackenergy, &c.Trackplayers, &c.Trackulimited}) {
        slider->setEnabled(false);
    }
    c.mods.setEnabled(false);
    c.pwd.setEnabled(false);
    c.gamecomments.setEnabled(false);
    c.MapList.setEnabled(true);
    c.CheckBox1.setVisible(true);
    c.BitBtn2.setVisible(false);
}

bool TFormBattleroom::userIsHost() const {
    const auto connection = client_.connection();
    const auto& myroom = connection->lobby.myroom;
    return myroom && myroom->info.host.gbk() == client_.currentUser.account.gbk();
}

Gbk TFormBattleroom::account() const {
    return client_.currentUser.account.gbk();
}

void TFormBattleroom::clearStartFlags() {
    startSent = false;
    startGuard = false;
}

void TFormBattleroom::setStartGuard(bool on) {
    startGuard = on;
}

void TFormBattleroom::sendnotice(const Gbk& line) {
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.myroom->sendnotice(line);
    }
}

void TFormBattleroom::sendstate() {
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.myroom->sendstate();
    }
}

void TFormBattleroom::sendroom() {
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.myroom->sendroom();
    }
}

void TFormBattleroom::setStatus(const Gbk& status) {
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.myroom->info.status = status;
    }
}

void TFormBattleroom::restoreWindowSizes() {
    // A game that changed the screen's resolution may have squeezed both windows.
    client_.FormMain.c.window.setSize({800, 600});
    c.window.setSize({640, 480});
}

void TFormBattleroom::sendOptions(bool alsoRoom) {
    if (!userIsHost()) {
        return;
    }
    const auto connection = client_.connection();
    connection->lobby.myroom->sendoptions();
    if (alsoRoom) {
        connection->lobby.myroom->sendroom();
    }
}

void TFormBattleroom::BitBtn1Click() {
    const auto connection = client_.connection();
    if (client_.currentUser.account.empty()) {
        // A room made now would have no host and nobody would ever see it.
        connection->base.ShowInfo(shown<"失去和服务器的联系,请重新连接!">());
        return;
    }
    settings::Toptions& options = client_.options;
    options.vnnip = settings::GetVnnAddress(client_.services.network, options);
    const Gbk modName = c.mods.text();
    const Gbk code = connection->mods.GetCodeByName(modName);
    if (connection->mods.GetModExePath(code).empty()) {
        connection->base.ShowInfo(shown<"你还没有安装">() + modName + shown<"，请到">() +
                                  client_.services.communitySite + shown<"下载对应的mod版本。">());
        return;
    }
    if (options.vnnip.empty()) {
        connection->base.ShowInfo(shown<"请确保您在选项中选择的虚拟局域网软件保持在线！">());
        return;
    }
    c.BitBtn1.setEnabled(false);
    c.BitBtn2.setEnabled(false);

    protocol::RoomRecord room;
    room.host = client_.currentUser.account.gbk();
    room.roomno = settings::MakeUniqueId(client_.services.system, client_.services.clock);
    room.map = c.MapList.text();
    room.players = 1;
    room.maxplayers = static_cast<std::int8_t>(c.Trackplayers.position());
    room.modname = modName;
    room.modcode = code;
    room.status = Gbk("0");
    room.password = c.pwd.text();
    room.comment = c.gamecomments.text();
    // A new room carries these values whatever the controls show, until the host's first
    // option change.
    room.commander = 2;
    room.los = 1;
    room.watch = 2;
    room.cheat = 1;
    room.mapmode = 2;
    room.startpos = 2;
    room.unitlimit = 30;
    room.metal = 1;
    room.energy = 1;
    room.nettype = static_cast<std::int8_t>(options.vnntype & 0xFF);
    connection->lobby.createroom(room);
}

void TFormBattleroom::BitBtn2Click() {
    const auto connection = client_.connection();
    if (!connection->lobby.myroom || !autoClicker) {
        return;
    }
    Services& services = client_.services;
    const bool host = userIsHost();
    if (!vnnAddressForStart(host)) {
        return;
    }
    const settings::Toptions& options = client_.options;
    // The room's own mod: the mod list shows only what was installed at start-up, and a
    // joiner's selection may not name the room's mod at all.
    const Gbk code = connection->lobby.myroom->info.modcode.gbk();
    const game::Game game = game::gameOfCode(code);
    const Gbk exePath = connection->mods.GetModExePath(code);
    game::GameStart::Plan plan{
        .game = game,
        .role = host ? game::Role::Host : game::Role::Joiner,
        .exePath = exePath,
        .taDir = options.TAdir,
        .account = account(),
        .hostip = options.hostip,
        .options = host ? connection->lobby.myroom->collectoptions() : protocol::RoomRecord{},
        .map = c.MapList.text(),
        .vnnip = options.vnnip,
    };
    game::GameStart start(
        game::GameStart::Machine{services.files, services.registry, services.system,
                                 services.launcher, services.gameWindows, services.loop,
                                 services.gameWait},
        std::move(plan));
    if (const auto written = start.writeLaunchFile(); !written) {
        // Nothing has started; the room stays as it was.
        connection->base.ShowInfo(shown<"无法写入游戏启动文件：">() + start.launchFilePath() +
                                  Gbk(" (" + written.error().describe() + ")"));
        return;
    }
    if (host) {
        setStatus(Gbk("1"));
        sendroom();
        if (connection->roomContext.ended) {
            return;  // the connection ended with that record: no game for a room that is gone
        }
    }
    if (const auto launched = start.launch(); !launched) {
        const bool refused = launched.error().failure == game::GameStart::Failure::ShellRefused;
        gameDidNotStart(host, refused ? shown<"无法启动游戏：">() + exePath +
                                            Gbk(" (" + launched.error().os.describe() + ")")
                                      : shown<"游戏没有启动，请检查游戏目录。">());
        return;
    }
    sendnotice(account() + zh<"开始进入战场，请稍候．">());
    if (game == game::Game::TotalAnnihilation) {
        autoClicker->Start(host ? game::TAutoClicker::kHostMode : game::TAutoClicker::kJoinMode);
        taHook->Start();
    } else {
        spcHook->Start();
    }
    sendstate();
}

void TFormBattleroom::gameDidNotStart(bool host, const Gbk& why) {
    client_.connection()->base.ShowInfo(why);
    if (host) {
        setStatus(Gbk("0"));
        sendroom();
    } else {
        c.CheckBox1.setEnabled(true);
    }
}

bool TFormBattleroom::vnnAddressForStart(bool host) {
    settings::Toptions& options = client_.options;
    const platform::NetworkInfo& network = client_.services.network;
    options.vnnip = settings::GetVnnAddress(network, options);
    if (!options.vnnip.empty()) {
        return true;
    }
    const Gbk missing = shown<"没有找到您选择的虚拟局域网软件（">() +
                        client_.FormOptions.c.rgvnntype.item(options.vnntype) +
                        zh<"）的地址。\r\n请检查：这个软件已经启动，并且已经连接到它的网络；"
                           "选项的“虚拟网络”页里选择的软件和本机的网卡一致。">();
    const Gbk& notStarted = shown<"\r\n游戏没有启动。">();
    if (!host) {
        gameDidNotStart(false, missing + notStarted);
        return false;
    }
    const std::vector<Gbk> own = settings::pickableAddresses(settings::readLocalNetwork(network));
    const auto lan = std::ranges::find_if(
        own, [](const Gbk& address) { return !address.view().starts_with("127."); });
    if (lan == own.end()) {
        client_.connection()->base.ShowInfo(missing + notStarted);
        return false;
    }
    // A LAN party needs no virtual LAN: the host may start on the machine's own address.
    if (!client_.services.infoBox.askYesNo(
            missing + shown<"\r\n\r\n如果大家都在同一个真实的局域网里，也可以用本机地址 ">() +
            *lan + shown<" 开始游戏。要继续吗？">())) {
        return false;
    }
    options.vnnip = *lan;
    return true;
}

void TFormBattleroom::sendTAstart() {
    if (startSent || startGuard) {
        return;
    }
    const auto connection = client_.connection();
    const auto& myroom = connection->lobby.myroom;
    if (!myroom || !userIsHost()) {
        return;
    }
    protocol::LobbyMessage message{};
    message.setKind(protocol::command::kRoom, protocol::subcommand::kGameStart);
    message.sparam1.set(myroom->info.roomno.gbk());
    message.sparam2.set(client_.options.vnnip);
    message.sparam3.set(account());
    connection->com.SendRecord(message);
    startSent = true;
    startGuard = true;
    c.CheckBox1.setEnabled(false);
}

void TFormBattleroom::BitBtn3Click() {
    if (client_.services.gameRunning && client_.services.gameRunning()) {
        return;  // a room can't be left while a game runs
    }
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.leaveroom();
    }
    c.window.hide();
    c.lvRoom.clear();
    // 指挥室 opens a room only while logged in; leaving may itself have ended the connection.
    client_.FormMain.c.BitBtn2.setEnabled(!client_.currentUser.account.empty());
    c.BitBtn1.setEnabled(true);
}

void TFormBattleroom::CheckBox1Click() {
    const auto connection = client_.connection();
    if (connection->lobby.myroom) {
        connection->lobby.myroom->sendstate();
    }
}

void TFormBattleroom::MemSendKeyDown(int key) {
    const auto connection = client_.connection();
    if (key != Memo::kEnter || !connection->lobby.myroom) {
        return;
    }
    client_.workerAction = TClientDataThread::Action::RoomChat;
    // The line just completed, read here on the window thread with the Enter applied.
    const Gbk line = c.MemSend.line(c.MemSend.caretLine() - 1);
    if (line.empty()) {
        return;
    }
    const protocol::LobbyMessage record = connection->lobby.myroom->chatRecord(line);
    const auto send = [connection, record] { connection->com.SendRecord(record); };
    if (!client_.workers.start(send, TClientDataThread::Order::InTurn)) {
        send();  // no thread to spare: the line still goes out, from here
    }
}

void TFormBattleroom::lvRoomClick() {
    c.BitBtn4.setEnabled(true);
}

void TFormBattleroom::RGcommanderClick() {
    sendOptions(false);
}

void TFormBattleroom::rglosClick() {
    sendOptions(false);
}

void TFormBattleroom::rgposClick() {
    sendOptions(false);
}

void TFormBattleroom::rgwatchClick() {
    sendOptions(false);
}

void TFormBattleroom::RGcheatClick() {
    sendOptions(false);
}

void TFormBattleroom::RGMapmodeClick() {
    sendOptions(false);
}

void TFormBattleroom::TrackmetalChange() {
    c.Lmetal.setCaption(decimal(c.Trackmetal.position() * 1000));
    sendOptions(false);
}

void TFormBattleroom::TrackenergyChange() {
    c.Lenergy.setCaption(decimal(c.Trackenergy.position() * 1000));
    sendOptions(false);
}

void TFormBattleroom::TrackulimitedChange() {
    c.llimited.setCaption(decimal(c.Trackulimited.position() * 50));
    sendOptions(false);
}

void TFormBattleroom::trackerlimitedChange() {
    c.lplayers.setCaption(decimal(c.Trackplayers.position()));
    const int rows = c.lvRoom.rowCount();
    if (rows <= c.Trackplayers.position()) {
        sendOptions(true);
        return;
    }
    client_.connection()->base.ShowInfo(shown<"玩家数量不能再少了。">());
    // Runs this handler again with the corrected position, which sends for a host.
    c.Trackplayers.setPosition(rows);
    c.lplayers.setCaption(decimal(c.Trackplayers.position()));
}

void TFormBattleroom::modsChange() {
    sendOptions(false);
}

void TFormBattleroom::gamecommentsChange() {
    sendOptions(true);
}

void TFormBattleroom::pwdChange() {
    sendOptions(true);
}

void TFormBattleroom::ComboBox1Change() {
    const auto connection = client_.connection();
    const auto& myroom = connection->lobby.myroom;
    if (!myroom) {
        return;
    }
    if (userIsHost()) {
        sendOptions(true);
        return;
    }
    myroom->sendnotice(client_.currentUser.account.gbk() + zh<"建议使用">() + c.MapList.text() +
                       zh<"这张地图。">());
}

}  // namespace ardentis::forms
