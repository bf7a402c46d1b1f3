// bmp FILE OUT.ppm: decodes a bitmap with the game's loader and writes it as a binary PPM, top row
// first, so that any image viewer can show what the game would upload as a texture.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "image/bmp.h"
#include "tools/commands.h"
#include "tools/tool_messages.h"

namespace {

bool writePpm(const RgbImage& image, const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height) > 0;
    const size_t rowBytes = size_t(image.width) * 3;
    for (int32_t row = image.height - 1; ok && row >= 0; --row)
        ok = std::fwrite(image.pixels.data() + size_t(row) * rowBytes, 1, rowBytes, file) == rowBytes;
    return std::fclose(file) == 0 && ok;
}

int convertBitmap(const std::string& input, const std::string& output) {
    std::unique_ptr<RgbImage> image = loadDibImage(input.c_str());
    if (!image) return 1;  // the loader has shown its message
    if (!writePpm(*image, output.c_str())) {
        std::fprintf(stderr, CANNOT_WRITE, output.c_str());
        return 1;
    }
    std::printf(BITMAP_DECODED, input.c_str(), image->width, image->height);
    return 0;
}

}  // namespace

void addBmpCommand(CLI::App& tool, CommandAction& chosen) {
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* command = tool.add_subcommand(
        "bmp",
        "Decode a bitmap as the game does and write it as a PPM picture, or say why the game "
        "refuses it.");
    command->add_option("FILE", paths->first, "The bitmap.")->required();
    command->add_option("OUT.ppm", paths->second, "The picture to write.")->required();
    command->callback([&chosen, paths] {
        chosen = [paths] { return convertBitmap(paths->first, paths->second); };
    });
}
