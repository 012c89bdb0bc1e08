#pragma once

#include <string>
#include <string_view>

namespace ardentis::server::log {

// One line per event on stderr, written with a single call so lines from the hash
// worker and the event loop never interleave. Callers never pass a password.
void line(std::string_view event);

// A wire text (GBK bytes) made safe for the log: shown as UTF-8 where it converts,
// with control characters, backslashes and unconvertible bytes escaped as \xNN.
[[nodiscard]] std::string text(std::string_view gbk);

// Plain ASCII/UTF-8 text (addresses, reasons) with control characters escaped.
[[nodiscard]] std::string plain(std::string_view text);

}  // namespace ardentis::server::log
