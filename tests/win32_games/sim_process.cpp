#include <windows.h>

#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {

std::unique_ptr<SimProcess> SimProcess::start(const std::filesystem::path& program,
                                              std::wstring_view arguments, bool pipes) {
    auto started = std::make_unique<SimProcess>();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE childInput = nullptr;
    HANDLE childOutput = nullptr;
    if (pipes) {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        if (CreatePipe(&childInput, &started->input_, &inherited, 0) == FALSE ||
            CreatePipe(&started->output_, &childOutput, &inherited, 0) == FALSE) {
            return nullptr;
        }
        // Only the child's ends are inherited, or the pipes never report their end.
        SetHandleInformation(started->input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(started->output_, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = childOutput;
    }
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + std::wstring(arguments);
    PROCESS_INFORMATION info{};
    const BOOL created =
        CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, pipes ? TRUE : FALSE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    if (pipes) {
        CloseHandle(childInput);
        CloseHandle(childOutput);
    }
    if (created == FALSE) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    started->process_ = info.hProcess;
    return started;
}

std::unique_ptr<SimProcess> SimProcess::ownerOf(platform::WindowHandle window) {
    DWORD id = 0;
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &id);
    auto owner = std::make_unique<SimProcess>();
    owner->process_ =
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    return owner->process_ != nullptr ? std::move(owner) : nullptr;
}

SimProcess::~SimProcess() {
    if (running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    for (void* handle : {input_, output_, process_}) {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
}

bool SimProcess::running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<std::uint32_t> SimProcess::exitCode() const {
    DWORD code = 0;
    if (process_ == nullptr || running() || GetExitCodeProcess(process_, &code) == FALSE) {
        return std::nullopt;
    }
    return code;
}

bool SimProcess::writeLine(std::string_view line) {
    const std::string bytes = std::string(line) + "\n";
    DWORD written = 0;
    return input_ != nullptr &&
           WriteFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
               FALSE &&
           written == bytes.size();
}

const std::string& SimProcess::output() {
    DWORD available = 0;
    while (output_ != nullptr &&
           PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) != FALSE &&
           available > 0) {
        std::string chunk(available, '\0');
        DWORD got = 0;
        if (ReadFile(output_, chunk.data(), available, &got, nullptr) == FALSE || got == 0) {
            break;
        }
        received_.append(chunk, 0, got);
    }
    return received_;
}

}  // namespace ardentis::testing
