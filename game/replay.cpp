#include "game/replay.h"

#include "game/float_bits.h"
#include "game/little_endian.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "game/replay_messages.h"

namespace {

constexpr uint8_t MAGIC[8] = {'T', 'V', 'R', 'E', 'P', 'L', 'A', 'Y'};
constexpr size_t HEADER_BYTES = 44;
constexpr size_t WALL_BYTES = 7 * 4;
constexpr size_t CHECKSUM_BYTES = 8;
constexpr int VARIANTS = 3;

// The fields of a frame's input, a bit each in the low bits of a run's header, in the order their
// new values follow it.
enum ChangedField : uint32_t {
    Controls0Changed = 1 << 0,
    Controls1Changed = 1 << 1,
    GameKeysChanged = 1 << 2,
    MouseStepChanged = 1 << 3,
    ClockChanged = 1 << 4,
};
constexpr int CHANGED_BITS = 5;

// ---- writing -----------------------------------------------------------------------------------

// A clock step as a small number: the difference modulo 2^32, zigzagged so that steps of -1 and
// +1 both take one byte.
uint32_t zigzag(uint32_t difference) { return (difference << 1) ^ (0u - (difference >> 31)); }
uint32_t unzigzag(uint32_t value) { return (value >> 1) ^ (0u - (value & 1)); }

uint32_t changedFields(const FrameInput& before, const FrameInput& now) {
    uint32_t mask = 0;
    if (now.controls[0] != before.controls[0]) mask |= Controls0Changed;
    if (now.controls[1] != before.controls[1]) mask |= Controls1Changed;
    if (now.gameKeys != before.gameKeys) mask |= GameKeysChanged;
    if (now.mouseStep != before.mouseStep) mask |= MouseStepChanged;
    if (now.clock != before.clock) mask |= ClockChanged;
    return mask;
}

// Runs of unchanged input: a header (frames in the run - 1, shifted past the changed-field bits)
// and the new values of the fields that changed since the previous run.
std::vector<uint8_t> encodeInputs(const std::vector<FrameInput>& frames) {
    ByteWriter out;
    FrameInput before{};
    for (size_t i = 0; i < frames.size();) {
        const FrameInput& now = frames[i];
        size_t end = i + 1;
        while (end < frames.size() && changedFields(now, frames[end]) == 0) ++end;
        const uint32_t mask = changedFields(before, now);
        out.varint(uint32_t(end - i - 1) << CHANGED_BITS | mask);
        if (mask & Controls0Changed) out.u8(now.controls[0]);
        if (mask & Controls1Changed) out.u8(now.controls[1]);
        if (mask & GameKeysChanged) out.u8(now.gameKeys);
        if (mask & MouseStepChanged) out.u8(uint8_t(now.mouseStep));
        if (mask & ClockChanged) out.varint(zigzag(now.clock - before.clock));
        before = now;
        i = end;
    }
    return out.bytes;
}

// The arena reader keeps every wall's minimum at or below its maximum; the collision tests rely on it.
bool wallOrdered(const PlayfieldBlock& wall) { return wall.xMin <= wall.xMax && wall.yMin <= wall.yMax; }

bool encodable(const Replay& replay) {
    if (replay.variant >= VARIANTS || replay.frames.size() > MAX_REPLAY_FRAMES ||
        replay.walls.size() > MAX_REPLAY_WALLS || replay.startState.size() > MAX_REPLAY_START_STATE ||
        replay.hashes.size() != replay.frames.size() / REPLAY_HASH_INTERVAL)
        return false;
    for (const FrameInput& frame : replay.frames)
        if (frame.mouseStep < -1 || frame.mouseStep > 1) return false;
    for (const PlayfieldBlock& wall : replay.walls)
        if (!wallOrdered(wall)) return false;
    return true;
}

// ---- reading -----------------------------------------------------------------------------------

struct Header {
    uint16_t formatVersion, rulesVersion;
    uint32_t variant;
    int64_t recordedAt;
    uint32_t wallCount, startStateBytes, frameCount, inputBytes, hashCount;
};

Header readHeader(ByteReader& in) {
    Header header{};
    in.at += sizeof MAGIC;
    header.formatVersion = in.u16();
    header.rulesVersion = in.u16();
    header.variant = in.u32();
    header.recordedAt = int64_t(in.u64());
    header.wallCount = in.u32();
    header.startStateBytes = in.u32();
    header.frameCount = in.u32();
    header.inputBytes = in.u32();
    header.hashCount = in.u32();
    return header;
}

uint64_t fileBytes(const Header& header) {
    return HEADER_BYTES + uint64_t(header.wallCount) * WALL_BYTES + header.startStateBytes +
           header.inputBytes + uint64_t(header.hashCount) * 8 + CHECKSUM_BYTES;
}

// Every section's size against the caps and the file's size, before anything is allocated.
ReplayProblem checkSizes(const Header& header, size_t size) {
    if (header.wallCount > MAX_REPLAY_WALLS || header.startStateBytes > MAX_REPLAY_START_STATE ||
        header.frameCount > MAX_REPLAY_FRAMES || fileBytes(header) > MAX_REPLAY_FILE_BYTES)
        return ReplayProblem::TooLarge;
    if (fileBytes(header) > size) return ReplayProblem::Truncated;
    if (fileBytes(header) < size) return ReplayProblem::Damaged;
    return ReplayProblem::None;
}

// Decodes the runs of the input section into exactly frameCount frames; false when the runs
// overshoot, stop short, or leave bytes over. Each run takes at least one byte and one frame.
bool decodeInputs(ByteReader in, uint32_t frameCount, std::vector<FrameInput>& frames) {
    FrameInput input{};
    frames.clear();
    while (frames.size() < frameCount) {
        const uint32_t header = in.varint();
        const uint32_t run = (header >> CHANGED_BITS) + 1;
        if (in.failed || run > frameCount - frames.size()) return false;
        if (header & Controls0Changed) input.controls[0] = in.u8();
        if (header & Controls1Changed) input.controls[1] = in.u8();
        if (header & GameKeysChanged) input.gameKeys = in.u8();
        if (header & MouseStepChanged) input.mouseStep = int8_t(in.u8());
        if (header & ClockChanged) input.clock += unzigzag(in.varint());
        if (in.failed || input.mouseStep < -1 || input.mouseStep > 1) return false;
        frames.insert(frames.end(), run, input);
    }
    return in.at == in.end;
}

}  // namespace

const char* replayProblemText(ReplayProblem problem) {
    const size_t index = size_t(problem);
    return index < sizeof ReplayProblemTexts / sizeof ReplayProblemTexts[0] ? ReplayProblemTexts[index]
                                                                            : "is not a replay file";
}

// Days to a civil date by whole eras of 400 years (146097 days), so that any int64 of seconds
// works without the C library's time functions, which differ between systems.
UtcTime utcTime(int64_t secondsSince1970) {
    int64_t days = secondsSince1970 / 86400;
    int64_t second = secondsSince1970 % 86400;
    if (second < 0) {
        second += 86400;
        --days;
    }
    days += 719468;  // from 1970-01-01 to 0000-03-01
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    UtcTime time;
    time.day = int(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    time.month = int(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    time.year = yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0);
    time.hour = int(second / 3600);
    time.minute = int(second / 60 % 60);
    time.second = int(second % 60);
    return time;
}

uint64_t replayChecksum(const uint8_t* bytes, size_t size) {
    uint64_t hash = 0xCBF29CE484222325u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3u;
    return hash;
}

std::vector<uint8_t> encodeReplay(const Replay& replay) {
    if (!encodable(replay)) return {};
    const std::vector<uint8_t> inputs = encodeInputs(replay.frames);
    ByteWriter out;
    out.bytes.assign(MAGIC, MAGIC + sizeof MAGIC);
    out.u16(REPLAY_FORMAT_VERSION);
    out.u16(replay.rulesVersion);
    out.u32(replay.variant);
    out.u64(uint64_t(replay.recordedAt));
    out.u32(uint32_t(replay.walls.size()));
    out.u32(uint32_t(replay.startState.size()));
    out.u32(uint32_t(replay.frames.size()));
    out.u32(uint32_t(inputs.size()));
    out.u32(uint32_t(replay.hashes.size()));
    for (const PlayfieldBlock& wall : replay.walls)
        for (float value : {wall.xMin, wall.yMin, wall.xMax, wall.yMax, wall.red, wall.green, wall.blue})
            out.u32(floatBits(value));
    out.bytes.insert(out.bytes.end(), replay.startState.begin(), replay.startState.end());
    out.bytes.insert(out.bytes.end(), inputs.begin(), inputs.end());
    for (uint64_t hash : replay.hashes) out.u64(hash);
    if (out.bytes.size() + CHECKSUM_BYTES > MAX_REPLAY_FILE_BYTES) return {};
    out.u64(replayChecksum(out.bytes.data(), out.bytes.size()));
    return out.bytes;
}

namespace {

ReplayProblem decodeChecked(const uint8_t* bytes, size_t size, Replay& out) {
    if (bytes == nullptr || size < sizeof MAGIC || std::memcmp(bytes, MAGIC, sizeof MAGIC) != 0)
        return ReplayProblem::NotAReplay;
    if (size < sizeof MAGIC + 2) return ReplayProblem::Truncated;
    ByteReader in{bytes, bytes + size};
    const Header header = readHeader(in);
    if (header.formatVersion != REPLAY_FORMAT_VERSION) return ReplayProblem::OtherFormatVersion;
    if (in.failed) return ReplayProblem::Truncated;
    if (const ReplayProblem sizes = checkSizes(header, size); sizes != ReplayProblem::None) return sizes;
    if (replayChecksum(bytes, size - CHECKSUM_BYTES) != ByteReader{bytes + size - CHECKSUM_BYTES, bytes + size}.u64())
        return ReplayProblem::Damaged;
    if (header.variant >= VARIANTS || header.hashCount != header.frameCount / REPLAY_HASH_INTERVAL)
        return ReplayProblem::Inconsistent;

    out.rulesVersion = header.rulesVersion;
    out.variant = uint8_t(header.variant);
    out.recordedAt = header.recordedAt;
    out.walls.resize(header.wallCount);
    for (PlayfieldBlock& wall : out.walls)
        for (float* value : {&wall.xMin, &wall.yMin, &wall.xMax, &wall.yMax, &wall.red, &wall.green, &wall.blue})
            *value = bitsFloat(in.u32());
    for (const PlayfieldBlock& wall : out.walls)
        if (!wallOrdered(wall)) return ReplayProblem::Inconsistent;
    out.startState.assign(in.at, in.at + header.startStateBytes);
    in.at += header.startStateBytes;
    if (!decodeInputs(ByteReader{in.at, in.at + header.inputBytes}, header.frameCount, out.frames))
        return ReplayProblem::Inconsistent;
    in.at += header.inputBytes;
    out.hashes.resize(header.hashCount);
    for (uint64_t& hash : out.hashes) hash = in.u64();
    return header.rulesVersion == RULES_VERSION ? ReplayProblem::None : ReplayProblem::OtherRulesVersion;
}

}  // namespace

ReplayProblem decodeReplay(const uint8_t* bytes, size_t size, Replay& out) {
    try {
        return decodeChecked(bytes, size, out);
    } catch (const std::bad_alloc&) {
        return ReplayProblem::TooLarge;  // within the caps, but not within this machine's memory
    } catch (const std::length_error&) {
        return ReplayProblem::TooLarge;
    }
}
