// The pieces of the song text format that its reader and writer share: tokens, numbers and the
// format's fixed words.
#pragma once

#include <string>
#include <vector>

namespace song {

// Note names without their octave digit, C- to B-.
extern const char* const NoteNames[12];
// Waveform effect types 0..4 by name.
extern const char* const EffectTypeNames[5];

struct Token {
    std::string text;
    bool quoted = false;
};

struct Line {
    int number = 0;
    std::vector<Token> tokens;
};

int hexDigit(char c);  // 0..15, or -1 for anything but a hex digit
// Splits one line into tokens: words, and quoted strings with the escapes \" \\ \xNN. A ';'
// outside a string starts a comment.
bool tokenize(const std::string& text, std::vector<Token>& tokens, std::string& error);
// Decimal with an optional sign, or hexadecimal after '$' or "0x".
bool parseNumber(const std::string& text, long& value);

}  // namespace song
