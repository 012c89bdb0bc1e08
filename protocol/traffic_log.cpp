#include "protocol/traffic_log.h"

#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "protocol/record_text.h"

namespace ardentis::protocol {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// "YYYY-MM-DD HH:MM:SS", 24-hour clock.
std::string timeStamp(const platform::LocalTime& time) {
    std::array<char, 80> buffer{};  // room for any int, so never cut
    const int length =
        std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d %02d:%02d:%02d", time.year,
                      time.month, time.day, time.hour, time.minute, time.second);
    return {buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0U};
}

}  // namespace

TrafficLog::TrafficLog(std::unique_ptr<const platform::AppendFile> file,
                       const platform::Clock& clock)
    : file_(std::move(file)), clock_(clock) {}

void TrafficLog::LogRecord(const LobbyMessage& message, Direction direction) const {
    std::string line = timeStamp(clock_.now());
    line += direction == Direction::Send ? " Send " : " Recv ";
    line += CommandText(message).view();
    line += ' ';
    line += RecordText(message).view();
    line += kLineEnd;
    // Logging never stops a send or a receive: a file that cannot be written is skipped.
    (void)file_->append(line);
}

void TrafficLog::LogText(const text::Gbk& line) const {
    std::string bytes;
    bytes.reserve(line.size() + kLineEnd.size());
    bytes += line.view();
    bytes += kLineEnd;
    (void)file_->append(bytes);
}

}  // namespace ardentis::protocol
