// The decoder against independent ones: bitmaps written by ImageMagick and by Python's imaging
// library in many layouts, decoded by those tools and by us, must give the same pixels.
#include "image/bmp.h"
#include "tests/image/bmp_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
};

bool commandWorks(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A binary PPM (P6, maxval 255) as written by both tools.
bool readPpm(const std::string& path, Picture& picture) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    size_t pos = 0;
    auto token = [&]() {
        while (pos < bytes.size() && (std::isspace(bytes[pos]) || bytes[pos] == '#')) {
            if (bytes[pos] == '#')
                while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            else
                ++pos;
        }
        std::string t;
        while (pos < bytes.size() && !std::isspace(bytes[pos])) t += char(bytes[pos++]);
        return t;
    };
    if (token() != "P6") return false;
    picture.width = std::atoi(token().c_str());
    picture.height = std::atoi(token().c_str());
    if (token() != "255") return false;
    ++pos;
    size_t size = size_t(picture.width) * size_t(picture.height) * 3;
    if (pos > bytes.size() || bytes.size() - pos < size) return false;
    picture.rgb.assign(bytes.begin() + long(pos), bytes.begin() + long(pos + size));
    return true;
}

// A picture with gradients in all three channels, odd width for row padding, and a few
// hard-edged marks so that flipped or shifted rows show.
Picture testPicture() {
    Picture p;
    p.width = 37;
    p.height = 23;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            bool mark = (x == 3 && y < 5) || (y == 20 && x > 30);
            p.rgb.push_back(mark ? 255 : uint8_t(x * 7));
            p.rgb.push_back(mark ? 255 : uint8_t(y * 11));
            p.rgb.push_back(mark ? 0 : uint8_t((x * y) & 0xFF));
        }
    }
    return p;
}

bool writePpm(const std::string& path, const Picture& p) {
    std::string header =
        "P6\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), p.rgb.begin(), p.rgb.end());
    return writeFileBytes(path, bytes);
}

// Largest difference of one channel between our decoding and the reference picture.
int largestDifference(const RgbImage& ours, const Picture& reference) {
    int worst = 0;
    const size_t rowBytes = size_t(reference.width) * 3;
    for (int y = 0; y < reference.height; ++y) {
        const uint8_t* mine = ours.pixels.data() + size_t(reference.height - 1 - y) * rowBytes;
        const uint8_t* theirs = reference.rgb.data() + size_t(y) * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i)
            worst = std::max(worst, std::abs(int(mine[i]) - int(theirs[i])));
    }
    return worst;
}

struct Variant {
    const char* name;
    const char* options;  // how the tool writes it
    uint32_t headerSize;  // what the written file must hold, so that the layout is really covered
    uint16_t bitCount;
    uint32_t compression;
};

// Decodes the file with our decoder and checks it against the reference decoding.
void compareFile(const Variant& v, const std::string& bmp, const std::string& referencePpm) {
    SCOPED_TRACE(v.name);
    std::vector<uint8_t> bytes = readFileBytes(bmp);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[14], v.headerSize);
    if (v.headerSize == 40) {
        EXPECT_EQ(bytes[28], v.bitCount);
        EXPECT_EQ(bytes[30], v.compression);
    } else {
        EXPECT_EQ(bytes[24], v.bitCount);
    }
    Picture reference;
    ASSERT_TRUE(readPpm(referencePpm, reference));
    std::string error;
    auto image = decodeDib(bytes.data(), bytes.size(), error);
    ASSERT_TRUE(image) << error;
    ASSERT_EQ(image->width, reference.width);
    ASSERT_EQ(image->height, reference.height);
    EXPECT_EQ(largestDifference(*image, reference), 0);
}

std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "tarvex_reference_" + name;
}

TEST(BmpReference, MatchesImageMagickOnEveryLayoutItWrites) {
    if (!commandWorks("convert -version")) GTEST_SKIP() << "ImageMagick convert is not installed";
    const std::string source = tempPath("source.ppm");
    ASSERT_TRUE(writePpm(source, testPicture()));
    const Variant variants[] = {
        {"24 bits", "-type truecolor BMP3:", 40, 24, 0},
        {"8 bits", "-colors 200 -type palette -compress none BMP3:", 40, 8, 0},
        {"8 bits run-length", "-colors 200 -type palette -compress RLE BMP3:", 40, 8, 1},
        {"4 bits", "-colors 12 -type palette BMP3:", 40, 4, 0},
        {"1 bit", "-type bilevel BMP3:", 40, 1, 0},
        {"16 bits 5-5-5", "-define bmp:subtype=RGB555 BMP3:", 40, 16, 3},
        {"16 bits 5-6-5", "-define bmp:subtype=RGB565 BMP3:", 40, 16, 3},
        {"core 24 bits", "BMP2:", 12, 24, 0},
        {"core 4 bits", "-colors 12 -type palette BMP2:", 12, 4, 0},
        {"core 8 bits", "-colors 200 -type palette BMP2:", 12, 8, 0},
    };
    for (const Variant& v : variants) {
        const std::string bmp = tempPath("im.bmp"), ppm = tempPath("im.ppm");
        ASSERT_TRUE(commandWorks("convert \"" + source + "\" " + v.options + "\"" + bmp + "\""))
            << v.name;
        ASSERT_TRUE(commandWorks("convert \"" + bmp + "\" -depth 8 -type truecolor \"" + ppm + "\""))
            << v.name;
        compareFile(v, bmp, ppm);
    }

    // Its default writer uses a 124-byte header, which is refused.
    const std::string modern = tempPath("modern.bmp");
    ASSERT_TRUE(commandWorks("convert \"" + source + "\" BMP:\"" + modern + "\""));
    std::vector<uint8_t> bytes = readFileBytes(modern);
    std::string error;
    EXPECT_FALSE(decodeDib(bytes.data(), bytes.size(), error));
    EXPECT_EQ(error, DIB_UNKNOWN_FORMAT);
}

TEST(BmpReference, MatchesPythonImagingOnEveryModeItWrites) {
    std::string python;
    for (const char* candidate : {"python3", "/usr/bin/python3"}) {
        if (commandWorks(std::string(candidate) + " -c \"import PIL.Image\"")) {
            python = candidate;
            break;
        }
    }
    if (python.empty()) GTEST_SKIP() << "Python imaging library is not installed";
    const std::string source = tempPath("pil_source.ppm");
    ASSERT_TRUE(writePpm(source, testPicture()));
    const Variant variants[] = {
        {"RGB", "RGB", 40, 24, 0}, {"RGBA", "RGBA", 40, 32, 0}, {"P", "P", 40, 8, 0},
        {"L", "L", 40, 8, 0},      {"1", "1", 40, 1, 0},
    };
    for (const Variant& v : variants) {
        const std::string bmp = tempPath("pil.bmp"), ppm = tempPath("pil.ppm");
        const std::string script =
            "import PIL.Image as I, sys; s = I.open(sys.argv[1]); m = sys.argv[2]; "
            "s = s.convert(m) if m != 'P' else s.quantize(100); "
            "s.save(sys.argv[3], 'BMP'); I.open(sys.argv[3]).convert('RGB').save(sys.argv[4])";
        ASSERT_TRUE(commandWorks(python + " -c \"" + script + "\" \"" + source + "\" " +
                                 v.options + " \"" + bmp + "\" \"" + ppm + "\""))
            << v.name;
        compareFile(v, bmp, ppm);
    }
}

}  // namespace
