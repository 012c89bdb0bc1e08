#include "ui/forms/options_form.h"

#include <string>

#include "protocol/des.h"
#include "settings/options_store.h"
#include "text/literal.h"
#include "ui/forms/client.h"

namespace ardentis::forms {
namespace {

using text::Gbk;
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

}  // namespace

TFormOptions::TFormOptions(Client& client, OptionsControls controls)
    : c(controls), client_(client) {
    c.BitBtn1.onClick.set([this] { BitBtn1Click(); });
    c.BitBtn2.onClick.set([this] { BitBtn2Click(); });
    c.BitBtn3.onClick.set([this] { BitBtn3Click(); });
    c.bitbtnspcdir.onClick.set([this] { bitbtnspcdirClick(); });
    c.BitBtn4.onClick.set([this] { BitBtn4Click(); });
    client_.services.testSocket.setEvents(platform::SocketEvents{
        .onConnect = [this] { ClientSocket1Connect(); },
        .onRead = {},
        .onDisconnect = {},
        .onError = [this](const platform::OsError& error) { ClientSocket1Error(error); },
    });
}

void TFormOptions::FormCreate() {
    c.TabSheet5.activate();
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
        base.ShowInfo(zh<"您指定了错误的TA安装目录">());
        return;
    }
    if (!files.fileExists(spcDir + Gbk("supremecommander.exe")) && !spcDir.empty()) {
        base.ShowInfo(zh<"您指定了错误的最高指挥官安装目录">());
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
    if (!client_.store.saveOptions(options)) {
        base.ShowInfo(zh<"不能保存设置。">());
    }
    c.window.hide();
}

void TFormOptions::BitBtn2Click() {
    c.window.hide();
}

void TFormOptions::BitBtn3Click() {
    const auto chosen =
        client_.services.openFile.run(zh<"选择TA所在位置">(), zh<"TA执行文件|totala.exe">());
    if (chosen && !chosen->empty()) {
        c.TADir.setText(directoryOf(*chosen));
    }
}

void TFormOptions::bitbtnspcdirClick() {
    const auto chosen = client_.services.openFile.run(
        zh<"选择最高指挥官所在位置">(), zh<"最高指挥官执行文件|supremecommander.exe">());
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
        client_.connection()->base.ShowInfo(zh<"请指定服务器和端口。">());
        return;
    }
    client_.services.testSocket.open(c.host.text().bytes(), *port);
}

void TFormOptions::ClientSocket1Connect() {
    client_.connection()->base.ShowInfo(zh<"和服务器取得联系,网络设置正确，请保存设置。">());
    client_.services.testSocket.close();
}

void TFormOptions::ClientSocket1Error(const platform::OsError& error) {
    client_.connection()->base.ShowInfo(
        zh<"不能和服务器取得联系,服务器地址或端口不对。Errorcode:">() +
        Gbk(std::to_string(error.code)));
    client_.services.testSocket.close();
    c.BitBtn4.setEnabled(true);
}

}  // namespace ardentis::forms
