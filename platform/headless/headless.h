// What the headless backend lets its users look at and choose: the message boxes it showed and
// the wave player's calls are recorded, and the wave player answers either as a player that plays
// nothing (the start) or, for the tests of what the game asks of it, as the single-voice player.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::headless {

struct WaveCall {
    std::string path;  // empty for a stop (null path)
    unsigned flags;
};

constexpr size_t MAX_RECORDS = 65536;  // of each kind; later ones are not recorded
const std::vector<WaveCall>& waveCalls();
// The boxes shown without an observer (printed to standard error), in order.
const std::vector<MessageRecord>& shownMessages();
void clearRecords();  // forgets the boxes, the wave calls and any sound taken as playing

// true: every play starts (a stop stops) except a NOSTOP play while a sound played once, not
// looped, is taken as still playing, which it is until the next play or oneShotEnded. false:
// nothing plays, so a stop succeeds and a play fails as with a file that cannot be played.
void answerAsSingleVoice(bool on);
void oneShotEnded();

}  // namespace platform::headless
