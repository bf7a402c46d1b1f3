// Replay files of any content: the decoder must refuse or accept without reading past the bytes
// or allocating beyond its caps. Each input is also tried with its checksum made to fit, so that
// the fuzzer reaches the sections behind it; whatever decodes must encode and decode to the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/replay.h"

namespace {

bool sameInputs(const FrameInput& a, const FrameInput& b) {
    return std::memcmp(a.controls, b.controls, sizeof a.controls) == 0 && a.gameKeys == b.gameKeys &&
           a.mouseStep == b.mouseStep && a.clock == b.clock;
}

bool sameReplay(const Replay& a, const Replay& b) {
    if (a.rulesVersion != b.rulesVersion || a.variant != b.variant || a.recordedAt != b.recordedAt ||
        a.walls.size() != b.walls.size() || a.startState != b.startState || a.frames.size() != b.frames.size() ||
        a.hashes != b.hashes)
        return false;
    if (!a.walls.empty() && std::memcmp(a.walls.data(), b.walls.data(), a.walls.size() * sizeof a.walls[0]) != 0)
        return false;
    for (size_t f = 0; f < a.frames.size(); ++f)
        if (!sameInputs(a.frames[f], b.frames[f])) return false;
    return true;
}

void decodeAndRoundTrip(const uint8_t* data, size_t size) {
    Replay replay;
    const ReplayProblem problem = decodeReplay(data, size, replay);
    if (problem != ReplayProblem::None && problem != ReplayProblem::OtherRulesVersion) return;
    const std::vector<uint8_t> again = encodeReplay(replay);
    Replay decoded;
    if (again.empty() || decodeReplay(again.data(), again.size(), decoded) != problem ||
        !sameReplay(replay, decoded))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decodeAndRoundTrip(data, size);
    if (size < 8) return 0;
    std::vector<uint8_t> sealed(data, data + size);
    const uint64_t checksum = replayChecksum(sealed.data(), size - 8);
    for (int i = 0; i < 8; ++i) sealed[size - 8 + i] = uint8_t(checksum >> (8 * i));
    decodeAndRoundTrip(sealed.data(), size);
    return 0;
}
