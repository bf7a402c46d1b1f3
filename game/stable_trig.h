// Sine and cosine of a float (radians) that give the same bits on every build: the game rules use
// them instead of std::sin/std::cos, whose results differ in the last bit between C libraries
// (glibc on Linux, the Windows or Wine C runtime under mingw-w64). Built from + - * / on float and
// double and integer operations only, so no C library and no build-time folding takes part.
// The results are glibc 2.36's sinf/cosf (the Linux build before these functions) on a processor
// with FMA, for all 2^32 inputs; glibc's variant for processors without FMA differs on 34 inputs
// by one ulp. docs/determinism.md gives the figures.
// NaN and the infinities give NaN; stableSin keeps the sign of -0 and of subnormals.
#pragma once

float stableSin(float x);
float stableCos(float x);
