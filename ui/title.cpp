// placeholder until the title screen is written
#include "ui/title.h"

void drawTitle(float, float, float, float) {}
