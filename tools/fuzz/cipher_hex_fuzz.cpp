// The cipher's hex form as a stored setting or a peer's password field holds it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/des.h"
#include "tools/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    namespace des = protocol::des;
    fuzz::FuzzInput input(data, size);
    const std::string_view key = input.text();
    const std::string_view hex = input.text();
    const std::string_view plain = input.text();
    try {
        const std::string deciphered = des::DecryptHex(hex, key);
        fuzz::check(deciphered.size() <= hex.size() / 2 + 8, "deciphering made bytes up");
    } catch (const des::CipherError& error) {
        // Not hex: the callers report it, with a reason.
        fuzz::check(*error.what() != '\0', "a refusal without a reason");
    }
    if (!plain.empty() && plain.back() != '\0') {
        fuzz::check(des::DecryptHex(des::EncryptHex(plain, key), key) == plain,
                    "a text does not come back from its hex form");
    }
    return 0;
}
