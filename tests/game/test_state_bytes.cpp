// The saved game state: restoring and running on gives the same frames as never having saved,
// hashes follow the state, and bytes no frame can produce are refused.
#include <random>

#include "game/state_bytes.h"
#include "tests/game/game_fixture.h"

namespace {

class StateBytes : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        setBlocks({block(-5, -20, 5, -8), block(-5, 8, 5, 20), block(-30, -3, -26, 3)});
    }
    // A frame of random controls for both players; now and then the start and pause keys.
    FrameInput randomInput(std::mt19937& random, uint32_t frame) {
        FrameInput input{};
        for (int p = 0; p < 2; ++p) input.controls[p] = static_cast<Controls>(random());
        const uint32_t r = random() % 1000;
        input.gameKeys = r < 5 ? StartBouncingKey : r < 8 ? StartSteerableKey : r < 10 ? PauseLetterKey : 0;
        input.clock = 1000 + frame / 100;
        return input;
    }
};

// A game restored from a frame's saved bytes, over a game that lived another life (so a field the
// layout missed keeps another value), runs on with the same inputs to the same hashes.
TEST_F(StateBytes, RestoringAndRunningOnRepeatsEveryFrame) {
    constexpr uint32_t FRAMES = 6000, CHECK_EVERY = 250, RUN_ON = 1500;
    std::mt19937 random(7), otherRandom(8);
    GameState other = game;
    std::vector<FrameInput> inputs;
    std::vector<std::vector<uint8_t>> saved;
    std::vector<GameState> others;
    std::vector<uint64_t> hashes;
    for (uint32_t frame = 0; frame < FRAMES; ++frame) {
        saved.emplace_back(STATE_BYTES);
        saveState(game, saved.back().data());
        if (frame % CHECK_EVERY == 0) others.push_back(other);
        inputs.push_back(randomInput(random, frame));
        advanceFrame(game, inputs.back());
        hashes.push_back(hashState(game));
        advanceFrame(other, randomInput(otherRandom, frame));
    }
    for (uint32_t check = 0; check < others.size(); ++check) {
        const uint32_t from = check * CHECK_EVERY;
        GameState again = others[check];
        ASSERT_TRUE(restoreState(again, saved[from].data(), STATE_BYTES));
        for (uint32_t f = from; f < std::min(from + RUN_ON, FRAMES); ++f) {
            advanceFrame(again, inputs[f]);
            ASSERT_EQ(hashState(again), hashes[f]) << "restored at frame " << from;
        }
    }
    EXPECT_GT(game.players[0].lives + game.players[1].lives, 0);
}

TEST_F(StateBytes, HashesFollowTheStateAndTheLayoutIsItsSize) {
    uint8_t bytes[STATE_BYTES];
    saveState(game, bytes);
    const uint64_t start = hashState(game);
    EXPECT_EQ(hashBytes(bytes, STATE_BYTES), start);
    game.players[1].x += 0.001f;
    EXPECT_NE(hashState(game), start);
    game.fireLatch[3] = true;  // the last field but one group: the whole layout is hashed
    const uint64_t latched = hashState(game);
    game.shieldPulseStep = -game.shieldPulseStep;  // the last field
    EXPECT_NE(hashState(game), latched);
    ASSERT_TRUE(restoreState(game, bytes, STATE_BYTES));
    EXPECT_EQ(hashState(game), start);
    EXPECT_EQ(game.playfield.blockCount, 3);  // the arena is not part of the state
}

TEST_F(StateBytes, BytesNoFrameCanProduceAreRefusedAndChangeNothing) {
    uint8_t good[STATE_BYTES];
    saveState(game, good);
    players[0].x = 12;
    const uint64_t before = hashState(game);
    struct Case { const char* what; size_t offset; uint8_t value; size_t size; };
    const Case cases[] = {
        {"other layout version", 0, 99, STATE_BYTES},
        {"player count above the start places", 2, 5, STATE_BYTES},
        {"a flag that is neither 0 nor 1", 2 + 4 + 72, 2, STATE_BYTES},
        {"too short", 0, 1, STATE_BYTES - 1},
        {"too long", 0, 1, STATE_BYTES + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes(good, good + STATE_BYTES);
        bytes.resize(c.size + 1);
        bytes[c.offset] = c.value;
        EXPECT_FALSE(restoreState(game, bytes.data(), c.size));
        EXPECT_EQ(hashState(game), before);
    }
    EXPECT_FALSE(restoreState(game, nullptr, STATE_BYTES));
}

}  // namespace
