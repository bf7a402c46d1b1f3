// The game's command line: who plays, a replay, and an online game to host or join.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

// Reads a command line given without the program's name; the problem in words, empty when read.
std::string read(const std::vector<const char*>& args, LaunchOptions& options) {
    std::vector<const char*> argv{"tarvex"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string problem;
    const bool ok = readCommandLine(int(argv.size()), argv.data(), options, problem);
    EXPECT_EQ(ok, problem.empty());
    return problem;
}

std::string joined(const std::vector<const char*>& args) {
    std::string line;
    for (const char* a : args) line += std::string(a) + " ";
    return line;
}

TEST(CommandLine, ReadsWhoPlaysAReplayAndAnOnlineGame) {
    const struct {
        std::vector<const char*> args;
        int player1, player2;
        OnlineStart online;
        uint16_t port;
        const char* text;  // the replay file or the address to join
    } Cases[] = {
        {{}, PERSON, PERSON, OnlineStart::None, 0, ""},
        {{"--player1", "3", "--player2", "person"}, 3, PERSON, OnlineStart::None, 0, ""},
        {{"--replay", "a.tvreplay"}, PERSON, PERSON, OnlineStart::None, 0, "a.tvreplay"},
        {{"--host"}, PERSON, PERSON, OnlineStart::Host, 0, ""},
        {{"--host", "5000"}, PERSON, PERSON, OnlineStart::Host, 5000, ""},
        {{"--host", "65535", "--player2", "1"}, PERSON, 1, OnlineStart::Host, 65535, ""},
        {{"--host", "--player1", "2"}, 2, PERSON, OnlineStart::Host, 0, ""},  // no port given
        {{"--join", "192.168.1.5"}, PERSON, PERSON, OnlineStart::Join, 0, "192.168.1.5"},
        {{"--join", "[::1]:5000"}, PERSON, PERSON, OnlineStart::Join, 0, "[::1]:5000"},
        {{"--join", "gamebox.local:47310"}, PERSON, PERSON, OnlineStart::Join, 0, "gamebox.local:47310"},
    };
    for (const auto& c : Cases) {
        LaunchOptions options;
        const std::string line = joined(c.args);
        ASSERT_EQ(read(c.args, options), "") << line;
        EXPECT_EQ(options.playerLevels[0], c.player1) << line;
        EXPECT_EQ(options.playerLevels[1], c.player2) << line;
        EXPECT_EQ(options.online, c.online) << line;
        EXPECT_EQ(options.hostPort, c.port) << line;
        EXPECT_EQ(c.online == OnlineStart::Join ? options.joinAddress : options.replayFile, c.text) << line;
    }
}

TEST(CommandLine, NamesWhatIsWrong) {
    const struct {
        std::vector<const char*> args;
        const char* problem;
    } Cases[] = {
        {{"--player1", "4"}, "--player1 takes person, 1, 2 or 3, not 4"},
        {{"--player2"}, "--player2 needs a value"},
        {{"--fast"}, "unknown option --fast"},
        {{"--host", "0"}, "--host takes a port from 1 to 65535, not 0"},
        {{"--host", "65536"}, "--host takes a port from 1 to 65535, not 65536"},
        {{"--host", "47310x"}, "--host takes a port from 1 to 65535, not 47310x"},
        {{"--host", "-1"}, "--host takes a port from 1 to 65535, not -1"},
        {{"--host", "99999999999999999999"}, "--host takes a port from 1 to 65535, not 99999999999999999999"},
        {{"--join"}, "--join needs a value"},
        {{"--join", ""}, "--join needs a value"},
        {{"--host", "--join", "1.2.3.4"}, "give one of --host and --join, once"},
        {{"--join", "1.2.3.4", "--join", "5.6.7.8"}, "give one of --host and --join, once"},
        {{"--host", "--replay", "a.tvreplay"}, "--replay cannot go with --host or --join"},
    };
    for (const auto& c : Cases) {
        LaunchOptions options;
        EXPECT_EQ(read(c.args, options), c.problem) << joined(c.args);
    }
}

TEST(CommandLine, LevelsCycleFromPersonThroughTheComputerLevels) {
    const int Next[][2] = {{PERSON, 1}, {1, 2}, {2, 3}, {3, PERSON}, {-1, PERSON}, {9, PERSON}};
    for (const auto& n : Next) EXPECT_EQ(nextPlayerLevel(n[0]), n[1]) << n[0];
}

}  // namespace
