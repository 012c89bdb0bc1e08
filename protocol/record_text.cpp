#include "protocol/record_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace ardentis::protocol {
namespace {

// The log's trim: control characters and blanks (every byte up to the space) leave both ends
// of the finished line. GBK bytes are above 0x80, so they always stay.
std::string trimmed(std::string line) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20U; };
    std::size_t end = line.size();
    while (end > 0 && isBlank(line[end - 1])) {
        --end;
    }
    std::size_t begin = 0;
    while (begin < end && isBlank(line[begin])) {
        ++begin;
    }
    return line.substr(begin, end - begin);
}

}  // namespace

text::Gbk CommandText(const LobbyMessage& message) {
    std::string line = std::to_string(static_cast<int>(static_cast<std::int8_t>(message.command)));
    line += ':';
    line += std::to_string(static_cast<int>(message.signedSubcommand()));
    line += ' ';
    return text::Gbk(trimmed(std::move(line)));
}

text::Gbk RecordText(const LobbyMessage& message) {
    std::string line;
    line.reserve(600);
    // Field bytes are appended as they are: a "%" in a chat line is text, not a format.
    const auto text = [&line](std::string_view label, std::string_view value) {
        line += label;
        line += value;
    };
    const auto number = [&line](std::string_view label, int value) {
        line += label;
        line += std::to_string(value);
    };
    text(" sparam1:", message.sparam1.view());
    text(" sparam2:", message.sparam2.view());
    text(" sparam3:", message.sparam3.view());
    text(" sparam4:", message.sparam4.view());
    text(" sparam5:", message.sparam5.view());
    text(" sparam6:", message.sparam6.view());
    text(" sparam7:", message.sparam7.view());
    text(" sparam8:", message.sparam8.view());
    text(" sparam9:", message.sparam9.view());
    number(" iparam1:", message.iparam1.get());
    number(" iparam2:", message.iparam2.get());
    number(" iparam3:", message.iparam3.get());
    number(" iparam4:", message.iparam4.get());
    number(" iparam5:", message.iparam5.get());
    number(" iparam6:", message.iparam6.get());
    number(" iparam7:", message.iparam7.get());
    number(" iparam8:", message.iparam8.get());
    number(" iparam9:", message.iparam9.get());
    // The stray colon before iparam10 is part of the log's established line format.
    number(" :iparam10:", message.iparam10.get());
    number(" iparam11:", message.iparam11.get());
    return text::Gbk(trimmed(std::move(line)));
}

}  // namespace ardentis::protocol
