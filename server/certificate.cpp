#include "server/certificate.h"

#include <fcntl.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <asio/ip/address.hpp>
#include <cctype>
#include <cstdio>
#include <memory>
#include <span>

#include "text/hex_pairs.h"

namespace ardentis::server {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const noexcept { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Number = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;

constexpr long kValidDays = 3652;  // ten years with their leap days
constexpr int kSerialBits = 159;   // random, positive, within the 20 bytes a serial may take

int closeFile(FILE* file) {
    return std::fclose(file);
}
using File = std::unique_ptr<FILE, decltype(&closeFile)>;

std::string openSslError(std::string_view what) {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return std::string(what) + (reason != nullptr ? std::string(": ") + reason : "");
}

bool addExtension(X509* certificate, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    const Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

std::expected<Certificate, std::string> selfSigned(std::string_view name, EVP_PKEY* key) {
    Certificate certificate(X509_new());
    const Number serial(BN_new());
    if (!certificate || !serial ||
        BN_rand(serial.get(), kSerialBits, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
        BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate.get())) == nullptr) {
        return std::unexpected(openSslError("no serial number"));
    }
    X509* c = certificate.get();
    X509_NAME* subject = X509_get_subject_name(c);
    const std::string host(name);
    std::error_code notAddress;
    (void)asio::ip::make_address(host, notAddress);
    const bool ok = X509_set_version(c, X509_VERSION_3) == 1 &&
                    X509_gmtime_adj(X509_getm_notBefore(c), 0) != nullptr &&
                    X509_time_adj_ex(X509_getm_notAfter(c), kValidDays, 0, nullptr) != nullptr &&
                    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                               reinterpret_cast<const unsigned char*>(host.c_str()),
                                               -1, -1, 0) == 1 &&
                    X509_set_issuer_name(c, subject) == 1 && X509_set_pubkey(c, key) == 1 &&
                    addExtension(c, NID_subject_alt_name, (notAddress ? "DNS:" : "IP:") + host) &&
                    addExtension(c, NID_basic_constraints, "critical,CA:FALSE") &&
                    addExtension(c, NID_key_usage, "critical,digitalSignature") &&
                    addExtension(c, NID_ext_key_usage, "serverAuth") &&
                    addExtension(c, NID_subject_key_identifier, "hash") &&
                    X509_sign(c, key, EVP_sha256()) > 0;
    if (!ok) {
        return std::unexpected(openSslError("cannot make a certificate for " + host));
    }
    return certificate;
}

// A new file only, never one that is there already.
std::expected<File, std::string> create(const std::filesystem::path& path, mode_t mode) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return std::unexpected("cannot create " + path.string() + ": " +
                               std::error_code(errno, std::generic_category()).message());
    }
    ::fchmod(fd, mode);  // whatever the umask left
    FILE* file = ::fdopen(fd, "w");
    if (file == nullptr) {
        ::close(fd);
        return std::unexpected("cannot write " + path.string());
    }
    return File(file, closeFile);
}

std::string fingerprint(X509* certificate) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    X509_digest(certificate, EVP_sha256(), digest.data(), &size);
    return text::hexPairs(std::span(digest).first(size));
}

}  // namespace

std::expected<std::string, std::string> makeCertificate(std::string_view name,
                                                        const std::filesystem::path& directory) {
    // Letters, digits, dots, hyphens and colons make every host name and IP address, and keep
    // the name from reading as more than one entry in OpenSSL's extension syntax.
    const bool hostLike = std::ranges::all_of(name, [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == ':';
    });
    if (name.empty() || !hostLike) {
        return std::unexpected("--name wants a host name or an IP address");
    }
    const auto certPath = directory / "cert.pem";
    const auto keyPath = directory / "key.pem";
    for (const auto& path : {certPath, keyPath}) {
        if (std::filesystem::exists(path)) {
            return std::unexpected(path.string() + " exists already; not overwritten");
        }
    }
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        return std::unexpected("cannot create " + directory.string() + ": " + error.message());
    }
    const Key key(EVP_EC_gen("P-256"));
    if (!key) {
        return std::unexpected(openSslError("cannot make a P-256 key"));
    }
    auto certificate = selfSigned(name, key.get());
    if (!certificate) {
        return std::unexpected(certificate.error());
    }
    auto keyFile = create(keyPath, S_IRUSR | S_IWUSR);
    if (!keyFile) {
        return std::unexpected(keyFile.error());
    }
    if (PEM_write_PrivateKey(keyFile->get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) !=
            1 ||
        std::fclose(keyFile->release()) != 0) {
        return std::unexpected("cannot write " + keyPath.string());
    }
    auto certFile = create(certPath, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    if (!certFile) {
        return std::unexpected(certFile.error());
    }
    if (PEM_write_X509(certFile->get(), certificate->get()) != 1 ||
        std::fclose(certFile->release()) != 0) {
        return std::unexpected("cannot write " + certPath.string());
    }
    return fingerprint(certificate->get());
}

}  // namespace ardentis::server
