#include "render/texture_file.h"

#include <cstdio>
#include <filesystem>

std::unique_ptr<RgbImage> loadImage(const char* path) {
    if (path == nullptr) return nullptr;
    // A missing file is silently skipped; only a file that exists is handed to the loader,
    // which reports its own failures. Anything but a regular file (a pipe would block the open)
    // goes straight to the loader, which refuses it.
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return nullptr;
    if (std::filesystem::is_regular_file(path, error)) {
        std::FILE* probe = std::fopen(path, "r");
        if (probe == nullptr) return nullptr;
        std::fclose(probe);
    }
    return loadDibImage(path);
}
