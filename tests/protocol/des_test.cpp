#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "protocol/des.h"

namespace ardentis::protocol::des {
namespace {

using namespace std::string_literals;

// Bytes from a hex text, decoded here rather than by the code under test.
std::string bytes(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return out;
}

// The worked example of the standard, NBS validation sets (variable plain text and key,
// permutation and S-box tests) and other published vectors; then our key handling, the
// built-in key "qjx" and NUL padding to whole blocks, each block on its own. Each vector runs on
// its own thread, all at once: the round keys belong to each call, a shared table would mix them.
TEST(Des, PublishedVectorsEncipherAndDecipherAllAtOnce) {
    struct Vector {
        const char* key;  // hex; a key text is padded with NUL to eight bytes, cut after eight
        const char* plain;
        const char* cipher;
    };
    std::vector<std::jthread> threads;
    for (const Vector& v :
         {Vector{"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
          {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
          {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
          {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
          {"0101010101010101", "0000000000000001", "166B40B44ABA4BD6"},
          {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
          {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
          {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
          {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
          {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
          {"FEDCBA9876543210", "0123456789ABCDEF", "ED39D950FA74BCC4"},
          {"30", "1000000000000001", "958E6E627A05557B"},
          {"133457799BBCDFF16D6F7265", "0123456789ABCDEF", "85E813540F0AB405"},
          {"0022446688AACCEE", "4E6F772069732074", "3FA40E8A984D4815"},  // parity ignored
          {"716A78", "313233343536", "BDF0EC4CEFFFA6A9"},                // "123456"
          {"716A78", "D6D0CEC4", "4C138338E77021B7"},                    // GBK 中文
          {"716A78", "6162636465666768", "37F0A8DB31E5988E"},
          {"716A78", "616263646566676869", "37F0A8DB31E5988EEFB5D420DDBBA529"},
          {"716A78", "41424344454647484142434445464748", "C1A04853C57D7410C1A04853C57D7410"},
          {"716A78", "", ""}}) {
        threads.emplace_back([v] {
            SCOPED_TRACE("key "s + v.key + ", plain " + v.plain);
            std::string plain = bytes(v.plain);
            for (int repeat = 0; repeat < 100; ++repeat) {
                if (plain.empty() || plain.back() != '\0') {  // such a text cannot be enciphered
                    EXPECT_EQ(EncryptHex(plain, bytes(v.key)), v.cipher);
                }
                // Deciphering drops every trailing NUL.
                EXPECT_EQ(DecryptHex(v.cipher, bytes(v.key)),
                          plain.substr(0, plain.find_last_not_of('\0') + 1));
            }
        });
    }
}

// Every byte and inner NULs come back; either case of hex is read; a lone hex digit or a partial
// block is ignored; a text ending in NUL and a character that is no hex digit are refused.
TEST(DesText, RoundTripsIgnoresPartialInputAndRefusesWhatCannotComeBack) {
    std::string all;
    for (int value = 1; value < 256; ++value) {
        all += static_cast<char>(value);
    }
    for (const std::string& text : {all, "a\0b"s, "abc\0\0\0\0\0defgh"s, "\0\0x"s}) {
        EXPECT_EQ(DecryptText(EncryptText(text, "qjx"), "qjx"), text);
        EXPECT_EQ(DecryptHex(EncryptHex(text, "\xB4\xF3"), "\xB4\xF3"), text);
    }
    EXPECT_EQ(DecryptHex("BdF0eC4cEFFFa6A9"), "123456");
    EXPECT_EQ(DecryptHex("BDF0EC4CEFFFA6A9Z"), "123456");
    EXPECT_EQ(DecryptHex("B"), "");
    const std::string cipher = EncryptText("password1", "qjx");
    EXPECT_EQ(DecryptText(cipher + "xyz", "qjx"), "password1");
    EXPECT_EQ(DecryptText(cipher.substr(0, 15), "qjx"), "password");
    for (const std::string& text : {"abc\0"s, std::string(8, '\0')}) {
        EXPECT_THROW((void)EncryptText(text, "qjx"), CipherError) << text.size();
    }
    for (const char* hex :
         {"BDF0EC4CEFFFA6AG", "BDF0EC4C EFFFA6A9", "0x", "-1", "g/", ":@", "`1"}) {
        EXPECT_THROW((void)DecryptHex(hex), CipherError) << hex;
    }
    EXPECT_EQ(HexValue("FEDCBA9876543210"), 0xFEDCBA9876543210ULL);
}

}  // namespace
}  // namespace ardentis::protocol::des
