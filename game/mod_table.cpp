#include "game/mod_table.h"

#include <array>
#include <string>

namespace ardentis::game {
namespace {

constexpr std::array<std::string_view, 28> kBuiltinMods = {
    "00:OTA3.1;totala.exe",
    "01:TA32ISE&TA32I;tacnse.exe,taense.exe",
    "02:TA33SE&TA33;33cnse.exe,33ense.exe",
    "21:TA33A;TA33A.exe",
    "22:TA33B;TA33B.exe",
    "23:TA34A;TA34A.exe",
    "24:TA34B;TA34B.exe",
    "25:TA35A;TA35A.exe",
    "26:TA35B;TA35B.exe",
    "31:TAAC1.2(Arm Counterstrik);taac12.exe",
    "32:TAAC1.3(Arm Counterstrik);taac13.exe",
    "33:TAAC1.4(Arm Counterstrik);taac14.exe",
    "34:TAAC1.5(Arm Counterstrik);taac15.exe",
    "35:TAAC1.6(Arm Counterstrik);taac16.exe",
    "04:ULTIMATE TA 0.4;UTA.EXE",
    "05:Absulate Annihilation 6.0;TAAA.exe",
    "06:TAWP;TAWP.exe",
    "07:TAUCP;taucp.exe",
    "08:Uberhack4.0;uberhack.exe",
    "09:UTASP;utasp.exe",
    "10:TAWD;tawd.exe",
    "11:Final Frontier;TAff.exe",
    "12:Talon;talon.exe",
    "13:The lost legend;tll.exe",
    "14:Star War TA;swta.exe",
    "15:War At Sea;was.exe",
    "16:Gundam Annihilation;Gundam.exe",
    "SC:SupremeCommander;Supremecommander.exe",
};

const text::Gbk kSupremeCommanderCode("SC");
const text::Gbk kModsFileName("mods.txt");

// Nothing is trimmed: spaces belong to the code, the name or the file name.
void parseLine(std::string_view line, std::vector<TModItem>& entries) {
    if (line.empty() || line.front() == '#') {
        return;
    }
    const std::size_t colon = line.find(':');
    const std::size_t semicolon = line.find(';');
    if (colon == std::string_view::npos || semicolon == std::string_view::npos) {
        return;
    }
    TModItem entry;
    entry.code = text::Gbk(line.substr(0, colon));
    // A ";" before the ":" leaves the name empty.
    if (semicolon > colon) {
        entry.name = text::Gbk(line.substr(colon + 1, semicolon - colon - 1));
    }
    TModList::SplitText(text::Gbk(line.substr(semicolon + 1)), ',', entry.exes);
    entries.push_back(std::move(entry));
}

// Lines end at CR, LF or CR LF.
std::vector<TModItem> parseText(std::string_view content) {
    std::vector<TModItem> entries;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        parseLine(content.substr(0, end), entries);
        if (end == std::string_view::npos) {
            break;
        }
        const std::size_t next = content.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        content.remove_prefix(next);
    }
    return entries;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

TModList::TModList(const settings::Toptions& options, const platform::FileSystem& files)
    : options_(options), files_(files) {
    LoadBuiltinMods();
    if (auto directory = files_.executableDirectory()) {
        LoadModsFile(*directory + kModsFileName);
    }
}

void TModList::LoadBuiltinMods() {
    for (const std::string_view line : kBuiltinMods) {
        parseLine(line, items_);
    }
}

void TModList::LoadModsFile(const text::Gbk& path) {
    if (!files_.fileExists(path)) {
        return;
    }
    auto content = files_.readFile(path);
    if (!content) {
        return;
    }
    fileitems_ = parseText(*content);
    // The first definition of a code wins: the file adds mods but never changes one.
    for (const TModItem& entry : fileitems_) {
        const int found = IndexOfCode(entry.code);
        if (found < 0) {
            items_.push_back(entry);
        } else {
            items_[static_cast<std::size_t>(found)].infile = true;
        }
    }
}

int TModList::IndexOfCode(const text::Gbk& code) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

text::Gbk TModList::GetCodeByName(const text::Gbk& name) const {
    text::Gbk code;
    for (const TModItem& entry : items_) {
        if (equalIgnoringAsciiCase(entry.name.view(), name.view())) {
            code = entry.code;
        }
    }
    return code;
}

text::Gbk TModList::GetNameByCode(const text::Gbk& code) const {
    const int found = IndexOfCode(code);
    return found < 0 ? text::Gbk() : items_[static_cast<std::size_t>(found)].name;
}

text::Gbk TModList::GetModExePath(const text::Gbk& code) const {
    if (options_.TAdir.empty() && options_.SPCdir.empty()) {
        return {};
    }
    const int found = IndexOfCode(code);
    if (found < 0) {
        return {};
    }
    const TModItem& entry = items_[static_cast<std::size_t>(found)];
    const text::Gbk& directory =
        entry.code == kSupremeCommanderCode ? options_.SPCdir : options_.TAdir;
    for (const text::Gbk& exe : entry.exes) {
        text::Gbk candidate = directory + exe;
        if (files_.fileExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

int TModList::FillInstalledMods(std::vector<text::Gbk>& list) const {
    list.clear();
    for (const TModItem& entry : items_) {
        if (!GetModExePath(entry.code).empty()) {
            list.push_back(entry.name);
        }
    }
    return static_cast<int>(list.size());
}

const TModItem* TModList::ModAt(std::size_t index) const {
    return index < items_.size() ? &items_[index] : nullptr;
}

void TModList::SplitText(const text::Gbk& text, char separator, std::vector<text::Gbk>& list) {
    const std::string_view rest = text.view();
    if (rest.find(',') == std::string_view::npos) {
        list.push_back(text);
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == separator) {
            list.emplace_back(rest.substr(start, i - start));
            start = i + 1;
        }
    }
    list.emplace_back(rest.substr(start));
}

}  // namespace ardentis::game
