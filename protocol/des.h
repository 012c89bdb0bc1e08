#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace ardentis::protocol::des {

// The cipher raises its failures with fixed English texts, which callers pass on unchanged.
class CipherError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kLastCharNull = "Error: the last char is NULL char.";
inline constexpr std::string_view kNotHex = "Error: not a Hex String";
inline constexpr std::string_view kBuiltInKey = "qjx";

// Single DES (FIPS 46) in ECB mode over byte strings. The key text is padded with NUL
// bytes to 8 and its first 8 bytes are the key. Throws CipherError(kLastCharNull) when the
// text ends in a NUL byte.
[[nodiscard]] std::string EncryptText(std::string_view text, std::string_view key);
// Deciphers the whole blocks, ignores a trailing partial block, drops trailing NULs.
[[nodiscard]] std::string DecryptText(std::string_view cipher, std::string_view key);

// EncryptText, then two upper-case hex digits per byte.
[[nodiscard]] std::string EncryptHex(std::string_view text, std::string_view key);
[[nodiscard]] std::string EncryptHex(std::string_view text);
// Hex pairs (upper or lower case; a lone last digit is ignored) to bytes, then DecryptText.
// Throws CipherError(kNotHex) for a character that is not a hex digit.
[[nodiscard]] std::string DecryptHex(std::string_view hex, std::string_view key);
[[nodiscard]] std::string DecryptHex(std::string_view hex);

// The value of hex digits, most significant first; empty is 0. Throws CipherError(kNotHex).
[[nodiscard]] unsigned long long HexValue(std::string_view digits);

}  // namespace ardentis::protocol::des
