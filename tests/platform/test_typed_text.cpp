// Typed text: the UTF-16 units of Windows' character messages to UTF-8, and control characters
// dropped whichever backend the text came from.
#include "platform/typed_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TypedText, Utf16UnitsBecomeUtf8CharactersWithoutControls) {
    struct Case {
        std::vector<uint16_t> units;
        std::string text;  // what they type together
    } cases[] = {
        {{'w'}, "w"},
        {{'1', '.', ':'}, "1.:"},
        {{0xe9}, "\xc3\xa9"},                        // é
        {{0x20ac}, "\xe2\x82\xac"},                  // €
        {{0xd83d, 0xde00}, "\xf0\x9f\x98\x80"},      // a smiley: a surrogate pair
        {{0xdbff, 0xdfff}, "\xf4\x8f\xbf\xbf"},      // the last code point
        {{0x08, 0x0d, 0x1b, 0x7f, 0x85, 'a'}, "a"},  // Backspace, Enter, Escape, DEL, C1: keys, not text
        {{0xde00, 'b'}, "b"},                        // a low half alone is dropped
        {{0xd83d, 'c'}, "c"},                        // a high half without its partner is dropped
        {{0xd83d, 0xd83d, 0xde00}, "\xf0\x9f\x98\x80"},
    };
    for (const Case& c : cases) {
        platform::Utf16Typing typing;
        std::string typed;
        for (uint16_t unit : c.units) typed += typing.take(unit);
        EXPECT_EQ(typed, c.text) << c.text;
    }
    platform::Utf16Typing typing;
    typing.take(0xd83d);
    typing.reset();  // a new typing session forgets half a pair
    EXPECT_EQ(typing.take(0xde00), "");

    EXPECT_EQ(platform::printableText("a\tb\r\n\x1b\x7f" "c\xc2\x85\xc3\xa9\xf0\x9f\x98\x80"),
              "abc\xc3\xa9\xf0\x9f\x98\x80");
}

}  // namespace
