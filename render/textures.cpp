// The three texture slots and the loading of their bitmaps.
#include <GL/gl.h>

#include "image/bmp.h"
#include "render/render.h"
#include "render/scene_parts.h"

unsigned textureNames[3];

namespace {
std::unique_ptr<RgbImage> lastImage;  // the renderer never reads it again; freed at shut-down
}

const RgbImage* lastLoadedImage() { return lastImage.get(); }

void createTextureSlots() { glGenTextures(3, textureNames); }

bool loadTexture(const char* path, int slot) {
    BitmapFile file = readBitmapFile(path);
    // A missing texture is left out in silence; a file that is there but unusable is reported.
    if (file.problem != BitmapProblem::None && file.problem != BitmapProblem::Missing)
        showBitmapProblem(file.problem, path);
    lastImage = std::move(file.image);
    if (!lastImage) return false;
    if (slot < 0 || slot > 2) return false;
    const RgbImage& image = *lastImage;
    // Never hand GL fewer bytes than the size it is told.
    if (image.width <= 0 || image.height <= 0) return false;
    const size_t needed = size_t(image.width) * size_t(image.height) * 3;
    if (image.pixels.size() < needed) return false;

    glBindTexture(GL_TEXTURE_2D, textureNames[slot]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are packed, whatever the width
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image.pixels.data());
    // Wrap modes stay at the default repeat: the treads scroll past 1.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

void releaseTextureImage() { lastImage.reset(); }
