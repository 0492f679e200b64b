#include "support/SharedState.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "CoreGlobals.h"
#include "Random.h"
#include "ZARNCore.h"
#include "persist/OnlineScores.h"
#include "persist/SaveFormat.h"
#include "shell/MyGame.h"
#include "sys/FileSys.h"
#include "sys/HttpClient.h"
#include "sys/ImageTable.h"
#include "sys/InputGlobals.h"
#include "sys/RendererGlobals.h"
#include "sys/SoundGlobals.h"
#include "sys/SysGlobals.h"
#include "sys/ZARNSys.h"

namespace {

ZARNCore& Framework() { return ThisGame; }

// The list. RESTORED entries are put back before every test; FREE ones may
// stay as a test leaves them, for the reason given. A new global goes in one
// of the two: the check in FreshState.cpp and the test of this list
// (tests/SharedStateTest.cpp) fail until it does.
template <class Visit>
void EveryGlobal(Visit& v) {
#define RESTORED(x) v.Restored(#x, x)
#define FREE(x, why) v.Free(#x, x)
    // ---- The game object ----
    // The framework's values sit at its start and are copied whole.
    RESTORED(Framework());
    // The game's own, by lifetime (shell/GameState.h).
    RESTORED(ThisGame.Screen);
    RESTORED(ThisGame.Scene);
    RESTORED(ThisGame.EndBanner);
    RESTORED(ThisGame.Saving);
    RESTORED(ThisGame.Online);
    RESTORED(ThisGame.Rewatch);
    // The rules of the running game: the Match holds the stream it draws
    // from by reference, so it is kept member by member.
    RESTORED(ThisGame.Rules.Board);
    RESTORED(ThisGame.Rules.Play);
    RESTORED(ThisGame.Rules.Difficulty);
    RESTORED(ThisGame.Rules.EndReason);
    RESTORED(ThisGame.Rules.OpenUp);
    RESTORED(ThisGame.Rules.OpenDown);
    RESTORED(ThisGame.Rules.OpenLeft);
    RESTORED(ThisGame.Rules.OpenRight);
    RESTORED(ThisGame.Rules.Record);
    RESTORED(ThisGame.Rules.Search);
    RESTORED(ThisGame.Rules.Input);
    RESTORED(ThisGame.Rules.CellsMayMove);
    RESTORED(ThisGame.Rules.CellLanded);
    RESTORED(ThisGame.Rules.BoardStill);
    // What lives as long as the process: the mode, the clock of the loop,
    // the tables that are saved, the credits.
    RESTORED(ThisGame.GameMode);
    RESTORED(ThisGame.Overlay);
    RESTORED(ThisGame.Delta);
    RESTORED(ThisGame.PointerDown);
    RESTORED(ThisGame.ThisMills);
    RESTORED(ThisGame.LastMills);
    RESTORED(ThisGame.ExitCode);
    RESTORED(ThisGame.ReplayPath);
    RESTORED(ThisGame.HasBestJournal);
    RESTORED(ThisGame.BoardCount);
    RESTORED(ThisGame.Settings);
    RESTORED(ThisGame.KeyLock);
    RESTORED(ThisGame.TouchLock);
    RESTORED(ThisGame.Scores);
    RESTORED(ThisGame.NetScores);
    RESTORED(ThisGame.NetNames);
    RESTORED(ThisGame.CreditLines);
    RESTORED(ThisGame.CreditCount);

    // ---- The platform object ----
    RESTORED(ASys.TargetScale);
    RESTORED(ASys.ImageZoom);
    RESTORED(ASys.Ratio);
    RESTORED(ASys.FrameW);
    RESTORED(ASys.FrameH);
    RESTORED(ASys.offx);
    RESTORED(ASys.offy);
    RESTORED(ASys.DrawSet);
    FREE(ASys.Draw, "the recording list: DrawTo, which is restored, ends it and nothing reads past it");
    RESTORED(ASys.DrawTo);
    RESTORED(ASys.CurBlend);
    RESTORED(ASys.FontImage);
    RESTORED(ASys.PolyCount);
    RESTORED(ASys.ObjCount);
    RESTORED(ASys.iFrames);
    RESTORED(ASys.iSizeScaled);
    RESTORED(ASys.iFramesSquare);
    RESTORED(ASys.ScreenshotName);
    RESTORED(ASys.Button);
    RESTORED(ASys.Touch);
    RESTORED(ASys.Joy);
    RESTORED(ASys.redef);
    RESTORED(ASys.Keyv);
    FREE(ASys.MusicPlaying, "the music stream's state follows its open file and buffers");
    FREE(ASys.MusicLoop, "the music stream's state follows its open file and buffers");
    FREE(ASys.MusicBufferTo, "the music stream's state follows its open file and buffers");
    RESTORED(ASys.MusicSet);
    RESTORED(ASys.MusicVolB);
    RESTORED(ASys.WebData);

    // ---- Framework globals ----
    FREE(TempstrUse, "the text ring's cursor: any buffer serves");
    // The clock's start is set once by Begin and every Mills() takes a fresh
    // reading against it, so putting them back with the counters is harmless.
    RESTORED(Loop);
    RESTORED(Canvas);
    RESTORED(SharedStream);
    RESTORED(jRand_tSeed);
    RESTORED(DebugMessages);

    // ---- Platform globals: window, audio device, renderer, images, sound ----
    FREE(Win, "the window is opened once per test binary and stays, with what is made with it");
    FREE(Audio, "the audio device, opened once and kept: a copy would hand back closed handles");
    FREE(TempstrSys, "scratch of the platform's log lines");
    FREE(Replayer,
         "every hand-over rewrites the copy and every replay sets the rest afresh; readers of the skip "
         "count compare two readings");
    RESTORED(Input);
    FREE(Image, "pixels: a test that loads into a slot keeps it with SlotGuard");
    FREE(ImageBlur, "pixels: a test that loads into a slot keeps it with SlotGuard");
    RESTORED(iFramesW);
    RESTORED(iFramesWz);
    RESTORED(iSize);
    FREE(ImageVersion, "only ever grows: the renderer uploads a slot again when it moved");
    FREE(KeyName, "filled once before the first poll");
    FREE(File, "the one open file: every use closes it, and a copy would close it twice; its buffer follows it");
    // The slot handles go back with the flags that say which are live, so
    // the two always agree.
    RESTORED(Effects);
    FREE(Stream, "the track playing: a copy would close its open file twice");

    // ---- The game's seams ----
    RESTORED(SyncToDisk);
    RESTORED(BeforeReplacement);
#undef RESTORED
#undef FREE
}

struct Lister {
    std::vector<ListedGlobal>& out;
    template <class T>
    void Restored(const char* name, T& var) {
        out.push_back({name, reinterpret_cast<const unsigned char*>(&var), sizeof var, true});
    }
    template <class T>
    void Free(const char* name, T& var) {
        out.push_back({name, reinterpret_cast<const unsigned char*>(&var), sizeof var, false});
    }
};

struct Keeper {
    SharedState& state;
    template <class T>
    void Restored(const char*, T& var) {
        state.Keep(var);
    }
    template <class T>
    void Free(const char*, T&) {}
};

}  // namespace

std::vector<ListedGlobal> SharedGlobals() {
    std::vector<ListedGlobal> list;
    Lister lister{list};
    EveryGlobal(lister);
    return list;
}

SharedState::SharedState() {
    Keeper keeper{*this};
    EveryGlobal(keeper);
    // State kept behind setters.
    OnRestore([host = std::string(ScoreHost()), limits = GetHttpLimits()] {
        SetScoreHost(host.c_str());
        SetHttpLimits(limits);
    });
}

UnlistedBytes::UnlistedBytes(const std::vector<ListedGlobal>& list) {
    struct Object {
        const char* name;
        const unsigned char* base;
        std::size_t size;
    };
    const Object objects[] = {
        {"ThisGame", reinterpret_cast<const unsigned char*>(&ThisGame), sizeof ThisGame},
        {"ASys", reinterpret_cast<const unsigned char*>(&ASys), sizeof ASys},
    };
    for (const Object& o : objects) {
        // The listed entries inside the object, in the order of their bytes.
        std::vector<const ListedGlobal*> inside;
        for (const ListedGlobal& g : list) {
            if (g.at >= o.base && g.at < o.base + o.size) inside.push_back(&g);
        }
        std::sort(inside.begin(), inside.end(),
                  [](const ListedGlobal* a, const ListedGlobal* b) { return a->at < b->at; });
        std::size_t at = 0;
        std::string after = "the start";
        auto gapTo = [&](std::size_t end) {
            if (end > at) runs_.push_back({o.name, o.base, at, end, after, {}});
        };
        for (const ListedGlobal* g : inside) {
            std::size_t begin = std::size_t(g->at - o.base);
            gapTo(begin);
            at = std::max(at, begin + g->size);
            after = g->name;
        }
        gapTo(o.size);
    }
}

void UnlistedBytes::Take() {
    for (Run& r : runs_) r.kept.assign(r.base + r.from, r.base + r.to);
}

std::vector<std::string> UnlistedBytes::Changed() const {
    std::vector<std::string> changed;
    for (const Run& r : runs_) {
        if (r.kept.size() != r.to - r.from) continue;  // never taken
        // Each run of differing bytes inside the unlisted stretch.
        std::size_t i = 0, n = r.kept.size();
        while (i < n) {
            if (r.base[r.from + i] == r.kept[i]) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < n && r.base[r.from + j] != r.kept[j]) ++j;
            changed.push_back(r.object + " bytes " + std::to_string(r.from + i) + "-" +
                              std::to_string(r.from + j - 1) + ", after " + r.after);
            i = j;
        }
    }
    return changed;
}
