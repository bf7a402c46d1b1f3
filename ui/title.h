// The title and help screen drawn over the scene between matches.
#pragma once

void drawTitle(float x, float y, float z, float scale);

// The mark over a paused match, drawn over the current view.
void drawPausedMark();
