// Feeds arbitrary bytes to the bitmap decoder: it must refuse or decode, never read outside the
// buffer, and a decoded picture must have exactly width x height RGB pixels.
#include "image/bmp.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    // Pictures up to 2^16 pixels reach every path; larger ones only cost time.
    std::unique_ptr<RgbImage> image = decodeDib(data, size, error, 1 << 16);
    if (image) {
        if (image->width <= 0 || image->height <= 0 || !error.empty()) std::abort();
        if (image->pixels.size() != size_t(image->width) * size_t(image->height) * 3) std::abort();
    } else if (error != DIB_UNKNOWN_FORMAT && error != DIB_OUT_OF_MEMORY &&
               error != DIB_CONVERSION_ERROR) {
        std::abort();
    }
    return 0;
}
