#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/gbk.h"
#include "text/literal.h"

namespace ardentis::text {

// The language of what the user reads. Chosen once at start, before any window; what travels
// on the wire, or what peers match on, stays Chinese whatever it is.
enum class Language : std::uint8_t { Chinese, English };

void setLanguage(Language language) noexcept;
[[nodiscard]] Language language() noexcept;

// The stored choice ("en" for English; anything else, or nothing, is Chinese) and back.
[[nodiscard]] Language languageNamed(const Gbk& stored) noexcept;
[[nodiscard]] Gbk languageName(Language language);

// The English text of a Chinese text of the catalogue (UTF-8 key), as GBK; nothing when the
// catalogue has none. Per OS: the resources' string table on Windows, the generated table
// elsewhere.
[[nodiscard]] std::optional<Gbk> englishText(std::string_view chineseUtf8);

// A text the user reads, in the chosen language: the Chinese one, or its English text when
// there is one. For texts that are not literals (the dialogs' own).
[[nodiscard]] Gbk shownText(const Gbk& chinese);

// A literal text the user reads: `shown<"确定">()`. In Chinese it is exactly zh<>; in English
// it is the catalogue's English text, or the Chinese one where that is missing.
template <Utf8Literal S>
const Gbk& shown() {
    if (language() == Language::Chinese) {
        return zh<S>();
    }
    static const Gbk english = englishText(S.view()).value_or(zh<S>());
    return english;
}

}  // namespace ardentis::text
