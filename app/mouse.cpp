// The mouse: set up once after the window is made and read once; its x motion becomes mouseStep.
#include "app/app.h"


#include <algorithm>

bool mouseReady = false;
int32_t mouseStep = 0;
int32_t mouseCarry = 0;

bool initMouse() {
    if (!platform::openRelativeMouse()) return false;  // silent: keyboard control only
    mouseReady = true;
    return true;
}

void pollMouse() {
    if (!mouseReady) return;
    int dx = 0, dy = 0;
    if (!platform::readMouseMotion(dx, dy)) return;  // a failed reading changes nothing
    foldMouseMotion(dx);
}

void foldMouseMotion(int32_t dx) {
    // Saturate rather than overflow on absurd readings.
    int64_t carry = std::clamp<int64_t>(int64_t{mouseCarry} + dx, INT32_MIN, INT32_MAX);
    if (carry > 2) {
        carry -= 2;
        mouseStep = 1;
    } else if (carry < -2) {
        carry += 2;
        mouseStep = -1;
    } else {
        mouseStep = 0;
    }
    mouseCarry = static_cast<int32_t>(carry);
}
