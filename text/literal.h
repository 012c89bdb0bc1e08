#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "text/code_page.h"
#include "text/gbk.h"

namespace ardentis::text {

// A string literal as a template argument.
template <std::size_t N>
struct Utf8Literal {
    char data[N]{};
    constexpr Utf8Literal(const char (&literal)[N]) {  // NOLINT(google-explicit-constructor)
        std::copy_n(literal, N, data);
    }
    [[nodiscard]] constexpr std::string_view view() const { return {data, N - 1}; }
};

// A text literal written in UTF-8 source, converted to GBK once, on first use:
// `zh<"游戏大厅>>">()`.
template <Utf8Literal S>
const Gbk& zh() {
    static const Gbk converted = gbk(S.view());
    return converted;
}

}  // namespace ardentis::text
