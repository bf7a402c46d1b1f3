// The sound device: one SDL audio device, opened on first use, whose callback mixes the open
// sound rings (each played from its own cursor, which the callback advances) and the single
// wave voice. Everything the callback reads is guarded by the device lock, which SDL holds while
// the callback runs; the play cursors are atomics so that they can be read without it.
#include "platform/platform.h"
#include "platform/sdl2/sdl2_internal.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {

namespace {
using sdl2::DEVICE_CHANNELS;
using sdl2::DEVICE_FRAME_BYTES;
constexpr int MAX_RINGS = 4;

class DeviceRing;

struct WaveVoice {
    std::vector<Uint8> samples;  // device format, whole frames
    size_t position = 0;
    bool loop = false;
    bool active = false;
};

// Guarded by the device lock.
DeviceRing* rings[MAX_RINGS] = {};
WaveVoice voice;

std::mutex openMutex;
std::atomic<SDL_AudioDeviceID> device{0};
bool deviceFailed = false;

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
    SDL_LockAudioDevice(device);
    for (DeviceRing*& slot : rings)
        if (slot == this) slot = nullptr;
    SDL_UnlockAudioDevice(device);
}

bool DeviceRing::write(uint32_t offset, const uint8_t* data, uint32_t size) {
    if (offset >= SOUND_RING_BYTES || size > SOUND_RING_BYTES || (size > 0 && !data)) return false;
    uint32_t first = std::min(size, SOUND_RING_BYTES - offset);
    SDL_LockAudioDevice(device);
    std::memcpy(bytes_ + offset, data, first);
    std::memcpy(bytes_, data + first, size - first);
    SDL_UnlockAudioDevice(device);
    return true;
}

Sint16 clampSample(int value) {
    return static_cast<Sint16>(std::clamp(value, -32768, 32767));
}

void mixCallback(void*, Uint8* stream, int length) {
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
            std::memcpy(pair, voice.samples.data() + voice.position, sizeof pair);
            left += pair[0];
            right += pair[1];
            voice.position += DEVICE_FRAME_BYTES;
            if (voice.position >= voice.samples.size()) {
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

// At exit the device is closed (its thread joined) before the voice and rings it reads are
// destroyed: this handler is registered after they were constructed, so it runs first.
void closeDeviceAtExit() {
    std::lock_guard<std::mutex> guard(openMutex);
    if (device) SDL_CloseAudioDevice(device);
    device = 0;
    deviceFailed = true;
}

// Opens the device on first use; after a failure it stays closed for the rest of the run.
bool ensureDevice() {
    std::lock_guard<std::mutex> guard(openMutex);
    if (device) return true;
    if (deviceFailed) return false;
    if (!sdl2::ensureSubsystem(SDL_INIT_AUDIO)) {
        deviceFailed = true;
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = SOUND_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = DEVICE_CHANNELS;
    want.samples = 512;
    want.callback = mixCallback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device) {
        deviceFailed = true;
        return false;
    }
    std::atexit(closeDeviceAtExit);
    SDL_PauseAudioDevice(device, 0);
    return true;
}

bool voicePlaying() {
    SDL_LockAudioDevice(device);
    bool active = voice.active;
    SDL_UnlockAudioDevice(device);
    return active;
}

// Replaces the voice's sound (an empty one stops it); the old samples are freed outside the lock.
void setVoice(std::vector<Uint8> samples, bool loop) {
    SDL_LockAudioDevice(device);
    voice.samples.swap(samples);
    voice.position = 0;
    voice.loop = loop;
    voice.active = !voice.samples.empty();
    SDL_UnlockAudioDevice(device);
}

}  // namespace

std::unique_ptr<SoundRing> openSoundRing(bool stereo) {
    if (!ensureDevice()) return nullptr;
    auto ring = std::make_unique<DeviceRing>(stereo);
    bool placed = false;
    SDL_LockAudioDevice(device);
    for (DeviceRing*& slot : rings) {
        if (!slot) {
            slot = ring.get();
            placed = true;
            break;
        }
    }
    SDL_UnlockAudioDevice(device);
    if (!placed) return nullptr;
    return ring;
}

bool playWave(const char* path, unsigned flags) {
    if (!ensureDevice()) return false;
    if (!path) {
        setVoice({}, false);
        return true;
    }
    if ((flags & WAVE_NOSTOP) && voicePlaying()) return false;
    std::vector<Uint8> samples = sdl2::loadWave(path);
    if (samples.empty()) {
        setVoice({}, false);  // the new sound replaces the old one even when it cannot play
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
