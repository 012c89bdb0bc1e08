#include <windows.h>

#include <commdlg.h>

#include "ui/win32/win32_open_file_dialog.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace ardentis::win32 {
namespace {

// Room for a long path (the \\?\ limit).
constexpr std::size_t kNameCapacity = 32768;

// "a|b|c|d" becomes "a\0b\0c\0d\0\0"; a description without its pattern gets itself.
std::wstring filterList(const text::Gbk& filter) {
    std::wstring list = platform::gbkToWideLossy(filter.view());
    if (list.empty()) {
        return {L'\0', L'\0'};
    }
    if (std::count(list.begin(), list.end(), L'|') % 2 == 0) {
        list += L'|' + list.substr(list.rfind(L'|') + 1);
    }
    std::ranges::replace(list, L'|', L'\0');
    list += L'\0';
    list += L'\0';
    return list;
}

}  // namespace

std::optional<text::Gbk> Win32OpenFileDialog::run(const text::Gbk& title, const text::Gbk& filter) {
    const std::wstring filters = filterList(filter);
    const std::wstring caption = platform::gbkToWideLossy(title.view());
    std::vector<wchar_t> name(kNameCapacity, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_ != nullptr ? owner_ : GetActiveWindow();
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&dialog) == FALSE) {
        return std::nullopt;
    }
    auto chosen = platform::wideToGbk(std::wstring_view(name.data()));
    if (!chosen) {
        return std::nullopt;
    }
    return std::move(*chosen);
}

}  // namespace ardentis::win32
