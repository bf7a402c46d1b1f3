// placeholder definitions until the game rules are written
#include "game/game.h"

uint8_t KeyState[256];
int32_t playerCount = 2;
Player* players = nullptr;
Bullet* bullets = nullptr;
Playfield playfield;
GameMode gameMode = Regular;
int32_t viewMode = 0;
bool matchRunning = false;
int32_t hitCountdown = -1;
int32_t hitPlayer = -1;
bool engineWanted = false;
float frameTime = 0;
float bulletSpin = 0;
Powerup powerup;
int32_t spawnTimer = 300;
float powerupSpin = 0;
float shieldPulse = 0.2f;
float shieldPulseStep = 0.01f;
int32_t mouseStep = 0;

void initGame() {}
void restartPlay() {}
void releaseGame() {}
void startMatchKeys() {}
bool leaveMatchKey() { return false; }
void matchUpdate() {}
void hitCountdownStep() {}
