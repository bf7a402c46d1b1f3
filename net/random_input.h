// Random play for the online tests and benchmarks: controls drawn afresh every 10 to 50 frames,
// a fire press now and then, and seldom a pause key. The same seed plays the same way anywhere.
#pragma once

#include <cstdint>

#include "net/packet.h"

class RandomInput {
public:
    explicit RandomInput(uint32_t seed) : state_(seed ? seed : 1) {}

    SideInput next() {
        if (--holdFor_ <= 0) {
            holdFor_ = 10 + int(draw() % 41);
            held_ = Controls(draw() & 0x3F);  // the six driving and turning controls
            fireHeld_ = draw() % 3 == 0;
        }
        SideInput input;
        input.controls = held_;
        if (fireHeld_) input.controls |= FireHeld | (draw() % 8 == 0 ? FirePressed : 0);
        if (draw() % 6000 == 0) input.gameKeys |= PauseLetterKey;
        return input;
    }

private:
    uint32_t draw() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    uint32_t state_;
    int holdFor_ = 0;
    Controls held_ = 0;
    bool fireHeld_ = false;
};
