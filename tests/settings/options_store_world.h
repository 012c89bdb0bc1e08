#pragma once

#include <optional>
#include <string_view>

#include "controls/memory/memory_dialogs.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "settings/options_store.h"
#include "tests/platform/contracts.h"

namespace ardentis::testing {

// A registry and the files beside it, for the options store: the fakes, and on Windows the
// real registry with a scratch game directory.
struct StoreWorld {
    virtual ~StoreWorld() = default;
    virtual platform::Registry& registry() = 0;
    virtual platform::FileSystem& files() = 0;
    // A game directory of the world's own, ending with its separator.
    [[nodiscard]] virtual text::Gbk directory(std::string_view name) = 0;
    virtual void addFile(const text::Gbk& path) = 0;
};

class OptionsStoreTest : public Contract<StoreWorld> {
  protected:
    void SetUp() override {
        Contract<StoreWorld>::SetUp();
        store_.emplace(world().registry(), world().files(), box_);
    }
    void put(platform::RegistryHive hive, std::string_view path, std::string_view name,
             const text::Gbk& value) {
        auto key = world().registry().createKey(hive, path);
        ASSERT_TRUE(key.has_value());
        ASSERT_TRUE((*key)->writeText(name, value).has_value());
    }
    void stored(std::string_view name, const text::Gbk& value) {
        put(platform::RegistryHive::CurrentUser, settings::kOptionsSection, name, value);
    }
    [[nodiscard]] std::optional<text::Gbk> storedText(std::string_view name) {
        auto key = world().registry().openKey(platform::RegistryHive::CurrentUser,
                                              settings::kOptionsSection);
        return key ? (*key)->readText(name).value_or(text::Gbk("<missing>"))
                   : std::optional<text::Gbk>();
    }
    settings::Toptions load() {
        settings::Toptions options;
        report_ = store_->LoadOptions(options);
        return options;
    }

    forms::MemoryInfoBox box_;
    std::optional<settings::OptionsStore> store_;
    settings::OptionsLoadReport report_;
};

}  // namespace ardentis::testing
