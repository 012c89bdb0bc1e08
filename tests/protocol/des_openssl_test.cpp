// Cross-checks the cipher against the system's openssl command on random texts and keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

#include "protocol/des.h"

namespace ardentis::protocol::des {
namespace {

// Runs `openssl enc -des-ecb` without padding on `text` NUL-padded to whole blocks, under the
// key text NUL-padded and cut to eight bytes; nothing when it fails.
std::optional<std::string> opensslEncrypt(std::string text, std::string key) {
    text.resize((text.size() + 7) / 8 * 8, '\0');
    key.resize(8, '\0');
    std::string command = "printf '";  // octal escapes carry every byte, NUL included
    char piece[8];
    for (const char byte : text) {
        std::snprintf(piece, sizeof piece, "\\%03o", static_cast<unsigned char>(byte));
        command += piece;
    }
    command += "' | openssl enc -des-ecb -provider legacy -provider default -nopad -K ";
    for (const char byte : key) {
        std::snprintf(piece, sizeof piece, "%02X", static_cast<unsigned char>(byte));
        command += piece;
    }
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    std::string out;
    for (int c = 0; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) {
        out += static_cast<char>(c);
    }
    return pipe != nullptr && ::pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

TEST(DesOpenssl, RandomTextsAndKeysMatchOpenssl) {
    if (!opensslEncrypt("probe", "key")) {
        GTEST_SKIP() << "the openssl command with its legacy provider is not available";
    }
    std::mt19937 random(20240607U);
    const auto randomBytes = [&](std::size_t length) {
        std::string out(length, '\0');
        std::ranges::generate(out, [&] { return static_cast<char>(random()); });
        return out;
    };
    for (int round = 0; round < 120; ++round) {
        const std::string key = randomBytes(random() % 13);  // 0..12 bytes: padded and cut alike
        std::string text = randomBytes(1 + random() % 40);
        text.back() = text.back() == '\0' ? 'z' : text.back();  // a last NUL cannot come back
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string cipher = EncryptText(text, key);
        EXPECT_EQ(opensslEncrypt(text, key), cipher);
        EXPECT_EQ(DecryptText(cipher, key), text);
    }
}

}  // namespace
}  // namespace ardentis::protocol::des
