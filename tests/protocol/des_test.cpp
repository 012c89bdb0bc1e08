#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "protocol/des.h"

namespace ardentis::protocol::des {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// Bytes from a hex text, decoded here rather than by the code under test.
std::string bytes(std::string_view hex) {
    const auto nibble = [](char c) {
        return c <= '9' ? c - '0' : (c <= 'F' ? c - 'A' + 10 : c - 'a' + 10);
    };
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
    }
    return out;
}

std::string withoutTrailingNul(std::string text) {
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

// Expects the cipher to refuse with exactly the given message.
template <typename Call>
void expectCipherError(Call call, std::string_view expected) {
    try {
        call();
        ADD_FAILURE() << "no CipherError; expected \"" << expected << "\"";
    } catch (const CipherError& error) {
        EXPECT_EQ(std::string_view(error.what()), expected);
    }
}

struct KnownAnswer {
    const char* key;
    const char* plain;
    const char* cipher;
};

// The worked example of the standard, the NBS validation sets (variable plain text,
// variable key, permutation and S-box tests) and other widely published vectors.
constexpr KnownAnswer kKnownAnswers[] = {
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"0101010101010101", "2000000000000000", "2E8653104F3834EA"},
    {"0101010101010101", "0000000000000001", "166B40B44ABA4BD6"},
    {"0101010101010101", "95F8A5E5DD31D900", "8000000000000000"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"4001010101010101", "0000000000000000", "0EEC1487DD8C26D5"},
    {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
    {"07A1133E4A0B2686", "0248D43806F67172", "868EBB51CAB4599A"},
    {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
    {"3000000000000000", "1000000000000001", "958E6E627A05557B"},
    {"1111111111111111", "1111111111111111", "F40379AB9E0EC533"},
    {"0123456789ABCDEF", "1111111111111111", "17668DFC7292532D"},
    {"1111111111111111", "0123456789ABCDEF", "8A5AE1F81AB8F2DD"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "ED39D950FA74BCC4"},
};

void PrintTo(const KnownAnswer& v, std::ostream* os) {
    *os << "key " << v.key << ", plain " << v.plain << ", cipher " << v.cipher;
}

class DesKnownAnswer : public testing::TestWithParam<KnownAnswer> {};

TEST_P(DesKnownAnswer, MatchesThePublishedBlock) {
    const KnownAnswer& v = GetParam();
    const std::string key = bytes(v.key);
    const std::string plain = bytes(v.plain);
    // A plain block ending in NUL cannot be enciphered as text; its deciphering still counts.
    if (plain.back() != '\0') {
        EXPECT_EQ(EncryptHex(plain, key), v.cipher);
    }
    EXPECT_EQ(DecryptText(bytes(v.cipher), key), withoutTrailingNul(plain));
}

INSTANTIATE_TEST_SUITE_P(Fips46, DesKnownAnswer, testing::ValuesIn(kKnownAnswers));

TEST(DesKey, ShortKeyIsPaddedWithNul) {
    // Key 30 00 00 00 00 00 00 00 of the published vectors is the one-character key text "0".
    EXPECT_EQ(EncryptHex(bytes("1000000000000001"), "0"), "958E6E627A05557B");
    EXPECT_EQ(EncryptHex("text", ""), EncryptHex("text", std::string(8, '\0')));
}

TEST(DesKey, OnlyTheFirstEightBytesCount) {
    const std::string key = bytes("133457799BBCDFF1");
    EXPECT_EQ(EncryptHex(bytes("0123456789ABCDEF"), key + "more key text"), "85E813540F0AB405");
    EXPECT_EQ(DecryptHex("85E813540F0AB405", key + "x"), bytes("0123456789ABCDEF"));
}

TEST(DesKey, ParityBitsAreIgnored) {
    // 0123456789ABCDEF with the lowest bit of every byte cleared.
    EXPECT_EQ(EncryptHex("Now is t", bytes("0022446688AACCEE")), "3FA40E8A984D4815");
}

TEST(DesKey, BuiltInKeyIsQjx) {
    // Cipher texts under the key 71 6A 78 00 00 00 00 00, computed with another DES.
    EXPECT_EQ(EncryptHex("123456"), "BDF0EC4CEFFFA6A9");
    EXPECT_EQ(EncryptHex("\xD6\xD0\xCE\xC4"), "4C138338E77021B7");  // GBK 中文
    EXPECT_EQ(DecryptHex("BDF0EC4CEFFFA6A9"), "123456");
    EXPECT_EQ(DecryptHex("4C138338E77021B7", "qjx"), "\xD6\xD0\xCE\xC4");
}

TEST(DesText, PadsWithNulToWholeBlocksInOrder) {
    EXPECT_EQ(EncryptHex("abcdefgh"), "37F0A8DB31E5988E");
    EXPECT_EQ(EncryptHex("abcdefghi"), "37F0A8DB31E5988EEFB5D420DDBBA529");
    EXPECT_EQ(EncryptHex("abcdefghijklmnop"), "37F0A8DB31E5988E8E3B95319BCA8169");
    EXPECT_EQ(EncryptText("", "qjx"), "");
}

TEST(DesText, EachBlockIsEncipheredOnItsOwn) {
    const std::string cipher = EncryptText("ABCDEFGHABCDEFGHxyz", "key");
    ASSERT_EQ(cipher.size(), 24U);
    EXPECT_EQ(cipher.substr(0, 8), cipher.substr(8, 8));
    EXPECT_EQ(cipher.substr(16), EncryptText("xyz", "key"));
}

struct HexLength {
    std::size_t plain;
    std::size_t hex;
};

void PrintTo(const HexLength& v, std::ostream* os) {
    *os << v.plain << " bytes";
}

class DesHexLength : public testing::TestWithParam<HexLength> {};

TEST_P(DesHexLength, SixteenDigitsPerStartedBlock) {
    const std::string password(GetParam().plain, 'p');
    const std::string hex = EncryptHex(password);
    EXPECT_EQ(hex.size(), GetParam().hex);
    EXPECT_EQ(DecryptHex(hex), password);
}

INSTANTIATE_TEST_SUITE_P(Passwords, DesHexLength,
                         testing::Values(HexLength{0, 0}, HexLength{1, 16}, HexLength{7, 16},
                                         HexLength{8, 16}, HexLength{9, 32}, HexLength{16, 32},
                                         HexLength{17, 48}));

TEST(DesText, RoundTripKeepsEveryByteAndInnerNuls) {
    std::string all;
    for (int value = 1; value < 256; ++value) {
        all += static_cast<char>(value);
    }
    for (const std::string& text : {all, "a\0b"s, "abc\0\0\0\0\0defgh"s, "\0\0x"s}) {
        EXPECT_EQ(DecryptText(EncryptText(text, "qjx"), "qjx"), text);
        EXPECT_EQ(DecryptHex(EncryptHex(text, "\xB4\xF3"), "\xB4\xF3"), text);
    }
}

TEST(DesText, DecipheringDropsEveryTrailingNulAcrossBlocks) {
    // 8CA64DE9C1B123A7 is eight NUL bytes under the all-zero key.
    const std::string zeroKey(8, '\0');
    const std::string cipher = EncryptText("ab", zeroKey) + bytes("8CA64DE9C1B123A7");
    EXPECT_EQ(DecryptText(cipher, zeroKey), "ab");
    EXPECT_EQ(DecryptText(bytes("8CA64DE9C1B123A7"), zeroKey), "");
}

TEST(DesText, DecipheringIgnoresATrailingPartialBlock) {
    const std::string cipher = EncryptText("password1", "qjx");
    EXPECT_EQ(DecryptText(cipher + "xyz", "qjx"), "password1");
    EXPECT_EQ(DecryptText(cipher.substr(0, 15), "qjx"), "password");
    EXPECT_EQ(DecryptText("1234567", "qjx"), "");
}

TEST(DesCipherError, TextEndingInNulIsRefused) {
    constexpr std::string_view kMessage = "Error: the last char is NULL char.";
    expectCipherError([] { (void)EncryptText("abc\0"s, "qjx"); }, kMessage);
    expectCipherError([] { (void)EncryptText("\0"s, "qjx"); }, kMessage);
    expectCipherError([] { (void)EncryptText(std::string(8, '\0'), "qjx"); }, kMessage);
    expectCipherError([] { (void)EncryptHex("abcdefgh\0"s); }, kMessage);
}

TEST(DesHex, LowerAndMixedCaseDigitsDecipherAlike) {
    EXPECT_EQ(DecryptHex("bdf0ec4cefffa6a9"), "123456");
    EXPECT_EQ(DecryptHex("BdF0eC4cEFFFa6A9"), "123456");
    EXPECT_EQ(DecryptHex("37f0a8db31e5988eefb5d420ddbba529"), "abcdefghi");
}

TEST(DesHex, LoneLastDigitIsIgnored) {
    EXPECT_EQ(DecryptHex("BDF0EC4CEFFFA6A97"), "123456");
    // Only whole pairs are read, so a lone last character is never looked at.
    EXPECT_EQ(DecryptHex("BDF0EC4CEFFFA6A9Z"), "123456");
    EXPECT_EQ(DecryptHex("B"), "");
    EXPECT_EQ(DecryptHex(""), "");
}

TEST(DesHex, NonHexPairIsRefused) {
    constexpr std::string_view kMessage = "Error: not a Hex String";
    expectCipherError([] { (void)DecryptHex("BDF0EC4CEFFFA6AG"); }, kMessage);
    expectCipherError([] { (void)DecryptHex("BDF0EC4C EFFFA6A9"); }, kMessage);
    expectCipherError([] { (void)DecryptHex("0x"); }, kMessage);
    expectCipherError([] { (void)DecryptHex("-1"); }, kMessage);
}

TEST(HexValue, ReadsDigitsMostSignificantFirst) {
    EXPECT_EQ(HexValue(""), 0U);
    EXPECT_EQ(HexValue("0"), 0U);
    EXPECT_EQ(HexValue("9"), 9U);
    EXPECT_EQ(HexValue("a"), 10U);
    EXPECT_EQ(HexValue("F"), 15U);
    EXPECT_EQ(HexValue("fF"), 255U);
    EXPECT_EQ(HexValue("1aF"), 0x1AFU);
    EXPECT_EQ(HexValue("0123456789abcdef"), 0x0123456789ABCDEFULL);
    EXPECT_EQ(HexValue("FEDCBA9876543210"), 0xFEDCBA9876543210ULL);
}

TEST(HexValue, RefusesAnyOtherCharacter) {
    for (const std::string_view digits : {"g"sv, "G"sv, "@"sv, "`"sv, "/"sv, ":"sv, " 1"sv, "1 "sv,
                                          "+1"sv, "0x1"sv, "\xA3\xB1"sv, "1\0"sv}) {
        expectCipherError([digits] { (void)HexValue(digits); }, "Error: not a Hex String");
    }
}

TEST(DesThreads, ConcurrentCallsKeepTheirOwnKeys) {
    // The round keys belong to each call; a shared table would mix keys between threads.
    constexpr int kThreads = 4;
    constexpr int kRepeats = 300;
    std::vector<std::string> keys;
    std::vector<std::string> expected;
    for (int i = 0; i < kThreads; ++i) {
        keys.push_back("key" + std::to_string(i));
        expected.push_back(EncryptHex("same plain text", keys.back()));
    }
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            for (int repeat = 0; repeat < kRepeats; ++repeat) {
                const auto index = static_cast<std::size_t>(i);
                if (EncryptHex("same plain text", keys[index]) != expected[index] ||
                    DecryptHex(expected[index], keys[index]) != "same plain text") {
                    ++mismatches[index];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

}  // namespace
}  // namespace ardentis::protocol::des
