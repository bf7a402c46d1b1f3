// The tap rule that every backend's message loop applies to its key events.
#pragma once

namespace platform {

// Keeps short taps from being lost: a key that goes down and up again between two frame ticks
// would otherwise be set and cleared in KeyState before any frame looked at it. Such a key-up is
// held back and delivered right after the next tick.
class TapKeeper {
public:
    void keyDown(int code) {
        if (!valid(code)) return;
        downSinceTick_[code] = true;
        heldUp_[code] = false;  // down again: the held-back release is void
    }
    // Whether the key-up is to be delivered now; false when it is held back.
    bool keyUp(int code) {
        if (!valid(code) || !downSinceTick_[code]) return true;
        heldUp_[code] = true;
        return false;
    }
    // After a tick: calls release(code) for each held-back key-up and starts a new interval.
    template <typename Release>
    void afterTick(Release&& release) {
        for (int code = 0; code < 256; ++code) {
            downSinceTick_[code] = false;
            if (heldUp_[code]) {
                heldUp_[code] = false;
                release(code);
            }
        }
    }

private:
    static bool valid(int code) { return code > 0 && code < 256; }
    bool downSinceTick_[256] = {};
    bool heldUp_[256] = {};
};

}  // namespace platform
