// The headless side of the exe's end-to-end session: a headless client on real sockets that waits
// for the exe's user, opens a room without a password (so a double click alone joins it) and sees
// the user join it and leave. Each step is printed; the first that does not come in time ends it
// with status 1. With role=joiner it joins the exe's room on HAMACHI instead, gets ready and waits
// for the start record to name the address given. Arguments, each NAME=VALUE in UTF-8: port,
// folder, account, password, peer, and role and address.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "settings/options_store.h"
#include "tests/e2e/headless_peer.h"
#include "text/code_page.h"

int main(int argc, char** argv) {
    std::map<std::string, std::string> arg;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        arg[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
    }
    const auto gbk = [&](const char* name) {
        return ardentis::text::fromUtf8(arg[name]).value_or(ardentis::text::Gbk("<not GBK>"));
    };
    ardentis::e2e::HeadlessPeer client(std::filesystem::path{arg["folder"]}, gbk("account"),
                                       gbk("password"),
                                       static_cast<std::uint16_t>(std::stoul(arg["port"])), 7);
    auto& ui = client.ui();
    // Every wait is bounded; the exe's first step includes Wine's start and the splash.
    const auto step = [&](const std::string& what, const std::function<bool()>& done, int limit) {
        const bool came = ardentis::e2e::runUntil({&client}, done, std::chrono::seconds(limit));
        std::printf("headless: %s%s\n", came ? "" : "FAILED waiting until ", what.c_str());
        std::fflush(stdout);
        return came;
    };
    if (arg["role"] == "joiner") {
        // On the exe's virtual LAN: HAMACHI, with an address of its range.
        client.machine().registry.setText(ardentis::platform::RegistryHive::CurrentUser,
                                          ardentis::settings::kOptionsSection, "vnntype",
                                          ardentis::text::Gbk("1"));
        client.machine().setVirtualLanAddress(25, 0, 0, 5);
    }
    client.start();
    if (arg["role"] == "joiner") {
        // Joins the exe's room, gets ready, and waits for the start record of the exe's game.
        if (!step(
                arg["peer"] + "'s room is listed", [&] { return ui.main.lvrooms.rowCount() == 1; },
                60)) {
            return 1;
        }
        ui.main.lvrooms.doubleClick(0);
        const bool passed =
            step(
                "joined " + arg["peer"] + "'s room",
                [&] { return ui.battleroom.lvRoom.findCaption(gbk("peer")).has_value(); }, 30) &&
            ui.battleroom.CheckBox1.click() &&
            step(
                "the start record names " + arg["address"],
                [&] { return ui.client.options.hostip == gbk("address"); }, 120);
        return passed ? 0 : 1;
    }
    if (!step(
            "sees " + arg["peer"] + " in the lobby",
            [&] { return ui.main.lvlobby.findCaption(gbk("peer")).has_value(); }, 45)) {
        return 1;
    }
    ui.main.BitBtn2.click();
    ui.battleroom.BitBtn1.click();
    const bool passed =
        step(
            "its room is listed", [&] { return ui.main.lvrooms.rowCount() == 1; }, 10) &&
        step(
            arg["peer"] + " joined its room",
            [&] { return ui.battleroom.lvRoom.findCaption(gbk("peer")).has_value(); }, 30) &&
        step(
            arg["peer"] + " left its room",
            [&] { return !ui.battleroom.lvRoom.findCaption(gbk("peer")).has_value(); }, 60);
    return passed ? 0 : 1;
}
