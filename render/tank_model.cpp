// The tank: one hand-built model of flat-coloured faces. There is no lighting; every face carries
// a brightness factor times the player's colour. Model frame: origin at the centre of the hull
// top, nose and barrel towards local -X, local +Y the right-hand side, track bottoms at z = -0.8.
#include <GL/gl.h>

#include "game/game.h"
#include "render/render.h"
#include "render/scene_parts.h"

namespace {

struct Point2 { float x, z; };      // a point of the track profile
struct Vertex { float x, y, z; };
struct ShadedQuad { float factor; Vertex v[4]; };
struct Colour { float r, g, b; };

// The track seen from the side, in drawing order round the polygon.
constexpr Point2 TrackProfile[8] = {{1.9f, 0}, {2, -0.2f}, {2, -0.6f}, {1.9f, -0.8f},
                                    {-2, -0.8f}, {-2.1f, -0.6f}, {-2.1f, -0.2f}, {-2, 0}};
constexpr float TrackPlanes[4] = {1.5f, 1.1f, -1.5f, -1.1f};

// A face across one track, joining profile points a and b between its outer and inner plane.
struct TrackFace { Point2 a; float va; Point2 b; float vb; };  // va, vb: offsets added to scroll
constexpr TrackFace TreadFaces[4] = {
    {{2, -0.6f}, 1, {2, -0.2f}, 0},          // rear end
    {{2, -0.6f}, 0, {1.9f, -0.8f}, 0.5f},    // rear lower chamfer
    {{-2.1f, -0.6f}, 1, {-2, -0.8f}, 0},     // front lower chamfer
    {{-2.1f, -0.6f}, 0, {-2.1f, -0.2f}, 1},  // front end
};
constexpr TrackFace BeltFaces[4] = {
    {{1.9f, 0}, 0, {2, -0.2f}, 0},       // rear upper chamfer
    {{1.9f, -0.8f}, 0, {-2, -0.8f}, 0},  // bottom
    {{-2, 0}, 0, {-2.1f, -0.2f}, 0},     // front upper chamfer
    {{-2, 0}, 0, {1.9f, 0}, 0},          // top
};

constexpr Vertex TurretRing[4][4] = {
    {{-0.4f, 0.4f, 0}, {-0.4f, -0.4f, 0}, {-0.4f, -0.4f, 0.15f}, {-0.4f, 0.4f, 0.15f}},
    {{-0.4f, 0.4f, 0}, {0.4f, 0.4f, 0}, {0.4f, 0.4f, 0.15f}, {-0.4f, 0.4f, 0.15f}},
    {{-0.4f, -0.4f, 0}, {0.4f, -0.4f, 0}, {0.4f, -0.4f, 0.15f}, {-0.4f, -0.4f, 0.15f}},
    {{0.4f, 0.4f, 0}, {0.4f, -0.4f, 0}, {0.4f, -0.4f, 0.15f}, {0.4f, 0.4f, 0.15f}},
};

constexpr ShadedQuad LowerHull[6] = {
    {0.8f, {{-2, 1, 0}, {2, 1, 0}, {2, -1, 0}, {-2, -1, 0}}},                         // top
    {0.9f, {{-2, -1, 0}, {-2.2f, -1, -0.3f}, {-2.2f, 1, -0.3f}, {-2, 1, 0}}},         // front upper
    {0.7f, {{-1.9f, -1, -0.5f}, {-2.2f, -1, -0.3f}, {-2.2f, 1, -0.3f}, {-1.9f, 1, -0.5f}}},
    {0.9f, {{2, -1, 0}, {2, -1, -0.3f}, {2, 1, -0.3f}, {2, 1, 0}}},                   // rear face
    {0.7f, {{1.9f, -1, -0.5f}, {2, -1, -0.3f}, {2, 1, -0.3f}, {1.9f, 1, -0.5f}}},     // rear lower
    {0.4f, {{-1.9f, -1, -0.5f}, {1.9f, -1, -0.5f}, {1.9f, 1, -0.5f}, {-1.9f, 1, -0.5f}}},  // bottom
};

constexpr Point2 HullSideProfile[6] = {{2, 0.1f}, {-2, 0.1f}, {-2.3f, -0.4f},
                                       {-1.9f, -0.5f}, {1.9f, -0.5f}, {2.1f, -0.4f}};

constexpr ShadedQuad Fenders[8] = {
    {0.85f, {{-2, 1, 0.1f}, {-2, 1.55f, 0.1f}, {2, 1.55f, 0.1f}, {2, 1, 0.1f}}},       // right top
    {0.85f, {{-2, -1, 0.1f}, {-2, -1.55f, 0.1f}, {2, -1.55f, 0.1f}, {2, -1, 0.1f}}},   // left top
    {0.8f, {{-2, -1, 0.1f}, {-2.3f, -1, -0.4f}, {-2.3f, -1.55f, -0.4f}, {-2, -1.55f, 0.1f}}},
    {0.8f, {{-2, 1, 0.1f}, {-2.3f, 1, -0.4f}, {-2.3f, 1.55f, -0.4f}, {-2, 1.55f, 0.1f}}},
    {0.9f, {{2, 1, 0.1f}, {2.1f, 1, -0.4f}, {2.1f, 1.55f, -0.4f}, {2, 1.55f, 0.1f}}},
    {0.9f, {{2, -1, 0.1f}, {2.1f, -1, -0.4f}, {2.1f, -1.55f, -0.4f}, {2, -1.55f, 0.1f}}},
    {0.75f, {{2, -1.55f, 0.1f}, {2.1f, -1.55f, -0.4f}, {-2.3f, -1.55f, -0.4f}, {-2, -1.55f, 0.1f}}},
    {0.75f, {{2, 1.55f, 0.1f}, {2.1f, 1.55f, -0.4f}, {-2.3f, 1.55f, -0.4f}, {-2, 1.55f, 0.1f}}},
};

constexpr ShadedQuad TurretBody[6] = {
    {0.25f, {{1.1f, 1, 0.15f}, {1.1f, -1, 0.15f}, {-1, -0.9f, 0.15f}, {-1, 0.9f, 0.15f}}},   // bottom
    {0.45f, {{-1, 0.9f, 0.15f}, {-1, -0.9f, 0.15f}, {-0.8f, -0.9f, 0.8f}, {-0.8f, 0.9f, 0.8f}}},
    {0.55f, {{-1, 0.9f, 0.15f}, {-0.8f, 0.9f, 0.8f}, {1.2f, 1, 0.8f}, {1.1f, 1, 0.15f}}},
    {0.55f, {{-1, -0.9f, 0.15f}, {-0.8f, -0.9f, 0.8f}, {1.2f, -1, 0.8f}, {1.1f, -1, 0.15f}}},
    {0.45f, {{1.1f, 1, 0.15f}, {1.1f, -1, 0.15f}, {1.2f, -1, 0.8f}, {1.2f, 1, 0.8f}}},       // rear
    {0.35f, {{1.2f, 1, 0.8f}, {1.2f, -1, 0.8f}, {-0.8f, -0.9f, 0.8f}, {-0.8f, 0.9f, 0.8f}}},  // top
};

// The barrel has no end faces; the muzzle is open at its outer end so the bore shows.
constexpr Vertex Barrel[4][4] = {
    {{-0.8f, -0.1f, 0.4f}, {-0.8f, 0.1f, 0.4f}, {-2.4f, 0.1f, 0.4f}, {-2.4f, -0.1f, 0.4f}},
    {{-0.8f, -0.1f, 0.5f}, {-0.8f, 0.1f, 0.5f}, {-2.4f, 0.1f, 0.5f}, {-2.4f, -0.1f, 0.5f}},
    {{-0.8f, 0.1f, 0.4f}, {-0.8f, 0.1f, 0.5f}, {-2.4f, 0.1f, 0.5f}, {-2.4f, 0.1f, 0.4f}},
    {{-0.8f, -0.1f, 0.4f}, {-0.8f, -0.1f, 0.5f}, {-2.4f, -0.1f, 0.5f}, {-2.4f, -0.1f, 0.4f}},
};
constexpr Vertex Muzzle[5][4] = {
    {{-2.4f, -0.14f, 0.37f}, {-2.4f, 0.14f, 0.37f}, {-2.6f, 0.14f, 0.37f}, {-2.6f, -0.14f, 0.37f}},
    {{-2.4f, -0.14f, 0.53f}, {-2.4f, 0.14f, 0.53f}, {-2.6f, 0.14f, 0.53f}, {-2.6f, -0.14f, 0.53f}},
    {{-2.4f, 0.14f, 0.37f}, {-2.4f, 0.14f, 0.53f}, {-2.6f, 0.14f, 0.53f}, {-2.6f, 0.14f, 0.37f}},
    {{-2.4f, -0.14f, 0.37f}, {-2.4f, -0.14f, 0.53f}, {-2.6f, -0.14f, 0.53f}, {-2.6f, -0.14f, 0.37f}},
    {{-2.4f, -0.14f, 0.37f}, {-2.4f, 0.14f, 0.37f}, {-2.4f, 0.14f, 0.53f}, {-2.4f, -0.14f, 0.53f}},
};

void vertex(const Vertex& v) { glVertex3f(v.x, v.y, v.z); }

void quads(const Vertex (*faces)[4], int count) {
    for (int f = 0; f < count; ++f)
        for (const Vertex& v : faces[f]) vertex(v);
}

void shadedQuads(const ShadedQuad* faces, int count, Colour k) {
    for (int f = 0; f < count; ++f) {
        glColor3f(faces[f].factor * k.r, faces[f].factor * k.g, faces[f].factor * k.b);
        for (const Vertex& v : faces[f].v) vertex(v);
    }
}

void sidePolygon(const Point2* points, int count, float y) {
    glBegin(GL_POLYGON);
    for (int i = 0; i < count; ++i) glVertex3f(points[i].x, y, points[i].z);
    glEnd();
}

// (a at outer), (b at outer), (b at inner), (a at inner); texture u runs outer 0 to inner 1.
void trackFace(const TrackFace& f, float outer, float inner, float scroll, bool textured) {
    if (textured) glTexCoord2f(0, scroll + f.va);
    glVertex3f(f.a.x, outer, f.a.z);
    if (textured) glTexCoord2f(0, scroll + f.vb);
    glVertex3f(f.b.x, outer, f.b.z);
    if (textured) glTexCoord2f(1, scroll + f.vb);
    glVertex3f(f.b.x, inner, f.b.z);
    if (textured) glTexCoord2f(1, scroll + f.va);
    glVertex3f(f.a.x, inner, f.a.z);
}

void drawTracks(const Player& pl) {
    glColor3f(0.3f, 0.3f, 0.3f);
    for (float y : TrackPlanes) sidePolygon(TrackProfile, 8, y);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureNames[TrackTexture]);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    for (const TrackFace& f : TreadFaces) trackFace(f, 1.5f, 1.1f, pl.rightTrackScroll, true);
    for (const TrackFace& f : TreadFaces) trackFace(f, -1.5f, -1.1f, pl.leftTrackScroll, true);
    glEnd();
    glDisable(GL_TEXTURE_2D);

    // The left belt is darker than the right one.
    glBegin(GL_QUADS);
    glColor3f(0.2f, 0.2f, 0.2f);
    for (const TrackFace& f : BeltFaces) trackFace(f, 1.5f, 1.1f, 0, false);
    glColor3f(0.1f, 0.1f, 0.1f);
    for (const TrackFace& f : BeltFaces) trackFace(f, -1.5f, -1.1f, 0, false);
    glEnd();
}

}  // namespace

void drawTurret(float turretAngle, float red, float green, float blue) {
    glRotatef(turretAngle, 0, 0, 1);
    glBegin(GL_QUADS);
    shadedQuads(TurretBody, 6, {red, green, blue});
    glColor3f(0.4f, 0.5f, 0.35f);
    quads(Barrel, 4);
    glColor3f(0.2f, 0.3f, 0.1f);
    quads(Muzzle, 5);
    glEnd();
}

void drawTank(const GameState& game, int p) {
    if (p < 0 || p >= game.playerCount) return;
    const Player& pl = game.players[p];
    const Colour k{pl.red, pl.green, pl.blue};

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    applyCamera(game);
    glTranslatef(pl.x, pl.y, 0);
    glRotatef(pl.heading + 180, 0, 0, 1);

    drawTracks(pl);

    glBegin(GL_QUADS);
    glColor3f(0.1f, 0.1f, 0.3f);
    quads(TurretRing, 4);
    shadedQuads(LowerHull, 6, k);
    glEnd();

    glColor3f(0.6f * k.r, 0.6f * k.g, 0.6f * k.b);
    sidePolygon(HullSideProfile, 6, 1);
    sidePolygon(HullSideProfile, 6, -1);

    glBegin(GL_QUADS);
    shadedQuads(Fenders, 8, k);
    glEnd();

    drawTurret(pl.turretAngle, pl.red, pl.green, pl.blue);
}
