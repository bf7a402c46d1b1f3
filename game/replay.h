// A recorded match: the arena, the game state it began from and every frame's input, with state
// hashes along the way so that a replay run elsewhere can prove it went the same way. The file
// layout (docs/replay-format.md) is explicit little-endian bytes, readable on any machine; the
// decoder trusts nothing in the file and never allocates more than the caps below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/frame_input.h"
#include "game/game.h"

// The version of the game rules. It changes whenever the rules compute any frame differently
// (a new constant, another order of updates, another random draw), because a replay recorded
// under other rules no longer plays the same match.
constexpr uint16_t RULES_VERSION = 1;
// The version of the file layout below the magic; it changes with the layout only.
constexpr uint16_t REPLAY_FORMAT_VERSION = 1;

constexpr int REPLAY_FRAMES_PER_SECOND = 100;
// A state hash is stored after every REPLAY_HASH_INTERVAL frames: hash k is the hash of the game
// state after frames 0 .. REPLAY_HASH_INTERVAL * (k + 1) - 1 have run, so a replay of n frames
// holds n / REPLAY_HASH_INTERVAL hashes (a last part shorter than the interval has none).
constexpr uint32_t REPLAY_HASH_INTERVAL = 100;

// The caps a file may not exceed: eight hours of frames, far more walls and state than any arena
// or rules version needs. A recorder stops before them.
constexpr uint32_t MAX_REPLAY_FRAMES = 8u * 3600u * REPLAY_FRAMES_PER_SECOND;
constexpr uint32_t MAX_REPLAY_WALLS = 65536;
constexpr uint32_t MAX_REPLAY_START_STATE = 1u << 20;  // bytes
constexpr uint64_t MAX_REPLAY_FILE_BYTES = uint64_t(64) << 20;

struct Replay {
    uint16_t rulesVersion = RULES_VERSION;
    uint8_t variant = 0;                   // a GameMode: 0 regular, 1 bouncing, 2 steerable
    int64_t recordedAt = 0;                // seconds since 1970-01-01 00:00 UTC
    std::vector<PlayfieldBlock> walls;     // the arena, in file order, bit for bit
    std::vector<uint8_t> startState;       // the saved game state (its layout versions itself)
    // One per frame. Only players 0 and 1 are stored: a decoded replay has 0 for the others.
    std::vector<FrameInput> frames;
    std::vector<uint64_t> hashes;          // frames.size() / REPLAY_HASH_INTERVAL of them
};

// Why a file is not a replay this build can play. Every problem but OtherRulesVersion leaves the
// output replay unspecified.
enum class ReplayProblem : uint8_t {
    None,
    NotAReplay,          // no replay magic at the start
    OtherFormatVersion,  // a layout this build does not know (a newer game wrote it)
    OtherRulesVersion,   // decoded completely, but recorded under other rules: it would not replay
    Truncated,           // ends before the sizes in its header say
    Damaged,             // the checksum disagrees, or bytes follow the end
    TooLarge,            // a count or the file beyond the caps
    // The checksum holds but the fields do not: a variant above 2, a wall whose minimum exceeds
    // its maximum (or is not a number), a mouse step other than -1..1, a hash count other than
    // frames / REPLAY_HASH_INTERVAL, input runs that do not make exactly the frame count.
    Inconsistent,
    Unreadable,          // the file itself cannot be read (missing, a folder, not a plain file)
};

// A short reason to follow the file's name: "is damaged (its checksum does not match)".
const char* replayProblemText(ReplayProblem problem);

// The file's bytes; empty for a replay that decodeReplay would refuse (beyond the caps, or
// Inconsistent as below).
std::vector<uint8_t> encodeReplay(const Replay& replay);
// Reads a replay from size bytes. Checks the magic, the format version, the caps and every
// section's length against size before it allocates, then the checksum, then the sections.
ReplayProblem decodeReplay(const uint8_t* bytes, size_t size, Replay& out);

// A recording time as a calendar date and time in UTC (the proleptic Gregorian calendar).
struct UtcTime {
    int64_t year;
    int month, day, hour, minute, second;  // 1..12, 1..31, 0..23, 0..59, 0..59
};
UtcTime utcTime(int64_t secondsSince1970);

// The checksum stored in a file's last 8 bytes: 64-bit FNV-1a over every byte before them.
// Any single changed byte changes it.
uint64_t replayChecksum(const uint8_t* bytes, size_t size);
