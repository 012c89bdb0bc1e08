// Every stored setting as the registry may hold it after another program, an old version
// or a damaged profile wrote it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "settings/options_store.h"
#include "settings/settings_record.h"
#include "tests/support/doubles.h"
#include "tools/fuzz/fuzz_input.h"

namespace ardentis::fuzz {
namespace {

bool same(const settings::Toptions& a, const settings::Toptions& b) {
    return a.usr == b.usr && a.pwd == b.pwd && a.TAdir == b.TAdir && a.SPCdir == b.SPCdir &&
           a.autologin == b.autologin && a.host == b.host && a.port == b.port &&
           a.checkfile == b.checkfile && a.vnntype == b.vnntype;
}

}  // namespace
}  // namespace ardentis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    using platform::RegistryHive;
    constexpr std::array<std::string_view, 9> kNames = {
        "usr", "pwd", "autologin", "TAdir", "SPCdir", "host", "port", "checkfile", "vnntype"};
    fuzz::FuzzInput input(data, size);
    platform::FakeRegistry registry;
    for (const std::string_view name : kNames) {
        const std::uint8_t how = input.byte();
        if (how % 4 == 1) {
            registry.setText(RegistryHive::CurrentUser, settings::kOptionsSection, name,
                             text::Gbk(input.text()));
        } else if (how % 4 == 2) {
            // A value of the wrong kind.
            registry.setDword(RegistryHive::CurrentUser, settings::kOptionsSection, name,
                              static_cast<std::uint32_t>(input.byte()) * 0x01010101U);
        }
    }
    registry.setText(RegistryHive::CurrentUser, settings::kRecorderSection, "TAdir",
                     text::Gbk(input.text()));
    registry.setText(RegistryHive::LocalMachine, settings::kSupremeCommanderUninstall,
                     "InstallLocation", text::Gbk(input.text()));

    platform::FakeFileSystem files;
    testing::RecordingInfoBox box;
    settings::OptionsStore store(registry, files, box);
    settings::Toptions loaded;
    (void)store.LoadOptions(loaded);
    (void)settings::portNumber(loaded.port);

    // What was loaded is what the options window saves; loading it again changes nothing.
    fuzz::check(store.saveOptions(loaded).has_value(), "the loaded settings cannot be saved");
    settings::Toptions again;
    const auto report = store.LoadOptions(again);
    fuzz::check(!report.pwdUnreadable && !report.vnntypeUnreadable,
                "saved settings read back as damaged");
    fuzz::check(fuzz::same(loaded, again), "saved settings read back differently");
    return 0;
}
