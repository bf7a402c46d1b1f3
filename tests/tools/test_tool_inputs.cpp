// Every command that reads a file refuses what is not a plain file: one line naming the file and
// the reason, status 1, and no waiting on a pipe or reading a device for ever.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/tools/tool_runner.h"

TEST(ToolInputs, FoldersPipesAndDevicesAreRefusedWithTheirNameAndReason) {
    const std::string dir = testing::TempDir();
    const std::string pipe = dir + "/tool_pipe_" + std::to_string(getpid());
    const std::string out = dir + "/tool_out_" + std::to_string(getpid());
    unlink(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> commands = {
        {"music", "render", "IN", out}, {"music", "info", "IN"},  {"song", "compile", "IN", out},
        {"song", "decompile", "IN", out}, {"replay", "info", "IN"}, {"simulate", "--playfield", "data/playfield.txt",
                                           "--frames", "1", "--keys", "IN"}};
    const struct {
        std::string path;
        const char* reason;
    } inputs[] = {{dir, "is a folder"}, {"/dev/zero", "not a regular file"}, {pipe, "not a regular file"}};
    for (const auto& input : inputs) {
        for (std::vector<std::string> args : commands) {
            for (std::string& arg : args)
                if (arg == "IN") arg = input.path;
            SCOPED_TRACE(args[0] + " " + args[1] + " " + input.path);
            const ToolRun run = runTool(args);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;  // one line
            EXPECT_NE(run.err.find(input.path + ": "), std::string::npos) << run.err;
            EXPECT_NE(run.err.find(input.reason), std::string::npos) << run.err;
        }
    }
    unlink(pipe.c_str());
}
