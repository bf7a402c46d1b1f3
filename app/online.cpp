// Online play in the window: the socket and the session with the other copy of the game, the
// address the player types to join, and what the title screen says about it. Each frame of a
// session reads the datagrams that arrived, runs the title frame or the match's frames, and sends
// what the session queued. A match runs on the global game; its confirmed frames are recorded.
#include "app/app.h"
#include "app/command_line.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <string>

#include "game/frame_rules.h"
#include "game/input_sources.h"
#include "net/online_session.h"
#include "platform/datagrams.h"
#include "platform/keys.h"
#include "ui/title.h"

namespace {

constexpr GameKeys START_KEYS = StartRegularKey | StartBouncingKey | StartSteerableKey;
constexpr GameKeys LEAVE_KEYS = LeaveHeld | LeavePressed;
// The keys a side gives a match: leaving and pausing (only the host's start keys count, and they
// go through startMatch).
constexpr GameKeys MATCH_KEYS = LEAVE_KEYS | PauseLetterKey | PauseKey;
constexpr size_t MAX_ADDRESS_TEXT = 64;

struct Online {
    std::unique_ptr<platform::DatagramSocket> socket;
    std::unique_ptr<OnlineSession> session;
    uint16_t port = platform::DEFAULT_GAME_PORT;  // the port hosted on, F7's next time
    std::string addresses;   // this machine's, while hosting
    std::string said;        // why the last session ended, or why none began
    FrameBranch lastBranch = FrameBranch::Match;  // shown again while a match waits
    bool typing = false;
    std::string typed;
} online;

uint64_t nowMicros() {
    using namespace std::chrono;
    return uint64_t(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// Nonces and tokens only need to differ between runs and machines.
uint32_t sessionSeed() {
    std::random_device device;
    return device() ^ uint32_t(std::time(nullptr));
}

void sendOutgoing() {
    for (const Datagram& d : online.session->takeOutgoing()) online.socket->send(d.to, d.bytes.data(), d.bytes.size());
}

void receiveAll(uint64_t now) {
    uint8_t buffer[MAX_PACKET_BYTES + 1];
    NetAddress from;
    int size;
    while ((size = online.socket->receive(from, buffer, sizeof buffer)) >= 0)
        if (size_t(size) <= MAX_PACKET_BYTES) online.session->receive(from, buffer, size_t(size), now);
}

// A problem that kept a session from starting: on the title, and on standard error.
void say(const std::string& text) {
    online.said = text;
    std::fprintf(stderr, "tarvex: %s\n", text.c_str());
}

// The socket and a session on the live game, whose confirmed frames the replay recorder takes.
bool openSession(uint16_t port, const std::string& what) {
    std::string problem;
    online.socket = platform::openDatagramSocket(port, problem);
    if (!online.socket) {
        say(what + ": " + problem);
        return false;
    }
    online.session = std::make_unique<OnlineSession>(game, sessionIdentity(game), sessionSeed());
    Rollback& rollback = online.session->rollback();
    rollback.beforeConfirmedFrame = [](const GameState& before) { recordBeforeFrameOf(before); };
    rollback.afterConfirmedFrame = [](const GameState& after, const FrameInput& input) {
        recordAfterFrameOf(after, input);
    };
    online.said.clear();
    online.lastBranch = FrameBranch::Match;
    const int people[2] = {PERSON, PERSON};  // the computer does not play online
    setTitlePlayers(people);
    return true;
}

// A match the session left behind stops where it stands: the title screen comes back.
void backToTitle() {
    if (!game.matchRunning && game.hitCountdown < 0) return;
    game.matchRunning = false;
    game.matchPaused = false;
    game.hitCountdown = -1;
    FrameResult quiet;
    addSound(quiet, SoundEvent::EngineOff);
    playFrameSounds(sounds, quiet);
}

void closeSession(uint64_t now) {
    std::fprintf(stderr, "%s\n", online.session->summaryLine(now).c_str());
    online.said = online.session->endText();
    writeMatchUnderWay();
    backToTitle();
    online.session.reset();
    online.socket.reset();
    setTitlePlayers(playerLevels);
}

// The title screen's own frame. F1-F3 start no match here: the host's start one on both sides,
// the joiner's do nothing; Escape stops hosting or joining in keyDown instead.
FrameResult titleFrame(const FrameInput& keys) {
    FrameInput input = keys;
    input.gameKeys &= GameKeys(~(START_KEYS | LEAVE_KEYS));
    const GameKeys start = keys.gameKeys & START_KEYS;
    if (start && online.session->isHost()) online.session->startMatch(start, keys.mouseStep, keys.clock);
    return advanceFrame(game, input);
}

std::string localAddressText() {
    std::string text;
    for (const std::string& address : platform::localAddresses()) text += (text.empty() ? "" : " ") + address;
    return text;
}

}  // namespace

void hostOnline(uint16_t port) {
    if (online.session) return;
    if (port != 0) online.port = port;
    if (platform::isFullScreen()) toggleFullScreen();  // a firewall may ask whether to let us listen
    if (!openSession(online.port, "Cannot host on port " + std::to_string(online.port))) return;
    online.session->host(nowMicros());
    online.addresses = localAddressText();
}

void joinOnline(const std::string& address) {
    if (online.session) return;
    NetAddress host;
    std::string problem;
    if (!platform::resolveAddress(address, platform::DEFAULT_GAME_PORT, host, problem)) {
        say("Cannot join " + address + ": " + problem);
        return;
    }
    if (!openSession(0, "Cannot join " + address)) return;
    online.session->join(host, nowMicros());
}

void startTypingAddress() {
    if (online.session || online.typing) return;
    online.typing = true;
    online.said.clear();
    platform::startTextInput();
}

bool typingAddress() { return online.typing; }

// Addresses and names are printable ASCII without spaces.
void addressTyped(const std::string& utf8) {
    if (!online.typing) return;
    for (char c : utf8)
        if (c > ' ' && c < 0x7f && online.typed.size() < MAX_ADDRESS_TEXT) online.typed += c;
}

void addressKey(int virtualKey) {
    if (!online.typing) return;
    if (virtualKey == vk::BACK && !online.typed.empty()) online.typed.pop_back();
    if (virtualKey != vk::RETURN && virtualKey != vk::ESCAPE) return;
    online.typing = false;
    platform::stopTextInput();
    if (virtualKey == vk::RETURN && !online.typed.empty()) joinOnline(online.typed);
}

bool onlineSessionOpen() { return online.session != nullptr; }

FrameResult onlineFrame() {
    if (!online.session) return FrameResult{};
    const uint64_t now = nowMicros();
    receiveAll(now);
    const FrameInput keys = keyFrameInput(mouseStep, static_cast<uint32_t>(std::time(nullptr)));
    FrameResult result;
    if (!online.session->inMatch()) result = titleFrame(keys);
    // This window's player drives with player 1's keys whichever tank the session gives them.
    const SideInput local{keys.controls[0], GameKeys(keys.gameKeys & MATCH_KEYS), keys.mouseStep};
    const TickResult tick = online.session->tick(local, now);
    sendOutgoing();
    if (tick.matchStarted) online.lastBranch = FrameBranch::Match;
    if (tick.inMatch) {
        if (tick.ran) online.lastBranch = tick.frame.branch;
        // A frame that waited shows the last picture again and plays nothing.
        result = tick.ran ? tick.frame : FrameResult{};
        result.branch = online.lastBranch;
    }
    if (online.session->state() == SessionState::Ended) closeSession(now);
    return result;
}

void stopWaitingOnline() {
    if (!online.session || online.session->connected()) return;
    const uint64_t now = nowMicros();
    online.session->leave(now);
    sendOutgoing();
    closeSession(now);
    online.said.clear();  // nothing to explain: the player stopped it
}

void leaveOnline() {
    if (!online.session) return;
    const uint64_t now = nowMicros();
    online.session->leave(now);
    sendOutgoing();
    closeSession(now);
}

bool waitingForOtherPlayer() { return online.session && online.session->peerQuiet(nowMicros()); }

std::string onlineStatusText() {
    if (online.typing) return "Host's address (Enter joins, Esc cancels):\n" + online.typed + "_";
    if (!online.session) return online.said;
    const OnlineSession& session = *online.session;
    switch (session.state()) {
    case SessionState::Hosting:
        return "Hosting on port " + std::to_string(online.port) + ": " + online.addresses;
    case SessionState::Joining:
        return "Joining " + platform::addressText(session.peer()) + "...";
    case SessionState::Connected:
        return "Online with " + platform::addressText(session.peer()) +
               (session.isHost() ? ": you start with F1-F3" : ": the host starts with F1-F3");
    default:
        return online.said;
    }
}

void forgetOnlineNews() { online.said.clear(); }
