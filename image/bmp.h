// Reading Windows bitmap files into packed RGB pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // height rows of 3 * width bytes (R, G, B), bottom row first
};

// The loader's messages, shown with the caption DIB_ERROR_CAPTION.
constexpr const char* DIB_ERROR_CAPTION = "Error";
constexpr const char* DIB_OPEN_FAILED = "Failed to open DIB file %s.\n";  // %s: the path
constexpr const char* DIB_UNKNOWN_FORMAT = "Unknown DIB file format.";
constexpr const char* DIB_OUT_OF_MEMORY = "Out of memory.";
constexpr const char* DIB_CONVERSION_ERROR = "Image file conversion error.";

// Largest picture accepted, in pixels (width x height, e.g. 4096 x 4096); larger ones are
// refused as out of memory.
constexpr uint64_t DIB_MAX_PIXELS = uint64_t(1) << 24;

// Why a bitmap file gives no picture. The game's textures pass over a Missing file in silence
// (a texture may be left out); every other problem has one of the messages above.
enum class BitmapProblem {
    None,
    Missing,          // missing, or not readable
    CannotRead,       // a folder, a pipe, a device, an empty file, or a read cut short
    UnknownFormat,
    OutOfMemory,      // also a picture or file larger than any the loader accepts
    ConversionError,
};

struct BitmapFile {
    BitmapProblem problem = BitmapProblem::None;
    std::unique_ptr<RgbImage> image;  // set exactly when problem is None
};

// Reads and decodes the bitmap file at path (with or without its 14-byte file header), through
// the door for users' files; shows nothing.
BitmapFile readBitmapFile(const char* path);

// The loader's message for a problem: one of the texts above, the path filled in.
std::string bitmapProblemText(BitmapProblem problem, const char* path);
// Shows that message in a box with the caption DIB_ERROR_CAPTION.
void showBitmapProblem(BitmapProblem problem, const char* path);

// readBitmapFile, but every failure, a missing file too, shows its message; null then.
std::unique_ptr<RgbImage> loadDibImage(const char* path);

// Decodes a bitmap held in memory (with or without its file header). Never reads outside
// [data, data + size). On failure returns null and sets error to one of the messages above.
// Top-down bitmaps come out upright like all others: bottom row first, height positive.
// maxPixels lowers the size limit (the fuzzer keeps its pictures small to stay fast).
std::unique_ptr<RgbImage> decodeDib(const uint8_t* data, size_t size, std::string& error,
                                    uint64_t maxPixels = DIB_MAX_PIXELS);

// Number of colour-table entries that follow a DIB header of size bytes: for a 12-byte core
// header from its bit count; for a 40-byte info header its colours-used field when not 0 (capped
// at 65535), otherwise from its bit count. Bit count 1 gives 2, 4 gives 16, 8 gives 256, others 0.
// An unknown or incomplete header gives 0.
uint16_t dibColorCount(const uint8_t* header, size_t size);
