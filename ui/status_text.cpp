// The online game's state over the title screen: a line or two at the top of the window, on a
// dark band so that they read over the sky, in the bitmap font.
#include <GL/gl.h>

#include <cctype>
#include <utility>

#include "ui/title.h"
#include "ui/title_parts.h"

namespace {
constexpr float STATUS_Z = -1.4f;
constexpr float STATUS_SIZE = 0.032f;
constexpr float STATUS_TOP = 0.58f;  // the top edge of the view at STATUS_Z
}  // namespace

std::vector<std::string> statusLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    auto addWord = [&](const std::string& word) {
        if (line.empty()) line = word;
        else if (line.size() + 1 + word.size() <= size_t(STATUS_LINE_LENGTH)) line += ' ' + word;
        else lines.push_back(std::exchange(line, word));
    };
    std::string word;
    for (char c : text + '\n') {
        if (c != ' ' && c != '\n') {
            word += char(std::tolower(static_cast<unsigned char>(c)));
            if (word.size() < size_t(STATUS_LINE_LENGTH)) continue;  // a longer word is cut
        }
        if (!word.empty()) addWord(word);
        word.clear();
        if (c == '\n' && !line.empty()) lines.push_back(std::exchange(line, ""));
    }
    if (lines.size() > size_t(STATUS_LINES)) lines.resize(STATUS_LINES);
    return lines;
}

void drawTitleStatus(const std::string& text) {
    const std::vector<std::string> lines = statusLines(text);
    if (lines.empty()) return;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);  // over everything drawn
    const float spacing = STATUS_SIZE * 1.1f;
    drawDarkBand(STATUS_TOP - spacing * float(lines.size()) - STATUS_SIZE * 0.3f, STATUS_TOP + 0.1f, STATUS_Z);
    for (size_t i = 0; i < lines.size(); ++i)
        drawCentredText(lines[i].c_str(), STATUS_TOP - spacing * (float(i) + 0.5f) - STATUS_SIZE * 0.15f, STATUS_Z,
                        STATUS_SIZE);
    glEnable(GL_DEPTH_TEST);
}
