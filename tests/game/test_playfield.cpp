// Reading the arena file: conversion, dropped and skipped text, and the failure messages.
#include <filesystem>
#include <string>

#include "tests/game/game_fixture.h"
#include "tests/support/failing_allocations.h"

namespace {

class PlayfieldFile : public GameTest {
protected:
    void load(const std::string& text) {
        headless::clearRecords();
        loadPlayfield(playfield, writeTempFile("arena.txt", text).c_str());
    }
};

TEST_F(PlayfieldFile, RecordIsScaledOrderedAndColourClamped) {
    load("10, 20, -10, -20, 300, 128, -5\n");
    ASSERT_EQ(playfield.blockCount, 1);
    const PlayfieldBlock& b = playfield.blocks[0];
    EXPECT_FLOAT_EQ(b.xMin, -4.3f);
    EXPECT_FLOAT_EQ(b.xMax, 4.3f);
    EXPECT_FLOAT_EQ(b.yMin, -6.4f);
    EXPECT_FLOAT_EQ(b.yMax, 6.4f);
    EXPECT_FLOAT_EQ(b.red, 1.0f);
    EXPECT_FLOAT_EQ(b.green, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(b.blue, -5.0f / 255.0f);  // negative colours are not raised
    EXPECT_TRUE(headless::shownMessages().empty());
}

TEST_F(PlayfieldFile, IncompleteRecordsAreDroppedAndReadingGoesOn) {
    load("1,2,3,4,5,6,7\n10,20,30\n-100,-100,100,-90,0,0,255\n5,5\n");
    ASSERT_EQ(playfield.blockCount, 2);
    EXPECT_FLOAT_EQ(playfield.blocks[0].xMax, 3 * 0.43f);
    EXPECT_FLOAT_EQ(playfield.blocks[1].xMin, -43.0f);
    EXPECT_FLOAT_EQ(playfield.blocks[1].yMax, -90 * 0.32f);
    EXPECT_FLOAT_EQ(playfield.blocks[1].blue, 1.0f);
}

TEST_F(PlayfieldFile, LastRecordWithoutLineBreakIsStored) {
    load("1,2,3,4,5,6,7\n8,9,10,11,12,13,14");
    ASSERT_EQ(playfield.blockCount, 2);
    EXPECT_FLOAT_EQ(playfield.blocks[1].blue, 14.0f / 255.0f);
}

TEST_F(PlayfieldFile, WhiteSpaceBeforeEachNumberButNotBeforeCommas) {
    // Line breaks may stand before a number; a space before a comma ends the record.
    load("1,\n 2,\t3,4,5,6,7\n1 ,2,3,4,5,6,7\n");
    ASSERT_EQ(playfield.blockCount, 1);
    EXPECT_FLOAT_EQ(playfield.blocks[0].yMin, 2 * 0.32f);
    EXPECT_FLOAT_EQ(playfield.blocks[0].xMax, 3 * 0.43f);
}

TEST_F(PlayfieldFile, JunkTextIsSkippedAndNeverStallsTheReader) {
    load("# arena of tests\nwall: 1,2,3,4,5,6,7 ok\n,,,, - + -x ++1\n"
         "-8,-9,8,9,+10,20,30;\n\x01\xff garbage 1,2,x,4,5,6,7\n");
    ASSERT_EQ(playfield.blockCount, 2);
    EXPECT_FLOAT_EQ(playfield.blocks[0].xMin, 1 * 0.43f);
    EXPECT_FLOAT_EQ(playfield.blocks[1].xMin, -8 * 0.43f);
    EXPECT_FLOAT_EQ(playfield.blocks[1].red, 10.0f / 255.0f);
    EXPECT_TRUE(headless::shownMessages().empty());
}

TEST_F(PlayfieldFile, HugeNumbersSaturateInsteadOfOverflowing) {
    load("99999999999999999999,-99999999999999999999,0,0,99999999999,1,1\n");
    ASSERT_EQ(playfield.blockCount, 1);
    EXPECT_GT(playfield.blocks[0].xMax, 9e8f);
    EXPECT_LT(playfield.blocks[0].yMin, -6e8f);
    EXPECT_FLOAT_EQ(playfield.blocks[0].red, 1.0f);
}

TEST_F(PlayfieldFile, EmptyFileGivesAnEmptyArenaWithoutMessage) {
    load("1,2,3,4,5,6,7\n");
    load("");
    EXPECT_EQ(playfield.blockCount, 0);
    EXPECT_EQ(playfield.blocks, nullptr);
    EXPECT_TRUE(headless::shownMessages().empty());
}

TEST_F(PlayfieldFile, MissingFileIsReportedAndLeavesNoWalls) {
    load("1,2,3,4,5,6,7\n");
    headless::clearRecords();
    loadPlayfield(playfield, (testing::TempDir() + "/no_such_arena.txt").c_str());
    EXPECT_EQ(playfield.blockCount, 0);
    ASSERT_EQ(headless::shownMessages().size(), 1u);
    EXPECT_EQ(headless::shownMessages()[0].text, "Cannot open playfield file");
    EXPECT_EQ(headless::shownMessages()[0].caption, "ERROR");
    EXPECT_EQ(headless::shownMessages()[0].buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(headless::shownMessages()[0].icon, platform::MessageIcon::None);
}

// What the file door refuses (pipes and devices too) all reads as a file that cannot be opened.
TEST_F(PlayfieldFile, FoldersAndOversizedFilesCannotBeOpened) {
    const std::string huge = writeTempFile("huge", "");
    std::filesystem::resize_file(huge, 200 << 20);  // sparse where the file system allows
    for (const std::string& path : {testing::TempDir(), huge}) {
        headless::clearRecords();
        loadPlayfield(playfield, path.c_str());
        EXPECT_EQ(playfield.blockCount, 0);
        ASSERT_EQ(headless::shownMessages().size(), 1u) << path;
        EXPECT_EQ(headless::shownMessages()[0].text, "Cannot open playfield file");
    }
    std::filesystem::remove(huge);
}

TEST_F(PlayfieldFile, RunningOutOfMemoryIsReportedNotThrown) {
    std::string text;
    for (int r = 0; r < 10; ++r) text += "1,2,3,4,5,6,7\n";  // 140 bytes of text, 280 of blocks
    // 200: the text fits but the blocks do not; 100: not even the text.
    for (size_t largest : {200, 100}) {
        SCOPED_TRACE(largest);
        const std::string path = writeTempFile("arena.txt", text);
        headless::clearRecords();
        {
            FailLargeAllocations outOfMemory(largest);
            loadPlayfield(playfield, path.c_str());
        }
        EXPECT_EQ(playfield.blockCount, 0);
        ASSERT_EQ(headless::shownMessages().size(), 1u);
        EXPECT_EQ(headless::shownMessages()[0].text, "Cannot allocate playfield memory");
    }
}

TEST_F(PlayfieldFile, ShippedArenaIsSymmetricAndKeepsTheStartsClear) {
    headless::clearRecords();
    loadPlayfield(playfield, "data/playfield.txt");
    EXPECT_TRUE(headless::shownMessages().empty());
    ASSERT_GE(playfield.blockCount, 20);
    ASSERT_LE(playfield.blockCount, 40);
    // Every block has a mirror image across x = 0, so neither player is favoured.
    for (int a = 0; a < playfield.blockCount; ++a) {
        const PlayfieldBlock& b = playfield.blocks[a];
        bool mirrored = false;
        for (int m = 0; m < playfield.blockCount; ++m) {
            const PlayfieldBlock& c = playfield.blocks[m];
            if (c.xMin == -b.xMax && c.xMax == -b.xMin && c.yMin == b.yMin && c.yMax == b.yMax)
                mirrored = true;
        }
        EXPECT_TRUE(mirrored) << "block " << a;
    }
    // Both tanks can drive and turn both ways at their start places.
    restartPlay();
    for (int p = 0; p < 2; ++p) {
        EXPECT_TRUE(tryMove(p, 0, 0, 90, 0));
        EXPECT_TRUE(tryMove(p, 0, 0, -90, 0));
        EXPECT_TRUE(tryMove(p, 0, 0, 0, 180));
        const float dir = p == 0 ? 1.0f : -1.0f;
        EXPECT_TRUE(tryMove(p, dir * 3, 0, 0, 0));
        EXPECT_TRUE(tryMove(p, -dir * 0.5f, 0, 0, 0));
    }
}

}  // namespace
