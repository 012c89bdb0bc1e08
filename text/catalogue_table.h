#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace ardentis::text {

// One shown text: the Chinese text (UTF-8, the key) and its English text (UTF-8; empty where
// it is missing, and in the Windows build, where the resources hold it).
struct CatalogueEntry {
    std::string_view chinese;
    std::string_view english;
};

// The texts' string ids start here, in catalogue order (text/catalogue.py).
inline constexpr int kFirstShownTextId = 0x6000;

// The catalogue, generated from text/catalogue.tsv.
[[nodiscard]] std::span<const CatalogueEntry> catalogue();

// The index of a Chinese text in the catalogue.
[[nodiscard]] std::optional<std::size_t> catalogueIndex(std::string_view chineseUtf8);

}  // namespace ardentis::text
