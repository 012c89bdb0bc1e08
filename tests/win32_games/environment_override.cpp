#include <windows.h>

#include "tests/win32_games/environment_override.h"

namespace ardentis::testing {

EnvironmentOverride::EnvironmentOverride(std::wstring name, const std::wstring& value)
    : name_(std::move(name)) {
    const DWORD size = GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring old(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(name_.c_str(), old.data(), size);
        old.resize(length);
        previous_ = old;
    }
    SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

EnvironmentOverride::~EnvironmentOverride() {
    SetEnvironmentVariableW(name_.c_str(), previous_ ? previous_->c_str() : nullptr);
}

}  // namespace ardentis::testing
