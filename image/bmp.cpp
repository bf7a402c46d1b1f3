// The bitmap decoder: headers, colour tables and every accepted pixel format converted to packed
// RGB rows, bottom row first. All sizes and offsets are checked against the buffer before use.
#include "image/bmp.h"

#include "platform/file_read.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

constexpr size_t FILE_HEADER_SIZE = 14;
constexpr uint32_t CORE_HEADER_SIZE = 12;
constexpr uint32_t INFO_HEADER_SIZE = 40;

enum Compression : uint32_t { COMPRESSION_NONE = 0, COMPRESSION_RLE8 = 1, COMPRESSION_RLE4 = 2,
                              COMPRESSION_BITFIELDS = 3 };

uint16_t readLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t readLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t readSignedLE32(const uint8_t* p) { return int32_t(readLE32(p)); }

uint16_t colorCountForBits(uint32_t bitCount) {
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
};

// The header fields the decoder needs, widened to one form for both header kinds.
struct DibDescription {
    int64_t width = 0;
    int64_t height = 0;  // negative: rows stored top row first
    uint32_t bitCount = 0;
    uint32_t compression = COMPRESSION_NONE;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue, for 16 and 32 bits
    std::vector<Rgb> palette;
    size_t pixelOffset = 0;
};

// One colour channel of a bit-field pixel: where it sits and how to widen it to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (!(mask >> shift & 1)) ++shift;
        int top = 31;
        while (!(mask >> top & 1)) --top;
        bits = top - shift + 1;
    }
    uint8_t value(uint32_t pixel) const {
        if (bits == 0) return 0;
        uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return uint8_t(v >> (bits - 8));
        uint32_t max = (1u << bits) - 1;
        return uint8_t((v * 255 + max / 2) / max);
    }
};

class Failure {
public:
    explicit Failure(BitmapProblem problem) : problem_(problem) {}
    BitmapProblem problem() const { return problem_; }

private:
    BitmapProblem problem_;
};

// Reads the headers, the bit-field masks and the colour table; throws Failure when they are not
// acceptable or do not fit in the buffer.
DibDescription describe(const uint8_t* data, size_t size) {
    DibDescription d;
    size_t headerAt = 0;
    bool hasFileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (hasFileHeader) {
        if (size < FILE_HEADER_SIZE + 4) throw Failure(BitmapProblem::UnknownFormat);
        headerAt = FILE_HEADER_SIZE;
        d.pixelOffset = readLE32(data + 10);
    } else if (size < 4) {
        throw Failure(BitmapProblem::UnknownFormat);
    }
    const uint8_t* header = data + headerAt;
    uint32_t headerSize = readLE32(header);
    if (headerSize != CORE_HEADER_SIZE && headerSize != INFO_HEADER_SIZE)
        throw Failure(BitmapProblem::UnknownFormat);
    if (size - headerAt < headerSize) throw Failure(BitmapProblem::UnknownFormat);

    size_t entrySize;
    size_t afterHeader = headerAt + headerSize;
    if (headerSize == CORE_HEADER_SIZE) {
        d.width = readLE16(header + 4);
        d.height = readLE16(header + 6);
        d.bitCount = readLE16(header + 10);
        entrySize = 3;
    } else {
        d.width = readSignedLE32(header + 4);
        d.height = readSignedLE32(header + 8);
        d.bitCount = readLE16(header + 14);
        d.compression = readLE32(header + 16);
        if (readLE32(header + 32) > 0xFFFF) throw Failure(BitmapProblem::ConversionError);
        entrySize = 4;
        if (d.compression == COMPRESSION_BITFIELDS) {
            if (size - afterHeader < 12) throw Failure(BitmapProblem::ConversionError);
            for (int i = 0; i < 3; ++i) d.masks[i] = readLE32(data + afterHeader + 4 * i);
            afterHeader += 12;
        }
    }

    size_t colorCount = dibColorCount(header, headerSize);
    if ((size - afterHeader) / entrySize < colorCount) throw Failure(BitmapProblem::ConversionError);
    d.palette.resize(colorCount);
    for (size_t i = 0; i < colorCount; ++i) {
        const uint8_t* entry = data + afterHeader + i * entrySize;
        d.palette[i] = Rgb{entry[2], entry[1], entry[0]};
    }
    if (!hasFileHeader) d.pixelOffset = afterHeader + colorCount * entrySize;
    return d;
}

// Checks the pixel format and the picture's size; throws Failure for what cannot be decoded.
void checkFormat(const DibDescription& d, size_t size, uint64_t maxPixels) {
    bool paletted = d.bitCount == 1 || d.bitCount == 4 || d.bitCount == 8;
    bool direct = d.bitCount == 16 || d.bitCount == 24 || d.bitCount == 32;
    switch (d.compression) {
    case COMPRESSION_NONE:
        if (!paletted && !direct) throw Failure(BitmapProblem::ConversionError);
        break;
    case COMPRESSION_RLE8:
        if (d.bitCount != 8 || d.height < 0) throw Failure(BitmapProblem::ConversionError);
        break;
    case COMPRESSION_RLE4:
        if (d.bitCount != 4 || d.height < 0) throw Failure(BitmapProblem::ConversionError);
        break;
    case COMPRESSION_BITFIELDS:
        if (d.bitCount != 16 && d.bitCount != 32) throw Failure(BitmapProblem::ConversionError);
        break;
    default:
        throw Failure(BitmapProblem::ConversionError);
    }
    if (d.width <= 0 || d.height == 0) throw Failure(BitmapProblem::ConversionError);
    if (uint64_t(d.width) * uint64_t(d.height < 0 ? -d.height : d.height) > maxPixels)
        throw Failure(BitmapProblem::OutOfMemory);
    if (d.pixelOffset > size) throw Failure(BitmapProblem::ConversionError);
}

// Writes decoded pixels into the output, which is bottom row first whatever the file's order.
class PixelSink {
public:
    PixelSink(RgbImage& image, bool topDown) : image_(image), topDown_(topDown) {}
    uint8_t* row(int64_t storedRow) {
        int64_t r = topDown_ ? image_.height - 1 - storedRow : storedRow;
        return image_.pixels.data() + size_t(r) * size_t(image_.width) * 3;
    }

private:
    RgbImage& image_;
    bool topDown_;
};

void putColor(uint8_t* out, const Rgb& c) {
    out[0] = c.red;
    out[1] = c.green;
    out[2] = c.blue;
}

// Indices beyond the colour table come out black.
Rgb paletteColor(const DibDescription& d, uint32_t index) {
    return index < d.palette.size() ? d.palette[index] : Rgb{};
}

void decodeUncompressed(const DibDescription& d, const uint8_t* data, size_t size,
                        RgbImage& image) {
    uint64_t stride = (uint64_t(d.width) * d.bitCount + 31) / 32 * 4;
    uint64_t lastRowBytes = (uint64_t(d.width) * d.bitCount + 7) / 8;
    uint64_t needed = stride * uint64_t(image.height - 1) + lastRowBytes;
    if (needed > size - d.pixelOffset) throw Failure(BitmapProblem::ConversionError);

    uint32_t masks[3] = {d.masks[0], d.masks[1], d.masks[2]};
    if (d.compression == COMPRESSION_NONE && d.bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (d.compression == COMPRESSION_NONE && d.bitCount == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    PixelSink sink(image, d.height < 0);
    const size_t width = size_t(image.width);
    for (int64_t y = 0; y < image.height; ++y) {
        const uint8_t* in = data + d.pixelOffset + size_t(y * stride);
        uint8_t* out = sink.row(y);
        for (size_t x = 0; x < width; ++x, out += 3) {
            switch (d.bitCount) {
            case 1: putColor(out, paletteColor(d, in[x / 8] >> (7 - x % 8) & 1)); break;
            case 4: putColor(out, paletteColor(d, in[x / 2] >> (x % 2 ? 0 : 4) & 15)); break;
            case 8: putColor(out, paletteColor(d, in[x])); break;
            case 24: putColor(out, Rgb{in[3 * x + 2], in[3 * x + 1], in[3 * x]}); break;
            default: {
                uint32_t pixel = d.bitCount == 16 ? readLE16(in + 2 * x) : readLE32(in + 4 * x);
                out[0] = red.value(pixel);
                out[1] = green.value(pixel);
                out[2] = blue.value(pixel);
            }
            }
        }
    }
}

// Run-length data, 8 or 4 bits per index. Pixels moved over by deltas or ends of line stay black;
// pixels beyond the right edge are dropped. A code cut off by the end of the buffer, or a stream
// that ends before the picture is complete without its end-of-bitmap code, is refused.
void decodeRunLength(const DibDescription& d, const uint8_t* data, size_t size, RgbImage& image) {
    const bool four = d.compression == COMPRESSION_RLE4;
    const uint8_t* p = data + d.pixelOffset;
    const uint8_t* end = data + size;
    const int64_t width = image.width, height = image.height;
    int64_t x = 0, y = 0;
    auto put = [&](uint32_t index) {
        if (x < width && y < height) putColor(image.pixels.data() + size_t((y * width + x) * 3),
                                              paletteColor(d, index));
        ++x;
    };
    while (y < height) {
        if (end - p < 2) {
            if (p == end && y == height - 1 && x >= width) return;  // last row full, no end code
            throw Failure(BitmapProblem::ConversionError);
        }
        uint8_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {  // a run of one index (two alternating ones for 4 bits)
            for (int i = 0; i < count; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta: move right and up
            if (end - p < 2) throw Failure(BitmapProblem::ConversionError);
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // absolute run of value indices, padded to a 16-bit boundary
            size_t bytes = four ? (value + 1) / 2 : value;
            size_t padded = (bytes + 1) & ~size_t(1);
            if (size_t(end - p) < bytes) throw Failure(BitmapProblem::ConversionError);
            for (int i = 0; i < value; ++i)
                put(four ? (i % 2 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += padded <= size_t(end - p) ? padded : bytes;
        }
    }
}

}  // namespace

uint16_t dibColorCount(const uint8_t* header, size_t size) {
    if (size < 4) return 0;
    uint32_t headerSize = readLE32(header);
    if (headerSize == CORE_HEADER_SIZE && size >= CORE_HEADER_SIZE)
        return colorCountForBits(readLE16(header + 10));
    if (headerSize == INFO_HEADER_SIZE && size >= INFO_HEADER_SIZE) {
        uint32_t used = readLE32(header + 32);
        if (used != 0) return used > 0xFFFF ? 0xFFFF : uint16_t(used);
        return colorCountForBits(readLE16(header + 14));
    }
    return 0;
}

namespace {

std::unique_ptr<RgbImage> decode(const uint8_t* data, size_t size, uint64_t maxPixels,
                                 BitmapProblem& problem) {
    try {
        DibDescription d = describe(data, size);
        checkFormat(d, size, std::min(maxPixels, DIB_MAX_PIXELS));
        auto image = std::make_unique<RgbImage>();
        image->width = int32_t(d.width);
        image->height = int32_t(d.height < 0 ? -d.height : d.height);
        image->pixels.assign(size_t(image->width) * size_t(image->height) * 3, 0);
        if (d.compression == COMPRESSION_RLE8 || d.compression == COMPRESSION_RLE4)
            decodeRunLength(d, data, size, *image);
        else
            decodeUncompressed(d, data, size, *image);
        problem = BitmapProblem::None;
        return image;
    } catch (const Failure& failure) {
        problem = failure.problem();
    } catch (const std::bad_alloc&) {
        problem = BitmapProblem::OutOfMemory;
    }
    return nullptr;
}

// The largest picture at 32 bits per pixel, with room for headers, a colour table and padding;
// a larger file cannot hold a picture the loader accepts.
constexpr uint64_t DIB_MAX_FILE_BYTES = 4 * DIB_MAX_PIXELS + (uint64_t(1) << 20);

BitmapProblem problemOfFile(platform::FileProblem problem) {
    switch (problem) {
    case platform::FileProblem::None: return BitmapProblem::None;
    case platform::FileProblem::CannotOpen: return BitmapProblem::Missing;
    // A file too large for any accepted picture is refused like a picture too large to hold.
    case platform::FileProblem::OutOfMemory:
    case platform::FileProblem::TooLarge: return BitmapProblem::OutOfMemory;
    default: return BitmapProblem::CannotRead;  // a folder, a pipe, a device, a failed read
    }
}

}  // namespace

std::unique_ptr<RgbImage> decodeDib(const uint8_t* data, size_t size, std::string& error,
                                    uint64_t maxPixels) {
    BitmapProblem problem = BitmapProblem::None;
    std::unique_ptr<RgbImage> image = decode(data, size, maxPixels, problem);
    error = image ? "" : bitmapProblemText(problem, nullptr);
    return image;
}

BitmapFile readBitmapFile(const char* path) {
    BitmapFile file;
    // Only a regular file is read (a pipe would block and a device would never end).
    const platform::UserFile read = platform::readUserFile(path, DIB_MAX_FILE_BYTES);
    file.problem = problemOfFile(read.problem);
    // An empty file holds no header at all: it counts as one that could not be read.
    if (file.problem == BitmapProblem::None && read.bytes.empty()) file.problem = BitmapProblem::CannotRead;
    if (file.problem == BitmapProblem::None)
        file.image = decode(read.bytes.data(), read.bytes.size(), DIB_MAX_PIXELS, file.problem);
    return file;
}

std::string bitmapProblemText(BitmapProblem problem, const char* path) {
    switch (problem) {
    case BitmapProblem::None: return "";
    case BitmapProblem::UnknownFormat: return DIB_UNKNOWN_FORMAT;
    case BitmapProblem::OutOfMemory: return DIB_OUT_OF_MEMORY;
    case BitmapProblem::ConversionError: return DIB_CONVERSION_ERROR;
    case BitmapProblem::Missing:
    case BitmapProblem::CannotRead: break;
    }
    std::string text = DIB_OPEN_FAILED;
    text.replace(text.find("%s"), 2, path ? path : "");
    return text;
}

void showBitmapProblem(BitmapProblem problem, const char* path) {
    platform::messageBox(bitmapProblemText(problem, path), DIB_ERROR_CAPTION,
                         platform::MessageButtons::Ok, platform::MessageIcon::None);
}

std::unique_ptr<RgbImage> loadDibImage(const char* path) {
    BitmapFile file = readBitmapFile(path);
    if (!file.image) showBitmapProblem(file.problem, path);
    return std::move(file.image);
}
