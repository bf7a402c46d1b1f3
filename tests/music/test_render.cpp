// Whole-song rendering: the golden checksum that notices any change of sound, and the render
// and info commands of the tool.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "audio/mixer_offline.h"
#include "tests/music/music_fixture.h"
#include "tools/commands.h"

using namespace testmusic;

namespace {

class HashSink : public BlockSink {
public:
    void takeBlock(const uint8_t* data, uint32_t size) override {
        sizes.push_back(size);
        for (uint32_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
        if (blocks.size() < 30) blocks.emplace_back(data, data + size);
    }
    uint64_t hash = 1469598103934665603ull;
    std::vector<uint32_t> sizes;
    std::vector<std::vector<uint8_t>> blocks;
};

std::string writeTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int runTool(const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"tarvex-tool", "music"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return runToolCommandLine(int(argv.size()), argv.data());
}

uint32_t little32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

}  // namespace

TEST(MusicRender, DemoSongFirst500TicksMatchTheirChecksum) {
    ParsedModule m(demoSong());
    ASSERT_EQ(m.result, 0);
    HashSink sink;
    OfflineMusic music(*m.module);
    music.renderTicks(500, &sink);
    ASSERT_EQ(sink.sizes.size(), 500u);
    for (uint32_t size : sink.sizes) ASSERT_EQ(size, 1764u);
    // Nothing sounds before the first row on tick 22; then both sides do.
    for (int t = 0; t < 21; ++t)
        EXPECT_EQ(sink.blocks[t], std::vector<uint8_t>(1764, 128)) << t;
    bool left = false, right = false;
    for (int f = 0; f < 882; ++f) {
        left |= sink.blocks[25][2 * f] != 128;
        right |= sink.blocks[25][2 * f + 1] != 128;
    }
    EXPECT_TRUE(left && right);
    EXPECT_EQ(sink.hash, 0x3bb7fa1bbc255f25ull) << std::hex << sink.hash;
}

TEST(MusicTool, RenderWritesAWaveFileOfWholeBlocks) {
    std::string module = writeTemp("tool_demo.zq", demoSong().build());
    std::string out = testing::TempDir() + "tool_demo.wav";
    ASSERT_EQ(runTool({"render", module, out, "--ticks", "30"}), 0);
    std::vector<uint8_t> wav = readAll(out);
    ASSERT_EQ(wav.size(), 44u + 30 * 1764);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(little32(wav, 4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(little32(wav, 20), 0x00020001u);  // PCM, 2 channels
    EXPECT_EQ(little32(wav, 24), 44100u);
    EXPECT_EQ(little32(wav, 28), 88200u);
    EXPECT_EQ(little32(wav, 32), 0x00080002u);  // 2 bytes per frame, 8 bits
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(little32(wav, 40), 30u * 1764);

    // The blocks are those of the offline renderer, in order.
    ParsedModule m(demoSong());
    HashSink sink;
    OfflineMusic(*m.module).renderTicks(30, &sink);
    EXPECT_EQ(std::vector<uint8_t>(wav.begin() + 44 + 25 * 1764, wav.begin() + 44 + 26 * 1764),
              sink.blocks[25]);

    ASSERT_EQ(runTool({"render", module, out, "--seconds", "2"}), 0);
    EXPECT_EQ(readAll(out).size(), 44u + 100 * 1764);
    ASSERT_EQ(runTool({"render", module, out, "--seconds", "0.5"}), 0);
    EXPECT_EQ(readAll(out).size(), 44u + 25 * 1764);
}

TEST(MusicTool, RefusedModulesAndBadArgumentsFail) {
    std::vector<uint8_t> notModule = demoSong().build();
    notModule[26] = 'X';
    std::string bad = writeTemp("tool_bad.zq", notModule);
    std::string out = testing::TempDir() + "tool_bad.wav";
    std::remove(out.c_str());
    EXPECT_EQ(runTool({"render", bad, out}), 1);
    EXPECT_TRUE(readAll(out).empty());
    EXPECT_EQ(runTool({"info", bad}), 1);
    EXPECT_EQ(runTool({"render", bad}), 2);
    EXPECT_EQ(runTool({"render", bad, out, "--ticks", "-3"}), 2);
    EXPECT_EQ(runTool({"render", bad, out, "--frames", "3"}), 2);
    EXPECT_EQ(runTool({"render", bad, out, "--seconds", "nan"}), 2);
    EXPECT_EQ(runTool({"play"}), 2);
}
