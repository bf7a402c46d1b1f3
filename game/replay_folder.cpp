#include "game/replay_folder.h"

#include <algorithm>
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

// The first name of that second not taken yet; empty when all are.
fs::path freeName(const fs::path& folder, int64_t recordedAt) {
    for (int counter = 1; counter <= MAX_SAME_SECOND; ++counter) {
        const fs::path path = folder / pathOf(replayFileName(recordedAt, counter));
        std::error_code error;
        if (!fs::exists(path, error) && !error) return path;
    }
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
    const fs::path path = freeName(folder, replay.recordedAt);
    if (path.empty()) {
        reportNotSaved(textOf(folder / pathOf(replayFileName(replay.recordedAt))), REPLAY_SECOND_FULL);
        return "";
    }
    fs::path temporary = path;
    temporary += TEMPORARY_SUFFIX;
    if (!writeBytes(temporary, bytes)) {
        fs::remove(temporary, error);
        reportNotSaved(textOf(temporary), REPLAY_WRITE_FAILED);
        return "";
    }
    fs::rename(temporary, path, error);
    if (error) {
        reportNotSaved(textOf(path), error.message());
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
