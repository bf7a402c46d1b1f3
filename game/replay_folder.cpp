#include "game/replay_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "game/replay_messages.h"
#include "platform/file_read.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

constexpr int MAX_SAME_SECOND = 99;
constexpr const char* TEMPORARY_SUFFIX = ".part";

// Paths inside the program are UTF-8 on every system.
fs::path pathOf(const std::string& text) { return fs::u8path(text); }
std::string textOf(const fs::path& path) { return path.u8string(); }

void reportNotSaved(const std::string& where, const std::string& why) {
    std::fprintf(stderr, REPLAY_NOT_SAVED, where.c_str(), why.c_str());
}

// The recordings in folder, oldest first; nothing when the folder cannot be listed.
std::vector<std::string> recordingNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = textOf(entry->path().filename());
        std::error_code typeError;
        if (isRecordingName(name) && entry->is_regular_file(typeError)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void keepRecentRecordings(const fs::path& folder) {
    const std::vector<std::string> names = recordingNames(folder);
    std::error_code error;
    for (size_t i = 0; i + RECENT_REPLAYS < names.size(); ++i) fs::remove(folder / pathOf(names[i]), error);
}

// A temporary name of this write alone: two copies of the game on one machine (as in an online
// match between them) may write a replay of the same second at the same time.
fs::path temporaryName(const fs::path& folder, int64_t recordedAt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char tag[24];
    std::snprintf(tag, sizeof tag, ".%016llx", static_cast<unsigned long long>(ticks));
    return folder / pathOf(replayFileName(recordedAt) + tag + TEMPORARY_SUFFIX);
}

// Gives the written file the first name of its second that is not taken, never replacing a file
// another copy of the game named meanwhile: a hard link fails when its name exists. On a file
// system without hard links the file is renamed instead. Empty, with the file and the reason, on
// failure.
fs::path claimFreeName(const fs::path& temporary, const fs::path& folder, int64_t recordedAt, std::string& where,
                       std::string& why) {
    for (int counter = 1; counter <= MAX_SAME_SECOND; ++counter) {
        const fs::path path = folder / pathOf(replayFileName(recordedAt, counter));
        std::error_code error;
        if (fs::exists(path, error) || error) continue;
        fs::create_hard_link(temporary, path, error);
        if (!error) {
            fs::remove(temporary, error);
            return path;
        }
        if (error == std::errc::file_exists) continue;
        error.clear();
        fs::rename(temporary, path, error);
        if (!error) return path;
        where = textOf(path);
        why = error.message();
        return {};
    }
    where = textOf(folder / pathOf(replayFileName(recordedAt)));
    why = REPLAY_SECOND_FULL;
    return {};
}

bool writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::string writeRecording(const Replay& replay) {
    const std::vector<uint8_t> bytes = encodeReplay(replay);
    const std::string folderText = replayFolder();
    if (bytes.empty()) {
        reportNotSaved(folderText, REPLAY_TOO_LONG);
        return "";
    }
    if (folderText.empty()) {
        reportNotSaved("", REPLAY_NO_FOLDER);
        return "";
    }
    const fs::path folder = pathOf(folderText);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        reportNotSaved(folderText, error.message());
        return "";
    }
    const fs::path temporary = temporaryName(folder, replay.recordedAt);
    if (!writeBytes(temporary, bytes)) {
        fs::remove(temporary, error);
        reportNotSaved(textOf(temporary), REPLAY_WRITE_FAILED);
        return "";
    }
    std::string where, why;
    const fs::path path = claimFreeName(temporary, folder, replay.recordedAt, where, why);
    if (path.empty()) {
        reportNotSaved(where, why);
        fs::remove(temporary, error);
        return "";
    }
    keepRecentRecordings(folder);
    return textOf(path);
}

}  // namespace

std::string replayFolder() {
    const std::string user = platform::userDataFolder();
    return user.empty() ? "" : user + "tarvex/replays/";
}

std::string replayFileName(int64_t recordedAt, int counter) {
    const UtcTime time = utcTime(recordedAt);
    char name[80];
    std::snprintf(name, sizeof name, "%04lld-%02d-%02d_%02d-%02d-%02d", static_cast<long long>(time.year),
                  time.month, time.day, time.hour, time.minute, time.second);
    std::string text = name;
    if (counter > 1) {
        std::snprintf(name, sizeof name, "_%02d", counter);
        text += name;
    }
    return text + REPLAY_EXTENSION;
}

// "YYYY-MM-DD_hh-mm-ss", optionally "_NN", then the extension.
bool isRecordingName(const std::string& name) {
    const std::string extension = REPLAY_EXTENSION;
    const size_t stem = name.size() >= extension.size() ? name.size() - extension.size() : 0;
    if ((stem != 19 && stem != 22) || name.compare(stem, std::string::npos, extension) != 0) return false;
    const std::string pattern = "dddd-dd-dd_dd-dd-dd_dd";
    for (size_t i = 0; i < stem; ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (pattern[i] == 'd' ? !digit : name[i] != pattern[i]) return false;
    }
    return true;
}

std::string writeReplayFile(const Replay& replay) {
    try {
        return writeRecording(replay);
    } catch (const std::exception& failure) {
        reportNotSaved(replayFolder(), failure.what());
    } catch (...) {
        reportNotSaved(replayFolder(), REPLAY_WRITE_FAILED);
    }
    return "";
}

std::string newestReplayFile() {
    try {
        const std::string folder = replayFolder();
        if (folder.empty()) return "";
        const std::vector<std::string> names = recordingNames(pathOf(folder));
        return names.empty() ? "" : folder + names.back();
    } catch (const std::exception&) {
        return "";
    }
}

ReplayProblem readReplayFile(const std::string& path, Replay& out) {
    const platform::UserFile file = platform::readUserFile(path.c_str(), MAX_REPLAY_FILE_BYTES);
    if (file.problem == platform::FileProblem::TooLarge) return ReplayProblem::TooLarge;
    if (file.problem != platform::FileProblem::None) return ReplayProblem::Unreadable;
    return decodeReplay(file.bytes.data(), file.bytes.size(), out);
}
