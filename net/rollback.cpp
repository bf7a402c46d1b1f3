#include "net/rollback.h"

#include <algorithm>
#include <chrono>

#include "game/frame_rules.h"
#include "platform/frame_tick.h"

namespace {
// Keys either side may use in a match; the start keys are the host's alone.
constexpr GameKeys SHARED_KEYS = LeaveHeld | LeavePressed | PauseLetterKey | PauseKey;
}  // namespace

FrameInput mergeSides(const SideInput& host, const SideInput& joiner, uint32_t clock) {
    FrameInput input{};
    input.controls[HostSide] = host.controls;
    input.controls[JoinerSide] = joiner.controls;
    input.gameKeys = GameKeys(host.gameKeys | (joiner.gameKeys & SHARED_KEYS));
    input.mouseStep = host.mouseStep;
    input.clock = clock;
    return input;
}

uint32_t matchClock(uint32_t clockBase, int32_t frame) {
    return clockBase + uint32_t(frame / platform::FRAMES_PER_SECOND);
}

SideInput predictNext(const SideInput& last) {
    SideInput next = last;
    next.controls &= Controls(~FirePressed);
    next.gameKeys &= GameKeys(~LeavePressed);
    return next;
}

bool Rollback::start(GameState& live, const uint8_t startState[STATE_BYTES], Side side, int inputDelay,
                     const SideInput& hostStart, uint32_t clockBase) {
    if (!restoreState(live, startState, STATE_BYTES)) return false;
    live_ = &live;
    confirmed_ = live;  // shares the arena, which neither game frees here
    side_ = side;
    delay_ = std::clamp(inputDelay, 1, MAX_INPUT_DELAY);
    clockBase_ = clockBase;
    present_ = 0;
    firstWrong_ = -1;
    confirmedFrame_ = 0;
    matchEnd_ = -1;
    stats_ = RollbackStats{};
    for (Checkpoint& c : checkpoints_) c.frame = -1;
    // The frames before the delay are the same on both sides: the host's start, then nothing.
    SideInput idle;
    idle.mouseStep = hostStart.mouseStep;
    for (int32_t f = 0; f < delay_; ++f) {
        inputs_[HostSide][f] = f == 0 ? hostStart : idle;
        inputs_[JoinerSide][f] = SideInput{};
    }
    known_[HostSide] = known_[JoinerSide] = delay_ - 1;
    checkpoint();
    return true;
}

void Rollback::addLocalInput(const SideInput& input) {
    const int32_t frame = ++known_[side_];
    inputs_[side_][frame % INPUT_HISTORY] = input;
}

bool Rollback::addRemoteInput(int32_t frame, const SideInput& input) {
    const int remote = 1 - side_;
    if (frame <= known_[remote]) return true;  // had it already
    if (frame != known_[remote] + 1 || frame >= confirmedFrame_ + INPUT_HISTORY) return false;
    known_[remote] = frame;
    inputs_[remote][frame % INPUT_HISTORY] = input;
    if (frame < present_ && used_[frame % INPUT_HISTORY] != input && (firstWrong_ < 0 || frame < firstWrong_))
        firstWrong_ = frame;
    return true;
}

FrameInput Rollback::frameInput(int32_t frame) {
    const int remote = 1 - side_;
    SideInput theirs = frame <= known_[remote] ? input(remote, frame) : predictNext(input(remote, known_[remote]));
    used_[frame % INPUT_HISTORY] = theirs;
    const SideInput mine = input(side_, frame);
    const SideInput& host = side_ == HostSide ? mine : theirs;
    const SideInput& joiner = side_ == HostSide ? theirs : mine;
    return mergeSides(host, joiner, matchClock(clockBase_, frame));
}

FrameResult Rollback::runFrame(int32_t frame) {
    saveState(*live_, states_[frame % STATE_HISTORY]);
    return advanceFrame(*live_, frameInput(frame));
}

FrameResult Rollback::advance() {
    if (!live_) return FrameResult{};
    if (firstWrong_ >= 0 && firstWrong_ < present_) {
        const auto began = std::chrono::steady_clock::now();
        restoreState(*live_, states_[firstWrong_ % STATE_HISTORY], STATE_BYTES);
        for (int32_t f = firstWrong_; f < present_; ++f) runFrame(f);
        const int32_t depth = present_ - firstWrong_;
        const int64_t micros = std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - began).count();
        ++stats_.rollbacks;
        ++stats_.depthCount[std::min(depth, ROLLBACK_DEPTHS - 1)];
        if (depth > stats_.deepest || (depth == stats_.deepest && micros > stats_.deepestMicros)) {
            stats_.deepest = depth;
            stats_.deepestMicros = micros;
        }
    }
    firstWrong_ = -1;
    const FrameResult result = runFrame(present_++);
    ++stats_.framesRun;
    confirmFrames();
    return result;
}

void Rollback::confirmFrames() {
    const int32_t known = std::min(known_[HostSide], known_[JoinerSide]);
    while (matchEnd_ < 0 && confirmedFrame_ <= known && confirmedFrame_ < present_) {
        const int32_t f = confirmedFrame_;
        const SideInput host = input(HostSide, f), joiner = input(JoinerSide, f);
        const FrameInput frameInput = mergeSides(host, joiner, matchClock(clockBase_, f));
        if (beforeConfirmedFrame) beforeConfirmedFrame(confirmed_);
        advanceFrame(confirmed_, frameInput);
        if (afterConfirmedFrame) afterConfirmedFrame(confirmed_, frameInput);
        ++confirmedFrame_;
        checkpoint();
        if (!confirmed_.matchRunning && confirmed_.hitCountdown < 0) matchEnd_ = confirmedFrame_;
    }
}

void Rollback::checkpoint() {
    if (confirmedFrame_ % HASH_INTERVAL != 0) return;
    Checkpoint& c = checkpoints_[(confirmedFrame_ / HASH_INTERVAL) % CHECKPOINTS];
    c.frame = confirmedFrame_;
    saveState(confirmed_, c.state);
    c.hash = hashBytes(c.state, STATE_BYTES);
}

const Checkpoint* Rollback::latestCheckpoint() const {
    return checkpointAt(confirmedFrame_ / HASH_INTERVAL * HASH_INTERVAL);
}

const Checkpoint* Rollback::checkpointAt(int32_t frame) const {
    if (frame < 0 || frame % HASH_INTERVAL != 0) return nullptr;
    const Checkpoint& c = checkpoints_[(frame / HASH_INTERVAL) % CHECKPOINTS];
    return c.frame == frame ? &c : nullptr;
}

bool Rollback::resync(int32_t frame, const uint8_t state[STATE_BYTES]) {
    if (!live_ || frame < 0 || frame > confirmedFrame_ || confirmedFrame_ - frame >= INPUT_HISTORY ||
        confirmedFrame_ < present_ - STATE_HISTORY + 1)
        return false;
    GameState healed = confirmed_;
    if (!restoreState(healed, state, STATE_BYTES)) return false;
    confirmed_ = healed;
    // The confirmed frames since then run again on the host's state, the recorder not told twice.
    const int32_t until = confirmedFrame_;
    confirmedFrame_ = frame;
    checkpoint();
    matchEnd_ = -1;
    for (; confirmedFrame_ < until && matchEnd_ < 0; ++confirmedFrame_, checkpoint()) {
        const int32_t f = confirmedFrame_;
        advanceFrame(confirmed_, mergeSides(input(HostSide, f), input(JoinerSide, f), matchClock(clockBase_, f)));
        if (!confirmed_.matchRunning && confirmed_.hitCountdown < 0) matchEnd_ = f + 1;
    }
    // The game shown goes back to the confirmed present and runs forward on the next advance.
    saveState(confirmed_, states_[confirmedFrame_ % STATE_HISTORY]);
    if (confirmedFrame_ < present_) {
        firstWrong_ = confirmedFrame_;  // every earlier frame is in the healed state
    } else {
        restoreState(*live_, states_[confirmedFrame_ % STATE_HISTORY], STATE_BYTES);
    }
    return true;
}
