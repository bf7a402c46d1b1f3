// One-off exhaustive check, not a test: every one of the 2^32 float bit patterns through
// stableSin/stableCos and through this C library's sinf/cosf (glibc on Linux), counting the
// results whose bits differ and by how many ulps at most, with a few examples of each.
// Two threads, a few minutes. docs/determinism.md has the figures of a run.
// Usage: trig_exhaustive [first_bits last_bits]   (hexadecimal, default the whole range)
#include <cmath>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "game/float_bits.h"
#include "game/stable_trig.h"

namespace {

bool isNan(uint32_t u) { return (u & 0x7fffffffu) > 0x7f800000u; }

// Distance in ulps between two non-NaN floats, counting across zero (so +0 and -0 are 0 apart).
uint64_t ulpDistance(uint32_t a, uint32_t b) {
    auto ordered = [](uint32_t u) -> int64_t {
        return (u >> 31) ? -static_cast<int64_t>(u & 0x7fffffffu) : static_cast<int64_t>(u);
    };
    const int64_t d = ordered(a) - ordered(b);
    return static_cast<uint64_t>(d < 0 ? -d : d);
}

constexpr int EXAMPLES = 8;

struct Tally {
    uint64_t inputs = 0;
    uint64_t differ = 0;        // other bits
    uint64_t differNan = 0;     // both NaN, other NaN bits
    uint64_t maxUlps = 0;
    uint64_t finiteInputs = 0;  // finite inputs whose results differ
    uint32_t examples[EXAMPLES] = {};
    int exampleCount = 0;
    uint32_t smallestAbsBits = 0xffffffffu;  // the differing input nearest zero

    void add(const Tally& o) {
        inputs += o.inputs;
        differ += o.differ;
        differNan += o.differNan;
        finiteInputs += o.finiteInputs;
        if (o.maxUlps > maxUlps) maxUlps = o.maxUlps;
        for (int k = 0; k < o.exampleCount && exampleCount < EXAMPLES; ++k)
            examples[exampleCount++] = o.examples[k];
        if (o.smallestAbsBits < smallestAbsBits) smallestAbsBits = o.smallestAbsBits;
    }
};

struct Result {
    Tally sine, cosine;
};

void compare(Tally& t, uint32_t input, float ours, float theirs) {
    ++t.inputs;
    const uint32_t a = floatBits(ours), b = floatBits(theirs);
    if (a == b) return;
    if (isNan(a) && isNan(b)) {
        ++t.differNan;
        return;
    }
    ++t.differ;
    if (isNan(a) || isNan(b)) {
        t.maxUlps = UINT64_MAX;
    } else {
        const uint64_t d = ulpDistance(a, b);
        if (d > t.maxUlps) t.maxUlps = d;
    }
    if ((input & 0x7fffffffu) < 0x7f800000u) ++t.finiteInputs;
    if ((input & 0x7fffffffu) < t.smallestAbsBits) t.smallestAbsBits = input & 0x7fffffffu;
    if (t.exampleCount < EXAMPLES) t.examples[t.exampleCount++] = input;
}

void run(uint64_t first, uint64_t last, Result& result) {
    for (uint64_t u = first; u <= last; ++u) {
        const float x = bitsFloat(static_cast<uint32_t>(u));
        compare(result.sine, static_cast<uint32_t>(u), stableSin(x), sinf(x));
        compare(result.cosine, static_cast<uint32_t>(u), stableCos(x), cosf(x));
    }
}

void print(const char* name, const Tally& t, float (*ours)(float), float (*theirs)(float)) {
    std::printf("%s: %" PRIu64 " inputs, %" PRIu64 " give other bits", name, t.inputs, t.differ);
    if (t.differ) {
        if (t.maxUlps == UINT64_MAX)
            std::printf(" (NaN against a number among them)");
        else
            std::printf(", at most %" PRIu64 " ulp apart", t.maxUlps);
        std::printf(", the one nearest zero |x| = %a", bitsFloat(t.smallestAbsBits));
    }
    std::printf("; %" PRIu64 " NaN results with other NaN bits\n", t.differNan);
    for (int k = 0; k < t.exampleCount; ++k) {
        const float x = bitsFloat(t.examples[k]);
        const float a = ours(x), b = theirs(x);
        std::printf("  x = %a (%.9g, bits %08" PRIx32 ")", x, x, t.examples[k]);
        std::printf(": ours %a (%08" PRIx32 ")", a, floatBits(a));
        std::printf(", C library %a (%08" PRIx32 ")\n", b, floatBits(b));
    }
}

float librarySin(float x) { return sinf(x); }
float libraryCos(float x) { return cosf(x); }

}  // namespace

int main(int argc, char** argv) {
    uint64_t first = 0, last = 0xffffffffu;
    if (argc == 3) {
        first = std::strtoull(argv[1], nullptr, 16);
        last = std::strtoull(argv[2], nullptr, 16);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [first_bits last_bits]   (hexadecimal)\n", argv[0]);
        return 2;
    }
    if (first > last || last > 0xffffffffu) return 2;
    constexpr int THREADS = 2;
    std::vector<Result> results(THREADS);
    std::vector<std::thread> threads;
    // The positive inputs on one thread, the negative on the other: the same work each.
    const uint64_t count = last - first + 1;
    const uint64_t half = count / 2;
    threads.emplace_back(run, first, first + half - 1, std::ref(results[0]));
    threads.emplace_back(run, first + half, last, std::ref(results[1]));
    for (std::thread& t : threads) t.join();
    Result all;
    for (const Result& r : results) {
        all.sine.add(r.sine);
        all.cosine.add(r.cosine);
    }
    std::printf("float bits %08" PRIx64 "..%08" PRIx64 "\n", first, last);
    print("sin", all.sine, stableSin, librarySin);
    print("cos", all.cosine, stableCos, libraryCos);
    return 0;
}
