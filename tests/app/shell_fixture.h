// A real window and GL context for the shell's tests, with message boxes recorded instead of
// shown and the sound device on SDL's dummy driver.
#pragma once

#include "app/app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        messages.clear();
        platform::setMessageObserver([this](const platform::MessageRecord& m) {
            messages.push_back(m);
            return m.buttons == platform::MessageButtons::YesNo ? answer : platform::MessageAnswer::Ok;
        });
    }
    void TearDown() override {
        killGLWindow();
        platform::setMessageObserver({});
    }
    // A plain window of the given size with the shell's GL state, as createGLWindow leaves it.
    void openWindow(int width, int height) {
        ASSERT_TRUE(createGLWindow("shell test", width, height, 16, false));
    }

    std::vector<platform::MessageRecord> messages;
    platform::MessageAnswer answer = platform::MessageAnswer::Yes;
};
