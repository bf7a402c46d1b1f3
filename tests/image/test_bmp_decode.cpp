// The decoder over byte buffers: every accepted layout, run-length streams and refused files.
#include "image/bmp.h"
#include "tests/image/bmp_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::unique_ptr<RgbImage> decode(const std::vector<uint8_t>& bytes) {
    std::string message;
    return decodeDib(bytes.data(), bytes.size(), message);
}

std::string refusal(const std::vector<uint8_t>& bytes) {
    std::string message;
    auto image = decodeDib(bytes.data(), bytes.size(), message);
    return image ? "decoded" : message;
}

// Colour of the pixel at column x, row y counted from the bottom, as 0xRRGGBB.
uint32_t at(const RgbImage& image, int x, int y) {
    const uint8_t* p = image.pixels.data() + (size_t(y) * size_t(image.width) + size_t(x)) * 3;
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

// ---- Uncompressed layouts ----------------------------------------------------------------------

TEST(BmpDecode, TwentyFourBitRowsArePaddedInTheFileAndPackedInTheImage) {
    BmpBuilder b;
    b.width = 3;
    b.height = 2;
    // Bottom row: red, green, blue; top row: white, black, grey; 3 bytes of padding each.
    b.pixels = {0, 0, 255, 0, 255, 0, 255, 0, 0, 9, 9, 9,
                255, 255, 255, 0, 0, 0, 128, 128, 128, 9, 9, 9};
    auto image = decode(b.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    ASSERT_EQ(image->pixels.size(), 18u);
    EXPECT_EQ(at(*image, 0, 0), 0xFF0000u);
    EXPECT_EQ(at(*image, 1, 0), 0x00FF00u);
    EXPECT_EQ(at(*image, 2, 0), 0x0000FFu);
    EXPECT_EQ(at(*image, 0, 1), 0xFFFFFFu);
    EXPECT_EQ(at(*image, 1, 1), 0x000000u);
    EXPECT_EQ(at(*image, 2, 1), 0x808080u);
}

TEST(BmpDecode, PalettedFilesGiveTheirTableColours) {
    BmpBuilder eight;
    eight.bitCount = 8;
    eight.width = 3;
    eight.height = 1;
    eight.palette.assign(256, 0);
    eight.palette[1] = 0x123456;
    eight.palette[200] = 0xABCDEF;
    eight.palette[255] = 0xFEDCBA;
    eight.pixels = {200, 1, 255, 0};
    auto image = decode(eight.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0xABCDEFu);
    EXPECT_EQ(at(*image, 1, 0), 0x123456u);
    EXPECT_EQ(at(*image, 2, 0), 0xFEDCBAu);

    // 1 bit: ten pixels cross a byte boundary; rows padded to 4 bytes; most significant bit first.
    BmpBuilder one;
    one.bitCount = 1;
    one.width = 10;
    one.height = 2;
    one.palette = {0x102030, 0xF0E0D0};
    one.pixels = {0b10000001, 0b01000000, 0, 0, 0b01111110, 0b10000000, 0, 0};
    image = decode(one.build());
    ASSERT_TRUE(image);
    const char* bottom = "1000000101";
    const char* top = "0111111010";
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(at(*image, x, 0), bottom[x] == '1' ? 0xF0E0D0u : 0x102030u) << x;
        EXPECT_EQ(at(*image, x, 1), top[x] == '1' ? 0xF0E0D0u : 0x102030u) << x;
    }

    // 4 bits, odd width: the high nibble is the left pixel.
    BmpBuilder four;
    four.bitCount = 4;
    four.width = 3;
    four.height = 1;
    four.palette.assign(16, 0);
    four.palette[0xA] = 0xAAAAAA;
    four.palette[0x3] = 0x333333;
    four.palette[0xF] = 0xFFFFFF;
    four.pixels = {0xA3, 0xF0, 0, 0};
    image = decode(four.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0xAAAAAAu);
    EXPECT_EQ(at(*image, 1, 0), 0x333333u);
    EXPECT_EQ(at(*image, 2, 0), 0xFFFFFFu);
}

TEST(BmpDecode, ColoursUsedSetsTheTableLengthAndThePixelPositionOfABareDib) {
    // A bare DIB with 256 colours: its pixels lie at 40 + 1024.
    BmpBuilder full;
    full.fileHeader = false;
    full.bitCount = 8;
    full.width = 4;
    full.height = 1;
    for (uint32_t i = 0; i < 256; ++i) full.palette.push_back(i * 0x010101);
    full.pixels = {7, 77, 177, 255};
    std::vector<uint8_t> bytes = full.build();
    ASSERT_EQ(bytes.size(), 40u + 1024u + 4u);
    auto image = decode(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x070707u);
    EXPECT_EQ(at(*image, 3, 0), 0xFFFFFFu);

    // Colours used 16 in an 8-bit file: 16 entries, pixels right after them; indices past the
    // table come out black.
    BmpBuilder short16;
    short16.fileHeader = false;
    short16.bitCount = 8;
    short16.colorsUsed = 16;
    short16.width = 4;
    short16.height = 1;
    for (uint32_t i = 0; i < 16; ++i) short16.palette.push_back(0x100000 * i + 0x0F);
    short16.pixels = {15, 0, 16, 200};
    image = decode(short16.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0xF0000Fu);
    EXPECT_EQ(at(*image, 1, 0), 0x00000Fu);
    EXPECT_EQ(at(*image, 2, 0), 0u);
    EXPECT_EQ(at(*image, 3, 0), 0u);

    // Colours used on a 24-bit bare DIB is an optional table that the pixels follow.
    BmpBuilder direct;
    direct.fileHeader = false;
    direct.colorsUsed = 3;
    direct.palette = {1, 2, 3};
    direct.width = 4;
    direct.height = 1;
    direct.pixels = {0x30, 0x20, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    image = decode(direct.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x102030u);
}

TEST(BmpDecode, FileHeaderPixelOffsetIsHonoured) {
    BmpBuilder b;
    b.bitCount = 8;
    b.colorsUsed = 2;
    b.palette = {0x0000FF, 0x00FF00};
    b.gapBeforePixels = 10;
    b.width = 2;
    b.height = 1;
    b.pixels = {1, 0, 0, 0};
    auto image = decode(b.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x00FF00u);
    EXPECT_EQ(at(*image, 1, 0), 0x0000FFu);
}

TEST(BmpDecode, CoreHeadersUseThreeByteColourEntries) {
    BmpBuilder paletted;
    paletted.headerSize = 12;
    paletted.bitCount = 8;
    paletted.width = 2;
    paletted.height = 2;
    for (uint32_t i = 0; i < 256; ++i) paletted.palette.push_back(i << 8);
    paletted.pixels = {1, 2, 0, 0, 3, 4, 0, 0};
    for (bool withFileHeader : {true, false}) {
        paletted.fileHeader = withFileHeader;
        std::vector<uint8_t> bytes = paletted.build();
        EXPECT_EQ(bytes.size(), (withFileHeader ? 14u : 0u) + 12u + 768u + 8u);
        auto image = decode(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(at(*image, 0, 0), 0x000100u);
        EXPECT_EQ(at(*image, 1, 1), 0x000400u);
    }

    BmpBuilder direct;
    direct.headerSize = 12;
    direct.fileHeader = false;
    direct.width = 1;
    direct.height = 1;
    direct.pixels = {3, 2, 1, 0};
    auto image = decode(direct.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x010203u);
}

TEST(BmpDecode, SixteenAndThirtyTwoBitPixels) {
    // 16 bits without masks: 5-5-5, widened to 8 bits with rounding.
    BmpBuilder b16;
    b16.bitCount = 16;
    b16.width = 4;
    b16.height = 1;
    b16.pixels = {0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03, 0x10, 0x80};  // white, red, green, blue 16
    auto image = decode(b16.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(at(*image, 1, 0), 0xFF0000u);
    EXPECT_EQ(at(*image, 2, 0), 0x00FF00u);
    EXPECT_EQ(at(*image, 3, 0), 0x000084u);  // 16 / 31 of full, top bit unused

    // 16 bits with 5-6-5 masks.
    BmpBuilder b565 = b16;
    b565.compression = 3;
    b565.masks = {0xF800, 0x07E0, 0x001F};
    b565.width = 2;
    b565.pixels = {0xE0, 0x07, 0x00, 0xF8};  // green 63, red 31
    image = decode(b565.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x00FF00u);
    EXPECT_EQ(at(*image, 1, 0), 0xFF0000u);

    // 32 bits without masks: blue, green, red, unused.
    BmpBuilder b32;
    b32.bitCount = 32;
    b32.width = 1;
    b32.height = 1;
    b32.pixels = {0x11, 0x22, 0x33, 0x44};
    image = decode(b32.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x332211u);

    // 32 bits with masks in another order (red in the lowest byte) and 10-bit channels.
    BmpBuilder rgba = b32;
    rgba.compression = 3;
    rgba.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    image = decode(rgba.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0x112233u);
    BmpBuilder wide = b32;
    wide.compression = 3;
    wide.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    uint32_t pixel = 0x3FFu << 20 | 0x200u << 10 | 0x004u;
    wide.pixels = {uint8_t(pixel), uint8_t(pixel >> 8), uint8_t(pixel >> 16), uint8_t(pixel >> 24)};
    image = decode(wide.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 0, 0), 0xFF8001u);

    // A bare bit-field DIB has its pixels after the three masks.
    BmpBuilder bare = b565;
    bare.fileHeader = false;
    image = decode(bare.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(at(*image, 1, 0), 0xFF0000u);
}

TEST(BmpDecode, TopDownFilesComeOutUprightBottomRowFirst) {
    BmpBuilder b;
    b.width = 4;
    b.height = -2;
    // Stored top row first: top row red, bottom row blue (each pixel blue, green, red).
    b.pixels = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255,
                255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0};
    auto image = decode(b.build());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(at(*image, 0, 0), 0x0000FFu);
    EXPECT_EQ(at(*image, 3, 1), 0xFF0000u);
}

// ---- Run-length streams ------------------------------------------------------------------------

std::vector<uint32_t> greyPalette(int count) {
    std::vector<uint32_t> palette;
    for (int i = 0; i < count; ++i) palette.push_back(uint32_t(i) * 0x010101);
    return palette;
}

// The image's rows, bottom first, as palette indices (grey levels).
std::vector<std::vector<int>> indices(const RgbImage& image) {
    std::vector<std::vector<int>> rows(size_t(image.height));
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) rows[size_t(y)].push_back(int(at(image, x, y) & 0xFF));
    return rows;
}

TEST(BmpDecode, RunLength8RunsEndsOfLineDeltasAndAbsoluteRuns) {
    BmpBuilder b;
    b.bitCount = 8;
    b.compression = 1;
    b.width = 6;
    b.height = 4;
    b.palette = greyPalette(256);
    b.pixels = {
        3, 9, 0, 3, 1, 2, 3, 0,  // run of three 9s, absolute run 1 2 3 padded to 4 bytes
        0, 0,                    // end of line
        0, 2, 2, 1,              // delta: two right, one up -> row 2, column 2
        2, 5,                    // two 5s
        0, 0,                    // end of line
        0, 4, 4, 5, 6, 7,        // absolute run of four, already even
        9, 8,                    // run past the right edge: dropped beyond column 5
        0, 1,                    // end of bitmap
    };
    auto image = decode(b.build());
    ASSERT_TRUE(image);
    std::vector<std::vector<int>> expected = {
        {9, 9, 9, 1, 2, 3},
        {0, 0, 0, 0, 0, 0},  // skipped by the delta: black
        {0, 0, 5, 5, 0, 0},
        {4, 5, 6, 7, 8, 8},
    };
    EXPECT_EQ(indices(*image), expected);
}

TEST(BmpDecode, RunLength4AlternatesNibblesAndPadsAbsoluteRuns) {
    BmpBuilder b;
    b.bitCount = 4;
    b.compression = 2;
    b.width = 5;
    b.height = 2;
    b.palette = greyPalette(16);
    b.pixels = {
        5, 0x12,                    // 1 2 1 2 1
        0, 0,                       // end of line
        0, 3, 0xAB, 0xC0,           // absolute run of three nibbles: two bytes, already even
        0, 5, 0x34, 0x56, 0x70, 0,  // five nibbles: three bytes padded to four (clipped at 5)
        0, 1,
    };
    auto image = decode(b.build());
    ASSERT_TRUE(image);
    std::vector<std::vector<int>> expected = {{1, 2, 1, 2, 1}, {10, 11, 12, 3, 4}};
    EXPECT_EQ(indices(*image), expected);
}

TEST(BmpDecode, RunLengthStreamsMustNotStopShort) {
    BmpBuilder b;
    b.bitCount = 8;
    b.compression = 1;
    b.width = 2;
    b.height = 2;
    b.palette = greyPalette(4);
    b.colorsUsed = 4;
    // Complete picture without an end-of-bitmap code: accepted.
    b.pixels = {2, 1, 0, 0, 2, 3};
    EXPECT_EQ(refusal(b.build()), "decoded");
    // One row short, and a code cut in half: refused.
    b.pixels = {2, 1, 0, 0};
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    b.pixels = {2, 1, 0};
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    // An absolute run longer than the data, and a delta without its two bytes.
    b.pixels = {0, 8, 1, 2};
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    b.pixels = {0, 2, 1};
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    // Run-length data cannot be stored top down, nor with the wrong bit count.
    b.pixels = {2, 1, 0, 0, 2, 3, 0, 1};
    b.height = -2;
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    b.height = 2;
    b.compression = 2;
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
}

// ---- Refused files -----------------------------------------------------------------------------

TEST(BmpDecode, OnlyCoreAndInfoHeadersAreKnown) {
    for (uint32_t size : {108u, 124u, 64u, 16u, 0u, 56u}) {
        BmpBuilder b;
        b.headerSize = size;
        b.pixels = {1, 2, 3, 0};
        for (bool withFileHeader : {true, false}) {
            b.fileHeader = withFileHeader;
            EXPECT_EQ(refusal(b.build()), DIB_UNKNOWN_FORMAT) << size;
        }
    }
    // Too short to hold a header size, or a header cut short.
    EXPECT_EQ(refusal({}), DIB_UNKNOWN_FORMAT);
    EXPECT_EQ(refusal({40, 0}), DIB_UNKNOWN_FORMAT);
    EXPECT_EQ(refusal({'B', 'M', 0, 0}), DIB_UNKNOWN_FORMAT);
    EXPECT_EQ(refusal({40, 0, 0, 0, 1, 0, 0, 0}), DIB_UNKNOWN_FORMAT);
}

TEST(BmpDecode, FormatsWithoutAConversionAreRefused) {
    auto withFormat = [](uint16_t bits, uint32_t compression) {
        BmpBuilder b;
        b.bitCount = bits;
        b.compression = compression;
        if (compression == 3) b.masks = {0xF00, 0xF0, 0xF};
        b.pixels.assign(64, 0);
        return refusal(b.build());
    };
    EXPECT_EQ(withFormat(2, 0), DIB_CONVERSION_ERROR);
    EXPECT_EQ(withFormat(0, 0), DIB_CONVERSION_ERROR);
    EXPECT_EQ(withFormat(64, 0), DIB_CONVERSION_ERROR);
    EXPECT_EQ(withFormat(24, 3), DIB_CONVERSION_ERROR);
    EXPECT_EQ(withFormat(24, 4), DIB_CONVERSION_ERROR);  // embedded compressed pictures
    EXPECT_EQ(withFormat(24, 5), DIB_CONVERSION_ERROR);
    EXPECT_EQ(withFormat(24, 1), DIB_CONVERSION_ERROR);
    EXPECT_EQ(withFormat(16, 3), "decoded");

    BmpBuilder b;
    b.pixels.assign(64, 0);
    b.width = 0;
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    b.width = -4;
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
    b.width = 1;
    b.height = 0;
    EXPECT_EQ(refusal(b.build()), DIB_CONVERSION_ERROR);
}

TEST(BmpDecode, AbsurdSizesAreRefusedBeforeAnythingIsAllocated) {
    BmpBuilder b;
    b.width = 100000;
    b.height = 100000;
    b.pixels = {0, 0, 0, 0};
    EXPECT_EQ(refusal(b.build()), DIB_OUT_OF_MEMORY);
    b.height = -100000;
    EXPECT_EQ(refusal(b.build()), DIB_OUT_OF_MEMORY);
    b.width = 0x7FFFFFFF;
    b.height = int32_t(0x80000000u);
    EXPECT_EQ(refusal(b.build()), DIB_OUT_OF_MEMORY);

    // A tiny run-length file that claims a huge picture.
    BmpBuilder rle;
    rle.bitCount = 8;
    rle.compression = 1;
    rle.palette = greyPalette(2);
    rle.colorsUsed = 2;
    rle.width = 65535;
    rle.height = 65535;
    rle.pixels = {0, 1};
    EXPECT_EQ(refusal(rle.build()), DIB_OUT_OF_MEMORY);

    // One row over the limit.
    rle.width = 8192;
    rle.height = int32_t(DIB_MAX_PIXELS / 8192) + 1;
    EXPECT_EQ(refusal(rle.build()), DIB_OUT_OF_MEMORY);

    // A colours-used count that no table can hold.
    BmpBuilder colours;
    colours.colorsUsed = 0x10000;
    colours.pixels = {0, 0, 0, 0};
    EXPECT_EQ(refusal(colours.build()), DIB_CONVERSION_ERROR);
}

TEST(BmpDecode, TablesMasksAndPixelsMustLieInsideTheFile) {
    BmpBuilder b;
    b.width = 4;
    b.height = 3;
    b.pixels.assign(36, 7);
    std::vector<uint8_t> bytes = b.build();
    EXPECT_EQ(refusal(bytes), "decoded");

    // A pixel offset past the end, and one that leaves too few bytes.
    std::vector<uint8_t> far = bytes;
    far[10] = 0xFF, far[11] = 0xFF;
    EXPECT_EQ(refusal(far), DIB_CONVERSION_ERROR);
    std::vector<uint8_t> late = bytes;
    late[10] += 1;
    EXPECT_EQ(refusal(late), DIB_CONVERSION_ERROR);

    // A colour table that runs past the end.
    BmpBuilder paletted;
    paletted.bitCount = 8;
    paletted.palette = greyPalette(256);
    paletted.pixels = {0, 0, 0, 0};
    std::vector<uint8_t> full = paletted.build();
    EXPECT_EQ(refusal(std::vector<uint8_t>(full.begin(), full.begin() + 14 + 40 + 1000)),
              DIB_CONVERSION_ERROR);

    // Masks cut off.
    BmpBuilder masked;
    masked.bitCount = 16;
    masked.compression = 3;
    masked.fileHeader = false;
    masked.masks = {0x7C00};
    EXPECT_EQ(refusal(masked.build()), DIB_CONVERSION_ERROR);
}

// Every prefix of a valid file is refused with one of the messages, never read past.
TEST(BmpDecode, EveryTruncationOfAValidFileIsRefused) {
    std::vector<BmpBuilder> files(5);
    files[0].width = 4, files[0].height = 3, files[0].pixels.assign(36, 1);
    files[1].bitCount = 8, files[1].width = 4, files[1].height = 2;
    files[1].palette = greyPalette(256), files[1].pixels.assign(8, 3);
    files[2].headerSize = 12, files[2].bitCount = 4, files[2].width = 8, files[2].height = 2;
    files[2].palette = greyPalette(16), files[2].pixels.assign(8, 0x12);
    files[3].bitCount = 16, files[3].compression = 3, files[3].masks = {0xF800, 0x7E0, 0x1F};
    files[3].width = 2, files[3].height = 2, files[3].pixels.assign(8, 0x55);
    files[4].bitCount = 4, files[4].compression = 2, files[4].width = 4, files[4].height = 2;
    files[4].palette = greyPalette(16), files[4].pixels = {4, 0x12, 0, 0, 4, 0x34, 0, 1};
    for (size_t f = 0; f < files.size(); ++f) {
        for (bool withFileHeader : {true, false}) {
            files[f].fileHeader = withFileHeader;
            const std::vector<uint8_t> bytes = files[f].build();
            ASSERT_EQ(refusal(bytes), "decoded") << f;
            // The run-length file is complete once its last row is written, before its end code.
            size_t complete = f == 4 ? bytes.size() - 2 : bytes.size();
            for (size_t length = 0; length < complete; ++length) {
                // A copy of exactly this length, so that a read past it is caught by the sanitizer.
                std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + long(length));
                std::string message = refusal(prefix);
                EXPECT_TRUE(message == DIB_UNKNOWN_FORMAT || message == DIB_CONVERSION_ERROR)
                    << "file " << f << " cut at " << length << ": " << message;
            }
        }
    }
}

TEST(BmpDecode, ColourCountFollowsTheHeader) {
    auto header = [](uint32_t size, uint16_t bits, uint32_t used) {
        BmpBuilder b;
        b.headerSize = size;
        b.bitCount = bits;
        b.colorsUsed = used;
        b.fileHeader = false;
        return b.build();
    };
    for (uint32_t size : {12u, 40u}) {
        std::vector<uint8_t> h = header(size, 1, 0);
        EXPECT_EQ(dibColorCount(h.data(), h.size()), 2);
        h = header(size, 4, 0);
        EXPECT_EQ(dibColorCount(h.data(), h.size()), 16);
        h = header(size, 8, 0);
        EXPECT_EQ(dibColorCount(h.data(), h.size()), 256);
        h = header(size, 24, 0);
        EXPECT_EQ(dibColorCount(h.data(), h.size()), 0);
        h = header(size, 16, 0);
        EXPECT_EQ(dibColorCount(h.data(), h.size()), 0);
    }
    std::vector<uint8_t> h = header(40, 8, 16);
    EXPECT_EQ(dibColorCount(h.data(), h.size()), 16);
    h = header(40, 24, 300);
    EXPECT_EQ(dibColorCount(h.data(), h.size()), 300);
    h = header(40, 8, 0x12345);
    EXPECT_EQ(dibColorCount(h.data(), h.size()), 0xFFFF);
    h = header(108, 8, 0);
    EXPECT_EQ(dibColorCount(h.data(), h.size()), 0);
    h = header(40, 8, 0);
    EXPECT_EQ(dibColorCount(h.data(), 39), 0);
}

}  // namespace
