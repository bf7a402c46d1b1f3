// Own sine and cosine for the game rules; see stable_trig.h and docs/determinism.md.
//
// x is brought to r = |x| - n*pi/2 with |r| <= pi/4 (n taken modulo 4 picks the function and the
// sign), the sine or cosine of r is a polynomial evaluated in double, and the one rounding to
// float comes last. The polynomials are weighted minimax fits on [0, pi/4] made by
// scripts/trig_coefficients.py; their error, about 2^-28 of the result (a few hundredths of a
// float ulp), is the same kind of error that glibc's sinf/cosf make, and the fits were chosen as
// the ones whose float results agree with glibc's: like glibc's, about one result in a hundred is
// not the nearest float to the true sine, and these are the same results.
// This file must be built with -ffp-contract=off (game/CMakeLists.txt): a fused multiply-add on
// one build and not on another would change the bits.
#include "game/float_bits.h"
#include "game/stable_trig.h"

#include <cstdint>
#include <cstring>

namespace {

// Below this |x| (n <= 77) pi/2 rounded to double is close enough: r = |x| - n * HALF_PI taken
// exactly and rounded once is off by at most n * 6.2e-17 from the true r, at worst a fifth of a
// float ulp of the result (x = 0x1.2d97c8p+2 next to 3pi/2, r = 1.2e-8) and mostly far less.
// Reduced so, the results are those of glibc's sinf/cosf on processors with FMA
// (docs/determinism.md).
constexpr float MODERATE_LIMIT = 120.0f;
constexpr double HALF_PI = 0x1.921fb54442d18p+0;      // pi/2 rounded to double
constexpr double TWO_OVER_PI = 0x1.45f306dc9c883p-1;  // 2/pi rounded to double
// HALF_PI = HALF_PI_HIGH + HALF_PI_LOW exactly, HALF_PI_HIGH having 45 significant bits: for
// n < 256 both n * HALF_PI_HIGH and n * HALF_PI_LOW are exact.
constexpr double HALF_PI_HIGH = 0x1.921fb54442dp+0;
constexpr double HALF_PI_LOW = 0x1.8p-48;

// sin r = r + r^3 (S1 + S2 r^2 + S3 r^4), minimax for the error divided by r on [0, pi/4].
constexpr double S1 = -0x1.555545995a603p-3;
constexpr double S2 = 0x1.1107605230be6p-7;
constexpr double S3 = -0x1.994eb3774daebp-13;
// cos r = 1 + C1 r^2 + C2 r^4 + C3 r^6 + C4 r^8, minimax for the absolute error on [0, pi/4].
constexpr double C1 = -0x1.ffffffd0c621cp-2;
constexpr double C2 = 0x1.55553e1068f2dp-5;
constexpr double C3 = -0x1.6c087e89a3db8p-10;
constexpr double C4 = 0x1.99343027de200p-16;

// The bits of 2/pi after the binary point, 32 to a word, behind one word of zeros (which lets the
// large reduction start its window before the binary point for the smaller large arguments).
constexpr uint32_t TWO_OVER_PI_BITS[] = {
    0x00000000, 0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599,
    0x3C439041, 0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA};

// |x| = m * 2^e (m the 24-bit significand, |x| >= MODERATE_LIMIT) reduced exactly: the product of
// m with 128 bits of 2/pi taken at the right place gives |x| * 2/pi modulo 4 with 126 bits after
// the point. Returns r in [-pi/4, pi/4] and sets quadrant to n modulo 4.
double reduceLarge(uint32_t absBits, int& quadrant) {
    const uint32_t m = (absBits & 0x7fffffu) | 0x800000u;
    const int e = static_cast<int>(absBits >> 23) - 150;
    // Bits of 2/pi worth 4 or more after multiplying by 2^e add whole turns; skip them.
    const int skip = e - 2 + 32;  // counted in the table, which begins with a zero word
    const int word = skip / 32, shift = skip % 32;
    uint32_t window[4];  // 128 bits of the table from bit `skip` on, most significant first
    for (int j = 0; j < 4; ++j) {
        const uint32_t high = TWO_OVER_PI_BITS[word + j];
        const uint32_t low = TWO_OVER_PI_BITS[word + j + 1];
        window[j] = shift == 0 ? high : (high << shift) | (low >> (32 - shift));
    }
    // m * window modulo 2^128: the top two bits are the quadrant, the rest the fraction.
    uint32_t product[4];
    uint64_t carry = 0;
    for (int j = 3; j >= 0; --j) {
        const uint64_t part = static_cast<uint64_t>(m) * window[j] + carry;
        product[j] = static_cast<uint32_t>(part);
        carry = part >> 32;
    }
    uint64_t high = (static_cast<uint64_t>(product[0]) << 32) | product[1];
    uint64_t low = (static_cast<uint64_t>(product[2]) << 32) | product[3];
    quadrant = static_cast<int>(high >> 62);
    high = (high << 2) | (low >> 62);
    low <<= 2;
    // The fraction f in [0, 1) of a quadrant, as high:low / 2^128; past one half it is f - 1 of
    // the next quadrant.
    bool negative = false;
    if (high >> 63) {
        ++quadrant;
        negative = true;
        high = ~high;
        low = ~low + 1;
        if (low == 0) ++high;
    }
    const double fraction = static_cast<double>(static_cast<int64_t>(high)) * 0x1p-64 +
                            static_cast<double>(static_cast<int64_t>(low >> 11)) * 0x1p-117;
    const double r = fraction * HALF_PI;
    return negative ? -r : r;
}

// Reduces |x| (finite) to r in about [-pi/4, pi/4] and n modulo 4 in quadrant.
double reduce(float absX, uint32_t absBits, int& quadrant) {
    if (absX < MODERATE_LIMIT) {
        const double a = absX;
        const int n = static_cast<int>(a * TWO_OVER_PI + 0.5);
        quadrant = n & 3;
        // a - n * HALF_PI with one rounding, as a fused multiply-add would give it (glibc's
        // sinf/cosf use one on processors that have it): a - n * HALF_PI_HIGH is exact, both being
        // multiples of 2^-44 (a >= pi/4 once n > 0) and their difference below 1.
        const double dn = n;
        return (a - dn * HALF_PI_HIGH) - dn * HALF_PI_LOW;
    }
    return reduceLarge(absBits, quadrant);
}

double sinPoly(double r) {
    const double r2 = r * r;
    return r + r * r2 * (S1 + r2 * (S2 + r2 * S3));
}

double cosPoly(double r) {
    const double r2 = r * r;
    return 1.0 + r2 * (C1 + r2 * (C2 + r2 * (C3 + r2 * C4)));
}

// sin(|x|) when wantCos is false, cos(|x|) when true.
double sinOrCosOfAbs(float absX, uint32_t absBits, bool wantCos) {
    int quadrant = 0;
    const double r = reduce(absX, absBits, quadrant);
    if (wantCos) ++quadrant;  // cos t = sin(t + pi/2)
    switch (quadrant & 3) {
        case 0: return sinPoly(r);
        case 1: return cosPoly(r);
        case 2: return -sinPoly(r);
        default: return -cosPoly(r);
    }
}

}  // namespace

float stableSin(float x) {
    const uint32_t absBits = floatBits(x) & 0x7fffffffu;
    if (absBits >= 0x7f800000u) return x - x;  // NaN stays NaN, an infinity gives NaN
    const float absX = bitsFloat(absBits);
    const float s = static_cast<float>(sinOrCosOfAbs(absX, absBits, false));
    return floatBits(x) >> 31 ? -s : s;
}

float stableCos(float x) {
    const uint32_t absBits = floatBits(x) & 0x7fffffffu;
    if (absBits >= 0x7f800000u) return x - x;
    const float absX = bitsFloat(absBits);
    return static_cast<float>(sinOrCosOfAbs(absX, absBits, true));
}
