#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/append_file.h"
#include "platform/clock.h"
#include "protocol/lobby_message.h"
#include "text/gbk.h"

namespace ardentis::protocol {

enum class Direction : std::uint8_t { Send, Recv };

// The plain-text traffic log: every record moved and a few free-text lines, appended in
// code page 936 with CR LF. The file is opened and closed for every line; a line lands
// whole at the end even when threads or processes append at once. Failures are silent.
class TrafficLog {
  public:
    // `clock` is borrowed and must outlive the log.
    TrafficLog(std::unique_ptr<const platform::AppendFile> file, const platform::Clock& clock);

    void LogRecord(const LobbyMessage& message, Direction direction) const;
    void LogText(const text::Gbk& line) const;

    [[nodiscard]] const std::filesystem::path& file() const noexcept { return file_->path(); }

  private:
    std::unique_ptr<const platform::AppendFile> file_;
    const platform::Clock& clock_;
};

}  // namespace ardentis::protocol
