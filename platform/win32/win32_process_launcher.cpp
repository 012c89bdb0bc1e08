#include <windows.h>

#include <shellapi.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_process_launcher.h"

namespace ardentis::platform {

std::expected<void, OsError> Win32ProcessLauncher::shellExecute(const text::Gbk& path,
                                                                const text::Gbk& parameters,
                                                                WindowMode mode) {
    const auto widePath = gbkToWide(path.view());
    const auto wideParameters = gbkToWide(parameters.view());
    if (!widePath || !wideParameters) {
        return std::unexpected(OsError{"MultiByteToWideChar", ERROR_NO_UNICODE_TRANSLATION});
    }
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, widePath->c_str(),
                                                                wideParameters->c_str(), nullptr,
                                                                static_cast<int>(mode)));
    // Values up to 32 are the shell's error codes.
    if (result <= 32) {
        return std::unexpected(OsError{"ShellExecuteW", static_cast<int>(result)});
    }
    return {};
}

}  // namespace ardentis::platform
