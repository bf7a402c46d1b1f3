#include "tools/json_text.h"

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when the byte there starts none
// (a stray continuation byte, an overlong form, a surrogate, a value above U+10FFFF, a cut-off
// sequence).
size_t utf8SequenceLength(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string utf8Text(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = utf8SequenceLength(bytes, at);
        if (length > 0) {
            out.append(bytes, at, length);
            at += length;
            continue;
        }
        const unsigned char latin1 = static_cast<unsigned char>(bytes[at++]);
        out += static_cast<char>(0xC0 | (latin1 >> 6));
        out += static_cast<char>(0x80 | (latin1 & 0x3F));
    }
    return out;
}

std::string jsonDocument(const ToolJson& value, int indent) {
    // Every text went through utf8Text; the replacement only guards against one that did not.
    return value.dump(indent, ' ', false, nlohmann::detail::error_handler_t::replace) + "\n";
}
