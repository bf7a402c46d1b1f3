// Generators of the game's own data files; each writes its files into dir and reports failures
// on standard error.
#pragma once

bool generateSounds(const char* dir);   // TankDrive.wav, TankShoot.wav, TankExplosion.wav
bool generateBitmaps(const char* dir);  // hetfont.bmp, Filled.bmp, track.bmp
