#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace ardentis::platform {

enum class RegistryValueKind : std::uint8_t { Text, Dword };

// One write made through a key, in the order the writes happened.
struct RegistryWrite {
    RegistryHive hive = RegistryHive::CurrentUser;
    std::string path;
    std::string name;
    RegistryValueKind kind = RegistryValueKind::Text;
};

// An in-memory registry that behaves like the real one where the client can tell: key
// paths and value names ignore the case of A-Z, creating a key creates its parents, a key
// opened for reading refuses writes, and a text value is not a DWORD nor the other way.
// Keys it hands out must not outlive it.
class FakeRegistry final : public Registry {
  public:
    [[nodiscard]] std::expected<std::unique_ptr<RegistryKey>, RegistryError> openKey(
        RegistryHive hive, std::string_view path) override;
    [[nodiscard]] std::expected<std::unique_ptr<RegistryKey>, RegistryError> createKey(
        RegistryHive hive, std::string_view path) override;

    // The test's own view, outside the journal of writes.
    void setText(RegistryHive hive, std::string_view path, std::string_view name,
                 const text::Gbk& value);
    void setDword(RegistryHive hive, std::string_view path, std::string_view name,
                  std::uint32_t value);
    [[nodiscard]] std::optional<text::Gbk> text(RegistryHive hive, std::string_view path,
                                                std::string_view name) const;
    [[nodiscard]] std::optional<RegistryValueKind> kindOf(RegistryHive hive, std::string_view path,
                                                          std::string_view name) const;
    [[nodiscard]] bool hasKey(RegistryHive hive, std::string_view path) const;
    [[nodiscard]] const std::vector<RegistryWrite>& writes() const { return writes_; }
    // Every later open or create fails as access denied.
    void refuseAccess(bool refuse) { refuseAccess_ = refuse; }

    // For the keys handed out.
    struct Value {
        RegistryValueKind kind = RegistryValueKind::Text;
        text::Gbk text;
        std::uint32_t dword = 0;
    };
    [[nodiscard]] const Value* find(const std::string& key, std::string_view name) const;
    void store(const std::string& key, RegistryHive hive, std::string_view path,
               std::string_view name, Value value, bool journal);

  private:
    static std::string keyId(RegistryHive hive, std::string_view path);
    void makeKey(RegistryHive hive, std::string_view path);

    std::map<std::string, std::map<std::string, Value>> keys_;
    std::vector<RegistryWrite> writes_;
    bool refuseAccess_ = false;
};

}  // namespace ardentis::platform
