#include "tests/win32/raw_registry.h"

#include <windows.h>

#include <stdexcept>

namespace ardentis::testing {
namespace {

HKEY rootOf(RawHive hive) {
    return hive == RawHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM viewOf(RawHive hive) {
    return hive == RawHive::LocalMachine ? KEY_WOW64_32KEY : 0;
}

}  // namespace

std::optional<RawValue> readRawValue(RawHive hive, const std::wstring& path,
                                     const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(rootOf(hive), path.c_str(), 0, KEY_READ | viewOf(hive), &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (status == ERROR_SUCCESS) {
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0') {
        data.pop_back();
    }
    return RawValue{type, type == REG_SZ ? data : std::wstring()};
}

void writeRawText(RawHive hive, const std::wstring& path, const std::wstring& name,
                  const std::wstring& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(rootOf(hive), path.c_str(), 0, nullptr, 0, KEY_WRITE | viewOf(hive),
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("RegCreateKeyExW failed");
    }
    const LSTATUS status =
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("RegSetValueExW failed");
    }
}

void deleteRawTree(RawHive hive, const std::wstring& path) {
    HKEY parent = nullptr;
    const std::size_t cut = path.rfind(L'\\');
    const std::wstring parentPath = cut == std::wstring::npos ? L"" : path.substr(0, cut);
    const std::wstring leaf = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (RegOpenKeyExW(rootOf(hive), parentPath.c_str(), 0, KEY_ALL_ACCESS | viewOf(hive),
                      &parent) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteTreeW(parent, leaf.c_str());
    RegDeleteKeyExW(parent, leaf.c_str(), viewOf(hive), 0);
    RegCloseKey(parent);
}

}  // namespace ardentis::testing
