// Code page 936 and UTF-8 texts from peers, files and the registry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/code_page.h"
#include "text/gbk.h"
#include "tools/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // As GBK: what converts must come back to the same bytes.
    if (const auto utf8 = text::toUtf8(text::Gbk(bytes))) {
        fuzz::check(text::isValidUtf8(*utf8), "a conversion made invalid UTF-8");
        const auto back = text::fromUtf8(*utf8);
        fuzz::check(back.has_value() && back->bytes() == bytes, "GBK does not round-trip");
    }
    // As UTF-8: only valid UTF-8 may convert.
    if (const auto gbk = text::fromUtf8(bytes)) {
        fuzz::check(text::isValidUtf8(bytes), "invalid UTF-8 was converted");
    }
    return 0;
}
