// The TLS engine on POSIX: OpenSSL over two memory BIOs, so the caller carries every byte.
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <array>
#include <climits>
#include <cstdio>

#include "platform/tls_engine.h"
#include "text/hex_pairs.h"

namespace ardentis::platform {
namespace {

constexpr std::size_t kChunk = 16 * std::size_t{1024};  // a whole record's plain text

struct SslContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};
struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

// One line naming the call and OpenSSL's first queued error (or the SSL_get_error code).
std::string failure(const char* call, unsigned long code) {
    std::array<char, 256> reason{};
    ERR_error_string_n(code, reason.data(), reason.size());
    std::array<char, 64> head{};
    std::snprintf(head.data(), head.size(), "%s failed (0x%lx): ", call, code);
    ERR_clear_error();
    return std::string(head.data()) + reason.data();
}

std::string failure(const char* call, const SSL* ssl, int result) {
    const unsigned long queued = ERR_peek_error();
    return failure(call,
                   queued != 0 ? queued : static_cast<unsigned long>(SSL_get_error(ssl, result)));
}

// "TLSv1.2" as the user reads it: "TLS 1.2".
std::string protocolName(const SSL* ssl) {
    std::string name = SSL_get_version(ssl);
    if (name.starts_with("TLSv")) {
        name.replace(0, 4, "TLS ");
    }
    return name;
}

class OpenSslEngine final : public TlsEngine {
  public:
    std::expected<void, std::string> start(const std::string& host,
                                           std::vector<std::byte>& out) override {
        context_.reset(SSL_CTX_new(TLS_client_method()));
        if (!context_ || SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION) != 1) {
            return std::unexpected(failure("SSL_CTX_new", ERR_peek_error()));
        }
        // The caller decides on trust; the verdict is still kept for peer().
        SSL_CTX_set_verify(context_.get(), SSL_VERIFY_NONE, nullptr);
        if (SSL_CTX_set_default_verify_paths(context_.get()) != 1) {
            return std::unexpected(failure("SSL_CTX_set_default_verify_paths", ERR_peek_error()));
        }
        ssl_.reset(SSL_new(context_.get()));
        BIO* received = BIO_new(BIO_s_mem());
        BIO* toSend = BIO_new(BIO_s_mem());
        if (!ssl_ || received == nullptr || toSend == nullptr) {
            BIO_free(received);
            BIO_free(toSend);
            return std::unexpected(failure("SSL_new", ERR_peek_error()));
        }
        SSL_set_bio(ssl_.get(), received, toSend);  // the SSL owns both from here
        received_ = received;
        toSend_ = toSend;
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl_.get());
        // An address is checked against the certificate's addresses and gets no SNI.
        if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) != 1) {
            ERR_clear_error();
            if (X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size()) != 1 ||
                SSL_set_tlsext_host_name(ssl_.get(), host.c_str()) != 1) {
                return std::unexpected(failure("SSL_set_tlsext_host_name", ERR_peek_error()));
            }
        }
        SSL_set_connect_state(ssl_.get());
        if (auto progress = handshake(out); !progress) {
            return std::unexpected(progress.error());
        }
        return {};
    }

    void feed(std::span<const std::byte> received) override {
        while (!received.empty()) {
            const int chunk = static_cast<int>(std::min<std::size_t>(received.size(), INT_MAX));
            if (BIO_write(received_, received.data(), chunk) != chunk) {
                return;  // a memory BIO refuses only when memory is gone
            }
            received = received.subspan(static_cast<std::size_t>(chunk));
        }
    }

    std::expected<Progress, std::string> handshake(std::vector<std::byte>& out) override {
        const int result = SSL_do_handshake(ssl_.get());
        drain(out);
        if (result == 1) {
            return Progress::Established;
        }
        if (SSL_get_error(ssl_.get(), result) == SSL_ERROR_WANT_READ) {
            return Progress::NeedMore;
        }
        return std::unexpected(failure("SSL_do_handshake", ssl_.get(), result));
    }

    [[nodiscard]] TlsPeer peer() const override {
        TlsPeer peer;
        const std::unique_ptr<X509, X509Free> certificate(SSL_get1_peer_certificate(ssl_.get()));
        if (certificate) {
            unsigned char* der = nullptr;
            const int length = i2d_X509(certificate.get(), &der);
            if (length > 0) {
                const auto* first = reinterpret_cast<const std::byte*>(der);
                peer.certificate.assign(first, first + length);
            }
            OPENSSL_free(der);
            std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
            unsigned int size = 0;
            if (X509_digest(certificate.get(), EVP_sha256(), digest.data(), &size) == 1) {
                peer.fingerprint = text::hexPairs(std::span(digest).first(size));
            }
            peer.trusted = SSL_get_verify_result(ssl_.get()) == X509_V_OK;
        }
        peer.protocol = protocolName(ssl_.get());
        const SSL_CIPHER* cipher = SSL_get_current_cipher(ssl_.get());
        const char* name = cipher != nullptr ? SSL_CIPHER_standard_name(cipher) : nullptr;
        peer.cipher = name != nullptr ? name : "";
        return peer;
    }

    std::expected<void, std::string> seal(std::span<const std::byte> plain,
                                          std::vector<std::byte>& out) override {
        while (!plain.empty()) {
            std::size_t written = 0;
            if (SSL_write_ex(ssl_.get(), plain.data(), plain.size(), &written) != 1) {
                return std::unexpected(failure("SSL_write_ex", ssl_.get(), 0));
            }
            plain = plain.subspan(written);
        }
        drain(out);
        return {};
    }

    std::expected<Stream, std::string> unseal(std::vector<std::byte>& plain) override {
        std::array<std::byte, kChunk> buffer{};
        for (;;) {
            std::size_t read = 0;
            const int result = SSL_read_ex(ssl_.get(), buffer.data(), buffer.size(), &read);
            if (result == 1) {
                plain.insert(plain.end(), buffer.begin(), buffer.begin() + static_cast<long>(read));
                continue;
            }
            switch (SSL_get_error(ssl_.get(), result)) {
                case SSL_ERROR_WANT_READ:
                    return Stream::Open;
                case SSL_ERROR_ZERO_RETURN:
                    return Stream::ClosedByPeer;
                default:
                    return std::unexpected(failure("SSL_read_ex", ssl_.get(), result));
            }
        }
    }

  private:
    void drain(std::vector<std::byte>& out) {
        std::array<std::byte, kChunk> buffer{};
        int got = 0;
        while ((got = BIO_read(toSend_, buffer.data(), static_cast<int>(buffer.size()))) > 0) {
            out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        }
    }

    std::unique_ptr<SSL_CTX, SslContextFree> context_;
    std::unique_ptr<SSL, SslFree> ssl_;
    BIO* received_ = nullptr;  // owned by ssl_
    BIO* toSend_ = nullptr;    // owned by ssl_
};

}  // namespace

std::unique_ptr<TlsEngine> makeSystemTlsEngine() {
    return std::make_unique<OpenSslEngine>();
}

}  // namespace ardentis::platform
