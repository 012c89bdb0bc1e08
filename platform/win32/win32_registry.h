#pragma once

#include "platform/registry.h"

namespace ardentis::platform {

// The Windows registry through the wide API, texts converted with code page 936 explicitly.
// Keys are opened in the 32-bit view, where the games' installers, being 32-bit programs,
// wrote their entries.
class Win32Registry final : public Registry {
  public:
    [[nodiscard]] std::expected<std::unique_ptr<RegistryKey>, RegistryError> openKey(
        RegistryHive hive, std::string_view path) override;
    [[nodiscard]] std::expected<std::unique_ptr<RegistryKey>, RegistryError> createKey(
        RegistryHive hive, std::string_view path) override;
};

}  // namespace ardentis::platform
