// The English texts from the generated table, for the native build.
#include "text/catalogue_table.h"
#include "text/code_page.h"
#include "text/shown.h"

namespace ardentis::text {

std::optional<Gbk> englishText(std::string_view chineseUtf8) {
    const auto at = catalogueIndex(chineseUtf8);
    if (!at || catalogue()[*at].english.empty()) {
        return std::nullopt;
    }
    auto converted = fromUtf8(catalogue()[*at].english);
    if (!converted) {
        return std::nullopt;
    }
    return *std::move(converted);
}

}  // namespace ardentis::text
