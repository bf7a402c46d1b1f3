// The game's global records with their start values, start-up, restart from the start places,
// and release.
#include "game/game.h"
#include "game/data_files.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

// Every value gets its start value from its group's reset function below.
uint8_t KeyState[256];
int32_t playerCount;
Player* players = nullptr;
Bullet* bullets = nullptr;
Playfield playfield;
int32_t viewMode;
int32_t mouseStep;

GameMode gameMode;
bool matchRunning;
bool matchPaused;
int32_t hitCountdown;
int32_t hitPlayer;
bool engineWanted;
Powerup powerup;
int32_t spawnTimer;

float frameTime;
float bulletSpin;
float powerupSpin;
float shieldPulse;
float shieldPulseStep;

void resetRunState() {
    std::memset(KeyState, 0, sizeof KeyState);
    playerCount = 2;
    viewMode = OverviewView;
    mouseStep = 0;
}

void resetMatchState() {
    gameMode = Regular;
    matchRunning = false;
    matchPaused = false;
    hitCountdown = -1;
    hitPlayer = -1;
    engineWanted = false;
    powerup = {0, 0, 0, 0};
    spawnTimer = 300;
}

void resetAnimationState() {
    frameTime = 0;
    bulletSpin = 0;
    powerupSpin = 0;
    shieldPulse = 0.2f;
    shieldPulseStep = 0.01f;
}

namespace {

// The program starts with every group at its start values. Nothing reads the game state while
// other files are initialised, so the order among files does not matter.
struct ProgramStart {
    ProgramStart() {
        resetRunState();
        resetMatchState();
        resetAnimationState();
    }
} programStart;

struct StartPlace {
    float x, y, red, green, blue, heading;
};

// Player 0 on the left facing right, player 1 on the right facing left; the other two rows
// serve a game of more players.
const StartPlace StartPlaces[4] = {
    {-37.5f, 0.0f, 1.0f, 0.2f, 0.0f, 0.0f},
    {37.5f, 0.0f, 0.0f, 0.2f, 1.0f, 180.0f},
    {0.0f, 26.5f, 1.0f, 0.2f, 1.0f, 270.0f},
    {0.0f, -26.5f, 0.2f, 1.0f, 1.0f, 90.0f},
};

void freeArrays() {
    std::free(players);
    std::free(bullets);
    players = nullptr;
    bullets = nullptr;
}

// calloc checks count * size for overflow itself; a count of 0 needs no memory.
template <typename T>
T* allocateRecords(int32_t count, bool& ok) {
    ok = true;
    if (count <= 0) return nullptr;
    T* records = static_cast<T*>(std::calloc(static_cast<size_t>(count), sizeof(T)));
    ok = records != nullptr;
    return records;
}

}  // namespace

void initGame() { initGame(dataFile(PLAYFIELD_FILE).c_str()); }

void initGame(const char* playfieldPath) {
    freeArrays();
    if (playerCount < 0) playerCount = 0;
    bool ok = false;
    players = allocateRecords<Player>(playerCount, ok);
    if (!ok) {
        platform::errorBox(PLAYER_MEMORY_FAILED);
        playerCount = 0;
        return;
    }
    bullets = allocateRecords<Bullet>(playerCount, ok);
    if (!ok) {
        platform::errorBox(BULLET_MEMORY_FAILED);
        freeArrays();
        playerCount = 0;
        return;
    }
    loadPlayfield(playfieldPath);
    restartPlay();
    for (int i = 0; i < playerCount; ++i) players[i].lives = START_LIVES;
}

void restartPlay() {
    resetPowerup();
    // The start-place table has four rows: a larger game is cut down to four players.
    if (playerCount > 4) playerCount = 4;
    for (int i = 0; i < playerCount; ++i) {
        Player& player = players[i];
        const StartPlace& place = StartPlaces[i];
        bullets[i].life = -1;
        player.powerupTimer = 0;
        player.powerupKind = NoPowerup;
        player.leftTrackScroll = 1.0f;
        player.rightTrackScroll = 1.0f;
        player.splitCamera = 0;
        player.x = place.x;
        player.y = place.y;
        player.red = place.red;
        player.green = place.green;
        player.blue = place.blue;
        player.heading = place.heading;
        player.turretAngle = 0.0f;
    }
}

void releaseGame() {
    freeArrays();
    releasePlayfield();
}
