// The game's global records, start-up, restart from the start places, and release.
#include "game/game.h"
#include "game/data_files.h"

#include <cstdlib>

#include "platform/platform.h"

uint8_t KeyState[256];
int32_t playerCount = 2;
Player* players = nullptr;
Bullet* bullets = nullptr;
Playfield playfield;
GameMode gameMode = Regular;
int32_t viewMode = 0;
bool matchRunning = false;
bool matchPaused = false;
int32_t hitCountdown = -1;
int32_t hitPlayer = -1;
bool engineWanted = false;
float frameTime = 0;
float bulletSpin = 0;
Powerup powerup = {0, 0, 0, 0};
int32_t spawnTimer = 300;
float powerupSpin = 0;
float shieldPulse = 0.2f;
float shieldPulseStep = 0.01f;
int32_t mouseStep = 0;

namespace {

struct StartPlace {
    float x, y, red, green, blue, heading;
};

// Player 0 on the left facing right, player 1 on the right facing left; the other two rows
// serve a game of more players.
const StartPlace START_PLACES[4] = {
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
        platform::errorBox("Cannot allocate player memory");
        playerCount = 0;
        return;
    }
    bullets = allocateRecords<Bullet>(playerCount, ok);
    if (!ok) {
        platform::errorBox("Cannot allocate bullet memory");
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
        const StartPlace& place = START_PLACES[i];
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
