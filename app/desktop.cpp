#include "app/desktop.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/wide_text.h"
#include "settings/options_store.h"

namespace ardentis::app {

bool openInBrowser(const text::Gbk& url) {
    const std::wstring wide = platform::gbkToWideLossy(url.view());
    // ShellExecute reports success as a value above 32.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool gameWindowOpen() {
    // The games are found by their titles only, as ANSI window texts.
    return FindWindowA(nullptr, "Total Annihilation") != nullptr ||
           FindWindowA(nullptr, "Supreme Commander") != nullptr;
}

text::Gbk communitySite(std::span<const std::wstring> arguments, platform::Registry& registry) {
    constexpr std::wstring_view kOption = L"--site=";
    for (const std::wstring& argument : arguments) {
        if (argument.starts_with(kOption) && argument.size() > kOption.size()) {
            return platform::wideToGbkLossy(std::wstring_view(argument).substr(kOption.size()));
        }
    }
    if (auto key = registry.openKey(platform::RegistryHive::CurrentUser, settings::kOptionsKey)) {
        if (auto site = (*key)->readText("site"); site && !site->empty()) {
            return *site;
        }
    }
    return text::Gbk(kDefaultCommunitySite);
}

}  // namespace ardentis::app
