// ardentis-loadgen: load on a server of this machine, never anywhere else.
#include <sys/resource.h>

#include <asio/io_context.hpp>
#include <asio/ip/address.hpp>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "tools/loadgen/load_options.h"
#include "tools/loadgen/load_run.h"

// An exception ends the run through std::terminate, which names it; nothing to add.
int main(int argc, char** argv) {  // NOLINT(bugprone-exception-escape)
    using namespace ardentis::loadgen;
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << loadUsage();
        return 0;
    }
    auto options = parseLoadOptions(arguments);
    if (!options) {
        std::cerr << "ardentis-loadgen: " << options.error() << "\n" << loadUsage();
        return 2;
    }
    std::error_code error;
    const auto address = asio::ip::make_address(options->host, error);
    if (error || !address.is_loopback()) {
        std::cerr << "ardentis-loadgen: only a loopback address is allowed\n";
        return 2;
    }
    // Each client is a descriptor: take the hard limit.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        if (limit.rlim_cur < options->clients + 64) {
            std::cerr << "ardentis-loadgen: descriptor limit " << limit.rlim_cur
                      << " is too low for " << options->clients << " clients\n";
            return 2;
        }
    }
    asio::io_context io(1);
    LoadRun run(io, *options, asio::ip::tcp::endpoint(address, options->port));
    run.start();
    io.run();
    return run.report() ? 0 : 1;
}
