// The TLS listener beside the plain one: clients of both in one lobby, handshakes that go
// wrong, the protocols and ciphers it takes, its files, and `tls make-cert`.
#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <asio/connect.hpp>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/read.hpp>
#include <asio/ssl.hpp>
#include <asio/write.hpp>
#include <filesystem>

#include "server/certificate.h"
#include "tests/server/server_fixture.h"
#include "tests/server/shell_run.h"

namespace ardentis::server::testing {
namespace {

namespace fs = std::filesystem;
using ardentis::testing::LoopbackPeer;
using ardentis::testing::readFile;

// What a client offers: the newest protocol, and the TLS 1.2 ciphers (OpenSSL's defaults when
// not given). It offers down to TLS 1.0, so that the server is the one to refuse.
struct Offer {
    int maxVersion = 0;
    const char* ciphers = nullptr;
};

// A lobby client speaking TLS on a real loopback connection, trusting only `trusted` and
// checking that it names 127.0.0.1. Each step runs the client's own loop for a bounded
// while, so a server that never answers fails the test instead of hanging it.
class TlsClient {
  public:
    TlsClient(std::uint16_t port, const fs::path& trusted, Offer offer = {}) {
        SSL* ssl = stream_.native_handle();
        SSL_set_security_level(ssl, 0);
        SSL_set_min_proto_version(ssl, TLS1_VERSION);
        SSL_set_max_proto_version(ssl, offer.maxVersion);
        if (offer.ciphers != nullptr) {
            SSL_set_cipher_list(ssl, offer.ciphers);
        }
        context_.load_verify_file(trusted.string());
        stream_.set_verify_mode(asio::ssl::verify_peer);
        stream_.set_verify_callback(asio::ssl::host_name_verification("127.0.0.1"));
        stream_.lowest_layer().connect({asio::ip::make_address("127.0.0.1"), port});
        shaken_ = bounded(
            [&](auto done) { stream_.async_handshake(asio::ssl::stream_base::client, done); });
    }
    [[nodiscard]] const std::error_code& handshake() const { return shaken_; }
    [[nodiscard]] std::string protocol() { return SSL_get_version(stream_.native_handle()); }

    std::string account;
    bool send(const LobbyMessage& message) {
        const auto bytes = message.toBytes();
        return !bounded([&](auto done) {
            asio::async_write(stream_, asio::buffer(bytes.data(), bytes.size()), done);
        });
    }
    std::optional<LobbyMessage> waitFor(const Match& match) {
        std::array<std::byte, protocol::kRecordSize> bytes{};
        while (!bounded([&](auto done) { asio::async_read(stream_, asio::buffer(bytes), done); })) {
            auto message = LobbyMessage::fromBytes(bytes);
            if (message && match(*message)) {
                return *message;
            }
        }
        return std::nullopt;
    }

  private:
    // Starts one operation and runs the loop until it ends or the usual wait is up (then the
    // connection is cut, and the error is timed_out).
    template <typename Start>
    std::error_code bounded(Start start) {
        std::optional<std::error_code> result;
        start([&](const std::error_code& error, auto...) { result = error; });
        io_.restart();
        io_.run_for(LoopbackPeer::kWait);
        if (!result) {
            std::error_code ignored;
            stream_.lowest_layer().close(ignored);
            io_.restart();
            io_.run();
            return asio::error::timed_out;
        }
        return *result;
    }

    asio::io_context io_;
    asio::ssl::context context_{asio::ssl::context::tls_client};
    asio::ssl::stream<asio::ip::tcp::socket> stream_{io_, context_};
    std::error_code shaken_;
};

std::unique_ptr<TlsClient> tlsLoggedIn(std::uint16_t port, const fs::path& trusted,
                                       std::string_view account) {
    auto client = std::make_unique<TlsClient>(port, trusted);
    client->account = account;
    const bool ok = !client->handshake() && client->send(loginRecord(account, "pw")) &&
                    client->waitFor(is(0, 0));
    return ok ? std::move(client) : nullptr;
}

// A server listening plain and TLS, with a certificate `tls make-cert` made for 127.0.0.1.
struct TlsSetup {
    explicit TlsSetup(std::chrono::milliseconds loginTimeout = 30s) {
        EXPECT_TRUE(makeCertificate("127.0.0.1", dir / "tls"));
        options.tlsHost = "127.0.0.1";
        options.tlsCert = (dir / "tls" / "cert.pem").string();
        options.tlsKey = (dir / "tls" / "key.pem").string();
        options.loginTimeout = loginTimeout;
    }
    [[nodiscard]] fs::path cert() const { return options.tlsCert; }

    ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
};

// Lobby chat passes between the two in both directions; a burst reaches the TLS reader
// whole and in order (its writes wait on the stream, not on the socket).
TEST(Tls, PlainAndTlsClientsLogInOnOneServerAndHearEachOthersChat) {
    const TlsSetup setup;
    const RunningServer server(setup.options);
    auto secure = tlsLoggedIn(server.tlsPort(), setup.cert(), "secure");
    auto plain = loggedIn(server.port(), "plain");
    ASSERT_TRUE(secure && plain);
    EXPECT_EQ(secure->protocol(), "TLSv1.3");
    ASSERT_TRUE(secure->send(record(1, 0, {"secure>>hello"})));
    EXPECT_TRUE(plain->waitFor(is(1, 0, "secure>>hello")));
    ASSERT_TRUE(secure->waitFor(is(1, 0, "secure>>hello")));
    // Batches of many records each: every one once, in order, nothing between.
    constexpr int kBurst = 300;
    for (int i = 0; i < kBurst; ++i) {
        ASSERT_TRUE(plain->send(record(1, 0, {"plain>>" + std::to_string(i)})));
    }
    for (int i = 0; i < kBurst; ++i) {
        const auto line = secure->waitFor([](const LobbyMessage&) { return true; });
        ASSERT_TRUE(line && is(1, 0, "plain>>" + std::to_string(i))(*line)) << i;
    }
}

// Each bad connection is closed alone, with its reason in the log; a TLS client logged in
// beforehand still chats after each.
TEST(Tls, AFailedHandshakeClosesThatConnectionOnlyWithItsLogLine) {
    constexpr auto kLoginTimeout = 500ms;
    const TlsSetup setup(kLoginTimeout);
    // Where a raw client connects, what it sends, whether it then leaves, what the log says.
    struct Case {
        const char* name;
        bool tlsPort;
        std::string bytes;
        bool leaves;
        const char* logged;
    };
    const auto login = loginRecord("intruder", "pw").toBytes();
    const std::string helloStart("\x16\x03\x01\x00\x40\x01\x00", 7);
    const std::vector<Case> cases{
        {"stalled", true, "", false, "disconnected: TLS handshake: not done in time"},
        {"garbage", true, "GET / HTTP/1.0\r\n\r\n", false,
         "disconnected: TLS handshake: http request"},
        {"a plain log-in", true,
         std::string(reinterpret_cast<const char*>(login.data()), login.size()), false,
         "disconnected: TLS handshake: wrong version number"},
        {"half a ClientHello, then gone", true, helloStart, true,
         "disconnected: TLS handshake: closed by the client"},
        {"a ClientHello on the plain port", false, helloStart, false,
         "disconnected: a TLS client came to the plain port"},
    };
    ::testing::internal::CaptureStderr();
    {
        const RunningServer server(setup.options);
        auto good = tlsLoggedIn(server.tlsPort(), setup.cert(), "good");
        ASSERT_TRUE(good);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            LoopbackPeer peer(c.tlsPort ? server.tlsPort() : server.port());
            const auto started = std::chrono::steady_clock::now();
            peer.send(std::as_bytes(std::span(c.bytes)));
            if (c.leaves) {
                peer.close();
            } else {
                while (peer.receive(1).size() == 1) {  // an alert, perhaps, before the end
                }
                EXPECT_TRUE(peer.ended());
                // Only the stall waits for the log-in timeout; the rest are refused at once.
                const auto waited = std::chrono::steady_clock::now() - started;
                EXPECT_EQ(waited >= kLoginTimeout, c.bytes.empty());
            }
            const std::string line = good->account + ">>after " + c.name;
            ASSERT_TRUE(good->send(record(1, 0, {line})));
            EXPECT_TRUE(good->waitFor(is(1, 0, line)));
        }
    }  // the server has stopped: its log is complete
    const std::string log = ::testing::internal::GetCapturedStderr();
    for (const Case& c : cases) {
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name << "\n" << log;
    }
    EXPECT_NE(log.find("TLS: TLSv1.3 TLS_"), std::string::npos);  // the good client's handshake
}

// Offers a client may make, and whether the server takes them (with which protocol).
TEST(Tls, TheServerTakesTls12WithForwardSecretAeadCiphersAndNothingOlderOrWeaker) {
    const TlsSetup setup;
    const RunningServer server(setup.options);
    const struct {
        Offer offer;
        const char* agreed;  // nullptr: refused
    } cases[] = {
        {{}, "TLSv1.3"},
        {{TLS1_2_VERSION, "ECDHE-ECDSA-AES256-GCM-SHA384"}, "TLSv1.2"},
        {{TLS1_2_VERSION, "ECDHE-ECDSA-CHACHA20-POLY1305"}, "TLSv1.2"},
        {{TLS1_2_VERSION, "ECDHE-ECDSA-AES128-SHA:ECDHE-ECDSA-AES256-SHA384"}, nullptr},
        {{TLS1_1_VERSION}, nullptr},
        {{TLS1_VERSION}, nullptr},
    };
    for (const auto& c : cases) {
        TlsClient client(server.tlsPort(), setup.cert(), c.offer);
        SCOPED_TRACE(c.offer.ciphers != nullptr ? c.offer.ciphers : "default ciphers");
        EXPECT_EQ(!client.handshake(), c.agreed != nullptr) << c.offer.maxVersion;
        if (c.agreed != nullptr) {
            EXPECT_EQ(client.protocol(), c.agreed);
        }
    }
}

// Without good files the program says why on one line and ends before it listens.
TEST(Tls, WithoutAMatchingCertificateAndKeyTheServerDoesNotStart) {
    const TlsSetup setup;
    ASSERT_TRUE(makeCertificate("127.0.0.1", setup.dir / "other"));
    const std::string cert = setup.options.tlsCert;
    const std::string otherKey = (setup.dir / "other" / "key.pem").string();
    const std::string missing = (setup.dir / "missing.pem").string();
    const struct {
        std::string files;
        const char* error;
    } cases[] = {
        {"", "--tls-listen wants --tls-cert FILE and --tls-key FILE"},
        {" --tls-cert " + cert, "--tls-listen wants --tls-cert FILE and --tls-key FILE"},
        {" --tls-cert " + cert + " --tls-key " + missing, "No such file or directory"},
        {" --tls-cert " + cert + " --tls-key " + otherKey, "key values mismatch"},
        {" --tls-cert " + setup.options.tlsKey + " --tls-key " + setup.options.tlsKey,
         "cannot load --tls-cert"},
    };
    for (const auto& c : cases) {
        const auto [status, output] = shell("timeout 5 " ARDENTIS_SERVER_BINARY
                                            " --listen 127.0.0.1:0 --tls-listen 127.0.0.1:0 --db " +
                                            (setup.dir / "a.db").string() + c.files + " 2>&1");
        EXPECT_EQ(status, 1) << c.files;
        EXPECT_NE(output.find(c.error), std::string::npos) << output;
        EXPECT_EQ(output.find("listening"), std::string::npos) << output;
        EXPECT_EQ(std::ranges::count(output, '\n'), 1) << output;
    }
}

// The printed fingerprint is what OpenSSL computes from the file; the names and the lifetime
// are in the certificate; a second run keeps the first run's files.
TEST(Tls, MakeCertWritesAPrivateKeyAndACertificateForTheNameAndNeverOverwrites) {
    const ScratchDirectory dir;
    const struct {
        const char* name;
        const char* altName;
    } cases[] = {{"127.0.0.1", "IP Address:127.0.0.1"}, {"lobby.example", "DNS:lobby.example"}};
    for (const auto& c : cases) {
        const auto out = dir / c.name / "tls";
        const std::string makeCert = ARDENTIS_SERVER_BINARY " tls make-cert --name " +
                                     std::string(c.name) + " --out " + out.string();
        const auto [status, printed] = shell(makeCert);
        ASSERT_EQ(status, 0);
        // Valid for about ten years from now: not expiring within 3,650 days less one.
        const auto [checked, described] = shell(
            "openssl x509 -noout -subject -ext subjectAltName -checkend 315273600 "
            "-fingerprint -sha256 -in " +
            (out / "cert.pem").string());
        EXPECT_EQ(checked, 0) << described;
        const auto at = described.find("Fingerprint=") + 12;
        const auto hex = described.substr(at, described.find('\n', at) - at);
        EXPECT_EQ(printed, "SHA256 Fingerprint=" + hex + "\n");
        EXPECT_EQ(hex.size(), 32 * 3 - 1) << described;
        EXPECT_NE(described.find("CN = " + std::string(c.name)), std::string::npos) << described;
        EXPECT_NE(described.find(c.altName), std::string::npos) << described;
        EXPECT_EQ(fs::status(out / "key.pem").permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        const std::string key = readFile(out / "key.pem");
        EXPECT_EQ(shell(makeCert + " 2>/dev/null").first, 1);
        EXPECT_EQ(readFile(out / "key.pem"), key);
        // Nor does it write a key beside a certificate it would then refuse to replace.
        fs::remove(out / "key.pem");
        EXPECT_EQ(shell(makeCert + " 2>/dev/null").first, 1);
        EXPECT_FALSE(fs::exists(out / "key.pem"));
    }
    EXPECT_EQ(shell(ARDENTIS_SERVER_BINARY " tls make-cert --name a,DNS:b --out " +
                    (dir / "odd").string() + " 2>/dev/null")
                  .first,
              1);
    EXPECT_FALSE(fs::exists(dir / "odd"));
}

}  // namespace
}  // namespace ardentis::server::testing
