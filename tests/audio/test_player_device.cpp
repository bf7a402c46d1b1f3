// The player on the real sound device (SDL's disk driver writes what the device plays to a file)
// and the music hand-off of the game, down to the real program under X driven by key presses.
#include "app/app.h"
#include "audio/player.h"

#include "tests/audio/disk_audio.h"
#include "tests/audio/player_song.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace testing_audio;

// ---- Allocations made on the player thread --------------------------------------------------
// The replaced global allocator is malloc/free underneath; GCC cannot see that new and delete
// are replaced together and warns about every inlined pairing.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
thread_local bool countThisThread = false;
std::atomic<long> playerThreadAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (countThisThread) ++playerThreadAllocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (countThisThread) ++playerThreadAllocations;
    return std::malloc(size ? size : 1);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace {

constexpr size_t SAMPLES_PER_SECOND = 2 * 44100;  // the device's stereo samples

// Every test of this program plays into one disk file, chosen before SDL's audio starts.
struct DiskDevice {
    std::string directory;
    std::string file;
    DiskDevice() {
        char pattern[] = "/tmp/tarvex-player-XXXXXX";
        directory = mkdtemp(pattern) ? pattern : "/tmp";
        file = directory + "/device.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    ~DiskDevice() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
};
DiskDevice& diskDevice() {
    static DiskDevice device;
    return device;
}
const bool diskDeviceChosen = (diskDevice(), true);

size_t fileSamples(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<size_t>(info.st_size) / 2 : 0;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// The render of the tool that the game's song is checked against, as device samples.
std::vector<int16_t> toolRender(const std::string& module, int seconds) {
    const std::string wave = diskDevice().directory + "/render.wav";
    const std::string command = std::string(TARVEX_TOOL_PATH) + " music render '" + module +
                                "' '" + wave + "' --seconds " + std::to_string(seconds);
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return readRenderAsDeviceSamples(wave);
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// A player that counts every allocation its thread makes.
class CountingPlayer : public MusicPlayer {
public:
    using MusicPlayer::MusicPlayer;
    ~CountingPlayer() override { stop(); }

protected:
    void threadStarting() override {
        MusicPlayer::threadStarting();
        countThisThread = true;
    }
};

std::vector<platform::MessageRecord> observedMessages;
void observeMessages() {
    observedMessages.clear();
    platform::setMessageObserver([](const platform::MessageRecord& message) {
        observedMessages.push_back(message);
        return platform::MessageAnswer::Ok;
    });
}

}  // namespace

TEST(PlayerOnDevice, PlaysTheOfflineRenderInOrderAfterTheRingsSilenceWithoutAllocating) {
    const std::string modulePath = diskDevice().directory + "/song";
    writeFile(modulePath, playerTestSong());
    const std::vector<int16_t> render = toolRender(modulePath, 10);
    ASSERT_EQ(render.size(), 10 * SAMPLES_PER_SECOND);
    const size_t renderStart = firstSound(render);
    ASSERT_LT(renderStart, SAMPLES_PER_SECOND);

    auto image = playerTestSong();
    MusicModule module(image.data(), image.size());
    const size_t before = fileSamples(diskDevice().file);
    {
        CountingPlayer player(&module, nullptr, true);
        ASSERT_EQ(player.start(), PLAYER_STARTED);
        pause(7.0);  // long enough for the ring's offsets to meet the device's buffer steps
        player.stop();
    }
    EXPECT_EQ(playerThreadAllocations.load(), 0);
    pause(0.5);  // the device goes on writing silence, which pushes the file's buffer out

    const std::vector<int16_t> played = readDeviceOutput(diskDevice().file);
    const size_t heard = firstSound(played, before);
    ASSERT_LT(heard, played.size()) << "the device played nothing but silence";
    ASSERT_GE(heard, renderStart);
    // Before the song only the ring's initial silence was played (up to one ring, depending on
    // how far the device had played when the first block arrived); then every block followed in
    // order, without a gap, until the player stopped.
    const size_t songStart = heard - renderStart;
    EXPECT_LE(songStart, before + SAMPLES_PER_SECOND / 2);
    const size_t run = matchingRun(played, songStart, render);
    EXPECT_GE(run, static_cast<size_t>(6 * SAMPLES_PER_SECOND));
    EXPECT_EQ(firstSound(played, songStart + run), played.size())
        << "something other than the song or silence was played";
}

TEST(MusicHandoff, FileProblemsAreReportedAndTheGameGoesOnWithoutMusic) {
    const std::string directory = diskDevice().directory;
    writeFile(directory + "/empty", {});
    writeFile(directory + "/text", std::vector<uint8_t>(700, 'x'));
    writeFile(directory + "/huge", {});
    ASSERT_EQ(truncate((directory + "/huge").c_str(), 200 << 20), 0);  // sparse
    unlink((directory + "/pipe").c_str());
    ASSERT_EQ(mkfifo((directory + "/pipe").c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {directory + "/missing", "Could not open file"},
        {directory, "Could not open file"},  // a folder is not a file
        {directory + "/empty", "Empty file"},
        {directory + "/text", "No ZQ module"},
        {directory + "/pipe", "Could not open file"},
        {directory + "/huge", "Illegal filesize"},  // far larger than any module
    };
    for (const auto& problem : cases) {
        SCOPED_TRACE(problem.path);
        observeMessages();
        loadMusic(problem.path.c_str());
        ASSERT_EQ(observedMessages.size(), 1u);
        EXPECT_EQ(observedMessages[0].text, problem.message);
        EXPECT_EQ(observedMessages[0].caption, "ERROR");
        EXPECT_EQ(observedMessages[0].buttons, platform::MessageButtons::Ok);
        EXPECT_EQ(observedMessages[0].icon, platform::MessageIcon::None);
        EXPECT_FALSE(musicPlayerExists());
        // Title frames and match frames run on, silently and without further messages.
        for (int frame = 0; frame < 3; ++frame) {
            startTitleMusic();
            EXPECT_FALSE(musicPlayerExists());
            stopTitleMusic();
        }
        releaseMusic();
        EXPECT_EQ(observedMessages.size(), 1u);
    }
    platform::setMessageObserver(nullptr);
}

TEST(MusicHandoff, MatchesStopThePlayerAndTheTitleMakesANewOne) {
    const std::string modulePath = diskDevice().directory + "/handoff-song";
    writeFile(modulePath, playerTestSong());
    observeMessages();
    loadMusic(modulePath.c_str());
    EXPECT_TRUE(observedMessages.empty());
    EXPECT_TRUE(musicPlayerExists());
    startTitleMusic();  // one player at a time
    EXPECT_TRUE(musicPlayerExists());
    for (int match = 0; match < 3; ++match) {
        pause(0.05);
        stopTitleMusic();
        EXPECT_FALSE(musicPlayerExists());
        stopTitleMusic();
        startTitleMusic();
        EXPECT_TRUE(musicPlayerExists());
    }
    loadMusic(modulePath.c_str());  // loading again replaces everything
    EXPECT_TRUE(musicPlayerExists());
    releaseMusic();
    EXPECT_FALSE(musicPlayerExists());
    startTitleMusic();  // no module any more
    EXPECT_FALSE(musicPlayerExists());
    releaseMusic();
    EXPECT_TRUE(observedMessages.empty());
    platform::setMessageObserver(nullptr);
}

TEST(MusicHandoff, WithoutASoundDeviceStartUpReportsItOnceAndTheTitleStaysSilent) {
    // Runs in a fresh process, where the sound device has not been opened yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string modulePath = diskDevice().directory + "/no-device-song";
    writeFile(modulePath, playerTestSong());
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            observeMessages();
            loadMusic(modulePath.c_str());
            bool ok = observedMessages.size() == 1 &&
                      observedMessages[0].text == "Direct-X error" &&
                      observedMessages[0].caption == "ERROR" && musicPlayerExists();
            stopTitleMusic();  // the failed player is stopped and destroyed by a match update
            ok = ok && !musicPlayerExists();
            startTitleMusic();  // a failed start on the title is silent
            ok = ok && musicPlayerExists() && observedMessages.size() == 1;
            releaseMusic();
            std::exit(ok && !musicPlayerExists() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// ---- The real game under X ------------------------------------------------------------------
namespace {

class GameProcess {
public:
    explicit GameProcess(const std::string& diskFile) {
        std::vector<std::string> settings;
        for (char** entry = environ; *entry; ++entry) {
            const std::string setting = *entry;
            if (setting.rfind("SDL_AUDIODRIVER=", 0) != 0 &&
                setting.rfind("SDL_DISKAUDIOFILE=", 0) != 0)
                settings.push_back(setting);
        }
        settings.push_back("SDL_AUDIODRIVER=disk");
        settings.push_back("SDL_DISKAUDIOFILE=" + diskFile);
        settings.push_back("LIBGL_ALWAYS_SOFTWARE=1");
        std::vector<char*> envp;
        for (auto& setting : settings) envp.push_back(setting.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(TARVEX_GAME_PATH), nullptr};
        if (posix_spawn(&pid, TARVEX_GAME_PATH, nullptr, nullptr, argv, envp.data()) != 0) pid = -1;
    }
    ~GameProcess() {
        if (pid > 0 && !finished) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool started() const { return pid > 0; }
    // Waits up to `seconds` for the game to end; its exit status, or -1.
    int waitForExit(double seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                finished = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            pause(0.05);
        }
        return -1;
    }

private:
    pid_t pid = -1;
    bool finished = false;
};

bool pressKey(const char* key) {
    return std::system((std::string("xdotool key ") + key).c_str()) == 0;
}

}  // namespace

TEST(GameMusic, StopsWhenAMatchStartsAndRestartsFromTheSongsStartAfterEscape) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (./test.sh has Xvfb)";
    const std::vector<int16_t> render = toolRender("data/music", 8);
    const size_t renderStart = firstSound(render);
    ASSERT_LT(renderStart + SAMPLES_PER_SECOND, render.size());

    const std::string diskFile = diskDevice().directory + "/game.raw";
    GameProcess game(diskFile);
    ASSERT_TRUE(game.started());
    ASSERT_EQ(std::system("timeout 30 xdotool search --sync --onlyvisible --name '^TARVEX 3D' "
                          ">/dev/null"),
              0)
        << "no game window appeared";
    pause(3.0);
    const size_t atMatch = fileSamples(diskFile);
    ASSERT_TRUE(pressKey("F1"));
    pause(2.0);
    const size_t atEscape = fileSamples(diskFile);
    ASSERT_TRUE(pressKey("Escape"));
    pause(3.0);
    ASSERT_TRUE(pressKey("F12"));
    ASSERT_EQ(game.waitForExit(10), 0);

    const std::vector<int16_t> played = readDeviceOutput(diskFile);
    ASSERT_GT(played.size(), atEscape);
    // Where the song's first sounding 50 ms were played.
    const auto starts = findAll(played, render, renderStart, SAMPLES_PER_SECOND / 20);
    ASSERT_GE(starts.size(), 2u) << "the song was not played twice from its start";
    EXPECT_LT(starts[0], atMatch) << "no music on the title screen at start-up";

    // The music ran until the match began and no further (the file lags the device by at most
    // its write buffer; half a second covers that and the frame that stops the player).
    const size_t firstSong = starts[0] - renderStart;
    const size_t firstEnd = firstSong + matchingRun(played, firstSong, render);
    EXPECT_GT(firstEnd, firstSong + SAMPLES_PER_SECOND);
    EXPECT_LT(firstEnd, atMatch + SAMPLES_PER_SECOND / 2);
    EXPECT_GE(firstEnd + SAMPLES_PER_SECOND / 2, atMatch) << "the music stopped before the match";

    // After Escape the song starts again from its first bytes and plays on.
    size_t restart = 0;
    for (size_t start : starts)
        if (start >= atEscape && restart == 0) restart = start;
    ASSERT_NE(restart, 0u) << "the song did not restart after Escape";
    const size_t secondSong = restart - renderStart;
    EXPECT_GT(matchingRun(played, secondSong, render), SAMPLES_PER_SECOND);
    // Nothing of the song was heard during the match.
    for (size_t start : starts) EXPECT_TRUE(start < atMatch || start >= atEscape) << start;
}
