// The own sine and cosine against a table of inputs and the bits that glibc 2.36's sinf/cosf give
// for them (the Linux build before these functions). Under Wine the same table checks that the
// Windows build gives the same bits: these functions use no C library.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "game/float_bits.h"
#include "game/stable_trig.h"

namespace {

struct Row {
    uint32_t input, sine, cosine;  // float bits
    const char* what;
};

// Zero and the signs, subnormals, small values, around the multiples of pi/2, the angles the
// rules make (float degrees times DEG_TO_RAD, + PI_F when driving backward), the edge of the
// moderate range at 120, large values, the infinities and NaNs.
const Row ROWS[] = {
    {0x00000000, 0x00000000, 0x3f800000, "+0"},
    {0x80000000, 0x80000000, 0x3f800000, "-0"},
    {0x00000001, 0x00000001, 0x3f800000, "smallest subnormal"},
    {0x807fffff, 0x807fffff, 0x3f800000, "-largest subnormal"},
    {0x00800000, 0x00800000, 0x3f800000, "smallest normal"},
    {0x3727c5ac, 0x3727c5ac, 0x3f800000, "1e-5"},
    {0xb9800000, 0xb9800000, 0x3f800000, "-2^-12"},
    {0x3e800000, 0x3e7d5777, 0x3f780aa5, "0.25"},
    {0x3f000000, 0x3ef57744, 0x3f60a940, "0.5"},
    {0xbf400000, 0xbf2e7fe1, 0x3f3b4ff6, "-0.75"},
    {0x3f800000, 0x3f576aa4, 0x3f0a5140, "1"},
    {0xbf800000, 0xbf576aa4, 0x3f0a5140, "-1"},
    {0x3f490fda, 0x3f3504f3, 0x3f3504f4, "float below pi/4"},
    {0x3f490fdb, 0x3f3504f3, 0x3f3504f3, "float above pi/4"},
    {0x3fc90fdb, 0x3f800000, 0xb33bbd2e, "pi/2 (float)"},
    {0x3fc90fda, 0x3f800000, 0x33a22169, "float below pi/2"},
    {0x40490fdb, 0xb3bbbd2e, 0xbf800000, "pi (PI_F)"},
    {0xc0490fdb, 0x33bbbd2e, 0xbf800000, "-pi (float)"},
    {0x4096cbe4, 0xbf800000, 0x324cde2e, "3pi/2 (float)"},
    {0x40c90fdb, 0x343bbd2e, 0x3f800000, "2pi (float)"},
    {0x41200000, 0xbf0b44f8, 0xbf56cd64, "10"},
    {0xc2c80000, 0x3f01a12e, 0x3f5cc0ee, "-100"},
    {0x42efffff, 0x3f14a287, 0x3f506e74, "float below 120"},
    {0x42f00000, 0x3f14a2ef, 0x3f506e2a, "120"},
    {0xc2f00001, 0xbf14a357, 0x3f506de0, "-120.00001"},
    {0x3fc90fdb, 0x3f800000, 0xb33bbd2e, "90 deg"},
    {0x40490fdb, 0xb3bbbd2e, 0xbf800000, "180 deg"},
    {0x4096cbe4, 0xbf800000, 0x324cde2e, "270 deg"},
    {0xbfc90fdb, 0xbf800000, 0xb33bbd2e, "-90 deg"},
    {0x3c0efa35, 0x3c0ef9be, 0x3f7ffd81, "0.5 deg"},
    {0x3be4c388, 0x3be4c30e, 0x3f7ffe67, "0.4 deg"},
    {0xbf4b4bc3, 0xbf369795, 0x3f336eca, "-45.5 deg"},
    {0x404ca2e8, 0xbd64a4e7, 0xbf7f99d1, "183.2 deg"},
    {0x40fb53d2, 0x3f800000, 0xb4b5563d, "270 deg + PI_F"},
    {0x40499ed5, 0xbc0ef9e7, 0xbf7ffd81, "0.5 deg + PI_F"},
    {0xc0971361, 0x3f7ffd81, 0x3c0ef996, "-(270.5 deg)"},
    {0x427bbf0d, 0x3dd61320, 0x3f7e98fc, "3606 deg"},
    {0xc2fb5849, 0xbc0ef634, 0x3f7ffd81, "-7200.5 deg"},
    {0x44da2ad1, 0xbf7bb630, 0x3e3aa4ba, "100000.5 deg"},
    {0x461c4000, 0xbe9c797d, 0xbf73c074, "1e4"},
    {0x49742400, 0xbeb33259, 0x3f6fcefd, "1e6"},
    {0xc9742400, 0x3eb33259, 0x3f6fcefd, "-1e6"},
    {0x4b800000, 0xbf47917c, 0x3f2056b4, "2^24"},
    {0x501502f9, 0xbef99a64, 0x3f5f84c5, "1e10"},
    {0xe0ad78ec, 0xbf281569, 0x3f411723, "-1e20"},
    {0x7f61b1e6, 0x3f5ff9c4, 0xbef7f57c, "3e38"},
    {0x7f7fffff, 0xbf0599b3, 0x3f5a5f96, "largest float"},
    {0xff7fffff, 0x3f0599b3, 0x3f5a5f96, "-largest float"},
    {0x7f800000, 0xffc00000, 0xffc00000, "+inf"},
    {0xff800000, 0xffc00000, 0xffc00000, "-inf"},
    {0x7fc00000, 0x7fc00000, 0x7fc00000, "quiet NaN"},
    {0xffc00000, 0xffc00000, 0xffc00000, "-quiet NaN"},
    {0x7fc12345, 0x7fc12345, 0x7fc12345, "NaN with payload"},
};

void expectRow(const Row& row) {
    const float x = bitsFloat(row.input);
    EXPECT_EQ(floatBits(stableSin(x)), row.sine) << "sin of " << row.what;
    EXPECT_EQ(floatBits(stableCos(x)), row.cosine) << "cos of " << row.what;
}

}  // namespace

TEST(StableTrig, GivesGlibcBitsForTheTable) {
    for (const Row& row : ROWS) expectRow(row);
}
