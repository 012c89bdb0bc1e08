// Two demo players for `make run`: headless clients that sit in the lobby of a server on
// loopback, chat now and then, and keep a room open, so that the lobby the user sees is alive.
//
//     ardentis-demo-players --port N [--log-dir DIR] [--fast]
//     ardentis-demo-players --stored-password TEXT
//
// --fast: a line every few hundred milliseconds and quick retries, for the tests.
// --stored-password: prints the password as the client stores it in its settings.
#include <array>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "protocol/des.h"
#include "text/literal.h"
#include "tools/demo_players/demo_player.h"

namespace {

using namespace ardentis;
using std::chrono::milliseconds;
using std::chrono::seconds;
using text::zh;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int /*signal*/) {
    stopRequested = 1;
}

int usage() {
    std::fputs(
        "usage: ardentis-demo-players --port N [--log-dir DIR] [--fast]\n"
        "       ardentis-demo-players --stored-password TEXT\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    std::uint16_t port = 0;
    std::filesystem::path logFolder = std::filesystem::temp_directory_path();
    bool fast = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--stored-password" && hasValue) {
            std::printf("%s\n", protocol::des::EncryptHex(args[i + 1]).c_str());
            return 0;
        }
        if (args[i] == "--port" && hasValue) {
            const std::string_view value = args[++i];
            const auto parsed = std::from_chars(value.data(), value.data() + value.size(), port);
            if (parsed.ec != std::errc() || parsed.ptr != value.data() + value.size()) {
                return usage();
            }
        } else if (args[i] == "--log-dir" && hasValue) {
            logFolder = args[++i];
        } else if (args[i] == "--fast") {
            fast = true;
        } else {
            return usage();
        }
    }
    if (port == 0) {
        return usage();
    }

    const tools::DemoTimings timings =
        fast ? tools::DemoTimings{milliseconds(200), milliseconds(400), seconds(1), seconds(3)}
             : tools::DemoTimings{seconds(20), seconds(40), seconds(10), seconds(30)};
    static const std::array lines{
        zh<"大家好，欢迎来到 Ardentis！">(),
        zh<"有人来一局 TA 吗？">(),
        zh<"新手欢迎，我的房间一直开着。">(),
        zh<"今晚一起玩吧！">(),
        zh<"GG，下一局再战！">(),
    };
    std::vector<std::unique_ptr<tools::DemoPlayer>> players;
    players.push_back(std::make_unique<tools::DemoPlayer>(
        tools::DemoAccount{zh<"小林">(), text::Gbk("demo-lin"), 21, zh<"新手欢迎">()}, port,
        logFolder, timings, lines));
    players.push_back(std::make_unique<tools::DemoPlayer>(
        tools::DemoAccount{zh<"阿萌">(), text::Gbk("demo-meng"), 22, text::Gbk()}, port, logFolder,
        timings, lines));

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::printf("demo players on 127.0.0.1:%u\n", static_cast<unsigned>(port));
    std::fflush(stdout);
    while (stopRequested == 0) {
        bool ran = false;
        for (auto& player : players) {
            ran = player->runOnce(milliseconds(0)) || ran;
        }
        if (!ran) {
            // Idle: wait on one client's sockets a little; the other's events wait that long.
            players.front()->runOnce(milliseconds(20));
        }
    }
    return 0;
}
