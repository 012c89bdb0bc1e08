// ardentis-soak: the real server on loopback under a few hundred scripted users and their
// faults for a while, then checked from the users' views and the process's.
#include <sys/resource.h>
#include <unistd.h>

#include <asio/io_context.hpp>
#include <asio/ip/address.hpp>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tools/soak/server_child.h"
#include "tools/soak/soak_run.h"

namespace {

using namespace ardentis::tools;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kUsage =
    "usage: ardentis-soak [--server FILE] [--seconds N] [--clients N] [--seed N]\n"
    "  --server FILE   the ardentis-server to soak (the one built beside this tool)\n"
    "  --seconds N     how long the users act (60)\n"
    "  --clients N     scripted users (300)\n"
    "  --seed N        the script's random seed (a random one)\n";

struct Arguments {
    fs::path server;
    SoakOptions soak;
};

std::optional<Arguments> parse(const std::vector<std::string_view>& args) {
    Arguments parsed;
    parsed.server = fs::canonical("/proc/self/exe").parent_path() / "../../server/ardentis-server";
    parsed.soak.seed = std::random_device{}();
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::string value(args[i + 1]);
        try {
            if (args[i] == "--server") {
                parsed.server = value;
            } else if (args[i] == "--seconds") {
                parsed.soak.duration = std::chrono::seconds(std::stoul(value));
            } else if (args[i] == "--clients") {
                parsed.soak.clients = std::stoul(value);
            } else if (args[i] == "--seed") {
                parsed.soak.seed = static_cast<std::uint32_t>(std::stoul(value));
            } else {
                return std::nullopt;
            }
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    if (args.size() % 2 != 0 || parsed.soak.clients == 0) {
        return std::nullopt;
    }
    return parsed;
}

// The server's own view: an account logged in while one of its connections still was.
int doubleLogIns(const fs::path& log) {
    std::map<std::string, std::string> online;  // account: its connection
    int doubles = 0;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto open = line.find(" (127.0.0.1:");
        const auto close = line.find(") ", open);
        const auto start = line.find("Z ");
        if (open == std::string::npos || close == std::string::npos || start > open) {
            continue;
        }
        const std::string account = line.substr(start + 2, open - start - 2);
        const std::string connection = line.substr(open + 2, close - open - 2);
        const std::string_view event = std::string_view(line).substr(close + 2);
        if (event == "logged in") {
            if (const auto it = online.find(account); it != online.end()) {
                std::printf("  %s logged in twice (%s and %s)\n", account.c_str(),
                            it->second.c_str(), connection.c_str());
                ++doubles;
            }
            online[account] = connection;
        } else if (const auto it = online.find(account);
                   it != online.end() && it->second == connection &&
                   (event.starts_with("disconnected") || event.starts_with("cut off") ||
                    event.starts_with("taken over"))) {
            online.erase(it);
        }
    }
    return doubles;
}

void print(const char* when, const ProcessFigures& f) {
    std::printf("server %s: %ld kB resident, %ld descriptors\n", when, f.rssKb, f.descriptors);
}

}  // namespace

// An exception ends the run through std::terminate, which names it; nothing to add.
int main(int argc, char** argv) {  // NOLINT(bugprone-exception-escape)
    std::signal(SIGPIPE, SIG_IGN);
    const auto arguments = parse(std::vector<std::string_view>(argv + 1, argv + argc));
    if (!arguments) {
        std::cerr << kUsage;
        return 2;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    const fs::path dir = fs::temp_directory_path() / ("ardentis-soak-" + std::to_string(getpid()));
    fs::create_directories(dir);
    // Every user comes from loopback: the per-address log-in throttle would shut them all out.
    // Seats are held a second, so that the fresh user's look after the others left (3 s later)
    // finds none of them.
    auto server = ServerChild::start(
        arguments->server,
        {"--db", (dir / "soak.db").string(), "--auto-register", "--hash-cost", "min",
         "--login-failures", "1000000", "--queue-limit", "256", "--seat-grace-ms", "1000"},
        dir / "server.log");
    if (!server) {
        std::cerr << "ardentis-soak: " << server.error() << "\n";
        return 2;
    }
    std::printf("soaking %s with %zu users for %lld s, seed %u\n", arguments->server.c_str(),
                arguments->soak.clients, static_cast<long long>(arguments->soak.duration.count()),
                arguments->soak.seed);
    const ProcessFigures before = server->figures();
    print("at the start", before);

    std::atomic<bool> running{true};
    std::atomic<long> mostDescriptors{before.descriptors};
    std::thread sampler([&] {
        while (running) {
            mostDescriptors = std::max(mostDescriptors.load(), server->figures().descriptors);
            std::this_thread::sleep_for(200ms);
        }
    });
    asio::io_context io(1);
    SoakRun run(io, arguments->soak,
                asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), server->port()));
    run.start();
    io.run();
    running = false;
    sampler.join();
    bool sound = run.report();
    if (const int doubles = doubleLogIns(dir / "server.log"); doubles > 0) {
        std::printf("FAULT: the server's log shows %d accounts on line twice\n", doubles);
        sound = false;
    }

    // The server closes what its users left at its own pace.
    ProcessFigures after = server->figures();
    for (int i = 0; i < 50 && after.descriptors > before.descriptors; ++i) {
        std::this_thread::sleep_for(100ms);
        after = server->figures();
    }
    std::printf("server at its busiest: %ld kB resident, %ld descriptors\n", after.peakKb,
                mostDescriptors.load());
    print("once everyone left", after);
    if (after.descriptors != before.descriptors) {
        std::printf("FAULT: the server holds %ld descriptors, %ld at the start\n",
                    after.descriptors, before.descriptors);
        sound = false;
    }
    if (after.rssKb > before.rssKb + 16L * 1024) {
        std::printf("FAULT: the server kept %ld kB more than at the start\n",
                    after.rssKb - before.rssKb);
        sound = false;
    }
    if (const int status = server->stop(); status != 0) {
        std::printf("FAULT: the server ended with status %d (log: %s)\n", status,
                    (dir / "server.log").c_str());
        return 1;
    }
    std::printf("%s\n", sound ? "soak passed" : "soak FAILED");
    if (sound) {
        fs::remove_all(dir);
    } else {
        std::printf("server log: %s\n", (dir / "server.log").c_str());
    }
    return sound ? 0 : 1;
}
