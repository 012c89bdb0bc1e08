#pragma once

#include <cstdint>

#include "text/fixed_text.h"

namespace ardentis::protocol {

// One lobby user. The password is clear text in memory and enciphered on the wire.
struct UserRecord {
    text::FixedText<20> account;
    text::FixedText<10> password;
    text::FixedText<50> nickname;
    text::FixedText<20> location;
    std::int8_t uflag = 0;
    std::int32_t uvalue1 = 0;
    std::int32_t uvalue2 = 0;
    std::int32_t uvalue3 = 0;

    friend bool operator==(const UserRecord&, const UserRecord&) = default;
};

}  // namespace ardentis::protocol
