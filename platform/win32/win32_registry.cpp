#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/win32/wide_text.h"

namespace ardentis::platform {
namespace {

HKEY rootOf(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

RegistryError failure(const char* api, LSTATUS status) {
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
        return {RegistryFault::Missing, {api, static_cast<int>(status)}};
    }
    return {RegistryFault::System, {api, static_cast<int>(status)}};
}

RegistryError unconvertible(const char* api) {
    return {RegistryFault::Unconvertible, {api, 0}};
}

// One open key, closed with the object.
class Win32RegistryKey final : public RegistryKey {
  public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    [[nodiscard]] std::expected<text::Gbk, RegistryError> readText(
        std::string_view name) const override {
        auto wideName = gbkToWide(name);
        if (!wideName) {
            return std::unexpected(unconvertible("RegQueryValueExW"));
        }
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = RegQueryValueExW(key_, wideName->c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) {
            return std::unexpected(failure("RegQueryValueExW", status));
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            return std::unexpected(
                RegistryError{RegistryFault::WrongType, {"RegQueryValueExW", 0}});
        }
        // Room for a terminator the stored value may lack.
        std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key_, wideName->c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(value.data()), &size);
        if (status != ERROR_SUCCESS) {
            return std::unexpected(failure("RegQueryValueExW", status));
        }
        value.resize(size / sizeof(wchar_t));
        while (!value.empty() && value.back() == L'\0') {
            value.pop_back();
        }
        auto bytes = wideToGbk(value);
        if (!bytes) {
            return std::unexpected(unconvertible("WideCharToMultiByte"));
        }
        return *std::move(bytes);
    }

    [[nodiscard]] std::expected<void, RegistryError> writeText(std::string_view name,
                                                               const text::Gbk& value) override {
        auto wideName = gbkToWide(name);
        auto wideValue = gbkToWide(value.view());
        if (!wideName || !wideValue) {
            return std::unexpected(unconvertible("MultiByteToWideChar"));
        }
        const auto size = static_cast<DWORD>((wideValue->size() + 1) * sizeof(wchar_t));
        const LSTATUS status =
            RegSetValueExW(key_, wideName->c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(wideValue->c_str()), size);
        if (status != ERROR_SUCCESS) {
            return std::unexpected(failure("RegSetValueExW", status));
        }
        return {};
    }

    [[nodiscard]] std::expected<std::uint32_t, RegistryError> readDword(
        std::string_view name) const override {
        auto wideName = gbkToWide(name);
        if (!wideName) {
            return std::unexpected(unconvertible("RegQueryValueExW"));
        }
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const LSTATUS status = RegQueryValueExW(key_, wideName->c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(&value), &size);
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && type != REG_DWORD)) {
            return std::unexpected(
                RegistryError{RegistryFault::WrongType, {"RegQueryValueExW", 0}});
        }
        if (status != ERROR_SUCCESS) {
            return std::unexpected(failure("RegQueryValueExW", status));
        }
        return static_cast<std::uint32_t>(value);
    }

    [[nodiscard]] std::expected<void, RegistryError> writeDword(std::string_view name,
                                                                std::uint32_t value) override {
        auto wideName = gbkToWide(name);
        if (!wideName) {
            return std::unexpected(unconvertible("MultiByteToWideChar"));
        }
        const DWORD data = value;
        const LSTATUS status = RegSetValueExW(key_, wideName->c_str(), 0, REG_DWORD,
                                              reinterpret_cast<const BYTE*>(&data), sizeof(data));
        if (status != ERROR_SUCCESS) {
            return std::unexpected(failure("RegSetValueExW", status));
        }
        return {};
    }

  private:
    HKEY key_;
};

}  // namespace

std::expected<std::unique_ptr<RegistryKey>, RegistryError> Win32Registry::openKey(
    RegistryHive hive, std::string_view path) {
    auto widePath = gbkToWide(path);
    if (!widePath) {
        return std::unexpected(unconvertible("RegOpenKeyExW"));
    }
    HKEY key = nullptr;
    const LSTATUS status =
        RegOpenKeyExW(rootOf(hive), widePath->c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key);
    if (status != ERROR_SUCCESS) {
        return std::unexpected(failure("RegOpenKeyExW", status));
    }
    return std::make_unique<Win32RegistryKey>(key);
}

std::expected<std::unique_ptr<RegistryKey>, RegistryError> Win32Registry::createKey(
    RegistryHive hive, std::string_view path) {
    auto widePath = gbkToWide(path);
    if (!widePath) {
        return std::unexpected(unconvertible("RegCreateKeyExW"));
    }
    HKEY key = nullptr;
    const LSTATUS status =
        RegCreateKeyExW(rootOf(hive), widePath->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return std::unexpected(failure("RegCreateKeyExW", status));
    }
    return std::make_unique<Win32RegistryKey>(key);
}

}  // namespace ardentis::platform
