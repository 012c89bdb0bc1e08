// A mods.txt beside the executable, as a user or a mod's installer wrote it.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "game/mod_table.h"
#include "platform/fake/fake_file_system.h"
#include "settings/settings_record.h"
#include "tools/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    settings::Toptions options;
    options.TAdir = text::Gbk("C:\\TA\\");
    options.SPCdir = text::Gbk("C:\\SC\\");
    platform::FakeFileSystem files;
    files.setExecutableDirectory(text::Gbk("C:\\Ardentis\\"));
    const game::TModList builtIn(options, files);

    files.addFile(text::Gbk("C:\\Ardentis\\mods.txt"),
                  std::string(reinterpret_cast<const char*>(data), size));
    files.addFile(text::Gbk("C:\\TA\\totala.exe"));
    const game::TModList table(options, files);

    // The file adds mods; it never changes or hides a built-in one.
    const auto& items = table.items();
    fuzz::check(items.size() >= builtIn.items().size(), "the file removed a mod");
    std::set<std::string> codes;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < builtIn.items().size()) {
            const auto& before = builtIn.items()[i];
            fuzz::check(items[i].code == before.code && items[i].name == before.name &&
                            items[i].exes == before.exes,
                        "the file changed a built-in mod");
        }
        fuzz::check(codes.insert(items[i].code.bytes()).second, "a code is listed twice");
        fuzz::check(table.IndexOfCode(items[i].code) == static_cast<int>(i),
                    "a code is not found where it is");
        (void)table.GetModExePath(items[i].code);
        (void)table.GetCodeByName(items[i].name);
    }
    std::vector<text::Gbk> installed;
    fuzz::check(table.FillInstalledMods(installed) == static_cast<int>(installed.size()),
                "the installed count disagrees with the list");
    return 0;
}
