#include "settings/options_store.h"

#include <charconv>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "protocol/des.h"
#include "text/literal.h"
#include "text/shown.h"

namespace ardentis::settings {
namespace {

using platform::RegistryHive;
using platform::RegistryKey;

// A value that is missing, or that is not a text we can read, takes the default.
text::Gbk readOr(const RegistryKey* key, std::string_view name, std::string_view fallback) {
    if (key != nullptr) {
        if (auto value = key->readText(name)) {
            return *std::move(value);
        }
    }
    return text::Gbk(fallback);
}

std::optional<std::int32_t> decimal(const text::Gbk& value) {
    std::int32_t number = 0;
    const char* first = value.bytes().data();
    const char* last = first + value.size();
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

OptionsStore::OptionsStore(platform::Registry& registry, const platform::FileSystem& files,
                           platform::InfoBox& infoBox)
    : registry_(registry), files_(files), infoBox_(infoBox) {}

OptionsLoadReport OptionsStore::LoadOptions(Toptions& options) {
    OptionsLoadReport report;
    readStored(options, report);
    if (options.TAdir.empty()) {
        if (auto recorder = registry_.openKey(RegistryHive::CurrentUser, kRecorderSection)) {
            options.TAdir = readOr(recorder->get(), "TAdir", "");
        }
    }
    locateTotalAnnihilation(options);
    locateSupremeCommander(options);
    return report;
}

void OptionsStore::readStored(Toptions& options, OptionsLoadReport& report) {
    // Creating our key on first start is the one write a load makes.
    if (auto created = registry_.createKey(RegistryHive::CurrentUser, kOptionsKey); !created) {
        report.keyUnavailable = created.error();
    }
    std::unique_ptr<RegistryKey> section;
    if (auto opened = registry_.openKey(RegistryHive::CurrentUser, kOptionsSection)) {
        section = *std::move(opened);
    } else if (opened.error().fault != platform::RegistryFault::Missing) {
        report.keyUnavailable = opened.error();
    }
    const RegistryKey* key = section.get();

    options.usr = readOr(key, "usr", "");
    const text::Gbk storedPwd = readOr(key, "pwd", "");
    try {
        options.pwd = text::Gbk(protocol::des::DecryptHex(storedPwd.view()));
    } catch (const protocol::des::CipherError&) {
        // A damaged value must not stop the program: the user types the password again.
        options.pwd = text::Gbk();
        report.pwdUnreadable = true;
    }
    options.autologin = readOr(key, "autologin", "1");
    options.host = readOr(key, "host", kDefaultHost);
    options.port = readOr(key, "port", "8888");
    options.TAdir = readOr(key, "TAdir", "");
    options.SPCdir = readOr(key, "SPCdir", "");
    options.checkfile = readOr(key, "checkfile", "0");
    const auto vnntype = decimal(readOr(key, "vnntype", "0"));
    // Not a number: the first choice, as the options window shows by default.
    options.vnntype = vnntype.value_or(0);
    report.vnntypeUnreadable = !vnntype.has_value();
    options.tls = readOr(key, "tls", "0");
    options.tlsport = readOr(key, "tlsport", "8889");
    options.vnnaddr = readOr(key, "vnnaddr", "");
    options.language = readOr(key, "language", "zh");
}

void OptionsStore::locateTotalAnnihilation(const Toptions& options) {
    const bool located =
        !options.TAdir.empty() && files_.fileExists(options.TAdir + text::Gbk("totala.exe"));
    if (!located && warnsOfUnlocatedDirectories(options)) {
        infoBox_.showInfo(text::shown<"不能定位你的TA目录，请在选项中设置。">());
    }
}

void OptionsStore::locateSupremeCommander(Toptions& options) {
    if (options.SPCdir.empty()) {
        if (auto entry =
                registry_.openKey(RegistryHive::LocalMachine, kSupremeCommanderUninstall)) {
            const text::Gbk location = readOr(entry->get(), "InstallLocation", "");
            if (!location.empty()) {
                options.SPCdir = location + text::Gbk("\\bin\\");
            }
        }
    }
    const bool located = !options.SPCdir.empty() &&
                         files_.fileExists(options.SPCdir + text::Gbk("supremecommander.exe"));
    if (!located && warnsOfUnlocatedDirectories(options)) {
        infoBox_.showInfo(text::shown<"不能定位你的最高指挥官目录，请在选项中设置。">());
    }
}

std::expected<void, platform::RegistryError> OptionsStore::saveOptions(const Toptions& options) {
    auto key = registry_.createKey(RegistryHive::CurrentUser, kOptionsSection);
    if (!key) {
        return std::unexpected(key.error());
    }
    const text::Gbk pwd(protocol::des::EncryptHex(options.pwd.view()));
    const text::Gbk vnntype(std::to_string(options.vnntype));
    const std::pair<std::string_view, const text::Gbk*> values[] = {
        {"usr", &options.usr},
        {"pwd", &pwd},
        {"autologin", &options.autologin},
        {"TAdir", &options.TAdir},
        {"SPCdir", &options.SPCdir},
        {"host", &options.host},
        {"port", &options.port},
        {"checkfile", &options.checkfile},
        {"vnntype", &vnntype},
        {"tls", &options.tls},
        {"tlsport", &options.tlsport},
        {"vnnaddr", &options.vnnaddr},
        {"language", &options.language}};
    for (const auto& [name, value] : values) {
        if (auto written = (*key)->writeText(name, *value); !written) {
            return written;
        }
    }
    return {};
}

text::Language storedLanguage(platform::Registry& registry) {
    auto key = registry.openKey(RegistryHive::CurrentUser, kOptionsSection);
    return text::languageNamed(readOr(key ? key->get() : nullptr, "language", "zh"));
}

std::expected<void, platform::RegistryError> OptionsStore::saveLogin(const text::Gbk& usr,
                                                                     const text::Gbk& pwd) {
    auto key = registry_.createKey(RegistryHive::CurrentUser, kOptionsSection);
    if (!key) {
        return std::unexpected(key.error());
    }
    if (auto written = (*key)->writeText("usr", usr); !written) {
        return written;
    }
    return (*key)->writeText("pwd", text::Gbk(protocol::des::EncryptHex(pwd.view())));
}

}  // namespace ardentis::settings
