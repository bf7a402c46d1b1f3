#include "app/command_line.h"

#include <cstring>

namespace {

bool readLevel(const char* text, int& level) {
    if (std::strcmp(text, "person") == 0) {
        level = PERSON;
        return true;
    }
    if (text[0] >= '1' && text[0] <= '0' + HARDEST_LEVEL && text[1] == '\0') {
        level = text[0] - '0';
        return true;
    }
    return false;
}

// A port in decimal digits, 1 to 65535.
bool readPort(const char* text, uint16_t& port) {
    uint32_t value = 0;
    if (*text == '\0') return false;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        value = value * 10 + uint32_t(*c - '0');
        if (value > 65535) return false;
    }
    if (value == 0) return false;
    port = uint16_t(value);
    return true;
}

// --host takes the next word as its port unless that word is another option.
bool readHost(int argc, const char* const* argv, int& i, LaunchOptions& options, std::string& problem) {
    options.online = OnlineStart::Host;
    if (i + 1 >= argc || std::strncmp(argv[i + 1], "--", 2) == 0) return true;
    const char* value = argv[++i];
    if (readPort(value, options.hostPort)) return true;
    problem = std::string("--host takes a port from 1 to 65535, not ") + value;
    return false;
}

}  // namespace

bool readCommandLine(int argc, const char* const* argv, LaunchOptions& options, std::string& problem) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool host = option == "--host", join = option == "--join";
        if ((host || join) && options.online != OnlineStart::None) {
            problem = "give one of --host and --join, once";
            return false;
        }
        if (host) {
            if (!readHost(argc, argv, i, options, problem)) return false;
            continue;
        }
        const bool player1 = option == "--player1", player2 = option == "--player2";
        if (!player1 && !player2 && !join && option != "--replay") {
            problem = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc || (join && argv[i + 1][0] == '\0')) {
            problem = option + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (option == "--replay") {
            options.replayFile = value;
        } else if (join) {
            options.online = OnlineStart::Join;
            options.joinAddress = value;
        } else if (!readLevel(value, options.playerLevels[player1 ? 0 : 1])) {
            problem = option + " takes person, 1, 2 or 3, not " + value;
            return false;
        }
    }
    if (options.online != OnlineStart::None && !options.replayFile.empty()) {
        problem = "--replay cannot go with --host or --join";
        return false;
    }
    return true;
}

int nextPlayerLevel(int level) { return level >= HARDEST_LEVEL || level < PERSON ? PERSON : level + 1; }
