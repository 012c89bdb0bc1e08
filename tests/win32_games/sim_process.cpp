#include <windows.h>

#include <utility>

#include "tests/win32_games/sim_process.h"

namespace ardentis::testing {
namespace {

platform::OsError lastError(const char* api) {
    return {api, static_cast<int>(GetLastError())};
}

void closeHandle(void*& handle) {
    if (handle != nullptr) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

}  // namespace

std::expected<SimProcess, platform::OsError> SimProcess::start(const std::filesystem::path& program,
                                                               std::wstring_view arguments,
                                                               bool pipes) {
    SimProcess started;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE childInput = nullptr;
    HANDLE childOutput = nullptr;
    if (pipes) {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE ours = nullptr;
        if (CreatePipe(&childInput, &ours, &inherited, 0) == FALSE) {
            return std::unexpected(lastError("CreatePipe"));
        }
        started.input_ = ours;
        if (CreatePipe(&ours, &childOutput, &inherited, 0) == FALSE) {
            CloseHandle(childInput);
            return std::unexpected(lastError("CreatePipe"));
        }
        started.output_ = ours;
        // Only the child's ends are inherited, or the pipes never report their end.
        SetHandleInformation(started.input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(started.output_, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = childOutput;
    }
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!arguments.empty()) {
        commandLine += L" ";
        commandLine += arguments;
    }
    PROCESS_INFORMATION info{};
    const BOOL created =
        CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, pipes ? TRUE : FALSE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    const auto error = lastError("CreateProcessW");
    if (pipes) {
        CloseHandle(childInput);
        CloseHandle(childOutput);
    }
    if (created == FALSE) {
        return std::unexpected(error);
    }
    CloseHandle(info.hThread);
    started.process_ = info.hProcess;
    return started;
}

std::expected<SimProcess, platform::OsError> SimProcess::ownerOf(platform::WindowHandle window) {
    DWORD id = 0;
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    if (GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &id) == 0) {
        return std::unexpected(lastError("GetWindowThreadProcessId"));
    }
    SimProcess owner;
    owner.process_ =
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, id);
    if (owner.process_ == nullptr) {
        return std::unexpected(lastError("OpenProcess"));
    }
    return owner;
}

SimProcess::SimProcess(SimProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      input_(std::exchange(other.input_, nullptr)),
      output_(std::exchange(other.output_, nullptr)),
      received_(std::move(other.received_)) {}

SimProcess::~SimProcess() {
    if (process_ != nullptr && running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    closeHandle(input_);
    closeHandle(output_);
    closeHandle(process_);
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
    if (input_ == nullptr) {
        return false;
    }
    std::string bytes(line);
    bytes += '\n';
    DWORD written = 0;
    return WriteFile(input_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
               FALSE &&
           written == bytes.size();
}

void SimProcess::closeInput() {
    closeHandle(input_);
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
