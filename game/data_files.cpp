#include "game/data_files.h"

#include <filesystem>

namespace {
std::string currentFolder = "data/";
}

std::string chooseDataFolder(const std::string& executableFolder) {
    std::error_code error;
    if (std::filesystem::is_directory("data", error)) return "data/";
    if (!executableFolder.empty()) {
        const std::string installed = executableFolder + INSTALLED_DATA_FOLDER;
        if (std::filesystem::is_directory(installed, error)) return installed;
    }
    return "data/";
}

void setDataFolder(const std::string& folder) {
    currentFolder = folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

const std::string& dataFolder() { return currentFolder; }

std::string dataFile(const char* name) { return currentFolder + name; }
