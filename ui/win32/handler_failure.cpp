#include <windows.h>

#include "ui/win32/handler_failure.h"

#include <exception>
#include <utility>

namespace ardentis::win32 {
namespace {

FailureSink& sink() {
    static FailureSink current;
    return current;
}

}  // namespace

void setFailureSink(FailureSink newSink) {
    sink() = std::move(newSink);
}

void reportCurrentException(std::string_view where) noexcept {
    try {
        std::string message = "Ardentis: ";
        message += where;
        message += ": a handler threw: ";
        try {
            throw;
        } catch (const std::exception& error) {
            message += error.what();
        } catch (...) {
            message += "an unknown exception";
        }
        if (const auto& current = sink()) {
            current(message);
        } else {
            OutputDebugStringA(message.c_str());
        }
    } catch (...) {
        OutputDebugStringA("Ardentis: a handler threw, and reporting it failed");
    }
}

}  // namespace ardentis::win32
