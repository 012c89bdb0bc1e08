#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/append_file.h"

namespace ardentis::app {

// Opens the file at the path for appending; the file says through append() whether it can.
using OpenAppendFile =
    std::function<std::unique_ptr<platform::AppendFile>(const std::filesystem::path&)>;
// The user's own folder for the program, made when missing; none when there is no such place.
using UserFolder = std::function<std::optional<std::filesystem::path>()>;

// The traffic log's file: beside the executable when it opens there for appending (a portable
// copy), else in the user's folder (an installation under Program Files, where a standard user
// may not write). Asks for the user's folder only then. With neither, a log that keeps
// nothing, whose path is empty.
[[nodiscard]] std::unique_ptr<platform::AppendFile> openTrafficLog(
    const std::filesystem::path& executableFolder, const UserFolder& userFolder,
    const OpenAppendFile& open);

}  // namespace ardentis::app
