// The door for users' files: what it refuses before reading, and what it reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/file_read.h"
#include "tests/support/failing_allocations.h"

using platform::FileProblem;

TEST(UserFiles, OnlyRegularFilesWithinTheLimitAreRead) {
    namespace fs = std::filesystem;
    const std::string dir = testing::TempDir() + "/door_" + std::to_string(std::random_device{}());
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::ofstream(dir + "/cut") << "RIFF";  // a file cut short is read as it is
    std::ofstream(dir + "/empty");
    std::ofstream(dir + "/huge");
    fs::resize_file(dir + "/huge", 200 << 20);  // sparse where the file system allows: costs no disk
    struct Case {
        std::string path;
        uint64_t limit;
        FileProblem problem;
        size_t bytes;
    };
    std::vector<Case> cases = {
        {dir + "/missing", 100, FileProblem::CannotOpen, 0},
        {dir, 100, FileProblem::Folder, 0},
        {dir + "/huge", 100 << 20, FileProblem::TooLarge, 0},
        {dir + "/cut", 3, FileProblem::TooLarge, 0},
        {dir + "/cut", 4, FileProblem::None, 4},
        {dir + "/empty", 0, FileProblem::None, 0},
    };
#ifndef _WIN32
    mkfifo((dir + "/pipe").c_str(), 0600);  // nobody writes: reading it would wait for ever
    cases.push_back({dir + "/pipe", 100, FileProblem::NotRegular, 0});
    cases.push_back({"/dev/zero", 100, FileProblem::NotRegular, 0});
#endif
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
    fs::remove_all(dir);
}
