#include "platform/win32/schannel_engine.h"

#define SECURITY_WIN32
#include <windows.h>

#include <bcrypt.h>
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>

#include "platform/win32/wide_text.h"
#include "text/hex_pairs.h"

namespace ardentis::platform {
namespace {

// What the context must give: a stream of records with replay and order checks, the
// server's certificate left to us, and no client certificate of the user's offered.
constexpr unsigned long kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                   ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY |
                                   ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION |
                                   ISC_REQ_USE_SUPPLIED_CREDS;
// TLS 1.3 where the system has it; one without it refuses these, and then TLS 1.2 alone.
constexpr std::array<DWORD, 2> kProtocols{SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT,
                                          SP_PROT_TLS1_2_CLIENT};
constexpr std::size_t kRecordHeader = 5;  // type, version, length of a TLS record
// Record types: the cipher change, alert, handshake and application data.
constexpr unsigned kFirstRecordType = 20;
constexpr unsigned kAlert = 21;
constexpr unsigned kLastRecordType = 23;

std::string failure(const char* call, SECURITY_STATUS status) {
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), "%s failed (0x%08lX)", call,
                  static_cast<unsigned long>(status));
    return text.data();
}

// The size of the first TLS record when all of it is there, else 0: Schannel is given whole
// records only, so bytes trickling in cost no repeated work. Bytes that are no TLS record
// are refused here, where Schannel might wait for a length they only seem to give.
std::expected<std::size_t, std::string> wholeRecord(std::span<const std::byte> bytes) {
    if (bytes.size() < kRecordHeader) {
        return 0;
    }
    const auto type = std::to_integer<unsigned>(bytes[0]);
    if (type < kFirstRecordType || type > kLastRecordType || bytes[1] != std::byte{3}) {
        std::array<char, 64> text{};
        std::snprintf(text.data(), text.size(), "the server's answer is not TLS (0x%02X%02X)", type,
                      std::to_integer<unsigned>(bytes[1]));
        return std::unexpected(text.data());
    }
    const std::size_t size = kRecordHeader + (std::to_integer<std::size_t>(bytes[3]) << 8U |
                                              std::to_integer<std::size_t>(bytes[4]));
    return bytes.size() >= size ? size : 0;
}

unsigned long sizeOf(std::size_t size) {
    return static_cast<unsigned long>(std::min<std::size_t>(size, ULONG_MAX));
}

// A credentials or context handle, freed by `Free` once it is held.
template <auto Free>
struct SspiHandle {
    SecHandle handle{};
    bool held = false;
    SspiHandle() = default;
    SspiHandle(const SspiHandle&) = delete;
    SspiHandle& operator=(const SspiHandle&) = delete;
    ~SspiHandle() { release(); }
    void release() {
        if (held) {
            Free(&handle);
            held = false;
        }
    }
};
using Credentials = SspiHandle<&FreeCredentialsHandle>;
using SecurityContext = SspiHandle<&DeleteSecurityContext>;

struct ContextBufferFree {
    void operator()(void* buffer) const { FreeContextBuffer(buffer); }
};
struct CertificateFree {
    void operator()(const CERT_CONTEXT* certificate) const {
        CertFreeCertificateContext(certificate);
    }
};
struct ChainFree {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};

std::string fingerprintOf(std::span<const BYTE> der) {
    std::array<BYTE, 32> digest{};
    auto size = static_cast<DWORD>(digest.size());
    if (!CryptHashCertificate2(BCRYPT_SHA256_ALGORITHM, 0, nullptr, der.data(), sizeOf(der.size()),
                               digest.data(), &size)) {
        return {};
    }
    return text::hexPairs(std::span(digest).first(size));
}

// Chains to a root the system trusts, for a server, under `host`'s name.
bool trustedFor(const CERT_CONTEXT* certificate, std::wstring host) {
    std::array<LPSTR, 1> usage{const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA wanted{};
    wanted.cbSize = sizeof wanted;
    wanted.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    wanted.RequestedUsage.Usage.cUsageIdentifier = 1;
    wanted.RequestedUsage.Usage.rgpszUsageIdentifier = usage.data();
    const CERT_CHAIN_CONTEXT* made = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &wanted, 0,
                                 nullptr, &made)) {
        return false;
    }
    const std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFree> chain(made);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = host.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &status) &&
           status.dwError == 0;
}

std::string protocolName(DWORD protocol) {
    if ((protocol & SP_PROT_TLS1_3) != 0) {
        return "TLS 1.3";
    }
    return (protocol & SP_PROT_TLS1_2) != 0 ? "TLS 1.2" : "TLS (older)";
}

// Where the system names no suite: the cipher and its strength, "AES-256".
std::string cipherName(ALG_ID algorithm, DWORD strength) {
    std::string name = "cipher";
    if (GET_ALG_SID(algorithm) >= ALG_SID_AES_128 && GET_ALG_SID(algorithm) <= ALG_SID_AES) {
        name = "AES";
    } else if (algorithm == CALG_3DES) {
        name = "3DES";
    } else if (algorithm == CALG_RC4) {
        name = "RC4";
    }
    return name + "-" + std::to_string(strength);
}

}  // namespace

struct SchannelEngine::Session {
    Credentials credentials;
    SecurityContext context;
    std::wstring host;
    std::vector<std::byte> received;  // fed and not yet taken by Schannel
    SecPkgContext_StreamSizes sizes{};
    bool established = false;
    bool closed = false;
    TlsPeer peer;

    // One InitializeSecurityContextW over what was received (nothing for the first flight);
    // its token goes to `out`, the bytes it left over stay received.
    SECURITY_STATUS initialize(std::vector<std::byte>& out) {
        const bool first = !context.held;
        std::array<SecBuffer, 2> input{{{sizeOf(received.size()), SECBUFFER_TOKEN, received.data()},
                                        {0, SECBUFFER_EMPTY, nullptr}}};
        SecBufferDesc inputs{SECBUFFER_VERSION, sizeOf(input.size()), input.data()};
        SecBuffer token{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outputs{SECBUFFER_VERSION, 1, &token};
        unsigned long granted = 0;
        const SECURITY_STATUS status = InitializeSecurityContextW(
            &credentials.handle, first ? nullptr : &context.handle, host.data(), kRequest, 0, 0,
            first ? nullptr : &inputs, 0, first ? &context.handle : nullptr, &outputs, &granted,
            nullptr);
        const std::unique_ptr<void, ContextBufferFree> owned(token.pvBuffer);
        context.held = context.held || status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED;
        if (token.pvBuffer != nullptr && token.cbBuffer > 0) {
            const auto* bytes = static_cast<const std::byte*>(token.pvBuffer);
            out.insert(out.end(), bytes, bytes + token.cbBuffer);
        }
        if (!first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)) {
            const std::size_t extra =
                input[1].BufferType == SECBUFFER_EXTRA ? input[1].cbBuffer : 0;
            received.erase(received.begin(), received.end() - static_cast<std::ptrdiff_t>(std::min(
                                                                  extra, received.size())));
        }
        return status;
    }

    std::expected<void, std::string> begin(std::vector<std::byte>& out) {
        SECURITY_STATUS status = SEC_E_OK;
        for (const DWORD protocols : kProtocols) {
            context.release();
            credentials.release();
            SCHANNEL_CRED wanted{};
            wanted.dwVersion = SCHANNEL_CRED_VERSION;
            wanted.grbitEnabledProtocols = protocols;
            wanted.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
            status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W),
                                               SECPKG_CRED_OUTBOUND, nullptr, &wanted, nullptr,
                                               nullptr, &credentials.handle, nullptr);
            if (status != SEC_E_OK) {
                continue;
            }
            credentials.held = true;
            std::vector<std::byte> hello;
            status = initialize(hello);
            if (status == SEC_I_CONTINUE_NEEDED) {
                out.insert(out.end(), hello.begin(), hello.end());
                return {};
            }
        }
        return std::unexpected(failure(
            credentials.held ? "InitializeSecurityContextW" : "AcquireCredentialsHandleW", status));
    }

    std::expected<Progress, std::string> establish() {
        established = true;
        const SECURITY_STATUS status =
            QueryContextAttributesW(&context.handle, SECPKG_ATTR_STREAM_SIZES, &sizes);
        if (status != SEC_E_OK) {
            return std::unexpected(failure("QueryContextAttributesW(STREAM_SIZES)", status));
        }
        describePeer();
        return Progress::Established;
    }

    void describePeer() {
        const CERT_CONTEXT* remote = nullptr;
        if (QueryContextAttributesW(&context.handle, SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                    static_cast<void*>(&remote)) == SEC_E_OK &&
            remote != nullptr) {
            const std::unique_ptr<const CERT_CONTEXT, CertificateFree> certificate(remote);
            const std::span der(remote->pbCertEncoded, remote->cbCertEncoded);
            const auto* first = reinterpret_cast<const std::byte*>(der.data());
            peer.certificate.assign(first, first + der.size());
            peer.fingerprint = fingerprintOf(der);
            peer.trusted = trustedFor(remote, host);
        }
        SecPkgContext_ConnectionInfo connection{};
        if (QueryContextAttributesW(&context.handle, SECPKG_ATTR_CONNECTION_INFO, &connection) ==
            SEC_E_OK) {
            peer.protocol = protocolName(connection.dwProtocol);
            peer.cipher = cipherName(connection.aiCipher, connection.dwCipherStrength);
        }
        SecPkgContext_CipherInfo suite{};
        suite.dwVersion = SECPKGCONTEXT_CIPHERINFO_V1;
        if (QueryContextAttributesW(&context.handle, SECPKG_ATTR_CIPHER_INFO, &suite) == SEC_E_OK &&
            suite.szCipherSuite[0] != L'\0' &&
            std::wstring_view(suite.szCipherSuite).find(L"<unknown>") == std::wstring_view::npos) {
            peer.cipher = wideToGbkLossy(suite.szCipherSuite).bytes();
        }
    }

    // A handshake message after the handshake: TLS 1.3's session tickets and key updates are
    // taken; a renegotiation, which would need an answer, is refused.
    std::expected<void, std::string> takeHandshakeMessage() {
        std::vector<std::byte> answer;
        const SECURITY_STATUS status = initialize(answer);
        if (status != SEC_E_OK || !answer.empty()) {
            return std::unexpected(
                failure("DecryptMessage: a renegotiation, refused;"
                        " InitializeSecurityContextW",
                        status));
        }
        return {};
    }
};

SchannelEngine::SchannelEngine() : session_(std::make_unique<Session>()) {}

SchannelEngine::~SchannelEngine() = default;

std::expected<void, std::string> SchannelEngine::start(const std::string& host,
                                                       std::vector<std::byte>& out) {
    session_ = std::make_unique<Session>();
    auto wideHost = gbkToWide(host);
    if (!wideHost) {
        return std::unexpected("the server's name is not text: " + host);
    }
    session_->host = std::move(*wideHost);
    return session_->begin(out);
}

void SchannelEngine::feed(std::span<const std::byte> received) {
    session_->received.insert(session_->received.end(), received.begin(), received.end());
}

std::expected<TlsEngine::Progress, std::string> SchannelEngine::handshake(
    std::vector<std::byte>& out) {
    Session& s = *session_;
    bool credentialsAsked = false;
    while (!s.established) {
        const auto whole = wholeRecord(s.received);
        if (!whole || *whole == 0) {
            return whole ? std::expected<Progress, std::string>(Progress::NeedMore)
                         : std::unexpected(whole.error());
        }
        const SECURITY_STATUS status = s.initialize(out);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            return Progress::NeedMore;
        }
        if (status == SEC_E_OK) {
            return s.establish();
        }
        // A server asking for a client certificate gets none: the call is made again once.
        const bool askedAgain = status == SEC_I_INCOMPLETE_CREDENTIALS && credentialsAsked;
        credentialsAsked = credentialsAsked || status == SEC_I_INCOMPLETE_CREDENTIALS;
        if ((status != SEC_I_CONTINUE_NEEDED && status != SEC_I_INCOMPLETE_CREDENTIALS) ||
            askedAgain) {
            return std::unexpected(failure("InitializeSecurityContextW", status));
        }
    }
    return Progress::Established;
}

TlsPeer SchannelEngine::peer() const {
    return session_->peer;
}

std::expected<void, std::string> SchannelEngine::seal(std::span<const std::byte> plain,
                                                      std::vector<std::byte>& out) {
    Session& s = *session_;
    if (!s.established) {  // no record sizes yet, and nothing to seal with
        return std::unexpected("EncryptMessage before the handshake ended");
    }
    while (!plain.empty()) {
        const std::size_t size = std::min<std::size_t>(plain.size(), s.sizes.cbMaximumMessage);
        std::vector<std::byte> record(s.sizes.cbHeader + size + s.sizes.cbTrailer);
        std::ranges::copy(plain.first(size), record.begin() + s.sizes.cbHeader);
        std::array<SecBuffer, 4> buffers{
            {{s.sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
             {sizeOf(size), SECBUFFER_DATA, record.data() + s.sizes.cbHeader},
             {s.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + s.sizes.cbHeader + size},
             {0, SECBUFFER_EMPTY, nullptr}}};
        SecBufferDesc description{SECBUFFER_VERSION, sizeOf(buffers.size()), buffers.data()};
        const SECURITY_STATUS status = EncryptMessage(&s.context.handle, 0, &description, 0);
        if (status != SEC_E_OK) {
            return std::unexpected(failure("EncryptMessage", status));
        }
        // The trailer may come out shorter than its room.
        const std::size_t sealed = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        out.insert(out.end(), record.begin(), record.begin() + static_cast<std::ptrdiff_t>(sealed));
        plain = plain.subspan(size);
    }
    return {};
}

std::expected<TlsEngine::Stream, std::string> SchannelEngine::unseal(
    std::vector<std::byte>& plain) {
    Session& s = *session_;
    while (!s.closed) {
        const auto whole = wholeRecord(s.received);
        if (!whole || *whole == 0) {
            return whole ? std::expected<Stream, std::string>(Stream::Open)
                         : std::unexpected(whole.error());
        }
        const std::size_t size = *whole;
        const bool alert = std::to_integer<unsigned>(s.received[0]) == kAlert;
        std::array<SecBuffer, 4> buffers{{{sizeOf(size), SECBUFFER_DATA, s.received.data()},
                                          {0, SECBUFFER_EMPTY, nullptr},
                                          {0, SECBUFFER_EMPTY, nullptr},
                                          {0, SECBUFFER_EMPTY, nullptr}}};
        SecBufferDesc description{SECBUFFER_VERSION, sizeOf(buffers.size()), buffers.data()};
        const SECURITY_STATUS status = DecryptMessage(&s.context.handle, &description, 0, nullptr);
        if (status == SEC_I_CONTEXT_EXPIRED) {  // the server's close_notify
            s.closed = true;
            break;
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
            return std::unexpected(failure("DecryptMessage", status));
        }
        std::size_t extra = 0;
        for (const SecBuffer& buffer : buffers) {
            const auto* bytes = static_cast<const std::byte*>(buffer.pvBuffer);
            if (buffer.BufferType == SECBUFFER_DATA && bytes != nullptr) {
                plain.insert(plain.end(), bytes, bytes + buffer.cbBuffer);
            } else if (buffer.BufferType == SECBUFFER_EXTRA) {
                extra = buffer.cbBuffer;
            }
        }
        s.received.erase(
            s.received.begin(),
            s.received.begin() + static_cast<std::ptrdiff_t>(size - std::min(extra, size)));
        // Windows reports the server's close_notify as an expired context; Wine's Schannel as
        // an alert record that opens to nothing. Either way nothing more will come.
        s.closed = alert && status == SEC_E_OK;
        if (status == SEC_I_RENEGOTIATE) {
            if (auto taken = s.takeHandshakeMessage(); !taken) {
                return std::unexpected(taken.error());
            }
        }
    }
    s.received.clear();
    return Stream::ClosedByPeer;
}

std::unique_ptr<TlsEngine> makeSystemTlsEngine() {
    return std::make_unique<SchannelEngine>();
}

}  // namespace ardentis::platform
