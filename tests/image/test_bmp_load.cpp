// Loading bitmap files: the messages the user sees, and the bmp command of tarvex-tool.
#include "image/bmp.h"
#include "platform/platform.h"
#include "tests/image/bmp_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class BmpLoad : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setMessageObserver([this](const platform::MessageRecord& message) {
            messages.push_back(message);
            return platform::MessageAnswer::Ok;
        });
        dir = ::testing::TempDir() + "tarvex_bmp_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_";
    }
    void TearDown() override { platform::setMessageObserver({}); }

    std::string path(const std::string& name) const { return dir + name; }

    std::vector<platform::MessageRecord> messages;
    std::string dir;
};

TEST_F(BmpLoad, AValidFileLoadsWithoutAMessage) {
    BmpBuilder b;
    b.width = 2;
    b.height = 1;
    b.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    ASSERT_TRUE(writeFileBytes(path("ok.bmp"), b.build()));
    auto image = loadDibImage(path("ok.bmp").c_str());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BmpLoad, FilesThatCannotBeOpenedNameTheirPath) {
    const std::string missing = path("missing.bmp");
    EXPECT_FALSE(loadDibImage(missing.c_str()));
    ASSERT_TRUE(writeFileBytes(path("empty.bmp"), {}));
    EXPECT_FALSE(loadDibImage(path("empty.bmp").c_str()));
    EXPECT_FALSE(loadDibImage(::testing::TempDir().c_str()));  // a folder
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "Failed to open DIB file " + missing + ".\n");
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(messages[1].text, "Failed to open DIB file " + path("empty.bmp") + ".\n");
    EXPECT_EQ(messages[2].text, "Failed to open DIB file " + ::testing::TempDir() + ".\n");
}

TEST_F(BmpLoad, ReadingShowsNothingAndTellsAMissingFileFromOneThatCannotBeRead) {
    ASSERT_TRUE(writeFileBytes(path("empty.bmp"), {}));
    EXPECT_EQ(readBitmapFile(path("missing.bmp").c_str()).problem, BitmapProblem::Missing);
    EXPECT_EQ(readBitmapFile(path("empty.bmp").c_str()).problem, BitmapProblem::CannotRead);
    EXPECT_EQ(readBitmapFile(::testing::TempDir().c_str()).problem, BitmapProblem::CannotRead);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BmpLoad, PipesDevicesAndHugeFilesAreRefusedWithoutBlockingOrReadingForever) {
    const std::string pipe = path("pipe.bmp");
    std::remove(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);  // opening it for reading would wait for a writer
    EXPECT_FALSE(loadDibImage(pipe.c_str()));
    EXPECT_FALSE(loadDibImage("/dev/zero"));  // endless
    ASSERT_TRUE(writeFileBytes(path("huge.bmp"), {}));
    ASSERT_EQ(truncate(path("huge.bmp").c_str(), 200 << 20), 0);  // sparse: far above any picture
    EXPECT_FALSE(loadDibImage(path("huge.bmp").c_str()));
    std::remove(pipe.c_str());
    std::remove(path("huge.bmp").c_str());
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "Failed to open DIB file " + pipe + ".\n");
    EXPECT_EQ(messages[1].text, "Failed to open DIB file /dev/zero.\n");
    EXPECT_EQ(messages[2].text, DIB_OUT_OF_MEMORY);
}

TEST_F(BmpLoad, EachFaultyFileShowsExactlyOneMessage) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* text;
    };
    BmpBuilder v4;
    v4.headerSize = 108;
    v4.pixels = {0, 0, 0, 0};
    BmpBuilder v5 = v4;
    v5.headerSize = 124;
    BmpBuilder huge;
    huge.width = 1 << 20;
    huge.height = 1 << 20;
    BmpBuilder truncated;
    truncated.width = 8;
    truncated.height = 8;
    truncated.pixels.assign(100, 0);
    const std::vector<Case> cases = {
        {v4.build(), "Unknown DIB file format."},
        {v5.build(), "Unknown DIB file format."},
        {huge.build(), "Out of memory."},
        {truncated.build(), "Image file conversion error."},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        messages.clear();
        const std::string file = path("case" + std::to_string(i) + ".bmp");
        ASSERT_TRUE(writeFileBytes(file, cases[i].bytes));
        EXPECT_FALSE(loadDibImage(file.c_str()));
        ASSERT_EQ(messages.size(), 1u) << i;
        EXPECT_EQ(messages[0].text, cases[i].text);
        EXPECT_EQ(messages[0].caption, "Error");
    }
}

#ifdef TARVEX_TOOL
// Runs tarvex-tool with its errors in a file; returns its exit status.
int runTool(const std::string& arguments, const std::string& errors) {
    std::string command = std::string("\"") + TARVEX_TOOL + "\" " + arguments + " >/dev/null 2>\"" +
                          errors + "\"";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(BmpLoad, BmpCommandWritesTopRowFirstAndReportsFailures) {
    BmpBuilder b;
    b.width = 2;
    b.height = 2;
    b.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 1, 2, 3, 0, 0};  // bottom row, top row
    ASSERT_TRUE(writeFileBytes(path("in.bmp"), b.build()));
    ASSERT_EQ(runTool("bmp \"" + path("in.bmp") + "\" \"" + path("out.ppm") + "\"",
                      path("err.txt")),
              0);
    std::vector<uint8_t> ppm = readFileBytes(path("out.ppm"));
    const std::string header = "P6\n2 2\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 12);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + long(header.size())), header);
    std::vector<uint8_t> body(ppm.begin() + long(header.size()), ppm.end());
    EXPECT_EQ(body, (std::vector<uint8_t>{255, 0, 0, 3, 2, 1, 0, 0, 255, 0, 255, 0}));

    EXPECT_EQ(runTool("bmp \"" + path("nothing.bmp") + "\" \"" + path("x.ppm") + "\"",
                      path("err.txt")),
              1);
    std::vector<uint8_t> err = readFileBytes(path("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end())
                  .find("Failed to open DIB file " + path("nothing.bmp")),
              std::string::npos);
}
#endif

}  // namespace
