// The system's TLS engine (OpenSSL natively, Schannel under Wine) against `openssl s_server`
// on loopback, through a blocking client that carries the bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/tls_engine.h"
#include "tests/support/loopback_peer.h"
#include "tests/support/scratch_directory.h"
#ifdef _WIN32
#include "platform/win32/win32_process_launcher.h"
#include "text/code_page.h"
#endif

namespace ardentis::testing {
namespace {

using namespace std::chrono_literals;
using platform::TlsEngine;
using Bytes = std::vector<std::byte>;
constexpr std::size_t kWhole = 1 << 20;

Bytes bytesOf(std::string_view text) {
    const auto* first = reinterpret_cast<const std::byte*>(text.data());
    return {first, first + text.size()};
}

std::string textOf(const Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Starts openssl in the current directory and returns at once: its files tell when it is done.
void startOpenssl(const std::string& arguments) {
#ifdef _WIN32
    // Wine starts a Linux program by its path on the drive that maps the root.
    std::string program = std::string("Z:") + ARDENTIS_OPENSSL;
    std::ranges::replace(program, '/', '\\');
    ASSERT_TRUE(platform::Win32ProcessLauncher().shellExecute(
        text::gbk(program), text::gbk(arguments), platform::WindowMode::Normal));
#else
    const std::string line = std::string(ARDENTIS_OPENSSL) + " " + arguments + " >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(line.c_str()), 0);
#endif
}

std::string awaitFile(const std::filesystem::path& file, std::string_view ending) {
    for (int tries = 0; tries < 200; ++tries, std::this_thread::sleep_for(50ms)) {
        if (std::string content = readFile(file); !content.empty() && content.ends_with(ending)) {
            return content;
        }
    }
    return {};
}

// `openssl s_server -rev` for one connection on 127.0.0.1, with a fresh self-signed
// certificate, in a scratch directory that is the current one while it lives.
class ReversingServer {
  public:
    explicit ReversingServer(const std::string& options)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(directory_.path());
        startOpenssl(
            "req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 "
            "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost "
            "-keyout key.pem -out cert.pem");
        awaitFile("cert.pem", "-----END CERTIFICATE-----\n");
        startOpenssl("x509 -in cert.pem -outform DER -out cert.der");
        startOpenssl("x509 -in cert.pem -noout -fingerprint -sha256 -out fingerprint.txt");
        const std::string line = awaitFile("fingerprint.txt", "\n");
        fingerprint = line.substr(line.find('=') + 1, line.size() - line.find('=') - 2);
        certificate = bytesOf(awaitFile("cert.der", ""));
        port = LoopbackPeer().port();  // free a moment ago
        startOpenssl("s_server -rev -naccept 1 -accept 127.0.0.1:" + std::to_string(port) +
                     " -quiet -cert cert.pem -key key.pem " + options);
    }
    ~ReversingServer() {
        LoopbackPeer last(port);  // ends a server that never had its connection
        std::filesystem::current_path(previous_);
    }
    ReversingServer(const ReversingServer&) = delete;
    ReversingServer& operator=(const ReversingServer&) = delete;

    std::string fingerprint;
    Bytes certificate;
    std::uint16_t port = 0;

  private:
    ScratchDirectory directory_;
    std::filesystem::path previous_;
};

// The engine on a blocking loopback connection; what comes is fed `piece` bytes at a time.
class TlsClient {
  public:
    explicit TlsClient(std::size_t piece) : piece_(piece) {}

    // The server may still be starting: the first flight is tried until its port takes it.
    std::expected<void, std::string> connect(std::uint16_t port,
                                             const std::string& host = "127.0.0.1") {
        Bytes out;
        for (int tries = 0; tries < 50 && (!socket_ || !socket_->trySend(out)); ++tries) {
            std::this_thread::sleep_for(tries == 0 ? 0ms : 100ms);
            out.clear();
            engine = platform::makeSystemTlsEngine();
            if (auto started = engine->start(host, out); !started) {
                return started;
            }
            socket_ = std::make_unique<LoopbackPeer>(port);
        }
        for (;;) {
            if (!feedPiece()) {
                return std::unexpected("the server sent nothing more");
            }
            out.clear();
            const auto progress = engine->handshake(out);
            if (!progress || (!out.empty() && !socket_->trySend(out))) {
                return std::unexpected(progress ? "the server went" : progress.error());
            }
            if (*progress == TlsEngine::Progress::Established) {
                return {};
            }
        }
    }

    void send(std::string_view text) {
        Bytes out;
        ASSERT_TRUE(engine->seal(bytesOf(text), out).has_value());
        ASSERT_TRUE(socket_->trySend(out));
    }

    // Unseals until `size` bytes came or the stream ended.
    std::expected<TlsEngine::Stream, std::string> read(Bytes& plain, std::size_t size) {
        for (;;) {
            const auto stream = engine->unseal(plain);
            if (!stream || *stream == TlsEngine::Stream::ClosedByPeer || plain.size() >= size) {
                return stream;
            }
            if (!feedPiece()) {
                return std::unexpected("the server sent nothing more");
            }
        }
    }

    std::unique_ptr<TlsEngine> engine;

  private:
    bool feedPiece() {
        if (at_ == received_.size()) {
            received_ = socket_->receive(1);
            const Bytes more = socket_->receiveWaiting(kWhole);
            received_.insert(received_.end(), more.begin(), more.end());
            at_ = 0;
        }
        const std::size_t size = std::min(piece_, received_.size() - at_);
        engine->feed(std::span(received_).subspan(at_, size));
        at_ += size;
        return size > 0;
    }

    std::size_t piece_;
    std::unique_ptr<LoopbackPeer> socket_;
    Bytes received_;
    std::size_t at_ = 0;
};

struct Case {
    const char* name;
    const char* serverOptions;
    std::size_t piece;
    const char* protocol;  // empty: whichever both sides have
};

void PrintTo(const Case& tried, std::ostream* out) {
    *out << tried.name;
}

class TlsEngineContract : public ::testing::TestWithParam<Case> {};

TEST_P(TlsEngineContract, LinesGoBothWaysAndTheServersCloseEndsTheStream) {
    const ReversingServer server(GetParam().serverOptions);
    TlsClient client(GetParam().piece);
    const auto connected = client.connect(server.port);
    ASSERT_TRUE(connected.has_value()) << connected.error();

    const platform::TlsPeer peer = client.engine->peer();
    EXPECT_EQ(peer.certificate, server.certificate);
    EXPECT_EQ(peer.fingerprint, server.fingerprint);
    EXPECT_FALSE(peer.trusted);  // self-signed
    EXPECT_FALSE(peer.cipher.empty());
    if (*GetParam().protocol != '\0') {
        EXPECT_EQ(peer.protocol, GetParam().protocol);
    } else {
        EXPECT_TRUE(peer.protocol == "TLS 1.2" || peer.protocol == "TLS 1.3") << peer.protocol;
    }

    Bytes plain;
    client.send("hello\n");
    ASSERT_TRUE(client.read(plain, 6).has_value());
    EXPECT_EQ(textOf(plain), "olleh\n");

    // 64 KiB in one go, several records' worth: numbered lines, each answered reversed.
    std::string many;
    std::string reversed;
    for (int line = 0; many.size() < 64 * 1024; ++line) {
        std::string text =
            std::to_string(line) + std::string(57, static_cast<char>('a' + line % 26)) + "|";
        many += text + "\n";
        reversed += std::string(text.rbegin(), text.rend()) + "\n";
    }
    plain.clear();
    client.send(many);
    ASSERT_TRUE(client.read(plain, reversed.size()).has_value());
    EXPECT_EQ(textOf(plain), reversed);

    plain.clear();
    client.send("CLOSE\n");
    EXPECT_EQ(client.read(plain, kWhole), TlsEngine::Stream::ClosedByPeer);
}

INSTANTIATE_TEST_SUITE_P(Servers, TlsEngineContract,
                         ::testing::Values(Case{"Tls12", "-tls1_2", kWhole, "TLS 1.2"},
                                           Case{"Tls12FedByteByByte", "-tls1_2", 1, "TLS 1.2"},
                                           Case{"NewestBothHave", "", kWhole, ""}),
                         [](const auto& test) { return std::string(test.param.name); });

// Natively the roots can be steered (OpenSSL reads SSL_CERT_FILE); Schannel's are the
// Windows store's, which these tests leave alone.
TEST(TlsEngineTrust, ACertificateFromATrustedRootIsTrustedForItsOwnNamesOnly) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows store is not the tests' to change";
#else
    for (const auto& [host, trusted] : {std::pair{"127.0.0.1", true},
                                        {"localhost", true},
                                        {"127.0.0.2", false},
                                        {"ardentis.invalid", false}}) {
        const ReversingServer server("");
        ::setenv("SSL_CERT_FILE", "cert.pem", 1);
        TlsClient client(kWhole);
        const auto connected = client.connect(server.port, host);
        ::unsetenv("SSL_CERT_FILE");
        ASSERT_TRUE(connected.has_value()) << connected.error();
        EXPECT_EQ(client.engine->peer().trusted, trusted) << host;
    }
#endif
}

// Bytes that are no TLS: not a record at all, and a handshake record that holds junk.
class TlsEngineGarbage : public ::testing::TestWithParam<std::string> {};

TEST_P(TlsEngineGarbage, AnswerIsAnErrorNotAWait) {
    LoopbackPeer server;
    std::thread answering([&server] {
        if (server.accept() && !server.receive(1).empty()) {
            (void)server.trySend(bytesOf(GetParam()));
            (void)server.receive(kWhole, 10s);  // until the client gives up
        }
    });
    std::expected<void, std::string> connected;
    {
        TlsClient client(kWhole);
        connected = client.connect(server.port());
    }
    answering.join();
    ASSERT_FALSE(connected.has_value());
    EXPECT_NE(connected.error(), "the server sent nothing more");
    EXPECT_EQ(connected.error().find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Answers, TlsEngineGarbage,
                         ::testing::Values(std::string(64, 'H') + "TTP/1.0 400 Bad Request\r\n\r\n",
                                           std::string("\x16\x03\x03\x00\x10\x7f\x00\x00\x0c", 9) +
                                               std::string(12, '\x7f')));

}  // namespace
}  // namespace ardentis::testing
