// The door for users' files: what it refuses before reading, and what it reads.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_read.h"
#include "tests/support/failing_allocations.h"

using platform::FileProblem;

TEST(UserFiles, OnlyRegularFilesWithinTheLimitAreRead) {
    const std::string dir = testing::TempDir() + "/door_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    std::ofstream(dir + "/cut") << "RIFF";  // a file cut short is read as it is
    std::ofstream(dir + "/empty");
    mkfifo((dir + "/pipe").c_str(), 0600);  // nobody writes: reading it would wait for ever
    std::ofstream(dir + "/huge");
    ASSERT_EQ(truncate((dir + "/huge").c_str(), 200 << 20), 0);  // sparse: costs no disk
    const struct {
        std::string path;
        uint64_t limit;
        FileProblem problem;
        size_t bytes;
    } cases[] = {
        {dir + "/missing", 100, FileProblem::CannotOpen, 0},
        {dir, 100, FileProblem::Folder, 0},
        {dir + "/pipe", 100, FileProblem::NotRegular, 0},
        {"/dev/zero", 100, FileProblem::NotRegular, 0},
        {dir + "/huge", 100 << 20, FileProblem::TooLarge, 0},
        {dir + "/cut", 3, FileProblem::TooLarge, 0},
        {dir + "/cut", 4, FileProblem::None, 4},
        {dir + "/empty", 0, FileProblem::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
        const platform::UserFile file = platform::readUserFile(c.path.c_str(), c.limit);
        EXPECT_EQ(file.problem, c.problem) << platform::fileProblemText(file.problem);
        EXPECT_EQ(file.bytes.size(), c.bytes);
    }
    EXPECT_EQ(platform::readUserFile((dir + "/cut").c_str(), 4).bytes, std::vector<uint8_t>({'R', 'I', 'F', 'F'}));
    {
        FailLargeAllocations outOfMemory(1 << 20);
        EXPECT_EQ(platform::readUserFile((dir + "/huge").c_str(), 300 << 20).problem, FileProblem::OutOfMemory);
    }
    for (const char* name : {"/cut", "/empty", "/pipe", "/huge"}) unlink((dir + name).c_str());
    rmdir(dir.c_str());
}
