// Cross-checks the cipher against the system's openssl command on random texts and keys.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/des.h"

namespace ardentis::protocol::des {
namespace {

std::string hexOf(std::string_view bytes) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string hex;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        hex += kDigits[value >> 4U];
        hex += kDigits[value & 0xFU];
    }
    return hex;
}

// The 8-byte DES key of a key text as openssl wants it: NUL-padded, first eight bytes.
std::string desKeyHex(std::string key) {
    key.resize(8, '\0');
    return hexOf(key);
}

// Runs `openssl enc -des-ecb` on whole blocks, without padding; nullopt when it fails.
std::optional<std::string> opensslEncrypt(std::string_view blocks, const std::string& keyHex) {
    // printf's octal escapes carry every byte, NUL included, through the shell.
    std::string command = "printf '";
    for (const char byte : blocks) {
        std::array<char, 8> escape{};
        std::snprintf(escape.data(), escape.size(), "\\%03o", static_cast<unsigned char>(byte));
        command += escape.data();
    }
    command += "' | openssl enc -des-ecb -provider legacy -provider default -nopad -K ";
    command += keyHex;
    command += " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    std::array<char, 256> buffer{};
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        out.append(buffer.data(), count);
    }
    if (pclose(pipe) != 0) {
        return std::nullopt;
    }
    return out;
}

TEST(DesOpenssl, RandomTextsAndKeysMatchOpenssl) {
    const auto probe = opensslEncrypt("\x01\x23\x45\x67\x89\xAB\xCD\xEF", "133457799BBCDFF1");
    if (!probe.has_value()) {
        GTEST_SKIP() << "the openssl command with its legacy provider is not available";
    }
    ASSERT_EQ(hexOf(*probe), "85E813540F0AB405");

    std::mt19937 random(20240607U);
    const auto below = [&random](std::uint32_t bound) {
        return static_cast<std::size_t>(random() % bound);
    };
    const auto randomBytes = [&](std::size_t length) {
        std::string out(length, '\0');
        for (char& byte : out) {
            byte = static_cast<char>(below(256));
        }
        return out;
    };
    // ECB enciphers every block on its own, so the texts of one key share one openssl run.
    constexpr int kKeys = 120;
    constexpr int kTextsPerKey = 3;
    for (int round = 0; round < kKeys; ++round) {
        const std::string key = randomBytes(below(13));  // 0..12 bytes: padded and cut alike
        std::vector<std::string> texts;
        std::string padded;
        for (int i = 0; i < kTextsPerKey; ++i) {
            std::string text = randomBytes(1 + below(40));
            if (text.back() == '\0') {
                text.back() = 'z';
            }
            texts.push_back(text);
            text.resize((text.size() + 7) / 8 * 8, '\0');
            padded += text;
        }
        const auto expected = opensslEncrypt(padded, desKeyHex(key));
        ASSERT_TRUE(expected.has_value());
        ASSERT_EQ(expected->size(), padded.size());
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
