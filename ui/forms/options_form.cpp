#include "ui/forms/options_form.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "protocol/des.h"
#include "settings/options_store.h"
#include "settings/virtual_lan.h"
#include "text/literal.h"
#include "text/shown.h"
#include "ui/forms/client.h"

namespace ardentis::forms {
namespace {

using text::Gbk;
using text::shown;
using text::zh;

// The directory part of a file name, with its trailing backslash. Double-byte characters
// are stepped over whole: a trail byte may look like a backslash.
Gbk directoryOf(const Gbk& fileName) {
    const std::string_view bytes = fileName.view();
    std::size_t end = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size()) {
            ++i;
            continue;
        }
        if (byte == '\\' || byte == ':') {
            end = i + 1;
        }
    }
    return Gbk(bytes.substr(0, end));
}

void showNotifyChoices(const NotifyControls& c, const NotifyChoices& choices) {
    c.comeAndGo.setChecked(choices.comeAndGo);
    c.roomFull.setChecked(choices.roomFull);
    c.allReady.setChecked(choices.allReady);
    c.gameStart.setChecked(choices.gameStart);
    c.mention.setChecked(choices.mention);
    c.sound.setChecked(choices.sound);
    c.tray.setChecked(choices.tray);
}

NotifyChoices notifyChoicesShown(const NotifyControls& c) {
    return NotifyChoices{c.comeAndGo.checked(), c.roomFull.checked(), c.allReady.checked(),
                         c.gameStart.checked(), c.mention.checked(),  c.sound.checked(),
                         c.tray.checked()};
}

}  // namespace

TFormOptions::TFormOptions(Client& client, OptionsControls controls)
    : c(controls), client_(client) {
    c.BitBtn1.onClick.set([this] { BitBtn1Click(); });
    c.BitBtn2.onClick.set([this] { BitBtn2Click(); });
    c.BitBtn3.onClick.set([this] { BitBtn3Click(); });
    c.bitbtnspcdir.onClick.set([this] { bitbtnspcdirClick(); });
    c.BitBtn4.onClick.set([this] { BitBtn4Click(); });
    c.vnndetect.onClick.set([this] { vnndetectClick(); });
    // The adapters change while the client runs: each showing and each choice reads them anew.
    c.window.onShow.set([this] { showNetwork(c.vnnaddr.text()); });
    c.rgvnntype.onClick.set([this] { showNetwork(c.vnnaddr.text()); });
    c.vnnaddr.onChange.set([this] { showNetwork(c.vnnaddr.text()); });
    client_.services.testSocket.setEvents(platform::SocketEvents{
        .onConnect = [this] { ClientSocket1Connect(); },
        .onRead = {},
        .onDisconnect = {},
        .onError = [this](const platform::OsError& error) { ClientSocket1Error(error); },
    });
}

void TFormOptions::FormCreate() {
    c.TabSheet5.activate();
    client_.notifications.setChoices(loadNotifyChoices(client_.services.registry));
    showNotifyChoices(c.notify, client_.notifications.choices());
    auto key = client_.services.registry.openKey(platform::RegistryHive::CurrentUser,
                                                 settings::kOptionsSection);
    if (!key) {
        return;
    }
    const auto read = [&](std::string_view name) {
        auto value = (*key)->readText(name);
        return value ? *std::move(value) : Gbk();
    };
    c.usr.setText(read("usr"));
    try {
        c.pwd.setText(
            Gbk(protocol::des::DecryptHex(read("pwd").view(), protocol::des::kBuiltInKey)));
    } catch (const protocol::des::CipherError&) {
        // A damaged stored password shows as none; the user can type it again.
        c.pwd.setText(Gbk());
    }
    c.cbauto.setChecked(read("autologin") == Gbk("0"));
}

void TFormOptions::BitBtn1Click() {
    const platform::FileSystem& files = client_.services.files;
    const protocol::TcBaseFunctions& base = client_.connection()->base;
    const Gbk taDir = c.TADir.text();
    const Gbk spcDir = c.SPCDir.text();
    if (!files.fileExists(taDir + Gbk("totala.exe")) && !taDir.empty()) {
        base.ShowInfo(shown<"您指定了错误的TA安装目录">());
        return;
    }
    if (!files.fileExists(spcDir + Gbk("supremecommander.exe")) && !spcDir.empty()) {
        base.ShowInfo(shown<"您指定了错误的最高指挥官安装目录">());
        return;
    }
    settings::Toptions& options = client_.options;
    options.TAdir = taDir;
    options.SPCdir = spcDir;
    options.usr = c.usr.text();
    options.pwd = c.pwd.text();
    options.vnntype = c.rgvnntype.itemIndex();
    options.autologin = Gbk(c.cbauto.checked() ? "0" : "1");
    options.checkfile = Gbk(c.checkfile.checked() ? "1" : "0");
    options.host = c.host.text();
    options.port = c.port.text();
    options.tls = Gbk(c.tls.checked() ? "1" : "0");
    options.tlsport = c.tlsport.text();
    options.vnnaddr = c.vnnaddr.text();
    options.language = text::languageName(c.language.itemIndex() == 1 ? text::Language::English
                                                                      : text::Language::Chinese);
    client_.notifications.setChoices(notifyChoicesShown(c.notify));
    const bool notifySaved =
        saveNotifyChoices(client_.services.registry, client_.notifications.choices());
    if (!client_.store.saveOptions(options) || !notifySaved) {
        base.ShowInfo(shown<"不能保存设置。">());
    }
    client_.FormMain.showVnnStatus();
    c.window.hide();
}

void TFormOptions::BitBtn2Click() {
    showNotifyChoices(c.notify, client_.notifications.choices());
    c.window.hide();
}

void TFormOptions::BitBtn3Click() {
    const auto chosen =
        client_.services.openFile.run(shown<"选择TA所在位置">(), shown<"TA执行文件|totala.exe">());
    if (chosen && !chosen->empty()) {
        c.TADir.setText(directoryOf(*chosen));
    }
}

void TFormOptions::bitbtnspcdirClick() {
    const auto chosen = client_.services.openFile.run(
        shown<"选择最高指挥官所在位置">(), shown<"最高指挥官执行文件|supremecommander.exe">());
    if (chosen && !chosen->empty()) {
        c.SPCDir.setText(directoryOf(*chosen));
    }
}

void TFormOptions::BitBtn4Click() {
    Nettest();
    c.BitBtn4.setEnabled(false);
}

void TFormOptions::Nettest() {
    // The test reaches the port the lobby will use.
    const auto port = settings::portNumber(c.tls.checked() ? c.tlsport.text() : c.port.text());
    if (c.host.text().empty() || !port) {
        client_.connection()->base.ShowInfo(shown<"请指定服务器和端口。">());
        return;
    }
    client_.services.testSocket.open(c.host.text().bytes(), *port);
}

void TFormOptions::ClientSocket1Connect() {
    client_.connection()->base.ShowInfo(shown<"和服务器取得联系,网络设置正确，请保存设置。">());
    client_.services.testSocket.close();
}

void TFormOptions::ClientSocket1Error(const platform::OsError& error) {
    client_.connection()->base.ShowInfo(
        shown<"不能和服务器取得联系,服务器地址或端口不对。Errorcode:">() +
        Gbk(std::to_string(error.code)));
    client_.services.testSocket.close();
    c.BitBtn4.setEnabled(true);
}

void TFormOptions::showNetwork(const Gbk& picked) {
    const settings::LocalNetwork local = settings::readLocalNetwork(client_.services.network);
    // A picked address that is gone for now stays offered: the choice is the user's.
    std::vector<Gbk> offered = settings::pickableAddresses(local);
    if (!picked.empty() && std::ranges::find(offered, picked) == offered.end()) {
        offered.push_back(picked);
    }
    c.vnnaddr.clear();
    for (const Gbk& address : offered) {
        c.vnnaddr.addItem(address);
    }
    const auto at = std::ranges::find(offered, picked);
    c.vnnaddr.setItemIndex(at == offered.end() ? -1 : static_cast<int>(at - offered.begin()));
    const int vnntype = c.rgvnntype.itemIndex();
    c.vnnaddr.setEnabled(vnntype == settings::kOtherAddress);

    const settings::VnnAddress used = settings::findVnnAddress(local, vnntype, picked);
    c.adapters.clear();
    if (!local.adapters) {
        c.vnnfound.setCaption(shown<"无法读取本机的网卡列表。">());
        return;
    }
    for (std::size_t index = 0; index < local.adapters->size(); ++index) {
        const platform::NetworkAdapter& adapter = (*local.adapters)[index];
        Gbk addresses;
        for (const platform::Ipv4Address& address : adapter.addresses) {
            addresses = addresses.empty() ? settings::dotted(address)
                                          : addresses + Gbk(", ") + settings::dotted(address);
        }
        c.adapters.addRow(adapter.name,
                          {addresses, adapter.up ? shown<"已连接">() : shown<"未连接">(),
                           used.adapter == index ? zh<"√">() : Gbk(), adapter.description});
    }
}

void TFormOptions::vnndetectClick() {
    const std::vector<std::int32_t> found =
        settings::detectVnnTypes(settings::readLocalNetwork(client_.services.network));
    if (found.empty()) {
        c.vnnfound.setCaption(shown<"本机没有找到虚拟局域网软件。">());
    } else {
        Gbk names;
        for (const std::int32_t vnntype : found) {
            names = names.empty() ? c.rgvnntype.item(vnntype)
                                  : names + shown<"、">() + c.rgvnntype.item(vnntype);
        }
        c.vnnfound.setCaption(shown<"找到：">() + names);
    }
    // Only an unambiguous find is chosen for the user.
    if (found.size() == 1) {
        c.rgvnntype.setItemIndex(found.front());
    }
    showNetwork(c.vnnaddr.text());
}

}  // namespace ardentis::forms
