// The title and help screen drawn over the scene between matches.
#pragma once

#include <string>

void drawTitle(float x, float y, float z, float scale);
// Who plays each tank, shown on the title's last page: 0 a person, 1 to 3 the computer at that
// level. Until this is called both are people.
void setTitlePlayers(const int levels[2]);

// A line or two at the top of the title screen that say how the online game stands (empty: none).
void drawTitleStatus(const std::string& text);

// The mark over a paused match, drawn over the current view.
void drawPausedMark();
// The mark over an online match or title screen while nothing comes from the other player.
void drawWaitingMark();
