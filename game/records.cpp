// The game state's start values, start-up, restart from the start places, and release.
#include "game/game.h"
#include "game/data_files.h"

namespace {

struct StartPlace {
    float x, y, red, green, blue, heading;
};

// Player 0 on the left facing right, player 1 on the right facing left; the other two rows
// serve a game of more players.
const StartPlace StartPlaces[MAX_PLAYERS] = {
    {-37.5f, 0.0f, 1.0f, 0.2f, 0.0f, 0.0f},
    {37.5f, 0.0f, 0.0f, 0.2f, 1.0f, 180.0f},
    {0.0f, 26.5f, 1.0f, 0.2f, 1.0f, 270.0f},
    {0.0f, -26.5f, 0.2f, 1.0f, 1.0f, 90.0f},
};

}  // namespace

void resetMatchState(GameState& game) {
    game.gameMode = Regular;
    game.matchRunning = false;
    game.matchPaused = false;
    game.hitCountdown = -1;
    game.hitPlayer = -1;
    game.engineWanted = false;
    game.powerup = {0, 0, 0, 0};
    game.spawnTimer = 300;
}

void resetAnimationState(GameState& game) {
    game.frameTime = 0;
    game.bulletSpin = 0;
    game.powerupSpin = 0;
    game.shieldPulse = 0.2f;
    game.shieldPulseStep = 0.01f;
}

void resetGameState(GameState& game) {
    const Playfield arena = game.playfield;
    game = GameState{};
    game.playfield = arena;
    game.playerCount = 2;
    resetMatchState(game);
    resetAnimationState(game);
}

void initGame(GameState& game, uint32_t clock) {
    initGame(game, dataFile(PLAYFIELD_FILE).c_str(), clock);
}

void initGame(GameState& game, const char* playfieldPath, uint32_t clock) {
    if (game.playerCount < 0) game.playerCount = 0;
    for (int i = 0; i < MAX_PLAYERS; ++i) {  // fresh records, as at program start
        game.players[i] = Player{};
        game.bullets[i] = Bullet{};
    }
    loadPlayfield(game.playfield, playfieldPath);
    FrameResult ignored;
    restartPlay(game, clock, ignored);
    for (int i = 0; i < game.playerCount; ++i) game.players[i].lives = START_LIVES;
}

void restartPlay(GameState& game, uint32_t clock, FrameResult& result) {
    resetPowerup(game, clock);
    // The start-place table has four rows: a larger game is cut down to four players.
    if (game.playerCount > MAX_PLAYERS) game.playerCount = MAX_PLAYERS;
    for (int i = 0; i < game.playerCount; ++i) {
        Player& player = game.players[i];
        const StartPlace& place = StartPlaces[i];
        game.bullets[i].life = -1;
        player.powerupTimer = 0;
        player.powerupKind = NoPowerup;
        player.leftTrackScroll = 1.0f;
        player.rightTrackScroll = 1.0f;
        player.x = place.x;
        player.y = place.y;
        player.red = place.red;
        player.green = place.green;
        player.blue = place.blue;
        player.heading = place.heading;
        player.turretAngle = 0.0f;
    }
    result.playRestarted = true;
}

void releaseGame(GameState& game) { releasePlayfield(game.playfield); }
