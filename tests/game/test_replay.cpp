// Replay files: the layout round-trips every field bit for bit, a long match stays small, damaged
// and hostile files are refused with the right reason, and the replay folder names, keeps and
// prunes its recordings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "game/replay.h"
#include "game/replay_folder.h"
#include "platform/platform.h"
#include "tests/support/failing_allocations.h"

namespace {

namespace fs = std::filesystem;

// A match script: each of the two players' control bytes changes with probability 1/changeEvery
// per frame, the clock ticks once a second, the game keys change now and then.
Replay scriptedReplay(uint32_t frameCount, uint32_t seed, int changeEvery = 8) {
    std::mt19937 random(seed);
    Replay replay;
    replay.variant = uint8_t(seed % 3);
    replay.recordedAt = 1796675465 + seed;
    replay.walls = {{-40, -30, 40, -29, 1, 0.5f, 0}, {-0.0f, 1e-40f, 0.1f, 3.4e38f, -1, 2, 0.3f}};
    replay.startState = {1, 2, 3, 0, 255};
    FrameInput input{};
    input.clock = 0xFFFFFFF0u;  // runs across the wrap
    input.mouseStep = -1;
    for (uint32_t f = 0; f < frameCount; ++f) {
        for (int p = 0; p < 2; ++p)
            if (random() % changeEvery == 0) input.controls[p] = uint8_t(random());
        if (random() % 500 == 0) input.gameKeys = uint8_t(random() & 0x7F);
        if (f % REPLAY_FRAMES_PER_SECOND == 0) ++input.clock;
        replay.frames.push_back(input);
    }
    for (uint32_t k = 0; k < frameCount / REPLAY_HASH_INTERVAL; ++k)
        replay.hashes.push_back(uint64_t(random()) << 32 | random());
    return replay;
}

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The encoding holds every stored field bit for bit, so equal bytes are an equal replay; players
// 2 and 3 are not stored and read back as 0.
void expectSameReplay(const Replay& decoded, const Replay& original) {
    EXPECT_EQ(encodeReplay(decoded), encodeReplay(original));
    for (const FrameInput& frame : decoded.frames) ASSERT_EQ(frame.controls[2] | frame.controls[3], 0);
}

ReplayProblem decodeBytes(const std::vector<uint8_t>& bytes) {
    Replay out;
    return decodeReplay(bytes.data(), bytes.size(), out);
}

void putLittle(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

// A changed file with a checksum that fits again, so that the check behind the checksum is seen.
void reseal(std::vector<uint8_t>& bytes) {
    putLittle(bytes, bytes.size() - 8, replayChecksum(bytes.data(), bytes.size() - 8), 8);
}

TEST(Replay, EveryFieldRoundTripsBitForBit) {
    Replay empty;
    Replay otherRules = scriptedReplay(250, 7);
    otherRules.rulesVersion = RULES_VERSION + 1;
    Replay fourPlayers = scriptedReplay(30, 8);
    fourPlayers.frames[3].controls[2] = 0xFF;  // players 2 and 3 have no keys: not stored
    const struct {
        const char* name;
        Replay replay;
        ReplayProblem expected;
    } cases[] = {{"nothing recorded", empty, ReplayProblem::None},
                 {"one frame", scriptedReplay(1, 1), ReplayProblem::None},
                 {"exactly one hash", scriptedReplay(100, 2), ReplayProblem::None},
                 {"every control byte changing every frame", scriptedReplay(1234, 3, 1), ReplayProblem::None},
                 {"long unchanged runs", scriptedReplay(5000, 4, 400), ReplayProblem::None},
                 {"other rules decode but say so", otherRules, ReplayProblem::OtherRulesVersion},
                 {"only players 0 and 1", fourPlayers, ReplayProblem::None}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = encodeReplay(c.replay);
        Replay decoded;
        ASSERT_EQ(decodeReplay(bytes.data(), bytes.size(), decoded), c.expected);
        expectSameReplay(decoded, c.replay);
    }
}

TEST(Replay, TenMinutesOfTwoBusyPlayersStayWellUnder64KiB) {
    const Replay match = scriptedReplay(60000, 42);
    const std::vector<uint8_t> bytes = encodeReplay(match);
    std::printf("10-minute match, each control byte changing with probability 1/8 a frame: %zu bytes\n",
                bytes.size());
    EXPECT_LT(bytes.size(), 48u * 1024);
    Replay decoded;
    ASSERT_EQ(decodeReplay(bytes.data(), bytes.size(), decoded), ReplayProblem::None);
    expectSameReplay(decoded, match);
}

TEST(Replay, RecordingsTheDecoderWouldRefuseAreNotEncoded) {
    Replay badMouse = scriptedReplay(10, 1);
    badMouse.frames[4].mouseStep = 2;
    Replay missingHash = scriptedReplay(200, 1);
    missingHash.hashes.pop_back();
    Replay insideOutWall = scriptedReplay(10, 1);
    insideOutWall.walls[0].xMin = 99;
    Replay tooLong;
    tooLong.frames.resize(MAX_REPLAY_FRAMES + 1);
    tooLong.hashes.resize(tooLong.frames.size() / REPLAY_HASH_INTERVAL);
    Replay badVariant;
    badVariant.variant = 3;
    for (const Replay* replay : {&badMouse, &missingHash, &insideOutWall, &tooLong, &badVariant})
        EXPECT_TRUE(encodeReplay(*replay).empty());
}

TEST(Replay, TheLongestReplayDecodesWithinItsCapAndOneFrameMoreIsRefused) {
    Replay longest;
    longest.frames.resize(MAX_REPLAY_FRAMES);
    longest.hashes.resize(MAX_REPLAY_FRAMES / REPLAY_HASH_INTERVAL);
    std::vector<uint8_t> bytes = encodeReplay(longest);
    ASSERT_FALSE(bytes.empty());
    {
        FailLargeAllocations cap(size_t(MAX_REPLAY_FRAMES) * sizeof(FrameInput));
        EXPECT_EQ(decodeBytes(bytes), ReplayProblem::None);
    }
    putLittle(bytes, 32, MAX_REPLAY_FRAMES + 1, 4);
    reseal(bytes);
    EXPECT_EQ(decodeBytes(bytes), ReplayProblem::TooLarge);
}

TEST(Replay, DamagedFilesAreRefusedWithTheirReason) {
    // Three frames of one unchanged input with mouse step 1: the input section is the run header
    // (2 << 5 | mouse step changed) and the step.
    Replay small;
    small.walls = {{-1, -1, 1, 1, 1, 1, 1}};
    small.startState = {9, 8, 7, 6};
    FrameInput input{};
    input.mouseStep = 1;
    small.frames.assign(3, input);
    const std::vector<uint8_t> bytes = encodeReplay(small);
    const size_t inputs = 44 + 28 + 4;
    ASSERT_EQ(bytes.size(), inputs + 2 + 8);
    ASSERT_EQ(bytes[inputs], 2 << 5 | 8);

    EXPECT_EQ(decodeReplay(nullptr, 0, small), ReplayProblem::NotAReplay);
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_EQ(decodeBytes({bytes.begin(), bytes.begin() + long(length)}),
                  length < 8 ? ReplayProblem::NotAReplay : ReplayProblem::Truncated)
            << length << " bytes";
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (uint8_t flip : {0x01, 0x80}) {
            std::vector<uint8_t> flipped = bytes;
            flipped[at] ^= flip;
            EXPECT_NE(decodeBytes(flipped), ReplayProblem::None) << "byte " << at << " ^ " << int(flip);
        }
    }

    using Edit = std::function<void(std::vector<uint8_t>&)>;
    const auto put = [](size_t at, uint64_t value, int count) -> Edit {
        return [=](std::vector<uint8_t>& b) { putLittle(b, at, value, count); };
    };
    const struct {
        const char* name;
        Edit edit;
        ReplayProblem expected;
    } cases[] = {
        {"another magic", put(0, 'X', 1), ReplayProblem::NotAReplay},
        {"a newer layout", put(8, REPLAY_FORMAT_VERSION + 1, 2), ReplayProblem::OtherFormatVersion},
        {"other rules", put(10, RULES_VERSION + 1, 2), ReplayProblem::OtherRulesVersion},
        {"variant 3", put(12, 3, 4), ReplayProblem::Inconsistent},
        {"four billion walls", put(24, 0xFFFFFFFF, 4), ReplayProblem::TooLarge},
        {"a start state of 2 MiB", put(28, 2u << 20, 4), ReplayProblem::TooLarge},
        {"four billion frames", put(32, 0xFFFFFFFF, 4), ReplayProblem::TooLarge},
        {"inputs longer than the file", put(36, 1000, 4), ReplayProblem::Truncated},
        {"a byte after the end", [](std::vector<uint8_t>& b) { b.push_back(0); }, ReplayProblem::Damaged},
        {"a hash the frames do not make",
         [](std::vector<uint8_t>& b) {
             putLittle(b, 40, 1, 4);
             b.insert(b.end() - 8, 8, 0);
         },
         ReplayProblem::Inconsistent},
        {"a wall inside out", put(44, bitsOf(5), 4), ReplayProblem::Inconsistent},
        {"a wall of NaN", put(44, 0x7FC00000, 4), ReplayProblem::Inconsistent},
        {"a frame more than the runs make", put(32, 4, 4), ReplayProblem::Inconsistent},
        {"a frame less than the runs make", put(32, 2, 4), ReplayProblem::Inconsistent},
        {"a run past the last frame", put(inputs, 3 << 5 | 8, 1), ReplayProblem::Inconsistent},
        {"a mouse step of 2", put(inputs + 1, 2, 1), ReplayProblem::Inconsistent},
        {"a run header that never ends", put(inputs, 0xFFFF, 2), ReplayProblem::Inconsistent},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> edited = bytes;
        c.edit(edited);
        reseal(edited);
        EXPECT_EQ(decodeBytes(edited), c.expected) << c.name;
    }
}

TEST(Replay, RecordingTimesNameFilesInUtc) {
    const struct {
        int64_t seconds;
        int counter;
        const char* name;
    } cases[] = {{1796675465, 1, "2026-12-07_20-31-05.tvreplay"},
                 {1796675465, 2, "2026-12-07_20-31-05_02.tvreplay"},
                 {1709251199, 1, "2024-02-29_23-59-59.tvreplay"},
                 {-1, 1, "1969-12-31_23-59-59.tvreplay"},
                 {-2203891200, 1, "1900-03-01_00-00-00.tvreplay"}};
    for (const auto& c : cases) {
        EXPECT_EQ(replayFileName(c.seconds, c.counter), c.name);
        EXPECT_TRUE(isRecordingName(c.name));
    }
    for (const char* name : {"best.tvreplay", "2026-12-07_20-31-05.tvreplay.part", "2026-12-07_20-31-05_2.tvreplay",
                             "2026-12-07 20-31-05.tvreplay", ".tvreplay"})
        EXPECT_FALSE(isRecordingName(name)) << name;
}

// Points the user data folder at folder (tests never touch the player's own).
void setUserDataFolder(const fs::path& folder) {
#ifdef _WIN32
    _wputenv_s(L"APPDATA", folder.wstring().c_str());
#else
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
#endif
}

class ReplayFolder : public testing::Test {
protected:
    const fs::path root = fs::path(testing::TempDir()) / ("replay_folder_" + std::to_string(getpid()));
    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(root);
        setUserDataFolder(root);
    }
    void TearDown() override { fs::remove_all(root); }
    std::vector<std::string> namesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ReplayFolder, KeepsTheFiftyNewestRecordingsAndEverythingThePlayerKept) {
    const fs::path folder = fs::u8path(replayFolder());
    EXPECT_EQ(folder, root / "tarvex" / "replays" / "");
    EXPECT_EQ(newestReplayFile(), "") << "no folder yet";
    Replay replay = scriptedReplay(150, 5);
    const int64_t start = replay.recordedAt;
    std::string last;
    for (int i = 0; i < 3; ++i) {
        // The first three land in the same second, the rest a second apart.
        last = writeReplayFile(replay);
        ASSERT_NE(last, "");
        if (i == 0) {
            fs::create_directories(folder / KEPT_REPLAYS_FOLDER);
            fs::copy_file(last, folder / KEPT_REPLAYS_FOLDER / fs::u8path(replayFileName(start)));
            fs::copy_file(last, folder / "best match.tvreplay");
        }
    }
    EXPECT_EQ(fs::u8path(last).filename(), replayFileName(start, 3));
    for (int i = 1; i <= 49; ++i) {
        replay.recordedAt = start + i;
        last = writeReplayFile(replay);
    }

    std::vector<std::string> expected = {replayFileName(start, 3)};
    for (int i = 1; i <= 49; ++i) expected.push_back(replayFileName(start + i));
    expected.push_back("best match.tvreplay");
    expected.push_back(KEPT_REPLAYS_FOLDER);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(folder), expected) << "the two oldest recordings went; nothing else";
    EXPECT_EQ(namesIn(folder / KEPT_REPLAYS_FOLDER).size(), 1u);

    EXPECT_EQ(newestReplayFile(), last);
    Replay read;
    EXPECT_EQ(readReplayFile(last, read), ReplayProblem::None);
    expectSameReplay(read, replay);
    EXPECT_EQ(readReplayFile(replayFolder(), read), ReplayProblem::Unreadable);
}

TEST_F(ReplayFolder, AFailedWriteCostsOnlyTheReplay) {
    std::ofstream(root / "tarvex") << "a file where the folder belongs";
    testing::internal::CaptureStderr();
    EXPECT_EQ(writeReplayFile(scriptedReplay(10, 1)), "");
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line: " << message;
    EXPECT_NE(message.find("replay was not saved"), std::string::npos) << message;
}

#ifndef _WIN32
TEST_F(ReplayFolder, AnEmptyOrRelativeDataHomeFallsBackToTheHomeFolder) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/player", 1);
    for (const char* dataHome : {"", "relative/share"}) {
        setenv("XDG_DATA_HOME", dataHome, 1);
        EXPECT_EQ(platform::userDataFolder(), "/home/player/.local/share/");
    }
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(replayFolder(), "/home/player/.local/share/tarvex/replays/");
    setenv("XDG_DATA_HOME", "/data/", 1);
    EXPECT_EQ(platform::userDataFolder(), "/data/");
    setenv("HOME", home.c_str(), 1);
    setUserDataFolder(root);
}
#endif

}  // namespace
