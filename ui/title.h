// The title and help screen drawn over the scene between matches.
#pragma once

#include <string>

// The title's animation, kept for the whole run by whoever shows the title: page after page of
// help text slides in from the left, rests in the middle and slides out to the right, under a
// spinning "3D".
struct TitleAnimation {
    float textOffset = 0.0f;  // x of the text: from -1.6 coming in, 0 resting, up to 1.6 going out
    int textHold = 350;       // frames until the text's next step
    int currentPage = 0;      // the page on its way; the next one once it has gone out
    float tagAngle = 0.0f;    // the "3D"'s turn about the vertical, degrees
};
// What one frame of the title shows.
struct TitlePicture {
    int page;          // the help page
    float textOffset;  // where it stands
    float tagAngle;
};
// One frame of the title: the text takes its step and the "3D" turns by a degree. The picture of
// the frame has the text where the step took it, but the page and the "3D" as they were before
// it (so a page that leaves in this step is drawn once more, at the left edge).
TitlePicture advanceTitle(TitleAnimation& title);
void drawTitle(const TitlePicture& picture, float x, float y, float z, float scale);
// Who plays each tank, shown on the title's last page: 0 a person, 1 to 3 the computer at that
// level. Until this is called both are people.
void setTitlePlayers(const int levels[2]);

// A line or two at the top of the title screen that say how the online game stands (empty: none).
void drawTitleStatus(const std::string& text);

// The mark over a paused match, drawn over the current view.
void drawPausedMark();
// The mark over an online match or title screen while nothing comes from the other player.
void drawWaitingMark();
