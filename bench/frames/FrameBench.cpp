// Whole-game frame benchmark. Brings the game up exactly as its launch does
// (in a throw-away home folder beside the build's Data), then walks through
// every screen with scripted input, one paced 16 ms loop pass at a time, and
// times each update (logic and recording) and each render (replay and
// present, swap interval 0) with a steady clock. It also reads the
// renderer's per-frame texture counters and triangle count, times the
// longest frame while a save is written and while a slow score exchange is
// waiting, and prints one table.
//
// Input goes through the game's own poll: a device reader answers with the
// keys this driver holds, so the screens see it as they would a keyboard.
//
// Usage: gobbit_frame_bench [options]
//   --frames N       passes per screen (play gets three times as many)
//   --no-pace        run passes back to back instead of one per 16 ms slot
//   --csv FILE       every pass's figures, one line each
//   --screen NAME    stop the walk after that screen; the screens before it
//                    get only a few passes each (for profiling one screen)
//   --verify         replay every frame with and without the renderer's
//                    pixel-neutral shortcuts and count differing pixels
//                    (times are then meaningless)
//   --no-shortcuts   time the renderer without those shortcuts
//   --fixed-clock    the game's clock moves exactly 16 ms a pass, so runs
//                    repeat frame for frame; under callgrind with
//                    --collect-atstart=no only the --screen renders count
//   --shots DIR      save the last frame of each screen as a PNG
//   --fullscreen     play in full screen (the display's size), as F11 does
//   --window WxH     play in a window of that size instead of 800 x 600
// Needs a display (run under Xvfb); exit status 1 if a target is missed,
// 2 if the game could not be brought up.
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include "CoreGlobals.h"
#include "persist/OnlineScores.h"
#include "shell/MyGame.h"
#include "support/LoopbackServer.h"
#include "sys/DeviceReads.h"
#include "sys/ImageTable.h"
#include "sys/RendererGlobals.h"
#include "sys/ZARNSys.h"
#include "ProcStatus.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

MyGame& G = ThisGame;

// GLFW key codes the driver presses.
enum : int {
    KEnter = 257, KEscape = 256, KRight = 262, KLeft = 263, KDown = 264, KUp = 265,
};

// ---- Input: the keys this driver holds, read through the game's poll ----

class ScriptedDevices : public DeviceReader {
public:
    explicit ScriptedDevices(DeviceReader& real) : real_(real) {}
    bool held[512] = {};

    int KeyDown(int code) override { return code >= 0 && code < 512 && held[code] ? 1 : 0; }
    int MouseButtonDown(int) override { return 0; }
    // Off the window, so no screen thinks the pointer hovers over it.
    void CursorPos(double& x, double& y) override { x = y = -1000; }
    void SetCursorPos(double, double) override {}
    void WindowSize(int& w, int& h) override { real_.WindowSize(w, h); }
    void FramebufferSize(int& w, int& h) override { real_.FramebufferSize(w, h); }
    int Focused() override { return 1; }
    int CloseRequested() override { return real_.CloseRequested(); }
    int MonitorSize(int& w, int& h) override { return real_.MonitorSize(w, h); }
    int JoystickPresent(int) override { return 0; }
    const char* JoystickName(int) override { return ""; }
    const float* JoystickAxes(int, int& n) override { n = 0; return nullptr; }
    const unsigned char* JoystickButtons(int, int& n) override { n = 0; return nullptr; }

private:
    DeviceReader& real_;
};

ScriptedDevices* Keys = nullptr;

void ReleaseAll() { std::memset(Keys->held, 0, sizeof Keys->held); }
void Hold(int code, bool down = true) { Keys->held[code] = down; }

// ---- One loop pass, timed ----

struct Sample {
    double update = 0, updateCpu = 0, render = 0, renderCpu = 0, music = 0;  // ms
    int uploads = 0, binds = 0, tris = 0, records = 0;
    long long bytes = 0;
    int expected = 0;            // textures first drawn, or drawn with new pixels
    long mismatched = -1;        // --verify: pixels that differ with the shortcuts off
};

// Processor time of the whole process (llvmpipe rasterises on threads of
// its own) or of the calling thread.
double CpuMs(clockid_t which = CLOCK_PROCESS_CPUTIME_ID) {
    timespec t;
    clock_gettime(which, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

bool Pace = true;
bool Verify = false;
// Under callgrind (--collect-atstart=no), instructions are counted only in
// the renders of the --screen screen: a count that the machine's load does
// not disturb. With LP_NUM_THREADS=0 llvmpipe rasterises inside the render.
bool CountRenders = false;

// --fixed-clock: the game's clock advances exactly 16 ms per pass, so every
// run draws the same frames (for comparing instruction counts).
int FixedMs = 0;
int FixedClock() { return FixedMs; }

// Replays the frame just recorded twice into the back buffer, with the
// renderer's pixel-neutral shortcuts off and on, and counts the pixels that
// differ. The clear colour's fade is put back after each replay.
long CompareShortcuts() {
    float fade[3];
    std::memcpy(fade, &ASys.DrawSet[DrawSlot::ClearR], sizeof fade);
    SetRenderShortcuts(false);
    ReplayFrame(G.OverscanFrac);
    ASys.ScreenToBuffer();
    std::vector<unsigned char> plain = Image[101];
    std::memcpy(&ASys.DrawSet[DrawSlot::ClearR], fade, sizeof fade);
    SetRenderShortcuts(true);
    ReplayFrame(G.OverscanFrac);
    ASys.ScreenToBuffer();
    std::memcpy(&ASys.DrawSet[DrawSlot::ClearR], fade, sizeof fade);
    const std::vector<unsigned char>& quick = Image[101];
    if (plain.size() != quick.size() || plain.empty()) return 1;
    long diff = 0;
    for (size_t i = 0; i < plain.size(); i += 4)
        if (std::memcmp(&plain[i], &quick[i], 3) != 0) ++diff;
    return diff;
}
Clock::time_point NextSlot;

// Uploads this frame may need: the white block once, and every image (or
// blur copy) it draws that was never drawn before or whose pixels changed
// since it was last drawn.
int ExpectedUploads() {
    static bool first = true;
    static std::map<int, unsigned> drawnAt;  // use (slot, or 1000 + slot for blur) -> version
    int n = first ? 1 : 0;
    first = false;
    for (int i = 0; i < Replayer.DrawToRT; ++i) {
        const double* r = Replayer.DrawR[i].d;
        int kind = int(r[DrawField::Kind]);
        if (kind != DrawKind::Image && kind != DrawKind::QuadImage && kind != DrawKind::ImageBlur) continue;
        if (!(r[DrawField::Slot] >= 0 && r[DrawField::Slot] < ImageSlots)) continue;
        int slot = int(r[DrawField::Slot]);
        int use = kind == DrawKind::ImageBlur ? 1000 + slot : slot;
        auto it = drawnAt.find(use);
        if (it == drawnAt.end() || it->second != ImageVersion[slot]) {
            drawnAt[use] = ImageVersion[slot];
            ++n;
        }
    }
    return n;
}

// Like one active pass of the main loop: wait for the next 16 ms slot, one
// update, one render, then the music feed while not paused.
Sample Pass() {
    if (Pace) {
        Clock::time_point now = Clock::now();
        if (NextSlot > now) std::this_thread::sleep_until(NextSlot);
        NextSlot = std::max(NextSlot, now) + std::chrono::milliseconds(16);
    }
    Sample s;
    FixedMs += 16;
    double u0 = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    Clock::time_point t0 = Clock::now();
    G.Update();
    Clock::time_point t1 = Clock::now();
    s.updateCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - u0;
    if (Verify) s.mismatched = CompareShortcuts();

    s.expected = ExpectedUploads();
    double c0 = CpuMs();
    Clock::time_point t2 = Clock::now();
    if (CountRenders) CALLGRIND_TOGGLE_COLLECT;
    G.Render();
    if (CountRenders) CALLGRIND_TOGGLE_COLLECT;
    Clock::time_point t3 = Clock::now();
    double c1 = CpuMs();

    s.update = Ms(t1 - t0);
    s.render = Ms(t3 - t2);
    s.renderCpu = c1 - c0;
    s.uploads = Replayer.TexUploads;
    s.bytes = Replayer.TexUploadBytes;
    s.binds = Replayer.TexBinds;
    s.tris = ASys.PolyCount;
    s.records = Replayer.DrawToRT;
    if (G.Scene.Paused == 0) {
        Clock::time_point m0 = Clock::now();
        G.MusicHandler();
        s.music = Ms(Clock::now() - m0);
    }
    return s;
}

// ---- Figures ----

struct Phase {
    std::string name;
    bool play = false;  // render target 4 ms instead of 8
    std::vector<Sample> samples;
};

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t i = size_t(q * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

template <typename F>
std::vector<double> Column(const std::vector<Sample>& s, F f) {
    std::vector<double> out;
    for (const Sample& x : s) out.push_back(double(f(x)));
    return out;
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0 : sum / double(v.size());
}

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

std::deque<Phase> Phases;  // a deque: phases handed out by reference stay put
std::vector<std::string> Misses;
FILE* Csv = nullptr;
FILE* Out = stdout;  // the table; the game's own log goes elsewhere

// With --screen, every other screen gets only a few passes (for profiling).
std::string Only;
// With --shots, the last frame of each screen is saved there as a PNG.
std::string ShotDir;
// --fullscreen, --window: the walk at another window size.
bool FullScreen = false;
int WindowW = 0, WindowH = 0;

void SaveShot(const std::string& name) {
    if (ShotDir.empty()) return;
    float fade[3];
    std::memcpy(fade, &ASys.DrawSet[DrawSlot::ClearR], sizeof fade);
    ReplayFrame(G.OverscanFrac);
    std::memcpy(&ASys.DrawSet[DrawSlot::ClearR], fade, sizeof fade);
    ASys.ScreenToBuffer();
    std::string file = name;
    for (char& c : file)
        if (!std::isalnum((unsigned char)c)) c = '_';
    ASys.SavePNG((ShotDir + "/" + file + ".png").c_str(), 100, ASys.FrameW, ASys.FrameH);
}

// Runs n passes (or until stop says so) with the script setting the input
// before each; the samples go to a new phase of the table.
Phase& Run(const std::string& name, int n, const std::function<void(int)>& script,
           const std::function<bool()>& stop = nullptr, bool play = false) {
    Phases.push_back(Phase{name, play, {}});
    Phase& p = Phases.back();
    if (!Only.empty() && name != Only && !stop) n = std::min(n, 20);
    for (int i = 0; i < n; ++i) {
        if (stop && stop()) break;
        if (script) script(i);
        CountRenders = name == Only;
        Sample s = Pass();
        CountRenders = false;
        p.samples.push_back(s);
        if (i == n - 1 || (stop && stop())) SaveShot(name);
        if (Csv)
            std::fprintf(Csv, "%s,%d,%.4f,%.4f,%.4f,%.4f,%.4f,%d,%lld,%d,%d,%d,%d\n", name.c_str(), i, s.update,
                         s.updateCpu, s.render, s.renderCpu, s.music, s.uploads, s.bytes, s.binds, s.tris, s.records, s.expected);
    }
    return p;
}

// A key held for a few updates, then let go: script helper for taps every
// `every` passes.
void TapEvery(int i, int every, int code) {
    ReleaseAll();
    if (i % every < 3) Hold(code);
}

double LongestFrame(const Phase& p, double* update = nullptr, double* render = nullptr) {
    double worst = 0;
    for (const Sample& s : p.samples) {
        double f = s.update + s.render + s.music;
        if (f > worst) {
            worst = f;
            if (update) *update = s.update;
            if (render) *render = s.render;
        }
    }
    return worst;
}

void Report(int framesPerScreen) {
    std::fprintf(Out, "\nPer screen (%d passes each unless stated; times in ms, render with swap interval 0):\n\n",
                framesPerScreen);
    std::fprintf(Out, "%-22s %5s | %-20s %-11s | %-20s | %6s | %-22s | %7s %5s\n", "screen", "n",
                "update med/p99/max", "ucpu p99", "render med/p99/max", "rcpu", "uploads/frame  KB/frame", "tris",
                "recs");
    for (const Phase& p : Phases) {
        if (p.samples.empty()) continue;
        auto up = Column(p.samples, [](const Sample& s) { return s.update; });
        auto uc = Column(p.samples, [](const Sample& s) { return s.updateCpu; });
        auto rn = Column(p.samples, [](const Sample& s) { return s.render; });
        auto rc = Column(p.samples, [](const Sample& s) { return s.renderCpu; });
        auto ul = Column(p.samples, [](const Sample& s) { return s.uploads; });
        auto kb = Column(p.samples, [](const Sample& s) { return s.bytes / 1024.0; });
        auto tr = Column(p.samples, [](const Sample& s) { return s.tris; });
        auto rec = Column(p.samples, [](const Sample& s) { return s.records; });
        int needless = 0;
        for (const Sample& s : p.samples)
            if (s.uploads > s.expected) ++needless;
        std::fprintf(Out, "%-22s %5zu | %5.2f %6.2f %7.2f %11.2f | %5.2f %6.2f %7.2f | %6.2f | %5.2f (max %3.0f) %8.1f | %7.0f %5.0f\n",
                    p.name.c_str(), p.samples.size(), Quantile(up, 0.5), Quantile(up, 0.99), Max(up),
                    Quantile(uc, 0.99), Quantile(rn, 0.5), Quantile(rn, 0.99), Max(rn), Quantile(rc, 0.5), Mean(ul), Max(ul), Mean(kb),
                    Quantile(tr, 0.5), Quantile(rec, 0.5));
        // Targets. Loading puts one decoded asset in place per update, which
        // may cost a little more than a menu; the save and exchange rows are
        // judged by their longest frame below.
        bool loading = p.name == "loading";
        bool judged = p.name.rfind("save", 0) != 0 && p.name.rfind("exchange", 0) != 0;
        if (judged) {
            double p99limit = loading ? 4 : 2;
            if (Quantile(up, 0.5) > 0.5) Misses.push_back(p.name + ": update median over 0.5 ms");
            if (Quantile(up, 0.99) > p99limit)
                Misses.push_back(p.name + ": update p99 over " + std::to_string(int(p99limit)) + " ms");
            double rlimit = p.play ? 4 : 8;
            if (Quantile(rn, 0.5) > rlimit)
                Misses.push_back(p.name + ": render median over " + std::to_string(int(rlimit)) + " ms");
        }
        long verified = 0, differing = 0;
        for (const Sample& s : p.samples) {
            if (s.mismatched < 0) continue;
            ++verified;
            if (s.mismatched > 0) ++differing;
        }
        if (verified > 0) {
            std::fprintf(Out, "%-22s        %ld frames replayed with and without shortcuts: %ld differ\n", "", verified,
                         differing);
            if (differing > 0) Misses.push_back(p.name + ": shortcuts changed the picture");
        }
        // The loading screen's wave must not stutter.
        if (loading && LongestFrame(p) > 16) Misses.push_back("loading: a frame over 16 ms");
        if (needless > 0)
            Misses.push_back(p.name + ": " + std::to_string(needless) + " frames uploaded textures with no pixels changed");
    }
}

// ---- The walk ----

// Steers the hero towards an open neighbour, pellets first; a fixed seed
// keeps runs comparable.
std::mt19937 BotRandom(564);
int BotKey = 0;

void Bot(int) {
    ReleaseAll();
    PlayState& P = G.Play;
    if (P.HeroDX != 0 || P.HeroDY != 0 || P.LevelState != 0 || P.PlayStarted == 0) {
        if (BotKey) Hold(BotKey);
        return;
    }
    int x = int(P.HeroX), y = int(P.HeroY);
    G.GetMatrix(x, y, Match::PlayMode);
    struct Way { int open, dx, dy, key; };
    const Way ways[4] = {{G.OpenUp, 0, -1, KUp}, {G.OpenRight, 1, 0, KRight}, {G.OpenDown, 0, 1, KDown},
                         {G.OpenLeft, -1, 0, KLeft}};
    std::vector<int> food, open;
    for (int k = 0; k < 4; ++k) {
        if (!ways[k].open) continue;
        open.push_back(ways[k].key);
        if (G.CellAt(x + ways[k].dx, y + ways[k].dy).Pellet > Carry::None) food.push_back(ways[k].key);
    }
    const std::vector<int>& pick = food.empty() ? open : food;
    BotKey = pick.empty() ? 0 : pick[BotRandom() % pick.size()];
    if (BotKey) Hold(BotKey);
}

// Presses a key once (held for three passes, then released for three).
void Press(int code) {
    ReleaseAll();
    Hold(code);
    for (int i = 0; i < 3; ++i) Pass();
    ReleaseAll();
    for (int i = 0; i < 3; ++i) Pass();
}

// Presses a key until done() holds, at most ten times.
void PressUntil(int code, const std::function<bool()>& done) {
    for (int n = 0; n < 10 && !done(); ++n) Press(code);
}

// Figures of the whole walk beyond the per-screen table.
struct WalkFigures {
    double toTitle = -1;                 // ms from start-up to the first title frame
    const Phase* save = nullptr;
    const Phase* exchange = nullptr;
    double exchangeMs = 0;               // from sending to the reply being taken
    int served = 0;                      // requests the slow server saw
};

// Every screen in turn. With --screen, the walk ends after that screen.
void Walk(int frames, Clock::time_point start, WalkFigures& out) {
    auto finished = [] { return !Only.empty() && Phases.back().name == Only; };

    // Loading: one asset per update until the title comes up; the update
    // after it runs the title, and its render is the first title frame.
    Run("loading", 400, nullptr, [] { return G.LoadTo == 0; });
    Phases.back().samples.push_back(Pass());
    out.toTitle = Ms(Clock::now() - start);
    if (finished()) return;

    Run("title", frames, [](int i) { TapEvery(i, 60, KRight); });
    if (finished()) return;
    // Back on Start, then into the difficulty list with its score panel.
    PressUntil(KRight, [] { return G.Screen.TitleChoice == 0; });
    Press(KEnter);
    Run("difficulty + scores", frames, [](int i) { TapEvery(i, 90, KDown); });
    if (finished()) return;
    Press(KEscape);  // back to the title page

    PressUntil(KRight, [] { return G.Screen.TitleChoice == 1; });
    Press(KEnter);
    Run("options", frames, [](int i) {
        ReleaseAll();
        if (i % 16 < 3) Hold((i / 160) % 2 == 0 ? KDown : KUp);
    });
    if (finished()) return;

    // Name entry and redefinition open from options rows; entered here the
    // way those rows do it.
    G.Overlay = Overlays::EnterName;
    G.Screen.OptRow = 0;
    G.LockKeys();
    Run("name entry", frames, [](int i) {
        ReleaseAll();
        if (i % 30 < 3) Hold(KDown);
        else if (i % 90 >= 45 && i % 90 < 48) Hold(KRight);
    });
    if (finished()) return;
    G.Overlay = Overlays::RedefineKeys;
    G.Screen.RedefRow = -1;
    G.Screen.RedefCol = 0;
    G.LockKeys();
    Run("redefinition", frames, [](int i) {
        static const int walk[] = {KDown, KDown, KRight, KDown, KLeft, KDown, KRight, KUp};
        ReleaseAll();
        if (i % 20 < 3) Hold(walk[(i / 20) % 8]);
    });
    if (finished()) return;
    G.Overlay = Overlays::None;
    G.LockKeys();
    for (int i = 0; i < 3; ++i) Pass();

    G.Overlay = Overlays::Credits;  // as the title's Credits item does
    G.LockKeys();
    Run("credits", frames, [](int) { ReleaseAll(); });
    if (finished()) return;
    Press(KEscape);

    // A game: Start, then Normal.
    PressUntil(KRight, [] { return G.Screen.TitleChoice == 0; });
    Press(KEnter);
    G.Settings[Setting::LastDifficulty] = 2;
    Press(KEnter);
    Run("play", frames * 3, Bot, nullptr, true);
    if (finished()) return;

    Press(KEscape);
    Run("pause menu", frames, [](int i) { TapEvery(i, 50, i % 100 < 50 ? KRight : KLeft); });
    if (finished()) return;
    PressUntil(KLeft, [] { return G.Screen.PauseChoice == 0; });
    ReleaseAll();
    Hold(KEnter);  // Quit: the "Quit" "Game" banner, then back to the title
    Run("end banner", 1000, [](int i) { if (i == 3) ReleaseAll(); },
        [] { return G.EndReason == 0 && G.Scene.EndTimer <= 0 && G.GameMode == Modes::Title; });
    if (finished()) return;

    // A save from the title, as the return from a game or the options asks.
    G.Save();
    out.save = &Run("save", 200, [](int) { ReleaseAll(); }, [] { return G.Saving.SavePending == 0; });
    if (finished()) return;

    // A score exchange with a server that answers after five seconds, on the
    // difficulty page with its score panel.
    LoopbackServer slow([](int fd, const std::string&) {
        std::this_thread::sleep_for(std::chrono::seconds(5));
        SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n[-\r\nData-]"
                    "OnlineScores{1{Slow{5000{1{-{[-\r\nEnd-]");
    });
    SetScoreHost(slow.HostPort().c_str());
    if (G.ShowName() == NamePlaceholder)
        G.Settings[Setting::OnlineName] = 7;  // a one-letter name, so scores are sent
    if (G.Screen.MenuPage == 0) {
        PressUntil(KRight, [] { return G.Screen.TitleChoice == 0; });
        Press(KEnter);
    }
    G.SendScores(0);
    Clock::time_point sent = Clock::now();
    out.exchange = &Run("exchange (5 s server)", 1000, [](int) { ReleaseAll(); }, [&] {
        return (G.Online.NetWaiting == 0 && Clock::now() - sent > std::chrono::milliseconds(200)) ||
               Clock::now() - sent > std::chrono::seconds(8);
    });
    out.exchangeMs = Ms(Clock::now() - sent);
    out.served = int(slow.Requests().size());
}

std::string MakeHome(const char* buildDir) {
    std::string templ = std::string(P_tmpdir) + "/gobbit-frames-XXXXXX";
    std::vector<char> path(templ.begin(), templ.end());
    path.push_back('\0');
    if (!mkdtemp(path.data())) return "";
    std::string home = path.data();
    std::error_code ec;
    fs::create_directory_symlink(std::string(buildDir) + "/Data", home + "/Data", ec);
    return home;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 300;
    std::string csvPath;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) frames = std::max(10, std::atoi(argv[++i]));
        else if (a == "--no-pace") Pace = false;
        else if (a == "--csv" && i + 1 < argc) csvPath = argv[++i];
        else if (a == "--screen" && i + 1 < argc) Only = argv[++i];
        else if (a == "--verify") Verify = true;
        else if (a == "--shots" && i + 1 < argc) ShotDir = argv[++i];
        else if (a == "--no-shortcuts") SetRenderShortcuts(false);
        else if (a == "--fixed-clock") Loop.MillsSource = FixedClock;
        else if (a == "--fullscreen") FullScreen = true;
        else if (a == "--window" && i + 1 < argc && std::sscanf(argv[++i], "%dx%d", &WindowW, &WindowH) == 2 &&
                 WindowW > 0 && WindowH > 0) {
        } else {
            std::fprintf(stderr, "usage: %s [--frames N] [--no-pace] [--csv FILE] [--screen NAME] [--verify] [--no-shortcuts] [--fixed-clock] [--shots DIR] [--fullscreen] [--window WxH]\n", argv[0]);
            return 2;
        }
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "No display: run under Xvfb.\n");
        return 2;
    }
    std::string home = MakeHome(GOBBIT_BUILD_DIR);
    if (home.empty()) return 2;
    if (!csvPath.empty()) {
        Csv = std::fopen(csvPath.c_str(), "w");
        if (Csv) std::fprintf(Csv, "screen,pass,update_ms,update_cpu_ms,render_ms,render_cpu_ms,music_ms,uploads,bytes,binds,tris,records,expected_uploads\n");
    }

    // The game's log goes to standard output; keep it apart from the table.
    std::fflush(stdout);
    int tableFd = dup(1);
    FILE* table = fdopen(tableFd, "w");
    if (!std::freopen((home + "/game.log").c_str(), "w", stdout)) return 2;

    ScriptedDevices devices(Devices());
    Keys = &devices;
    SetDeviceReader(&devices);

    Clock::time_point start = Clock::now();
    std::string exe = home + "/gobbit";
    if (!G.StartUp(exe.c_str())) return 2;
    if (FullScreen) G.FlipFullscreen();
    else if (WindowW > 0) ASys.SetScreen(WindowW, WindowH);
    SetSwapInterval(0);
    NextSlot = Clock::now();

    WalkFigures figures;
    Walk(frames, start, figures);

    std::fflush(stdout);
    Out = table;
    Report(frames);

    for (const Phase& p : Phases) {
        if (p.name != "loading") continue;
        double u = 0, r = 0, worst = LongestFrame(p, &u, &r);
        std::fprintf(Out, "\nLoading: longest frame %.2f ms (update %.2f, render %.2f)\n", worst, u, r);
    }
    if (figures.save) {
        double u = 0, r = 0, worst = LongestFrame(*figures.save, &u, &r);
        std::fprintf(Out, "\nSave: %zu passes until written; longest frame %.2f ms (update %.2f, render %.2f)\n",
                     figures.save->samples.size(), worst, u, r);
        if (worst > 16) Misses.push_back("save: a frame over 16 ms");
    }
    if (figures.exchange) {
        double u = 0, r = 0, worst = LongestFrame(*figures.exchange, &u, &r);
        std::fprintf(Out, "Exchange: %d request(s) served, reply after %.0f ms, %zu passes meanwhile; longest frame "
                     "%.2f ms (update %.2f, render %.2f)\n",
                     figures.served, figures.exchangeMs, figures.exchange->samples.size(), worst, u, r);
        if (worst > 16) Misses.push_back("exchange: a frame over 16 ms");
        if (figures.served < 1) Misses.push_back("exchange: the server saw no request");
    }
    std::fprintf(Out, "In-process start to the first title frame: %.0f ms\n", figures.toTitle);
    std::fprintf(Out, "In-process peak RSS (VmHWM): %.1f MB\n", StatusKb("self", "VmHWM:") / 1024.0);
    if (figures.toTitle > 2000) Misses.push_back("start to title over 2 s");

    std::fprintf(Out, "\n%s\n", Misses.empty() ? "Every target met." : "Missed:");
    for (const std::string& m : Misses) std::fprintf(Out, "  %s\n", m.c_str());
    std::fflush(Out);

    if (Csv) std::fclose(Csv);
    SetDeviceReader(nullptr);
    G.GameBreak = 1;
    while (G.Saving.SavePending > 0) G.SaveBit();
    G.Terminate();
    std::error_code ec;
    fs::remove_all(home, ec);
    return Misses.empty() ? 0 : 1;
}
