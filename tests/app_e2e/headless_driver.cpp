// The headless side of the end-to-end test of Ardentis.exe: a headless client on real
// sockets in the same lobby, which waits for the exe's user, opens a room without a
// password, chats, hears the exe's line, sees the exe's user join its room and stays until
// the server goes away. Each step is printed; the first one that does not come within its limit
// ends the program with status 1.
//
// Arguments, each NAME=VALUE: port, folder (for the traffic log), account, password,
// peer (the exe's account), say (a chat line), hear (the exe's whole line as it arrives);
// texts in UTF-8.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "tests/e2e/headless_peer.h"
#include "text/code_page.h"
#include "text/literal.h"

namespace {

using ardentis::text::Gbk;
using std::chrono::seconds;

std::map<std::string, std::string> namedArguments(int argc, char** argv) {
    std::map<std::string, std::string> named;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.find('=');
        if (equals != std::string::npos) {
            named[argument.substr(0, equals)] = argument.substr(equals + 1);
        }
    }
    return named;
}

Gbk gbkOf(const std::string& utf8) {
    auto converted = ardentis::text::fromUtf8(utf8);
    if (!converted) {
        std::fprintf(stderr, "headless: not convertible to code page 936: %s\n", utf8.c_str());
        std::exit(2);
    }
    return *converted;
}

}  // namespace

int main(int argc, char** argv) {
    auto named = namedArguments(argc, argv);
    for (const char* required : {"port", "folder", "account", "password", "peer", "say", "hear"}) {
        if (named[required].empty()) {
            std::fprintf(stderr, "headless: missing %s=VALUE\n", required);
            return 2;
        }
    }
    const auto port = static_cast<std::uint16_t>(std::stoul(named["port"]));
    const Gbk peer = gbkOf(named["peer"]);
    ardentis::e2e::HeadlessPeer client(std::filesystem::path{named["folder"]},
                                       gbkOf(named["account"]), gbkOf(named["password"]), port, 7);
    auto& ui = client.ui();

    // Every wait is bounded; the exe's first step includes Wine's start and the splash.
    const auto step = [&](const std::string& what, const std::function<bool()>& done,
                          seconds limit) {
        if (!ardentis::e2e::runUntil({&client}, done, limit)) {
            std::fprintf(stderr, "headless: FAILED waiting %lld s until %s\n",
                         static_cast<long long>(limit.count()), what.c_str());
            return false;
        }
        std::printf("headless: %s\n", what.c_str());
        std::fflush(stdout);
        return true;
    };

    client.start();
    if (!step(
            "logged in", [&] { return ui.main.BitBtn1.caption() == ardentis::text::zh<"断开">(); },
            seconds(10))) {
        return 1;
    }
    if (!step(
            "sees " + named["peer"] + " in the lobby",
            [&] { return ui.main.lvlobby.findCaption(peer).has_value(); }, seconds(45))) {
        return 1;
    }
    // A room without a password, so the exe's user joins with a double click alone.
    ui.main.BitBtn2.click();
    ui.battleroom.BitBtn1.click();
    if (!step(
            "its room is listed", [&] { return ui.main.lvrooms.rowCount() == 1; }, seconds(10))) {
        return 1;
    }
    ui.main.MemSend.typeLine(gbkOf(named["say"]));
    if (!step(
            "hears " + named["hear"], [&] { return client.lobbyChatHas(gbkOf(named["hear"])); },
            seconds(30))) {
        return 1;
    }
    if (!step(
            named["peer"] + " joined its room",
            [&] {
                return ui.battleroom.lvRoom.rowCount() == 2 &&
                       ui.battleroom.lvRoom.findCaption(peer).has_value();
            },
            seconds(30))) {
        return 1;
    }
    // Stays until the server is stopped, so the room outlives the exe's checks.
    if (!step(
            "the server went away",
            [&] { return ui.main.BitBtn1.caption() == ardentis::text::zh<"连接">(); },
            seconds(60))) {
        return 1;
    }
    return 0;
}
