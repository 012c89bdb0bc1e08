#include <windows.h>

#include <algorithm>

#include "tests/sim_games/recorder_mapping.h"

namespace ardentis::sim {
namespace {

constexpr std::size_t kStateOffset = 144;
constexpr std::size_t kNameBytes = 20;
constexpr std::size_t kLongestName = 19;

bool validSlot(int slot) {
    return slot >= 1 && slot <= RecorderMapping::kSlots;
}

}  // namespace

RecorderMapping::~RecorderMapping() {
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
    }
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

RecorderMapping::OpenResult RecorderMapping::create() {
    handle_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                 static_cast<DWORD>(kSize), L"TADemo-MKChat");
    if (handle_ == nullptr) {
        return OpenResult::Failed;
    }
    // Another recorder's memory is not ours to fill.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        return OpenResult::AlreadyExists;
    }
    view_ = static_cast<std::byte*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, kSize));
    return view_ != nullptr ? OpenResult::Created : OpenResult::Failed;
}

void RecorderMapping::setState(std::int32_t state) {
    putInt(kStateOffset, state);
}

void RecorderMapping::setPlayer(int slot, std::string_view name) {
    if (!validSlot(slot) || view_ == nullptr) {
        return;
    }
    const std::size_t offset = 128 + kNameBytes * static_cast<std::size_t>(slot);
    const std::size_t length = std::min(name.size(), kLongestName);
    view_[offset] = static_cast<std::byte>(length);
    for (std::size_t i = 0; i < kLongestName; ++i) {
        view_[offset + 1 + i] = i < length ? static_cast<std::byte>(name[i]) : std::byte{0};
    }
}

void RecorderMapping::setAllied(int slot, bool allied) {
    if (validSlot(slot)) {
        putInt(508 + 4 * static_cast<std::size_t>(slot), allied ? 1 : 0);
    }
}

void RecorderMapping::putInt(std::size_t offset, std::int32_t value) {
    if (view_ == nullptr) {
        return;
    }
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        view_[offset + i] = static_cast<std::byte>((bits >> (8U * i)) & 0xFFU);
    }
}

}  // namespace ardentis::sim
