#include "platform/read_gate.h"

namespace ardentis::platform {

bool ReadGate::due(std::size_t waiting) const noexcept {
    return waiting > 0 && !held_ && (!stalled_ || waiting > stalledAt_);
}

void ReadGate::beginEvent(std::size_t waiting) noexcept {
    if (depth_ == 0) {
        receivesAtStart_ = receives_;
        waitingAtStart_ = waiting;
    }
    receivesAtInner_ = receives_;
    ++depth_;
    stalled_ = false;
}

ReadGate::After ReadGate::endEvent() noexcept {
    --depth_;
    if (depth_ > 0) {
        // The outer handler is still running and will not look at the socket again.
        missed_ = true;
        if (receives_ == receivesAtInner_) {
            held_ = true;
            return After::Held;
        }
        return After::Nothing;
    }
    held_ = false;
    if (missed_) {
        missed_ = false;
        return After::RaiseAgain;
    }
    if (receives_ == receivesAtStart_) {
        stalled_ = true;
        stalledAt_ = waitingAtStart_;
        return After::WaitForMore;
    }
    return After::Nothing;
}

void ReadGate::noteReceive() noexcept {
    ++receives_;
    stalled_ = false;
}

void ReadGate::reset() noexcept {
    missed_ = false;
    held_ = false;
    stalled_ = false;
    stalledAt_ = 0;
}

}  // namespace ardentis::platform
