// Splitting song text lines into tokens, reading numbers, and the format's fixed words.
#include "tools/song/text_tokens.h"

#include <cctype>

#include "tools/message_format.h"
#include "tools/song/song_messages.h"

namespace song {

const char* const NoteNames[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                   "F#", "G-", "G#", "A-", "A#", "B-"};
const char* const EffectTypeNames[5] = {"off", "average", "morph-inverted", "morph", "morph-next"};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool tokenize(const std::string& text, std::vector<Token>& tokens, std::string& error) {
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ';') break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                char d = text[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d != '\\') {
                    token.text += d;
                    continue;
                }
                if (i >= text.size()) break;
                char e = text[i++];
                if (e == '"' || e == '\\') {
                    token.text += e;
                } else if (e == 'x' && i + 1 < text.size() && hexDigit(text[i]) >= 0 &&
                           hexDigit(text[i + 1]) >= 0) {
                    token.text += static_cast<char>(hexDigit(text[i]) * 16 + hexDigit(text[i + 1]));
                    i += 2;
                } else {
                    error = formatMessage(UNKNOWN_ESCAPE, e);
                    return false;
                }
            }
            if (!closed) {
                error = UNCLOSED_STRING;
                return false;
            }
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
                   text[i] != ';' && text[i] != '"')
                token.text += text[i++];
        }
        tokens.push_back(token);
    }
    return true;
}

bool parseNumber(const std::string& text, long& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    long v = 0;
    for (; i < text.size(); ++i) {
        int d = base == 16 ? hexDigit(text[i]) : (std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0' : -1);
        if (d < 0) return false;
        v = v * base + d;
        if (v > 100000000) return false;
    }
    value = negative ? -v : v;
    return true;
}

}  // namespace song
