#include "platform/fake/fake_registry.h"

#include <utility>

namespace ardentis::platform {
namespace {

constexpr int kAccessDenied = 5;
constexpr int kFileNotFound = 2;

// Windows compares key and value names without regard to the case of A-Z.
std::string folded(std::string_view name) {
    std::string result(name);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

RegistryError missing(const char* api) {
    return {RegistryFault::Missing, {api, kFileNotFound}};
}

class FakeRegistryKey final : public RegistryKey {
  public:
    FakeRegistryKey(FakeRegistry& registry, std::string id, RegistryHive hive, std::string path,
                    bool writable)
        : registry_(registry),
          id_(std::move(id)),
          hive_(hive),
          path_(std::move(path)),
          writable_(writable) {}

    [[nodiscard]] std::expected<text::Gbk, RegistryError> readText(
        std::string_view name) const override {
        const FakeRegistry::Value* value = registry_.find(id_, name);
        if (value == nullptr) {
            return std::unexpected(missing("RegQueryValueExW"));
        }
        if (value->kind != RegistryValueKind::Text) {
            return std::unexpected(
                RegistryError{RegistryFault::WrongType, {"RegQueryValueExW", 0}});
        }
        return value->text;
    }

    [[nodiscard]] std::expected<void, RegistryError> writeText(std::string_view name,
                                                               const text::Gbk& value) override {
        if (!writable_) {
            return std::unexpected(
                RegistryError{RegistryFault::System, {"RegSetValueExW", kAccessDenied}});
        }
        registry_.store(id_, hive_, path_, name, {RegistryValueKind::Text, value, 0}, true);
        return {};
    }

    [[nodiscard]] std::expected<std::uint32_t, RegistryError> readDword(
        std::string_view name) const override {
        const FakeRegistry::Value* value = registry_.find(id_, name);
        if (value == nullptr) {
            return std::unexpected(missing("RegQueryValueExW"));
        }
        if (value->kind != RegistryValueKind::Dword) {
            return std::unexpected(
                RegistryError{RegistryFault::WrongType, {"RegQueryValueExW", 0}});
        }
        return value->dword;
    }

    [[nodiscard]] std::expected<void, RegistryError> writeDword(std::string_view name,
                                                                std::uint32_t value) override {
        if (!writable_) {
            return std::unexpected(
                RegistryError{RegistryFault::System, {"RegSetValueExW", kAccessDenied}});
        }
        registry_.store(id_, hive_, path_, name, {RegistryValueKind::Dword, {}, value}, true);
        return {};
    }

  private:
    FakeRegistry& registry_;
    std::string id_;
    RegistryHive hive_;
    std::string path_;
    bool writable_;
};

}  // namespace

std::string FakeRegistry::keyId(RegistryHive hive, std::string_view path) {
    return (hive == RegistryHive::LocalMachine ? "HKLM\\" : "HKCU\\") + folded(path);
}

void FakeRegistry::makeKey(RegistryHive hive, std::string_view path) {
    // Every parent exists once a key does.
    for (std::size_t cut = path.find('\\'); cut != std::string_view::npos;
         cut = path.find('\\', cut + 1)) {
        keys_[keyId(hive, path.substr(0, cut))];
    }
    keys_[keyId(hive, path)];
}

std::expected<std::unique_ptr<RegistryKey>, RegistryError> FakeRegistry::openKey(
    RegistryHive hive, std::string_view path) {
    if (refuseAccess_) {
        return std::unexpected(
            RegistryError{RegistryFault::System, {"RegOpenKeyExW", kAccessDenied}});
    }
    std::string id = keyId(hive, path);
    if (!keys_.contains(id)) {
        return std::unexpected(missing("RegOpenKeyExW"));
    }
    return std::make_unique<FakeRegistryKey>(*this, std::move(id), hive, std::string(path), false);
}

std::expected<std::unique_ptr<RegistryKey>, RegistryError> FakeRegistry::createKey(
    RegistryHive hive, std::string_view path) {
    if (refuseAccess_) {
        return std::unexpected(
            RegistryError{RegistryFault::System, {"RegCreateKeyExW", kAccessDenied}});
    }
    makeKey(hive, path);
    return std::make_unique<FakeRegistryKey>(*this, keyId(hive, path), hive, std::string(path),
                                             true);
}

const FakeRegistry::Value* FakeRegistry::find(const std::string& key, std::string_view name) const {
    const auto values = keys_.find(key);
    if (values == keys_.end()) {
        return nullptr;
    }
    const auto value = values->second.find(folded(name));
    return value == values->second.end() ? nullptr : &value->second;
}

void FakeRegistry::store(const std::string& key, RegistryHive hive, std::string_view path,
                         std::string_view name, Value value, bool journal) {
    keys_[key][folded(name)] = std::move(value);
    if (journal) {
        writes_.push_back(
            {hive, std::string(path), std::string(name), keys_[key][folded(name)].kind});
    }
}

void FakeRegistry::setText(RegistryHive hive, std::string_view path, std::string_view name,
                           const text::Gbk& value) {
    makeKey(hive, path);
    store(keyId(hive, path), hive, path, name, {RegistryValueKind::Text, value, 0}, false);
}

void FakeRegistry::setDword(RegistryHive hive, std::string_view path, std::string_view name,
                            std::uint32_t value) {
    makeKey(hive, path);
    store(keyId(hive, path), hive, path, name, {RegistryValueKind::Dword, {}, value}, false);
}

std::optional<text::Gbk> FakeRegistry::text(RegistryHive hive, std::string_view path,
                                            std::string_view name) const {
    const Value* value = find(keyId(hive, path), name);
    if (value == nullptr || value->kind != RegistryValueKind::Text) {
        return std::nullopt;
    }
    return value->text;
}

std::optional<RegistryValueKind> FakeRegistry::kindOf(RegistryHive hive, std::string_view path,
                                                      std::string_view name) const {
    const Value* value = find(keyId(hive, path), name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return value->kind;
}

bool FakeRegistry::hasKey(RegistryHive hive, std::string_view path) const {
    return keys_.contains(keyId(hive, path));
}

}  // namespace ardentis::platform
