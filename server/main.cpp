#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "server/account_store.h"
#include "server/admin_command.h"
#include "server/certificate.h"
#include "server/log.h"
#include "server/options.h"
#include "server/password_hasher.h"
#include "server/server.h"
#include "server/tls_context.h"
#include "server/user_command.h"

namespace {

using namespace ardentis::server;

// Thousands of clients need thousands of descriptors: take the hard limit.
void raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Typing a password at a terminal: no echo while it is read.
class HiddenInput {
  public:
    HiddenInput() {
        if (::isatty(STDIN_FILENO) == 1 && ::tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
            std::cerr << "password: " << std::flush;
        }
    }
    ~HiddenInput() {
        if (active_) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
            std::cerr << "\n";
        }
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

  private:
    termios saved_{};
    bool active_ = false;
};

// Where a listener is, on standard output for whoever started the server.
void announce(const char* what, const std::string& host, std::uint16_t port) {
    const bool v6 = host.find(':') != std::string::npos;
    std::printf("%s%s%s%s:%u\n", what, v6 ? "[" : "", host.c_str(), v6 ? "]" : "",
                static_cast<unsigned>(port));
    std::fflush(stdout);
}

int serve(const ServerOptions& options) {
    std::unique_ptr<asio::ssl::context> tls;
    if (!options.tlsHost.empty()) {
        auto made = makeTlsContext(options);
        if (!made) {
            log::line(log::plain(made.error()));
            return 1;
        }
        tls = std::move(*made);
    }
    auto store = AccountStore::open(options.database);
    if (!store) {
        log::line("cannot open " + log::plain(options.database) + ": " +
                  log::plain(store.error().detail));
        return 1;
    }
    raiseDescriptorLimit();
    const bool withTls = tls != nullptr;
    Server server(options, std::move(*store), std::move(tls));
    const auto port = server.listen();
    if (!port) {
        log::line("cannot listen on " + log::plain(options.host) + ":" +
                  std::to_string(options.port) + ": " + port.error().message());
        return 1;
    }
    const auto tlsPort = withTls ? server.listenTls() : std::uint16_t{0};
    if (!tlsPort) {
        log::line("cannot listen for TLS on " + log::plain(options.tlsHost) + ":" +
                  std::to_string(options.tlsPort) + ": " + tlsPort.error().message());
        return 1;
    }
    if (!options.controlSocket.empty()) {
        if (auto control = server.listenControl(); !control) {
            log::line(log::plain(control.error()));
            return 1;
        }
    }
    const bool withMetrics = !options.metricsHost.empty();
    const auto metricsPort = withMetrics ? server.listenMetrics() : std::uint16_t{0};
    if (!metricsPort) {
        log::line("cannot listen for metrics on " + log::plain(options.metricsHost) + ":" +
                  std::to_string(options.metricsPort) + ": " + metricsPort.error().message());
        return 1;
    }
    server.stopOnSignals();
    announce("listening on ", options.host, *port);
    if (withTls) {
        announce("TLS listening on ", options.tlsHost, *tlsPort);
    }
    if (withMetrics) {
        announce("metrics on ", options.metricsHost, *metricsPort);
    }
    log::line(
        "listening on " + log::plain(options.host) + ":" + std::to_string(*port) +
        (withTls ? " and for TLS on " + log::plain(options.tlsHost) + ":" + std::to_string(*tlsPort)
                 : "") +
        (options.autoRegister ? " with auto-registration" : ""));
    server.run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto command = parseCommandLine(arguments);
    if (!command) {
        std::cerr << "ardentis-server: " << command.error().message << "\n"
                  << (command.error().showUsage ? usageText() : "");
        return 2;
    }
    if (command->kind == CommandKind::Help) {
        std::cout << usageText();
        return 0;
    }
    if (command->kind == CommandKind::CheckConfig) {
        // The TLS files are the one part of the options that can still fail before serving.
        if (!command->options.tlsHost.empty()) {
            if (auto tls = makeTlsContext(command->options); !tls) {
                std::cerr << "ardentis-server: " << tls.error() << "\n";
                return 1;
            }
        }
        std::cout << "configuration ok\n";
        return 0;
    }
    if (command->kind == CommandKind::Admin) {
        return runAdminCommand(*command, std::cout, std::cerr);
    }
    if (command->kind == CommandKind::TlsMakeCert) {
        const auto fingerprint = makeCertificate(command->certName, command->outDirectory);
        if (!fingerprint) {
            std::cerr << "ardentis-server: " << fingerprint.error() << "\n";
            return 1;
        }
        std::cout << "SHA256 Fingerprint=" << *fingerprint << "\n";
        return 0;
    }
    if (!PasswordHasher::initialise()) {
        std::cerr << "ardentis-server: libsodium cannot start\n";
        return 1;
    }
    if (command->kind == CommandKind::Serve) {
        return serve(command->options);
    }
    if (command->kind == CommandKind::UserAdd || command->kind == CommandKind::UserPasswd) {
        std::string password;
        {
            const HiddenInput hidden;
            std::getline(std::cin, password);
        }
        std::istringstream in(password);
        return runUserCommand(*command, in, std::cout, std::cerr);
    }
    return runUserCommand(*command, std::cin, std::cout, std::cerr);
}
