// bmp FILE OUT.ppm: decodes a bitmap with the game's loader and writes it as a binary PPM, top row
// first, so that any image viewer can show what the game would upload as a texture.
#include "image/bmp.h"
#include "tools/commands.h"

#include <cstdio>

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

}  // namespace

int runBmpCommand(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarvex-tool bmp FILE OUT.ppm\n");
        return 2;
    }
    std::unique_ptr<RgbImage> image = loadDibImage(argv[0]);
    if (!image) return 1;  // the loader has shown its message
    if (!writePpm(*image, argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d x %d\n", argv[0], image->width, image->height);
    return 0;
}
