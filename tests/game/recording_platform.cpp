#include "tests/game/recording_platform.h"

namespace recording {
std::vector<platform::MessageRecord> messages;
std::vector<WavePlay> wavePlays;
bool oneShotPlaying = false;
void clear() {
    messages.clear();
    wavePlays.clear();
    oneShotPlaying = false;
}
}  // namespace recording

namespace platform {

namespace {
MessageObserver observer;
}

void setMessageObserver(MessageObserver newObserver) { observer = std::move(newObserver); }

MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                         MessageIcon icon) {
    MessageRecord message{text, caption, buttons, icon};
    recording::messages.push_back(message);
    if (observer) return observer(message);
    return MessageAnswer::Ok;
}

// Behaves like the single-voice player: a NOSTOP call fails while a one-shot sound plays.
bool playWave(const char* path, unsigned flags) {
    recording::wavePlays.push_back({path ? path : "", flags});
    if ((flags & WAVE_NOSTOP) && recording::oneShotPlaying) return false;
    recording::oneShotPlaying = path && !(flags & WAVE_LOOP);
    return true;
}

}  // namespace platform
