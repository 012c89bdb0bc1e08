#include "text/shown.h"

#include <atomic>
#include <string>
#include <unordered_map>

#include "text/catalogue_table.h"
#include "text/code_page.h"

namespace ardentis::text {
namespace {

// Set once at start, read by every thread that makes a text.
std::atomic<Language> chosen{Language::Chinese};

}  // namespace

void setLanguage(Language language) noexcept {
    chosen.store(language, std::memory_order_relaxed);
}

Language language() noexcept {
    return chosen.load(std::memory_order_relaxed);
}

Language languageNamed(const Gbk& stored) noexcept {
    return stored.view() == "en" ? Language::English : Language::Chinese;
}

Gbk languageName(Language language) {
    return Gbk(language == Language::English ? "en" : "zh");
}

std::optional<std::size_t> catalogueIndex(std::string_view chineseUtf8) {
    static const auto index = [] {
        std::unordered_map<std::string_view, std::size_t> made;
        const auto entries = catalogue();
        for (std::size_t at = 0; at < entries.size(); ++at) {
            made.emplace(entries[at].chinese, at);
        }
        return made;
    }();
    const auto found = index.find(chineseUtf8);
    if (found == index.end()) {
        return std::nullopt;
    }
    return found->second;
}

Gbk shownText(const Gbk& chinese) {
    if (language() == Language::Chinese) {
        return chinese;
    }
    const auto utf8 = toUtf8(chinese);
    if (!utf8) {
        return chinese;
    }
    return englishText(*utf8).value_or(chinese);
}

}  // namespace ardentis::text
