// Measures key-to-screen latency of a running game window: presses a key through XTest at a known
// time and reads a small part of the window as fast as the X server answers until its pixels
// change. One line per sample on standard output, a summary on standard error. A line holds the
// latency in milliseconds and the time of the press on CLOCK_MONOTONIC_RAW in milliseconds (the
// clock of SDL's performance counter on Linux, so samples can be matched with the game's frame
// tick log).
//
//   key_latency WINDOW_ID [--samples N] [--keys w,s] [--region X,Y,W,H]
//
// The keys are pressed in turn (forward and back by default, so the tank stays where it is). Each
// key is released once the picture has changed, then the probe waits a random 50-150 ms, and
// until the region has been still for 30 ms, so that presses fall at random phases of the frame
// and only the key can have changed the picture. Without --region the probe finds it: it holds
// the first key and then the second for 300 ms each and takes the box of pixels that both
// changed (the largest patch of them, leaving out those that change on their own), widened by
// 8 pixels. It exits with status 1 when it finds no such box, the region never keeps still or
// over a tenth of the presses change nothing.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double QUIET_MS = 30.0;       // the region must not have changed for this long before a press
constexpr double GIVE_UP_MS = 1000.0;   // a press that changes nothing within this is a miss
constexpr double NEVER_STILL_MS = 3000.0;  // past the pause: something else moves in the region
constexpr int MARGIN = 8;               // pixels around the calibrated box
constexpr int REACH = 6;                // changed pixels this close belong to one patch (the tank's parts)

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
};

double clockMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double nowMs() { return clockMs(CLOCK_MONOTONIC); }

// The region's pixels as bytes (the server's own image format; only compared for equality).
std::vector<char> grab(Display* display, Window window, const Box& r) {
    XImage* image = XGetImage(display, window, r.x, r.y, static_cast<unsigned>(r.width),
                              static_cast<unsigned>(r.height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<char> bytes(image->data, image->data + static_cast<size_t>(image->bytes_per_line) * r.height);
    XDestroyImage(image);
    return bytes;
}

void sendKey(Display* display, KeyCode code, bool down) {
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XFlush(display);
}

void sleepMs(double ms) {
    timespec t{static_cast<time_t>(ms / 1000.0), static_cast<long>(static_cast<long long>(ms * 1e6) % 1000000000LL)};
    nanosleep(&t, nullptr);
}

XImage* grabWhole(Display* display, Window window, int width, int height) {
    return XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                     AllPlanes, ZPixmap);
}

// Which pixels holding a key for 300 ms changes (1) and which not (0).
std::vector<char> changedByKey(Display* display, Window window, int width, int height, KeyCode code) {
    std::vector<char> changed(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    XImage* before = grabWhole(display, window, width, height);
    sendKey(display, code, true);
    sleepMs(300);
    sendKey(display, code, false);
    sleepMs(100);
    XImage* after = grabWhole(display, window, width, height);
    if (before && after)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                changed[static_cast<size_t>(y * width + x)] = XGetPixel(before, x, y) != XGetPixel(after, x, y);
    if (before) XDestroyImage(before);
    if (after) XDestroyImage(after);
    return changed;
}

// Marks the pixels that change on their own while the probe watches for half a second.
void markRestless(Display* display, Window window, int width, int height, std::vector<char>& restless) {
    XImage* first = grabWhole(display, window, width, height);
    if (!first) return;
    for (int look = 0; look < 25; ++look) {
        sleepMs(20);
        XImage* next = grabWhole(display, window, width, height);
        if (!next) break;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (XGetPixel(first, x, y) != XGetPixel(next, x, y)) restless[static_cast<size_t>(y * width + x)] = 1;
        XDestroyImage(first);
        first = next;
    }
    XDestroyImage(first);
}

// The box of pixels that both the first and the second key change (the tank's path there and
// back), widened by MARGIN: the largest patch of them that lie within REACH of each other. Left out: pixels that change
// on their own (a spinning pick-up) while the probe watches before and after, those that change
// during only one hold (a pick-up appearing or being taken) and patches apart from the tank's.
bool findBox(Display* display, Window window, int width, int height, KeyCode there, KeyCode back, Box& out) {
    std::vector<char> restless(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    markRestless(display, window, width, height, restless);
    std::vector<char> moved = changedByKey(display, window, width, height, there);
    const std::vector<char> backChanged = changedByKey(display, window, width, height, back);
    markRestless(display, window, width, height, restless);
    for (size_t i = 0; i < moved.size(); ++i) moved[i] = moved[i] && backChanged[i] && !restless[i];

    size_t best = 0;
    std::vector<int> stack;
    for (int start = 0; start < width * height; ++start) {
        if (!moved[static_cast<size_t>(start)]) continue;
        Box patch{start % width, start / width, 1, 1};
        int right = patch.x, bottom = patch.y;
        size_t size = 0;
        moved[static_cast<size_t>(start)] = 0;
        stack.assign(1, start);
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            ++size;
            const int x = at % width, y = at / width;
            patch.x = std::min(patch.x, x);
            patch.y = std::min(patch.y, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
            for (int dy = -REACH; dy <= REACH; ++dy)
                for (int dx = -REACH; dx <= REACH; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const size_t n = static_cast<size_t>(ny * width + nx);
                    if (!moved[n]) continue;
                    moved[n] = 0;
                    stack.push_back(ny * width + nx);
                }
        }
        if (size <= best) continue;
        best = size;
        out.x = std::max(0, patch.x - MARGIN);
        out.y = std::max(0, patch.y - MARGIN);
        out.width = std::min(width, right + 1 + MARGIN) - out.x;
        out.height = std::min(height, bottom + 1 + MARGIN) - out.y;
    }
    return best > 0;
}

double percentile(const std::vector<double>& sorted, double p) {
    // Nearest rank.
    const size_t rank = static_cast<size_t>(std::max(1.0, std::ceil(p / 100.0 * static_cast<double>(sorted.size()))));
    return sorted[std::min(rank, sorted.size()) - 1];
}

int usage() {
    std::fprintf(stderr, "usage: key_latency WINDOW_ID [--samples N] [--keys w,s] [--region X,Y,W,H]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const Window window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
    int samples = 200;
    std::string keyList = "w,s";
    Box region;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--samples") samples = std::atoi(argv[i + 1]);
        else if (option == "--keys") keyList = argv[i + 1];
        else if (option == "--region") {
            if (std::sscanf(argv[i + 1], "%d,%d,%d,%d", &region.x, &region.y, &region.width, &region.height) != 4)
                return usage();
        } else return usage();
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "key_latency: cannot open the display\n");
        return 1;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        std::fprintf(stderr, "key_latency: the X server has no XTest\n");
        return 1;
    }
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        std::fprintf(stderr, "key_latency: no window %s\n", argv[1]);
        return 1;
    }

    std::vector<KeyCode> keys;
    for (size_t start = 0; start <= keyList.size();) {
        const size_t comma = std::min(keyList.find(',', start), keyList.size());
        const std::string name = keyList.substr(start, comma - start);
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name.c_str()));
        if (!code) {
            std::fprintf(stderr, "key_latency: no key \"%s\"\n", name.c_str());
            return 1;
        }
        keys.push_back(code);
        start = comma + 1;
    }

    if (region.width <= 0 &&
        !findBox(display, window, attributes.width, attributes.height, keys[0], keys[1 % keys.size()], region)) {
        std::fprintf(stderr, "key_latency: no box around what the keys move alone\n");
        return 1;
    }
    std::fprintf(stderr, "region %d,%d %dx%d\n", region.x, region.y, region.width, region.height);

    std::mt19937 random(static_cast<unsigned>(nowMs()));
    std::uniform_real_distribution<double> pause(50.0, 150.0);
    std::vector<double> latencies;
    int misses = 0;
    long polls = 0;
    double pollTime = 0.0;
    for (int s = 0; s < samples; ++s) {
        // Wait, watching the region: the reference is the last picture, still for QUIET_MS.
        const double until = nowMs() + pause(random);
        std::vector<char> reference = grab(display, window, region);
        double lastChange = nowMs();
        for (;;) {
            sleepMs(1.0);
            std::vector<char> picture = grab(display, window, region);
            const double t = nowMs();
            if (picture != reference) {
                reference.swap(picture);
                lastChange = t;
            }
            if (t >= until && t - lastChange >= QUIET_MS) break;
            if (t - until > NEVER_STILL_MS) {
                std::fprintf(stderr, "key_latency: the region does not keep still without a key\n");
                return 1;
            }
        }

        const KeyCode key = keys[static_cast<size_t>(s) % keys.size()];
        const double pressedRaw = clockMs(CLOCK_MONOTONIC_RAW);
        const double pressed = nowMs();
        sendKey(display, key, true);
        double seen = -1.0;
        for (;;) {
            const double before = nowMs();
            const std::vector<char> picture = grab(display, window, region);
            const double t = nowMs();
            ++polls;
            pollTime += t - before;
            if (picture != reference) {
                seen = t;
                break;
            }
            if (t - pressed > GIVE_UP_MS) break;
        }
        sendKey(display, key, false);
        if (seen < 0) {
            ++misses;
            continue;
        }
        latencies.push_back(seen - pressed);
        std::printf("%.3f %.3f\n", seen - pressed, pressedRaw);
    }
    XCloseDisplay(display);

    if (latencies.empty()) {
        std::fprintf(stderr, "key_latency: no press changed the picture (%d misses)\n", misses);
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::fprintf(stderr, "samples %zu, misses %d, ms: min %.2f median %.2f p90 %.2f max %.2f; one read %.3f ms\n",
                 latencies.size(), misses, latencies.front(), percentile(latencies, 50),
                 percentile(latencies, 90), latencies.back(), pollTime / static_cast<double>(polls));
    return misses > samples / 10 ? 1 : 0;
}
