// The recorder's shared memory block as another program left it.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "game/recorder_report.h"
#include "tools/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ardentis;
    game::RecorderSnapshot block{};
    fuzz::FuzzInput input(data, size);
    const auto part = input.take(block.size());
    std::ranges::copy(part, block.begin());

    const std::int32_t state = game::recorderState(block);
    fuzz::check(game::recorderRecording(block) == (state == 1 || state == 3),
                "recording disagrees with the state");
    // At most ten players of at most 19 bytes each, with their allies and the labels.
    fuzz::check(game::recorderReport(block).size() <= 1024, "the report grew without bound");
    return 0;
}
