// The headless backend that tools and tests run on: message boxes through the observer or to
// standard error (and recorded), and a wave player that records what it was asked to play.
#include "platform/headless/headless.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

TEST(HeadlessMessages, ObserverSeesTheBoxAndAnswersIt) {
    platform::headless::clearRecords();
    std::vector<platform::MessageRecord> seen;
    platform::setMessageObserver([&seen](const platform::MessageRecord& m) {
        seen.push_back(m);
        return MessageAnswer::No;
    });
    EXPECT_EQ(platform::messageBox("Question?", "Open GL", MessageButtons::YesNo, MessageIcon::Exclamation),
              MessageAnswer::No);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "Question?");
    EXPECT_EQ(seen[0].caption, "Open GL");
    EXPECT_EQ(seen[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(seen[0].icon, MessageIcon::Exclamation);

    // Without the observer the box goes to standard error with its default answer.
    platform::setMessageObserver({});
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::messageBox("Could not open file", "ERROR", MessageButtons::Ok, MessageIcon::None),
              MessageAnswer::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: Could not open file\n");
    EXPECT_EQ(seen.size(), 1u);
    // Only the box that was shown is recorded.
    ASSERT_EQ(platform::headless::shownMessages().size(), 1u);
    EXPECT_EQ(platform::headless::shownMessages()[0].text, "Could not open file");
    platform::headless::clearRecords();
    EXPECT_TRUE(platform::headless::shownMessages().empty());
}

TEST(HeadlessWaves, CallsAreRecordedAndNothingPlays) {
    platform::headless::clearRecords();
    EXPECT_FALSE(platform::playWave("data/TankDrive.wav",
                                    platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP));
    EXPECT_TRUE(platform::playWave(nullptr, 0));
    const auto& calls = platform::headless::waveCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].path, "data/TankDrive.wav");
    EXPECT_EQ(calls[0].flags, platform::WAVE_ASYNC | platform::WAVE_LOOP | platform::WAVE_NOSTOP);
    EXPECT_EQ(calls[1].path, "");
    EXPECT_EQ(calls[1].flags, 0u);
    platform::headless::clearRecords();
    EXPECT_TRUE(platform::headless::waveCalls().empty());
    EXPECT_EQ(platform::openSoundRing(true), nullptr);
}

}  // namespace
