#pragma once

#include "text/gbk.h"

namespace ardentis::text {

// Whether `part` occurs in `text`, ASCII letters in either case. Both are read as GBK
// characters, so a double-byte character's second byte never matches on its own.
[[nodiscard]] bool containsIgnoringAsciiCase(const Gbk& text, const Gbk& part);

}  // namespace ardentis::text
