#include "server/log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "text/code_page.h"

namespace ardentis::server::log {
namespace {

// Escapes control characters and backslashes; bytes >= 0x80 are kept when keepHigh.
std::string escape(std::string_view bytes, bool keepHigh) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f || c == '\\' || (c >= 0x80 && !keepHigh)) {
            out += "\\x";
            out += kHex[c >> 4U];
            out += kHex[c & 0x0fU];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace

void line(std::string_view event) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    const std::size_t used = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    std::string out(stamp, used);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ ", static_cast<int>(millis));
    out += fraction;
    out += event;
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
}

std::string text(std::string_view gbk) {
    auto utf8 = ardentis::text::toUtf8(ardentis::text::Gbk(gbk));
    if (utf8) {
        return escape(*utf8, true);
    }
    return escape(gbk, false);
}

std::string plain(std::string_view value) {
    return escape(value, ardentis::text::isValidUtf8(value));
}

}  // namespace ardentis::server::log
