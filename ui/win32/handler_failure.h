#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ardentis::win32 {

// No exception may cross into user32, so the window procedures catch what a handler throws
// and report it here. The sink is OutputDebugString until the program sets its own; it is
// called on the window thread.
using FailureSink = std::function<void(const std::string& message)>;
void setFailureSink(FailureSink sink);

// Reports the exception being handled; call it inside a catch block. `where` names the
// window or control.
void reportCurrentException(std::string_view where) noexcept;

}  // namespace ardentis::win32
