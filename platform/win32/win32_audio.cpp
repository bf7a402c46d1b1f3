// The sound rings over DirectSound and the wave voice over the system's single-sound player.
// Each ring has a device object of its own: a primary buffer set to the ring's format and a
// looping secondary buffer of SOUND_RING_BYTES, whose play cursor is read from the device.
//
// Each ring keeps a copy of what it holds. A buffer that DirectSound reports lost is restored and
// refilled from it; a device whose play cursor cannot be read (unplugged, its driver gone) is
// replaced by a new one on the default device. Reading the cursor finds the loss; a keeper thread
// per ring looks for one every 100 ms and then tries to open a new device every 500 ms. Until one
// opens, the play cursor moves on with the clock, so the ring's writer never waits, and the new
// device plays from where the cursor then is.
//
// Each wave file is read through the file door once, the first time it is played, and kept; the
// system player plays the kept bytes from memory.
#include "platform/file_read.h"
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace platform {

namespace win32 {
HRESULT devicePlayCursor(IDirectSoundBuffer* buffer, DWORD* play) {
    DWORD write = 0;
    return buffer->GetCurrentPosition(play, &write);
}
CursorReader readPlayCursor = devicePlayCursor;
}  // namespace win32

namespace {
constexpr DWORD STREAM_BUFFER_FLAGS = DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY |
                                      DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY |
                                      DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS;
constexpr auto KEEPER_LOOK = std::chrono::milliseconds(100);   // how often the cursor is looked at
constexpr auto KEEPER_RETRY = std::chrono::milliseconds(500);  // between two attempts to reopen

template <typename Interface>
void release(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

WAVEFORMATEX ringFormat(bool stereo) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = stereo ? 2 : 1;
    format.nSamplesPerSec = SOUND_RATE;
    format.nBlockAlign = format.nChannels;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = 8;
    return format;
}

// A device object with its primary buffer and the ring's stream buffer.
struct SoundDevice {
    IDirectSound* sound = nullptr;
    IDirectSoundBuffer* primary = nullptr;
    IDirectSoundBuffer* stream = nullptr;

    // Opens the default device with a primary buffer in the ring's format, playing, and a stream
    // buffer, not yet playing; false when the ring cannot play on it.
    bool open(bool stereo) {
        HRESULT result = DirectSoundCreate(nullptr, &sound, nullptr);
        if (result == DS_OK) result = sound->Initialize(nullptr);
        if (result == DSERR_ALREADYINITIALIZED) result = DS_OK;
        if (result != DS_OK) return false;
        WAVEFORMATEX format = ringFormat(stereo);
        HRESULT cooperation = sound->SetCooperativeLevel(win32::ownerWindow(), DSSCL_EXCLUSIVE);

        DSBUFFERDESC primaryDescription{};
        primaryDescription.dwSize = sizeof primaryDescription;
        primaryDescription.dwFlags = DSBCAPS_PRIMARYBUFFER;
        sound->CreateSoundBuffer(&primaryDescription, &primary, nullptr);
        if (primary) {
            primary->SetFormat(&format);
            primary->Play(0, 0, 0);
        }
        if (cooperation != DS_OK) return false;

        DSBUFFERDESC streamDescription{};
        streamDescription.dwSize = sizeof streamDescription;
        streamDescription.dwFlags = STREAM_BUFFER_FLAGS;
        streamDescription.dwBufferBytes = SOUND_RING_BYTES;
        streamDescription.lpwfxFormat = &format;
        if (sound->CreateSoundBuffer(&streamDescription, &stream, nullptr) != DS_OK) return false;
        stream->SetVolume(DSBVOLUME_MAX);
        stream->SetFrequency(SOUND_RATE);
        stream->SetPan(DSBPAN_CENTER);
        return true;
    }

    // Fills the stream buffer with bytes and plays it, looping, from position.
    bool play(const uint8_t* bytes, uint32_t position) {
        void* buffer = nullptr;
        DWORD length = 0;
        if (stream->Lock(0, SOUND_RING_BYTES, &buffer, &length, nullptr, nullptr, 0) != DS_OK) return false;
        std::memcpy(buffer, bytes, length);
        stream->Unlock(buffer, length, nullptr, 0);
        stream->SetCurrentPosition(position);
        return stream->Play(0, 0, DSBPLAY_LOOPING) == DS_OK;
    }

    void close() {
        if (primary) primary->Stop();
        release(primary);
        if (stream) stream->Stop();
        release(stream);
        release(sound);
    }
};

class DirectSoundRing final : public SoundRing {
public:
    explicit DirectSoundRing(bool stereo) : stereo_(stereo) { std::memset(bytes_, 128, sizeof bytes_); }

    ~DirectSoundRing() override {
        {
            std::lock_guard<std::mutex> guard(keeperMutex_);
            keeperStop_ = true;
        }
        keeperWake_.notify_all();
        if (keeper_.joinable()) keeper_.join();
        device_.close();
    }

    // The first device, playing silence, and the keeper; false when the ring cannot play.
    bool open() {
        if (!device_.open(stereo_) || !device_.play(bytes_, 0)) return false;
        keeper_ = std::thread([this] { keep(); });
        return true;
    }

    uint32_t playPosition() override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!lost_) {
            DWORD play = 0;
            HRESULT result = win32::readPlayCursor(device_.stream, &play);
            if (result == DSERR_BUFFERLOST && restore()) result = win32::readPlayCursor(device_.stream, &play);
            if (result == DS_OK) {
                lastPlay_ = play % SOUND_RING_BYTES;
            } else {
                lose();
            }
        }
        return lost_ ? clockPosition() : lastPlay_;
    }

    // The bytes are kept, so a write succeeds even while the device is lost: they are heard
    // once a new device plays.
    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override {
        if (offset >= SOUND_RING_BYTES || size > SOUND_RING_BYTES || (size > 0 && !data)) return false;
        if (size == 0) return true;
        std::lock_guard<std::mutex> guard(mutex_);
        const uint32_t first = std::min(size, SOUND_RING_BYTES - offset);
        std::memcpy(bytes_ + offset, data, first);
        std::memcpy(bytes_, data + first, size - first);
        if (!lost_ && !copyToDevice(offset, size)) lose();
        return true;
    }

private:
    // Copies the kept bytes of a range, in the one or two pieces the device hands out.
    bool copyToDevice(uint32_t offset, uint32_t size) {
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstLength = 0, secondLength = 0;
        HRESULT result = device_.stream->Lock(offset, size, &first, &firstLength, &second, &secondLength, 0);
        if (result == DSERR_BUFFERLOST) return restore();  // refilled with everything, this range too
        if (result != DS_OK) return false;
        std::memcpy(first, bytes_ + offset, firstLength);
        if (second) std::memcpy(second, bytes_, secondLength);
        device_.stream->Unlock(first, firstLength, second, secondLength);
        return true;
    }

    // A lost buffer has lost what it held too.
    bool restore() { return device_.stream->Restore() == DS_OK && device_.play(bytes_, lastPlay_); }

    void lose() {
        lost_ = true;
        lostAt_ = std::chrono::steady_clock::now();
    }

    // Where the cursor would be had the device played on since it was lost, on a whole frame.
    uint32_t clockPosition() const {
        const auto elapsed = std::chrono::steady_clock::now() - lostAt_;
        const uint64_t frames =
            uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()) * SOUND_RATE / 1000000;
        const uint32_t frameBytes = stereo_ ? 2 : 1;
        return uint32_t((lastPlay_ / frameBytes + frames) * frameBytes % SOUND_RING_BYTES);
    }

    // The keeper thread: replaces a lost device when one opens. It takes the ring's lock only to
    // hand the new device over (opened before), so that the writer, whose thread runs at a higher
    // priority, never waits for the keeper while the device plays.
    void keep() {
        auto nextTry = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(keeperMutex_);
        while (!keeperWake_.wait_for(lock, KEEPER_LOOK, [this] { return keeperStop_; })) {
            if (!lost_ || std::chrono::steady_clock::now() < nextTry) continue;
            lock.unlock();
            reopen();
            nextTry = std::chrono::steady_clock::now() + KEEPER_RETRY;
            lock.lock();
        }
    }

    void reopen() {
        SoundDevice fresh;
        if (fresh.open(stereo_)) {
            std::lock_guard<std::mutex> guard(mutex_);
            const uint32_t position = clockPosition();
            if (fresh.play(bytes_, position)) {
                std::swap(fresh, device_);
                lastPlay_ = position;
                lost_ = false;
            }
        }
        fresh.close();  // the lost device, or the new one that did not play
    }

    const bool stereo_;
    std::mutex mutex_;  // guards everything below but the keeper's own members
    SoundDevice device_;
    std::atomic<bool> lost_{false};  // also read by the keeper without the lock
    uint32_t lastPlay_ = 0;
    std::chrono::steady_clock::time_point lostAt_;
    uint8_t bytes_[SOUND_RING_BYTES];

    std::mutex keeperMutex_;
    std::condition_variable keeperWake_;
    bool keeperStop_ = false;  // guarded by keeperMutex_
    std::thread keeper_;
};

// ---- The wave voice ---------------------------------------------------------------------------
// Sound effects are short: a file above this is not one.
constexpr uint64_t LARGEST_WAVE_FILE = uint64_t(16) << 20;
constexpr int KEPT_WAVES = 16;

using WaveBytes = std::shared_ptr<const std::vector<uint8_t>>;

// Files already read, with their bytes (null for a file that cannot be played). A kept entry is
// replaced only when all slots are taken.
struct KeptWave {
    std::string path;
    WaveBytes bytes;
    bool used = false;
};
std::mutex waveMutex;  // guards everything below
KeptWave keptWaves[KEPT_WAVES];
int nextKeptSlot = 0;
WaveBytes handedOver;  // the bytes the system player was given last: it may still play them
bool stopAtExitRegistered = false;

// Why the system player would not take the bytes as a sound (null: it would), found by the
// system's own RIFF reader: a WAVE form with a format chunk and samples.
const char* waveProblem(std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return "is empty";
    MMIOINFO memory{};
    memory.fccIOProc = FOURCC_MEM;
    memory.pchBuffer = reinterpret_cast<HPSTR>(bytes.data());
    memory.cchBuffer = static_cast<LONG>(bytes.size());
    HMMIO file = mmioOpenA(nullptr, &memory, MMIO_READ);
    if (!file) return "cannot be read from memory";
    const char* problem = nullptr;
    MMCKINFO form{};
    form.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(file, &form, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
        problem = "is not a WAV file";
    } else if (mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK) != MMSYSERR_NOERROR ||
               chunk.cksize < sizeof(PCMWAVEFORMAT)) {
        problem = "has no sound format";
    } else {
        mmioAscend(file, &chunk, 0);
        chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
        if (mmioDescend(file, &chunk, &form, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || chunk.cksize == 0)
            problem = "has no samples";
    }
    mmioClose(file, 0);
    return problem;
}

// The whole file when the system player can take it, otherwise null and the reason.
WaveBytes readWave(const char* path, std::string& reason) {
    UserFile file = readUserFile(path, LARGEST_WAVE_FILE);
    if (file.problem != FileProblem::None) {
        reason = fileProblemText(file.problem);
        return nullptr;
    }
    if (const char* problem = waveProblem(file.bytes)) {
        reason = problem;
        return nullptr;
    }
    try {
        return std::make_shared<const std::vector<uint8_t>>(std::move(file.bytes));
    } catch (const std::bad_alloc&) {
        reason = fileProblemText(FileProblem::OutOfMemory);
        return nullptr;
    }
}

// The bytes of a wave file, read the first time it is asked for.
WaveBytes keptWave(const char* path) {
    for (const KeptWave& kept : keptWaves)
        if (kept.used && kept.path == path) return kept.bytes;
    std::string reason;
    WaveBytes bytes = readWave(path, reason);
    KeptWave& slot = keptWaves[nextKeptSlot];
    nextKeptSlot = (nextKeptSlot + 1) % KEPT_WAVES;
    slot.path = path;
    slot.bytes = bytes;
    slot.used = true;
    return bytes;
}

// The system player must not play from freed memory while the program ends.
void stopSoundAtExit() {
    if (stopAtExitRegistered) return;
    stopAtExitRegistered = true;
    std::atexit([] { sndPlaySoundA(nullptr, 0); });
}
}  // namespace

std::unique_ptr<SoundRing> openSoundRing(bool stereo) {
    auto ring = std::make_unique<DirectSoundRing>(stereo);
    if (!ring->open()) return nullptr;
    return ring;
}

static_assert(WAVE_ASYNC == SND_ASYNC && WAVE_LOOP == SND_LOOP && WAVE_NOSTOP == SND_NOSTOP,
              "the wave flags are the system player's own");

bool playWave(const char* path, unsigned flags) {
    const UINT passed = flags & (WAVE_ASYNC | WAVE_LOOP | WAVE_NOSTOP);
    std::lock_guard<std::mutex> guard(waveMutex);
    if (!path) {
        if (!sndPlaySoundA(nullptr, passed)) return false;
        handedOver.reset();
        return true;
    }
    WaveBytes bytes = keptWave(path);
    if (!bytes) {
        // The new sound replaces the old one even when it cannot play.
        if (!(flags & WAVE_NOSTOP) && sndPlaySoundA(nullptr, 0)) handedOver.reset();
        return false;
    }
    stopSoundAtExit();
    if (!sndPlaySoundA(reinterpret_cast<LPCSTR>(bytes->data()), passed | SND_MEMORY | SND_NODEFAULT))
        return false;
    handedOver = std::move(bytes);
    return true;
}

bool waveFilePlayable(const char* path, std::string& reason) {
    reason.clear();
    return readWave(path, reason) != nullptr;
}

}  // namespace platform
