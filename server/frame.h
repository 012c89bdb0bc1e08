#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "protocol/lobby_message.h"

namespace ardentis::server {

// One encoded record, encoded once and shared by every receiver's queue.
using FrameBytes = std::array<std::byte, protocol::kRecordSize>;
using Frame = std::shared_ptr<const FrameBytes>;

[[nodiscard]] inline Frame makeFrame(const protocol::LobbyMessage& message) {
    return std::make_shared<const FrameBytes>(message.toBytes());
}

}  // namespace ardentis::server
