// `tarvex-tool generate sounds DIR`: the effect files are valid PCM and the engine loop joins
// its end to its start without a click.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"

namespace {

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::vector<int> samples16(const std::vector<uint8_t>& b) {
    std::vector<int> out;
    for (size_t at = 44; at + 1 < b.size(); at += 2) out.push_back(static_cast<int16_t>(b[at] | b[at + 1] << 8));
    return out;
}

class GeneratedSounds : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = testing::TempDir() + "/sounds_" + std::to_string(getpid());
        std::system(("mkdir -p '" + dir_ + "'").c_str());
        exitCode_ = runTool({"generate", "sounds", dir_}).exitCode;
    }
    static std::string dir_;
    static int exitCode_;
};
std::string GeneratedSounds::dir_;
int GeneratedSounds::exitCode_ = -1;

TEST_F(GeneratedSounds, FilesAreMonoPcmRiffWithConsistentSizes) {
    ASSERT_EQ(exitCode_, 0);
    for (const char* name : {"TankDrive.wav", "TankShoot.wav", "TankExplosion.wav"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> b = readBytes(dir_ + "/" + name);
        ASSERT_GT(b.size(), 44u);
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
        EXPECT_EQ(le32(b, 4), b.size() - 8);
        EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(b[20] | b[21] << 8, 1);  // PCM
        EXPECT_EQ(b[22] | b[23] << 8, 1);  // mono
        EXPECT_EQ(le32(b, 24), 22050u);
        EXPECT_EQ(b[34] | b[35] << 8, 16);
        EXPECT_EQ(le32(b, 40), b.size() - 44);
        // The shipped file is exactly what the generator makes.
        EXPECT_EQ(readBytes(std::string("data/") + name), b);
    }
}

TEST_F(GeneratedSounds, EngineLoopIsSeamlessAndEffectsFadeOut) {
    ASSERT_EQ(exitCode_, 0);
    const std::vector<int> engine = samples16(readBytes(dir_ + "/TankDrive.wav"));
    ASSERT_NEAR(engine.size(), 22050u, 2205u);
    long long steps = 0;
    for (size_t i = 1; i < engine.size(); ++i) steps += std::abs(engine[i] - engine[i - 1]);
    const double meanStep = static_cast<double>(steps) / (engine.size() - 1);
    EXPECT_LT(std::abs(engine.back() - engine.front()), 2 * meanStep);
    for (const char* name : {"TankShoot.wav", "TankExplosion.wav"}) {
        const std::vector<int> s = samples16(readBytes(dir_ + "/" + name));
        int peak = 0, tail = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            peak = std::max(peak, std::abs(s[i]));
            if (i + 200 >= s.size()) tail = std::max(tail, std::abs(s[i]));
        }
        EXPECT_GT(peak, 16000) << name;
        EXPECT_LT(tail, peak / 20) << name;
    }
}

}  // namespace
