// The sound rings over DirectSound and the wave voice over the system's single-sound player.
// Each ring has a device object of its own: a primary buffer set to the ring's format and a
// looping secondary buffer of SOUND_RING_BYTES, whose play cursor is read from the device.
#include "platform/platform.h"
#include "platform/win32/win32_internal.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cstring>

namespace platform {

namespace {
constexpr DWORD STREAM_BUFFER_FLAGS = DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY |
                                      DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY |
                                      DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS;

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

class DirectSoundRing final : public SoundRing {
public:
    ~DirectSoundRing() override {
        if (primary_) primary_->Stop();
        release(primary_);
        if (stream_) stream_->Stop();
        release(stream_);
        release(device_);
    }

    // Device, primary buffer and the playing stream buffer, filled with silence; false when the
    // ring cannot play.
    bool open(bool stereo) {
        HRESULT result = DirectSoundCreate(nullptr, &device_, nullptr);
        if (result == DS_OK) result = device_->Initialize(nullptr);
        if (result == DSERR_ALREADYINITIALIZED) result = DS_OK;
        if (result != DS_OK) return false;
        WAVEFORMATEX format = ringFormat(stereo);
        HRESULT cooperation = device_->SetCooperativeLevel(win32::ownerWindow(), DSSCL_EXCLUSIVE);

        DSBUFFERDESC primaryDescription{};
        primaryDescription.dwSize = sizeof primaryDescription;
        primaryDescription.dwFlags = DSBCAPS_PRIMARYBUFFER;
        device_->CreateSoundBuffer(&primaryDescription, &primary_, nullptr);
        if (primary_) {
            primary_->SetFormat(&format);
            primary_->Play(0, 0, 0);
        }
        if (cooperation != DS_OK) return false;

        DSBUFFERDESC streamDescription{};
        streamDescription.dwSize = sizeof streamDescription;
        streamDescription.dwFlags = STREAM_BUFFER_FLAGS;
        streamDescription.dwBufferBytes = SOUND_RING_BYTES;
        streamDescription.lpwfxFormat = &format;
        if (device_->CreateSoundBuffer(&streamDescription, &stream_, nullptr) != DS_OK) return false;
        void* bytes = nullptr;
        DWORD length = 0;
        HRESULT locked = stream_->Lock(0, SOUND_RING_BYTES, &bytes, &length, nullptr, nullptr, 0);
        if (locked == DS_OK) {
            std::memset(bytes, 128, length);
            stream_->Unlock(bytes, length, nullptr, 0);
        }
        stream_->SetVolume(DSBVOLUME_MAX);
        stream_->SetFrequency(SOUND_RATE);
        stream_->SetPan(DSBPAN_CENTER);
        stream_->Play(0, 0, DSBPLAY_LOOPING);
        return locked == DS_OK;
    }

    uint32_t playPosition() override {
        DWORD play = 0, write = 0;
        if (stream_->GetCurrentPosition(&play, &write) == DS_OK) lastPlay_ = play % SOUND_RING_BYTES;
        return lastPlay_;
    }

    bool write(uint32_t offset, const uint8_t* data, uint32_t size) override {
        if (offset >= SOUND_RING_BYTES || size > SOUND_RING_BYTES || (size > 0 && !data)) return false;
        if (size == 0) return true;
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstLength = 0, secondLength = 0;
        HRESULT result = stream_->Lock(offset, size, &first, &firstLength, &second, &secondLength, 0);
        if (result == DSERR_BUFFERLOST && stream_->Restore() == DS_OK)
            result = stream_->Lock(offset, size, &first, &firstLength, &second, &secondLength, 0);
        if (result != DS_OK) return false;
        std::memcpy(first, data, firstLength);
        if (second) std::memcpy(second, data + firstLength, secondLength);
        stream_->Unlock(first, firstLength, second, secondLength);
        return true;
    }

private:
    IDirectSound* device_ = nullptr;
    IDirectSoundBuffer* primary_ = nullptr;
    IDirectSoundBuffer* stream_ = nullptr;
    uint32_t lastPlay_ = 0;
};
}  // namespace

std::unique_ptr<SoundRing> openSoundRing(bool stereo) {
    auto ring = std::make_unique<DirectSoundRing>();
    if (!ring->open(stereo)) return nullptr;
    return ring;
}

static_assert(WAVE_ASYNC == SND_ASYNC && WAVE_LOOP == SND_LOOP && WAVE_NOSTOP == SND_NOSTOP,
              "the wave flags are the system player's own");

bool playWave(const char* path, unsigned flags) {
    return sndPlaySoundA(path, flags & (WAVE_ASYNC | WAVE_LOOP | WAVE_NOSTOP)) != FALSE;
}

}  // namespace platform
