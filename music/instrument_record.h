// The 32-byte instrument record of a music module: where each field lies. The parser, the song
// compiler and the song text format all read the layout from here. Two-byte fields are
// big-endian. A record whose first byte is SYNTHETIC_MARKER describes a synthetic instrument;
// any other record describes a sampled one.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t INSTRUMENT_RECORD_BYTES = 32;
constexpr uint8_t SYNTHETIC_MARKER = 0xFF;

namespace rec {

// Sampled record: a name of 24 characters (not terminated), then the sample length and the loop
// length in 2-byte words, the loop start in bytes and the volume (the low byte is used).
constexpr int NAME = 0, NAME_SIZE = 24, SAMPLE_LENGTH = 24, LOOP_START = 26, LOOP_LENGTH = 28,
              SAMPLE_VOLUME = 30;

// Synthetic record of the current ("V.3") layout: the waveform table and its length in 2-byte
// words, the volume (0..64), and the fields of the five units. A unit's control is 0 off, 1 once
// or 2 repeat; its length counts table values.
constexpr int MARKER = 0, WAVE_TABLE = 1, WAVE_LENGTH = 2;
constexpr int VOL_CONTROL = 4, VOL_TABLE = 5, VOL_LENGTH = 6, VOL_SPEED = 8;
constexpr int PITCH_CONTROL = 9, PITCH_TABLE = 10, PITCH_DEPTH = 11, PITCH_LENGTH = 12,
              PITCH_DELAY = 14, PITCH_SPEED = 15;
constexpr int INV_CONTROL = 16, INV_TABLE = 17, INV_LENGTH = 18, INV_DELAY = 20, INV_SPEED = 21;
constexpr int EFFECT_TYPE = 22, EFFECT_SPEED = 23, EFFECT_DELAY = 24;
constexpr int TAIL_CONTROL = 25, TAIL_TABLE = 26, TAIL_SPEED = 27, TAIL_DELAY = 28;
constexpr int VOLUME = 29, TAIL_LENGTH = 30;

// The four units that step through a synthesis table, with the offsets of their fields (-1: the
// unit has no such field) and the name that song texts and messages give them.
struct UnitLayout {
    const char* name;
    int control, table, length, speed, delay, depth;
};
constexpr UnitLayout UnitLayouts[] = {
    {"volume-envelope", VOL_CONTROL, VOL_TABLE, VOL_LENGTH, VOL_SPEED, -1, -1},
    {"pitch-modulation", PITCH_CONTROL, PITCH_TABLE, PITCH_LENGTH, PITCH_SPEED, PITCH_DELAY,
     PITCH_DEPTH},
    {"inversion-envelope", INV_CONTROL, INV_TABLE, INV_LENGTH, INV_SPEED, INV_DELAY, -1},
    {"tail-modulation", TAIL_CONTROL, TAIL_TABLE, TAIL_LENGTH, TAIL_SPEED, TAIL_DELAY, -1},
};

// The older ("V.2") synthetic record: where each of its bytes lands in the current layout, or
// -1 for the nine spare bytes that the upgrade drops.
constexpr int V2ToCurrent[INSTRUMENT_RECORD_BYTES] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1, 14, 15, 16, 17, -1, 18, 19, -1, 20, 21,
    29, -1, -1, -1, -1, -1, -1};
constexpr int V2_SPARE_BYTES = 9;

}  // namespace rec

// Rewrites an older ("V.2") synthetic record into the current layout; old and current may be the
// same record. The waveform effect and the tail modulation, which that generation lacks, start
// switched off with speed 1. When spare is given it receives the V2_SPARE_BYTES dropped bytes in
// the order of their old offsets.
void upgradeV2Record(const uint8_t* old, uint8_t* current, uint8_t* spare = nullptr);
