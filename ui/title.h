// The title and help screen drawn over the scene between matches.
#pragma once

void drawTitle(float x, float y, float z, float scale);
