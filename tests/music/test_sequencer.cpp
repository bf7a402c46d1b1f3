// Row timing, song order, row effects and per-tick pitch effects of the sequencer, seen through
// the channel commands it gives.
#include "tests/music/music_fixture.h"

using namespace testmusic;

namespace {

std::vector<long> expectedTicks(long first, long every, int count) {
    std::vector<long> out;
    for (int i = 0; i < count; ++i) out.push_back(first + every * i);
    return out;
}

ModuleWriter noteOnEveryRow(uint8_t firstEffect, uint8_t firstParameter) {
    ModuleWriter w = oneTone();
    for (int r = 0; r < 16; ++r) w.setRow(1, r, 13, 1, 0, 0);
    w.setRow(1, 0, 13, 1, firstEffect, firstParameter);
    return w;
}

}  // namespace

// ---- timing and song order -------------------------------------------------------------------

TEST(SequencerTiming, FirstRowOnTick22ThenEverySixTicksAndPatternsLast96Ticks) {
    SequencerRig rig(noteOnEveryRow(0, 0));
    rig.run(130);
    std::vector<long> starts = rig.recorder.ticksOf("start", 0);
    ASSERT_GE(starts.size(), 18u);
    EXPECT_EQ(std::vector<long>(starts.begin(), starts.begin() + 18), expectedTicks(22, 6, 18));
    // A song of one position starts it again: row 0 comes back 96 ticks after it was first read.
    EXPECT_EQ(starts[16], 22 + 96);
    EXPECT_EQ(rig.sequencer.position, 0);
}

TEST(SequencerTiming, SpeedZeroAndOneReadEveryTickSpeedThreeEveryThird) {
    for (uint8_t speed : {0, 1}) {
        SequencerRig rig(noteOnEveryRow(2, speed));
        rig.run(30);
        EXPECT_EQ(rig.recorder.ticksOf("start", 0), expectedTicks(22, 1, 9)) << int(speed);
    }
    SequencerRig rig(noteOnEveryRow(2, 3));
    rig.run(31);
    EXPECT_EQ(rig.recorder.ticksOf("start", 0), expectedTicks(22, 3, 4));
}

TEST(SequencerTiming, JumpPlaysThePatternToItsEndThenContinuesAtTheTarget) {
    auto song = [](uint8_t target) {
        ModuleWriter w = oneTone();  // pattern 1: position 0, pattern 2: empty
        for (int r = 0; r < 16; ++r) w.setRow(1, r, 13, 1, 0, 0);
        w.setRow(1, 5, 13, 1, 7, target);
        uint16_t b = w.addPattern(), c = w.addPattern();
        w.setRow(b, 0, 16, 1, 0, 0);
        w.setRow(c, 0, 20, 1, 0, 0);
        w.addPosition({b, 2, 2, 2});
        w.addPosition({c, 2, 2, 2});
        return w;
    };
    SequencerRig rig(song(2));
    rig.runTo(112);
    EXPECT_EQ(rig.recorder.ticksOf("start", 0), expectedTicks(22, 6, 16));  // rows 6..15 too
    EXPECT_EQ(rig.sequencer.position, 2);
    EXPECT_EQ(rig.sequencer.row, 0);
    rig.runTo(118);
    EXPECT_EQ(rig.recorder.of("start", 0).back().value, rig.rateOf(20));

    // A target equal to the song length, or beyond it, continues at position 0.
    for (uint8_t target : {3, 200}) {
        SequencerRig again(song(target));
        again.runTo(118);
        EXPECT_EQ(again.sequencer.position, 0) << int(target);
        EXPECT_EQ(again.recorder.of("start", 0).back().value, again.rateOf(13)) << int(target);
    }
}

// ---- per-tick pitch effects ------------------------------------------------------------------

TEST(SequencerPitch, ArpeggioFollowsTheSharedPhaseAndLeavesThePeriodAtItsLastStep) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 1, 0, 0x37);  // period 428
    SequencerRig rig(w);
    rig.runTo(22);
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 22), 8192);
    rig.runTo(40);
    // Phases run 1, 2, 0 from tick 1: tick 23 adds the high nibble, 24 nothing, 25 the low one.
    const int added[6] = {3, 0, 7, 3, 0, 7};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rig.recorder.lastValue("rate", 0, 23 + i), rig.rateOf(13 + added[i])) << i;
    // The row is over after tick 28: no more changes, and the period stays at the last step.
    EXPECT_EQ(rig.recorder.ticksOf("rate", 0).back(), 28);
    EXPECT_EQ(rig.sequencer.voices[0].period, periodOfNote(20));
}

TEST(SequencerPitch, HeldArpeggioRunsOnLaterRowsUntilANewNote) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 1, 9, 0x37);
    w.setRow(1, 4, 15, 1, 0, 0);  // read on tick 46
    SequencerRig rig(w);
    rig.runTo(45);
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 40), rig.rateOf(20));  // tick 40: phase 1
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 41), rig.rateOf(16));
    rig.runTo(60);
    EXPECT_EQ(rig.recorder.ticksOf("rate", 0).back(), 46);
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 60), rig.rateOf(15));
}

TEST(SequencerPitch, SlideFEAccumulatesTwoPerTickAcrossRows) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 1, 8, 0xFE);
    SequencerRig rig(w);
    rig.runTo(23);
    EXPECT_EQ(rig.sequencer.voices[0].period, 426);
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 23), rateOfPeriod(426));
    rig.runTo(34);  // the empty row on tick 28 does not end the slide
    EXPECT_EQ(rig.sequencer.voices[0].period, 428 - 2 * 12);
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 34), rateOfPeriod(404));
}

TEST(SequencerPitch, VibratoAddsTableOverDivisorWithoutChangingThePeriod) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 1, 6, 64);
    SequencerRig rig(w);
    rig.runTo(30);
    // Ticks 23..30 have vibrato phases 7, 0, 1, ..., 6.
    const int offsets[8] = {-1, 0, 1, 2, 1, 0, -1, -2};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(rig.recorder.lastValue("rate", 0, 23 + i), rateOfPeriod(uint16_t(428 + offsets[i])))
            << i;
    EXPECT_EQ(rig.sequencer.voices[0].period, 428);

    w.setRow(1, 0, 13, 1, 6, 1);
    SequencerRig wide(w);
    wide.runTo(30);
    EXPECT_EQ(wide.recorder.lastValue("rate", 0, 26), rateOfPeriod(428 + 128));
    EXPECT_EQ(wide.recorder.lastValue("rate", 0, 30), rateOfPeriod(428 - 128));
}

// ---- notes, instruments and row effects ------------------------------------------------------

TEST(SequencerNotes, NotesUnderEffects13To15ChangeTheRateWithoutRestarting) {
    for (uint8_t effect : {13, 14, 15}) {
        ModuleWriter w = oneTone();
        w.setRow(1, 0, 13, 1, 0, 0);
        w.setRow(1, 1, 20, 2, effect, 0);
        SequencerRig rig(w);
        rig.runTo(30);
        EXPECT_EQ(rig.recorder.ticksOf("start", 0), std::vector<long>{22}) << int(effect);
        EXPECT_EQ(rig.recorder.ticksOf("stop", 0), std::vector<long>{22}) << int(effect);
        EXPECT_EQ(rig.recorder.lastValue("rate", 0, 28), rig.rateOf(20)) << int(effect);
        const VoiceState& voice = rig.sequencer.voices[0];
        EXPECT_EQ(voice.note, 20);
        EXPECT_EQ(voice.instrument, 2);
        EXPECT_EQ(voice.volume, 30);
        // 13 and 14 restart the volume envelope (switching it on), 15 leaves it alone.
        EXPECT_EQ(voice.volumeEnvelopeControl, effect == 15 ? 0 : 1) << int(effect);
        EXPECT_EQ(voice.waveEffectType, effect == 13 ? 1 : 0) << int(effect);
    }
}

TEST(SequencerNotes, InstrumentNibbleZeroKeepsTheVoicesInstrumentAndBareNibblesAreIgnored) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 0, 0, 0);  // nothing to keep yet
    w.setRow(1, 1, 13, 2, 0, 0);
    w.setRow(1, 2, 0, 1, 0, 0);   // instrument without a note: ignored
    w.setRow(1, 3, 16, 0, 0, 0);
    SequencerRig rig(w);
    rig.runTo(40);
    std::vector<ChannelCommand> starts = rig.recorder.of("start", 0);
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0].instrument, 0);
    EXPECT_EQ(starts[0].extra, 0);  // no instrument, no volume
    EXPECT_EQ(starts[1].instrument, 2);
    EXPECT_EQ(starts[2].instrument, 2);
    EXPECT_EQ(starts[2].value, rig.rateOf(16));
}

TEST(SequencerNotes, TransposesApplyUnlessEffect10SuppressesThem) {
    ModuleWriter w = oneTone();
    w.setTranspose(0, 0, 1, 5);
    w.setRow(1, 0, 13, 1, 0, 0);
    w.setRow(1, 1, 13, 1, 10, 0x10);  // note kept, instrument transposed
    w.setRow(1, 2, 13, 1, 10, 0x01);  // instrument kept, note transposed
    w.setRow(1, 3, -5, 1, 0, 0);      // transposed into note 0: no note
    SequencerRig rig(w);
    rig.runTo(45);
    std::vector<ChannelCommand> starts = rig.recorder.of("start", 0);
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0].value, rig.rateOf(18));
    EXPECT_EQ(starts[0].instrument, 2);
    EXPECT_EQ(starts[1].value, rig.rateOf(13));
    EXPECT_EQ(starts[1].instrument, 2);
    EXPECT_EQ(starts[2].value, rig.rateOf(18));
    EXPECT_EQ(starts[2].instrument, 1);
}

TEST(SequencerNotes, InstrumentTransposedAbove15StartsNothingAndStopsTheChannel) {
    ModuleWriter w = oneTone();
    w.setTranspose(0, 0, 15, 0);
    w.setRow(1, 0, 13, 1, 0, 0);
    SequencerRig rig(w);
    rig.runTo(22);
    std::vector<ChannelCommand> starts = rig.recorder.of("start", 0);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].instrument, 16);
    EXPECT_EQ(starts[0].extra, 0);
    EXPECT_EQ(rig.recorder.ticksOf("stop", 0), std::vector<long>{22});
}

TEST(SequencerNotes, VolumeEffectSetsTheStartVolumeAndLaterTheChannelVolume) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 1, 1, 20);
    w.setRow(1, 1, 0, 0, 1, 99);
    SequencerRig rig(w);
    rig.runTo(28);
    EXPECT_EQ(rig.recorder.of("start", 0)[0].extra, 20);
    EXPECT_EQ(rig.recorder.lastValue("volume", 0, 28), 99);  // the mixer clamps it
}

TEST(SequencerNotes, PeriodEffectsAndSpeedChangeOnce) {
    ModuleWriter w = oneTone();
    w.setRow(1, 0, 13, 1, 4, 28);  // 428 - 28 = 400
    w.setRow(1, 1, 0, 0, 5, 100);  // 400 + 100
    SequencerRig rig(w);
    rig.runTo(22);
    EXPECT_EQ(rig.sequencer.voices[0].period, 400);
    rig.runTo(28);
    EXPECT_EQ(rig.sequencer.voices[0].period, 500);
    EXPECT_EQ(rig.recorder.lastValue("rate", 0, 28), rateOfPeriod(500));
}

// ---- inputs outside the tables ---------------------------------------------------------------

TEST(SequencerSafety, NotesBeforeThePeriodTableAndTinyPeriodsGetDefinedRates) {
    EXPECT_EQ(periodOfNote(-35), 6848);
    EXPECT_EQ(periodOfNote(-36), 0);
    EXPECT_EQ(periodOfNote(-128), 0);
    EXPECT_EQ(periodOfNote(48), 57);
    EXPECT_EQ(periodOfNote(49), 0);
    EXPECT_EQ(periodOfNote(127), 0);
    EXPECT_EQ(rateOfPeriod(0), 0);
    EXPECT_EQ(rateOfPeriod(54), 64929);
    EXPECT_EQ(rateOfPeriod(53), 65535);
    EXPECT_EQ(rateOfPeriod(1), 65535);

    ModuleWriter w = oneTone();
    w.setTranspose(0, 0, 0, -60);
    w.setRow(1, 0, 20, 1, 0, 0);  // note -40
    SequencerRig rig(w);
    rig.runTo(22);
    EXPECT_EQ(rig.recorder.of("start", 0)[0].value, 0);
    EXPECT_TRUE(rig.recorder.of("rate", 0).empty());  // period 0: no rate for the new note
}

TEST(SequencerSafety, PatternZeroPlaysEmptyRows) {
    ModuleWriter w = oneTone();
    w.positions[0][0] = 0;  // voice 0 names pattern 0
    w.positions[0][1] = 0;
    w.setRow(1, 0, 13, 1, 0, 0);
    SequencerRig rig(w);
    rig.run(200);
    EXPECT_TRUE(rig.recorder.commands.empty());
}

TEST(SequencerSafety, SongWithoutPositionsStaysSilent) {
    ModuleWriter w = oneTone();
    w.positions.clear();
    SequencerRig rig(w);
    rig.run(300);
    EXPECT_TRUE(rig.recorder.commands.empty());
    EXPECT_EQ(rig.sequencer.position, 0);
}
