// check [DATA_DIR]: reads every file the game reads, through the game's own readers, and says per
// file either OK or the message the game would show and what the game then does.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/music_file.h"
#include "game/data_files.h"
#include "game/game.h"
#include "platform/platform.h"
#include "render/texture_file.h"
#include "tools/commands.h"
#include "tools/json_text.h"
#include "tools/message_format.h"
#include "tools/tool_messages.h"

namespace {

enum class Reader { Arena, Texture, Music, Wave };

struct DataFile {
    const char* name;
    Reader reader;
    const char* withoutIt;  // what the game does when the file cannot be used
};

const DataFile DataFiles[] = {
    {PLAYFIELD_FILE, Reader::Arena, WITHOUT_ARENA},
    {FONT_BITMAP, Reader::Texture, WITHOUT_FONT},
    {FILLED_BITMAP, Reader::Texture, WITHOUT_FILLED},
    {TRACK_BITMAP, Reader::Texture, WITHOUT_TRACK},
    {MUSIC_FILE, Reader::Music, WITHOUT_MUSIC},
    {ENGINE_WAVE, Reader::Wave, WITHOUT_ENGINE},
    {SHOT_WAVE, Reader::Wave, WITHOUT_SHOT},
    {EXPLOSION_WAVE, Reader::Wave, WITHOUT_EXPLOSION},
};

struct Finding {
    bool usable = false;
    std::string detail;  // what was read, or why nothing could be used when the game says nothing
};

Finding readArena(const std::string& path) {
    Playfield playfield;
    loadPlayfield(playfield, path.c_str());
    Finding finding;
    finding.usable = playfield.blockCount > 0;
    finding.detail = finding.usable ? formatMessage(ARENA_WALLS, playfield.blockCount) : ARENA_NO_WALLS;
    releasePlayfield(playfield);
    return finding;
}

Finding readTexture(const std::string& path) {
    std::unique_ptr<RgbImage> image = loadImage(path.c_str());
    if (!image) return {false, TEXTURE_UNREADABLE};
    return {true, formatMessage(TEXTURE_SIZE, image->width, image->height)};
}

Finding readMusic(const std::string& path) {
    MusicFile music = readMusicFile(path.c_str());
    if (!music.module) return {false, ""};
    const std::string title = utf8Text(music.module->title());
    return {true, formatMessage(MUSIC_TITLE_AND_LENGTH, title.c_str(), music.module->songLength())};
}

Finding readWave(const std::string& path) {
#ifdef TARVEX_TOOL_READS_WAVES
    std::string reason;
    if (!platform::waveFilePlayable(path.c_str(), reason))
        return {false, formatMessage(WAVE_UNPLAYABLE, reason.c_str())};
    return {true, WAVE_PLAYS};
#else
    (void)path;
    return {true, WAVE_NOT_CHECKED};
#endif
}

Finding readWith(Reader reader, const std::string& path) {
    switch (reader) {
        case Reader::Arena: return readArena(path);
        case Reader::Texture: return readTexture(path);
        case Reader::Music: return readMusic(path);
        case Reader::Wave: return readWave(path);
    }
    return {};
}

std::string withoutTrailingSpace(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

int checkDataFolder(const std::string& folder) {
    bool allGood = true;
    for (const DataFile& file : DataFiles) {
        const std::string path = folder + file.name;
        std::vector<platform::MessageRecord> shown;
        platform::setMessageObserver([&shown](const platform::MessageRecord& message) {
            shown.push_back(message);
            return platform::MessageAnswer::Ok;
        });
        const Finding finding = readWith(file.reader, path);
        platform::setMessageObserver(nullptr);

        std::string line = path + ": ";
        if (finding.usable && shown.empty()) {
            line += formatMessage(CHECK_OK, finding.detail.c_str());
        } else {
            allGood = false;
            for (const platform::MessageRecord& message : shown)
                line += formatMessage(CHECK_MESSAGE, withoutTrailingSpace(message.text).c_str(),
                                      message.caption.c_str());
            if (shown.empty()) line += formatMessage(CHECK_NO_MESSAGE, finding.detail.c_str());
            line += formatMessage(CHECK_THEN_THE_GAME, file.withoutIt);
        }
        std::printf("%s\n", line.c_str());
    }
    return allGood ? 0 : 1;
}

}  // namespace

void addCheckCommand(CLI::App& tool, CommandAction& chosen) {
    auto folder = std::make_shared<std::string>();
    CLI::App* command = tool.add_subcommand(
        "check",
        "Read every file the game reads, as the game reads it, and say for each either OK or the "
        "message the game would show and what it would then do. Status 1 when anything is wrong.");
    command->add_option("DATA_DIR", *folder,
                        "The data folder (default: the one the game would read: data/ in the "
                        "working directory, or the installed one).");
    command->callback([&chosen, folder] {
        chosen = [folder] {
            std::string path = *folder;
            if (path.empty()) path = chooseDataFolder(platform::executableFolder());
            if (path.back() != '/') path += '/';
            return checkDataFolder(path);
        };
    });
}
