// Typed text as the window procedure receives it: characters already composed by the keyboard
// layout, in UTF-8, without control characters (Backspace, Enter, Tab and Escape are keys).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// utf8 without control characters: C0, DEL and C1. Their bytes never occur inside another
// character's UTF-8, so the rest is left as it was.
std::string printableText(const std::string& utf8);

// Windows hands typed characters over as UTF-16 code units one message at a time, a character
// beyond the Basic Multilingual Plane as two (high surrogate first).
class Utf16Typing {
public:
    // The UTF-8 of the character that unit completes; empty for the first half of a pair, for a
    // half without its partner and for a control character.
    std::string take(uint16_t unit);
    void reset() { high_ = 0; }

private:
    uint16_t high_ = 0;  // a high surrogate waiting for its low one
};

}  // namespace platform
