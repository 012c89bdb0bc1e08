// ardentis-reconnect-bench: the real server on loopback restarted under a thousand users, who
// all come back at once: first with the tokens their last LoginOk gave, then with passwords
// only. It prints how long until everyone was back, who was turned away, and the server's peak
// memory.
#include <sys/resource.h>
#include <unistd.h>

#include <asio/io_context.hpp>
#include <asio/ip/address.hpp>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/account_store.h"
#include "server/password_hasher.h"
#include "tools/reconnect_bench/reconnect_wave.h"
#include "tools/soak/server_child.h"

namespace {

using namespace ardentis::tools;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace server = ardentis::server;
using Seconds = std::chrono::duration<double>;

constexpr const char* kUsage =
    "usage: ardentis-reconnect-bench [--server FILE] [--accounts N]\n"
    "  --server FILE   the ardentis-server to restart (the one built beside this tool)\n"
    "  --accounts N    users, each with an account at the interactive hash cost (1000)\n";

// The goal for everyone back with tokens after a restart.
constexpr Seconds kGoal = 10s;
// A wave that takes longer than this is cut short and its waiting users counted.
constexpr std::chrono::seconds kWaveLimit = 900s;

struct Arguments {
    fs::path server;
    std::size_t accounts = 1000;
};

// `--server FILE` and `--accounts N`, each at most once, in any order.
std::optional<Arguments> parse(std::span<char*> args) {
    Arguments parsed;
    parsed.server = fs::canonical("/proc/self/exe").parent_path() / "../../server/ardentis-server";
    if (args.size() % 2 != 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string_view name = args[i];
        const char* value = args[i + 1];
        if (name == "--server") {
            parsed.server = value;
            continue;
        }
        std::size_t count = 0;
        const auto [end, failed] = std::from_chars(value, value + std::strlen(value), count);
        if (name != "--accounts" || failed != std::errc() || *end != '\0' || count == 0) {
            return std::nullopt;
        }
        parsed.accounts = count;
    }
    return parsed;
}

// Accounts stored at the cost a restart pays for each. One password, hashed once, serves them
// all: checking a hash costs the same whoever's it is, and making a thousand would take minutes.
std::optional<std::vector<BenchUser>> makeAccounts(const fs::path& db, std::size_t count) {
    const auto began = std::chrono::steady_clock::now();
    const std::string password = "bench-pw";
    const auto hash = server::PasswordHasher::hash(password, server::HashCost::Interactive);
    auto store = server::AccountStore::open(db.string());
    if (!hash || !store) {
        return std::nullopt;
    }
    std::vector<BenchUser> users;
    for (std::size_t i = 0; i < count; ++i) {
        users.push_back({"bench" + std::to_string(i), password, {}});
        if (!store->add({users.back().account, *hash, users.back().account, 0, 0, 0, 0})) {
            return std::nullopt;
        }
    }
    std::printf("%zu accounts at the interactive hash cost, made in %.1f s\n", count,
                Seconds(std::chrono::steady_clock::now() - began).count());
    return users;
}

long linesWith(const fs::path& log, std::string_view text) {
    std::ifstream in(log);
    long count = 0;
    for (std::string line; std::getline(in, line);) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

void print(const char* what, const WaveFigures& wave, std::size_t users, long peakKb,
           long resumed) {
    std::printf(
        "%s: %zu of %zu back after %.2f s (%ld without a password hash); %zu refused, "
        "%zu cut off, %zu still waiting; server peak %ld kB (VmHWM)\n",
        what, wave.in, users, wave.lastIn.count(), resumed, wave.refused, wave.cutOff,
        wave.unanswered, peakKb);
}

bool everyone(const WaveFigures& wave, std::size_t users) {
    return wave.in == users;
}

}  // namespace

// An exception ends the run through std::terminate, which names it; nothing to add.
int main(int argc, char** argv) {  // NOLINT(bugprone-exception-escape)
    const auto arguments = parse(std::span(argv + 1, static_cast<std::size_t>(argc - 1)));
    if (!arguments) {
        std::cerr << kUsage;
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    // A descriptor for each user: take the hard limit.
    if (rlimit limit{}; getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (!server::PasswordHasher::initialise()) {
        std::cerr << "ardentis-reconnect-bench: libsodium cannot start\n";
        return 1;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("ardentis-reconnect-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path db = dir / "accounts.db";
    auto users = makeAccounts(db, arguments->accounts);
    if (!users) {
        std::cerr << "ardentis-reconnect-bench: cannot make the accounts in " << db << "\n";
        return 1;
    }
    // Every user comes from loopback: the per-address throttle must not count them as one.
    std::vector<std::string> serving{"--db", db.string(), "--login-failures", "1000000"};
    const auto start = [&](const std::string& name) {
        std::fflush(stdout);  // the child shares it
        return ServerChild::start(arguments->server, serving, dir / (name + ".log"));
    };
    std::optional<ServerChild> child;
    if (auto started = start("first")) {
        child.emplace(std::move(*started));
    } else {
        std::cerr << "ardentis-reconnect-bench: " << started.error() << "\n";
        return 1;
    }
    // From now on, the same port.
    serving.insert(serving.end(), {"--listen", "127.0.0.1:" + std::to_string(child->port())});
    asio::io_context io(1);
    ReconnectWave wave(
        io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), child->port()), *users);
    std::printf("all %zu log in with passwords to take their tokens (a fresh server)...\n",
                users->size());
    std::fflush(stdout);
    const WaveFigures first = wave.run(false, kWaveLimit);
    print("first log-in, passwords", first, users->size(), child->figures().peakKb,
          linesWith(dir / "first.log", "logged in (resumed)"));
    bool sound = everyone(first, users->size());
    for (const bool withTokens : {true, false}) {
        const char* name = withTokens ? "tokens" : "passwords";
        const auto killed = std::chrono::steady_clock::now();
        child.reset();  // SIGKILL: a crash, or a restart that does not wait for anyone
        wave.drop();
        auto started = start(name);
        if (!started) {
            std::cerr << "ardentis-reconnect-bench: " << started.error() << "\n";
            return 1;
        }
        child.emplace(std::move(*started));
        std::printf(
            "restarted on the same database and port, listening after %.2f s; all "
            "reconnect at once with %s...\n",
            Seconds(std::chrono::steady_clock::now() - killed).count(),
            withTokens ? "their tokens" : "passwords only");
        std::fflush(stdout);
        const WaveFigures back = wave.run(withTokens, kWaveLimit);
        print(withTokens ? "(a) after the restart, tokens" : "(b) after the restart, passwords",
              back, users->size(), child->figures().peakKb,
              linesWith(dir / (std::string(name) + ".log"), "logged in (resumed)"));
        sound = sound && everyone(back, users->size());
        if (withTokens) {
            std::printf("goal, everyone back within %.0f s with tokens: %s\n", kGoal.count(),
                        everyone(back, users->size()) && back.lastIn <= kGoal ? "met" : "MISSED");
        }
    }
    wave.drop();
    child->stop();
    if (sound) {
        fs::remove_all(dir);
    } else {
        std::printf("server logs: %s\n", dir.c_str());
    }
    return sound ? 0 : 1;
}
