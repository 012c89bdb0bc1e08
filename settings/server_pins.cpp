#include "settings/server_pins.h"

#include <string>

namespace ardentis::settings {
namespace {

std::string valueName(std::string_view host, std::uint16_t port) {
    return std::string(host) + ":" + std::to_string(port);
}

}  // namespace

ServerTrust judgeServer(const platform::TlsPeer& peer, const std::optional<std::string>& pinned) {
    if (peer.trusted || (pinned && *pinned == peer.fingerprint)) {
        return ServerTrust::Accept;
    }
    return pinned ? ServerTrust::Mismatch : ServerTrust::AskFirst;
}

std::optional<std::string> ServerPins::pinned(std::string_view host, std::uint16_t port) const {
    auto key = registry_.openKey(platform::RegistryHive::CurrentUser, kServersSection);
    if (!key) {
        return std::nullopt;
    }
    auto value = (*key)->readText(valueName(host, port));
    if (!value || value->empty()) {
        return std::nullopt;
    }
    return std::string(value->view());
}

std::expected<void, platform::RegistryError> ServerPins::pin(std::string_view host,
                                                             std::uint16_t port,
                                                             std::string_view fingerprint) {
    auto key = registry_.createKey(platform::RegistryHive::CurrentUser, kServersSection);
    if (!key) {
        return std::unexpected(key.error());
    }
    return (*key)->writeText(valueName(host, port), text::Gbk(fingerprint));
}

}  // namespace ardentis::settings
