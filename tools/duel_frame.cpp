// The duel's frame step, apart from the duel because the frame's branch is declared twice
// while the rules move to one frame function (frame_rules.h and frame_input.h).
#include "tools/frame_step.h"

bool runDuelFrame() { return runGameFrame() == FrameBranch::Match; }
