// tarvex-tool's command line, its one JSON writer, and `check` on good and damaged data folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/tools/tool_runner.h"
#include "tools/json_text.h"

namespace {

TEST(ToolCommandLine, HelpGoesToStandardOutputAndWrongUsageToStandardErrorWithStatus2) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* usage;  // the usage line expected on the stream the status implies
    } cases[] = {
        {{"--help"}, 0, "Usage: tarvex-tool [OPTIONS] SUBCOMMAND"},
        {{"music", "render", "--help"}, 0, "Usage: tarvex-tool music render [OPTIONS] MODULE OUT.wav"},
        {{"check", "-h"}, 0, "Usage: tarvex-tool check [OPTIONS] [DATA_DIR]"},
        {{}, 2, "Usage: tarvex-tool [OPTIONS] SUBCOMMAND"},
        {{"bogus"}, 2, "Usage: tarvex-tool [OPTIONS] SUBCOMMAND"},
        {{"music"}, 2, "Usage: tarvex-tool music [OPTIONS] SUBCOMMAND"},
        {{"bmp", "only-one.bmp"}, 2, "Usage: tarvex-tool bmp"},
        {{"music", "render", "m", "o.wav", "--ticks", "5", "--seconds", "1"}, 2, "Usage: tarvex-tool music render"},
        {{"music", "render", "m", "o.wav", "--ticks", "0x10"}, 2, "Usage: tarvex-tool music render"},
        {{"song", "compile", "a.txt", "b", "--generation", "V.9"}, 2, "Usage: tarvex-tool song compile"},
        {{"generate", "pictures", "dir"}, 2, "Usage: tarvex-tool generate"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runTool(c.args);
        const std::string& usageStream = c.status == 0 ? run.out : run.err;
        const std::string& otherStream = c.status == 0 ? run.err : run.out;
        EXPECT_EQ(run.exitCode, c.status) << c.usage;
        EXPECT_NE(usageStream.find(c.usage), std::string::npos) << usageStream;
        EXPECT_TRUE(otherStream.empty()) << otherStream;
    }
}

TEST(ToolJsonText, ValidUtf8PassesAndOtherBytesReadAsLatin1) {
    const struct {
        std::string bytes, text;
    } cases[] = {
        {"plain ASCII", "plain ASCII"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
        {"caf\xE9", "caf\xC3\xA9"},                       // a Latin-1 e-acute
        {"\x80\xFF", "\xC2\x80\xC3\xBF"},                 // stray continuation, never-valid byte
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // overlong slash
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},     // surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // above U+10FFFF
        {"\xE2\x82", "\xC3\xA2\xC2\x82"},                 // cut off
    };
    for (const auto& c : cases) EXPECT_EQ(utf8Text(c.bytes), c.text) << c.bytes;
    const ToolJson document = {{"text", utf8Text(std::string("q\"\\\n\x01\xE9", 6))}, {"value", 0.3f}};
    EXPECT_EQ(jsonDocument(document), "{\"text\":\"q\\\"\\\\\\n\\u0001\xC3\xA9\",\"value\":0.3}\n");
}

TEST(ToolJsonText, ModuleTitlesInLatin1ComeOutAsText) {
    std::ifstream shipped("data/music", std::ios::binary);
    std::string module((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    ASSERT_GT(module.size(), 26u);
    module.replace(0, 4, "\xE9t\xE9!");
    const ToolRun run = runTool({"music", "info", writeFile("latin1.mod", module)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Json info;
    ASSERT_TRUE(parseJson(run.out, info)) << run.out;
    EXPECT_EQ(info["title"].get<std::string>().substr(0, 6), "\xC3\xA9t\xC3\xA9!");
    EXPECT_EQ(info["instruments"].size(), 15u);
}

// A copy of the shipped data folder in which the named files are replaced by text (or removed,
// for an empty text).
std::string dataFolderWith(const std::vector<std::pair<std::string, std::string>>& replaced) {
    const std::string dir = testing::TempDir() + "/check_" + std::to_string(getpid()) + "/";
    EXPECT_EQ(std::system(("rm -rf '" + dir + "' && cp -r data '" + dir + "'").c_str()), 0);
    for (const auto& [name, text] : replaced) {
        std::remove((dir + name).c_str());
        if (!text.empty()) std::ofstream(dir + name, std::ios::binary) << text;
    }
    return dir;
}

TEST(ToolCheck, TheShippedDataIsAllGood) {
    const ToolRun run = runTool({"check", "data"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 8) << run.out;
    EXPECT_EQ(run.out.rfind("data/playfield.txt: OK, 23 walls\n", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("no message"), std::string::npos);
}

TEST(ToolCheck, EachDamagedFileGetsTheGamesMessageAndWhatTheGameThenDoes) {
    const std::string dir = dataFolderWith({{"playfield.txt", ""},
                                            {"Filled.bmp", "BM not a bitmap"},
                                            {"track.bmp", ""},
                                            {"music", "not a module"},
                                            {"TankShoot.wav", "RIFF junk"}});
    const ToolRun run = runTool({"check", dir});
    EXPECT_EQ(run.exitCode, 1);
    const char* const expected[] = {
        "playfield.txt: message \"Cannot open playfield file\" (ERROR); the game plays in an open arena",
        "hetfont.bmp: OK, 256 x 256 pixels",
        "Filled.bmp: message \"Unknown DIB file format.\" (Error); the game draws the sides of the "
        "powerup box plain white",
        "track.bmp: missing, or cannot be opened, no message; the game draws the tank treads plain white",
        "music: message \"No ZQ module\" (ERROR); the game shows the title screen without music",
        "TankDrive.wav: OK, plays",
        "TankShoot.wav: cannot be played: ",
        "TankExplosion.wav: OK, plays",
    };
    for (const char* line : expected)
        EXPECT_NE(run.out.find(dir + line), std::string::npos) << line << "\n" << run.out;
    EXPECT_NE(run.out.find("no message; the game fires without the shot sound"), std::string::npos) << run.out;
}

}  // namespace
