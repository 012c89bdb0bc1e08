#include <windows.h>

#include "tests/win32/raw_windows.h"

namespace ardentis::testing {

bool rawScreenSaverRunning() {
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != FALSE;
}

struct RawColourWindow::State {
    HWND window = nullptr;
    HBRUSH brush = nullptr;
    std::wstring mouseLog;
};

namespace {

constexpr const wchar_t* kClassName = L"ArdentisRawColourWindow";

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (log != nullptr && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) {
        *log += (message == WM_LBUTTONDOWN ? L"down " : L"up ") + std::to_wstring(LOWORD(lParam)) +
                L" " + std::to_wstring(HIWORD(lParam)) + L";";
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

RawColourWindow::RawColourWindow(const std::wstring& title, std::uint8_t r, std::uint8_t g,
                                 std::uint8_t b)
    : state_(std::make_unique<State>()) {
    state_->brush = CreateSolidBrush(RGB(r, g, b));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    state_->window = CreateWindowExW(0, kClassName, title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                     480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(state_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state_->mouseLog));
    // Painted here rather than by a class brush, so that each window has its own colour.
    HDC dc = GetDC(state_->window);
    RECT area{0, 0, 640, 480};
    FillRect(dc, &area, state_->brush);
    ReleaseDC(state_->window, dc);
    GdiFlush();
    pump();
}

RawColourWindow::~RawColourWindow() {
    if (IsWindow(state_->window)) {
        DestroyWindow(state_->window);
    }
    DeleteObject(state_->brush);
}

void RawColourWindow::pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

const std::wstring& RawColourWindow::mouseLog() const {
    return state_->mouseLog;
}

RawMapping::RawMapping(const std::wstring& name, std::size_t size) {
    handle_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                 static_cast<DWORD>(size), name.c_str());
    view_ = static_cast<std::uint8_t*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, size));
}

RawMapping::~RawMapping() {
    UnmapViewOfFile(view_);
    CloseHandle(handle_);
}

void RawMapping::write(std::size_t offset, std::uint8_t value) {
    view_[offset] = value;
}

}  // namespace ardentis::testing
