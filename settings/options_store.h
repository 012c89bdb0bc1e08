#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "platform/file_system.h"
#include "platform/info_box.h"
#include "platform/registry.h"
#include "settings/settings_record.h"
#include "text/shown.h"

namespace ardentis::settings {

inline constexpr std::string_view kOptionsKey = R"(Software\Morvane\Ardentis)";
inline constexpr std::string_view kOptionsSection = R"(Software\Morvane\Ardentis\options)";
inline constexpr std::string_view kRecorderSection = R"(Software\Yankspankers\TA Demo\options)";
inline constexpr std::string_view kSupremeCommanderUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "{25A1E6A4-2DBD-4AC0-8650-8EA9A45B183D}";
// Where `make run` starts our own server.
inline constexpr std::string_view kDefaultHost = "127.0.0.1";

// What a load had to work around; the record is usable either way.
struct OptionsLoadReport {
    // The stored pwd was not the cipher's hex form; the password was left empty.
    bool pwdUnreadable = false;
    // The stored vnntype was not a decimal number; 0 was taken.
    bool vnntypeUnreadable = false;
    // Our key could not be opened or created; every stored field took its default.
    std::optional<platform::RegistryError> keyUnavailable;
};

// The settings in the current user's registry: every value a REG_SZ text under
// Software\Morvane\Ardentis\options, the password in the cipher's hex form.
class OptionsStore {
  public:
    // All three are borrowed and must outlive the store.
    OptionsStore(platform::Registry& registry, const platform::FileSystem& files,
                 platform::InfoBox& infoBox);

    // Overwrites the stored fields of the record (vnnip and hostip stay as they are), then
    // locates the game directories, telling the user of each one it cannot find unless
    // checkfile is "1".
    OptionsLoadReport LoadOptions(Toptions& options);

    // The options window's OK: every value, in the order usr, pwd, autologin, TAdir, SPCdir,
    // host, port, checkfile, vnntype, tls, tlsport, vnnaddr, language.
    [[nodiscard]] std::expected<void, platform::RegistryError> saveOptions(const Toptions& options);
    // After a successful log-in: usr, then pwd.
    [[nodiscard]] std::expected<void, platform::RegistryError> saveLogin(const text::Gbk& usr,
                                                                         const text::Gbk& pwd);

  private:
    void readStored(Toptions& options, OptionsLoadReport& report);
    void locateTotalAnnihilation(const Toptions& options);
    void locateSupremeCommander(Toptions& options);

    platform::Registry& registry_;
    const platform::FileSystem& files_;
    platform::InfoBox& infoBox_;
};

// The language stored in the options (Chinese unless it says "en"): read once at start,
// before any window is made.
[[nodiscard]] text::Language storedLanguage(platform::Registry& registry);

}  // namespace ardentis::settings
