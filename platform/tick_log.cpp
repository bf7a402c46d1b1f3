#include "platform/tick_log.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform {

namespace {
struct TickLog {
    TickLog() {
        if (const char* name = std::getenv("TARVEX_TICK_LOG")) path = name;
        if (!path.empty()) ticks.reserve(1 << 16);
    }
    ~TickLog() {
        if (path.empty()) return;
        if (std::FILE* file = std::fopen(path.c_str(), "w")) {
            for (uint64_t tick : ticks) std::fprintf(file, "%llu\n", static_cast<unsigned long long>(tick));
            std::fclose(file);
        }
    }
    std::string path;
    std::vector<uint64_t> ticks;
};
}  // namespace

void recordTick(uint64_t micros) {
    static TickLog log;
    if (!log.path.empty()) log.ticks.push_back(micros);
}

}  // namespace platform
