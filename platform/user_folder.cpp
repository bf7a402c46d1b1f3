// Where a program keeps a user's own files, by each system's convention. Only environment
// variables are read, so the one file serves every backend.
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <filesystem>
#endif

#include "platform/platform.h"

namespace platform {

namespace {

std::string withSlash(std::string folder) { return folder.back() == '/' ? folder : folder + "/"; }

}  // namespace

#ifdef _WIN32

// %APPDATA% (the roaming profile), read as wide characters so that a user name outside the
// code page survives; paths inside the program are UTF-8.
std::string userDataFolder() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == 0) return "";
    std::string folder = std::filesystem::path(appData).u8string();
    for (char& c : folder)
        if (c == '\\') c = '/';
    return withSlash(folder);
}

#else

// $XDG_DATA_HOME, which the base-directory convention ignores when it is empty or relative;
// otherwise its default $HOME/.local/share.
std::string userDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') return withSlash(dataHome);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == 0) return "";
    return withSlash(home) + ".local/share/";
}

#endif

}  // namespace platform
