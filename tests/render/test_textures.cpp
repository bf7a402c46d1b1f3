// Loading bitmaps into the texture slots on a real context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "image/bmp.h"
#include "platform/platform.h"
#include "render/render.h"
#include "render/scene_parts.h"
#include "tests/render/gl_support.h"

namespace {

// A 24-bit bitmap file with the usual 4-byte row padding; pixels given as RGB, bottom row first.
std::string writeBitmap(const std::string& name, int w, int h, const std::vector<uint8_t>& rgb) {
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t size = 54 + uint32_t(stride) * h;
    std::vector<uint8_t> file(size, 0);
    auto u16 = [&](size_t at, uint32_t v) { file[at] = uint8_t(v); file[at + 1] = uint8_t(v >> 8); };
    auto u32 = [&](size_t at, uint32_t v) { u16(at, v & 0xffff); u16(at + 2, v >> 16); };
    file[0] = 'B';
    file[1] = 'M';
    u32(2, size);
    u32(10, 54);
    u32(14, 40);
    u32(18, uint32_t(w));
    u32(22, uint32_t(h));
    u16(26, 1);
    u16(28, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)  // files store blue, green, red
                file[54 + size_t(y) * stride + x * 3 + c] = rgb[(size_t(y) * w + x) * 3 + 2 - c];
    const std::string path = "/tmp/tarvex-render-" + name + ".bmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    return path;
}

class TextureTest : public testgl::GLTest {
protected:
    void SetUp() override {
        testgl::GLTest::SetUp();
        messages.clear();
        platform::setMessageObserver([this](const platform::MessageRecord& m) {
            messages.push_back(m.caption + ": " + m.text);
            return platform::MessageAnswer::Ok;
        });
    }
    void TearDown() override {
        platform::setMessageObserver({});
        for (int slot = 0; slot < 3; ++slot) testgl::clearTexture(slot);
        releaseTextureImage();
        testgl::GLTest::TearDown();
    }
    static std::vector<uint8_t> readBack(int slot, int w, int h) {
        std::vector<uint8_t> got(size_t(w) * h * 3);
        glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
        return got;
    }
    std::vector<std::string> messages;
};

TEST_F(TextureTest, OddWidthUploadsRowForRowWithLinearFiltersAndRepeat) {
    // Width 3: packed rows of 9 bytes, which the default unpack alignment of 4 would misread.
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255,
                                      10, 20, 30, 40, 50, 60, 70, 80, 90};
    const std::string path = writeBitmap("odd", 3, 2, rgb);
    ASSERT_TRUE(loadTexture(path.c_str(), FilledTexture));
    ASSERT_NE(lastLoadedImage(), nullptr);
    EXPECT_EQ(lastLoadedImage()->width, 3);
    EXPECT_EQ(readBack(FilledTexture, 3, 2), rgb);

    GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0, width = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    EXPECT_EQ(width, 3);
    EXPECT_TRUE(messages.empty());

    releaseTextureImage();
    EXPECT_EQ(lastLoadedImage(), nullptr);
}

TEST_F(TextureTest, MissingFileFailsSilentlyAndLeavesTheSlotEmpty) {
    const std::vector<uint8_t> rgb(4 * 4 * 3, 200);
    ASSERT_TRUE(loadTexture(writeBitmap("grey", 4, 4, rgb).c_str(), TrackTexture));
    EXPECT_NE(lastLoadedImage(), nullptr);

    EXPECT_FALSE(loadTexture("/tmp/no-such-dir/none.bmp", FontTexture));
    EXPECT_FALSE(loadTexture(nullptr, FontTexture));
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(lastLoadedImage(), nullptr) << "a failed load still replaces the kept image";
    glBindTexture(GL_TEXTURE_2D, textureNames[FontTexture]);
    GLint width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
}

TEST_F(TextureTest, FileThatIsNoBitmapIsReportedByTheLoaderOnly) {
    const std::string path = "/tmp/tarvex-render-not-a-bitmap.bmp";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("plain text, not a picture", f);
    std::fclose(f);
    EXPECT_FALSE(loadTexture(path.c_str(), FilledTexture));
    EXPECT_FALSE(messages.empty());
    for (const std::string& m : messages) EXPECT_EQ(m.rfind("Error: ", 0), 0u) << m;
}

TEST_F(TextureTest, PipeInPlaceOfABitmapIsReportedInsteadOfBlockingStartUp) {
    const std::string path = "/tmp/tarvex-render-pipe.bmp";
    std::remove(path.c_str());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(loadTexture(path.c_str(), TrackTexture));
    std::remove(path.c_str());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: Failed to open DIB file " + path + ".\n");
}

TEST_F(TextureTest, SlotOutsideTheThreeIsRefused) {
    const std::vector<uint8_t> rgb(2 * 2 * 3, 90);
    const std::string path = writeBitmap("small", 2, 2, rgb);
    EXPECT_FALSE(loadTexture(path.c_str(), 3));
    EXPECT_FALSE(loadTexture(path.c_str(), -1));
    EXPECT_TRUE(loadTexture(path.c_str(), 2));
}

TEST_F(TextureTest, TheGamesOwnBitmapsLoadIntoTheirSlots) {
    const char* files[3] = {"data/hetfont.bmp", "data/Filled.bmp", "data/track.bmp"};
    for (int slot = 0; slot < 3; ++slot) {
        std::FILE* f = std::fopen(files[slot], "rb");
        if (!f) GTEST_SKIP() << files[slot] << " is not there yet";
        std::fclose(f);
    }
    for (int slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(files[slot]);
        ASSERT_TRUE(loadTexture(files[slot], slot));
        const RgbImage* image = lastLoadedImage();
        ASSERT_NE(image, nullptr);
        glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, image->width);
        EXPECT_EQ(h, image->height);
    }
    EXPECT_TRUE(messages.empty());
}

}  // namespace
