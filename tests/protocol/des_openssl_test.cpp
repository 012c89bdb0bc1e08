// Cross-checks the cipher against the system's openssl command on random texts and keys.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "protocol/des.h"

namespace ardentis::protocol::des {
namespace {

std::string hexOf(std::string_view bytes) {
    std::string hex;
    for (const char byte : bytes) {
        hex += "0123456789ABCDEF"[static_cast<unsigned char>(byte) >> 4U];
        hex += "0123456789ABCDEF"[static_cast<unsigned char>(byte) & 0xFU];
    }
    return hex;
}

// Runs `openssl enc -des-ecb` on whole blocks without padding, under the key text NUL-padded
// and cut to eight bytes; nothing when it fails.
std::optional<std::string> opensslEncrypt(std::string_view blocks, std::string key) {
    key.resize(8, '\0');
    std::string command = "printf '";  // octal escapes carry every byte, NUL included
    for (const char byte : blocks) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned char>(byte));
        command += escape;
    }
    command += "' | openssl enc -des-ecb -provider legacy -provider default -nopad -K " +
               hexOf(key) + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    for (int c = 0; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) {
        out += static_cast<char>(c);
    }
    if (pipe == nullptr || ::pclose(pipe) != 0) {
        return std::nullopt;
    }
    return out;
}

TEST(DesOpenssl, RandomTextsAndKeysMatchOpenssl) {
    const auto probe =
        opensslEncrypt("\x01\x23\x45\x67\x89\xAB\xCD\xEF", "\x13\x34\x57\x79\x9B\xBC\xDF\xF1");
    if (!probe) {
        GTEST_SKIP() << "the openssl command with its legacy provider is not available";
    }
    ASSERT_EQ(hexOf(*probe), "85E813540F0AB405");
    std::mt19937 random(20240607U);
    const auto randomBytes = [&](std::size_t length) {
        std::string out(length, '\0');
        for (char& byte : out) {
            byte = static_cast<char>(random());
        }
        return out;
    };
    // ECB enciphers every block on its own, so the texts of one key share one openssl run.
    for (int round = 0; round < 120; ++round) {
        const std::string key = randomBytes(random() % 13);  // 0..12 bytes: padded and cut alike
        std::vector<std::string> texts;
        std::string padded;
        for (int i = 0; i < 3; ++i) {
            std::string text = randomBytes(1 + random() % 40);
            text.back() = text.back() == '\0' ? 'z' : text.back();
            texts.push_back(text);
            text.resize((text.size() + 7) / 8 * 8, '\0');
            padded += text;
        }
        const auto expected = opensslEncrypt(padded, key);
        ASSERT_TRUE(expected && expected->size() == padded.size());
        std::size_t offset = 0;
        for (const std::string& text : texts) {
            SCOPED_TRACE("key " + hexOf(key) + ", text " + hexOf(text));
            const std::string cipher = EncryptText(text, key);
            EXPECT_EQ(hexOf(cipher), hexOf(expected->substr(offset, cipher.size())));
            EXPECT_EQ(DecryptText(cipher, key), text);
            offset += cipher.size();
        }
    }
}

}  // namespace
}  // namespace ardentis::protocol::des
