#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <string_view>

#include "platform/registry_key.h"

namespace ardentis::platform {

enum class RegistryHive : std::uint8_t { CurrentUser, LocalMachine };

// The system registry. Key paths are code page 936 bytes relative to the hive, with
// backslashes, compared without regard to the case of A-Z as Windows does.
class Registry {
  public:
    virtual ~Registry() = default;
    // Opens an existing key for reading; RegistryFault::Missing when it does not exist.
    [[nodiscard]] virtual std::expected<std::unique_ptr<RegistryKey>, RegistryError> openKey(
        RegistryHive hive, std::string_view path) = 0;
    // Opens a key for reading and writing, creating it and its missing parents.
    [[nodiscard]] virtual std::expected<std::unique_ptr<RegistryKey>, RegistryError> createKey(
        RegistryHive hive, std::string_view path) = 0;
};

}  // namespace ardentis::platform
