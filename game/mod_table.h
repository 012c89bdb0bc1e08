#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "game/mod_item.h"
#include "platform/file_system.h"
#include "settings/settings_record.h"
#include "text/gbk.h"

namespace ardentis::game {

// The games and mods the client knows: the built-in list, extended by the optional
// mods.txt beside the executable. Codes compare as exact bytes, and the first entry with a
// code is the one that counts.
class TModList {
  public:
    // Both are borrowed and must outlive the table: the game directories are read from the
    // settings at every call, so answers follow the settings as they are then.
    TModList(const settings::Toptions& options, const platform::FileSystem& files);

    // The index of the first entry with the code, -1 when there is none.
    [[nodiscard]] int IndexOfCode(const text::Gbk& code) const;
    // The code of the last entry whose name equals the name, ignoring the case of A-Z
    // only; empty when none does.
    [[nodiscard]] text::Gbk GetCodeByName(const text::Gbk& name) const;
    // The name of the first entry with the code; empty when none.
    [[nodiscard]] text::Gbk GetNameByCode(const text::Gbk& code) const;
    // The first candidate executable of the code that exists as a file (in SPCdir for "SC",
    // in TAdir for the others); empty when the mod is not installed or the code is unknown.
    [[nodiscard]] text::Gbk GetModExePath(const text::Gbk& code) const;
    // Replaces the list's texts with the names of the installed entries, in table order;
    // returns how many there are.
    int FillInstalledMods(std::vector<text::Gbk>& list) const;
    // The entry at the index, or nullptr past the end; valid while the table lives.
    [[nodiscard]] const TModItem* ModAt(std::size_t index) const;

    // Appends the pieces of the text cut at every separator, empty pieces included. A text
    // without a comma is appended whole, as the table's executable lists are cut at commas.
    static void SplitText(const text::Gbk& text, char separator, std::vector<text::Gbk>& list);

    [[nodiscard]] const std::vector<TModItem>& items() const { return items_; }
    [[nodiscard]] const std::vector<TModItem>& fileitems() const { return fileitems_; }

  private:
    void LoadBuiltinMods();
    void LoadModsFile(const text::Gbk& path);

    const settings::Toptions& options_;
    const platform::FileSystem& files_;
    std::vector<TModItem> items_;
    std::vector<TModItem> fileitems_;
};

}  // namespace ardentis::game
