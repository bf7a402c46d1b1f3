// Measures the music player in real time: the player thread's CPU share while the song plays, the
// largest gap between two blocks written into the sound ring and how close the ring came to
// running dry, and how long stop takes.
//
//   bench_player [MODULE] [--seconds N] [--cycles N]
//
// Plays MODULE (default data/music) for N seconds (default 60) on the platform's sound device
// (SDL's dummy driver unless SDL_AUDIODRIVER says otherwise), then starts and stops N players
// (default 300) that each play for 20..200 ms first.
#include "audio/player.h"
#include "tools/read_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Wraps the device's ring and measures every write on the player thread without allocating.
class MeasuringRing : public platform::SoundRing {
public:
    explicit MeasuringRing(std::unique_ptr<platform::SoundRing> inner, bool stereo)
        : inner(std::move(inner)), bytesPerMs(stereo ? 88.2 : 44.1) {}

    uint32_t playPosition() override { return inner->playPosition(); }
    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override {
        const auto now = Clock::now();
        // Bytes still queued ahead of the play cursor when this block arrives: how long the
        // device could have gone on without it.
        const uint32_t queued = STREAM_RING_BYTES - ringFreeBytes(inner->playPosition() %
                                                                      STREAM_RING_BYTES,
                                                                  offset);
        ++writes;
        if (writes > ringBlocks()) {  // once the initially free ring has been filled
            largestGapMs = std::max(largestGapMs, millisecondsSince(lastWrite, now));
            smallestLeadMs = std::min(smallestLeadMs, queued / bytesPerMs);
        }
        lastWrite = now;
        return inner->write(offset, data, size);
    }

    static long ringBlocks() { return STREAM_RING_BYTES / 1764 + 1; }

    long writes = 0;
    double largestGapMs = 0;
    double smallestLeadMs = 1e9;

private:
    std::unique_ptr<platform::SoundRing> inner;
    double bytesPerMs;
    Clock::time_point lastWrite = Clock::now();
};

// A player that reads its own thread's CPU clock after every iteration.
class TimedPlayer : public MusicPlayer {
public:
    using MusicPlayer::MusicPlayer;
    ~TimedPlayer() override { stop(); }
    bool runOnce() override {
        const bool result = MusicPlayer::runOnce();
        timespec cpu{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        cpuNanoseconds = static_cast<long long>(cpu.tv_sec) * 1000000000LL + cpu.tv_nsec;
        ++iterations;
        return result;
    }
    std::atomic<long long> cpuNanoseconds{0};
    std::atomic<long> iterations{0};
};

}  // namespace

int main(int argc, char** argv) {
    const char* modulePath = "data/music";
    double seconds = 60;
    int cycles = 300;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--cycles") == 0 && i + 1 < argc) {
            cycles = std::atoi(argv[++i]);
        } else {
            modulePath = argv[i];
        }
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    std::vector<uint8_t> image;
    if (!readInputFile(modulePath, image)) image.clear();  // refused below as not a module
    MusicModule module(image.data(), image.size());
    if (image.empty() || module.parse() != 0) {
        std::fprintf(stderr, "%s: not a music module\n", modulePath);
        return 1;
    }

    MeasuringRing* ring = nullptr;
    auto measuredDevice = [&ring](bool stereo) {
        SoundOutput output = openPlatformSound(stereo);
        if (output.ring) {
            auto measuring = std::make_unique<MeasuringRing>(std::move(output.ring), stereo);
            ring = measuring.get();
            output.ring = std::move(measuring);
        }
        return output;
    };

    // ---- A long stretch of play.
    {
        TimedPlayer player(&module, nullptr, true, measuredDevice);
        if (player.start() != PLAYER_STARTED || ring == nullptr) {
            std::fprintf(stderr, "no sound device (SDL_AUDIODRIVER=%s)\n", std::getenv("SDL_AUDIODRIVER"));
            return 1;
        }
        std::printf("playing %s for %.0f s on the '%s' audio driver\n", modulePath, seconds,
                    std::getenv("SDL_AUDIODRIVER"));
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const double wallMs = millisecondsSince(start, Clock::now());
        const double cpuMs = player.cpuNanoseconds.load() / 1e6;
        const long iterations = player.iterations.load();
        const long writes = ring->writes;
        const double gap = ring->largestGapMs, lead = ring->smallestLeadMs;
        player.stop();
        std::printf("player thread CPU:          %.1f ms in %.1f s = %.3f%% of one core\n", cpuMs,
                    wallMs / 1000, 100.0 * cpuMs / wallMs);
        std::printf("iterations (blocks mixed):  %ld, %.1f per second (50 expected)\n", iterations,
                    iterations * 1000.0 / wallMs);
        std::printf("blocks written to the ring: %ld\n", writes);
        std::printf("largest gap between writes: %.1f ms (one block is 20 ms of sound)\n", gap);
        std::printf("smallest lead over the play cursor at a write: %.1f ms "
                    "(the ring holds 371.5 ms; an underrun needs 0)\n", lead);
    }

    // ---- Start and stop, again and again.
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> playMs(20, 200);
    std::vector<double> stops;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        MusicPlayer player(&module, nullptr, true);
        if (player.start() != PLAYER_STARTED) {
            std::fprintf(stderr, "start failed in cycle %d\n", cycle);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(playMs(random)));
        const auto before = Clock::now();
        player.stop();
        stops.push_back(millisecondsSince(before, Clock::now()));
    }
    if (!stops.empty()) {
        std::sort(stops.begin(), stops.end());
        double sum = 0;
        for (double ms : stops) sum += ms;
        std::printf("stop of a playing player:   %d cycles, mean %.2f ms, median %.2f ms, "
                    "99th percentile %.2f ms, longest %.2f ms (limit 100 ms)\n",
                    cycles, sum / stops.size(), stops[stops.size() / 2],
                    stops[std::min(stops.size() - 1, stops.size() * 99 / 100)], stops.back());
    }
    return 0;
}
