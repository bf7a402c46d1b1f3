// The sound device: one SDL audio device, opened on first use, whose callback mixes the open
// sound rings (each played from its own cursor, which the callback advances) and the single
// wave voice. Everything the callback reads is guarded by the mix lock, which the callback holds
// while it mixes; the play cursors are atomics so that they can be read without it.
//
// A keeper thread watches the device. One that goes away (a headset unplugged, the sound server
// restarted: SDL posts SDL_AUDIODEVICEREMOVED and reports the device stopped) is replaced by a
// new one on the default device as soon as one opens, and the rings and the voice play on
// through it; a first open that failed is tried again the same way. Until then SDL keeps calling
// the lost device back in silence at its pace, so the rings' cursors move on and neither a
// player's thread nor the frame ever waits for a device: only the very first open happens on the
// caller's thread.
//
// Each wave file is read and converted to the device format once, the first time it is played,
// and kept for the rest of the run: a play is then only a hand-over of the kept samples.
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace platform {

namespace {
using sdl2::DEVICE_CHANNELS;
using sdl2::DEVICE_FRAME_BYTES;
constexpr int MAX_RINGS = 4;

constexpr int KEPT_WAVES = 16;
constexpr size_t KEPT_PATH_BYTES = 256;

class DeviceRing;

using WaveSamples = std::shared_ptr<const std::vector<Uint8>>;  // device format, whole frames

struct WaveVoice {
    WaveSamples samples;  // null: nothing plays
    size_t position = 0;
    bool loop = false;
    bool active = false;
};

// Files already read, with their samples (null for a file that cannot be played). A kept entry
// is replaced only when all slots are taken; a voice still playing its samples keeps them.
struct KeptWave {
    char path[KEPT_PATH_BYTES] = {};
    WaveSamples samples;
    bool used = false;
};
std::mutex keptMutex;
KeptWave keptWaves[KEPT_WAVES];
int nextKeptSlot = 0;

// Guarded by mixMutex.
std::mutex mixMutex;
DeviceRing* rings[MAX_RINGS] = {};
WaveVoice voice;

std::atomic<SDL_AudioDeviceID> device{0};
std::mutex firstOpenMutex;
bool firstOpenTried = false;  // guarded by firstOpenMutex

constexpr auto KEEPER_LOOK = std::chrono::milliseconds(100);  // how often the device is looked at
constexpr auto KEEPER_RETRY = std::chrono::milliseconds(500);  // between two attempts to reopen
std::mutex keeperMutex;
std::condition_variable keeperWake;
bool keeperStop = false;  // guarded by keeperMutex
std::thread keeper;

class DeviceRing final : public SoundRing {
public:
    explicit DeviceRing(bool stereo) : stereo_(stereo) { std::memset(bytes_, 128, sizeof bytes_); }
    ~DeviceRing() override;

    uint32_t playPosition() override { return position_.load(std::memory_order_acquire); }
    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override;

    // Called by the device callback only: the next sample pair, advancing the play cursor.
    void nextFrame(int& left, int& right, uint32_t& cursor) const {
        if (stereo_) {
            left += (bytes_[cursor] - 128) * 256;
            right += (bytes_[cursor + 1] - 128) * 256;
            cursor = (cursor + 2) % SOUND_RING_BYTES;
        } else {
            int value = (bytes_[cursor] - 128) * 256;
            left += value;
            right += value;
            cursor = (cursor + 1) % SOUND_RING_BYTES;
        }
    }
    uint32_t cursor() const { return position_.load(std::memory_order_relaxed); }
    void setCursor(uint32_t cursor) { position_.store(cursor, std::memory_order_release); }

private:
    bool stereo_;
    std::atomic<uint32_t> position_{0};
    uint8_t bytes_[SOUND_RING_BYTES];
};

DeviceRing::~DeviceRing() {
    std::lock_guard<std::mutex> mix(mixMutex);
    for (DeviceRing*& slot : rings)
        if (slot == this) slot = nullptr;
}

bool DeviceRing::write(uint32_t offset, const uint8_t* data, uint32_t size) {
    if (offset >= SOUND_RING_BYTES || size > SOUND_RING_BYTES || (size > 0 && !data)) return false;
    if (size == 0) return true;  // nothing to copy (and memcpy must not see a null source)
    uint32_t first = std::min(size, SOUND_RING_BYTES - offset);
    std::lock_guard<std::mutex> mix(mixMutex);
    std::memcpy(bytes_ + offset, data, first);
    std::memcpy(bytes_, data + first, size - first);
    return true;
}

Sint16 clampSample(int value) {
    return static_cast<Sint16>(std::clamp(value, -32768, 32767));
}

void mixCallback(void*, Uint8* stream, int length) {
    std::lock_guard<std::mutex> mix(mixMutex);
    int frames = length / DEVICE_FRAME_BYTES;
    uint32_t cursors[MAX_RINGS];
    for (int r = 0; r < MAX_RINGS; ++r) cursors[r] = rings[r] ? rings[r]->cursor() : 0;
    Sint16* out = reinterpret_cast<Sint16*>(stream);
    for (int f = 0; f < frames; ++f) {
        int left = 0, right = 0;
        for (int r = 0; r < MAX_RINGS; ++r)
            if (rings[r]) rings[r]->nextFrame(left, right, cursors[r]);
        if (voice.active) {
            Sint16 pair[2];
            std::memcpy(pair, voice.samples->data() + voice.position, sizeof pair);
            left += pair[0];
            right += pair[1];
            voice.position += DEVICE_FRAME_BYTES;
            if (voice.position >= voice.samples->size()) {
                voice.position = 0;
                voice.active = voice.loop;
            }
        }
        out[2 * f] = clampSample(left);
        out[2 * f + 1] = clampSample(right);
    }
    for (int r = 0; r < MAX_RINGS; ++r)
        if (rings[r]) rings[r]->setCursor(cursors[r]);
    std::memset(stream + frames * DEVICE_FRAME_BYTES, 0, length - frames * DEVICE_FRAME_BYTES);
}

// The default device, playing; 0 when none can be opened.
SDL_AudioDeviceID openDefaultDevice() {
    SDL_AudioSpec want{};
    want.freq = SOUND_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = DEVICE_CHANNELS;
    want.samples = 512;
    want.callback = mixCallback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    const SDL_AudioDeviceID opened = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (opened) SDL_PauseAudioDevice(opened, 0);
    return opened;
}

// The keeper thread: replaces a lost device (or opens the first one) when the default device
// can be opened. The new device plays before the old one is closed, so the rings never stop.
void keepDevice() {
    auto nextTry = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(keeperMutex);
    while (!keeperWake.wait_for(lock, KEEPER_LOOK, [] { return keeperStop; })) {
        const SDL_AudioDeviceID current = device.load();
        if (current && SDL_GetAudioDeviceStatus(current) != SDL_AUDIO_STOPPED) continue;
        if (std::chrono::steady_clock::now() < nextTry) continue;
        lock.unlock();
        const SDL_AudioDeviceID fresh = openDefaultDevice();
        if (fresh) {
            device = fresh;
            if (current) SDL_CloseAudioDevice(current);
        }
        nextTry = std::chrono::steady_clock::now() + KEEPER_RETRY;
        lock.lock();
    }
}

// At exit the keeper ends and the device is closed (its thread joined) before the voice and
// rings it reads are destroyed: this handler is registered after they were constructed, so it
// runs first.
void closeDeviceAtExit() {
    {
        std::lock_guard<std::mutex> guard(keeperMutex);
        keeperStop = true;
    }
    keeperWake.notify_all();
    if (keeper.joinable()) keeper.join();
    const SDL_AudioDeviceID last = device.exchange(0);
    if (last) SDL_CloseAudioDevice(last);
}

// True while a device plays (or, lost, is being replaced). The first call opens it and starts
// the keeper; later calls never wait for an open.
bool ensureDevice() {
    if (device.load()) return true;
    std::lock_guard<std::mutex> guard(firstOpenMutex);
    if (firstOpenTried) return device.load() != 0;
    firstOpenTried = true;
    if (!sdl2::ensureSubsystem(SDL_INIT_AUDIO)) return false;  // no sound at all in this run
    device = openDefaultDevice();
    keeper = std::thread(keepDevice);
    std::atexit(closeDeviceAtExit);
    return device.load() != 0;
}

bool voicePlaying() {
    std::lock_guard<std::mutex> mix(mixMutex);
    return voice.active;
}

// Replaces the voice's sound (null stops it); the old samples are released outside the lock.
void setVoice(WaveSamples samples, bool loop) {
    std::lock_guard<std::mutex> mix(mixMutex);
    voice.samples.swap(samples);
    voice.position = 0;
    voice.loop = loop;
    voice.active = voice.samples != nullptr;
}

// A WAV file in the device format, or null when it cannot be played. Never throws.
WaveSamples convertWave(const char* path) {
    try {
        std::vector<Uint8> converted = sdl2::loadWave(path);
        if (converted.empty()) return nullptr;
        return std::make_shared<const std::vector<Uint8>>(std::move(converted));
    } catch (const std::exception&) {  // out of memory: the sound cannot be played
        return nullptr;
    }
}

// The samples of a wave file, read and converted the first time it is asked for.
WaveSamples waveSamples(const char* path) {
    std::lock_guard<std::mutex> guard(keptMutex);
    const bool keepable = std::strlen(path) < KEPT_PATH_BYTES;
    if (keepable)
        for (const KeptWave& kept : keptWaves)
            if (kept.used && std::strcmp(kept.path, path) == 0) return kept.samples;
    WaveSamples samples = convertWave(path);
    if (keepable) {
        KeptWave& slot = keptWaves[nextKeptSlot];
        nextKeptSlot = (nextKeptSlot + 1) % KEPT_WAVES;
        std::strcpy(slot.path, path);
        slot.samples = samples;
        slot.used = true;
    }
    return samples;
}
}  // namespace

std::unique_ptr<SoundRing> openSoundRing(bool stereo) {
    if (!ensureDevice()) return nullptr;
    auto ring = std::make_unique<DeviceRing>(stereo);
    bool placed = false;
    {
        std::lock_guard<std::mutex> mix(mixMutex);
        for (DeviceRing*& slot : rings) {
            if (!slot) {
                slot = ring.get();
                placed = true;
                break;
            }
        }
    }
    if (!placed) return nullptr;
    return ring;
}

bool playWave(const char* path, unsigned flags) {
    if (!ensureDevice()) return false;
    if (!path) {
        setVoice(nullptr, false);
        return true;
    }
    if ((flags & WAVE_NOSTOP) && voicePlaying()) return false;
    WaveSamples samples = waveSamples(path);
    if (!samples) {
        setVoice(nullptr, false);  // the new sound replaces the old one even when it cannot play
        return false;
    }
    bool loop = (flags & WAVE_LOOP) != 0;
    setVoice(std::move(samples), loop);
    if (!(flags & WAVE_ASYNC) && !loop) {
        while (voicePlaying()) SDL_Delay(5);
    }
    return true;
}

}  // namespace platform
