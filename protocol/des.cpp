#include "protocol/des.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ardentis::protocol::des {
namespace {

// The FIPS 46 tables, bit positions counted from 1 at the most significant bit.
constexpr std::array<std::uint8_t, 64> kInitialPermutation = {
    58, 50, 42, 34, 26, 18, 10, 2,  60, 52, 44, 36, 28, 20, 12, 4,  62, 54, 46, 38, 30, 22,
    14, 6,  64, 56, 48, 40, 32, 24, 16, 8,  57, 49, 41, 33, 25, 17, 9,  1,  59, 51, 43, 35,
    27, 19, 11, 3,  61, 53, 45, 37, 29, 21, 13, 5,  63, 55, 47, 39, 31, 23, 15, 7};

constexpr std::array<std::uint8_t, 64> kFinalPermutation = {
    40, 8,  48, 16, 56, 24, 64, 32, 39, 7,  47, 15, 55, 23, 63, 31, 38, 6,  46, 14, 54, 22,
    62, 30, 37, 5,  45, 13, 53, 21, 61, 29, 36, 4,  44, 12, 52, 20, 60, 28, 35, 3,  43, 11,
    51, 19, 59, 27, 34, 2,  42, 10, 50, 18, 58, 26, 33, 1,  41, 9,  49, 17, 57, 25};

constexpr std::array<std::uint8_t, 48> kExpansion = {
    32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11, 12, 13, 12, 13, 14, 15, 16, 17,
    16, 17, 18, 19, 20, 21, 20, 21, 22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

constexpr std::array<std::uint8_t, 32> kPermutation = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23,
                                                       26, 5, 18, 31, 10, 2,  8,  24, 14, 32, 27,
                                                       3,  9, 19, 13, 30, 6,  22, 11, 4,  25};

constexpr std::array<std::uint8_t, 56> kPermutedChoice1 = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
    35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
    46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr std::array<std::uint8_t, 48> kPermutedChoice2 = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr std::array<unsigned, 16> kShifts = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// Each S-box as four rows of sixteen.
constexpr std::array<std::array<std::uint8_t, 64>, 8> kSBoxes = {{
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4, 9,  7,  2, 13, 12, 0,  5,  10, 3,  13, 4,  7, 15, 2,
     8,  14, 12, 0,  1,  10, 6,  9, 11, 5,  0, 14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,
     9,  3,  2,  15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0,  8,  13, 3, 12, 9,  7, 5,  10, 6,  1,  13, 0,  11, 7,  4, 9,
     1, 10, 14, 3,  5,  12, 2,  15, 8, 6,  1,  4, 11, 13, 12, 3,  7,  14, 10, 15, 6, 8,
     0, 5,  9,  2,  6,  11, 13, 8,  1, 4,  10, 7, 9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2, 8,  4, 6, 15, 11, 1,  10, 9,  3, 14, 5,  0,  12, 7,  1,  15, 13, 8, 10, 3,
     7,  4, 12, 5, 6, 11, 0,  14, 9,  2,  7, 11, 4,  1,  9,  12, 14, 2,  0,  6, 10, 13,
     15, 3, 5,  8, 2, 1,  14, 7,  4,  10, 8, 13, 15, 12, 9,  0,  3,  5,  6,  11},
}};

constexpr std::size_t kBlockSize = 8;
constexpr std::size_t kRounds = 16;

// Gathers the bits of a `width`-bit value in the order a table lists them.
template <std::size_t N>
constexpr std::uint64_t permute(std::uint64_t value, unsigned width,
                                const std::array<std::uint8_t, N>& table) {
    std::uint64_t out = 0;
    for (const std::uint8_t position : table) {
        out = (out << 1U) | ((value >> (width - position)) & 1U);
    }
    return out;
}

// A 64-bit permutation split by input byte: eight look-ups per block instead of 64 bit moves.
using ByteTables = std::array<std::array<std::uint64_t, 256>, kBlockSize>;

constexpr ByteTables makeByteTables(const std::array<std::uint8_t, 64>& table) {
    ByteTables tables{};
    for (std::size_t index = 0; index < kBlockSize; ++index) {
        for (std::size_t value = 0; value < 256; ++value) {
            tables[index][value] = permute(std::uint64_t{value} << (56 - 8 * index), 64, table);
        }
    }
    return tables;
}

constexpr ByteTables kInitial = makeByteTables(kInitialPermutation);
constexpr ByteTables kFinal = makeByteTables(kFinalPermutation);

std::uint64_t applyByteTables(const ByteTables& tables, std::uint64_t value) {
    std::uint64_t out = 0;
    for (std::size_t index = 0; index < kBlockSize; ++index) {
        out |= tables[index][(value >> (56 - 8 * index)) & 0xFFU];
    }
    return out;
}

// Each S-box followed by the permutation P, for every 6-bit input: a round is eight look-ups.
using SpTables = std::array<std::array<std::uint32_t, 64>, 8>;

constexpr SpTables makeSpTables() {
    SpTables tables{};
    for (std::size_t box = 0; box < 8; ++box) {
        for (std::size_t input = 0; input < 64; ++input) {
            const std::size_t row = ((input >> 4U) & 2U) | (input & 1U);
            const std::size_t column = (input >> 1U) & 0xFU;
            const std::uint64_t placed = std::uint64_t{kSBoxes[box][row * 16 + column]}
                                         << (28 - 4 * box);
            tables[box][input] = static_cast<std::uint32_t>(permute(placed, 32, kPermutation));
        }
    }
    return tables;
}

constexpr SpTables kSp = makeSpTables();

// The six expansion bits that feed S-box `box`: the expansion table takes bits 4*box .. 4*box+5
// of the half block (counted from 1, wrapping round), which a rotation brings to the top.
constexpr std::uint32_t expandedChunk(std::uint32_t half, std::size_t box) {
    return (std::rotl(half, static_cast<int>(4 * box + 31)) >> 26U) & 0x3FU;
}

constexpr bool rotationMatchesExpansionTable() {
    for (unsigned bit = 0; bit < 32; ++bit) {
        const std::uint32_t half = std::uint32_t{1} << bit;
        std::uint64_t expanded = 0;
        for (std::size_t box = 0; box < 8; ++box) {
            expanded = (expanded << 6U) | expandedChunk(half, box);
        }
        if (expanded != permute(half, 32, kExpansion)) {
            return false;
        }
    }
    return true;
}
static_assert(rotationMatchesExpansionTable());

// The sixteen round keys, each as eight 6-bit pieces, one per S-box. Built per call, so
// concurrent calls with different keys never share state.
using Subkeys = std::array<std::array<std::uint8_t, 8>, kRounds>;

Subkeys makeSubkeys(std::string_view keyText) {
    // The key text padded with NUL bytes; its first eight bytes are the key.
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        const auto byte = i < keyText.size() ? static_cast<unsigned char>(keyText[i]) : 0U;
        key = (key << 8U) | byte;
    }
    constexpr std::uint32_t kHalfMask = 0x0FFFFFFFU;
    const std::uint64_t choice = permute(key, 64, kPermutedChoice1);  // drops the parity bits
    auto c = static_cast<std::uint32_t>(choice >> 28U);
    auto d = static_cast<std::uint32_t>(choice & kHalfMask);
    Subkeys subkeys{};
    for (std::size_t round = 0; round < kRounds; ++round) {
        const unsigned shift = kShifts[round];
        c = ((c << shift) | (c >> (28 - shift))) & kHalfMask;
        d = ((d << shift) | (d >> (28 - shift))) & kHalfMask;
        const std::uint64_t subkey = permute((std::uint64_t{c} << 28U) | d, 56, kPermutedChoice2);
        for (std::size_t box = 0; box < 8; ++box) {
            subkeys[round][box] = static_cast<std::uint8_t>((subkey >> (42 - 6 * box)) & 0x3FU);
        }
    }
    return subkeys;
}

std::uint32_t feistel(std::uint32_t half, const std::array<std::uint8_t, 8>& subkey) {
    std::uint32_t out = 0;
    for (std::size_t box = 0; box < 8; ++box) {
        out |= kSp[box][expandedChunk(half, box) ^ subkey[box]];
    }
    return out;
}

std::uint64_t cipherBlock(std::uint64_t block, const Subkeys& subkeys, bool decipher) {
    const std::uint64_t permuted = applyByteTables(kInitial, block);
    auto left = static_cast<std::uint32_t>(permuted >> 32U);
    auto right = static_cast<std::uint32_t>(permuted);
    for (std::size_t round = 0; round < kRounds; ++round) {
        const auto& subkey = subkeys[decipher ? kRounds - 1 - round : round];
        const std::uint32_t next = left ^ feistel(right, subkey);
        left = right;
        right = next;
    }
    // The last round does not swap the halves: the output is R16 L16.
    return applyByteTables(kFinal, (std::uint64_t{right} << 32U) | left);
}

// ECB over the whole blocks of the input; a trailing partial block is left out.
std::string cipherBlocks(std::string_view input, std::string_view key, bool decipher) {
    const Subkeys subkeys = makeSubkeys(key);
    const std::size_t length = input.size() / kBlockSize * kBlockSize;
    std::string out(length, '\0');
    for (std::size_t offset = 0; offset < length; offset += kBlockSize) {
        std::uint64_t block = 0;
        for (std::size_t i = 0; i < kBlockSize; ++i) {
            block = (block << 8U) | static_cast<unsigned char>(input[offset + i]);
        }
        block = cipherBlock(block, subkeys, decipher);
        for (std::size_t i = 0; i < kBlockSize; ++i) {
            out[offset + i] = static_cast<char>((block >> (56 - 8 * i)) & 0xFFU);
        }
    }
    return out;
}

unsigned hexDigitValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return static_cast<unsigned>(digit - '0');
    }
    if (digit >= 'A' && digit <= 'F') {
        return static_cast<unsigned>(digit - 'A' + 10);
    }
    if (digit >= 'a' && digit <= 'f') {
        return static_cast<unsigned>(digit - 'a' + 10);
    }
    throw CipherError(std::string(kNotHex));
}

}  // namespace

std::string EncryptText(std::string_view text, std::string_view key) {
    if (!text.empty() && text.back() == '\0') {
        // The padding is NUL bytes, so such a text would not come back whole.
        throw CipherError(std::string(kLastCharNull));
    }
    std::string padded(text);
    padded.resize((padded.size() + kBlockSize - 1) / kBlockSize * kBlockSize, '\0');
    return cipherBlocks(padded, key, false);
}

std::string DecryptText(std::string_view cipher, std::string_view key) {
    std::string plain = cipherBlocks(cipher, key, true);
    const std::size_t last = plain.find_last_not_of('\0');
    plain.resize(last == std::string::npos ? 0 : last + 1);
    return plain;
}

std::string EncryptHex(std::string_view text, std::string_view key) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    const std::string cipher = EncryptText(text, key);
    std::string hex;
    hex.reserve(cipher.size() * 2);
    for (const char byte : cipher) {
        const auto value = static_cast<unsigned char>(byte);
        hex += kDigits[value >> 4U];
        hex += kDigits[value & 0xFU];
    }
    return hex;
}

std::string EncryptHex(std::string_view text) {
    return EncryptHex(text, kBuiltInKey);
}

std::string DecryptHex(std::string_view hex, std::string_view key) {
    std::string cipher;
    cipher.reserve(hex.size() / 2);
    for (std::size_t offset = 0; offset + 1 < hex.size(); offset += 2) {
        cipher += static_cast<char>(HexValue(hex.substr(offset, 2)));
    }
    return DecryptText(cipher, key);
}

std::string DecryptHex(std::string_view hex) {
    return DecryptHex(hex, kBuiltInKey);
}

unsigned long long HexValue(std::string_view digits) {
    unsigned long long value = 0;
    for (const char digit : digits) {
        value = (value << 4U) | hexDigitValue(digit);
    }
    return value;
}

}  // namespace ardentis::protocol::des
