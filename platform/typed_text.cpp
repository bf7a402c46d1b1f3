#include "platform/typed_text.h"

namespace platform {

namespace {
bool isControl(uint32_t code) { return code < 0x20 || (code >= 0x7f && code < 0xa0); }

std::string utf8(uint32_t code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xe0 | code >> 12);
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | code >> 18);
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
    return out;
}
}  // namespace

std::string printableText(const std::string& utf8Text) {
    std::string out;
    for (size_t i = 0; i < utf8Text.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8Text[i]);
        if (byte < 0x20 || byte == 0x7f) continue;
        // C1 controls are U+0080..U+009F: 0xC2 followed by 0x80..0x9F.
        if (byte == 0xc2 && i + 1 < utf8Text.size() && (static_cast<unsigned char>(utf8Text[i + 1]) & 0xe0) == 0x80) {
            ++i;
            continue;
        }
        out += utf8Text[i];
    }
    return out;
}

std::string Utf16Typing::take(uint16_t unit) {
    if (unit >= 0xd800 && unit <= 0xdbff) {
        high_ = unit;
        return "";
    }
    uint32_t code = unit;
    if (unit >= 0xdc00 && unit <= 0xdfff) {
        if (!high_) return "";
        code = 0x10000 + ((static_cast<uint32_t>(high_) - 0xd800) << 10) + (unit - 0xdc00u);
    }
    high_ = 0;
    return isControl(code) ? "" : utf8(code);
}

}  // namespace platform
